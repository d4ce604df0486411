#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quillon {

// A decimal number read from a configuration value, held exactly so that rounding
// "half to even" never depends on binary floating point: value = floor + fraction,
// where only the class of the fraction in [0, 1) is kept.
struct DecimalNumber {
  enum class Fraction { Zero, BelowHalf, Half, AboveHalf };

  std::int64_t floor = 0;  // saturates far outside the 16-bit range
  Fraction fraction = Fraction::Zero;

  bool IsZero() const { return floor == 0 && fraction == Fraction::Zero; }
  bool IsPositive() const { return floor > 0 || (floor == 0 && fraction != Fraction::Zero); }
};

// Accepts optional blanks (space, tab), an optional sign, digits with an optional
// fraction ("12", "-3.5", "4.", ".5"), optional blanks. Anything else, the empty
// text included, is a conversion failure.
std::optional<DecimalNumber> ParseDecimal(std::string_view text);

// (number + offset) rounded half to even; nullopt when it falls outside -32768..32767.
std::optional<std::int16_t> RoundToInt16(const DecimalNumber& number, std::int64_t offset = 0);

// ParseDecimal followed by RoundToInt16: the conversion every reader of a number uses.
std::optional<std::int16_t> ToInt16(std::string_view text);

}  // namespace quillon
