// The node cache: content is built once per key, a table of more terms serves fewer, and a
// build stopped by a cancel (thrown from a progress report) or a failed allocation leaves the
// held content and its key as they were.
#include "bases/node_cache.h"

#include <gtest/gtest.h>

#include <new>
#include <vector>

#include "bases/progress.h"

namespace {

using Table = std::vector<int32_t>;

Table counting(int32_t count, int& builds) {
  ++builds;
  return Table(count, count);
}

TEST(NodeCache, BuildsOncePerKeyAndAgainWhenAnyPartOfTheKeyChanges) {
  NodeCache<Table> cache;
  int builds = 0;
  EXPECT_FALSE(cache.held());
  EXPECT_EQ(cache.at({4, 0.5, 1.5}, [&] { return counting(4, builds); }), Table(4, 4));
  cache.at({4, 0.5, 1.5}, [&] { return counting(4, builds); });
  EXPECT_EQ(builds, 1);
  for (const CacheKey& other :
       {CacheKey{5, 0.5, 1.5}, CacheKey{5, 0.25, 1.5}, CacheKey{5, 0.25, 1.0}}) {
    cache.at(other, [&] { return counting(other.count, builds); });
    EXPECT_EQ(cache.key(), other);
  }
  EXPECT_EQ(builds, 4);
}

TEST(NodeCache, CoveringContentServesSmallerRequests) {
  NodeCache<Table> cache;
  int builds = 0;
  const auto covers = [](int32_t n) {
    return [n](const CacheKey&, const Table& held) { return held.size() >= size_t(n); };
  };
  cache.covering({10}, covers(10), [&] { return counting(10, builds); });
  EXPECT_EQ(cache.covering({3}, covers(3), [&] { return counting(3, builds); }).size(), 10u);
  EXPECT_EQ(cache.covering({12}, covers(12), [&] { return counting(12, builds); }).size(), 12u);
  EXPECT_EQ(builds, 2);
}

TEST(NodeCache, StoppedBuildLeavesTheHeldContentAndKey) {
  NodeCache<Table> cache;
  int builds = 0;
  cache.at({4}, [&] { return counting(4, builds); });
  EXPECT_THROW(cache.at({6}, []() -> Table { throw ProgressCancelled{}; }), ProgressCancelled);
  EXPECT_THROW(cache.at({8}, []() -> Table { throw std::bad_alloc(); }), std::bad_alloc);
  EXPECT_EQ(cache.key(), CacheKey{4});
  EXPECT_EQ(cache.content(), Table(4, 4));
  cache.at({4}, [&] { return counting(4, builds); });
  EXPECT_EQ(builds, 1);
}

}  // namespace
