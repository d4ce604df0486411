// ParseDecimal and RoundToInt16 against a reference that reads the text as an exact
// fraction N / 10^k and rounds it with integer arithmetic.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <optional>
#include <regex>
#include <string>

#include "IniModel.h"
#include "core/settings/NumberConversion.h"

namespace {

using namespace quillon;
using fuzz::Check;
using Wide = __int128;

// Offsets the callers could pass; beyond about 1e15 the parser's saturation would show.
constexpr std::int64_t kOffsetBound = 1'000'000'000'000;

// The accepted form, said as a regular expression for a second opinion on the grammar.
bool Accepted(const std::string& text) {
  static const std::regex form(R"([ \t]*[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)[ \t]*)");
  return std::regex_match(text, form);
}

struct Exact {
  bool negative = false;
  std::string whole;     // without leading zeros
  std::string fraction;  // without trailing zeros
};

Exact Digits(const std::string& text) {
  Exact exact;
  std::size_t i = text.find_first_not_of(" \t");
  if (text[i] == '+' || text[i] == '-') exact.negative = text[i++] == '-';
  const std::size_t dot = text.find('.', i);
  const std::size_t end = text.find_first_of(" \t", i);
  exact.whole = text.substr(i, (dot < end ? dot : end) - i);
  if (dot < end) {
    exact.fraction = text.substr(dot + 1, end == std::string::npos ? end : end - dot - 1);
  }
  exact.whole.erase(0, exact.whole.find_first_not_of('0'));  // all zeros: empty
  const std::size_t last = exact.fraction.find_last_not_of('0');
  exact.fraction.resize(last == std::string::npos ? 0 : last + 1);
  return exact;
}

// Round half to even of (value + offset), or nullopt outside the 16-bit range.
std::optional<std::int16_t> Reference(const Exact& exact, std::int64_t offset) {
  if (exact.whole.size() > 18) return std::nullopt;  // |value| >= 1e18: far outside
  // Past 18 fraction digits only "zero, below, at or above the half" can matter; a
  // nonzero tail becomes one sticky digit.
  std::string fraction = exact.fraction;
  if (fraction.size() > 18) fraction = fraction.substr(0, 18) + "1";
  Wide scale = 1;
  for (std::size_t i = 0; i < fraction.size(); ++i) scale *= 10;
  Wide n = 0;
  for (char c : exact.whole + fraction) n = n * 10 + (c - '0');
  if (exact.negative) n = -n;
  n += static_cast<Wide>(offset) * scale;

  Wide quotient = n / scale;
  Wide remainder = n % scale;
  if (remainder < 0) remainder += scale, quotient -= 1;  // floor division
  if (2 * remainder > scale || (2 * remainder == scale && quotient % 2 != 0)) quotient += 1;
  if (quotient < -32768 || quotient > 32767) return std::nullopt;
  return static_cast<std::int16_t>(quotient);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  std::int64_t offset = 0;
  switch (data.ConsumeIntegralInRange(0, 3)) {
    case 0:
      break;
    case 1:
      offset = -1;  // a remembered selection: item number n is index n - 1
      break;
    default:
      offset = data.ConsumeIntegralInRange(-kOffsetBound, kOffsetBound);
  }
  const std::string text = data.ConsumeRemainingBytesAsString();

  const auto number = ParseDecimal(text);
  if (text.size() <= 256) Check(number.has_value() == Accepted(text), "accepted form");
  if (!number) {
    Check(!ToInt16(text), "ToInt16 of a failure");
    return 0;
  }
  const Exact exact = Digits(text);
  Check(RoundToInt16(*number, offset) == Reference(exact, offset), "rounding");
  Check(ToInt16(text) == Reference(exact, 0), "ToInt16");
  Check(number->IsZero() == (exact.whole.empty() && exact.fraction.empty()), "IsZero");
  Check(number->IsPositive() == (!exact.negative && !number->IsZero()), "IsPositive");
  return 0;
}
