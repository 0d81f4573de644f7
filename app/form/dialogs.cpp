#include "app/form/dialogs.h"

#include "app/form/import_dialog.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>

namespace {
QString qstr(const std::string& text) {
  return QString::fromStdString(text);
}

// The Windows-style filter "Text files|*.txt|All|*.*" as Qt's "Text files (*.txt);;All (*.*)".
QString qtFilter(const std::string& filter) {
  const QStringList parts = qstr(filter).split('|');
  QStringList entries;
  for (int i = 0; i + 1 < parts.size(); i += 2)
    entries << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
  return entries.join(";;");
}

// The extension of a filter entry's first pattern: "png" of "PNG images (*.png)", empty for
// "All (*)" or "*.*".
QString filterSuffix(const QString& entry) {
  const QRegularExpressionMatch match =
      QRegularExpression(R"(\(\*\.([A-Za-z0-9]+)[ );])").match(entry);
  return match.hasMatch() ? match.captured(1) : QString();
}

QString proposedPath(const FileDialogSpec& dialog) {
  QString name = qstr(dialog.fileName);
  if (!dialog.defaultExtension.empty() && QFileInfo(name).suffix().isEmpty())
    name += "." + qstr(dialog.defaultExtension);
  return name;
}
}  // namespace

void QtDialogs::message(MessageKind kind, const std::string& text) {
  const QMessageBox::Icon icon = kind == MessageKind::Warning ? QMessageBox::Warning
                                 : kind == MessageKind::Error ? QMessageBox::Critical
                                                              : QMessageBox::Information;
  QMessageBox box(icon, messageCaption(kind), qstr(text), QMessageBox::Ok, parent_);
  box.exec();
}

std::optional<std::string> QtDialogs::inputBox(const std::string& caption,
                                               const std::string& prompt, const std::string& text) {
  QInputDialog box(parent_);
  box.setWindowTitle(qstr(caption));
  box.setLabelText(qstr(prompt));
  box.setTextValue(qstr(text));
  // Wide enough for the whole caption beside the title bar's icon and buttons; the dialog
  // sizes itself to its contents, so the text field is made that wide.
  constexpr int titleBarRoom = 160;
  if (auto* field = box.findChild<QLineEdit*>())
    field->setMinimumWidth(box.fontMetrics().horizontalAdvance(box.windowTitle()) + titleBarRoom);
  if (box.exec() != QDialog::Accepted) return std::nullopt;
  return box.textValue().toStdString();
}

std::optional<std::string> QtDialogs::openFileName(const FileDialogSpec& dialog) {
  const QString path = QFileDialog::getOpenFileName(parent_, qstr(dialog.title),
                                                    qstr(dialog.fileName), qtFilter(dialog.filter));
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

std::optional<std::string> QtDialogs::saveFileName(const FileDialogSpec& dialog) {
  QFileDialog box(parent_, qstr(dialog.title), proposedPath(dialog), qtFilter(dialog.filter));
  box.setAcceptMode(QFileDialog::AcceptSave);
  box.setDefaultSuffix(qstr(dialog.defaultExtension));
  // A name typed without an extension takes the one of the filter chosen.
  QObject::connect(&box, &QFileDialog::filterSelected, &box, [&box, &dialog](const QString& f) {
    const QString suffix = filterSuffix(f);
    box.setDefaultSuffix(suffix.isEmpty() ? qstr(dialog.defaultExtension) : suffix);
  });
  if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return std::nullopt;
  return box.selectedFiles().front().toStdString();
}

void ScriptedDialogs::message(MessageKind kind, const std::string& text) {
  onMessage_(std::string(messageCaption(kind)) + ": " + text);
}

std::optional<DelimitedReading> QtDialogs::importSamples(const ImportDialogSpec& dialog) {
  ImportSamplesDialog box(dialog, parent_);
  if (box.exec() != QDialog::Accepted) return std::nullopt;
  return box.reading();
}

std::optional<DelimitedReading> ScriptedDialogs::importSamples(const ImportDialogSpec& dialog) {
  const std::optional<std::string> answer = next();
  if (!answer) return std::nullopt;
  std::string error;
  std::optional<DelimitedReading> reading =
      readingFromAnswer(dialog.proposal, dialog.text, *answer, error);
  if (!reading) message(MessageKind::Error, error);
  return reading;
}

std::optional<std::string> ScriptedDialogs::next() {
  if (answers_.empty()) return std::nullopt;
  std::optional<std::string> answer = std::move(answers_.front());
  answers_.pop_front();
  return answer;
}
