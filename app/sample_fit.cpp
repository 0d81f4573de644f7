#include "app/sample_fit.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "app/memory_budget.h"
#include "app/null_window.h"
#include "app/tool_runner.h"
#include "app/window.h"
#include "app/workspace.h"
#include "bases/interpolate_table.h"
#include "files/samples_file.h"
#include "tools/term_count.h"

namespace {

// The refusal of samples the program would never hold: abscissae out of order or values that
// are not numbers (its readers skip such lines).
std::string refuseSamples(const double* x, const double* y, int64_t count) {
  if (count < 1) return "No valid column data detected";
  if (count > INT32_MAX) return countRefusal(count, "samples");
  if (!strictlyAscending(x, static_cast<int32_t>(count)))
    return "Second (abscissa) column are not ascending";
  for (int64_t i = 0; i < count; ++i)
    if (!std::isfinite(x[i]) || !std::isfinite(y[i])) return "Samples must be finite numbers";
  return {};
}

// The interval as the recompute cycle settles it: an empty or reversed one is the samples' span.
std::string settleInterval(const double* x, int64_t count, double left, double right,
                           double& settledLeft, double& settledRight) {
  if (std::isnan(left) || std::isnan(right) || std::isinf(left) || std::isinf(right))
    return "The interval's ends must be finite numbers";
  if (right <= left) left = x[0], right = x[count - 1];
  if (!(left < right)) return "A single sample spans no interval: give the interval";
  settledLeft = left, settledRight = right;
  return {};
}

// The samples joined by straight lines, 0 outside their range: the "Samples" source.
SourceFn tableSource(const double* x, const double* y, int32_t count) {
  return [x, y, count](double at) { return interpolateTable(x, y, count, at); };
}

}  // namespace

int64_t settledMeshCount(int64_t terms, int64_t points) {
  const int64_t mesh = std::max({points, terms, int64_t{1}});
  return mesh % 2 != 0 && mesh < INT64_MAX ? mesh + 1 : mesh;
}

bool settleCounts(int64_t terms, int64_t points, int32_t& termCount, int32_t& meshCount) {
  const int64_t mesh = settledMeshCount(terms, points);
  if (mesh > INT32_MAX) return false;
  termCount = static_cast<int32_t>(std::max<int64_t>(terms, 1));
  meshCount = static_cast<int32_t>(mesh);
  return true;
}

// The spectra fitManySamples projects together at a time.
constexpr int64_t fitManyChunkRows = 64;

std::string settleSampleFit(const BasisOps& basis, const double* x, const double* y, int64_t count,
                            const SampleFitRequest& request, SampleFitSettings& settled,
                            int64_t spectra) {
  if (std::string refusal = refuseSamples(x, y, count); !refusal.empty()) return refusal;
  if (std::string refusal = parameterRefusal(basis, request.alpha, request.beta); !refusal.empty())
    return refusal;
  SampleFitSettings s;
  if (std::string refusal = settleInterval(x, count, request.left, request.right, s.left, s.right);
      !refusal.empty())
    return refusal;
  // An automatic count may take as many terms as points, and is settled for that many.
  const int64_t points =
      request.automaticTerms && request.meshCount < 1 ? count : request.meshCount;
  const int64_t terms = request.automaticTerms ? points : request.termCount;
  if (request.automaticTerms && !basis.squaredNorm) return unavailableMessage;
  if (!request.automaticTerms && terms > INT32_MAX) return countRefusal(terms, "terms");
  if (!settleCounts(terms, points, s.termCount, s.meshCount))
    return countRefusal(settledMeshCount(terms, points), "evaluation points");
  // The mesh buffers and node tables, the coefficients of every spectrum, and the values of a
  // chunk of spectra at the mesh with their weighted copy (fitManySamples).
  if (spectra > INT64_MAX / 16 / s.termCount) return memoryRefusal(s.termCount, s.meshCount);
  const int64_t chunkValues = 2 * std::min(spectra, fitManyChunkRows) * s.meshCount;
  const int64_t bytes =
      static_cast<int64_t>(sizeof(double)) *
      (doublesPerMeshPoint * s.meshCount + spectra * int64_t{s.termCount} + chunkValues);
  if (!fitsInBudget(bytes)) return memoryRefusal(s.termCount, s.meshCount);
  s.alpha = request.alpha, s.beta = request.beta;
  settled = s;
  return {};
}

std::string fitSamples(const BasisOps& basis, const double* x, const double* y, int64_t count,
                       const SampleFitRequest& request, SampleFit& fit) {
  SampleFitSettings s;
  if (std::string refusal = settleSampleFit(basis, x, y, count, request, s); !refusal.empty())
    return refusal;
  try {
    if (request.automaticTerms) {
      std::vector<double> meshX(s.meshCount), source(s.meshCount);
      const TermChoice choice = chooseTermCount(basis, s.left, s.right, s.alpha, s.beta,
                                                tableSource(x, y, static_cast<int32_t>(count)),
                                                meshX.data(), source.data(), s.meshCount);
      s.termCount = choice.terms;
      fit.settings = s;
      fit.coefficients = choice.coefficients;
      fit.fitFigure = static_cast<double>(choice.figure);
      if (!choice.converged) fit.note = termChoiceNote(choice, s.meshCount);
      return {};
    }
    std::vector<double> c(s.termCount, 0.0), meshX(s.meshCount), source(s.meshCount),
        series(s.meshCount);
    // Mode 3, as the cycle fits a current source: sample it, project, sum on the mesh.
    const long double figure =
        basis.fit(s.left, s.right, s.alpha, s.beta, c.data(), s.termCount, meshX.data(),
                  source.data(), series.data(), s.meshCount,
                  tableSource(x, y, static_cast<int32_t>(count)), fitCoefficients | evaluateOnMesh);
    fit.settings = s;
    fit.coefficients = std::move(c);
    fit.fitFigure = static_cast<double>(figure);
  } catch (const ParametersRefused& refused) {
    return refused.what();
  } catch (const std::bad_alloc&) {
    return memoryRefusal(s.termCount, s.meshCount);
  }
  return {};
}

