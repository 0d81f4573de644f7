#include "app/sources.h"

#include <cmath>

#include "bases/interpolate_table.h"

SourceFn samplesSource(const Workspace& ws) {
  return [&ws](double x) {
    return interpolateTable(ws.samplesX.data(), ws.samplesY.data(), ws.sampleCount, x);
  };
}

SourceFn valuesSource(const Workspace& ws) {
  return [&ws](double x) {
    return interpolateTable(ws.valuesX.data(), ws.valuesY.data(), ws.valuesCount, x);
  };
}

SourceFn builtinSource() {
  return [](double x) { return static_cast<long double>(std::sin(x)); };
}

const char* sourceMenuItem(SourceKind kind) {
  switch (kind) {
    case SourceKind::Samples:
      return "Source > Samples";
    case SourceKind::Values:
      return "Source > Values";
    case SourceKind::Builtin:
      return "Source > Built-in function";
    case SourceKind::None:
      return "Source > None";
  }
  return "";
}

void selectSource(Workspace& ws, Window& window, SourceKind kind) {
  ws.sourceKind = kind;
  for (SourceKind item :
       {SourceKind::Samples, SourceKind::Values, SourceKind::Builtin, SourceKind::None})
    window.setChecked(sourceMenuItem(item), item == kind);
  switch (kind) {
    case SourceKind::Samples:
      ws.sourceFn = samplesSource(ws);
      break;
    case SourceKind::Values:
      ws.sourceFn = valuesSource(ws);
      break;
    case SourceKind::Builtin:
      ws.sourceFn = builtinSource();
      break;
    case SourceKind::None:
      ws.sourceFn = nullptr;
      break;
  }
}
