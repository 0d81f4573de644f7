// The one mapping between the interval [left, right] and the finite bases' variable t on
// [-1, 1]: x = mid + half t, and back t = (2x - left - right) / (right - left); and the one
// uniform mesh of M abscissae from left to right.
#pragma once

#include <cstdint>

struct IntervalMap {
  double mid;
  double half;
};

inline IntervalMap mapInterval(double left, double right) {
  return {(right + left) * 0.5, (right - left) * 0.5};
}

inline double toAbscissa(const IntervalMap& map, long double t) {
  return static_cast<double>(map.mid + map.half * t);
}

// Twice x, minus left, minus right, divided by the width; rounded to a double.
inline double toUnit(double left, double right, double x) {
  long double twice = 2.0L * x;
  return static_cast<double>((twice - left - right) / (static_cast<long double>(right) - left));
}

// dt/dx of the mapping, 2 / (right - left), rounded once.
inline double unitPerAbscissa(double left, double right) {
  return static_cast<double>(2.0L / (static_cast<long double>(right) - left));
}

// The mesh of M nodes in mirrored pairs about mid: unitOf(i), i < M/2, is the unit abscissa of
// the i-th (negative) node, its mirror lies at -unitOf(i), and an odd count adds mid itself.
template <typename UnitOf>
void layMirroredMesh(const IntervalMap& map, int32_t m, UnitOf unitOf, double* meshX) {
  const int32_t pairs = m / 2;
  for (int32_t i = 0; i < pairs; ++i) {
    const long double t = unitOf(i);
    meshX[i] = toAbscissa(map, t);
    meshX[m - 1 - i] = toAbscissa(map, -t);
  }
  if (m % 2 != 0) meshX[pairs] = map.mid;
}

// The i-th of M equally spaced abscissae from left to right inclusive: i (right - left) /
// (M - 1) + left, rounded once; left itself when M is 1.
inline double uniformAbscissa(double left, double right, int32_t i, int32_t m) {
  const long double width = static_cast<long double>(right) - left;
  return m > 1 ? static_cast<double>(i * width / (m - 1) + left) : left;
}

// The constant pi as the program uses it everywhere, and to long double precision for angles
// that are rounded once to double.
constexpr double pi = 3.141592653589793;
constexpr long double piLong = 3.141592653589793238462643383279502884L;
