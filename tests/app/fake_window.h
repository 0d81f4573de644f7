// A recording Window for driving commands in unit tests: boxes, panels, series and check marks
// are kept as plain values, messages are collected, and dialogs take queued answers (a dialog
// with nothing queued is cancelled). Progress reports are taken silently and counted; the
// window can be told to cancel at the Nth report.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/window.h"

struct FakeSeries {
  std::vector<double> x, y;
};

class FakeWindow : public Window {
 public:
  std::map<Box, std::string> boxes;
  std::string panels[4];
  std::string panelNotes[4];
  std::string caption;
  std::map<SeriesId, FakeSeries> series;
  std::map<std::string, bool> checks;
  std::vector<std::string> messages;  // "CAPTION: TEXT"
  std::deque<std::optional<std::string>> answers;
  std::vector<FileDialogSpec> dialogsShown;
  std::vector<std::string> inputPrompts;  // "CAPTION|PROMPT|TEXT"
  bool abscissaInverted = false;
  bool busy = false;
  int busyCount = 0;
  int64_t clock = 0;
  std::map<SeriesId, bool> seriesShown;
  std::map<SeriesId, int> seriesWidths;
  std::map<ChartFlag, bool> chartFlags;

  std::string boxText(Box box) const override {
    auto found = boxes.find(box);
    return found == boxes.end() ? "" : found->second;
  }
  void setBoxText(Box box, const std::string& text) override { boxes[box] = text; }
  void setPanel(int index, const std::string& text) override { panels[index] = text; }
  void setPanelNote(int index, const std::string& note) override { panelNotes[index] = note; }
  void setCaption(const std::string& text) override { caption = text; }
  void fillSeries(SeriesId id, const double* x, const double* y, int32_t n) override {
    series[id] = {std::vector<double>(x, x + n), std::vector<double>(y, y + n)};
  }
  void setAbscissaInverted(bool inverted) override {
    abscissaInverted = inverted;
    chartFlags[ChartFlag::AbscissaInverted] = inverted;
  }
  bool isChecked(const std::string& item) const override {
    auto found = checks.find(item);
    return found != checks.end() && found->second;
  }
  void setChecked(const std::string& item, bool checked) override { checks[item] = checked; }
  void showBusy(bool on) override {
    busy = on;
    if (on) ++busyCount;
  }
  int64_t clockMs() const override { return clock; }
  void message(MessageKind kind, const std::string& text) override {
    messages.push_back(std::string(messageCaption(kind)) + ": " + text);
  }
  std::optional<std::string> inputBox(const std::string& caption, const std::string& prompt,
                                      const std::string& text) override {
    inputPrompts.push_back(caption + "|" + prompt + "|" + text);
    return next();
  }
  std::optional<std::string> openFileName(const FileDialogSpec& dialog) override {
    dialogsShown.push_back(dialog);
    return next();
  }
  std::optional<std::string> saveFileName(const FileDialogSpec& dialog) override {
    dialogsShown.push_back(dialog);
    return next();
  }
  // The import dialog takes the next answer as serna-batch's does: empty accepts the proposal,
  // `key value` pairs override it; an answer it cannot read is an Error and a cancel.
  std::optional<DelimitedReading> importSamples(const ImportDialogSpec& dialog) override {
    importProposals.push_back(dialog.proposal);
    const std::optional<std::string> answer = next();
    if (!answer) return std::nullopt;
    std::string error;
    auto reading = readingFromAnswer(dialog.proposal, dialog.text, *answer, error);
    if (!reading) message(MessageKind::Error, error);
    return reading;
  }
  std::vector<DelimitedReading> importProposals;
  void setSeriesShown(SeriesId id, bool shown) override { seriesShown[id] = shown; }
  int seriesWidth(SeriesId id) const override {
    auto found = seriesWidths.find(id);
    return found == seriesWidths.end() ? 1 : found->second;
  }
  void setSeriesWidth(SeriesId id, int width) override {
    if (width >= 0) seriesWidths[id] = width;
  }
  bool chartFlag(ChartFlag flag) const override {
    auto found = chartFlags.find(flag);
    return found != chartFlags.end() && found->second;
  }
  void setChartFlag(ChartFlag flag, bool on) override {
    chartFlags[flag] = on;
    if (flag == ChartFlag::AbscissaInverted) abscissaInverted = on;
  }
  std::string chartPicture(PictureFormat format) override {
    picturesRendered.push_back(format);
    return picture;
  }
  std::string picture = "BM picture";  // what chartPicture returns
  std::vector<PictureFormat> picturesRendered;
  void resetView() override { ++viewResets; }
  void fitViewToSeries(SeriesId id) override { seriesFits.push_back(id); }
  void fitViewToInterval(bool fit, double left, double right) override {
    intervalFits.push_back({fit, left, right});
  }
  void markInterval(bool shown, double left, double right) override {
    marks = {shown, left, right};
  }
  void setAxisTitles(const std::string& abscissa, const std::string& ordinate) override {
    titles = {abscissa, ordinate};
  }
  void showCoefficientView(const CoefficientView& view) override { coefficientView = view; }
  CoefficientView coefficientView;
  int viewResets = 0;
  std::vector<SeriesId> seriesFits;
  struct Interval {
    bool on = false;
    double left = 0.0, right = 0.0;
  };
  std::vector<Interval> intervalFits;  // (fit, left, right) of each call
  Interval marks;
  std::pair<std::string, std::string> titles;

  int reports = 0;          // progress reports since the window was made
  int cancelAtReport = 0;   // this report (counted from 1) cancels; 0 never
  int64_t msPerReport = 0;  // the clock moves on by this much at every report
  std::string progressName;
  int64_t progressDone = -1, progressTotal = -1;
  int progressEnds = 0;
  bool progress(const char* name, int64_t done, int64_t total) override {
    progressName = name, progressDone = done, progressTotal = total;
    clock += msPerReport;
    return ++reports != cancelAtReport;
  }
  void progressEnded() override { ++progressEnds; }

  void keepState() override {
    kept = {boxes,          {panels[0], panels[1], panels[2], panels[3]},
            series,         checks,
            seriesShown,    chartFlags,
            marks,          titles,
            coefficientView};
  }
  void restoreKeptState() override {
    boxes = kept.boxes;
    for (int i = 0; i < 4; ++i)
      panels[i] = kept.panels[i];
    series = kept.series;
    checks = kept.checks;
    seriesShown = kept.seriesShown;
    chartFlags = kept.chartFlags;
    marks = kept.marks;
    titles = kept.titles;
    coefficientView = kept.coefficientView;
  }
  void forgetKeptState() override { kept = {}; }

 private:
  struct Kept {
    std::map<Box, std::string> boxes;
    std::vector<std::string> panels;
    std::map<SeriesId, FakeSeries> series;
    std::map<std::string, bool> checks;
    std::map<SeriesId, bool> seriesShown;
    std::map<ChartFlag, bool> chartFlags;
    Interval marks;
    std::pair<std::string, std::string> titles;
    CoefficientView coefficientView;
  } kept;

  std::optional<std::string> next() {
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
};
