// The one program-wide state: the samples, the parameters, the coefficients, the evaluation
// mesh, the Values table, the baseline, the current source and basis, and the figures.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "bases/basis.h"

// What the series approximates: the samples, the Values table, the built-in function, or
// nothing (the held coefficients are evaluated).
enum class SourceKind { Samples, Values, Builtin, None };

struct Workspace {
  // Samples table, abscissae ascending. Replaced whole by its writers.
  std::vector<double> samplesX;
  std::vector<double> samplesY;
  int32_t sampleCount = 0;

  // Parameters.
  double left = 0.0;
  double right = 0.0;
  int32_t termCount = 0;
  int32_t meshCount = 0;
  double alpha = 0.0;
  double beta = 0.0;

  // Coefficients of the current basis.
  std::vector<double> coefficients;
  int32_t coefficientCount = 0;

  // Evaluation mesh; the three buffers share meshCapacity and only grow.
  std::vector<double> meshX;
  std::vector<double> sourceValues;
  std::vector<double> seriesValues;
  int32_t meshCapacity = 0;
  // Entries of the mesh buffers written by the last recompute (meshX, seriesValues), and of
  // sourceValues sampled from a source on that same mesh. Readers never go past these.
  int32_t meshFilled = 0;
  int32_t sourceFilled = 0;

  // Values table: the residual, or a tool's result. valuesCapacity = entries the buffers hold.
  std::vector<double> valuesX;
  std::vector<double> valuesY;
  int32_t valuesCount = 0;
  int32_t valuesCapacity = 0;

  // Two-point baseline through the first and last sample inside the interval.
  std::array<double, 2> baselineX{};
  std::array<double, 2> baselineY{};

  // Source, basis and figures. sourceFn is the function of sourceKind (empty for None).
  SourceKind sourceKind = SourceKind::None;
  SourceFn sourceFn;
  BasisOps basis{};
  int32_t basisIndex = 0;
  int32_t fitMode = 0;
  double fitFigure = 0.0;
  double errorFigure = 0.0;
  double trapezoidFigure = 0.0;
  double integralFigure = 0.0;

  // The interval that the last recompute settled, kept for an interval that cannot be settled
  // from the samples (a single sample).
  double settledLeft = 0.0;
  double settledRight = 2.0;

  Workspace() = default;
  Workspace(const Workspace&) = delete;  // sources hold a reference to their Workspace
  Workspace& operator=(const Workspace&) = delete;
};

// New buffers for the two tables the recompute cycle sizes, had in full before the Workspace
// changes. A table's buffers only grow: they are replaced when the count exceeds their capacity
// and kept otherwise; the old contents are discarded, not copied.
struct Growth {
  bool mesh = false;  // the three mesh buffers are replaced
  std::vector<double> meshX, sourceValues, seriesValues;
  int32_t meshCapacity = 0, meshFilled = 0, sourceFilled = 0;
  bool values = false;  // the two Values buffers are replaced
  std::vector<double> valuesX, valuesY;
  int32_t valuesCapacity = 0;
};

// The buffers a mesh of meshCount points and a Values table of valuesCount entries need beyond
// those held. Throws std::bad_alloc with nothing changed when they cannot be had.
Growth prepareGrowth(const Workspace& ws, int32_t meshCount, int32_t valuesCount);
// Puts the prepared buffers in place and hands the old ones back in `growth`, so that a second
// call undoes the first. Never fails.
void swapGrowth(Workspace& ws, Growth& growth) noexcept;
// Replaces the Values table by a tool's result; the buffers then hold exactly those entries.
void replaceValues(Workspace& ws, std::vector<double> x, std::vector<double> y);
// Replaces the samples table whole.
void replaceSamples(Workspace& ws, std::vector<double> x, std::vector<double> y);
