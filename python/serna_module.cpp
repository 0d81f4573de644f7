// The compiled part of the Python package `serna`: the nine bases on numpy arrays. Conversions
// between numpy arrays and the core's buffers only; the fits, series and files are the core's own
// functions, run with the interpreter lock released.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/memory_budget.h"
#include "app/sample_fit.h"
#include "app/tool_runner.h"
#include "bases/basis.h"

namespace py = pybind11;

namespace {

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

// The names of the basis list's entries, by their place in it.
constexpr std::array<const char*, basisCount> basisNames = {
    "fourier", "legendre",  "chebyshev1", "chebyshev2",        "sonin-laguerre",
    "hermite", "bernstein", "jacobi",     "discrete-chebyshev"};

int32_t basisIndex(const std::string& name) {
  for (int32_t i = 0; i < basisCount; ++i)
    if (name == basisNames[i]) return i;
  std::string known;
  for (const char* n : basisNames)
    known += std::string(known.empty() ? "" : ", ") + n;
  throw py::value_error("Unknown basis \"" + name + "\": one of " + known);
}

void refuseIf(const std::string& refusal) {
  if (!refusal.empty()) throw py::value_error(refusal);
}

// A one-dimensional array of doubles from anything numpy reads as one.
Doubles vectorOf(const py::object& values, const char* name) {
  Doubles a = Doubles::ensure(values);
  if (!a) throw py::error_already_set();
  if (a.ndim() != 1) throw py::value_error(std::string(name) + " must be one-dimensional");
  return a;
}

Doubles arrayOf(const std::vector<double>& values) {
  Doubles a(static_cast<py::ssize_t>(values.size()));
  std::copy(values.begin(), values.end(), a.mutable_data());
  return a;
}

// The term count from Python: an integer, or "auto" for the automatic count.
bool automaticTerms(const py::object& terms) {
  if (!py::isinstance<py::str>(terms)) return false;
  if (terms.cast<std::string>() != "auto")
    throw py::value_error("terms must be a number or \"auto\"");
  return true;
}

// A series of the basis: its coefficients with everything needed to evaluate them again.
struct Series {
  int32_t basis = 0;
  std::vector<double> coef;
  double left = 0.0, right = 0.0, alpha = 0.0, beta = 0.0;
  int32_t points = 0;  // the mesh it was fitted on
  double fitFigure = 0.0;

  const BasisOps& ops() const { return basisEntry(basis).ops; }
  int32_t terms() const { return static_cast<int32_t>(coef.size()); }

