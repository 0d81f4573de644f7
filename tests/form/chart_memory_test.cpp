// A chart series whose points cannot be had: with the address space limited in a child
// process, filling 20 million points shows a Warning and leaves that series empty, and the
// chart goes on working.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tests/form/form_fixture.h"

namespace {

using ChartMemoryTest = FormTest;

#define REQUIRE(condition)                              \
  do {                                                  \
    if (!(condition)) {                                 \
      std::fprintf(stderr, "failed: %s\n", #condition); \
      std::_Exit(1);                                    \
    }                                                   \
  } while (false)

TEST_F(ChartMemoryTest, SeriesThatCannotBeHadStaysEmptyWithAWarning) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer reserves the address space";
#endif
  constexpr int32_t many = 20000000;
  const std::vector<double> x(many, 1.0);
  EXPECT_EXIT(
      ([&] {
        long pages = 0;
        std::FILE* statm = std::fopen("/proc/self/statm", "r");
        REQUIRE(statm && std::fscanf(statm, "%ld", &pages) == 1);
        std::fclose(statm);
        const rlim_t cap = static_cast<rlim_t>(pages * sysconf(_SC_PAGESIZE) + (100 << 20));
        const rlimit limit{cap, cap};
        REQUIRE(setrlimit(RLIMIT_AS, &limit) == 0);

        form->fillSeries(SeriesId::Values, x.data(), x.data(), many);
        REQUIRE(messages.size() == 1);
        REQUIRE(messages[0].rfind("Warning: Not enough memory to show 20000000 points", 0) == 0);
        REQUIRE(series(SeriesId::Values)->data()->isEmpty());

        form->fillSeries(SeriesId::Values, x.data(), x.data(), 1000);
        REQUIRE(series(SeriesId::Values)->data()->size() == 1000);
        REQUIRE(messages.size() == 1);
        std::_Exit(0);
      }()),
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
