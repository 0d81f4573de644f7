// A fuzz loop over the samples and coefficient readers: random texts and mutations of valid
// files (flipped, inserted, deleted and repeated bytes, NULs, huge lines, "nan" and "inf").
// Every input must be read without a crash and the reading pass must fill exactly the
// entries the counting pass found. Build with -fsanitize=address,undefined to check memory.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/startup.h"
#include "files/coefficient_files.h"
#include "files/samples_file.h"
#include "files/table_export.h"
#include "files/text_file.h"
#include "tests/app/fake_window.h"
#include "tests/files/table_lines.h"
#include "tests/files/temp_folder.h"

namespace {

constexpr double sentinel = -123456.789;
constexpr int64_t largestCountRead = 1 << 20;

const char* const pieces[] = {
    "0",      "1",  "-",    "+",         ".",         "e",          "E",   "5",    "9",     " ",
    "\t",     "\n", "\r\n", "\r",        "#",         "nan",        "inf", "-inf", "0x1p3", "1e999",
    "1e-400", ",",  "ppm.", "# LEFT = ", " RIGHT = ", "2147483648", "-1",  "abc",  "\xff"};

class Fuzzer {
 public:
  explicit Fuzzer(uint64_t seed) : random_(seed) {}

  size_t below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }

  std::string randomText() {
    std::string text;
    const size_t parts = below(200);
    for (size_t i = 0; i < parts; ++i) {
      if (below(40) == 0)
        text.push_back('\0');
      else
        text += pieces[below(std::size(pieces))];
    }
    if (below(20) == 0) text += std::string(below(3000), below(2) ? '7' : ' ');
    return text;
  }

  std::string mutate(std::string text) {
    const size_t steps = 1 + below(8);
    for (size_t s = 0; s < steps; ++s) {
      const size_t at = text.empty() ? 0 : below(text.size() + 1);
      switch (below(5)) {
        case 0:
          if (!text.empty() && at < text.size()) text[at] = static_cast<char>(below(256));
          break;
        case 1:
          text.insert(at, pieces[below(std::size(pieces))]);
          break;
        case 2:
          text.erase(at, below(16));
          break;
        case 3:
          text.insert(at, text.substr(at, below(64)));
          break;
        case 4:
          text.insert(at, std::string(below(1500), ' '));
          break;
      }
    }
    return text;
  }

 private:
  std::mt19937_64 random_;
};

// Runs the counting and reading passes of both readers over one text.
void readEverything(std::string text) {
  normaliseLineEnds(text);
  const SamplesLayout layout = scanSamplesText(text);
  const ColumnMode mode = columnModeOf(layout);
  const int64_t n = sampleCountOf(layout, mode);
  ASSERT_GE(n, 0);
  if (mode != ColumnMode::None && n < largestCountRead) {
    std::vector<double> x(n + 1, sentinel), y(n + 1, sentinel);
    if (mode == ColumnMode::Two)
      readTwoColumns(text, int32_t(n) + 1, x.data(), y.data());
    else
      readOneColumn(text, int32_t(n) + 1, 0.0, 1.0, false, x.data(), y.data());
    ASSERT_EQ(x[n], sentinel);
    ASSERT_EQ(y[n], sentinel);
    if (n > 0) {
      ASSERT_NE(x[n - 1], sentinel) << "the reading pass found fewer lines";
    }
    strictlyAscending(x.data(), int32_t(n));
  }
  const int32_t largest = largestIndex(text);
  ASSERT_GE(largest, -1);
  if (largest >= 0 && largest < largestCountRead) {
    std::vector<double> c(largest + 2, 0.0);
    c[largest + 1] = sentinel;
    readCoefficients(text, c.data(), largest + 1);
    ASSERT_EQ(c[largest + 1], sentinel);
  }
}

std::vector<std::string> seeds() {
  std::vector<std::string> texts = {
      readWhole(fixture("three_samples.txt")), readWhole(fixture("mixed_columns.txt")),
      readWhole(fixture("header_bounds.txt")), readWhole(fixture("two_coefficients.txt")),
      readWhole(fixture("three_samples_crlf.txt"))};
  std::string table;
  for (int i = 0; i < 40; ++i)
    table += tableLine(i * 0.37 - 3, i * 0.25);
  texts.push_back(table);
  std::string coefficients;
  for (int i = 0; i < 40; ++i)
    coefficients += coefficientTableLine(1.0 / (i + 1), 39 - i);
  texts.push_back(coefficients);
  return texts;
}

TEST(FileReadersFuzz, RandomAndMutatedTextsReadSafely) {
  Fuzzer fuzzer(2026);
  const std::vector<std::string> valid = seeds();
  for (int round = 0; round < 6000; ++round) {
    const std::string text =
        round % 3 == 0 ? fuzzer.randomText() : fuzzer.mutate(valid[fuzzer.below(valid.size())]);
    readEverything(text);
    if (HasFatalFailure()) {
      ADD_FAILURE() << "round " << round;
      return;
    }
  }
}

// The whole commands over mutated files, with random answers to the bounds box.
TEST(FileReadersFuzz, OpenCommandsNeverLeaveABrokenWorkspace) {
  Fuzzer fuzzer(7);
  const std::vector<std::string> valid = seeds();
  TempFolder folder;
  Workspace ws;
  FakeWindow window;
  startUp(ws, window);
  const std::optional<std::string> bounds[] = {std::nullopt, "",        "1 0",      "0 1",
                                               "5",          "nan nan", "inf -inf", "2 2"};
  for (int round = 0; round < 300; ++round) {
    const std::string text = fuzzer.mutate(valid[fuzzer.below(valid.size())]);
    // Opening coefficients evaluates the series at once: keep its term count small.
    const bool samples = round % 2 || largestIndex(text) > 4000;
    const std::string path = folder.write("f.txt", text);
    window.answers = {path};
    for (int i = 0; i < 4; ++i)
      window.answers.push_back(bounds[fuzzer.below(std::size(bounds))]);
    if (samples)
      openSamples(ws, window);
    else
      openCoefficients(ws, window);
    ASSERT_EQ(ws.samplesX.size(), size_t(ws.sampleCount));
    ASSERT_EQ(ws.samplesY.size(), size_t(ws.sampleCount));
    ASSERT_GE(ws.sampleCount, 1);
    ASSERT_TRUE(strictlyAscending(ws.samplesX.data(), ws.sampleCount));
    ASSERT_EQ(ws.coefficients.size(), size_t(ws.coefficientCount));
  }
}

}  // namespace