std::string fitManySamples(const BasisOps& basis, const double* x, const double* y, int64_t count,
                           int64_t spectra, const SampleFitRequest& request,
                           SampleFitSettings& settings, std::vector<double>& coefficients) {
  SampleFitSettings s;
  spectra = std::max<int64_t>(spectra, 0);
  // The grid and the request once, with the first spectrum; the values of every other as
  // fitSamples checks them.
  if (std::string refusal =
          settleSampleFit(basis, x, spectra > 0 ? y : x, count, request, s, spectra);
      !refusal.empty())
    return refusal;
  for (int64_t i = count; i < spectra * count; ++i)
    if (!std::isfinite(y[i])) return "Samples must be finite numbers";
  try {
    std::vector<double> all(static_cast<size_t>(spectra) * s.termCount, 0.0);
    std::vector<double> meshX(s.meshCount), source(s.meshCount), series(s.meshCount);
    // The mesh once (mode 0), and where each of its points falls among the samples.
    double alpha = s.alpha, beta = s.beta;
    basis.fit(s.left, s.right, alpha, beta, all.data(), s.termCount, meshX.data(), source.data(),
              series.data(), s.meshCount, nullptr, 0);
    const auto samples = static_cast<int32_t>(count);
    std::vector<TableCell> cells(s.meshCount);
    for (int32_t i = 0; i < s.meshCount; ++i)
      cells[i] = tableCell(x, samples, meshX[i]);
    if (basis.projectMany) {
      // The values of a chunk of spectra at the mesh, as the fit samples them, projected
      // together; chunks of 64 rows keep the block small beside the coefficients.
      const int64_t rows = std::min(spectra, fitManyChunkRows);
      std::vector<double> values(static_cast<size_t>(rows) * s.meshCount);
      for (int64_t first = 0; first < spectra; first += fitManyChunkRows) {
        const int64_t chunk = std::min(fitManyChunkRows, spectra - first);
        for (int64_t j = 0; j < chunk; ++j) {
          const double* row = y + (first + j) * count;
          double* to = values.data() + j * s.meshCount;
          for (int32_t i = 0; i < s.meshCount; ++i)
            to[i] = static_cast<double>(interpolateCell(row, cells[i]));
        }
        alpha = s.alpha, beta = s.beta;
        basis.projectMany(s.left, s.right, alpha, beta, values.data(), chunk,
                          all.data() + first * s.termCount, s.termCount, meshX.data(), s.meshCount);
      }
      s.alpha = alpha, s.beta = beta;
      settings = s;
      coefficients = std::move(all);
      return {};
    }
    // Each spectrum as fitSamples fits it (its node set kept from the first), the source read
    // from the cells at the mesh points, which the fit samples first and in order; any other
    // abscissa (Bernstein's own) is looked up as the samples source looks it up.
    for (int64_t j = 0; j < spectra; ++j) {
      const double* row = y + j * count;
      int32_t next = 0;
      const SourceFn spectrum = [&](double at) {
        if (next < s.meshCount && at == meshX[next]) return interpolateCell(row, cells[next++]);
        return interpolateTable(x, row, samples, at);
      };
      alpha = s.alpha, beta = s.beta;
      basis.fit(s.left, s.right, alpha, beta, all.data() + j * s.termCount, s.termCount,
                meshX.data(), source.data(), series.data(), s.meshCount, spectrum, fitCoefficients);
    }
    s.alpha = alpha, s.beta = beta;
    settings = s;
    coefficients = std::move(all);
  } catch (const ParametersRefused& refused) {
    return refused.what();
  } catch (const std::bad_alloc&) {
    return memoryRefusal(s.termCount, s.meshCount);
  }
  return {};
}

namespace {

// A window without a screen that accepts every proposal: the input box's proposed text, the
// import dialog's proposed reading. Messages are collected.
class ProposalWindow : public NullWindow {
 public:
  std::vector<std::string> messages;

  void message(MessageKind, const std::string& text) override { messages.push_back(text); }
  std::optional<std::string> inputBox(const std::string&, const std::string&,
                                      const std::string& text) override {
    return text;
  }
};

}  // namespace

bool readSamplesFile(const std::string& path, std::vector<double>& x, std::vector<double>& y,
                     std::vector<std::string>& messages) {
  Workspace ws;
  ProposalWindow window;
  openSamplesFile(ws, window, path);
  messages = std::move(window.messages);
  if (ws.sampleCount < 1) return false;
  x = std::move(ws.samplesX);
  y = std::move(ws.samplesY);
  x.resize(ws.sampleCount);
  y.resize(ws.sampleCount);
  return true;
}
