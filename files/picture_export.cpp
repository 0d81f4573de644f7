#include "files/picture_export.h"

#include <optional>

#include "app/text_format.h"
#include "files/safe_save.h"
#include "files/table_export.h"

std::string withDefaultExtension(const std::string& path, const std::string& extension) {
  const std::string name = fileNamePart(path);
  if (name.empty() || name.find('.') != std::string::npos) return path;
  return path + "." + extension;
}

void savePicture(Workspace& ws, Window& window) {
  const std::optional<std::string> chosen =
      window.saveFileName({"Save picture into file", fileNamePart(ws.remembered.savePicture),
                           "Bitmaps (*.bmp)|*.bmp", "bmp"});
  if (!chosen) return;
  const std::string path = withDefaultExtension(*chosen, "bmp");
  ws.remembered.savePicture = path;
  const SaveResult result = saveFileByPath(
      path, [&window](const std::string& target) { return window.saveChartPicture(target); });
  if (result.outcome == SaveOutcome::CannotOpen)
    window.message(MessageKind::Warning, format("Can't open file %s for writing!", path.c_str()));
  if (result.outcome == SaveOutcome::WriteFailed)
    window.message(MessageKind::Warning,
                   format("Can't write file %s: %s", path.c_str(), result.reason.c_str()));
}
