// Linear interpolation of a table: exact hits, zero outside, and independence of the cursor.
#include "bases/interpolate_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const double xs[] = {0, 1, 2, 4};
const double ys[] = {1, 3, 2, 10};

TEST(InterpolateTable, ZeroOutsideTheRange) {
  EXPECT_EQ(interpolateTable(xs, ys, 4, -1e-300), 0.0L);
  EXPECT_EQ(interpolateTable(xs, ys, 4, std::nextafter(4.0, 5.0)), 0.0L);
}

TEST(InterpolateTable, ExactAtTheTableAbscissae) {
  EXPECT_EQ(interpolateTable(xs, ys, 4, 0.0), 1.0L);
  EXPECT_EQ(interpolateTable(xs, ys, 4, 1.0), 3.0L);
  EXPECT_EQ(interpolateTable(xs, ys, 4, 2.0), 2.0L);
  EXPECT_NEAR((double)interpolateTable(xs, ys, 4, 4.0), 10.0, 1e-15);
}

TEST(InterpolateTable, StraightLinesBetweenPoints) {
  EXPECT_NEAR((double)interpolateTable(xs, ys, 4, 0.5), 2.0, 1e-15);
  EXPECT_NEAR((double)interpolateTable(xs, ys, 4, 3.0), 6.0, 1e-15);
}

TEST(InterpolateTable, ValueDoesNotDependOnTheCursor) {
  const double other[] = {-5, 5};
  const double otherY[] = {0, 10};
  double fresh = (double)interpolateTable(xs, ys, 4, 1.5);
  interpolateTable(xs, ys, 4, 3.9);         // cursor at the last segment
  interpolateTable(other, otherY, 2, 4.0);  // another table
  EXPECT_EQ((double)interpolateTable(xs, ys, 4, 1.5), fresh);
  EXPECT_NEAR((double)interpolateTable(other, otherY, 2, 0.0), 5.0, 1e-15);
}

TEST(InterpolateTable, RepeatedAbscissae) {
  const double x[] = {0, 1, 1, 2, 2};
  const double y[] = {0, 5, 6, 7, 8};
  EXPECT_EQ(interpolateTable(x, y, 5, 1.0), 6.0L);  // the last point carrying the abscissa
  EXPECT_EQ(interpolateTable(x, y, 5, 2.0), 7.0L);  // at the last abscissa: point n - 2
}

TEST(InterpolateTable, TinyTablesAndNotANumber) {
  const double x[] = {3};
  const double y[] = {7};
  EXPECT_EQ(interpolateTable(x, y, 1, 3.0), 7.0L);
  EXPECT_EQ(interpolateTable(x, y, 1, 3.5), 0.0L);
  EXPECT_TRUE(std::isnan((double)interpolateTable(x, y, 1, std::nan(""))));
  EXPECT_TRUE(std::isnan((double)interpolateTable(xs, ys, 4, std::nan(""))));
  EXPECT_EQ(interpolateTable(nullptr, nullptr, 0, 1.0), 0.0L);
}

}  // namespace
