#include "core/wad/MapNames.h"

#include <tuple>

namespace quillon::wad {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Unknown names sort after every map, among themselves by text.
std::tuple<int, int, int> OrderKey(std::string_view name) {
  const auto number = ParseMapName(name);
  if (!number) return {2, 0, 0};
  return {number->episode == 0 ? 1 : 0, number->episode, number->map};
}

}  // namespace

std::optional<MapNumber> ParseMapName(std::string_view name) {
  if (name.size() == 4 && Upper(name[0]) == 'E' && IsDigit(name[1]) && Upper(name[2]) == 'M' &&
      IsDigit(name[3]) && name[1] != '0' && name[3] != '0') {
    return MapNumber{name[1] - '0', name[3] - '0'};
  }
  if (name.size() == 5 && Upper(name[0]) == 'M' && Upper(name[1]) == 'A' && Upper(name[2]) == 'P' &&
      IsDigit(name[3]) && IsDigit(name[4])) {
    const int map = (name[3] - '0') * 10 + (name[4] - '0');
    if (map > 0) return MapNumber{0, map};
  }
  return std::nullopt;
}

bool MapOrderLess(std::string_view a, std::string_view b) {
  const auto keyA = OrderKey(a);
  const auto keyB = OrderKey(b);
  if (keyA != keyB) return keyA < keyB;
  return a < b;
}

std::string WarpArgument(std::string_view typed) {
  const auto number = ParseMapName(TrimBlanks(typed));
  if (!number) return std::string(typed);
  if (number->episode == 0) return std::to_string(number->map);
  return std::to_string(number->episode) + " " + std::to_string(number->map);
}

}  // namespace quillon::wad
