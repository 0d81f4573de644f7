// The File menu in the real main window: the chart's abscissa direction after a load, the
// picture at the chart's size on screen, and a whole session through serna-batch.
#include <gtest/gtest.h>
#include <QAction>
#include <QImage>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/form/tform1.h"
#include "files/table_export.h"
#include "tests/files/table_lines.h"
#include "tests/files/temp_folder.h"

namespace {

class FileMenu : public ::testing::Test {
 protected:
  FileMenu() {
    auto provider = std::make_unique<ScriptedDialogs>(
        [this](const std::string& text) { messages.push_back(text); });
    script = provider.get();
    form = std::make_unique<TForm1>(std::move(provider));
  }

  void choose(const std::string& item) { form->menuItem(item)->trigger(); }

  std::vector<std::string> messages;
  ScriptedDialogs* script = nullptr;
  std::unique_ptr<TForm1> form;
  TempFolder folder;
};

TEST_F(FileMenu, EveryItemIsAvailable) {
  for (const std::string& path : form->menuItemPaths()) {
    if (path.rfind("File > ", 0) == 0) {
      EXPECT_TRUE(form->menuItem(path)->isEnabled()) << path;
    }
  }
}

TEST_F(FileMenu, ReversedLoadInvertsTheAbscissaAxisAndItsCheckMark) {
  script->queue(fixture("five_values.txt"));
  script->queue("1 0");
  choose("File > Open > Samples");
  EXPECT_TRUE(form->chart().xAxis->rangeReversed());
  EXPECT_TRUE(form->menuItem("View > Invert Abscissa")->isChecked());

  script->queue(fixture("three_samples.txt"));
  choose("File > Open > Samples");
  EXPECT_FALSE(form->chart().xAxis->rangeReversed());
  EXPECT_FALSE(form->menuItem("View > Invert Abscissa")->isChecked());
  EXPECT_EQ(form->windowTitle().toStdString(), "Serna - " + fixture("three_samples.txt") + " [3]");
  EXPECT_TRUE(messages.empty());
}

TEST_F(FileMenu, PictureHasTheChartsSizeOnScreen) {
  form->resize(800, 500);
  form->show();
  const std::string first = folder.file("first.bmp");
  script->queue(first);
  choose("File > Save > Picture");
  const QSize before = form->chart().size();
  form->resize(640, 420);
  const std::string second = folder.file("second");
  script->queue(second);
  choose("File > Save > Picture");

  const QImage one(QString::fromStdString(first), "BMP");
  const QImage two(QString::fromStdString(second + ".bmp"), "BMP");
  EXPECT_EQ(one.size(), before);
  EXPECT_EQ(two.size(), form->chart().size());
  EXPECT_NE(one.size(), two.size());
  EXPECT_TRUE(messages.empty());
}

TEST_F(FileMenu, PictureAsPngOrPdfByTheExtension) {
  form->resize(800, 500);
  form->show();
  const std::string png = folder.file("chart.PNG"), pdf = folder.file("chart.pdf");
  script->queue(png);
  choose("File > Save > Picture");
  script->queue(pdf);
  choose("File > Save > Picture");
  EXPECT_TRUE(messages.empty());

  const QImage image(QString::fromStdString(png), "PNG");
  EXPECT_EQ(image.size(), form->chart().size());
  EXPECT_EQ(readWhole(png).substr(0, 8), "\x89PNG\r\n\x1a\n");
  // One page of vector drawing: line and text operators, no embedded bitmap.
  const std::string document = readWhole(pdf);
  EXPECT_EQ(document.substr(0, 5), "%PDF-");
  EXPECT_NE(document.find("/Type /Page"), std::string::npos);
  EXPECT_EQ(document.find("/Subtype /Image"), std::string::npos);
}

// Runs serna-batch over a script and returns what it printed.
std::string runSernaBatch(const std::string& script) {
  TempFolder folder;
  const std::string path = folder.write("script.txt", script);
  const std::string command = std::string(SERNA_BATCH) + " " + path + " 2>/dev/null";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  std::string out;
  char buffer[4096];
  while (size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
    out.append(buffer, got);
  EXPECT_EQ(::pclose(pipe), 0);
  return out;
}

// The block "TITLE: N" and its N lines of a "print series" output.
std::string seriesBlock(const std::string& out, const std::string& title) {
  const size_t start = out.find(title + ": ");
  if (start == std::string::npos) return "";
  std::istringstream in(out.substr(start));
  std::string header;
  std::getline(in, header);
  const int n = std::stoi(header.substr(title.size() + 2));
  std::string block;
  for (int i = 0; i < n; ++i) {
    std::string line;
    std::getline(in, line);
    block += line + "\n";
  }
  return block;
}

// A session as a user would run it: open a spectrum, apply, save the coefficients and the
// values, open the values as samples (the same points, bit for bit), and reopen the
// coefficients as the series shown.
TEST_F(FileMenu, SessionThroughSernaBatch) {
  std::string spectrum;
  for (int i = 0; i < 200; ++i) {
    const double x = i / 20.0;
    spectrum += tableLine(1.0 / (1.0 + (x - 5) * (x - 5)) + 0.01 * x, x);
  }
  const std::string samples = folder.write("spectrum.txt", spectrum);
  const std::string values = folder.file("values.txt");
  const std::string coefficients = folder.file("coefficients.txt");
  const std::string out = runSernaBatch("answer " + samples +
                                        "\nmenu File > Open > Samples\nprint caption\n"
                                        "type Edit4 20\nmenu Edit > Apply\nprint series Values\n"
                                        "answer " +
                                        values +
                                        "\nmenu File > Save > Values\n"
                                        "answer " +
                                        coefficients +
                                        "\nmenu File > Save > Coefficients\n"
                                        "answer " +
                                        values +
                                        "\nmenu File > Open > Samples\nprint series Samples\n"
                                        "answer " +
                                        coefficients +
                                        "\nmenu File > Open > Coefficients\nprint workspace\n"
                                        "answer /dev/full\nmenu File > Save > Values\n");
  EXPECT_NE(out.find("Caption: Serna - " + samples + " [200]\n"), std::string::npos) << out;
  const std::string residual = seriesBlock(out, "Values");
  EXPECT_EQ(std::count(residual.begin(), residual.end(), '\n'), 200);
  EXPECT_EQ(seriesBlock(out, "Samples"), residual);
  EXPECT_NE(out.find("termCount: 20\n"), std::string::npos);
  EXPECT_NE(out.find("coefficientCount: 20\n"), std::string::npos);
  EXPECT_NE(out.find("Warning: Can't write file /dev/full: No space left on device\n"),
            std::string::npos);
}

}  // namespace
