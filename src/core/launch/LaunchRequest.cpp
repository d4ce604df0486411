#include "core/launch/LaunchRequest.h"

namespace quillon {

namespace {
bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Bytes of the UTF-8 character that starts with `lead`, in text known to be valid.
std::size_t Utf8Length(char lead) {
  const auto byte = static_cast<unsigned char>(lead);
  if (byte >= 0xF0) return 4;
  if (byte >= 0xE0) return 3;
  if (byte >= 0xC0) return 2;
  return 1;
}
}  // namespace

std::string StoredBytesOf(std::string_view raw, std::string_view loaded) {
  // Blanks and one pair of enclosing quotes go, as Load drops them.
  while (!raw.empty() && IsBlank(raw.front())) raw.remove_prefix(1);
  while (!raw.empty() && IsBlank(raw.back())) raw.remove_suffix(1);
  if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front()) {
    raw = raw.substr(1, raw.size() - 2);
  }
  // Character by character: one Load kept is the same bytes, any other stood for a single
  // byte it read as Windows-1252. Load may have cut the text; so is the copy.
  std::size_t stored = 0;
  std::size_t shown = 0;
  while (shown < loaded.size() && stored < raw.size()) {
    const std::size_t length = Utf8Length(loaded[shown]);
    if (raw.substr(stored, length) == loaded.substr(shown, length)) {
      stored += length;
    } else if (length > 1 && static_cast<unsigned char>(raw[stored]) >= 0x80) {
      stored += 1;
    } else {
      return std::string(loaded);  // not what Load made of `raw`
    }
    shown += length;
  }
  if (shown != loaded.size()) return std::string(loaded);  // not what Load made of `raw`
  return std::string(raw.substr(0, stored));
}

}  // namespace quillon
