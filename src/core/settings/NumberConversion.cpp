#include "core/settings/NumberConversion.h"

#include <algorithm>
#include <limits>

namespace quillon {

namespace {

// Far outside the 16-bit range, yet small enough that adding any offset a caller could
// sensibly pass never overflows.
constexpr std::int64_t kSaturation = 1'000'000'000'000'000;  // 1e15

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

DecimalNumber::Fraction Classify(std::string_view digits) {
  using F = DecimalNumber::Fraction;
  if (digits.empty()) return F::Zero;
  const bool restZero =
      std::all_of(digits.begin() + 1, digits.end(), [](char c) { return c == '0'; });
  if (digits[0] > '5') return F::AboveHalf;
  if (digits[0] == '5') return restZero ? F::Half : F::AboveHalf;
  if (digits[0] == '0' && restZero) return F::Zero;
  return F::BelowHalf;
}

}  // namespace

std::optional<DecimalNumber> ParseDecimal(std::string_view text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && IsBlank(text[i])) ++i;

  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }

  std::int64_t whole = 0;
  const std::size_t wholeStart = i;
  for (; i < n && IsDigit(text[i]); ++i) {
    whole = std::min(whole * 10 + (text[i] - '0'), kSaturation);
  }
  std::size_t digitCount = i - wholeStart;

  std::string_view fractionDigits;
  if (i < n && text[i] == '.') {
    const std::size_t fractionStart = ++i;
    while (i < n && IsDigit(text[i])) ++i;
    fractionDigits = text.substr(fractionStart, i - fractionStart);
    digitCount += fractionDigits.size();
  }
  if (digitCount == 0) return std::nullopt;

  while (i < n && IsBlank(text[i])) ++i;
  if (i != n) return std::nullopt;

  using F = DecimalNumber::Fraction;
  DecimalNumber number;
  const F fraction = Classify(fractionDigits);
  if (!negative) {
    number.floor = whole;
    number.fraction = fraction;
  } else if (fraction == F::Zero) {
    number.floor = -whole;
  } else {
    // -(w + f) = (-w - 1) + (1 - f): the fraction's class mirrors around one half.
    number.floor = -whole - 1;
    number.fraction = fraction == F::BelowHalf   ? F::AboveHalf
                      : fraction == F::AboveHalf ? F::BelowHalf
                                                 : F::Half;
  }
  return number;
}

std::optional<std::int16_t> RoundToInt16(const DecimalNumber& number, std::int64_t offset) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  // A sum that would not fit in 64 bits is certainly outside the 16-bit range.
  if ((offset > 0 && number.floor > kMax - offset) ||
      (offset < 0 && number.floor < kMin - offset)) {
    return std::nullopt;
  }
  std::int64_t value = number.floor + offset;

  using F = DecimalNumber::Fraction;
  switch (number.fraction) {
    case F::Zero:
    case F::BelowHalf:
      break;
    case F::Half:
      if (value % 2 != 0) ++value;  // to the even neighbour
      break;
    case F::AboveHalf:
      ++value;
      break;
  }
  if (value < std::numeric_limits<std::int16_t>::min() ||
      value > std::numeric_limits<std::int16_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int16_t>(value);
}

std::optional<std::int16_t> ToInt16(std::string_view text) {
  const auto number = ParseDecimal(text);
  if (!number) return std::nullopt;
  return RoundToInt16(*number, 0);
}

}  // namespace quillon
