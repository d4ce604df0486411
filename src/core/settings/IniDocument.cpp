#include "core/settings/IniDocument.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <iterator>
#include <utility>

#include "core/settings/LargeBuffers.h"

namespace quillon {

namespace {

constexpr std::size_t kMaxLoadChars = 254;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

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

// The name inside a header line, or nullopt when the line is no header. A line that ends
// in ']' names everything between its outer brackets, so that a name holding ']' (a scheme
// file's own name, say) reads back as written; otherwise text may follow the header and
// the name ends at the first ']'. An unclosed bracket runs to the end of the line.
std::optional<std::string_view> HeaderName(std::string_view line) {
  std::size_t first = 0;
  while (first < line.size() && IsBlank(line[first])) ++first;
  if (first == line.size() || line[first] != '[') return std::nullopt;
  std::string_view name = TrimBlanks(line.substr(first + 1));
  name = name.substr(0, name.ends_with(']') ? name.size() - 1 : name.find(']'));
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

namespace {

// Setting bit 5 of every byte drops ASCII letter case (and makes a few other bytes alike).
constexpr std::uint64_t kCaseBits = 0x2020202020202020ull;

// The eight bytes of the text from `at` on.
std::uint64_t WordAt(std::string_view text, std::size_t at) {
  std::uint64_t word;
  std::memcpy(&word, text.data() + at, 8);
  return word;
}

// Each section's index keeps a 32-bit hash of the name, taken eight bytes at a time. Letter
// case is dropped by setting bit 5 of every byte: that also makes a few other bytes alike
// ('[' and '{', say), which only adds collisions that the names' comparison sorts out.
std::uint32_t KeyHash(std::string_view key) {
  std::uint64_t hash = 0x9E3779B97F4A7C15ull ^ key.size();
  const auto mix = [&hash](std::uint64_t word) {
    hash = (hash ^ (word | kCaseBits)) * 0xBF58476D1CE4E5B9ull;
    hash ^= hash >> 31;
  };
  std::size_t i = 0;
  for (; i + 8 <= key.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, key.data() + i, 8);
    mix(word);
  }
  if (i < key.size()) {
    std::uint64_t word = 0;
    std::memcpy(&word, key.data() + i, key.size() - i);
    mix(word);
  }
  return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

constexpr std::uint64_t kHighs = 0x8080808080808080ull;

// Where the first byte at or after `from` that `stops` stands, or the text's size. Eight
// bytes at a time: `wordStops` sets the high bit of the first byte of a word that stops
// (of later ones it may or may not); a file of four full lists is 11 MB.
template <class WordStops, class Stops>
std::size_t FindFrom(std::string_view text, std::size_t from, WordStops wordStops, Stops stops) {
  std::size_t i = from;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    if (const std::uint64_t found = wordStops(word) & kHighs) {
      if constexpr (std::endian::native == std::endian::little) {
        return i + static_cast<std::size_t>(std::countr_zero(found)) / 8;
      }
      break;
    }
  }
  while (i < text.size() && !stops(text[i])) ++i;
  return i;
}

// Where the first `byte` at or after `from` stands, or the text's size.
std::size_t ByteFrom(std::string_view text, std::size_t from, char byte) {
  if (from >= text.size()) return text.size();
  const void* found = std::memchr(text.data() + from, byte, text.size() - from);
  return found ? static_cast<std::size_t>(static_cast<const char*>(found) - text.data())
               : text.size();
}

// How many LF the text holds.
std::size_t LineFeedsIn(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t at = ByteFrom(text, 0, '\n'); at < text.size();
       at = ByteFrom(text, at + 1, '\n')) {
    ++count;
  }
  return count;
}

// Where the first byte at or after `from` that is not ASCII stands, or the text's size.
std::size_t AsciiRunFrom(std::string_view text, std::size_t from) {
  return FindFrom(
      text, from, [](std::uint64_t word) { return word; },
      [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// A line longer than a span can say is kept in pieces without endings between them, which
// write back the same bytes. Only a file of 4 GiB or more could have one.
constexpr std::size_t kLongestSpan = UINT32_MAX;

// True when the line's key is `key` (which holds no '='), as AsciiCaseEqual(KeyOf(line),
// key) would say. A line that starts with its key is told at the key's length, without a
// search for the '='.
bool HoldsKeyAtLength(std::string_view text, std::string_view key) {
  const std::size_t n = key.size();
  if (n == 0 || IsBlank(key.front()) || IsBlank(key.back()) || text.size() <= n ||
      IsBlank(text.front())) {
    const std::size_t equals = text.find('=');
    return equals != std::string_view::npos &&
           AsciiCaseEqual{}(TrimBlanks(text.substr(0, equals)), key);
  }
  // The line's key is as long as `key` only if a blank or the '=' follows it there. Keys of
  // one list differ most often in their last letters ("Port12Name", "Port13Name").
  std::size_t i = n;
  if (text[i] != '=' && !IsBlank(text[i])) return false;
  if (LowerAscii(text[n - 1]) != LowerAscii(key[n - 1])) return false;
  if (std::memcmp(text.data(), key.data(), n) != 0 && !AsciiCaseEqual{}(text.substr(0, n), key)) {
    return false;
  }
  while (i < text.size() && IsBlank(text[i])) ++i;
  return i < text.size() && text[i] == '=';
}

// HoldsKeyAtLength, with the common "no" told inline: most lines tried are another key's.
inline bool HoldsKey(std::string_view text, std::string_view key) {
  const std::size_t n = key.size();
  if (n != 0 && text.size() > n && !IsBlank(text.front()) && !IsBlank(key.front()) &&
      !IsBlank(key.back())) {
    // The key could only stand at the line's start. Keys of one list differ in their last
    // eight bytes ("Port12345Path", "Port32766Path"), which letter case leaves alike once
    // bit 5 of each is set.
    if (text[n] != '=' && !IsBlank(text[n])) return false;
    if (n >= 8 ? (WordAt(text, n - 8) | kCaseBits) != (WordAt(key, n - 8) | kCaseBits)
               : LowerAscii(text[n - 1]) != LowerAscii(key[n - 1])) {
      return false;
    }
  }
  return HoldsKeyAtLength(text, key);
}

// HoldsKey for one key tried against many lines, what depends on the key alone worked out
// once: a section is read line by line until it is indexed.
class KeyMatcher {
 public:
  explicit KeyMatcher(std::string_view key)
      : key_(key),
        atStart_(!key.empty() && !IsBlank(key.front()) && !IsBlank(key.back())),
        tail_(key.size() >= 8 ? WordAt(key, key.size() - 8) | kCaseBits : 0) {}
  bool Holds(std::string_view text) const {
    const std::size_t n = key_.size();
    if (atStart_ && text.size() > n && !IsBlank(text[0])) {
      if (text[n] != '=' && !IsBlank(text[n])) return false;
      if (n >= 8 ? (WordAt(text, n - 8) | kCaseBits) != tail_
                 : LowerAscii(text[n - 1]) != LowerAscii(key_[n - 1])) {
        return false;
      }
    }
    return HoldsKeyAtLength(text, key_);
  }

 private:
  std::string_view key_;
  bool atStart_;
  std::uint64_t tail_;
};

}  // namespace

void IniDocument::KeyIndex::Reserve(std::size_t keys, std::size_t lines,
                                    const IniDocument& document, const std::vector<Line>& texts) {
  // At most two thirds full; grown, at least twice as large.
  std::size_t size = std::max<std::size_t>(8, keys + keys / 2 + 1);
  if (size > slots_.size() && !slots_.empty()) size = std::max(size, 2 * slots_.size());
  // Line numbers up to `lines` fit in the slot beside their hash's top bits.
  unsigned bits = 1;
  while (bits < 32 && (std::uint64_t{1} << bits) <= lines + 1) ++bits;
  if (size <= slots_.size() && bits <= lineBits_) return;
  size = std::max(size, slots_.size());
  bits = std::max(bits, lineBits_);
  std::vector<std::uint32_t> fresh;
  ReserveNow(fresh, size);
  fresh.resize(size);
  std::vector<std::uint32_t> old = std::exchange(slots_, std::move(fresh));
  const unsigned oldBits = std::exchange(lineBits_, bits);
  const std::uint32_t oldMask = static_cast<std::uint32_t>((std::uint64_t{1} << oldBits) - 1);
  for (const std::uint32_t slot : old) {
    if (slot == 0) continue;
    // Only the hash's top bits are kept: it is taken again from the key.
    const std::uint32_t line = (slot & oldMask) - 1;
    Place(KeyHash(document.KeyOf(texts[line])), line);
  }
}

std::uint32_t IniDocument::KeyIndex::LineMask() const {
  return static_cast<std::uint32_t>((std::uint64_t{1} << lineBits_) - 1);
}

// The first slot a hash tries: spread over a table of any size by the hash's low bits
// (the top ones go into the slot itself).
std::size_t IniDocument::KeyIndex::Home(std::uint32_t hash) const {
  const std::uint32_t spread = hash * 0x9E3779B1u;
  return static_cast<std::size_t>((std::uint64_t{spread} * slots_.size()) >> 32);
}

std::size_t IniDocument::KeyIndex::Next(std::size_t i) const {
  return i + 1 == slots_.size() ? 0 : i + 1;
}

void IniDocument::KeyIndex::Place(std::uint32_t hash, std::uint32_t line) {
  std::size_t i = Home(hash);
  while (slots_[i] != 0) i = Next(i);
  slots_[i] = (hash & ~LineMask()) | (line + 1);
}

void IniDocument::KeyIndex::Add(std::uint32_t hash, std::uint32_t line, std::string_view key,
                                const IniDocument& document, const std::vector<Line>& lines) {
  if (3 * (used_ + 1) > 2 * slots_.size() || line + 1 >= LineMask()) {
    Reserve(used_ + 1, std::max<std::size_t>(line + 1, lines.size()), document, lines);
  }
  const std::uint32_t lineMask = LineMask();
  const std::uint32_t tag = hash & ~lineMask;
  for (std::size_t i = Home(hash);; i = Next(i)) {
    const std::uint32_t slot = slots_[i];
    if (slot == 0) {
      slots_[i] = tag | (line + 1);
      ++used_;
      return;
    }
    if ((slot & ~lineMask) == tag &&
        AsciiCaseEqual{}(document.KeyOf(lines[(slot & lineMask) - 1]), key)) {
      duplicates_ = true;
      return;
    }
  }
}

std::optional<std::uint32_t> IniDocument::KeyIndex::Find(std::uint32_t hash, std::string_view key,
                                                         const IniDocument& document,
                                                         const std::vector<Line>& lines) const {
  if (slots_.empty()) return std::nullopt;
  const std::uint32_t lineMask = LineMask();
  const std::uint32_t tag = hash & ~lineMask;
  for (std::size_t i = Home(hash);; i = Next(i)) {
    const std::uint32_t slot = slots_[i];
    if (slot == 0) return std::nullopt;
    if ((slot & ~lineMask) == tag && HoldsKey(document.TextOf(lines[(slot & lineMask) - 1]), key)) {
      return (slot & lineMask) - 1;
    }
  }
}

std::string_view IniDocument::KeyOf(const Line& line) const {
  const std::string_view text = TextOf(line);
  return TrimBlanks(text.substr(0, text.find('=')));
}

// Calls `take` with each line of the text from `from` on, in order.
template <class Take>
void IniDocument::ForEachLine(std::string_view text, std::size_t from, Take take) {
  const std::size_t n = text.size();
  // A line ends at its first CR or LF. The next LF is found once, then each line before it
  // is the stretch up to a CR in between or up to it (memchr is the library's fastest search).
  std::size_t lineFeed = ByteFrom(text, from, '\n');
  for (std::size_t pos = from; pos < n;) {
    if (lineFeed < pos) lineFeed = ByteFrom(text, pos, '\n');
    const std::size_t end = ByteFrom(text.substr(0, lineFeed), pos, '\r');
    Ending ending = Ending::None;
    std::size_t next = end;
    if (end < n) {
      ending = Ending::Lf;
      ++next;
      if (text[end] == '\r') {
        ending = Ending::Cr;
        if (next < n && text[next] == '\n') {
          ending = Ending::CrLf;
          ++next;
        }
      }
    }
    for (; end - pos > kLongestSpan; pos += kLongestSpan) take(pos, kLongestSpan, Ending::None);
    take(pos, end - pos, ending);
    pos = next;
  }
}

IniDocument IniDocument::Parse(std::string bytes) {
  IniDocument document;
  *document.file_ = std::move(bytes);
  const std::string_view text = *document.file_;
  // Left by editors that save UTF-8 so; it would hide the first section's header.
  document.byteOrderMark_ = text.starts_with(kByteOrderMark);
  const std::size_t from = document.byteOrderMark_ ? kByteOrderMark.size() : 0;

  // Every line first, in one pass over the bytes, and where each section starts; then each
  // section takes its run of them, its lines and index sized once.
  std::vector<Line> lines;
  ReserveNow(lines, LineFeedsIn(text) + 1);
  std::vector<std::size_t> headers;
  ForEachLine(text, from, [&](std::size_t begin, std::size_t size, Ending ending) {
    lines.push_back(document.MakeLine(begin, size, ending));
    if (HeaderName(document.TextOf(lines.back()))) headers.push_back(lines.size() - 1);
  });
  headers.push_back(lines.size());
  document.sections_.reserve(headers.size());
  const auto take = [&](std::size_t first, std::size_t end) {
    Section& section = document.sections_.back();
    ReserveNow(section.lines, end - first);
    section.lines.assign(lines.begin() + static_cast<std::ptrdiff_t>(first),
                         lines.begin() + static_cast<std::ptrdiff_t>(end));
    // The keys are indexed at the section's first lookups (FindKey); only the end of its
    // content is needed now.
    section.contentEnd = section.lines.size();
    while (section.contentEnd > 0 &&
           TrimBlanks(document.TextOf(section.lines[section.contentEnd - 1])).empty()) {
      --section.contentEnd;
    }
  };
  take(0, headers.front());
  for (std::size_t i = 0; i + 1 < headers.size(); ++i) {
    document.StartSection(*HeaderName(document.TextOf(lines[headers[i]])));
    take(headers[i], headers[i + 1]);
  }
  return document;
}

void IniDocument::StartSection(std::string_view name) {
  sectionIndex_.try_emplace(std::string(name), sections_.size());  // the first one wins
  sections_.emplace_back();
}

void IniDocument::AddLine(const Line& line) {
  if (const auto name = HeaderName(TextOf(line))) StartSection(*name);
  sections_.back().lines.push_back(line);
  IndexLine(sections_.size() - 1, sections_.back().lines.size() - 1);
}

void IniDocument::IndexLine(std::size_t sectionNumber, std::size_t index) {
  Section& section = sections_[sectionNumber];
  if (!TrimBlanks(TextOf(section.lines[index])).empty()) section.contentEnd = index + 1;
  if (section.indexed) IndexKey(section, index);
}

void IniDocument::IndexKey(const Section& section, std::size_t index) const {
  // A header is no key (and the lines before any header are never looked up).
  if (index == 0) return;
  const std::string_view text = TextOf(section.lines[index]);
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) return;
  const std::string_view key = TrimBlanks(text.substr(0, equals));
  section.keys.Add(KeyHash(key), static_cast<std::uint32_t>(index), key, *this, section.lines);
}

void IniDocument::IndexKeys(const Section& section) const {
  section.keys.Reserve(section.lines.size(), section.lines.size(), *this, section.lines);
  for (std::size_t index = 0; index < section.lines.size(); ++index) IndexKey(section, index);
  section.indexed = true;
}

IniDocument::Line IniDocument::MakeLine(std::uint64_t begin, std::size_t size, Ending ending) {
  Line line;
  line.SetBegin(begin);
  line.size = size < kLongLine ? size : kLongLine;
  line.ending = ending;
  if (size >= kLongLine) longSizes_[begin] = static_cast<std::uint32_t>(size);
  return line;
}

IniDocument::Line IniDocument::Store(std::string_view head, std::string_view tail, Ending ending) {
  const Line line = MakeLine(file_->size() + added_.size(), head.size() + tail.size(), ending);
  // The ending follows, as in the file's text, so that the write takes both as one piece.
  added_.append(head).append(tail).append(EndingText(ending));
  return line;
}

IniDocument::Line* IniDocument::LastLine() {
  for (auto it = sections_.rbegin(); it != sections_.rend(); ++it) {
    if (!it->lines.empty()) return &it->lines.back();
  }
  return nullptr;
}

void IniDocument::Compact() {
  std::string text;
  text.reserve(file_->size() + added_.size() - unusedBytes_);
  std::unordered_map<std::uint64_t, std::uint32_t> longSizes;
  for (Section& section : sections_) {
    for (Line& line : section.lines) {
      const std::string_view old = TextOf(line);
      if (line.size == kLongLine) longSizes[text.size()] = static_cast<std::uint32_t>(old.size());
      line.SetBegin(text.size());
      text.append(old).append(EndingText(line.ending));
    }
  }
  longSizes_ = std::move(longSizes);
  // A fresh buffer: whoever shares the old one keeps it as it is.
  file_ = std::make_shared<std::string>(std::move(text));
  added_.clear();
  added_.shrink_to_fit();
  unusedBytes_ = 0;
}

std::string_view IniDocument::EndingText(Ending ending) {
  switch (ending) {
    case Ending::None:
      return {};
    case Ending::CrLf:
      return "\r\n";
    case Ending::Lf:
      return "\n";
    case Ending::Cr:
      return "\r";
  }
  return {};
}

std::vector<std::string_view> IniDocument::Pieces() const {
  std::vector<std::string_view> pieces;
  // Appends a view, joining it to the last piece when it starts where that one ends.
  const auto add = [&pieces](std::string_view text) {
    if (text.empty()) return;
    if (!pieces.empty() && pieces.back().data() + pieces.back().size() == text.data()) {
      pieces.back() = std::string_view(pieces.back().data(), pieces.back().size() + text.size());
    } else {
      pieces.push_back(text);
    }
  };
  const std::string_view file = *file_;
  if (byteOrderMark_) add(file.substr(0, kByteOrderMark.size()));
  for (const Section& section : sections_) {
    for (const Line& line : section.lines) {
      const std::string_view text = TextOf(line);
      add(text);
      const std::string_view ending = EndingText(line.ending);
      // A line is followed by its ending where it was read or stored, unless it has been
      // shortened or its ending changed since.
      const bool inFile = line.Begin() < file.size();
      const std::string_view buffer = inFile ? file : std::string_view(added_);
      const std::size_t after = (inFile ? line.Begin() : line.Begin() - file.size()) + SizeOf(line);
      add(buffer.substr(after, ending.size()) == ending ? buffer.substr(after, ending.size())
                                                        : ending);
    }
  }
  return pieces;
}

std::string IniDocument::Serialize() const {
  const std::vector<std::string_view> pieces = Pieces();
  std::size_t total = 0;
  for (const std::string_view piece : pieces) total += piece.size();
  std::string bytes;
  bytes.reserve(total);
  for (const std::string_view piece : pieces) bytes += piece;
  return bytes;
}

std::optional<std::size_t> IniDocument::FindSection(std::string_view name) const {
  // The section found last, asked for again (a list's keys, one after another).
  if (foundSection_ != 0 && name.size() == foundSectionName_.size() &&
      (name == foundSectionName_ || AsciiCaseEqual{}(name, foundSectionName_))) {
    return foundSection_;
  }
  const auto found = sectionIndex_.find(name);
  if (found == sectionIndex_.end()) return std::nullopt;
  foundSection_ = found->second;
  foundSectionName_ = found->first;
  return found->second;
}

std::optional<std::uint32_t> IniDocument::FindKey(std::size_t sectionNumber,
                                                  std::string_view key) const {
  // A line's key ends before its first '=', so a key holding one is never there.
  if (key.find('=') != std::string_view::npos) return std::nullopt;
  const Section& section = sections_[sectionNumber];
  const auto remember = [&](std::size_t line) {
    if (sectionNumber != lastSection_) lastLines_ = {line, line};
    lastSection_ = sectionNumber;
    lastLines_ = {lastLines_[1], line};
    return static_cast<std::uint32_t>(line);
  };
  if (!section.indexed) {
    // A few lookups read the lines in order, the first line holding the key being the one
    // it reads; past that the section is indexed. Reading a full list's lines four times
    // costs about what indexing them does: at start-up a list's section is asked for its
    // count (on its first line) and for a few keys of the chosen entry, its last say.
    if (section.scannedLines < kLinesScannedBeforeIndexing * section.lines.size()) {
      const KeyMatcher matcher(key);
      const std::size_t fileSize = file_->size();
      for (std::size_t line = 1; line < section.lines.size(); ++line) {
        // TextOf without its bounds checks: every line lies in one of the two buffers.
        const Line& at = section.lines[line];
        const std::uint64_t begin = at.Begin();
        const char* const text =
            begin < fileSize ? file_->data() + begin : added_.data() + (begin - fileSize);
        if (matcher.Holds({text, SizeOf(at)})) {
          section.scannedLines += line;
          return remember(line);
        }
      }
      section.scannedLines += section.lines.size();
      return std::nullopt;
    }
    IndexKeys(section);
  }
  if (sectionNumber == lastSection_ && !section.keys.HasDuplicates()) {
    // Without a key twice in the section, any line holding the key is the one indexed.
    const auto [before, last] = lastLines_;
    // The next line as far on as the last step; the line after the one before it (a
    // renumbering reads one entry and writes the one before); the last line again (read,
    // then written).
    for (const std::size_t line : {last + (last > before ? last - before : 1), before + 1, last}) {
      if (line < section.lines.size() && HoldsKey(TextOf(section.lines[line]), key)) {
        return remember(line);
      }
    }
  }
  const auto found = section.keys.Find(KeyHash(key), key, *this, section.lines);
  if (!found) return std::nullopt;
  return remember(*found);
}

std::optional<std::string_view> IniDocument::RawValue(std::string_view section,
                                                      std::string_view key) const {
  const auto sectionNumber = FindSection(section);
  if (!sectionNumber) return std::nullopt;
  const auto index = FindKey(*sectionNumber, key);
  if (!index) return std::nullopt;
  return ValueOf(*sectionNumber, index);
}

namespace {

// AsciiCaseEqual of a piece of a line and a name of the same size, told inline: the bytes
// are mostly the same, letter case and all.
inline bool SameNameAt(const char* text, std::string_view name) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (text[i] != name[i] && LowerAscii(text[i]) != LowerAscii(name[i])) return false;
  }
  return true;
}

// A line whose key starts with prefix + n as an entry's key spells it (no sign, no leading
// zero, letters in any case): n, and where the key's rest begins. Number 0: the line's key
// starts otherwise.
struct EntryNumber {
  int number = 0;
  std::size_t rest = 0;
};

inline EntryNumber EntryNumberOf(std::string_view text, std::string_view prefix) {
  const char* at = text.data();
  const char* const end = at + text.size();
  while (at < end && IsBlank(*at)) ++at;
  if (static_cast<std::size_t>(end - at) <= prefix.size() || !SameNameAt(at, prefix) ||
      at[prefix.size()] == '0') {
    return {};
  }
  at += prefix.size();
  const char* const digits = at;
  std::uint64_t number = 0;
  for (unsigned digit = 0;
       at < end && (digit = static_cast<unsigned char>(*at) - unsigned{'0'}) < 10; ++at) {
    number = number * 10 + digit;
  }
  // No digit leaves 0; more than nine may not fit an int.
  if (at - digits > 9) return {};
  return {static_cast<int>(number), static_cast<std::size_t>(at - text.data())};
}

// Where the value starts when the key's rest, from `rest` on, is `suffix`; 0 when it is not.
inline std::size_t ValueAfterSuffix(std::string_view text, std::size_t rest,
                                    std::string_view suffix) {
  if (text.size() - rest < suffix.size() || !SameNameAt(text.data() + rest, suffix)) {
    return 0;
  }
  std::size_t at = rest + suffix.size();
  while (at < text.size() && IsBlank(text[at])) ++at;
  // Neither the prefix nor the suffix holds a '=', so this one is the line's first.
  if (at == text.size() || text[at] != '=') return 0;
  return at + 1;
}

}  // namespace

std::vector<std::string_view> IniDocument::RawValuesFound(std::string_view section,
                                                          std::string_view prefix,
                                                          std::string_view suffix,
                                                          int count) const {
  std::vector<std::string_view> values;
  const auto sectionNumber = FindSection(section);
  if (!sectionNumber || count < 1) return values;
  const std::vector<Line>& lines = sections_[*sectionNumber].lines;
  // A section holds at most one entry a line: a short one asked for a full list's count (a
  // walk ahead of the default file) allocates nothing for the entries it lacks. Only an
  // entry numbered past the section's lines makes the values grow.
  values.resize(std::min(static_cast<std::size_t>(count), lines.size()));
  for (std::size_t index = 1; index < lines.size(); ++index) {
    const std::string_view text = TextOf(lines[index]);
    const EntryNumber entry = EntryNumberOf(text, prefix);
    if (entry.number < 1 || entry.number > count) continue;
    const std::size_t valueAt = ValueAfterSuffix(text, entry.rest, suffix);
    if (valueAt == 0) continue;
    const auto slot = static_cast<std::size_t>(entry.number - 1);
    if (slot >= values.size()) values.resize(slot + 1);
    // The first line of a key is the one it reads; a value found, even an empty one, lies
    // in the document's text and so never has a null pointer.
    if (values[slot].data() == nullptr) values[slot] = text.substr(valueAt);
  }
  return values;
}

std::vector<std::string_view> IniDocument::NumberedRawValues(std::string_view section,
                                                             std::string_view prefix,
                                                             std::string_view suffix,
                                                             int count) const {
  std::vector<std::string_view> values = RawValuesFound(section, prefix, suffix, count);
  values.resize(static_cast<std::size_t>(std::max(count, 0)));
  return values;
}

std::vector<std::string_view> IniDocument::WholeValuesFound(
    std::string_view section, std::string_view prefix, std::string_view suffix, int count,
    std::deque<std::string>& converted) const {
  std::vector<std::string_view> values = RawValuesFound(section, prefix, suffix, count);
  std::string changed;
  for (std::string_view& value : values) {
    value = WholeValueView(value, changed);
    if (changed.empty()) continue;
    value = converted.emplace_back(std::move(changed));
    changed.clear();
  }
  return values;
}

std::vector<std::string_view> IniDocument::NumberedWholeValues(
    std::string_view section, std::string_view prefix, std::string_view suffix, int count,
    std::deque<std::string>& converted) const {
  const std::size_t wanted = static_cast<std::size_t>(std::max(count, 0));
  for (auto walk = walked_.begin(); walk != walked_.end(); ++walk) {
    if (walk->section == section && walk->prefix == prefix && walk->suffix == suffix &&
        walk->limit >= count) {
      // Entries past the count read nothing, so the longer walk holds this one.
      std::vector<std::string_view> values = std::move(walk->values);
      converted = std::move(walk->converted);
      walked_.erase(walk);
      values.resize(wanted);
      return values;
    }
  }
  std::vector<std::string_view> values =
      WholeValuesFound(section, prefix, suffix, count, converted);
  values.resize(wanted);
  return values;
}

void IniDocument::WalkAhead(std::string_view section, std::string_view prefix,
                            std::string_view suffix, int count) {
  Walk walk{std::string(section), std::string(prefix), std::string(suffix), count, {}, {}};
  walk.values = WholeValuesFound(section, prefix, suffix, count, walk.converted);
  walked_.push_back(std::move(walk));
}

std::string_view IniDocument::ValueOf(std::size_t sectionNumber,
                                      std::optional<std::uint32_t> index) const {
  if (!index) return {};
  const std::string_view text = TextOf(sections_[sectionNumber].lines[*index]);
  return text.substr(text.find('=') + 1);
}

IniDocument::Moved IniDocument::Move(std::string_view section, std::string_view from,
                                     std::string_view to, bool always, Legacy legacy) {
  walked_.clear();
  const auto sectionNumber = FindSection(section);
  if (!sectionNumber) {
    if (!always) return Moved::Skipped;  // both read ""
    return Set(section, to, {}, legacy) ? Moved::Changed : Moved::Unchanged;
  }
  const std::string_view moved = ValueOf(*sectionNumber, FindKey(*sectionNumber, from));
  const auto index = FindKey(*sectionNumber, to);
  if (!always && ValueOf(*sectionNumber, index) == moved) return Moved::Skipped;
  return SetIn(*sectionNumber, index, to, moved, legacy) ? Moved::Changed : Moved::Unchanged;
}

void AppendEntryKey(std::string& out, std::string_view prefix, int n, std::string_view suffix) {
  char digits[16];
  const char* const end = std::to_chars(std::begin(digits), std::end(digits), n).ptr;
  const auto count = static_cast<std::size_t>(end - digits);
  out.reserve(out.size() + prefix.size() + count + suffix.size());
  out.append(prefix).append(digits, count).append(suffix);
}

std::string EntryKey(std::string_view prefix, int n, std::string_view suffix) {
  std::string key;
  AppendEntryKey(key, prefix, n, suffix);
  return key;
}

std::vector<IniDocument::Moved> IniDocument::MoveNumberedDown(std::string_view section,
                                                              std::string_view prefix,
                                                              std::span<const NumberedKey> keys,
                                                              int first, int last, Legacy legacy) {
  std::vector<Moved> results;
  if (first < 1 || last <= first || keys.empty()) return results;
  const std::size_t width = keys.size();
  results.reserve(static_cast<std::size_t>(last - first) * width);
  const auto sectionNumber = FindSection(section);
  if (!sectionNumber) {
    // The first move that writes makes the section: each is made as it would be alone.
    for (int n = first; n < last; ++n) {
      for (const NumberedKey& key : keys) {
        results.push_back(Move(section, EntryKey(prefix, n + 1, key.suffix),
                               EntryKey(prefix, n, key.suffix), key.always, legacy));
      }
    }
    return results;
  }
  walked_.clear();
  // The first line of each key, entry by entry; 0 (a header's) where the key has none.
  const auto slot = [&](int n, std::size_t key) {
    return static_cast<std::size_t>(n - first) * width + key;
  };
  std::vector<std::uint32_t> lineOf(slot(last + 1, 0), 0);
  const std::vector<Line>& lines = sections_[*sectionNumber].lines;
  for (std::size_t index = 1; index < lines.size(); ++index) {
    const std::string_view text = TextOf(lines[index]);
    const EntryNumber entry = EntryNumberOf(text, prefix);
    if (entry.number < first || entry.number > last) continue;
    for (std::size_t key = 0; key < width; ++key) {
      if (ValueAfterSuffix(text, entry.rest, keys[key].suffix) != 0) {
        std::uint32_t& line = lineOf[slot(entry.number, key)];
        if (line == 0) line = static_cast<std::uint32_t>(index);
        break;
      }
    }
  }
  const auto lineAt = [&](int n, std::size_t key) -> std::optional<std::uint32_t> {
    const std::uint32_t line = lineOf[slot(n, key)];
    return line != 0 ? std::optional(line) : std::nullopt;
  };
  // A key moved to is never read again, and one moved from has not been written yet; a key
  // added goes after the section's last key, so no line found moves.
  for (int n = first; n < last; ++n) {
    for (std::size_t key = 0; key < width; ++key) {
      const std::string_view moved = ValueOf(*sectionNumber, lineAt(n + 1, key));
      const auto index = lineAt(n, key);
      if (!keys[key].always && ValueOf(*sectionNumber, index) == moved) {
        results.push_back(Moved::Skipped);
        continue;
      }
      const std::string name = index ? std::string() : EntryKey(prefix, n, keys[key].suffix);
      results.push_back(SetIn(*sectionNumber, index, name, moved, legacy) ? Moved::Changed
                                                                          : Moved::Unchanged);
    }
  }
  return results;
}

namespace {

std::string KeyLine(std::string_view key, std::string_view value) {
  std::string text;
  text.reserve(key.size() + 1 + value.size());
  text.append(key).append(1, '=').append(value);
  return text;
}

}  // namespace

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value,
                      Legacy legacy) {
  walked_.clear();
  const auto sectionNumber = FindSection(section);
  if (!sectionNumber) {
    if (Line* last = LastLine(); last && last->ending == Ending::None) last->ending = Ending::CrLf;
    std::string header;
    header.append(1, '[').append(section).append(1, ']');
    AddLine(Store(header, Ending::CrLf));
    AddLine(Store(KeyLine(key, value), Ending::CrLf));
    return true;
  }

  return SetIn(*sectionNumber, FindKey(*sectionNumber, key), key, value, legacy);
}

