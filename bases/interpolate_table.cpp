#include "bases/interpolate_table.h"

namespace {
// One search cursor per thread: callers pass rising abscissae over a table, so the search
// resumes where the previous call stopped. It only speeds up the search; the value never
// depends on where it stood.
thread_local int32_t lo = 0;
thread_local int32_t hi = 1;
}  // namespace

TableCell tableCell(const double* x, int32_t n, double t) {
  TableCell cell;
  if (n <= 0) return cell;
  if (hi >= n) lo = 0, hi = 1;
  if (t < x[lo]) lo = 0, hi = 1;
  while (hi < n - 1 && t >= x[hi])
    ++lo, ++hi;
  if (t < x[0] || t > x[n - 1]) return cell;
  cell.lo = lo, cell.hi = hi;
  cell.offset = t - x[lo];
  if (cell.offset == 0) {
    cell.kind = TableCell::atPoint;
  } else if (hi >= n) {
    cell.kind = TableCell::offsetOnly;  // a one-point table, only with a not-a-number abscissa
  } else {
    cell.kind = TableCell::between;
    cell.width = static_cast<long double>(x[hi]) - x[lo];
  }
  return cell;
}

long double interpolateTable(const double* x, const double* y, int32_t n, double t) {
  return interpolateCell(y, tableCell(x, n, t));
}
