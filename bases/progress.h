// Long work tells how far it has gone, as (done, total) steps of a loop, through the hook that
// the command running it installed; without a hook a report costs one test. Loops nest (the
// node set inside a recompute inside a scan): the outermost loop's steps are what is shown,
// and an inner loop's reports only keep the window alive and listen for a cancel.
//
// A report throws ProgressCancelled once the user has asked to stop; the command that
// installed the hook catches it and takes its state back. Code that reports must therefore
// leave its own lasting state (a node cache, say) whole when a report throws: build into
// locals and publish them after the last report. The hook and the loop depth belong to the
// thread: a fit on another thread (the Python module's) neither reports to nor counts in this one.
#pragma once

#include <cstdint>

struct ProgressCancelled {};

// Shows (done, total) of the outermost loop; false once the user has cancelled.
using ProgressHook = bool (*)(void* context, int64_t done, int64_t total);

namespace progress_detail {
inline thread_local ProgressHook hook = nullptr;
inline thread_local void* context = nullptr;
inline thread_local int depth = 0;
inline thread_local int64_t shownDone = 0;
inline thread_local int64_t shownTotal = 0;
}  // namespace progress_detail

// Installs the hook for one command; the previous one comes back at the end of the scope.
class ProgressHookScope {
 public:
  ProgressHookScope(ProgressHook hook, void* context)
      : hook_(progress_detail::hook),
        context_(progress_detail::context),
        depth_(progress_detail::depth) {
    progress_detail::hook = hook;
    progress_detail::context = context;
    progress_detail::depth = 0;
  }
  ~ProgressHookScope() {
    progress_detail::hook = hook_;
    progress_detail::context = context_;
    progress_detail::depth = depth_;
  }
  ProgressHookScope(const ProgressHookScope&) = delete;
  ProgressHookScope& operator=(const ProgressHookScope&) = delete;

 private:
  ProgressHook hook_;
  void* context_;
  int depth_;
};

// One loop of `total` steps that reports as it goes.
class ProgressLoop {
 public:
  explicit ProgressLoop(int64_t total) : outermost_(progress_detail::depth++ == 0) {
    if (outermost_) progress_detail::shownDone = 0, progress_detail::shownTotal = total;
  }
  ~ProgressLoop() { --progress_detail::depth; }
  ProgressLoop(const ProgressLoop&) = delete;
  ProgressLoop& operator=(const ProgressLoop&) = delete;

  // The loop's length once it is known.
  void setTotal(int64_t total) const {
    if (outermost_) progress_detail::shownTotal = total;
  }

  // `done` steps of the loop are finished.
  void report(int64_t done) const {
    if (!progress_detail::hook) return;
    if (outermost_) progress_detail::shownDone = done;
    if (!progress_detail::hook(progress_detail::context, progress_detail::shownDone,
                               progress_detail::shownTotal))
      throw ProgressCancelled{};
  }

 private:
  bool outermost_;
};
