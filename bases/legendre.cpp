#include "bases/legendre.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "bases/fit_start.h"
#include "bases/interval_map.h"

namespace {

// Node cache: nodes and weights for the count they were built for.
struct NodeCache {
  int32_t m = 0;
  std::vector<double> t;
  std::vector<double> w;
};
NodeCache cache;

void rebuildCache(int32_t m) {
  cache.m = m;
  cache.t.assign(m, 0.0);
  cache.w.assign(m, 0.0);
  gaussLegendre(cache.t.data(), cache.w.data(), m);
}

// The weight 2 / ((1 - z z) P_M'(z)^2) at the rounded node z, corrected to first order for
// the rounding: its logarithmic slope at a root is -2z / (1 - z z), which near the ends
// turns the half unit of the node's last place into many units of the weight's.
double weightAt(int32_t m, double z, double p, double q) {
  const long double oneMinusSquare = (1.0L - z) * (1.0L + z);
  const long double d = m * (z * static_cast<long double>(p) - q) / -oneMinusSquare;
  const long double offset = p / d;  // z minus the root
  const long double weight = 2.0L / (oneMinusSquare * d * d);
  return static_cast<double>(weight * (1.0L + 2.0L * z * offset / oneMinusSquare));
}

// The roots are found several at a time: one recurrence pass evaluates P_n and P_{n-1} at
// a point of every lane, so the divisions of independent roots overlap. A lane whose root is
// done takes the next root at once.
constexpr int32_t laneCount = 8;

// Near t = 1, where the outer roots lie, P_k is close to 1 and the plain recurrence loses
// about M^2 units of the last place in P_{M-1}, and with them the outer weights. There the
// pass runs on the differences D_k = P_k - P_{k-1}:
//   k D_k = (2k - 1) (t - 1) P_{k-1} + (k - 1) D_{k-1},
// which keep them. Towards 0 the plain recurrence is the better one.
constexpr double differenceFormAbove = 0.5;

void evaluateLanes(int32_t n, bool differenceForm, const double* t, double* p, double* q) {
  double a[laneCount], b[laneCount];
  if (differenceForm) {
    double s[laneCount];  // t - 1, exact for t >= 0.5
    for (int32_t l = 0; l < laneCount; ++l)
      a[l] = 1.0, b[l] = 0.0, s[l] = t[l] - 1.0;
    for (int32_t k = 1; k <= n; ++k) {
      const double u = 2.0 * k - 1, v = k - 1.0, w = k;
      for (int32_t l = 0; l < laneCount; ++l) {
        b[l] = (u * s[l] * a[l] + v * b[l]) / w;
        a[l] += b[l];
      }
    }
    for (int32_t l = 0; l < laneCount; ++l)
      p[l] = a[l], q[l] = a[l] - b[l];
    return;
  }
  for (int32_t l = 0; l < laneCount; ++l)
    a[l] = 1.0, b[l] = 0.0;
  for (int32_t k = 1; k <= n; ++k) {
    const double u = 2.0 * k - 1, v = k - 1.0, w = k;
    for (int32_t l = 0; l < laneCount; ++l) {
      const double next = (u * t[l] * a[l] - v * b[l]) / w;
      b[l] = a[l];
      a[l] = next;
    }
  }
  for (int32_t l = 0; l < laneCount; ++l)
    p[l] = a[l], q[l] = b[l];
}

// Root finder bounds: Newton from the asymptotic guess converges in a handful of steps; the
// bisection halves a bracket of doubles, which takes at most a few dozen steps.
constexpr int32_t newtonLimit = 30;
constexpr int32_t bisectionLimit = 200;

enum class Phase { idle, start, newton, bisection };

struct Root {
  Phase phase = Phase::idle;
  int32_t index = 0;  // i-th largest root
  int32_t steps = 0;
  double a = 0, fa = 0, qa = 0;  // last iterate: the bracket end on its side
  double b = 0, fb = 0;          // previous iterate: the other bracket end
  double m = 0;                  // the point to evaluate next
};

// Newton's method on P_M from the asymptotic guess cos(pi (i - 0.25) / (M + 0.5)) stops when
// P_M changes sign across a step or stops changing. A sign change leaves a bracket that
// bisection narrows until it cannot be halved. The root is the end of the bracket on the side
// of the last Newton iterate; its weight is taken from P_M and P_{M-1} there.
class RootFinder {
 public:
  RootFinder(int32_t m, double* nodes, double* weights) : m_(m), nodes_(nodes), weights_(weights) {}