  // A basis may answer evaluate, differentiate and integrate from the node set of its last fit
  // on this thread (the discrete Chebyshev positions): the series' own mesh is laid first.
  void layOwnMesh() const {
    double a = alpha, b = beta;
    std::vector<double> mesh(points), unused(points), c(coef);
    ops().fit(left, right, a, b, c.data(), terms(), mesh.data(), unused.data(), unused.data(),
              points, nullptr, 0);
  }
};

Series seriesOf(int32_t basis, const SampleFitSettings& s, std::vector<double> coef,
                double fitFigure) {
  return Series{basis, std::move(coef), s.left, s.right, s.alpha, s.beta, s.meshCount, fitFigure};
}

// The request from fit's and fit_many's arguments.
SampleFitRequest requestOf(const py::object& terms, const py::object& points,
                           const py::object& interval, double alpha, double beta) {
  SampleFitRequest r;
  r.automaticTerms = automaticTerms(terms);
  if (!r.automaticTerms) r.termCount = terms.cast<int64_t>();
  r.meshCount = points.is_none() ? 0 : points.cast<int64_t>();
  if (!interval.is_none()) {
    const auto ends = interval.cast<std::vector<double>>();
    if (ends.size() != 2) throw py::value_error("interval must be (left, right)");
    r.left = ends[0], r.right = ends[1];
  }
  r.alpha = alpha, r.beta = beta;
  return r;
}

Series fit(const py::object& xIn, const py::object& yIn, const std::string& basisName,
           const py::object& terms, const py::object& points, const py::object& interval,
           double alpha, double beta) {
  const int32_t basis = basisIndex(basisName);
  const Doubles x = vectorOf(xIn, "x"), y = vectorOf(yIn, "y");
  if (x.size() != y.size()) throw py::value_error("x and y must have the same length");
  const SampleFitRequest request = requestOf(terms, points, interval, alpha, beta);
  SampleFit result;
  std::string refusal;
  {
    py::gil_scoped_release released;
    refusal = fitSamples(basisEntry(basis).ops, x.data(), y.data(), x.size(), request, result);
  }
  refuseIf(refusal);
  if (!result.note.empty() && PyErr_WarnEx(PyExc_RuntimeWarning, result.note.c_str(), 1) != 0)
    throw py::error_already_set();
  return seriesOf(basis, result.settings, std::move(result.coefficients), result.fitFigure);
}

py::array_t<double> fitMany(const py::object& xIn, const py::object& yIn,
                            const std::string& basisName, const py::object& terms,
                            const py::object& points, const py::object& interval, double alpha,
                            double beta) {
  const int32_t basis = basisIndex(basisName);
  const Doubles x = vectorOf(xIn, "x");
  const Doubles y = Doubles::ensure(yIn);
  if (!y) throw py::error_already_set();
  if (y.ndim() != 2 || y.shape(1) != x.size())
    throw py::value_error("Y must have the shape (spectra, len(x))");
  const SampleFitRequest request = requestOf(terms, points, interval, alpha, beta);
  // One count for every row: the automatic count would choose one per spectrum.
  if (request.automaticTerms)
    throw py::value_error(
        "fit_many takes a number of terms: choose one with fit(x, Y[k], basis, \"auto\")");
  SampleFitSettings settings;
  std::vector<double> coefficients;
  std::string refusal;
  {
    py::gil_scoped_release released;
    refusal = fitManySamples(basisEntry(basis).ops, x.data(), y.data(), x.size(), y.shape(0),
                             request, settings, coefficients);
  }
  refuseIf(refusal);
  py::array_t<double> c(
      {static_cast<py::ssize_t>(y.shape(0)), static_cast<py::ssize_t>(settings.termCount)});
  std::copy(coefficients.begin(), coefficients.end(), c.mutable_data());
  return c;
}

py::tuple quadrature(const std::string& basisName, int64_t points, double alpha, double beta) {
  const BasisOps& ops = basisEntry(basisIndex(basisName)).ops;
  if (points < 1) throw py::value_error("points must be at least 1");
  if (points > INT32_MAX) refuseIf(countRefusal(points, "evaluation points"));
  refuseIf(parameterRefusal(ops, alpha, beta));
  const auto m = static_cast<int32_t>(points);
  if (!fitsInMemory(2 * points))
    throw py::value_error("Not enough memory for " + std::to_string(m) + " evaluation points");
  Doubles nodes(m), weights(m);
  std::fill_n(nodes.mutable_data(), m, 0.0);
  std::fill_n(weights.mutable_data(), m, 0.0);
  std::string refusal;
  {
    py::gil_scoped_release released;
    try {
      ops.quadrature(nodes.mutable_data(), weights.mutable_data(), m, alpha, beta);
    } catch (const ParametersRefused& refused) {
      refusal = refused.what();
    }
  }
  refuseIf(refusal);
  return py::make_tuple(nodes, weights);
}

py::object evaluate(const Series& s, const py::object& at) {
  Doubles x = Doubles::ensure(at);
  if (!x) throw py::error_already_set();
  const bool scalar = x.ndim() == 0;
  if (x.size() > INT32_MAX) refuseIf(countRefusal(x.size(), "abscissae"));
  Doubles values(std::vector<py::ssize_t>(x.shape(), x.shape() + x.ndim()));
  {
    py::gil_scoped_release released;
    s.layOwnMesh();
    s.ops().evaluateMany(s.left, s.right, s.alpha, s.beta, s.coef.data(), s.terms(), x.data(),
                         values.mutable_data(), static_cast<int32_t>(x.size()));
  }
  if (scalar) return py::float_(values.data()[0]);
  return values;
}

Series derivative(const Series& s) {
  const BasisOps& ops = s.ops();
  if (ops.differentiates && !ops.differentiates(s.alpha, s.beta))
    throw py::value_error(unavailableMessage);
  Series d = s;
  d.coef.assign(s.coef.size() + 1, 0.0);
  d.fitFigure = 0.0;
  // One term more: the mesh grows with it where it must, as the program's Differentiate does.
  int32_t terms = 0;
  if (!settleCounts(d.terms(), s.points, terms, d.points))
    refuseIf(countRefusal(settledMeshCount(d.terms(), s.points), "evaluation points"));
  {
    py::gil_scoped_release released;
    s.layOwnMesh();
    ops.differentiate(s.left, s.right, s.alpha, s.beta, s.coef.data(), d.coef.data(), s.terms());
  }
  return d;
}

double integral(const Series& s) {
  py::gil_scoped_release released;
  s.layOwnMesh();
  return static_cast<double>(
      s.ops().integrate(s.left, s.right, s.alpha, s.beta, s.coef.data(), s.terms()));
}

py::tuple readSamples(const std::string& path) {
  std::vector<double> x, y;
  std::vector<std::string> messages;
  bool read = false;
  {
    py::gil_scoped_release released;
    read = readSamplesFile(path, x, y, messages);
  }
  std::string joined;
  for (const std::string& m : messages)
    joined += (joined.empty() ? "" : "\n") + m;
  if (!read) throw py::value_error(joined.empty() ? "No valid column data detected" : joined);
  if (!joined.empty() && PyErr_WarnEx(PyExc_UserWarning, joined.c_str(), 1) != 0)
    throw py::error_already_set();
  return py::make_tuple(arrayOf(x), arrayOf(y));
}

}  // namespace

