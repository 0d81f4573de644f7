// The one fit behind every basis's `fit`, `projectValues` and `sumOnMesh`. The driver settles
// the parameters, lays the mesh, samples the source once, has the basis project and sum, and
// forms the fit figure 1 - captured / energy. A basis supplies only its steps, a type with
//
//   static constexpr FitRules rules;            how the modes act (FitRules below)
//   FitSettings settle(left, right, alpha, beta, n, m);
//                                               corrected parameters, caches refreshed
//   void layMesh(double* meshX);                the M mesh abscissae, ascending
//   long double project(const double* f, double* c);
//                                               c[0..N-1] (handed cleared) from the values f on
//                                               the mesh; returns the energy, the basis's own
//                                               weighted sum of f squared in its own order
//   double squaredNorm(int32_t k);              h_k of the captured energy, sum c_k^2 h_k
//   void sum(const double* c, double* values);  the series on the mesh
//
// and, for sampled coefficients, sample(source, meshX, sourceValues, c) in place of project.
#pragma once

#include <algorithm>
#include <cstdint>

#include "bases/basis.h"
#include "bases/progress_blocks.h"

enum class FitRules {
  figure,    // fitCoefficients projects and the figure is 1 - captured / energy
  noFigure,  // fitCoefficients projects; the figure is always 0
  // The coefficients are source values (Bernstein): any non-zero mode with a source samples
  // the mesh and the coefficients' abscissae, the series is summed in every mode, and the
  // figure is always 0.
  sampledCoefficients,
};

// What a basis settles before its mesh.
struct FitSettings {
  double alpha, beta;  // as corrected by the basis
  int32_t m;           // the mesh count the basis works with
  bool laysMesh;       // false: there is no mesh to lay and nothing else is done
};

// The source at meshX[0..M-1], in ascending order. A source may be slow (a long table searched
// per point): its sampling reports.
inline void sampleSource(const SourceFn& source, const double* meshX, double* sourceValues,
                         int32_t m) {
  BlockProgress progress(m, 64);
  for (int32_t i = 0; i < m; ++i) {
    progress.at(i);
    sourceValues[i] = static_cast<double>(source(meshX[i]));
  }
}

// Clears c[0..N-1], projects the values f onto it, and returns the fit figure.
template <typename Steps>
long double projectAndFigure(Steps& steps, const double* f, double* c, int32_t n) {
  for (int32_t k = 0; k < n; ++k)
    c[k] = 0.0;
  const long double energy = steps.project(f, c);
  if constexpr (Steps::rules != FitRules::figure) {
    return 0.0L;
  } else {
    long double captured = 0.0L;
    for (int32_t k = 0; k < n; ++k)
      captured += static_cast<long double>(c[k]) * c[k] * steps.squaredNorm(k);
    return energy != 0 ? 1 - captured / energy : 0.0L;
  }
}

// Settles the basis's parameters, writes alpha and beta back and lays the mesh, if any.
template <typename Steps>
FitSettings settleAndLay(Steps& steps, double left, double right, double& alpha, double& beta,
                         int32_t n, int32_t m, double* meshX) {
  const FitSettings settled = steps.settle(left, right, alpha, beta, n, m);
  alpha = settled.alpha;
  beta = settled.beta;
  if (settled.laysMesh) steps.layMesh(meshX);
  return settled;
}

template <typename Steps>
long double fitWithSteps(double left, double right, double& alpha, double& beta, double* c,
                         int32_t n, double* meshX, double* sourceValues, double* seriesValues,
                         int32_t m, const SourceFn& source, int32_t mode) {
  Steps steps;
  const FitSettings settled = settleAndLay(steps, left, right, alpha, beta, n, m, meshX);
  if (!settled.laysMesh) return 0.0L;
  if constexpr (Steps::rules == FitRules::sampledCoefficients) {
    if (mode != 0 && source) steps.sample(source, meshX, sourceValues, c);
    steps.sum(c, seriesValues);
    return 0.0L;
  } else {
    long double figure = 0.0L;
    if (mode & fitCoefficients) {
      if (source) sampleSource(source, meshX, sourceValues, settled.m);
      figure = projectAndFigure(steps, sourceValues, c, n);
    }
    if (mode & evaluateOnMesh) steps.sum(c, seriesValues);
    return figure;
  }
}

template <typename Steps>
long double projectValuesWithSteps(double left, double right, double& alpha, double& beta,
                                   const double* values, double* c, int32_t n, double* meshX,
                                   int32_t m) {
  Steps steps;
  if (!settleAndLay(steps, left, right, alpha, beta, n, m, meshX).laysMesh) return 0.0L;
  // Coefficients that are source values have no projection: without a source they stand.
  if constexpr (Steps::rules == FitRules::sampledCoefficients)
    return 0.0L;
  else
    return projectAndFigure(steps, values, c, n);
}

template <typename Steps>
void sumOnMeshWithSteps(double left, double right, double& alpha, double& beta, const double* c,
                        int32_t n, double* meshX, double* seriesValues, int32_t m) {
  Steps steps;
  if (settleAndLay(steps, left, right, alpha, beta, n, m, meshX).laysMesh)
    steps.sum(c, seriesValues);
}

// projectMany on `Steps`, which form the rows' sums together in
//   void projectMany(const double* values, int64_t spectra, double* c);
template <typename Steps>
void projectManyWithSteps(double left, double right, double& alpha, double& beta,
                          const double* values, int64_t spectra, double* c, int32_t n,
                          double* meshX, int32_t m) {
  Steps steps;
  if (!settleAndLay(steps, left, right, alpha, beta, n, m, meshX).laysMesh) return;
  std::fill(c, c + std::max<int64_t>(spectra, 0) * std::max(n, 0), 0.0);
  steps.projectMany(values, spectra, c);
}

// A basis's record whose projectMany runs on `Steps`.
template <typename Steps>
constexpr BasisOps withProjectMany(BasisOps ops) {
  ops.projectMany = projectManyWithSteps<Steps>;
  return ops;
}

// The record of a basis whose fit, projectValues and sumOnMesh run on `Steps`.
template <typename Steps>
constexpr BasisOps basisWithSteps(EvaluateFn evaluate, QuadratureFn quadrature,
                                  DifferentiateFn differentiate, IntegrateFn integrate,
                                  EvaluateManyFn evaluateMany, SpectrumFn powerSpectrum = nullptr) {
  BasisOps ops{fitWithSteps<Steps>, evaluate,     quadrature,   differentiate,
               integrate,           evaluateMany, powerSpectrum};
  ops.projectValues = projectValuesWithSteps<Steps>;
  ops.sumOnMesh = sumOnMeshWithSteps<Steps>;
  return ops;
}

// A basis's record with the squared norms of its coefficients.
constexpr BasisOps withSquaredNorm(BasisOps ops, SquaredNormFn squaredNorm) {
  ops.squaredNorm = squaredNorm;
  return ops;
}

// A basis's record with the check of the parameters it cannot use.
constexpr BasisOps withParameterCheck(BasisOps ops, ParameterCheckFn refuseParameters) {
  ops.refuseParameters = refuseParameters;
  return ops;
}
