#include "app/workspace.h"

#include <utility>

Growth prepareGrowth(const Workspace& ws, int32_t meshCount, int32_t valuesCount) {
  Growth growth;
  if (meshCount > ws.meshCapacity) {
    growth.mesh = true;
    growth.meshX.resize(meshCount);
    growth.sourceValues.resize(meshCount);
    growth.seriesValues.resize(meshCount);
    growth.meshCapacity = meshCount;
  }
  if (valuesCount > ws.valuesCapacity) {
    growth.values = true;
    growth.valuesX.resize(valuesCount);
    growth.valuesY.resize(valuesCount);
    growth.valuesCapacity = valuesCount;
  }
  return growth;
}

void swapGrowth(Workspace& ws, Growth& growth) noexcept {
  if (growth.mesh) {
    ws.meshX.swap(growth.meshX);
    ws.sourceValues.swap(growth.sourceValues);
    ws.seriesValues.swap(growth.seriesValues);
    std::swap(ws.meshCapacity, growth.meshCapacity);
    std::swap(ws.meshFilled, growth.meshFilled);
    std::swap(ws.sourceFilled, growth.sourceFilled);
  }
  if (growth.values) {
    ws.valuesX.swap(growth.valuesX);
    ws.valuesY.swap(growth.valuesY);
    std::swap(ws.valuesCapacity, growth.valuesCapacity);
  }
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
