#include "app/show_coefficients.h"

#include <utility>

#include "app/recompute.h"
#include "app/sources.h"

namespace {

SourceKind checkedSource(const Window& window) {
  for (SourceKind kind : {SourceKind::Samples, SourceKind::Values, SourceKind::Builtin})
    if (window.isChecked(sourceMenuItem(kind))) return kind;
  return SourceKind::None;
}

}  // namespace

bool showCoefficients(Workspace& ws, Window& window, std::vector<double> c, int32_t termCount) {
  const SourceKind source = checkedSource(window);
  const int32_t oldCount = ws.coefficientCount, oldTerms = ws.termCount;
  ws.coefficients.swap(c);
  ws.coefficientCount = static_cast<int32_t>(ws.coefficients.size());
  ws.termCount = termCount;
  selectSource(ws, window, SourceKind::None);
  if (recompute(ws, window)) return true;
  ws.coefficients.swap(c);
  ws.coefficientCount = oldCount, ws.termCount = oldTerms;
  selectSource(ws, window, source);
  return false;
}
