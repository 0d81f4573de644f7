#include "app/show_coefficients.h"

#include <utility>

#include "app/recompute.h"
#include "app/sources.h"

bool showCoefficients(Workspace& ws, Window& window, std::vector<double> c, int32_t termCount) {
  ws.coefficients.swap(c);
  ws.coefficientCount = static_cast<int32_t>(ws.coefficients.size());
  ws.termCount = termCount;
  selectSource(ws, window, SourceKind::None);
  return recompute(ws, window);
}
