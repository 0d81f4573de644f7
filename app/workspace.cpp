#include "app/workspace.h"

#include <utility>

namespace {
// Replaces a buffer by a fresh one, releasing the old one first so the two never coexist.
void renew(std::vector<double>& buffer, int32_t size) {
  std::vector<double>().swap(buffer);
  buffer.resize(size);
}
}  // namespace

void growMesh(Workspace& ws) {
  if (ws.meshCount <= ws.meshCapacity) return;
  ws.meshCapacity = ws.meshCount;
  renew(ws.meshX, ws.meshCapacity);
  renew(ws.sourceValues, ws.meshCapacity);
  renew(ws.seriesValues, ws.meshCapacity);
  ws.meshFilled = 0;
  ws.sourceFilled = 0;
}

void growValues(Workspace& ws, int32_t count) {
  if (count <= ws.valuesCapacity) return;
  ws.valuesCapacity = count;
  renew(ws.valuesX, count);
  renew(ws.valuesY, count);
}

void replaceValues(Workspace& ws, std::vector<double> x, std::vector<double> y) {
  ws.valuesCount = static_cast<int32_t>(x.size());
  ws.valuesCapacity = ws.valuesCount;
  ws.valuesX = std::move(x);
  ws.valuesY = std::move(y);
}

void replaceSamples(Workspace& ws, std::vector<double> x, std::vector<double> y) {
  ws.sampleCount = static_cast<int32_t>(x.size());
  ws.samplesX = std::move(x);
  ws.samplesY = std::move(y);
}
