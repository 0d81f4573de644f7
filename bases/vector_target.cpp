#include "bases/vector_target.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr VectorTarget allTargets[] = {VectorTarget::portable, VectorTarget::sse2,
                                       VectorTarget::avx2, VectorTarget::avx512};

bool processorRuns(VectorTarget target) {
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && \
    !defined(SERNA_PORTABLE_KERNELS)
  __builtin_cpu_init();
  switch (target) {
    case VectorTarget::portable:
    case VectorTarget::sse2:
      return true;
    case VectorTarget::avx2:
      return __builtin_cpu_supports("x86-64-v3");
    case VectorTarget::avx512:
      return __builtin_cpu_supports("x86-64-v4");
  }
  return false;
#else
  return target == VectorTarget::portable;
#endif
}

}  // namespace

const char* vectorTargetName(VectorTarget target) {
  switch (target) {
    case VectorTarget::portable:
      return "portable";
    case VectorTarget::sse2:
      return "sse2";
    case VectorTarget::avx2:
      return "avx2";
    case VectorTarget::avx512:
      return "avx512";
  }
  return "?";
}

std::vector<VectorTarget> availableVectorTargets() {
  std::vector<VectorTarget> targets;
  for (VectorTarget target : allTargets)
    if (processorRuns(target)) targets.push_back(target);
  return targets;
}

VectorTarget chooseVectorTarget(const char* request, VectorTarget best, std::string& note) {
  note.clear();
  if (!request || !*request) return best;
  for (VectorTarget target : allTargets) {
    if (std::strcmp(request, vectorTargetName(target)) != 0) continue;
    if (target <= best) return target;
    note = std::string("SERNA_VECTOR_TARGET=") + request + ": this processor runs at most " +
           vectorTargetName(best) + "; using " + vectorTargetName(best);
    return best;
  }
  note = std::string("SERNA_VECTOR_TARGET=") + request +
         ": unknown target (avx512, avx2, sse2 or portable); using " + vectorTargetName(best);
  return best;
}

VectorTarget activeVectorTarget() {
  // A function-local static: chosen once, safely when several threads start at once.
  static const VectorTarget active = [] {
    std::string note;
    const VectorTarget chosen = chooseVectorTarget(std::getenv("SERNA_VECTOR_TARGET"),
                                                   availableVectorTargets().back(), note);
    if (!note.empty()) std::fprintf(stderr, "%s\n", note.c_str());
    return chosen;
  }();
  return active;
}

bool runFusesMultiplyAdd() {
#ifdef SERNA_FUSED_BUILDS
  return activeVectorTarget() >= VectorTarget::avx2;
#else
  return false;
#endif
}
