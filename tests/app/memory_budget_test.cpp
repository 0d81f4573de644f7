// The memory check against a process address-space limit (ulimit -v), set in a child process:
// the room it reports follows the limit, and commands that would need more are refused with
// their parameters put back, instead of failing half-way or being killed.
#include "app/memory_budget.h"

#include <gtest/gtest.h>

#include "app/recompute.h"
#include "app/startup.h"
#include "files/mesh_generator.h"
#include "tests/app/address_space_limit.h"
#include "tests/app/fake_window.h"

namespace {

constexpr int64_t mib = int64_t{1} << 20;

#if defined(__SANITIZE_ADDRESS__)
#define SKIP_UNDER_ASAN() GTEST_SKIP() << "the address sanitizer reserves the address space"
#else
#define SKIP_UNDER_ASAN() (void)0
#endif

TEST(MemoryBudgetTest, RoomFollowsTheAddressSpaceLimit) {
  SKIP_UNDER_ASAN();
  EXPECT_EXIT(([] {
                REQUIRE(limitAddressSpace(300 * mib));
                const int64_t room = memoryAvailable();
                REQUIRE(room <= 300 * mib);
                REQUIRE(room >= 250 * mib);
                REQUIRE(fitsInBudget(100 * mib));
                REQUIRE(!fitsInBudget(290 * mib));
                std::_Exit(0);
              }()),
              ::testing::ExitedWithCode(0), "");
}

TEST(MemoryBudgetTest, CeilingLowersTheRoom) {
  setMemoryCeiling(64 * mib);
  EXPECT_LE(memoryAvailable(), 64 * mib);
  EXPECT_FALSE(fitsInMemory(8 * 1024 * 1024));  // 64 MiB of doubles
  EXPECT_TRUE(fitsInMemory(1024 * 1024));
  setMemoryCeiling(0);
  EXPECT_GT(memoryAvailable(), 64 * mib);
}

// 20 million points need 1.5 GB in the mesh, its node tables and the chart; 400 MB of address
// space do not hold them. The same for a mesh of 20 million samples.
TEST(MemoryBudgetTest, CommandsBeyondTheAddressSpaceLimitAreRefusedAndPutBack) {
  SKIP_UNDER_ASAN();
  EXPECT_EXIT(([] {
                Workspace ws;
                FakeWindow window;
                startUp(ws, window);
                REQUIRE(limitAddressSpace(400 * mib));

                window.boxes[Box::Edit4] = "1";
                window.boxes[Box::Edit5] = "20000000";
                applyInputs(ws, window);
                REQUIRE(window.messages.size() == 1);
                REQUIRE(window.messages[0].rfind("Warning: Not enough memory", 0) == 0);
                REQUIRE(ws.meshCount == 1000 && ws.termCount == 100 && ws.meshCapacity == 0);

                window.answers = {"1", "20000000"};
                generateMesh(ws, window);
                REQUIRE(window.messages.size() == 2);
                REQUIRE(window.messages[1] == "Warning: Not enough memory for 20000000 samples");
                REQUIRE(ws.sampleCount == 2);

                // What fits still runs.
                window.boxes[Box::Edit5] = "1000";
                applyInputs(ws, window);
                REQUIRE(window.messages.size() == 2);
                REQUIRE(window.series[SeriesId::Analytic].x.size() == 1000);
                std::_Exit(0);
              }()),
              ::testing::ExitedWithCode(0), "");
}

}  // namespace
