// A chart series whose points cannot be had: with the address space limited in a child
// process, filling 20 million points shows a Warning and leaves that series empty, and the
// chart goes on working.
#include <vector>

#include "tests/app/address_space_limit.h"
#include "tests/form/form_fixture.h"

namespace {

using ChartMemoryTest = FormTest;

TEST_F(ChartMemoryTest, SeriesThatCannotBeHadStaysEmptyWithAWarning) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer reserves the address space";
#endif
  constexpr int32_t many = 20000000;
  const std::vector<double> x(many, 1.0);
  EXPECT_EXIT(
      ([&] {
        REQUIRE(limitAddressSpace(100 << 20));

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