  // Finds the roots first..last (counted from the largest).
  void run(int32_t first, int32_t last, bool differenceForm) {
    next_ = first;
    last_ = last;
    Root lanes[laneCount];
    double t[laneCount], p[laneCount], q[laneCount];
    for (;;) {
      bool any = false;
      for (int32_t l = 0; l < laneCount; ++l) {
        const bool busy = plan(lanes[l]);
        t[l] = busy ? lanes[l].m : 0.5;
        any = any || busy;
      }
      if (!any) return;
      evaluateLanes(m_, differenceForm, t, p, q);
      for (int32_t l = 0; l < laneCount; ++l)
        update(lanes[l], p[l], q[l]);
    }
  }

 private:
  // Chooses the lane's next point; false when no root is left for it.
  bool plan(Root& r) {
    for (;;) {
      switch (r.phase) {
        case Phase::idle:
          if (next_ > last_) return false;
          r = Root{};
          r.phase = Phase::start;
          r.index = next_++;
          r.m = std::cos(pi * (r.index - 0.25) / (m_ + 0.5));
          return true;
        case Phase::start:
          return true;
        case Phase::newton:
          if (r.steps++ < newtonLimit) {
            r.b = r.a, r.fb = r.fa;
            const double slope = m_ * (r.b * r.fb - r.qa) / (r.b * r.b - 1);  // P_M'(b)
            r.m = r.b - r.fb / slope;
            return true;
          }
          r.phase = Phase::bisection, r.steps = 0;
          break;
        case Phase::bisection:
          if (r.fb * r.fa < 0 && r.steps++ < bisectionLimit) {
            r.m = (r.b + r.a) * 0.5;
            if (r.m != r.b && r.m != r.a) return true;
          }
          store(r);
          r.phase = Phase::idle;
          break;
      }
    }
  }

  void update(Root& r, double fm, double qm) {
    switch (r.phase) {
      case Phase::idle:
        break;
      case Phase::start:
        r.a = r.m, r.fa = fm, r.qa = qm;
        r.phase = Phase::newton;
        break;
      case Phase::newton:
        r.a = r.m, r.fa = fm, r.qa = qm;
        if (!(r.fb * r.fa > 0 && r.fb != r.fa)) r.phase = Phase::bisection, r.steps = 0;
        break;
      case Phase::bisection:
        if (r.fb * fm < 0)
          r.a = r.m, r.fa = fm, r.qa = qm;
        else
          r.b = r.m, r.fb = fm;
        break;
    }
  }

  void store(const Root& r) {
    nodes_[m_ - r.index] = r.a;
    nodes_[r.index - 1] = -r.a;
    weights_[r.index - 1] = weights_[m_ - r.index] = weightAt(m_, r.a, r.fa, r.qa);
  }

