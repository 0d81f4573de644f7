// Panning limits: a view shifted back inside the data keeps its size.
#include <gtest/gtest.h>

#include "plot/chart.h"

namespace {

void expectRange(const QCPRange& range, double lower, double upper) {
  EXPECT_EQ(range.lower, lower);
  EXPECT_EQ(range.upper, upper);
}

TEST(KeptInside, AViewInsideTheDataStaysPut) {
  expectRange(keptInside(QCPRange(1, 2), QCPRange(0, 4)), 1, 2);
  expectRange(keptInside(QCPRange(0, 4), QCPRange(0, 4)), 0, 4);
}

TEST(KeptInside, AViewPastAnEndIsShiftedBackWithItsSize) {
  expectRange(keptInside(QCPRange(-3, -1), QCPRange(0, 4)), 0, 2);
  expectRange(keptInside(QCPRange(3.5, 5.5), QCPRange(0, 4)), 2, 4);
}

TEST(KeptInside, AViewWiderThanTheDataKeepsAllOfIt) {
  expectRange(keptInside(QCPRange(2, 12), QCPRange(0, 4)), 0, 10);
  expectRange(keptInside(QCPRange(-12, -2), QCPRange(0, 4)), -6, 4);
  expectRange(keptInside(QCPRange(-1, 9), QCPRange(0, 4)), -1, 9);
}

TEST(KeptInside, DataOfOnePointIsHeldByAnyView) {
  expectRange(keptInside(QCPRange(2, 3), QCPRange(1, 1)), 1, 2);
}

}  // namespace
