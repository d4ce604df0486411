#include "settings/IniDocument.h"

namespace quillon {

namespace {

constexpr std::size_t kMaxLoadChars = 254;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view TrimBlanks(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// The name inside a header line, or nullopt when the line is no header. An unclosed
// bracket runs to the end of the line.
std::optional<std::string_view> HeaderName(std::string_view line) {
  std::size_t first = 0;
  while (first < line.size() && IsBlank(line[first])) ++first;
  if (first == line.size() || line[first] != '[') return std::nullopt;
  std::string_view name = line.substr(first + 1);
  name = name.substr(0, name.find(']'));
  return TrimBlanks(name);
}

bool IsContinuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

// Bytes taken by the character starting at text[i]. A byte that does not start a
// well-formed sequence counts as one character on its own.
std::size_t CharLength(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  std::size_t length = 1;
  unsigned char low = 0x80;   // allowed range of the second byte, which rules out
  unsigned char high = 0xBF;  // overlong forms, surrogates and values past U+10FFFF
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 1;
  }
  if (i + length > text.size()) return 1;
  const auto second = static_cast<unsigned char>(text[i + 1]);
  if (second < low || second > high) return 1;
  for (std::size_t k = 2; k < length; ++k) {
    if (!IsContinuation(static_cast<unsigned char>(text[i + k]))) return 1;
  }
  return length;
}

// Windows-1252 at 0x80-0x9F; its five unassigned bytes map to the C1 controls, as Windows
// itself reads them. From 0xA0 on it agrees with Latin-1.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendWindows1252(std::string& out, unsigned char byte) {
  const char32_t code = byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte;
  if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
  }
  out += static_cast<char>(0x80 | (code & 0x3F));
}

bool IsStrayByte(std::string_view text, std::size_t i, std::size_t length) {
  return length == 1 && static_cast<unsigned char>(text[i]) >= 0x80;
}

// The text as UTF-8: valid sequences as they are, every other byte as Windows-1252.
std::string FromLegacyBytes(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = CharLength(text, i);
    if (IsStrayByte(text, i, length)) {
      AppendWindows1252(out, static_cast<unsigned char>(text[i]));
    } else {
      out.append(text.substr(i, length));
    }
    i += length;
  }
  return out;
}

}  // namespace

std::size_t AsciiCaseHash::operator()(std::string_view text) const {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (char c : text) {
    hash ^= static_cast<unsigned char>(LowerAscii(c));
    hash *= 1099511628211ull;
  }
  return static_cast<std::size_t>(hash);
}

bool AsciiCaseEqual::operator()(std::string_view a, std::string_view b) const noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

