// The sums of many rows of values at one set of abscissae against a family of functions, as a
// blocked product: the functions are tabled at a block of abscissae once, and every row meets
// the table there, so that the cost of forming the functions is shared by all the rows.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "bases/progress_blocks.h"
#include "bases/vector_target.h"

// Abscissae per table: at n = 100 degrees the table (n x 256 doubles, 200 kB) stays in the
// second level cache while every tile of rows passes over it.
constexpr int32_t tableWidth = 256;

// The functions of degrees k < n at a block of up to tableWidth abscissae, one row of the table
// per degree: row(k)[i] is the function of degree k at abscissa i of the block. The columns past
// the block's width, and the rows past n (up to a whole tile of degrees), hold 0.
struct FunctionTable {
  int32_t n = 0;
  std::vector<double> values;

  explicit FunctionTable(int32_t degrees)
      : n(std::max(degrees, 0)), values(static_cast<size_t>((n + 3) / 4 * 4) * tableWidth, 0.0) {}
  double* row(int32_t k) { return values.data() + static_cast<size_t>(k) * tableWidth; }
  const double* row(int32_t k) const { return values.data() + static_cast<size_t>(k) * tableWidth; }
  // Zeroes columns width .. tableWidth - 1 of every row below n.
  void clearPast(int32_t width) {
    for (int32_t k = 0; k < n; ++k)
      std::fill(row(k) + width, row(k) + tableWidth, 0.0);
  }
};

// sums[j * n + k] += sum over i < width of table.row(k)[i] u[j * stride + i], for j < spectra
// and k < table.n.
void addTableProduct(const FunctionTable& table, int32_t width, const double* u, int64_t stride,
                     int64_t spectra, double* sums, VectorTarget target = activeVectorTarget());

// sums[j * n + k] += sum over i < m of P_k(i) u[j * stride + i], with fill(first, width, table)
// writing P_k at abscissae first .. first + width - 1 into the table's first width columns.
template <typename Fill>
void addProductByTables(int32_t m, int32_t n, const double* u, int64_t stride, int64_t spectra,
                        double* sums, const Fill& fill,
                        VectorTarget target = activeVectorTarget()) {
  if (n <= 0 || spectra <= 0) return;
  FunctionTable table(n);
  BlockProgress progress(m, spectra * n);
  for (int32_t first = 0; first < m; first += tableWidth) {
    progress.at(first);
    const int32_t width = std::min(tableWidth, m - first);
    fill(first, width, table);
    table.clearPast(width);
    addTableProduct(table, width, u + first, stride, spectra, sums, target);
  }
}
