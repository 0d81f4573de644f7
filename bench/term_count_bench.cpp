// The automatic term count against a fixed-count Apply with the count it chooses, at 10^5
// samples and 10^5 points: a smooth signal plus Gaussian noise, so that the count stops at the
// noise. Every basis but Bernstein, whose coefficients do not decay. Names: Basis/AutomaticApply/M
// and Basis/FixedApply/M (the count as a counter).
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>

#include "app/menu_items.h"
#include "app/recompute.h"
#include "app/startup.h"
#include "app/null_window.h"

namespace {

constexpr int32_t pointCount = 100000;

class AutomaticWindow : public NullWindow {
 public:
  bool automatic = true;
  bool isChecked(const std::string& item) const override {
    return automatic && item == automaticTermsItem;
  }
};

// 10^5 samples of a wave packet with noise of 10^-4 of its size, on [0;10]; the packet falls
// below the noise at both ends, so that Fourier sees it as periodic too.
void noisySignal(Workspace& ws, AutomaticWindow& window, int32_t basis) {
  startUp(ws, window);
  selectBasis(ws, basis);
  std::vector<double> x(pointCount), y(pointCount);
  std::mt19937_64 random(2017);
  std::normal_distribution<double> noise(0.0, 1e-4);
  for (int32_t i = 0; i < pointCount; ++i) {
    x[i] = 10.0 * i / (pointCount - 1);
    const double envelope = (x[i] - 5) / 1.5;
    y[i] = std::exp(-envelope * envelope) * std::sin(7 * x[i]) + noise(random);
  }
  replaceSamples(ws, x, y);
  ws.left = 0, ws.right = 10;
  ws.meshCount = pointCount;
  ws.termCount = 1;
}

void automaticApply(benchmark::State& state, int32_t basis) {
  Workspace ws;
  AutomaticWindow window;
  noisySignal(ws, window, basis);
  recompute(ws, window);  // warms the caches and sizes the buffers
  for (auto _ : state) {
    recompute(ws, window);
    benchmark::DoNotOptimize(ws.fitFigure);
  }
  state.counters["terms"] = ws.termCount;
}

void fixedApply(benchmark::State& state, int32_t basis) {
  Workspace ws;
  AutomaticWindow window;
  noisySignal(ws, window, basis);
  recompute(ws, window);  // the count the automatic rule chooses
  window.automatic = false;
  recompute(ws, window);
  for (auto _ : state) {
    recompute(ws, window);
    benchmark::DoNotOptimize(ws.fitFigure);
  }
  state.counters["terms"] = ws.termCount;
}

const std::pair<const char*, int32_t> benchedBases[] = {
    {"Legendre", legendreBasisIndex},     {"Chebyshev1", chebyshev1BasisIndex},
    {"Chebyshev2", chebyshev2BasisIndex}, {"Fourier", fourierBasisIndex},
    {"Hermite", hermiteBasisIndex},       {"SoninLaguerre", soninLaguerreBasisIndex},
    {"Jacobi", jacobiBasisIndex},         {"DiscreteChebyshev", discreteChebyshevBasisIndex},
};

const bool registered = [] {
  for (const auto& [name, basis] : benchedBases) {
    std::string automaticName = name, fixedName = name;
    automaticName.append("/AutomaticApply/").append(std::to_string(pointCount));
    fixedName.append("/FixedApply/").append(std::to_string(pointCount));
    benchmark::RegisterBenchmark(automaticName.c_str(), automaticApply, basis)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(fixedName.c_str(), fixedApply, basis)
        ->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace
