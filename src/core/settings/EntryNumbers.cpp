#include "core/settings/EntryNumbers.h"

#include <algorithm>

namespace quillon {

namespace {
constexpr int kLargestEntry = 32767;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
}  // namespace

std::vector<int> ParseEntryNumbers(std::string_view text) {
  std::vector<int> entries;
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    std::string_view piece = text.substr(0, comma);
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    while (!piece.empty() && IsBlank(piece.front())) piece.remove_prefix(1);
    while (!piece.empty() && IsBlank(piece.back())) piece.remove_suffix(1);
    if (piece.empty() || piece.size() > 5) continue;
    int number = 0;
    bool digits = true;
    for (const char c : piece) {
      digits = digits && c >= '0' && c <= '9';
      number = number * 10 + (c - '0');
    }
    if (!digits || number < 1 || number > kLargestEntry) continue;
    if (std::find(entries.begin(), entries.end(), number) != entries.end()) continue;
    entries.push_back(number);
  }
  return entries;
}

std::string JoinEntryNumbers(const std::vector<int>& entries) {
  std::string text;
  for (const int entry : entries) {
    if (!text.empty()) text += ',';
    text += std::to_string(entry);
  }
  return text;
}

std::string EntryNumbersAfterRemoval(std::string_view text, int removed) {
  std::vector<int> kept;
  for (const int entry : ParseEntryNumbers(text)) {
    if (entry != removed) kept.push_back(entry > removed ? entry - 1 : entry);
  }
  return JoinEntryNumbers(kept);
}

std::string EntryNumbersAfterInsertion(std::string_view text, int inserted) {
  std::vector<int> moved;
  for (const int entry : ParseEntryNumbers(text)) {
    if (entry >= inserted && entry == kLargestEntry) continue;  // pushed off the list's end
    moved.push_back(entry >= inserted ? entry + 1 : entry);
  }
  return JoinEntryNumbers(moved);
}

}  // namespace quillon
