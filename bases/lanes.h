// Vectors of doubles for the kernels that run one recurrence in many independent lanes at
// once (one lane per node or abscissa).
//
// `Lanes` holds laneWidth doubles. The compiler maps it onto whatever the clone of the kernel
// it is used in was built for: one AVX-512 register, two AVX2 registers or four SSE2 ones. A
// kernel marked `vectorClones` is built three times and the processor's best version is chosen
// when the program starts, so the build needs no machine-specific flags. The helpers below are
// inline and never cross a call, so the vector's calling convention (-Wpsabi) does not matter.
#pragma once

#include <cstdint>
#include <cstring>

constexpr int32_t laneWidth = 8;
typedef double Lanes __attribute__((vector_size(laneWidth * sizeof(double))));

// -DSERNA_PORTABLE_KERNELS builds the portable version alone, to check it on any machine.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && \
    !defined(SERNA_PORTABLE_KERNELS)
#define vectorClones __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#else
#define vectorClones
#endif

inline Lanes loadLanes(const double* p) {
  Lanes v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline void storeLanes(double* p, const Lanes& v) {
  std::memcpy(p, &v, sizeof v);
}

inline Lanes splat(double x) {
  return Lanes{} + x;
}

// The lanes' sum, in pairs.
inline double laneSum(const Lanes& v) {
  double half[laneWidth / 2];
  for (int32_t l = 0; l < laneWidth / 2; ++l)
    half[l] = v[l] + v[l + laneWidth / 2];
  return (half[0] + half[2]) + (half[1] + half[3]);
}
