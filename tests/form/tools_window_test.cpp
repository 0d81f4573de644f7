// The tools in the real main window and in serna-batch: every command of the Edit, Evaluate
// and Tools menus runs on a spectrum-like signal and leaves its result in the "Values" series.
#include <gtest/gtest.h>

#include <QAction>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/form/tform1.h"

namespace {

// Two Lorentzian peaks on a sloping baseline, 201 samples on [0, 10].
void loadSpectrum(Workspace& ws) {
  std::vector<double> x, y;
  for (int i = 0; i <= 200; ++i) {
    const double v = i / 20.0;
    x.push_back(v);
    y.push_back(0.1 * v + 1 / (1 + 16 * (v - 3) * (v - 3)) + 0.5 / (1 + 25 * (v - 7) * (v - 7)));
  }
  replaceSamples(ws, std::move(x), std::move(y));
}

struct Form {
  Form()
      : form(std::make_unique<ScriptedDialogs>(
            [this](const std::string& text) { messages.push_back(text); })) {}
  void menu(const std::string& path) {
    QAction* action = form.menuItem(path);
    ASSERT_NE(action, nullptr) << path;
    ASSERT_TRUE(action->isEnabled()) << path;
    action->trigger();
  }
  int shownValues() { return chartSeries(form.chart(), SeriesId::Values)->data()->size(); }

  std::vector<std::string> messages;
  TForm1 form;
};

TEST(ToolsWindow, EveryToolFillsTheValuesSeries) {
  Form f;
  Workspace& ws = f.form.workspace();
  loadSpectrum(ws);
  f.form.setBoxText(Box::Edit3, "[2;8]");
  f.form.setBoxText(Box::Edit4, "30");
  f.form.setBoxText(Box::Edit5, "200");
  f.form.setBoxText(Box::Edit6, "1");
  f.form.setBoxText(Box::Edit7, "1");
  f.menu("Edit > Apply");
  const std::vector<std::pair<std::string, int>> commands = {
      {"Edit > Drop Outside", 121},
      {"Edit > Drop Inside", 82},
      {"Edit > Sample", 201},
      {"Edit > Add", 201},
      {"Edit > Subtract", 201},
      {"Tools > Denoise", 201},
      {"Evaluate > Autocorrelation", 200},
      {"Evaluate > Fractal Dimension", 30},
      {"Tools > Scan > Beta", 10},
      {"Tools > Score", 80},
      {"Tools > Scan > Alpha", 10},
  };
  for (const auto& [path, count] : commands) {
    f.menu(path);
    EXPECT_EQ(ws.valuesCount, count) << path;
    EXPECT_EQ(f.shownValues(), count) << path;
  }
  EXPECT_TRUE(f.messages.empty());
  EXPECT_TRUE(f.form.panelText(1).endsWith(" seconds"));
}

TEST(ToolsWindow, SeriesCommandsSwitchTheSourceOff) {
  Form f;
  f.form.setBoxText(Box::Edit4, "5");
  f.menu("Edit > Apply");
  f.menu("Edit > Differentiate");
  EXPECT_EQ(f.form.boxText(Box::Edit4), "6");
  EXPECT_TRUE(f.form.menuItem("Source > None")->isChecked());
  const double last = f.form.workspace().coefficients[5];
  f.menu("Edit > Fejer");
  EXPECT_EQ(f.form.workspace().coefficients[5], static_cast<double>((1 - 5.0L / 6) * last));
}

TEST(ToolsWindow, ToolsBeforeTheFirstApplySayWhatIsMissing) {
  Form f;
  for (const char* path : {"Edit > Differentiate", "Edit > Fejer", "Evaluate > Power Spectrum",
                           "Evaluate > Autocorrelation", "Evaluate > Fractal Dimension"})
    f.menu(path);
  EXPECT_EQ(f.messages.size(), 5u);
  f.menu("Edit > Sample");
  f.menu("Tools > Denoise");
  f.menu("Tools > Scan > Both");
  EXPECT_EQ(f.messages.size(), 5u);
}

TEST(ToolsWindow, PowerSpectrumRefusedForChebyshev) {
  Form f;
  f.menu("Edit > Apply");
  f.menu("Evaluate > Power Spectrum");
  ASSERT_EQ(f.messages.size(), 1u);
  EXPECT_EQ(f.messages[0], "Information: Sorry, This method is unavailable under current basis");
}

TEST(ToolsBatch, ScanPrintsItsCurve) {
  const std::string script = testing::TempDir() + "tools_batch.txt";
  std::ofstream(script) << "menu Source > Built-in function\n"
                           "type Edit7 1\n"
                           "menu Edit > Apply\n"
                           "menu Tools > Scan > Beta\n"
                           "print series Values\n"
                           "print boxes\n";
  FILE* pipe = popen((std::string(SERNA_BATCH) + " " + script).c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe))
    output += buffer;
  EXPECT_EQ(pclose(pipe), 0);
  EXPECT_NE(output.find("Values: 10\n0.5 "), std::string::npos) << output;
  EXPECT_NE(output.find("Edit7: 2\n"), std::string::npos) << output;
}

}  // namespace
