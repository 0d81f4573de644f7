// Fitting a table of samples as the recompute cycle fits its "Samples" source, for callers that
// hold no Workspace (the Python module): the same settling of the interval and the counts, the
// same source (the samples joined by straight lines) and the same basis fit, so that the same
// inputs give the same coefficients, bit for bit. Many spectra on one abscissa grid share the
// settling and the basis's node set.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bases/basis.h"

// What the caller asks for. The counts are as typed (64 bits, so that a count past 32 bits can
// be refused by name); an interval with right <= left is the samples' span.
struct SampleFitRequest {
  double left = 0.0, right = 0.0;
  int64_t termCount = 0;  // below 1: one term
  int64_t meshCount = 0;  // below termCount: termCount; odd: one more
  double alpha = 0.0, beta = 0.0;
  // The term count chosen as Edit > Automatic Terms chooses it, within meshCount points (the
  // samples' count where none is given); termCount is then not read.
  bool automaticTerms = false;
};

// What the fit settled on.
struct SampleFitSettings {
  double left = 0.0, right = 0.0;
  int32_t termCount = 0, meshCount = 0;
  double alpha = 0.0, beta = 0.0;  // as given; the basis may correct them in the fit
};

// The evaluation points the counts settle on (below), in 64 bits: what a refusal names.
int64_t settledMeshCount(int64_t terms, int64_t points);
// The counts as the recompute cycle settles them: at least one term, at least as many points as
// terms, an even number of points. False when the points exceed a 32-bit count.
bool settleCounts(int64_t terms, int64_t points, int32_t& termCount, int32_t& meshCount);

// Checks the samples and the request and settles them: the message that refuses them, or empty.
// `spectra` is the number of spectra to be fitted on these abscissae, for the memory check.
std::string settleSampleFit(const BasisOps& basis, const double* x, const double* y, int64_t count,
                            const SampleFitRequest& request, SampleFitSettings& settled,
                            int64_t spectra = 1);

struct SampleFit {
  SampleFitSettings settings;  // alpha and beta as the basis corrected them
  std::vector<double> coefficients;
  double fitFigure = 0.0;
  std::string note;  // an automatic count's note where the series did not converge
};

// Fits the samples (count of them, x ascending) as settled: the message that refuses them, or
// empty with the fit in `fit`.
std::string fitSamples(const BasisOps& basis, const double* x, const double* y, int64_t count,
                       const SampleFitRequest& request, SampleFit& fit);

// Fits `spectra` spectra y[j * count .. (j + 1) * count - 1] on the one grid x: each row of
// `coefficients` (spectra rows of settings.termCount entries) holds the coefficients fitSamples
// gives that spectrum. The settling, the mesh and the node set are made once; a basis with
// projectMany projects the spectra together (where that is a blocked product, its rows agree
// with fitSamples to a few eps of the row's largest coefficient), the others (Bernstein, whose
// coefficients are samples) spectrum by spectrum, bit for bit. The message that refuses them,
// or empty.
std::string fitManySamples(const BasisOps& basis, const double* x, const double* y, int64_t count,
                           int64_t spectra, const SampleFitRequest& request,
                           SampleFitSettings& settings, std::vector<double>& coefficients);

// Reads a samples file as File > Open > Samples does, taking every proposal the program makes
// (the bounds of a one-column file, the reading of a delimited table) as if accepted in its
// dialog. True with the samples in x and y (ascending) and the notes the program showed in
// `messages`; false with the messages that refused the file.
bool readSamplesFile(const std::string& path, std::vector<double>& x, std::vector<double>& y,
                     std::vector<std::string>& messages);
