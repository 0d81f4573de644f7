#include "bases/legendre_lanes.h"

#include <cstring>

#include "bases/interval_map.h"
#include "bases/quarter_angle_lanes.h"

namespace {

// Bogaert's iteration-free expansion (SIAM J. Sci. Comput. 36(3), A1008, 2014): the k-th
// largest root is cos(theta_k), theta_k = alpha_k + v^2 (...) + v^4 (...) + v^6 (...), with
// alpha_k = v j_k, v = 1 / (M + 1/2) and j_k the k-th zero of the Bessel function J0; the weight
// is 2 / (J1(j_k)^2 (alpha / sin alpha) (v^-2 + W1 + v^2 W2 + v^4 W3)), with the paper's terms.
// Each root is a formula in k alone, evaluated in double for a vector of roots at once.

// j_k and J1(j_k)^2 for k = 1..30 from mpmath (tests/bases/references/legendre_references.py);
// beyond them McMahon's expansions, whose first neglected term is below 1e-21 there.
constexpr long double besselTable[][2] = {
    {2.404825557695772768621632L, 2.69514123941916926139022e-1L},
    {5.520078110286310649596604L, 1.157801385822036958078128e-1L},
    {8.653727912911012216954199L, 7.368635113640821514064768e-2L},
    {1.179153443901428161374304e+1L, 5.403757319811628204177492e-2L},
    {1.493091770848778594776259e+1L, 4.266142901724309126551061e-2L},
    {1.807106396791092254314788e+1L, 3.52421034909961013587473e-2L},
    {2.121163662987925895907839e+1L, 3.002107010305467267508882e-2L},
    {2.435247153074930273705794e+1L, 2.614739149530808859045847e-2L},
    {2.749347913204025479587729e+1L, 2.315912182469139226526764e-2L},
    {3.063460646843197511754958e+1L, 2.078382912226785760398081e-2L},
    {3.377582021357356868423855e+1L, 1.885045066931766781610568e-2L},
    {3.691709835366404397976949e+1L, 1.724615756966500829952401e-2L},
    {4.005842576462823929479931e+1L, 1.589351810592359780270656e-2L},
    {4.319979171317673035752407e+1L, 1.47376260964721895895743e-2L},
    {4.634118837166181401868579e+1L, 1.373846514538711791828805e-2L},
    {4.948260989739781717360276e+1L, 1.286618173761513287914066e-2L},
    {5.262405184111499602925129e+1L, 1.209805154862679754710754e-2L},
    {5.576551075501997931168349e+1L, 1.141647122449160851686272e-2L},
    {5.890698392608094213283441e+1L, 1.080759279118020401155473e-2L},
    {6.20484691902271698828525e+1L, 1.02603729262807628110424e-2L},
    {6.518996480020686044063603e+1L, 9.765897139791050540598467e-3L},
    {6.83314693298567982709923e+1L, 9.316890387627165089035633e-3L},
    {7.147298160359373282506307e+1L, 8.907356754001989588571844e-3L},
    {7.461450064370183788382054e+1L, 8.532310161358082912843132e-3L},
    {7.775602563038805503773937e+1L, 8.187570362708155231855111e-3L},
    {8.089755587113762786377214e+1L, 7.869606469720769245904622e-3L},
    {8.403909077693819015787964e+1L, 7.575415577297647171696498e-3L},
    {8.718062984364115365126181e+1L, 7.30242763147764091649963e-3L},
    {9.032217263721048005571777e+1L, 7.048430150990362553749572e-3L},
    {9.346371878194477417119059e+1L, 6.811508131014086166066238e-3L},
};
constexpr int32_t besselTableSize = sizeof besselTable / sizeof besselTable[0];

// The table as the kernel takes it: j_k - a and pi a J1(j_k)^2 / 2 - 1, a = pi (k - 1/4).
struct BesselTerms {
  double offset[besselTableSize], j1Excess[besselTableSize];
};
constexpr BesselTerms makeBesselTerms() {
  BesselTerms t{};
  for (int32_t k = 1; k <= besselTableSize; ++k) {
    const long double a = piLong * (k - 0.25L);
    t.offset[k - 1] = static_cast<double>(besselTable[k - 1][0] - a);
    t.j1Excess[k - 1] = static_cast<double>(besselTable[k - 1][1] * piLong * a / 2 - 1);
  }
  return t;
}
constexpr BesselTerms besselTerms = makeBesselTerms();

template <VectorTarget target>
struct LegendreAsymptotic {
  static constexpr int32_t width = registerWidth(target);
  using A = QuarterAngle<width>;
  using L = LaneSet<width>;
  using Lanes = typename L::Lanes;

