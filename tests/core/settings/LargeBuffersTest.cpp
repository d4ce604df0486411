#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

#include "core/settings/LargeBuffers.h"
#include "support/ParamNames.h"

namespace quillon {
namespace {

using test::PrintTo;

struct AdviceCase {
  const char* name;
  std::size_t offset;  // into a filled buffer of 6 MiB
  std::size_t size;
};

class LargeBufferAdvice : public testing::TestWithParam<AdviceCase> {};

// Advice only: whatever range is asked about, odd or empty, every byte of the buffer and of
// its neighbours keeps its value. An advice that discarded pages, or a range rounded
// outwards, would change bytes here.
TEST_P(LargeBufferAdvice, KeepsEveryByte) {
  const AdviceCase& c = GetParam();
  std::vector<std::uint8_t> before(1000, 7);
  std::vector<std::uint8_t> buffer(6 * 1024 * 1024);
  std::iota(buffer.begin(), buffer.end(), std::uint8_t{1});
  std::vector<std::uint8_t> after(1000, 9);
  const std::vector<std::uint8_t> expected = buffer;

  Prefault(buffer.data() + c.offset, c.size);

  EXPECT_EQ(buffer, expected);
  EXPECT_EQ(before, std::vector<std::uint8_t>(1000, 7));
  EXPECT_EQ(after, std::vector<std::uint8_t>(1000, 9));
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, LargeBufferAdvice,
    testing::Values(AdviceCase{"Whole", 0, 6 * 1024 * 1024},
                    AdviceCase{"OddStartAndEnd", 4097, 3 * 1024 * 1024 + 11},
                    AdviceCase{"LessThanAPage", 100, 3000}, AdviceCase{"Empty", 5, 0},
                    AdviceCase{"TailOnly", 6 * 1024 * 1024 - 300 * 1024, 300 * 1024}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LargeBuffers, ReserveNowMakesRoomWithoutAddingElements) {
  std::vector<std::uint64_t> values{1, 2, 3};
  ReserveNow(values, 100'000);
  EXPECT_GE(values.capacity(), 100'000u);
  EXPECT_EQ(values, (std::vector<std::uint64_t>{1, 2, 3}));
}

}  // namespace
}  // namespace quillon
