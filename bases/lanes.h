// Vectors of doubles for the kernels that run one recurrence in many independent lanes at
// once (one lane per node or abscissa), built once per vector target with that target's width.
//
// A kernel is a class template over the target, whose static `run` holds the work; it names
// its vectors and helpers through LaneSet<width>. runOnTarget calls `run` inside a function
// compiled for the target's instruction set, with everything it calls inlined into it (the
// helpers here are inline and never cross a call, so the vectors' calling convention, -Wpsabi,
// does not matter). The build needs no machine-specific flags.
#pragma once

#include <cstdint>
#include <cstring>
#include <utility>

#include "bases/vector_target.h"

template <int32_t width>
struct LaneVector;
template <>
struct LaneVector<2> {
  typedef double type __attribute__((vector_size(2 * sizeof(double))));
  typedef int64_t bits __attribute__((vector_size(2 * sizeof(double))));
};
template <>
struct LaneVector<4> {
  typedef double type __attribute__((vector_size(4 * sizeof(double))));
  typedef int64_t bits __attribute__((vector_size(4 * sizeof(double))));
};
template <>
struct LaneVector<8> {
  typedef double type __attribute__((vector_size(8 * sizeof(double))));
  typedef int64_t bits __attribute__((vector_size(8 * sizeof(double))));
};

// Vectors of `width` doubles, and the helpers on them.
template <int32_t width>
struct LaneSet {
  static constexpr int32_t laneWidth = width;
  using Lanes = typename LaneVector<width>::type;
  using LaneBits = typename LaneVector<width>::bits;  // the result of comparing two Lanes

  static Lanes loadLanes(const double* p) {
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }
  static void storeLanes(double* p, const Lanes& v) { std::memcpy(p, &v, sizeof v); }
  static Lanes splat(double x) { return Lanes{} + x; }
  // The lanes' sum, in pairs: lane l meets lane l + width / 2, and so on down.
  static double laneSum(const Lanes& v) {
    double part[width];
    std::memcpy(part, &v, sizeof part);
    for (int32_t half = width / 2; half >= 1; half /= 2)
      for (int32_t l = 0; l < half; ++l)
        part[l] += part[l + half];
    return part[0];
  }
};

// The vector width and the number of vectors a kernel keeps in flight on a target.
struct LaneShape {
  int32_t width, chains;
};

// The width of a target's registers in doubles. The portable code takes two, which every
// vector unit holds in one register and plain code in two.
constexpr int32_t registerWidth(VectorTarget target) {
  return target == VectorTarget::avx512 ? 8 : target == VectorTarget::avx2 ? 4 : 2;
}

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && \
    !defined(SERNA_PORTABLE_KERNELS)
#define SERNA_X86_KERNELS 1
#endif

// Kernel<target>::run(args...), inlined whole into a function built for the target's
// instruction set. `flatten` inlines every call below it, so that the kernel's helpers are
// compiled for the target too.
template <template <VectorTarget> class Kernel, class... Args>
[[gnu::flatten]] void runPortable(Args&&... args) {
  Kernel<VectorTarget::portable>::run(std::forward<Args>(args)...);
}
#ifdef SERNA_X86_KERNELS
template <template <VectorTarget> class Kernel, class... Args>
[[gnu::flatten]] void runSse2(Args&&... args) {
  Kernel<VectorTarget::sse2>::run(std::forward<Args>(args)...);
}
template <template <VectorTarget> class Kernel, class... Args>
[[gnu::flatten, gnu::target("arch=x86-64-v3")]] void runAvx2(Args&&... args) {
  Kernel<VectorTarget::avx2>::run(std::forward<Args>(args)...);
}
template <template <VectorTarget> class Kernel, class... Args>
[[gnu::flatten, gnu::target("arch=x86-64-v4")]] void runAvx512(Args&&... args) {
  Kernel<VectorTarget::avx512>::run(std::forward<Args>(args)...);
}
#endif

// The kernel built for `target`, which must be one of availableVectorTargets().
template <template <VectorTarget> class Kernel, class... Args>
void runOnTarget(VectorTarget target, Args&&... args) {
#ifdef SERNA_X86_KERNELS
  switch (target) {
    case VectorTarget::avx512:
      return runAvx512<Kernel>(std::forward<Args>(args)...);
    case VectorTarget::avx2:
      return runAvx2<Kernel>(std::forward<Args>(args)...);
    case VectorTarget::sse2:
      return runSse2<Kernel>(std::forward<Args>(args)...);
    case VectorTarget::portable:
      break;
  }
#else
  (void)target;
#endif
  runPortable<Kernel>(std::forward<Args>(args)...);
}