  // McMahon: j_k - a from ia = 1 / a.
  static Lanes zeroOffset(const Lanes& ia) {
    constexpr double c1 = -124.0 / 3, c2 = 120928.0 / 15, c3 = -401743168.0 / 105,
                     c4 = 1071187749376.0 / 315;
    const Lanes b = 0.125 * ia, b2 = b * b;
    return b * (1.0 + b2 * (c1 + b2 * (c2 + b2 * (c3 + b2 * c4))));
  }

  // pi a J1(j_k)^2 / 2 - 1 = -7/48 a^-4 + ...
  static Lanes j1SquaredExcess(const Lanes& ia) {
    constexpr double c1 = -7.0 / 24, c2 = 151.0 / 80, c3 = -172913.0 / 8064, c4 = 461797.0 / 1152,
                     c5 = -171497088497.0 / 15206400;
    const Lanes r = ia * ia;
    return 0.5 * (r * r * (c1 + r * (c2 + r * (c3 + r * (c4 + r * c5)))));
  }

  // theta - alpha in powers of v^2, with u = cot alpha and ia = 1 / alpha.
  static Lanes thetaCorrection(double v2, const Lanes& u, const Lanes& ia) {
    const Lanes u2 = u * u, ia2 = ia * ia, ia3 = ia2 * ia;
    constexpr double r384 = 1.0 / 384, r15360 = 1.0 / 15360;
    const Lanes t2 = (u - ia) * 0.125;
    const Lanes t4 = (6.0 * (1.0 + u2) * ia + 25.0 * ia3 - u * (31.0 * u2 + 33.0)) * r384;
    const Lanes t6 =
        u * (2595.0 + u2 * (6350.0 + u2 * 3779.0)) * r15360 - (1073.0 / 5120) * ia3 * ia2 +
        (1.0 + u2) *
            (-(31.0 * u2 + 11.0) * (1.0 / 1024) * ia + u * (1.0 / 512) * ia2 - (25.0 / 3072) * ia3);
    return v2 * (t2 + v2 * (t4 + v2 * t6));
  }

  // W1 + v^2 W2 + v^4 W3 of the weight's series v^-2 + W1 + ..., with u = cot alpha and
  // ia = 1 / alpha.
  static Lanes weightSeriesTail(double v2, const Lanes& alpha, const Lanes& u, const Lanes& ia) {
    const Lanes u2 = u * u, ia2 = ia * ia, ua = u * alpha;
    constexpr double r384 = 1.0 / 384;
    const Lanes w1 = (1.0 + (ua - 1.0) * ia2) * 0.125;
    const Lanes w2 = (-27.0 - u2 * (84.0 + 56.0 * u2) +
                      ia2 * (-3.0 + 6.0 * u2 + 6.0 * ua + ia2 * (81.0 - 31.0 * ua))) *
                     r384;
    const Lanes w3 = 153.0 / 1024 + u2 * (295.0 / 256 + u2 * (187.0 / 96 + u2 * (151.0 / 160))) +
                     ia * (-u * (65.0 / 1024 + u2 * (119.0 / 768 + u2 * (35.0 / 384))) +
                           ia * (5.0 / 512 + u2 * (15.0 / 512 + u2 * (7.0 / 384)) +
                                 ia * (u * (u2 * (1.0 / 512) - 13.0 / 1536) +
                                       ia * (u2 * (-7.0 / 384) + 53.0 / 3072 +
                                             ia * ((3749.0 / 15360) * u - ia * (1125.0 / 1024))))));
    return w1 + v2 * (w2 + v2 * w3);
  }

