#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "core/settings/NumberConversion.h"
#include "support/ParamNames.h"

namespace quillon {
namespace {

struct Case {
  std::string_view text;
  std::optional<std::int16_t> expected;
  std::int64_t offset = 0;
  friend void PrintTo(const Case& c, std::ostream* os) {
    *os << "Text_" << test::TextName(c.text);
    if (c.offset != 0) *os << "_Offset_" << test::TextName(std::to_string(c.offset));
  }
};
constexpr std::nullopt_t kFails = std::nullopt;
constexpr std::int64_t kMin64 = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax64 = std::numeric_limits<std::int64_t>::max();

class ConversionTest : public testing::TestWithParam<Case> {};

TEST_P(ConversionTest, RoundsTextPlusOffset) {
  const auto& [text, expected, offset] = GetParam();
  const auto number = ParseDecimal(text);
  const auto rounded = number ? RoundToInt16(*number, offset) : std::nullopt;
  EXPECT_EQ(rounded, expected) << '"' << text << "\" + " << offset;
  if (offset == 0) {
    EXPECT_EQ(ToInt16(text), expected) << '"' << text << '"';
  }
}

INSTANTIATE_TEST_SUITE_P(ValidForms, ConversionTest,
                         testing::Values(Case{"12", 12}, Case{"-3.5", -4}, Case{"4.", 4},
                                         Case{".5", 0}, Case{"+7", 7}, Case{" \t42 \t", 42},
                                         Case{"-0", 0}, Case{"007", 7},
                                         Case{"1.4999999999999999999999", 1},
                                         Case{"1.5000000000000000000001", 2},
                                         Case{"99999999999999999999999999", kFails}),
                         testing::PrintToStringParamName());

// Half goes to the even neighbour, on both sides of zero.
INSTANTIATE_TEST_SUITE_P(HalfToEven, ConversionTest,
                         testing::Values(Case{"0.5", 0}, Case{"1.5", 2}, Case{"2.5", 2},
                                         Case{"3.5", 4}, Case{"-0.5", 0}, Case{"-1.5", -2},
                                         Case{"-2.5", -2}, Case{"-3.5", -4}, Case{"2.51", 3},
                                         Case{"-2.49", -2}, Case{"-2.3", -2}, Case{"-2.7", -3}),
                         testing::PrintToStringParamName());

// The offset joins the number before rounding, so the parity of the sum decides.
INSTANTIATE_TEST_SUITE_P(Offsets, ConversionTest,
                         testing::Values(Case{"2.5", 2, -1}, Case{"0.5", 0, -1},
                                         Case{"32768", 32767, -1}, Case{"32767", kFails, 1},
                                         Case{"-32768", kFails, -1},
                                         Case{"-99999999999999999999", kFails, kMin64},
                                         Case{"99999999999999999999", kFails, kMax64}),
                         testing::PrintToStringParamName());

INSTANTIATE_TEST_SUITE_P(RangeEdges, ConversionTest,
                         testing::Values(Case{"32767", 32767}, Case{"32767.4", 32767},
                                         Case{"32767.5", kFails}, Case{"32768", kFails},
                                         Case{"-32768", -32768}, Case{"-32768.5", -32768},
                                         Case{"-32768.6", kFails}, Case{"-32769", kFails}),
                         testing::PrintToStringParamName());

INSTANTIATE_TEST_SUITE_P(
    Failures, ConversionTest,
    testing::Values(Case{"", kFails}, Case{" ", kFails}, Case{".", kFails}, Case{"-", kFails},
                    Case{"1e3", kFails}, Case{"0x10", kFails}, Case{"&H10", kFails},
                    Case{"1,5", kFails}, Case{"\xEF\xBC\x91", kFails},  // full-width one
                    Case{"--1", kFails}, Case{"1 2", kFails}, Case{"1..2", kFails},
                    Case{"- 1", kFails}, Case{"1\n", kFails},
                    Case{std::string_view("1\0", 2), kFails},
                    Case{std::string_view("\0001", 2), kFails}),  // NUL, then 1
    testing::PrintToStringParamName());

}  // namespace
}  // namespace quillon