bool IniDocument::SetIn(std::size_t sectionNumber, std::optional<std::uint32_t> index,
                        std::string_view key, std::string_view value, Legacy legacy) {
  Section& found = sections_[sectionNumber];
  if (index) {
    Line& line = found.lines[*index];
    const std::size_t keep = TextOf(line).find('=') + 1;
    const std::string_view stored = TextOf(line).substr(keep);
    // Already exactly this text: nothing changes, so nothing is to be written either.
    if (stored == value) return false;
    if (legacy == Legacy::Keep && IsLegacyTextOf(stored, value)) return false;
    const std::size_t size = keep + value.size();
    char* const writable = size <= SizeOf(line) ? WritableTextOf(line) : nullptr;
    if (writable) {
      std::copy(value.begin(), value.end(), writable + keep);
      unusedBytes_ += SizeOf(line) - size;
      SetSize(line, size);
    } else {
      const std::string_view head = TextOf(line).substr(0, keep);
      unusedBytes_ += SizeOf(line);
      if (!InAdded(head) && !InAdded(value)) {
        line = Store(head, value, line.ending);
      } else {
        // Built apart first: the text may sit in the buffer that grows.
        std::string text(head);
        text.append(value);
        line = Store(text, line.ending);
      }
    }
    if (WorthPacking(unusedBytes_, file_->size() + added_.size())) Compact();
    return true;
  }

  // Before the blank lines that separate this section from the next one; only those
  // blank lines move, so no index entry changes.
  Line& previous = found.lines[found.contentEnd - 1];
  if (previous.ending == Ending::None) previous.ending = Ending::CrLf;
  const std::string text = KeyLine(key, value);
  if (HeaderName(text)) {
    // A key name starting with '[' starts a new section once written; let the parser
    // sort out what that means rather than mirroring it here.
    found.lines.insert(found.lines.begin() + static_cast<std::ptrdiff_t>(found.contentEnd),
                       Store(text, Ending::CrLf));
    *this = Parse(Serialize());
    return true;
  }
  found.lines.insert(found.lines.begin() + static_cast<std::ptrdiff_t>(found.contentEnd),
                     Store(text, Ending::CrLf));
  IndexLine(sectionNumber, found.contentEnd);
  return true;
}

