// Linear interpolation in a table of (x, y) points, exactly 0 outside [x[0], x[n-1]].
#pragma once

#include <cstdint>

// Abscissae (non-decreasing), ordinates, count, abscissa. An empty table gives 0.
long double interpolateTable(const double* x, const double* y, int32_t n, double t);

// Where an abscissa t falls in a table's abscissae: what interpolateTable reads of the
// ordinates there. Found once, it serves every table of ordinates on the same abscissae (many
// spectra on one grid), with the same value, bit for bit.
struct TableCell {
  enum Kind : int32_t { outside, atPoint, offsetOnly, between } kind = outside;
  int32_t lo = 0, hi = 0;
  double offset = 0.0;       // t - x[lo]
  long double width = 0.0L;  // x[hi] - x[lo]
};

// The cell of t in x[0..n-1] (the search resumes where the thread's last one stopped).
TableCell tableCell(const double* x, int32_t n, double t);

// interpolateTable's value in the cell for the ordinates y.
inline long double interpolateCell(const double* y, const TableCell& cell) {
  switch (cell.kind) {
    case TableCell::outside:
      return 0.0L;
    case TableCell::atPoint:
      return y[cell.lo];
    case TableCell::offsetOnly:
      return cell.offset;
    case TableCell::between:
      break;
  }
  const long double slope = (static_cast<long double>(y[cell.hi]) - y[cell.lo]) / cell.width;
  return slope * cell.offset + y[cell.lo];
}
