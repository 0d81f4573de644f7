// Files keep a decimal point under a locale whose decimal separator is a comma.
#include "files/c_numeric_locale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "files/samples_file.h"
#include "files/table_export.h"
#include "tests/files/table_lines.h"

namespace {

TEST(CNumericLocale, FilesKeepTheDecimalPointUnderACommaLocale) {
  const std::string before = std::setlocale(LC_NUMERIC, nullptr);
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale here";
  const std::string line = tableLine(0.5, 1.5);
  const std::string bounds = boundsText(10.5, -0.5);
  const SamplesLayout layout = scanSamplesText(line);
  double x = 0, y = 0;
  readTwoColumns(line, 1, &x, &y);
  std::setlocale(LC_NUMERIC, before.c_str());
  EXPECT_NE(line.find("0.5"), std::string::npos);
  EXPECT_EQ(bounds, "10.5 -0.5");
  EXPECT_EQ(layout.twoNumberLines, 1);
  EXPECT_EQ(x, 1.5);
  EXPECT_EQ(y, 0.5);
}

}  // namespace
