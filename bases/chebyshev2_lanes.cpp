#include "bases/chebyshev2_lanes.h"

#include "bases/interval_map.h"
#include "bases/quarter_angle_lanes.h"

namespace {

// The i-th largest node is cos(theta), theta = pi i / (M + 1): from theta itself while it is at
// most pi/4, beyond that as sin(phi), phi = pi/2 - theta = pi (M + 1 - 2i) / (2M + 2), so that
// the nodes near 0 keep their relative digits. Both angles are pi p / (2M + 2). The weight takes
// sin(theta) the same way.
template <VectorTarget target>
struct Chebyshev2Nodes {
  static constexpr int32_t width = registerWidth(target);
  using A = QuarterAngle<width>;
  using L = LaneSet<width>;
  using Lanes = typename L::Lanes;

  static void run(int32_t m, double* nodes, double* weights) {
    const int32_t last = m / 2;
    const Lanes q = L::splat(2.0 * m + 2), count = L::splat(m + 1.0);
    const double scale = static_cast<double>(piLong / (m + 1.0L));
    Lanes iota;
    for (int32_t l = 0; l < width; ++l)
      iota[l] = l;
    for (int32_t i0 = 1; i0 <= last; i0 += width) {
      const Lanes i = iota + static_cast<double>(i0);
      const auto nearEnd = 4.0 * i <= count;
      const Lanes p = nearEnd ? 2.0 * i : count - 2.0 * i;
      const typename A::Pair angle = A::piFraction(p, q, Lanes{});
      Lanes sine, cosine;
      A::sinCos(angle, sine, cosine);
      const Lanes node = nearEnd ? cosine : sine, s = nearEnd ? sine : cosine;
      const Lanes weight = scale * (s * s);

      A::storeMirrored(m, i0, last, node, weight, nodes, weights);
    }
    if (m % 2 != 0) nodes[m / 2] = 0.0, weights[m / 2] = scale;
  }
};

}  // namespace

void chebyshev2NodesLanes(int32_t m, double* nodes, double* weights, VectorTarget target) {
  if (m <= 0) return;
  runOnTarget<Chebyshev2Nodes>(target, m, nodes, weights);
}
