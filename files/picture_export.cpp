#include "files/picture_export.h"

#include <sys/stat.h>

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

void savePicture(Workspace& ws, Window& window) {
  const std::optional<std::string> chosen =
      window.saveFileName({"Save picture into file", fileNamePart(ws.remembered.savePicture),
                           "Bitmaps (*.bmp)|*.bmp", "bmp"});
  if (!chosen) return;
  const std::string path = withDefaultExtension(*chosen, "bmp");
  ws.remembered.savePicture = path;
  const std::string picture = window.chartBitmap();
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
