// Long commands through a recording window: cancelled at their first report they leave the
// Workspace bit for bit and the window as they were; their reports reach the window under
// the command's name; the scans and the score show the time of the whole command.
#include "app/long_command.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "app/interval_box.h"
#include "app/interval_commands.h"
#include "app/memory_budget.h"
#include "app/recompute.h"
#include "app/sources.h"
#include "app/startup.h"
#include "app/text_format.h"
#include "app/tool_runner.h"
#include "bases/progress.h"
#include "files/coefficient_files.h"
#include "tests/app/fake_window.h"
#include "tests/files/temp_folder.h"
#include "tools/denoise.h"
#include "tools/fractal_dimension.h"
#include "tools/power_and_autocorrelation.h"
#include "tools/sample_commands.h"
#include "tools/scan.h"
#include "tools/score.h"
#include "tools/series_commands.h"

namespace {

using Bits = std::vector<uint64_t>;

Bits bits(const std::vector<double>& v) {
  Bits out;
  for (double d : v)
    out.push_back(std::bit_cast<uint64_t>(d));
  return out;
}

Bits bits(std::initializer_list<double> v) {
  return bits(std::vector<double>(v));
}

// Every Workspace field as bit patterns, by name.
std::map<std::string, Bits> fieldsOf(const Workspace& ws) {
  return {
      {"samplesX", bits(ws.samplesX)},
      {"samplesY", bits(ws.samplesY)},
      {"coefficients", bits(ws.coefficients)},
      {"meshX", bits(ws.meshX)},
      {"sourceValues", bits(ws.sourceValues)},
      {"seriesValues", bits(ws.seriesValues)},
      {"valuesX", bits(ws.valuesX)},
      {"valuesY", bits(ws.valuesY)},
      {"baseline", bits({ws.baselineX[0], ws.baselineX[1], ws.baselineY[0], ws.baselineY[1]})},
      {"parameters", bits({ws.left, ws.right, ws.alpha, ws.beta})},
      {"figures", bits({ws.fitFigure, ws.errorFigure, ws.trapezoidFigure, ws.integralFigure})},
      {"counts",
       Bits{uint64_t(ws.sampleCount), uint64_t(ws.termCount), uint64_t(ws.meshCount),
            uint64_t(ws.coefficientCount), uint64_t(ws.meshCapacity), uint64_t(ws.meshFilled),
            uint64_t(ws.sourceFilled), uint64_t(ws.valuesCount), uint64_t(ws.valuesCapacity),
            uint64_t(ws.basisIndex), uint64_t(ws.fitMode), uint64_t(ws.sourceKind)}},
      {"settled", bits({ws.settledLeft, ws.settledRight})},
  };
}

struct LongCommand {
  const char* name;
  int32_t basis;  // entry of the basis list the command runs in
  std::function<void(Workspace&, Window&)> run;
};

std::ostream& operator<<(std::ostream& out, const LongCommand& command) {
  return out << command.name;
}

const LongCommand longCommands[] = {
    {"Apply", 2, applyInputs},
    {"Broaden", 2, broaden},
    {"Narrow", 2, narrow},
    {"MoveLeft", 2, moveLeft},
    {"MoveRight", 2, moveRight},
    {"InsertTerm", 2, insertTerm},
    {"DeleteTerm", 2, deleteTerm},
    {"ScanAlpha", 7,
     [](Workspace& ws, Window& w) { runRecomputingTool(ws, w, "Scan > Alpha", scanAlpha); }},
    {"ScanBeta", 7,
     [](Workspace& ws, Window& w) { runRecomputingTool(ws, w, "Scan > Beta", scanBeta); }},
    {"ScanBoth", 7,
     [](Workspace& ws, Window& w) { runRecomputingTool(ws, w, "Scan > Both", scanBoth); }},
    {"Score", 2,
     [](Workspace& ws, Window& w) { runRecomputingTool(ws, w, "Score", slidingScore); }},
    {"FractalDimension", 2,
     [](Workspace& ws, Window& w) { runSeriesTool(ws, w, "Fractal Dimension", fractalDimension); }},
    {"Denoise", 2, [](Workspace& ws, Window& w) { runSamplesTool(ws, w, "Denoise", denoise); }},
    {"Sample", 2, [](Workspace& ws, Window& w) { runSamplesTool(ws, w, "Sample", sampleSeries); }},
    {"Add", 2, [](Workspace& ws, Window& w) { runSamplesTool(ws, w, "Add", addSeries); }},
    {"Subtract", 2,
     [](Workspace& ws, Window& w) { runSamplesTool(ws, w, "Subtract", subtractSeries); }},
    {"Differentiate", 2,
     [](Workspace& ws, Window& w) {
       runSeriesCommand(ws, w, "Differentiate", differentiateSeries);
     }},
    {"Fejer", 2, [](Workspace& ws, Window& w) { runSeriesCommand(ws, w, "Fejer", fejerSeries); }},
    {"PowerSpectrum", 5,
     [](Workspace& ws, Window& w) { runSeriesTool(ws, w, "Power Spectrum", powerSpectrum); }},
    {"Autocorrelation", 5,
     [](Workspace& ws, Window& w) { runSeriesTool(ws, w, "Autocorrelation", autocorrelation); }},
};

// Twelve samples of a wavy line on [0, 11], fitted on [1, 6] with the samples as the source
// in the given basis; the boxes then hold other values, so that Apply would change things.
void prepare(Workspace& ws, FakeWindow& window, int32_t basis) {
  startUp(ws, window);
  std::vector<double> x, y;
  for (int i = 0; i < 12; ++i)
    x.push_back(i), y.push_back(std::sin(1.3 * i) + 0.1 * i);
  replaceSamples(ws, std::move(x), std::move(y));
  selectBasis(ws, basis);
  selectSource(ws, window, SourceKind::Samples);
  ws.left = 1, ws.right = 6, ws.termCount = 6, ws.meshCount = 20;
  ws.alpha = 0.5, ws.beta = 1.5;
  window.clock = 1000;
  ASSERT_TRUE(recompute(ws, window));
  window.setBoxText(Box::Edit4, "9");
  window.setBoxText(Box::Edit3, "[0;8]");
  window.checks["Edit > Interval"] = true;
  window.checks["Source > Samples"] = true;
}

class Cancel : public ::testing::TestWithParam<LongCommand> {
 protected:
  void SetUp() override { prepare(ws, window, GetParam().basis); }
  Workspace ws;
  FakeWindow window;
};

TEST_P(Cancel, AtTheFirstReportNothingChanges) {
  const auto fields = fieldsOf(ws);
  const FakeWindow before = window;
  window.cancelAtReport = 1;
  GetParam().run(ws, window);

  EXPECT_EQ(window.reports, 1) << "stops at the report that cancels";
  EXPECT_EQ(window.progressEnds, 1);
  for (const auto& [name, value] : fieldsOf(ws))
    EXPECT_EQ(value, fields.at(name)) << name;
  EXPECT_EQ(window.boxes, before.boxes);
  EXPECT_EQ(window.checks, before.checks);
  for (const auto& [id, series] : before.series) {
    EXPECT_EQ(bits(window.series[id].x), bits(series.x)) << int(id);
    EXPECT_EQ(bits(window.series[id].y), bits(series.y)) << int(id);
  }
  EXPECT_EQ(window.series.size(), before.series.size());
  EXPECT_EQ(window.panels[0], before.panels[0]);
  EXPECT_EQ(window.panels[1], "Cancelled");
  EXPECT_EQ(window.panels[2], before.panels[2]);
  EXPECT_EQ(window.panels[3], before.panels[3]);
  EXPECT_FALSE(window.busy);
  EXPECT_TRUE(window.messages.empty());
}

TEST_P(Cancel, NotCancelledRunsAsWithoutReports) {
  // The same command on a twin Workspace with no hook installed gives the same bits.
  Workspace twin;
  FakeWindow twinWindow;
  prepare(twin, twinWindow, GetParam().basis);

  GetParam().run(ws, window);
  // A long command inside another is part of that one and runs its body as it is; here
  // with no hook at all, so that nothing reports.
  runLongCommand(twin, twinWindow, "outer", [&] {
    const ProgressHookScope noReports(nullptr, nullptr);
    GetParam().run(twin, twinWindow);
    return true;
  });
  EXPECT_GT(window.reports, 0);
  EXPECT_EQ(twinWindow.reports, 0);
  const auto fields = fieldsOf(ws);
  for (const auto& [name, value] : fieldsOf(twin))
    EXPECT_EQ(fields.at(name), value) << name;
  EXPECT_EQ(window.boxes, twinWindow.boxes);
  for (const auto& [id, series] : twinWindow.series)
    EXPECT_EQ(bits(window.series[id].y), bits(series.y)) << int(id);
}

INSTANTIATE_TEST_SUITE_P(EveryLongCommand, Cancel, ::testing::ValuesIn(longCommands),
                         [](const auto& info) { return std::string(info.param.name); });

// The boundary itself.

TEST(LongCommandBoundary, RefusedWorkIsTakenBackWithoutSayingCancelled) {
  Workspace ws;
  FakeWindow window;
  startUp(ws, window);
  window.panels[1] = "0.5 seconds";
  const bool finished = runLongCommand(ws, window, "Refused", [&] {
    ws.left = 7, ws.termCount = 3;
    window.setBoxText(Box::Edit3, "[7;8]");
    return false;
  });
  EXPECT_FALSE(finished);
  EXPECT_EQ(ws.left, 0.0);
  EXPECT_EQ(ws.termCount, 100);
  EXPECT_EQ(window.boxText(Box::Edit3), "");
  EXPECT_EQ(window.panels[1], "0.5 seconds");
}

TEST(LongCommandBoundary, ACommandWhoseStateCannotBeKeptIsRefusedBeforeItBegins) {
  Workspace ws;
  FakeWindow window;
  startUp(ws, window);
  // 8 MB of samples, beyond the small needs that pass unchecked, under a 1 MiB ceiling.
  replaceSamples(ws, std::vector<double>(500000, 1.0), std::vector<double>(500000, 2.0));
  setMemoryCeiling(int64_t{1} << 20);
  bool ran = false;
  const bool finished = runLongCommand(ws, window, "Denoise", [&] { return ran = true; });
  setMemoryCeiling(0);
  EXPECT_FALSE(finished);
  EXPECT_FALSE(ran);
  EXPECT_EQ(window.messages, std::vector<std::string>{"Warning: Not enough memory for Denoise"});
  EXPECT_EQ(ws.sampleCount, 500000);
}

TEST(LongCommandBoundary, TheWindowsStateAndTheSourceKindComeBackWithTheWorkspace) {
  Workspace ws;
  FakeWindow window;
  startUp(ws, window);
  window.state.remembered.openSamples = "kept.txt";
  window.state.busyStart = 5;
  runLongCommand(ws, window, "Refused", [&] {
    window.state.remembered.openSamples = "other.txt";
    window.state.busyStart = 9;
    writeIntervalBox(window, "[%lg;%lg]", 1.0, 2.0);
    selectSource(ws, window, SourceKind::None);
    return false;
  });
  EXPECT_EQ(window.state.remembered.openSamples, "kept.txt");
  EXPECT_EQ(window.state.busyStart, 5);
  EXPECT_EQ(window.state.intervalBox.text, "");
  EXPECT_EQ(ws.sourceKind, SourceKind::Samples);
  EXPECT_TRUE(ws.sourceFn);
  EXPECT_TRUE(window.isChecked("Source > Samples"));
}

TEST(LongCommandBoundary, MemoryRunningOutMidwayTakesEverythingBack) {
  Workspace ws;
  FakeWindow window;
  startUp(ws, window);
  const bool finished = runLongCommand(ws, window, "Greedy", [&]() -> bool {
    ws.termCount = 7;
    window.setBoxText(Box::Edit4, "7");
    throw std::bad_alloc();
  });
  EXPECT_FALSE(finished);
  EXPECT_EQ(ws.termCount, 100);
  EXPECT_EQ(window.boxText(Box::Edit4), "");
  EXPECT_EQ(window.messages, std::vector<std::string>{"Warning: Not enough memory for Greedy"});
  EXPECT_FALSE(window.busy);
}

TEST(LongCommandBoundary, InnerLoopsShowTheOutermostSteps) {
  Workspace ws;
  FakeWindow window;
  startUp(ws, window);
  std::vector<std::pair<int64_t, int64_t>> seen;
  runLongCommand(ws, window, "Nested", [&] {
    const ProgressLoop outer(4);
    for (int i = 0; i < 4; ++i) {
      outer.report(i);
      seen.emplace_back(window.progressDone, window.progressTotal);
      const ProgressLoop inner(100);
      inner.report(50);
      seen.emplace_back(window.progressDone, window.progressTotal);
    }
    return true;
  });
  const std::vector<std::pair<int64_t, int64_t>> expected = {{0, 4}, {0, 4}, {1, 4}, {1, 4},
                                                             {2, 4}, {2, 4}, {3, 4}, {3, 4}};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(window.progressName, "Nested");
  // Outside a long command nothing reports.
  const int reports = window.reports;
  ProgressLoop(1).report(0);
  EXPECT_EQ(window.reports, reports);
}

// The scans and the score show the whole command's time: with the clock moving 250 ms at
// each report and standing still otherwise, that is the number of reports times 0.25 s,
// while the last recompute alone saw only its own two reports.
TEST(LongCommandBoundary, ScansAndScoreShowTheWholeTime) {
  const std::function<void(Workspace&, Window&)> commands[] = {
      [](Workspace& ws, Window& w) { runRecomputingTool(ws, w, "Scan > Beta", scanBeta); },
      [](Workspace& ws, Window& w) { runRecomputingTool(ws, w, "Scan > Both", scanBoth); },
      [](Workspace& ws, Window& w) { runRecomputingTool(ws, w, "Score", slidingScore); }};
  for (const auto& command : commands) {
    Workspace ws;
    FakeWindow window;
    startUp(ws, window);
    replaceSamples(ws, {0, 1, 2, 3, 4, 5}, {1, 3, 2, 5, 4, 6});
    selectSource(ws, window, SourceKind::Samples);
    ws.left = 0, ws.right = 2, ws.termCount = 3, ws.meshCount = 8;
    ASSERT_TRUE(recompute(ws, window));
    window.msPerReport = 250;
    command(ws, window);
    ASSERT_GT(window.reports, 2);
    EXPECT_EQ(window.panels[1], format("%g seconds", window.reports * 0.25));
  }
}

// Large counts in the bases whose own loops report. The recompute's loop shows step 0 until
// the fit is over, so a cancel seen at step 0 after the recompute's first report came from
// inside the fit. Everything is then as it was, and the node caches and tables the fit was
// building stay whole: the same Apply gives the bits it gives once they are built afresh.
class CancelInsideBasis : public ::testing::TestWithParam<int32_t> {};

std::vector<double> meshPart(const std::vector<double>& v, int32_t m) {
  return std::vector<double>(v.begin(), v.begin() + m);
}

// Runs the command with the window cancelling at report `cancelAt` (counted from the
// command's first), which must come from inside the fit, and expects everything as it was.
void expectCancelledInsideTheFit(Workspace& ws, FakeWindow& window, int cancelAt,
                                 const std::function<void()>& command) {
  const auto fields = fieldsOf(ws);
  const auto boxes = window.boxes;
  window.reports = 0;
  window.cancelAtReport = cancelAt;
  command();
  window.cancelAtReport = 0;
  EXPECT_EQ(window.reports, cancelAt);
  EXPECT_EQ(window.progressDone, 0) << "cancelled inside the fit";
  for (const auto& [name, value] : fieldsOf(ws))
    EXPECT_EQ(value, fields.at(name)) << name;
  EXPECT_EQ(window.boxes, boxes);
  EXPECT_EQ(window.panels[1], "Cancelled");
  EXPECT_TRUE(window.messages.empty());
}

TEST_P(CancelInsideBasis, LeavesEverythingAsItWas) {
  Workspace ws;
  FakeWindow window;
  prepare(ws, window, GetParam());
  window.setBoxText(Box::Edit4, "300");
  window.setBoxText(Box::Edit5, "20000");
  expectCancelledInsideTheFit(ws, window, 3, [&] { applyInputs(ws, window); });

  applyInputs(ws, window);
  ASSERT_EQ(ws.meshCount, 20000);
  const Bits series = bits(meshPart(ws.seriesValues, ws.meshCount));
  const Bits coefficients = bits(ws.coefficients);
  window.setBoxText(Box::Edit5, "20002");
  applyInputs(ws, window);
  window.setBoxText(Box::Edit5, "20000");
  applyInputs(ws, window);
  EXPECT_EQ(bits(meshPart(ws.seriesValues, ws.meshCount)), series);
  EXPECT_EQ(bits(ws.coefficients), coefficients);
}

INSTANTIATE_TEST_SUITE_P(ReportingBases, CancelInsideBasis,
                         ::testing::Values(legendreBasisIndex, jacobiBasisIndex, hermiteBasisIndex,
                                           soninLaguerreBasisIndex, bernsteinBasisIndex,
                                           discreteChebyshevBasisIndex),
                         [](const auto& info) { return std::to_string(info.param); });

// A coefficient file whose largest index is 10^6 asks for a series of a million terms on a
// million points. Opening it, and an Apply of such a series, stop at the first report from
// inside the basis and take everything back, the file's content included.
TEST(LongCommandBoundary, AMillionTermsFromAFileAreCancelledAndTakenBack) {
  Workspace ws;
  FakeWindow window;
  prepare(ws, window, legendreBasisIndex);
  TempFolder folder;
  window.answers.push_back(folder.write("huge.txt", " 0.5 0 \n 0.25 1000000 \n"));
  expectCancelledInsideTheFit(ws, window, 2, [&] { openCoefficients(ws, window); });

  // The same vector held, with no source: Apply evaluates it on a million points.
  selectSource(ws, window, SourceKind::None);
  ws.coefficients.assign(1000001, 0.0);
  ws.coefficients[0] = 0.5, ws.coefficients[1000000] = 0.25;
  ws.coefficientCount = 1000001;
  window.setBoxText(Box::Edit4, "1000001");
  window.setBoxText(Box::Edit5, "1000002");
  expectCancelledInsideTheFit(ws, window, 2, [&] { applyInputs(ws, window); });
}

}  // namespace
