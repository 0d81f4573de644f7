#include "tools/score.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "app/recompute.h"
#include "bases/gamma_ratio.h"
#include "bases/progress.h"
#include "tools/last_series.h"

namespace {

// Windows [samplesX[i], samplesX[i] + width] for i below the returned count: c walks down from
// the last sample while its window reaches past the last sample, and the windows that start
// before sample c are scanned.
int32_t windowPositions(const Workspace& ws, double width) {
  if (ws.sampleCount < 1) return 0;
  const double last = ws.samplesX[ws.sampleCount - 1];
  int32_t c = ws.sampleCount - 1;
  while (c > 0 && ws.samplesX[c] + width > last)
    --c;
  return c;
}

// The weighted distance of the Workspace coefficients from ref.
double distanceFrom(const Workspace& ws, const std::vector<double>& ref) {
  const int32_t n =
      std::min<int32_t>({ws.termCount, ws.coefficientCount, static_cast<int32_t>(ref.size())});
  long double d = 0.0L;
  for (int32_t k = 0; k < n; ++k) {
    const long double diff = static_cast<long double>(ref[k]) - ws.coefficients[k];
    d += diff * diff * jacobiSquaredNorm(k, ws.alpha, ws.beta);
  }
  return static_cast<double>(std::sqrt(d));
}

}  // namespace

// The two gamma quotients come from gammaRatio, whose error does not grow with k as a
// difference of four logarithms of gamma would. They pair the gammas whose arguments lie
// min(|alpha|, |beta|) apart, the better conditioned way. At k = 0, Gamma(ab + 1) / (ab + 1)
// is Gamma(ab + 2), which stays finite at ab = -1.
long double jacobiSquaredNorm(int32_t k, double alpha, double beta) {
  const long double ab = static_cast<long double>(alpha) + beta;
  const long double power = std::exp2(ab + 1);
  if (std::fabs(beta) < std::fabs(alpha)) std::swap(alpha, beta);  // h_k is symmetric
  // Gamma(k + alpha + 1) / Gamma(k + 1) times Gamma(k + beta + 1) / Gamma(k + ab + 1)
  if (k == 0) return power * gammaRatio(0, alpha + 1.0L, 1) * gammaRatio(0, beta + 1.0L, ab + 2);
  return power * gammaRatio(k, alpha + 1.0L, 1) * gammaRatio(k, beta + 1.0L, ab + 1) /
         (ab + 2.0L * k + 1);
}

std::optional<ValuesTable> slidingScore(Workspace& ws, Window& window) {
  // The reference is the expansion of the starting interval; compute it if there is none yet.
  const ProgressLoop progress(1);
  if (ws.meshFilled == 0 && !recompute(ws, window)) return std::nullopt;
  const int32_t n = lastSeries(ws).termCount;
  const std::vector<double> ref(ws.coefficients.begin(), ws.coefficients.begin() + n);
  const double savedLeft = ws.left;
  const double savedRight = ws.right;
  const double width = ws.right - ws.left;
  const int32_t positions = windowPositions(ws, width);
  progress.setTotal(static_cast<int64_t>(positions) + 1);
  std::vector<double> starts, distances;
  starts.reserve(positions);
  distances.reserve(positions);
  for (int32_t i = 0; i < positions; ++i) {
    progress.report(i);
    ws.left = ws.samplesX[i];
    ws.right = ws.left + width;
    if (!recompute(ws, window)) return std::nullopt;
    starts.push_back(ws.samplesX[i]);
    distances.push_back(distanceFrom(ws, ref));
  }
  ws.left = savedLeft;
  ws.right = savedRight;
  progress.report(positions);
  recompute(ws, window);
  return ValuesTable{std::move(starts), std::move(distances), {"window start", "distance"}};
}
