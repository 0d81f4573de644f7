#include "files/picture_export.h"

#include <sys/stat.h>

#include <cctype>
#include <optional>

#include "app/text_format.h"
#include "files/safe_save.h"
#include "files/table_export.h"

std::string withDefaultExtension(const std::string& path, const std::string& extension) {
  const std::string name = fileNamePart(path);
  struct stat status {};
  if (name.empty() || name.find('.') != std::string::npos || ::stat(path.c_str(), &status) == 0)
    return path;
  return path + "." + extension;
}

PictureFormat pictureFormatOf(const std::string& path) {
  const std::string name = fileNamePart(path);
  const size_t dot = name.rfind('.');
  std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1);
  for (char& c : extension)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (extension == "png") return PictureFormat::Png;
  if (extension == "pdf") return PictureFormat::Pdf;
  return PictureFormat::Bmp;
}

// The dialog adds the extension of the filter chosen in it to a name typed without one.
void savePicture(Window& window) {
  const std::optional<std::string> chosen = window.saveFileName(
      {"Save picture into file", fileNamePart(window.state.remembered.savePicture),
       "Bitmaps (*.bmp)|*.bmp|PNG images (*.png)|*.png|PDF documents (*.pdf)|*.pdf", "bmp"});
  if (!chosen) return;
  const std::string path = withDefaultExtension(*chosen, "bmp");
  window.state.remembered.savePicture = path;
  const std::string picture = window.chartPicture(pictureFormatOf(path));
  const SaveResult result = saveFile(path, [&picture](std::FILE* stream) {
    return !picture.empty() &&
           std::fwrite(picture.data(), 1, picture.size(), stream) == picture.size();
  });
  if (result.outcome == SaveOutcome::CannotOpen)
    window.message(MessageKind::Warning, format("Can't open file %s for writing!", path.c_str()));
  if (result.outcome == SaveOutcome::WriteFailed)
    window.message(MessageKind::Warning,
                   format("Can't write file %s: %s", path.c_str(), result.reason.c_str()));
}
