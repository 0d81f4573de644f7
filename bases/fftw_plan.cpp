#include "bases/fftw_plan.h"

#include <new>
#include <utility>

namespace {

// Both arrays first, then the plan: a failed allocation throws before anything is planned.
FftwPlan allocate(int64_t inDoubles, int64_t outDoubles) {
  FftwPlan p;
  p.in = static_cast<double*>(fftw_malloc(sizeof(double) * inDoubles));
  p.out = static_cast<double*>(fftw_malloc(sizeof(double) * outDoubles));
  if (!p.in || !p.out) throw std::bad_alloc();
  return p;
}

void checkPlanned(const FftwPlan& p) {
  if (!p.plan) throw std::bad_alloc();
}

}  // namespace

FftwPlan::FftwPlan(FftwPlan&& other) noexcept
    : plan(std::exchange(other.plan, nullptr)),
      in(std::exchange(other.in, nullptr)),
      out(std::exchange(other.out, nullptr)) {}

FftwPlan& FftwPlan::operator=(FftwPlan&& other) noexcept {
  std::swap(plan, other.plan);
  std::swap(in, other.in);
  std::swap(out, other.out);
  return *this;
}

std::mutex& fftwPlannerMutex() {
  static std::mutex planner;
  return planner;
}

FftwPlan::~FftwPlan() {
  if (plan) {
    const std::lock_guard lock(fftwPlannerMutex());
    fftw_destroy_plan(plan);
  }
  fftw_free(in);
  fftw_free(out);
}

FftwPlan makeRealPlan(int32_t n, fftw_r2r_kind kind) {
  FftwPlan p = allocate(n, n);
  const std::lock_guard lock(fftwPlannerMutex());
  p.plan = fftw_plan_r2r_1d(n, p.in, p.out, kind, FFTW_ESTIMATE);
  checkPlanned(p);
  return p;
}

FftwPlan makeForwardPlan(int32_t n) {
  FftwPlan p = allocate(n, 2 * (n / 2 + 1));
  const std::lock_guard lock(fftwPlannerMutex());
  p.plan = fftw_plan_dft_r2c_1d(n, p.in, reinterpret_cast<fftw_complex*>(p.out), FFTW_ESTIMATE);
  checkPlanned(p);
  return p;
}

FftwPlan makeBackwardPlan(int32_t n) {
  FftwPlan p = allocate(2 * (n / 2 + 1), n);
  const std::lock_guard lock(fftwPlannerMutex());
  p.plan = fftw_plan_dft_c2r_1d(n, reinterpret_cast<fftw_complex*>(p.in), p.out, FFTW_ESTIMATE);
  checkPlanned(p);
  return p;
}