  int32_t m_;
  double* nodes_;
  double* weights_;
  int32_t next_ = 0, last_ = 0;
};

long double fitLegendre(double left, double right, double&, double&, double* c, int32_t n,
                        double* meshX, double* sourceValues, double* seriesValues, int32_t m,
                        const SourceFn& source, int32_t mode) {
  m = std::max(m, 0);  // a negative count is an empty mesh
  const IntervalMap map = mapInterval(left, right);
  if (m != cache.m) rebuildCache(m);
  const double* t = cache.t.data();
  const double* w = cache.w.data();

  for (int32_t i = 0; i < m; ++i)
    meshX[i] = toAbscissa(map, t[i]);

  long double figure = 0.0L;
  if (mode & fitCoefficients) {
    startFit(source, meshX, sourceValues, m, c, n);
    long double energy = 0.0L;
    // u P_k(t_i) carried along the recurrence and added to c[k]; two nodes share each pass
    // (their additions keep the node order).
    for (int32_t i = 0; i < m; i += 2) {
      const int32_t i2 = std::min(i + 1, m - 1);
      const bool pair = i2 != i;
      const double u = static_cast<long double>(sourceValues[i]) * w[i];
      const double u2 =
          pair ? static_cast<double>(static_cast<long double>(sourceValues[i2]) * w[i2]) : 0.0;
      energy += static_cast<long double>(sourceValues[i]) * u;
      if (pair) energy += static_cast<long double>(sourceValues[i2]) * u2;
      if (n > 0) c[0] += u, c[0] += u2;
      const double x = t[i], x2 = t[i2];
      double previous = 0.0, current = u, previous2 = 0.0, current2 = u2;
      for (int32_t k = 1; k < n; ++k) {
        const double a = 2.0 * k - 1, b = k - 1.0;
        const double next = (a * x * current - b * previous) / k;
        const double next2 = (a * x2 * current2 - b * previous2) / k;
        previous = current, current = next;
        previous2 = current2, current2 = next2;
        c[k] += next;
        c[k] += next2;
      }
    }
    long double captured = 0.0L;
    for (int32_t k = 0; k < n; ++k) {
      const double squaredNorm = 2.0 / (2.0 * k + 1);
      c[k] = c[k] / squaredNorm;
      captured += static_cast<long double>(c[k]) * c[k] * squaredNorm;
    }
    if (energy != 0) figure = 1 - captured / energy;
  }

  if (mode & evaluateOnMesh) {
    // Two Clenshaw sums side by side, one per node, each as legendreSeries.
    for (int32_t i = 0; i + 1 < m; i += 2) {
      const double x = t[i], x2 = t[i + 1];
      double b1 = 0, b2 = 0, d1 = 0, d2 = 0;
      for (int32_t k = n - 1; k >= 1; --k) {
        const double a = 2.0 * k + 1, b = k + 1.0;
        const double nb = a * x * b1 / b - b * b2 / (k + 2) + c[k];
        const double nd = a * x2 * d1 / b - b * d2 / (k + 2) + c[k];
        b2 = b1, b1 = nb;
        d2 = d1, d1 = nd;
      }
      const double c0 = n > 0 ? c[0] : 0.0;
      seriesValues[i] = n > 0 ? static_cast<long double>(x) * b1 - 0.5L * b2 + c0 : 0.0L;
      seriesValues[i + 1] = n > 0 ? static_cast<long double>(x2) * d1 - 0.5L * d2 + c0 : 0.0L;
    }
    if (m % 2 != 0) seriesValues[m - 1] = static_cast<double>(legendreSeries(c, n, t[m - 1]));
  }
  return figure;
}

long double evaluateLegendre(double left, double right, double, double, const double* c, int32_t n,
                             double x) {
  if (n <= 0) return 0.0L;
  return legendreSeries(c, n, toUnit(left, right, x));
}

void quadratureLegendre(double* nodes, double* weights, int32_t m, double, double) {
  gaussLegendre(nodes, weights, m);
}

// dP_n/dt = sum over k = n-1, n-3, ... of (2k + 1) P_k, so the derivative's k-th coefficient
// is (2k + 1) (c[k+1] + c[k+3] + ...), times dt/dx.
void differentiateLegendre(double left, double right, double, double, const double* c, double* out,
                           int32_t n) {
  if (n <= 0) return;
  for (int32_t k = 0; k < n; ++k)
    out[k] = c[k];
  for (int32_t k = n - 1; k >= 2; --k)
    out[k - 2] += out[k];
  for (int32_t k = 0; k + 1 < n; ++k)
    out[k] = (2.0 * k + 1) * out[k + 1];
  out[n - 1] = 0.0;
  const double con = 2.0L / (static_cast<long double>(right) - left);
  for (int32_t k = 0; k + 1 < n; ++k)
    out[k] *= con;
}

// Every P_k with k >= 1 integrates to 0 over [-1, 1]; P_0 to 2.
long double integrateLegendre(double left, double right, double, double, const double* c,
                              int32_t n) {
  if (n <= 0) return 0.0L;
  return (static_cast<long double>(right) - left) * c[0];
}

}  // namespace

void gaussLegendre(double* nodes, double* weights, int32_t m) {
  if (m <= 0) return;
  // The roots whose guess lies above differenceFormAbove come first.
  int32_t outer = 0;
  while (outer < m / 2 && std::cos(pi * (outer + 1 - 0.25) / (m + 0.5)) > differenceFormAbove)
    ++outer;
  RootFinder finder(m, nodes, weights);
  finder.run(1, outer, true);
  finder.run(outer + 1, m / 2, false);
  if (m % 2 != 0) {
    // P_M is odd: the middle root is 0 and P_M'(0) = M P_{M-1}(0).
    const long double d = static_cast<long double>(m) * legendreValue(m - 1, 0.0);
    nodes[m / 2] = 0.0;
    weights[m / 2] = static_cast<double>(2.0L / (d * d));
  }
}

double legendreValue(int32_t n, double t) {
  double p = 1.0, q = 0.0;
  for (int32_t i = 1; i <= n; ++i) {
    const double next = ((2.0 * i - 1) * t * p - (i - 1.0) * q) / i;
    q = p;
    p = next;
  }
  return p;
}

long double legendreSeries(const double* c, int32_t n, double t) {
  if (n <= 0) return 0.0L;
  double b1 = 0, b2 = 0;
  for (int32_t k = n - 1; k >= 1; --k) {
    const double next = (2.0 * k + 1) * t * b1 / (k + 1) - (k + 1.0) * b2 / (k + 2) + c[k];
    b2 = b1;
    b1 = next;
  }
  return static_cast<long double>(t) * b1 - 0.5L * b2 + c[0];
}

const BasisOps legendreBasis = {fitLegendre, evaluateLegendre, quadratureLegendre,
                                differentiateLegendre, integrateLegendre};
