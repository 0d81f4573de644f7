// The reports of a loop whose steps are short: one report per block of steps worth about
// progressBlockWork operations, so that the reports cost nothing measurable however the
// work is shaped (many short steps or few long ones). The first step always reports.
#pragma once

#include <algorithm>
#include <cstdint>

#include "bases/progress.h"

constexpr int64_t progressBlockWork = int64_t{1} << 16;

class BlockProgress {
 public:
  // A loop of `total` steps of about `stepWork` operations each.
  explicit BlockProgress(int64_t total, int64_t stepWork = 1)
      : loop_(total),
        every_(std::max<int64_t>(1, progressBlockWork / std::max<int64_t>(1, stepWork))) {}

  // Step `done` is about to begin (steps may be skipped, as in a loop by twos).
  void at(int64_t done) {
    if (done >= next_) [[unlikely]]
      report(done);
  }

 private:
  // Out of the loop's way: the loop keeps only the comparison.
  [[gnu::noinline, gnu::cold]] void report(int64_t done) {
    next_ = done + every_;
    loop_.report(done);
  }

  ProgressLoop loop_;
  int64_t every_;
  int64_t next_ = 0;
};
