// "File" > "Save" > "Picture": the chart, as displayed, into a BMP, PNG or PDF file.
#pragma once

#include <string>

#include "app/window.h"

// The path with ".EXTENSION" added when its file-name part has none and it names no existing
// file (a device such as /dev/null is taken as it is).
std::string withDefaultExtension(const std::string& path, const std::string& extension);

// The format a file name's extension names, in any case: ".png" PNG, ".pdf" PDF, else BMP.
PictureFormat pictureFormatOf(const std::string& path);

void savePicture(Window& window);
