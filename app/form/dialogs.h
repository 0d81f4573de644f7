// The dialogs of the main window behind one swappable provider: real Qt dialogs in the
// program, scripted answers in serna-batch and in tests.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "app/window.h"

class QWidget;

class DialogProvider {
 public:
  virtual ~DialogProvider() = default;
  virtual void message(MessageKind kind, const std::string& text) = 0;
  virtual std::optional<std::string> inputBox(const std::string& caption, const std::string& prompt,
                                              const std::string& text) = 0;
  virtual std::optional<std::string> openFileName(const FileDialogSpec& dialog) = 0;
  virtual std::optional<std::string> saveFileName(const FileDialogSpec& dialog) = 0;
  virtual std::optional<DelimitedReading> importSamples(const ImportDialogSpec& dialog) = 0;
};

// Modal Qt message boxes, input boxes and file dialogs over a parent window.
class QtDialogs : public DialogProvider {
 public:
  explicit QtDialogs(QWidget* parent) : parent_(parent) {}
  void message(MessageKind kind, const std::string& text) override;
  std::optional<std::string> inputBox(const std::string& caption, const std::string& prompt,
                                      const std::string& text) override;
  std::optional<std::string> openFileName(const FileDialogSpec& dialog) override;
  std::optional<std::string> saveFileName(const FileDialogSpec& dialog) override;
  std::optional<DelimitedReading> importSamples(const ImportDialogSpec& dialog) override;

 private:
  QWidget* parent_;
};

// Answers from a queue: each dialog takes the next answer (a text, or empty for cancel); a
// dialog with no answer queued is cancelled. The import dialog reads its answer as `key
// value` pairs over the proposal (empty accepts it); an answer it cannot read is an Error
// message and a cancel. Message boxes go to `onMessage` as "CAPTION: TEXT".
class ScriptedDialogs : public DialogProvider {
 public:
  explicit ScriptedDialogs(std::function<void(const std::string&)> onMessage)
      : onMessage_(std::move(onMessage)) {}
  void queue(std::optional<std::string> answer) { answers_.push_back(std::move(answer)); }
  void message(MessageKind kind, const std::string& text) override;
  std::optional<std::string> inputBox(const std::string&, const std::string&,
                                      const std::string&) override {
    return next();
  }
  std::optional<std::string> openFileName(const FileDialogSpec&) override { return next(); }
  std::optional<std::string> saveFileName(const FileDialogSpec&) override { return next(); }
  std::optional<DelimitedReading> importSamples(const ImportDialogSpec& dialog) override;

 private:
  std::optional<std::string> next();
  std::deque<std::optional<std::string>> answers_;
  std::function<void(const std::string&)> onMessage_;
};
