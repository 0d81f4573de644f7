#include "bases/table_product_lanes.h"

#include "bases/lanes.h"

namespace {

// Tiles of four rows by a few degrees, whose accumulators stay in registers while the block's
// abscissae pass, each table vector and each row vector loaded once per tile. Four rows by two
// degrees keep eight accumulators and three loads in 16 registers; AVX-512's 32 take four
// degrees.
template <VectorTarget target>
struct TableProduct {
  using L = LaneSet<registerWidth(target)>;
  using Lanes = typename L::Lanes;
  static constexpr int32_t laneWidth = L::laneWidth;
  static constexpr int32_t tileRows = 4;
  static constexpr int32_t tileDegrees = target == VectorTarget::avx512 ? 4 : 2;
  static_assert(tableWidth % laneWidth == 0 && 4 % tileDegrees == 0);

  static void run(const FunctionTable& table, int32_t width, const double* u, int64_t stride,
                  int64_t spectra, double* sums) {
    const int32_t n = table.n;
    // The rows of a tile, copied into whole zero-padded blocks.
    std::vector<double> rows(static_cast<size_t>(tileRows) * tableWidth, 0.0);
    const int32_t vectors = (width + laneWidth - 1) / laneWidth;
    for (int64_t row = 0; row < spectra; row += tileRows) {
      const int64_t tile = std::min<int64_t>(tileRows, spectra - row);
      for (int32_t r = 0; r < tileRows; ++r) {
        double* to = rows.data() + static_cast<size_t>(r) * tableWidth;
        if (r < tile)
          std::copy(u + (row + r) * stride, u + (row + r) * stride + width, to);
        else
          std::fill(to, to + width, 0.0);
      }
      for (int32_t k = 0; k < n; k += tileDegrees)
        productTile(table.row(k), rows.data(), vectors, sums + row * n, tile, k, n);
    }
  }

  // sums[r * n + k + d] += the block's sum of rows[r] P_{k+d}, for r < tile, k + d < n.
  static void productTile(const double* table, const double* rows, int32_t vectors, double* sums,
                          int64_t tile, int32_t k, int32_t n) {
    Lanes acc[tileRows][tileDegrees];
#pragma GCC unroll 4
    for (int32_t r = 0; r < tileRows; ++r)
#pragma GCC unroll 4
      for (int32_t d = 0; d < tileDegrees; ++d)
        acc[r][d] = L::splat(0.0);
    for (int32_t v = 0; v < vectors; ++v) {
      const int32_t at = v * laneWidth;
      Lanes pk[tileDegrees];
#pragma GCC unroll 4
      for (int32_t d = 0; d < tileDegrees; ++d)
        pk[d] = L::loadLanes(table + static_cast<size_t>(d) * tableWidth + at);
#pragma GCC unroll 4
      for (int32_t r = 0; r < tileRows; ++r) {
        const Lanes ur = L::loadLanes(rows + static_cast<size_t>(r) * tableWidth + at);
#pragma GCC unroll 4
        for (int32_t d = 0; d < tileDegrees; ++d)
          acc[r][d] += ur * pk[d];
      }
    }
    for (int32_t r = 0; r < tile; ++r)
      for (int32_t d = 0; d < tileDegrees && k + d < n; ++d)
        sums[r * n + k + d] += L::laneSum(acc[r][d]);
  }
};

}  // namespace

void addTableProduct(const FunctionTable& table, int32_t width, const double* u, int64_t stride,
                     int64_t spectra, double* sums, VectorTarget target) {
  if (table.n <= 0 || spectra <= 0 || width <= 0) return;
  runOnTarget<TableProduct>(target, table, width, u, stride, spectra, sums);
}
