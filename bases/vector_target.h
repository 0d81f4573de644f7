// The instruction sets the vector kernels are built for, and the one this run uses.
//
// Every kernel in bases/*_lanes.cpp is compiled once per target, each with its own vector width
// and number of independent chains, so that on every processor the chains stay in registers.
// The best target the processor runs is chosen once, at the first kernel call; the environment
// variable SERNA_VECTOR_TARGET (avx512, avx2, sse2 or portable) asks for a lower one, so that one
// machine can test and time every target.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Lowest first: a request is honoured only up to the best target the processor has.
enum class VectorTarget : int32_t {
  portable,  // plain vector code, for any processor (the only target outside x86-64)
  sse2,      // the x86-64 baseline: two doubles per register
  avx2,      // AVX2 with FMA (x86-64-v3): four doubles per register
  avx512,    // AVX-512 (x86-64-v4): eight doubles per register
};

const char* vectorTargetName(VectorTarget target);

// The targets this build has kernels for and this processor runs, lowest first.
std::vector<VectorTarget> availableVectorTargets();

// The target for a request (the variable's value, null when unset) on a processor whose best
// target is `best`. An unknown name, or one above `best`, gives `best` or the highest it allows,
// and `note` then says what happened; otherwise `note` is left empty.
VectorTarget chooseVectorTarget(const char* request, VectorTarget best, std::string& note);

// The target of this run, chosen at the first call from SERNA_VECTOR_TARGET and the processor;
// a note about the variable goes to standard error once.
VectorTarget activeVectorTarget();

// Scalar code with a build of its own for processors that fuse multiply and add (built with
// gnu::target("arch=x86-64-v3") where SERNA_FUSED_BUILDS is defined) runs that build when this
// run's target is AVX2 or AVX-512, so that a forced lower target tests the plain build.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define SERNA_FUSED_BUILDS 1
#endif
bool runFusesMultiplyAdd();
