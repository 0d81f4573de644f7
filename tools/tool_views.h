// What a tool reads and what it gives back. A tool is a plain function from a view of the
// series (or of the samples) to a new Values table; running it against the Workspace and the
// window is the runner's work (app/tool_runner.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bases/basis.h"

// What the two columns of a tool's table are, named on the chart's axes; empty for a table of
// the data itself (samples kept, combined with the series, or smoothed).
struct AxisTitles {
  std::string abscissa, ordinate;
};

// A tool's result, which becomes the Values table.
struct ValuesTable {
  std::vector<double> x, y;
  AxisTitles titles;
};

// The series that the last recompute left: read-only, apart from what fit itself may write.
// A tool that calls fit lays the mesh anew into meshX (the same nodes for the same counts and
// parameters) and may see alpha and beta corrected, as the recompute cycle does.
struct SeriesView {
  const BasisOps& basis;
  double left, right;
  double& alpha;
  double& beta;
  const double* coefficients;
  int32_t termCount;  // 0 when no series has been computed yet
  double* meshX;
  int32_t meshCount;
};

// The samples, with the interval and the series to compare them with.
struct SamplesView {
  const double* x;
  const double* y;
  int32_t count;
  SeriesView series;
};
