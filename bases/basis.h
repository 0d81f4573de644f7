// The contract every series basis fulfils, and the table of the nine bases.
//
// A basis is a record of six plain functions. The Workspace holds one current record and
// every part of the program calls the series through it, never asking which basis it is.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// The source: the value of the approximated function at an abscissa, or empty for "none".
using SourceFn = std::function<long double(double x)>;

// The two flags of fit's `mode`.
constexpr int32_t fitCoefficients = 1;  // sample the source (if given) and compute c[0..N-1]
constexpr int32_t evaluateOnMesh = 2;   // write the series of c[0..N-1] into seriesValues

// fit: lays the basis's mesh of M points on [left, right] into meshX (in every mode), then,
//   with fitCoefficients, samples the source into sourceValues (when a source is given) and
//   computes c[0..N-1]; with evaluateOnMesh, writes the series into seriesValues. May correct
//   alpha and beta. Returns the fit figure: 1 - captured / energy, 0 without fitCoefficients.
using FitFn = long double (*)(double left, double right, double& alpha, double& beta, double* c,
                              int32_t n, double* meshX, double* sourceValues, double* seriesValues,
                              int32_t m, const SourceFn& source, int32_t mode);
// evaluate: the series c[0..N-1] at any abscissa x, inside or outside [left, right].
using EvaluateFn = long double (*)(double left, double right, double alpha, double beta,
                                   const double* c, int32_t n, double x);
// evaluateMany: the series at each of x[0..count-1] (any order) into values[0..count-1]; the
//   same quantity as evaluate, rounded to a double, for many abscissae at once.
using EvaluateManyFn = void (*)(double left, double right, double alpha, double beta,
                                const double* c, int32_t n, const double* x, double* values,
                                int32_t count);
// quadrature: the M nodes (ascending, in the basis's own variable) and their weights.
using QuadratureFn = void (*)(double* nodes, double* weights, int32_t m, double alpha, double beta);
// differentiate: the coefficients of dS/dx in the same basis into d[0..N] (zeroed by the
//   caller); writes at most N entries, N + 1 where the derivative rises one degree.
using DifferentiateFn = void (*)(double left, double right, double alpha, double beta,
                                 const double* c, double* d, int32_t n);
// integrate: the integral of the series over [left, right] (the whole line for Hermite).
using IntegrateFn = long double (*)(double left, double right, double alpha, double beta,
                                    const double* c, int32_t n);

// powerSpectrum (optional): the power of the series c[0..N-1] as a table (x, y) of angular
//   frequency and power, from the way the basis's functions behave under the Fourier
//   transform; meshX[0..M-1] is the mesh of the last fit, which it may lay anew. May correct
//   alpha and beta as fit does. Null where the basis has no spectrum.
using SpectrumFn = void (*)(double left, double right, double& alpha, double& beta, const double* c,
                            int32_t n, double* meshX, int32_t m, std::vector<double>& x,
                            std::vector<double>& y);

// projectValues: fit's mode 1 without a source, on values the caller holds: lays the mesh into
//   meshX and sets c[0..N-1] to the projection of values[0..M-1], given at that mesh, on the
//   first N functions. Returns the fit figure.
using ProjectValuesFn = long double (*)(double left, double right, double& alpha, double& beta,
                                        const double* values, double* c, int32_t n, double* meshX,
                                        int32_t m);
// sumOnMesh: fit's mode 2 without a source: lays the mesh into meshX and writes the series
//   c[0..N-1] there into seriesValues.
using SumOnMeshFn = void (*)(double left, double right, double& alpha, double& beta,
                             const double* c, int32_t n, double* meshX, double* seriesValues,
                             int32_t m);

// projectMany (optional): projectValues for `spectra` rows of values at one mesh,
//   values[j * M + i] for j < spectra: lays the mesh into meshX and sets c[j * N .. j * N + N - 1]
//   to the projection of row j, the rows' sums formed together so that the node set and the
//   polynomials at the nodes serve every row. Null where each row goes through projectValues.
using ProjectManyFn = void (*)(double left, double right, double& alpha, double& beta,
                               const double* values, int64_t spectra, double* c, int32_t n,
                               double* meshX, int32_t m);

// refuseParameters (optional): the warning for an alpha and beta the basis cannot use (finite
//   ones: the finiteness is checked for every basis), or null where it can use them.
using ParameterCheckFn = const char* (*)(double alpha, double beta);