  // The leading angle is pi p / (4M + 2) plus the Bessel zero's offset times v: alpha itself
  // (p = 4k - 1) for the roots nearer the ends, phi = pi/2 - alpha (p = 2M + 2 - 4k) for those
  // nearer 0, so that it is at most about pi/4 and the node near 0 is sin(phi) with its
  // relative digits. The node is cos(alpha + d), expanded in the small d = theta - alpha and
  // added to cos(alpha) before its last rounding.
  static void run(int32_t m, int32_t first, int32_t last, double* nodes, double* weights) {
    const double half = m + 0.5, v = 1 / half, v2 = v * v;
    const Lanes q = L::splat(4.0 * m + 2), ends = L::splat(2.0 * m + 3);
    const Lanes middle = L::splat(2.0 * m + 2);
    // pi / (M + 1/2) = scaleHigh + scaleLow
    const double scaleHigh = static_cast<double>(piLong / (m + 0.5L));
    const double scaleLow = static_cast<double>(piLong / (m + 0.5L) - scaleHigh);
    Lanes iota;
    for (int32_t l = 0; l < width; ++l)
      iota[l] = l;
    for (int32_t k0 = first; k0 <= last; k0 += width) {
      const Lanes k = iota + static_cast<double>(k0);
      const Lanes a = (k - 0.25) * pi;
      const Lanes ia = 1.0 / a;
      Lanes offset = zeroOffset(ia), j1 = j1SquaredExcess(ia);
      if (k0 <= besselTableSize) {
        for (int32_t l = 0; l < width && k0 + l <= besselTableSize; ++l) {
          offset[l] = besselTerms.offset[k0 + l - 1];
          j1[l] = besselTerms.j1Excess[k0 + l - 1];
        }
      }
      const auto nearEnd = 8.0 * k < ends;
      const Lanes fourK = 4.0 * k;
      const Lanes p = nearEnd ? fourK - 1.0 : middle - fourK;
      const Lanes shift = offset * v;
      const typename A::Pair angle = A::piFraction(p, q, nearEnd ? shift : -shift);
      typename A::Pair sine, cosine;
      A::sinCosParts(angle, sine, cosine);
      const Lanes sinAlpha = nearEnd ? sine.high + sine.low : cosine.high + cosine.low;
      const Lanes cosHigh = nearEnd ? cosine.high : sine.high;
      const Lanes cosLow = nearEnd ? cosine.low : sine.low;
      const Lanes cosAlpha = cosHigh + cosLow;
      const Lanes alpha = nearEnd ? angle.high : pi / 2 - angle.high;
      const Lanes u = cosAlpha / sinAlpha, iAlpha = 1.0 / alpha;

      const Lanes d = thetaCorrection(v2, u, iAlpha);
      const Lanes d2 = d * d;
      const Lanes cosDMinusOne = -d2 * 0.5 * (1.0 - d2 * (1.0 / 12));
      const Lanes sinD = d * (1.0 - d2 * (1.0 / 6) * (1.0 - d2 * 0.05));
      const Lanes node = cosHigh + (cosLow + (cosAlpha * cosDMinusOne - sinAlpha * sinD));
      // 2 pi a sin(alpha) / (alpha pi a J1^2 series), with a / alpha = (M + 1/2) / (1 + t),
      // t = offset / a, pi a J1^2 = 2 (1 + j1) and the series (M + 1/2)^2 (1 + s):
      // pi / (M + 1/2) sin(alpha) / (1 + e), (1 + e) = (1 + t)(1 + j1)(1 + s), with e formed
      // from its small parts and the product pi / (M + 1/2) sin(alpha) kept exact, so that the
      // weight is rounded once.
      const Lanes t = offset * ia, series = v2 * weightSeriesTail(v2, alpha, u, iAlpha);
      const Lanes e1 = t + series + t * series;
      const Lanes e = e1 + j1 + e1 * j1;
      const typename A::Pair sinParts = {nearEnd ? sine.high : cosine.high,
                                         nearEnd ? sine.low : cosine.low};
      const typename A::Pair scaled = A::product(L::splat(scaleHigh), sinParts.high);
      const Lanes scaledLow =
          scaled.low + (scaleHigh * sinParts.low + scaleLow * (sinParts.high + sinParts.low));
      const Lanes weight = scaled.high + (scaledLow - (scaled.high + scaledLow) * (e / (1.0 + e)));

      A::storeMirrored(m, k0, last, node, weight, nodes, weights);
    }
  }
};

}  // namespace

void legendreAsymptoticLanes(int32_t m, int32_t first, int32_t last, double* nodes, double* weights,
                             VectorTarget target) {
  runOnTarget<LegendreAsymptotic>(target, m, first, last, nodes, weights);
}
