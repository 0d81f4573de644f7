// A one-dimensional FFTW plan of double precision together with the aligned arrays it runs on.
// Plans are made with FFTW_ESTIMATE (no timing runs, cheap to make) once per count and kept in
// the owning basis's node cache; a transform copies its input into `in`, runs, and reads `out`.
#pragma once

#include <bit>
#include <cstdint>
#include <mutex>

#include <fftw3.h>

struct FftwPlan {
  fftw_plan plan = nullptr;
  double* in = nullptr;   // the input array (complex entries as pairs of doubles for c2r)
  double* out = nullptr;  // the output array (complex entries as pairs for r2c)

  FftwPlan() = default;
  FftwPlan(const FftwPlan&) = delete;
  FftwPlan& operator=(const FftwPlan&) = delete;
  FftwPlan(FftwPlan&& other) noexcept;
  FftwPlan& operator=(FftwPlan&& other) noexcept;
  ~FftwPlan();

  void run() const { fftw_execute(plan); }
};

// FFTW's planner is not thread-safe: every plan is made and destroyed under this lock (running
// a plan needs none).
std::mutex& fftwPlannerMutex();

// A real-to-real transform of n points of the given kind (REDFT10, REDFT01, RODFT00, ...).
FftwPlan makeRealPlan(int32_t n, fftw_r2r_kind kind);
// The forward real-to-complex transform of n points: n reals in, n/2 + 1 complex out.
FftwPlan makeForwardPlan(int32_t n);
// The backward complex-to-real transform of n points: n/2 + 1 complex in, n reals out.
FftwPlan makeBackwardPlan(int32_t n);

// Below this count the direct sums are as fast as a transform and need no plans.
constexpr int32_t smallestTransformCount = 16;

// A transform costs a few M log M operations whatever N; the direct sums cost about M N. The
// transforms give the degrees below M only; more terms than nodes take the direct sums.
inline bool transformPays(int32_t m, int32_t n) {
  return m >= smallestTransformCount && n <= m &&
         n > 2 * static_cast<int32_t>(std::bit_width(static_cast<uint32_t>(m)));
}
