#include "tools/last_series.h"

#include <algorithm>

const char* const noSeriesMessage = "There is no series yet. Press Apply first";

LastSeries lastSeries(const Workspace& ws) {
  const int32_t mesh = std::max<int32_t>(ws.meshFilled, 0);
  const int32_t terms = std::max<int32_t>(std::min({ws.termCount, ws.coefficientCount, mesh}), 0);
  return {terms, mesh};
}

bool haveSeries(const Workspace& ws, Window& window) {
  const LastSeries last = lastSeries(ws);
  if (last.termCount > 0 && last.meshCount > 0) return true;
  window.message(MessageKind::Information, noSeriesMessage);
  return false;
}
