#include "app/command_state.h"

#include <utility>

#include "app/memory_budget.h"

// The Workspace fields, copyable (the Workspace itself is not, as its sources refer to it).
struct WorkspaceCopy {
  std::vector<double> samplesX, samplesY;
  int32_t sampleCount;
  double left, right;
  int32_t termCount, meshCount;
  double alpha, beta;
  std::vector<double> coefficients;
  int32_t coefficientCount;
  std::vector<double> meshX, sourceValues, seriesValues;
  int32_t meshCapacity, meshFilled, sourceFilled;
  std::vector<double> valuesX, valuesY;
  int32_t valuesCount, valuesCapacity;
  std::array<double, 2> baselineX, baselineY;
  SourceKind sourceKind;
  SourceFn sourceFn;
  BasisOps basis;
  int32_t basisIndex, fitMode;
  double fitFigure, errorFigure, trapezoidFigure, integralFigure;
  double settledLeft, settledRight;
};

namespace {

// One list of the fields for both directions; `from` is moved from when it is an rvalue.
template <typename To, typename From>
void transfer(To& to, From&& from) {
  auto&& f = std::forward<From>(from);
  using F = decltype(f);
  to.samplesX = std::forward<F>(f).samplesX, to.samplesY = std::forward<F>(f).samplesY;
  to.sampleCount = f.sampleCount;
  to.left = f.left, to.right = f.right;
  to.termCount = f.termCount, to.meshCount = f.meshCount;
  to.alpha = f.alpha, to.beta = f.beta;
  to.coefficients = std::forward<F>(f).coefficients;
  to.coefficientCount = f.coefficientCount;
  to.meshX = std::forward<F>(f).meshX;
  to.sourceValues = std::forward<F>(f).sourceValues;
  to.seriesValues = std::forward<F>(f).seriesValues;
  to.meshCapacity = f.meshCapacity, to.meshFilled = f.meshFilled;
  to.sourceFilled = f.sourceFilled;
  to.valuesX = std::forward<F>(f).valuesX, to.valuesY = std::forward<F>(f).valuesY;
  to.valuesCount = f.valuesCount, to.valuesCapacity = f.valuesCapacity;
  to.baselineX = f.baselineX, to.baselineY = f.baselineY;
  to.sourceKind = f.sourceKind;
  to.sourceFn = std::forward<F>(f).sourceFn;
  to.basis = f.basis;
  to.basisIndex = f.basisIndex, to.fitMode = f.fitMode;
  to.fitFigure = f.fitFigure, to.errorFigure = f.errorFigure;
  to.trapezoidFigure = f.trapezoidFigure, to.integralFigure = f.integralFigure;
  to.settledLeft = f.settledLeft, to.settledRight = f.settledRight;
}

}  // namespace

CommandState::CommandState(Workspace& ws, Window& window)
    : ws_(ws),
      window_(window),
      kept_(std::make_unique<WorkspaceCopy>()),
      windowState_(window.state) {
  transfer(*kept_, ws);
  window.keepState();
}

CommandState::~CommandState() {
  if (kept_) window_.forgetKeptState();
}

void CommandState::restore() {
  if (!kept_) return;
  transfer(ws_, std::move(*kept_));
  kept_.reset();
  window_.state = std::move(windowState_);
  window_.restoreKeptState();
}

bool CommandState::canKeep(const Workspace& ws) {
  const int64_t doubles =
      2 * static_cast<int64_t>(ws.samplesX.size()) + static_cast<int64_t>(ws.coefficients.size()) +
      3 * static_cast<int64_t>(ws.meshX.size()) + 2 * static_cast<int64_t>(ws.valuesX.size());
  return fitsInMemory(doubles);
}
