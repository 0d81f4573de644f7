// Commands that grow the Workspace, run with the k-th large allocation failing for every k
// until they succeed: each failed run must leave the Workspace exactly as it was, say so with
// a Warning, and let the next command work. The global operator new of this test program
// takes the failures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <utility>

#include "app/recompute.h"
#include "app/sources.h"
#include "app/startup.h"
#include "files/coefficient_files.h"
#include "files/mesh_generator.h"
#include "tests/app/fake_window.h"
#include "tests/files/temp_folder.h"

namespace {

// Allocations of at least this many bytes count; the one numbered failAt (from 1) fails.
constexpr size_t largeAllocation = size_t{1} << 16;
long failAt = 0;
long largeSeen = 0;

}  // namespace

// Out of line, so that the compiler does not pair the malloc and free below with new and delete.
[[gnu::noinline]] void* operator new(size_t size) {
  if (failAt > 0 && size >= largeAllocation && ++largeSeen == failAt) throw std::bad_alloc();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
  std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, size_t) noexcept {
  std::free(p);
}

namespace {

// Everything a command may change, by value.
struct Snapshot {
  std::vector<double> samplesX, samplesY, coefficients, meshX, sourceValues, seriesValues, valuesX,
      valuesY;
  std::vector<double> numbers;
  std::vector<int32_t> counts;
  bool hasSource;

  bool operator==(const Snapshot&) const = default;
};

Snapshot snapshotOf(const Workspace& ws) {
  return {ws.samplesX,
          ws.samplesY,
          ws.coefficients,
          ws.meshX,
          ws.sourceValues,
          ws.seriesValues,
          ws.valuesX,
          ws.valuesY,
          {ws.left, ws.right, ws.alpha, ws.beta, ws.fitFigure, ws.errorFigure, ws.trapezoidFigure,
           ws.integralFigure, ws.baselineX[0], ws.baselineX[1], ws.baselineY[0], ws.baselineY[1]},
          {ws.sampleCount, ws.termCount, ws.meshCount, ws.coefficientCount, ws.meshCapacity,
           ws.meshFilled, ws.sourceFilled, ws.valuesCount, ws.valuesCapacity, ws.fitMode},
          static_cast<bool>(ws.sourceFn)};
}

// A chart fill that cannot have its points is the window's own affair (it warns and leaves that
// series empty, tested with the window), so fills here take no injected failure.
class TestWindow : public FakeWindow {
 public:
  void fillSeries(SeriesId id, const double* x, const double* y, int32_t n) override {
    const long saved = std::exchange(failAt, 0);
    FakeWindow::fillSeries(id, x, y, n);
    failAt = saved;
  }
};

class AllocationFailureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    startUp(ws, window);
    std::vector<double> x(20000), y(20000);
    for (int i = 0; i < 20000; ++i)
      x[i] = i, y[i] = (i % 7) * 0.5;
    replaceSamples(ws, std::move(x), std::move(y));
    apply("[0;100]", "20", "1000");
    ASSERT_TRUE(window.messages.empty());
  }

  void apply(const std::string& interval, const std::string& terms, const std::string& mesh) {
    window.boxes[Box::Edit3] = interval;
    window.boxes[Box::Edit4] = terms;
    window.boxes[Box::Edit5] = mesh;
    applyInputs(ws, window);
  }

  // Runs the command with the k-th large allocation failing, k = 1, 2, ... until it runs
  // through; checks every failed run. Returns how many runs failed.
  template <typename Command>
  int failEachAllocation(Command command) {
    for (long k = 1; k < 100; ++k) {
      const Snapshot before = snapshotOf(ws);
      window.messages.clear();
      largeSeen = 0;
      failAt = k;
      try {
        command();
      } catch (const std::bad_alloc&) {
        window.message(MessageKind::Warning, "escaped");  // as the main window would say
      }
      const bool failed = largeSeen >= k;
      failAt = 0;
      if (!failed) return static_cast<int>(k - 1);
      EXPECT_EQ(snapshotOf(ws) == before, true) << "allocation " << k;
      EXPECT_EQ(window.messages.size(), 1u) << "allocation " << k;
      if (!window.messages.empty()) {
        EXPECT_EQ(window.messages[0].rfind("Warning: ", 0), 0u) << window.messages[0];
      }
    }
    ADD_FAILURE() << "the command never ran through";
    return 0;
  }

  Workspace ws;
  TestWindow window;
};

TEST_F(AllocationFailureTest, ApplyThatGrowsEveryBufferChangesNothingWhenAnyAllocationFails) {
  // Mesh, Values table and coefficients all grow, with the samples as the source.
  const int failures = failEachAllocation([&] { apply("[0;19999]", "40", "200000"); });
  EXPECT_GE(failures, 4);
  EXPECT_EQ(ws.meshCount, 200000);
  EXPECT_EQ(ws.valuesCount, 20000);
  // After the failures the next, smaller Apply fills every series in full.
  apply("[0;50]", "10", "1000");
  EXPECT_EQ(window.series[SeriesId::Analytic].x.size(), 1000u);
  EXPECT_EQ(window.series[SeriesId::Values].x.size(), 51u);
}

TEST_F(AllocationFailureTest, ApplyWithoutSourceAndOpeningCoefficientsChangeNothingOnFailure) {
  selectSource(ws, window, SourceKind::None);
  EXPECT_GE(failEachAllocation([&] { apply("[0;19999]", "20", "300000"); }), 1);
  EXPECT_EQ(ws.coefficientCount, 20);

  selectSource(ws, window, SourceKind::Samples);
  apply("[0;100]", "20", "1000");
  TempFolder folder;
  const std::string path = folder.write("far.txt", " 1 0 \n 0.5 9000 \n");
  EXPECT_GE(failEachAllocation([&] {
              window.answers.push_back(path);
              openCoefficients(ws, window);
            }),
            1);
  EXPECT_EQ(ws.coefficientCount, 9001);
  EXPECT_FALSE(ws.sourceFn);
}

TEST_F(AllocationFailureTest, MeshGeneratorChangesNothingWhenTheSamplesCannotBeHad) {
  EXPECT_GE(failEachAllocation([&] {
              window.answers.push_back("2");
              window.answers.push_back("100000");
              generateMesh(ws, window);
            }),
            1);
  EXPECT_EQ(ws.sampleCount, 200000);
}

}  // namespace
