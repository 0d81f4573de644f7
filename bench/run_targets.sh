#!/usr/bin/env bash
# Runs the benchmarks once per vector target this processor has, forced through
# SERNA_VECTOR_TARGET, pinned to one core (CORE, default 1) with repetitions, reporting medians.
# BENCH names the benchmark program (default build-release/serna_bench); further arguments go
# to it, for instance --benchmark_filter=WarmFit.
set -euo pipefail
bench=${BENCH:-build-release/serna_bench}
targets=()
grep -qw avx512f /proc/cpuinfo && grep -qw avx512vl /proc/cpuinfo && targets+=(avx512)
grep -qw avx2 /proc/cpuinfo && grep -qw fma /proc/cpuinfo && targets+=(avx2)
grep -qw sse2 /proc/cpuinfo && targets+=(sse2)
targets+=(portable)
for target in "${targets[@]}"; do
  echo "== SERNA_VECTOR_TARGET=$target"
  SERNA_VECTOR_TARGET=$target taskset -c "${CORE:-1}" "$bench" --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true "$@" | grep -v '_mean\|_stddev\|_cv'
done