PYBIND11_MODULE(_core, m) {
  m.doc() = "Orthogonal series of sampled signals in nine bases";
  py::tuple names(basisCount);
  for (int32_t i = 0; i < basisCount; ++i)
    names[i] = basisNames[i];
  m.attr("BASES") = names;

  py::class_<Series>(m, "Series", "A truncated series of one basis on an interval")
      .def(py::init([](const py::object& coef, const std::string& basis,
                       std::pair<double, double> interval, int64_t points, double alpha,
                       double beta) {
             Series s;
             s.basis = basisIndex(basis);
             const Doubles c = vectorOf(coef, "coef");
             if (c.size() < 1) throw py::value_error("coef must hold at least one coefficient");
             s.coef.assign(c.data(), c.data() + c.size());
             s.left = interval.first, s.right = interval.second;
             if (!(s.left < s.right)) throw py::value_error("interval must have left < right");
             refuseIf(parameterRefusal(s.ops(), alpha, beta));
             int32_t terms = 0;
             if (!settleCounts(c.size(), points, terms, s.points))
               refuseIf(countRefusal(settledMeshCount(c.size(), points), "evaluation points"));
             s.alpha = alpha, s.beta = beta;
             return s;
           }),
           py::arg("coef"), py::arg("basis"), py::arg("interval"), py::arg("points") = 0,
           py::arg("alpha") = 0.0, py::arg("beta") = 0.0,
           "The series of the coefficients coef; points is the mesh they belong to (the "
           "discrete Chebyshev polynomials depend on it), raised to the terms and made even")
      .def_property_readonly("coef", [](const Series& s) { return arrayOf(s.coef); })
      .def_property_readonly("basis", [](const Series& s) { return basisNames[s.basis]; })
      .def_property_readonly("interval",
                             [](const Series& s) { return py::make_tuple(s.left, s.right); })
      .def_readonly("alpha", &Series::alpha)
      .def_readonly("beta", &Series::beta)
      .def_readonly("points", &Series::points)
      .def_readonly("fit_figure", &Series::fitFigure)
      .def("__call__", evaluate, py::arg("x"), "The series at the abscissae x")
      .def("deriv", derivative, "The derivative's series, in the same basis")
      .def("integral", integral, "The integral over the interval (over the whole line for Hermite)")
      .def("__len__", &Series::terms)
      .def("__repr__",
           [](const Series& s) {
             return "Series(" + std::string(basisNames[s.basis]) + ", " +
                    std::to_string(s.terms()) + " terms on [" +
                    py::repr(py::float_(s.left)).cast<std::string>() + ", " +
                    py::repr(py::float_(s.right)).cast<std::string>() + "])";
           })
      .def(py::pickle(
          [](const Series& s) {
            return py::make_tuple(s.basis, s.coef, s.left, s.right, s.alpha, s.beta, s.points,
                                  s.fitFigure);
          },
          [](const py::tuple& t) {
            return Series{t[0].cast<int32_t>(), t[1].cast<std::vector<double>>(),
                          t[2].cast<double>(),  t[3].cast<double>(),
                          t[4].cast<double>(),  t[5].cast<double>(),
                          t[6].cast<int32_t>(), t[7].cast<double>()};
          }));

  m.def("fit", fit, py::arg("x"), py::arg("y"), py::arg("basis"), py::arg("terms"),
        py::arg("points") = py::none(), py::arg("interval") = py::none(), py::arg("alpha") = 0.0,
        py::arg("beta") = 0.0,
        "Fits the samples (x ascending) as the program fits its samples source");
  m.def("fit_many", fitMany, py::arg("x"), py::arg("Y"), py::arg("basis"), py::arg("terms"),
        py::arg("points") = py::none(), py::arg("interval") = py::none(), py::arg("alpha") = 0.0,
        py::arg("beta") = 0.0,
        "The coefficients (K, terms) of the K spectra Y[k] on the one grid x, each as fit gives");
  m.def("quadrature", quadrature, py::arg("basis"), py::arg("points"), py::arg("alpha") = 0.0,
        py::arg("beta") = 0.0, "The nodes and weights as the weights export writes them");
  m.def("read_samples", readSamples, py::arg("path"),
        "The samples (x, y) of a file in any layout the program reads, its proposals taken");
}
