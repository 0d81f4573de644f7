// The memory check against a process address-space limit (ulimit -v), set in a child process:
// the room it reports follows the limit, and commands that would need more are refused with
// their parameters put back, instead of failing half-way or being killed.
#include "app/memory_budget.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

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

// A hierarchy laid out as the kernel mounts it, in a temporary folder: each group a folder
// with its limit and usage files.
class FakeHierarchy {
 public:
  FakeHierarchy() {
    char name[] = "/tmp/serna_cgroup_XXXXXX";
    root = mkdtemp(name);
  }
  ~FakeHierarchy() { std::filesystem::remove_all(root); }
  void write(const std::string& file, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(root + file).parent_path());
    std::ofstream(root + file) << text;
  }
  std::string root;
};

TEST(ControlGroupTest, VersionTwoReadsTheOwnGroupAndEveryGroupAboveIt) {
  FakeHierarchy fs;
  fs.write("/cgroup.controllers", "cpu io memory pids\n");
  fs.write("/user.slice/memory.max", "max\n");
  fs.write("/user.slice/memory.current", "900000000\n");
  fs.write("/user.slice/app.scope/memory.max", "1000000000\n");
  fs.write("/user.slice/app.scope/memory.current", "400000000\n");
  // The parent allows 2 GB and holds 1.5 GB: 500 MB are left there, less than the 600 MB
  // left under the program's own limit.
  fs.write("/user.slice/memory.max", "2000000000\n");
  fs.write("/user.slice/memory.current", "1500000000\n");
  const std::string mountInfo =
      "30 23 0:26 / " + fs.root + " rw,nosuid shared:4 - cgroup2 cgroup2 rw,nsdelegate\n";
  const auto group = memoryControlGroup("0::/user.slice/app.scope\n", mountInfo);
  ASSERT_TRUE(group);
  EXPECT_TRUE(group->version2);
  EXPECT_EQ(group->directory, fs.root + "/user.slice/app.scope");
  EXPECT_EQ(controlGroupRoom(*group), 500000000);

  // Without a limit anywhere there is nothing to read.
  fs.write("/user.slice/memory.max", "max\n");
  fs.write("/user.slice/app.scope/memory.max", "max\n");
  EXPECT_EQ(controlGroupRoom(*group), INT64_MAX);
}

TEST(ControlGroupTest, VersionOneReadsTheMemoryHierarchyBesideAnEmptyUnifiedOne) {
  FakeHierarchy fs;
  // A hybrid system: the unified hierarchy holds no controller, the memory one is version 1,
  // and the root's own figures are those of the whole machine. The mount table writes the
  // blank in the mount point as \040.
  fs.write("/unified/cgroup.controllers", "\n");
  fs.write("/mem ory/memory.limit_in_bytes", "9223372036854771712\n");
  fs.write("/mem ory/memory.usage_in_bytes", "2000000000\n");
  fs.write("/mem ory/jobs/run 1/memory.limit_in_bytes", "300000000\n");
  fs.write("/mem ory/jobs/run 1/memory.usage_in_bytes", "100000000\n");
  const std::string mountInfo =
      "35 25 0:30 / " + fs.root + "/unified rw - cgroup2 cgroup2 rw\n" + "36 25 0:31 / " + fs.root +
      "/mem\\040ory rw,relatime - cgroup cgroup rw,memory\n" + "37 25 0:32 / " + fs.root +
      "/cpu rw,relatime - cgroup cgroup rw,cpu\n";
  const auto group = memoryControlGroup("4:memory:/jobs/run 1\n3:cpu:/\n0::/\n", mountInfo);
  ASSERT_TRUE(group);
  EXPECT_FALSE(group->version2);
  EXPECT_EQ(group->directory, fs.root + "/mem ory/jobs/run 1");
  EXPECT_EQ(controlGroupRoom(*group), 200000000);
}

TEST(ControlGroupTest, AContainerMountShowsItsOwnGroupAsTheRoot) {
  FakeHierarchy fs;
  fs.write("/cgroup.controllers", "memory\n");
  fs.write("/memory.max", "100000000\n");
  fs.write("/memory.current", "60000000\n");
  // The mount shows the group /docker/abc at the mount point; the process sits in it.
  const std::string mountInfo = "40 30 0:40 /docker/abc " + fs.root + " rw - cgroup2 cgroup2 rw\n";
  const auto group = memoryControlGroup("0::/docker/abc\n", mountInfo);
  ASSERT_TRUE(group);
  EXPECT_EQ(group->directory, fs.root);
  EXPECT_EQ(controlGroupRoom(*group), 40000000);
  EXPECT_FALSE(memoryControlGroup("0::/\n", "")) << "no hierarchy mounted";
  EXPECT_FALSE(memoryControlGroup("garbage\n", mountInfo + "short line\n"));
}

std::string fileText(const char* path) {
  std::ifstream file(path);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// A real group of its own, made below the test's group with a 300 MB limit: the child process
// that moves into it sees the limit, and 20 million points are refused instead of the kernel
// ending the program.
TEST(ControlGroupTest, ARealGroupLimitsTheRoomAndRefusesWhatItCannotHold) {
  SKIP_UNDER_ASAN();
  const auto own =
      memoryControlGroup(fileText("/proc/self/cgroup"), fileText("/proc/self/mountinfo"));
  if (!own) GTEST_SKIP() << "no memory control group is mounted here";
  const std::string group = own->directory + "/serna_test_" + std::to_string(getpid());
  if (mkdir(group.c_str(), 0755) != 0)
    GTEST_SKIP() << "cannot make a control group in " << own->directory << ": "
                 << std::strerror(errno);
  const std::string limitFile = group + (own->version2 ? "/memory.max" : "/memory.limit_in_bytes");
  const bool limited = static_cast<bool>(std::ofstream(limitFile) << 300 * mib);
  if (limited) {
    EXPECT_EXIT(([&] {
                  REQUIRE(static_cast<bool>(std::ofstream(group + "/cgroup.procs") << getpid()));
                  REQUIRE(memoryAvailable() <= 300 * mib);
                  Workspace ws;
                  FakeWindow window;
                  startUp(ws, window);
                  window.boxes[Box::Edit4] = "1";
                  window.boxes[Box::Edit5] = "20000000";
                  applyInputs(ws, window);
                  REQUIRE(window.messages.size() == 1);
                  REQUIRE(window.messages[0].rfind("Warning: Not enough memory", 0) == 0);
                  REQUIRE(ws.meshCapacity == 0);
                  std::_Exit(0);
                }()),
                ::testing::ExitedWithCode(0), "");
  }
  rmdir(group.c_str());
  if (!limited) GTEST_SKIP() << "cannot set a memory limit in " << group;
}

}  // namespace
