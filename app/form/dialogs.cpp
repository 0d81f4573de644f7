#include "app/form/dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

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
  bool ok = false;
  const QString answer = QInputDialog::getText(parent_, qstr(caption), qstr(prompt),
                                               QLineEdit::Normal, qstr(text), &ok);
  if (!ok) return std::nullopt;
  return answer.toStdString();
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
  if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return std::nullopt;
  return box.selectedFiles().front().toStdString();
}

void ScriptedDialogs::message(MessageKind kind, const std::string& text) {
  onMessage_(std::string(messageCaption(kind)) + ": " + text);
}

std::optional<std::string> ScriptedDialogs::next() {
  if (answers_.empty()) return std::nullopt;
  std::optional<std::string> answer = std::move(answers_.front());
  answers_.pop_front();
  return answer;
}
