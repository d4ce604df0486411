#pragma once

#include <algorithm>
#include <cctype>
#include <iterator>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

// Parameters as test names: ctest lists them and a failure names its case. gtest takes
// letters, digits and '_' only.
namespace quillon::test {

// The text itself, its other characters spelled out: " 2.5" gives "Space2Dot5".
inline std::string TextName(std::string_view text) {
  if (text.empty()) return "Empty";
  static constexpr std::pair<char, const char*> kSpelled[] = {
      {' ', "Space"}, {'\t', "Tab"},  {'\n', "Newline"}, {'\0', "Nul"},
      {'.', "Dot"},   {',', "Comma"}, {'-', "Minus"},    {'+', "Plus"}};
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string name;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const auto* spelled = std::find_if(std::begin(kSpelled), std::end(kSpelled),
                                       [c](const auto& pair) { return pair.first == c; });
    if (std::isalnum(byte)) {
      name += c;
    } else if (spelled != std::end(kSpelled)) {
      name += spelled->second;
    } else {
      name += 'x';
      name += kHex[byte >> 4];
      name += kHex[byte & 15];
    }
  }
  return name;
}

// A phrase in CamelCase: "warp off ignores its text" gives "WarpOffIgnoresItsText".
inline std::string PhraseName(std::string_view phrase) {
  std::string name;
  bool wordStart = true;
  for (const char c : phrase) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte)) name += static_cast<char>(wordStart ? std::toupper(byte) : byte);
    wordStart = !std::isalnum(byte);
  }
  return name;
}

}  // namespace quillon::test

namespace quillon::test {

// A table's row as gtest prints it beside every case it runs: by its name. A test file
// brings it in with `using test::PrintTo;` in the namespace of its rows.
template <typename Row>
requires requires(const Row& row, std::ostream& os) {
  os << row.name;
}
void PrintTo(const Row& row, std::ostream* os) {
  *os << row.name;
}

}  // namespace quillon::test
