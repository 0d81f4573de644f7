#include "tools/score.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/data_view.h"
#include "app/recompute.h"
#include "bases/log_gamma.h"
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

// h_k / 2^(alpha + beta + 1): the squared norm of the Jacobi polynomial of degree k without its
// power of two. At k = 0 with alpha + beta = -1 the factors Gamma(alpha + beta + 1) and
// 1 / (alpha + beta + 1) are both infinite; their product is Gamma(alpha + beta + 2).
long double jacobiNormWithoutPower(int32_t k, double alpha, double beta) {
  const double ab = alpha + beta;
  if (k == 0 && ab + 1 == 0)
    return std::exp(logGamma(alpha + 1) + logGamma(beta + 1) - logGamma(1) - logGamma(ab + 2));
  return std::exp(logGamma(k + alpha + 1) + logGamma(k + beta + 1) - logGamma(k + 1) -
                  logGamma(ab + k + 1)) /
         (ab + 2 * k + 1);
}

// The weighted distance of the Workspace coefficients from ref.
double distanceFrom(const Workspace& ws, const std::vector<double>& ref) {
  const int32_t n =
      std::min<int32_t>({ws.termCount, ws.coefficientCount, static_cast<int32_t>(ref.size())});
  const long double g = std::exp(std::log(2.0L) * (ws.alpha + ws.beta + 1));
  long double d = 0.0L;
  for (int32_t k = 0; k < n; ++k) {
    const long double diff = static_cast<long double>(ref[k]) - ws.coefficients[k];
    d += g * diff * diff * jacobiNormWithoutPower(k, ws.alpha, ws.beta);
  }
  return static_cast<double>(std::sqrt(d));
}

}  // namespace

void slidingScore(Workspace& ws, Window& window) {
  // The reference is the expansion of the starting interval; compute it if there is none yet.
  if (ws.meshFilled == 0 && !recompute(ws, window)) return;
  const int32_t n = lastSeries(ws).termCount;
  const std::vector<double> ref(ws.coefficients.begin(), ws.coefficients.begin() + n);
  const double savedLeft = ws.left;
  const double savedRight = ws.right;
  const double width = ws.right - ws.left;
  const int32_t positions = windowPositions(ws, width);
  std::vector<double> starts, distances;
  starts.reserve(positions);
  distances.reserve(positions);
  for (int32_t i = 0; i < positions; ++i) {
    ws.left = ws.samplesX[i];
    ws.right = ws.left + width;
    if (!recompute(ws, window)) {  // refused for memory: already said
      ws.left = savedLeft, ws.right = savedRight;
      return;
    }
    starts.push_back(ws.samplesX[i]);
    distances.push_back(distanceFrom(ws, ref));
  }
  ws.left = savedLeft;
  ws.right = savedRight;
  recompute(ws, window);
  replaceValues(ws, std::move(starts), std::move(distances));
  showToolResult(ws, window);
}
