// The program-lifetime cache a basis keeps of its nodes, weights and tables, with the key it
// was built for. A build may report progress (and so throw when the user cancels) or fail to
// allocate: it is made aside and published whole once it has returned, so a stopped build
// leaves the held content and its key as they were.
//
// Every basis declares its caches thread_local: each thread that fits keeps its own tables, so
// a table one thread is using (its FFTW plans and their arrays, scratch vectors, the count of
// its last fit) is never rebuilt or run by another, and fits on several threads run at once
// without a lock. The price is one node set per thread and count.
#pragma once

#include <cstdint>
#include <utility>

// The count a cache was built for, and alpha and beta where the basis depends on them (0 where
// it does not).
struct CacheKey {
  int32_t count = 0;
  double alpha = 0, beta = 0;
  bool operator==(const CacheKey&) const = default;
};

template <typename Content>
class NodeCache {
 public:
  // The content for `key`: the held one when it was built for that key, otherwise build()'s.
  template <typename Build>
  const Content& at(const CacheKey& key, Build build) {
    return covering(
        key, [&key](const CacheKey& held, const Content&) { return held == key; }, build);
  }

  // As `at`, for content that also serves keys other than its own (a table of more terms):
  // the held content stays while covers(its key, it) says it serves `key`.
  template <typename Covers, typename Build>
  const Content& covering(const CacheKey& key, Covers covers, Build build) {
    if (!held_ || !covers(key_, content_)) {
      Content fresh = build();
      content_ = std::move(fresh);
      key_ = key;
      held_ = true;
    }
    return content_;
  }

  bool held() const { return held_; }
  const CacheKey& key() const { return key_; }
  const Content& content() const { return content_; }

 private:
  bool held_ = false;
  CacheKey key_;
  Content content_;
};
