// Handlers of the File menu.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "app/form/dialogs.h"
#include "app/form/tform1.h"
#include "files/coefficient_files.h"
#include "files/mesh_generator.h"
#include "files/picture_export.h"
#include "files/samples_file.h"
#include "files/table_export.h"

void TForm1::Samples1Click() {
  openSamples(ws, *this);
}
void TForm1::Coefficients1Click() {
  openCoefficients(ws, *this);
}
void TForm1::SaveSamples1Click() {
  saveSamples(ws, *this);
}
void TForm1::SaveCoefficients1Click() {
  saveCoefficients(ws, *this);
}
void TForm1::Weights1Click() {
  saveWeights(ws, *this);
}
void TForm1::SaveSource1Click() {
  saveSource(ws, *this);
}
void TForm1::SaveValues1Click() {
  saveValues(ws, *this);
}
void TForm1::Picture1Click() {
  savePicture(*this);
}
void TForm1::LoadCoefficients1Click() {
  loadTestCoefficients(ws);
}
void TForm1::Mesh1Click() {
  generateMesh(ws, *this);
}

std::optional<DelimitedReading> TForm1::importSamples(const ImportDialogSpec& dialog) {
  return dialogs->importSamples(dialog);
}

namespace {
// The one local file a drag carries, or an empty text.
QString droppedFile(const QMimeData* data) {
  if (!data || !data->hasUrls() || data->urls().size() != 1) return {};
  const QUrl url = data->urls().front();
  return url.isLocalFile() ? url.toLocalFile() : QString();
}
}  // namespace

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  if (!droppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
  const QString path = droppedFile(event->mimeData());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  const std::string file = path.toStdString();
  run([this, file] { openSamplesFile(ws, *this, file); });
}
