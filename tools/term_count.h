// How many terms a series needs: its coefficients scaled so that the bases compare, the plateau
// where they stop falling (rounding for smooth sources, the noise for measured data), and the
// cut where the decay meets that plateau.
//
// Scaling: magnitude_k = |c_k| sqrt(h_k), h_k the basis's own squared norm (the one of its
// Parseval sum), so the squares of the magnitudes add up to the energy the series captures and
// white noise on the mesh gives a flat plateau. Fourier's sine and cosine of one frequency form
// one magnitude, sqrt(a_k^2 h_k + b_k^2 h_k), indexed by the frequency.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bases/basis.h"
#include "plot/chart_parts.h"

// The scaled magnitudes of c[0..N-1], one per degree (per frequency where the basis pairs its
// terms); empty where the basis has no squared norms (Bernstein). alpha, beta and m are those
// of the fit that made c.
std::vector<double> coefficientMagnitudes(const BasisOps& basis, double alpha, double beta,
                                          const double* c, int32_t n, int32_t m);
// The terms behind the first `degrees` magnitudes.
int32_t termsOfDegrees(const BasisOps& basis, int32_t degrees);

// Aurentz and Trefethen's standardChop on magnitudes b[0..n-1] with the relative tolerance
// `tolerance` (in (0, 1)): how many of them to keep, or n when no plateau shows.
int32_t standardChop(const std::vector<double>& b, double tolerance);

// Where a series of magnitudes is cut.
struct Chop {
  bool flat = false;   // the tail has levelled off
  bool found = false;  // a plateau was found and the series cut before its end
  int32_t kept = 0;    // magnitudes kept: the cut, or all of them
  double plateau = 0;  // the plateau's level (in magnitude units), 0 when not known
};
// The plateau level read from the tail, then standardChop with it as the tolerance.
Chop chopMagnitudes(const std::vector<double>& magnitudes);

// The automatic term count for a source on a mesh of m points.
struct TermChoice {
  int32_t terms = 0;
  bool converged = false;  // false: no plateau within m terms, and terms is that limit
  Chop chop;
  std::vector<double> magnitudes;  // of the last count fitted, the kept ones first
  // The coefficients of the chosen count, c[0..terms-1], and their fit figure. A projection's
  // coefficients do not depend on how many are asked for, so these are the leading ones of the
  // last count fitted.
  std::vector<double> coefficients;
  long double figure = 0;
};
// Fits growing counts (doubling, from 64 degrees) until the tail has levelled off and
// standardChop finds the cut, within m terms. Lays the mesh into meshX[0..m-1] and samples the
// source into sourceValues once; corrects alpha and beta as the fit does. The basis must have
// squared norms.
TermChoice chooseTermCount(const BasisOps& basis, double left, double right, double& alpha,
                           double& beta, const SourceFn& source, double* meshX,
                           double* sourceValues, int32_t m);

// The coefficient strip for the coefficients c[0..N-1] of a fit: their magnitudes with the cut
// and plateau where a plateau shows.
CoefficientView coefficientViewOf(const BasisOps& basis, double alpha, double beta, const double* c,
                                  int32_t n, int32_t m);
// The strip for an automatic count: every coefficient it looked at, with its cut and plateau.
CoefficientView coefficientViewOf(const TermChoice& choice);

// Panel 0's note for an automatic count: where the coefficients levelled off, or that the
// series did not converge within the evaluation count.
std::string termChoiceNote(const TermChoice& choice, int32_t meshCount);
