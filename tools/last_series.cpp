#include "tools/last_series.h"

#include <algorithm>

LastSeries lastSeries(const Workspace& ws) {
  const int32_t mesh = std::max<int32_t>(ws.meshFilled, 0);
  const int32_t terms = std::max<int32_t>(std::min({ws.termCount, ws.coefficientCount, mesh}), 0);
  return {terms, mesh};
}