namespace {

bool IsQuote(char c) {
  return c == '"' || c == '\'';
}

// The reading rules: blanks trimmed, one pair of enclosing quotes dropped, then at most
// `limit` characters, stray bytes read as Windows-1252.
std::string_view Unwrapped(std::string_view raw) {
  std::string_view value = TrimBlanks(raw);
  if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

std::string ReadValue(std::string_view raw, std::size_t limit) {
  const std::string_view value = Unwrapped(raw);
  std::size_t end = 0;
  bool legacy = false;
  for (std::size_t chars = 0; chars < limit && end < value.size(); ++chars) {
    const std::size_t length = CharLength(value, end);
    legacy = legacy || IsStrayByte(value, end, length);
    end += length;
  }
  return legacy ? FromLegacyBytes(value.substr(0, end)) : std::string(value.substr(0, end));
}

}  // namespace

std::string ValueForLoad(std::string_view raw) {
  return ReadValue(raw, kMaxLoadChars);
}

std::string WholeValue(std::string_view raw) {
  return ReadValue(raw, raw.size());
}

std::string_view WholeValueView(std::string_view raw, std::string& converted) {
  const std::string_view value = Unwrapped(raw);
  for (std::size_t i = AsciiRunFrom(value, 0); i < value.size(); i = AsciiRunFrom(value, i)) {
    const std::size_t length = CharLength(value, i);
    if (IsStrayByte(value, i, length)) {
      converted = FromLegacyBytes(value);
      return converted;
    }
    i += length;
  }
  return value;
}

std::string WholeBytes(std::string_view raw) {
  return std::string(Unwrapped(raw));
}

std::string StoredFormOf(std::string_view value) {
  const bool changedByReading =
      !value.empty() &&
      (IsBlank(value.front()) || IsBlank(value.back()) ||
       (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()));
  if (!changedByReading) return std::string(value);
  std::string stored;
  stored.reserve(value.size() + 2);
  stored.append(1, '"').append(value).append(1, '"');
  return stored;
}

bool IsLegacyTextOf(std::string_view raw, std::string_view stored) {
  bool legacy = false;
  for (std::size_t i = AsciiRunFrom(raw, 0); i < raw.size() && !legacy; i = AsciiRunFrom(raw, i)) {
    const std::size_t length = CharLength(raw, i);
    legacy = IsStrayByte(raw, i, length);
    i += length;
  }
  if (!legacy) return false;
  // Given back whole, or as Load cut it: either way the stored text says no less.
  const std::string value = WholeValue(stored);
  return WholeValue(raw) == value || ValueForLoad(raw) == value;
}

bool HoldsLineBreak(std::string_view text) {
  // Mostly a name of a dozen bytes: two searches of the library beat one of our own.
  return ByteFrom(text, 0, '\n') != text.size() || ByteFrom(text, 0, '\r') != text.size();
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
