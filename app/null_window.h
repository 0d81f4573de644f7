// A window that shows nothing and answers every question with its default (no input, the
// proposal of an import): benchmarks time the computation alone with it, and readSamplesFile
// reads files through it.
#pragma once

#include "app/window.h"

class NullWindow : public Window {
 public:
  std::string boxText(Box) const override { return ""; }
  void setBoxText(Box, const std::string&) override {}
  void setPanel(int, const std::string&) override {}
  void setPanelNote(int, const std::string&) override {}
  void setCaption(const std::string&) override {}
  void fillSeries(SeriesId, const double*, const double*, int32_t) override {}
  void setAbscissaInverted(bool) override {}
  bool isChecked(const std::string&) const override { return false; }
  void setChecked(const std::string&, bool) override {}
  void showBusy(bool) override {}
  int64_t clockMs() const override { return 0; }
  void message(MessageKind, const std::string&) override {}
  std::optional<std::string> inputBox(const std::string&, const std::string&,
                                      const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> openFileName(const FileDialogSpec&) override { return std::nullopt; }
  std::optional<std::string> saveFileName(const FileDialogSpec&) override { return std::nullopt; }
  std::optional<DelimitedReading> importSamples(const ImportDialogSpec& dialog) override {
    return dialog.proposal;
  }
  void setSeriesShown(SeriesId, bool) override {}
  int seriesWidth(SeriesId) const override { return 1; }
  void setSeriesWidth(SeriesId, int) override {}
  bool chartFlag(ChartFlag) const override { return false; }
  void setChartFlag(ChartFlag, bool) override {}
  void keepState() override {}
  void restoreKeptState() override {}
  void forgetKeptState() override {}
};