// Thrown by a basis whose node set for the parameters given cannot be computed in doubles,
// with the warning to show; the command that asked for it is taken back.
struct ParametersRefused : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// integralNote (optional): for the last fit and n terms, how `integrate` formed its figure where
//   that is not the series' own exact integral (a rule on the mesh, say); empty otherwise.
using IntegralNoteFn = std::string (*)(int32_t n);

// differentiates (optional): whether `differentiate` gives the series' derivative for these
//   alpha and beta; null where it does for every value.
using DifferentiatesFn = bool (*)(double alpha, double beta);

// squaredNorm (optional): h_k of the basis's Parseval sum, captured = sum c_k^2 h_k, for the
//   alpha and beta of the last fit (as corrected) and its M mesh points. The coefficient view and
//   the automatic term count scale c_k by sqrt(h_k). Null where the coefficients are not
//   projections (Bernstein: they are sampled values, with no decay to read).
using SquaredNormFn = double (*)(int32_t k, double alpha, double beta, int32_t m);

struct BasisOps {
  FitFn fit;
  EvaluateFn evaluate;
  QuadratureFn quadrature;
  DifferentiateFn differentiate;
  IntegrateFn integrate;
  EvaluateManyFn evaluateMany;
  SpectrumFn powerSpectrum = nullptr;
  ProjectValuesFn projectValues = nullptr;  // every entry of the basis table has both
  SumOnMeshFn sumOnMesh = nullptr;
  ParameterCheckFn refuseParameters = nullptr;
  IntegralNoteFn integralNote = nullptr;
  DifferentiatesFn differentiates = nullptr;
  SquaredNormFn squaredNorm = nullptr;
  ProjectManyFn projectMany = nullptr;
  // The terms after the first come in pairs of one frequency (Fourier: sine, then cosine),
  // which the term count keeps or drops together.
  bool pairedTerms = false;
};

// The warning for alpha and beta the basis cannot use, empty where it can: a NaN or an infinity
// for every basis (the boxes read "nan" and "inf" as numbers), then the basis's own range. The
// bases that correct a parameter (Sonin-Laguerre, Hermite) take every finite value.
std::string parameterRefusal(const BasisOps& basis, double alpha, double beta);

// The two uses of fit without a source, by name, through the record's own steps (a record made
// without them, such as a test's, goes through its fit).
long double projectValues(const BasisOps& basis, double left, double right, double& alpha,
                          double& beta, const double* values, double* c, int32_t n, double* meshX,
                          int32_t m);
void sumOnMesh(const BasisOps& basis, double left, double right, double& alpha, double& beta,
               const double* c, int32_t n, double* meshX, double* seriesValues, int32_t m);

// One entry of the basis list: its text and its operations.
struct BasisEntry {
  const char* text;
  BasisOps ops;
};

constexpr int32_t basisCount = 9;
// The entries of the basis list, by their place in it.
constexpr int32_t fourierBasisIndex = 0;
constexpr int32_t legendreBasisIndex = 1;
constexpr int32_t chebyshev1BasisIndex = 2;
constexpr int32_t chebyshev2BasisIndex = 3;
constexpr int32_t soninLaguerreBasisIndex = 4;
constexpr int32_t hermiteBasisIndex = 5;
constexpr int32_t bernsteinBasisIndex = 6;
constexpr int32_t jacobiBasisIndex = 7;
constexpr int32_t discreteChebyshevBasisIndex = 8;
constexpr int32_t startupBasisIndex = chebyshev1BasisIndex;

// index  entry text                        basis                          alpha   beta
//   0    "Fourier polynomials"             trigonometric, one period      -       -
//   1    "Legendre polynomials"            Gauss-Legendre                 -       -
//   2    "Chebyshev polynomials 1st kind"  Gauss-Chebyshev, first kind    -       -
//   3    "Chebyshev polynomials 2nd kind"  Gauss-Chebyshev, second kind   -       -
//   4    "Sonin-Laguerre functions"        half-line from left            order   scale
//   5    "Hermite functions"               whole line                     -       scale
//   6    "Bernstein polynomials"           uniform mesh                   -       -
//   7    "Jacobi polynomials"              Gauss-Jacobi                   (1-t)^a (1+t)^b
//   8    "Chebyshev polynomials discrete"  uniform points                 -       -
const BasisEntry& basisEntry(int32_t index);