IniDocument IniDocument::Parse(std::string_view bytes) {
  IniDocument document;
  std::size_t pos = 0;
  const std::size_t n = bytes.size();
  while (pos < n) {
    std::size_t end = pos;
    while (end < n && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    if (end == n) {
      document.AddLine(bytes.substr(pos), Ending::None);
      break;
    }
    Ending ending = Ending::Lf;
    std::size_t next = end + 1;
    if (bytes[end] == '\r') {
      ending = Ending::Cr;
      if (next < n && bytes[next] == '\n') {
        ending = Ending::CrLf;
        ++next;
      }
    }
    document.AddLine(bytes.substr(pos, end - pos), ending);
    pos = next;
  }
  return document;
}

// The single step of parsing; appending through it keeps the index exactly what a fresh
// parse of the written file would build.
void IniDocument::AddLine(std::string_view text, Ending ending) {
  if (const auto name = HeaderName(text)) {
    Section section;
    section.lines.push_back({std::string(text), ending});
    section.contentEnd = 1;
    sectionIndex_.try_emplace(std::string(*name), sections_.size());  // first one wins
    sections_.push_back(std::move(section));
    return;
  }
  Section& section = sections_.back();
  const std::size_t index = section.lines.size();
  section.lines.push_back({std::string(text), ending});
  if (!TrimBlanks(text).empty()) section.contentEnd = index + 1;
  if (sections_.size() == 1) return;  // lines before any header hold no keys
  const std::size_t equals = text.find('=');
  if (equals != std::string_view::npos) {
    section.keys.try_emplace(std::string(TrimBlanks(text.substr(0, equals))), index);
  }
}

IniDocument::Line* IniDocument::LastLine() {
  for (auto it = sections_.rbegin(); it != sections_.rend(); ++it) {
    if (!it->lines.empty()) return &it->lines.back();
  }
  return nullptr;
}

std::string IniDocument::Serialize() const {
  std::size_t total = 0;
  for (const Section& section : sections_) {
    for (const Line& line : section.lines) total += line.text.size() + 2;
  }
  std::string bytes;
  bytes.reserve(total);
  for (const Section& section : sections_) {
    for (const Line& line : section.lines) {
      bytes += line.text;
      switch (line.ending) {
        case Ending::None:
          break;
        case Ending::CrLf:
          bytes += "\r\n";
          break;
        case Ending::Lf:
          bytes += '\n';
          break;
        case Ending::Cr:
          bytes += '\r';
          break;
      }
    }
  }
  return bytes;
}

std::optional<std::string_view> IniDocument::RawValue(std::string_view section,
                                                      std::string_view key) const {
  const auto sectionIt = sectionIndex_.find(section);
  if (sectionIt == sectionIndex_.end()) return std::nullopt;
  const Section& found = sections_[sectionIt->second];
  const auto keyIt = found.keys.find(key);
  if (keyIt == found.keys.end()) return std::nullopt;
  const std::string& text = found.lines[keyIt->second].text;
  return std::string_view(text).substr(text.find('=') + 1);
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  std::string keyLine;
  keyLine.reserve(key.size() + 1 + value.size());
  keyLine.append(key).append(1, '=').append(value);

  const auto sectionIt = sectionIndex_.find(section);
  if (sectionIt == sectionIndex_.end()) {
    if (Line* last = LastLine(); last && last->ending == Ending::None) last->ending = Ending::CrLf;
    std::string header;
    header.append(1, '[').append(section).append(1, ']');
    AddLine(header, Ending::CrLf);
    AddLine(keyLine, Ending::CrLf);
    return;
  }

  Section& found = sections_[sectionIt->second];
  if (const auto keyIt = found.keys.find(key); keyIt != found.keys.end()) {
    std::string& text = found.lines[keyIt->second].text;
    text.resize(text.find('=') + 1);
    text.append(value);
    return;
  }

  // Before the blank lines that separate this section from the next one; only those
  // blank lines move, so no index entry changes.
  Line& previous = found.lines[found.contentEnd - 1];
  if (previous.ending == Ending::None) previous.ending = Ending::CrLf;
  const bool looksLikeHeader = HeaderName(keyLine).has_value();
  found.lines.insert(found.lines.begin() + static_cast<std::ptrdiff_t>(found.contentEnd),
                     Line{keyLine, Ending::CrLf});
  if (looksLikeHeader) {
    // A key name starting with '[' starts a new section once written; let the parser
    // sort out what that means rather than mirroring it here.
    *this = Parse(Serialize());
    return;
  }
  found.keys.try_emplace(std::string(TrimBlanks(keyLine.substr(0, keyLine.find('=')))),
                         found.contentEnd);
  ++found.contentEnd;
}

std::string ValueForLoad(std::string_view raw) {
  std::string_view value = TrimBlanks(raw);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  std::size_t end = 0;
  bool legacy = false;
  for (std::size_t chars = 0; chars < kMaxLoadChars && end < value.size(); ++chars) {
    const std::size_t length = CharLength(value, end);
    legacy = legacy || IsStrayByte(value, end, length);
    end += length;
  }
  return legacy ? FromLegacyBytes(value.substr(0, end)) : std::string(value.substr(0, end));
}

bool IsLegacyTextOf(std::string_view raw, std::string_view value) {
  bool legacy = false;
  for (std::size_t i = 0; i < raw.size() && !legacy;) {
    const std::size_t length = CharLength(raw, i);
    legacy = IsStrayByte(raw, i, length);
    i += length;
  }
  return legacy && ValueForLoad(raw) == value;
}

std::string WithoutLineBreaks(std::string_view text) {
  std::string clean(text);
  for (char& c : clean) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return clean;
}

std::string CleanName(std::string_view name) {
  return std::string(TrimBlanks(WithoutLineBreaks(name)));
}

}  // namespace quillon
