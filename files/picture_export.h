// "File" > "Save" > "Picture": the chart, as displayed, into a BMP file.
#pragma once

#include <string>

#include "app/window.h"
#include "app/workspace.h"

// The path with ".EXTENSION" added when its file-name part has no extension.
std::string withDefaultExtension(const std::string& path, const std::string& extension);

void savePicture(Workspace& ws, Window& window);
