#pragma once

// Internal to the settings engine: the parsed form of one INI file, and the entry points
// of the shared cache that ReadWrite forwards to. Nothing outside src/settings uses this.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quillon {

// Section and key names compare without regard to ASCII letter case. Both functors are
// transparent so that lookups by string_view allocate nothing.
struct AsciiCaseHash {
  using is_transparent = void;
  // Deliberately not noexcept: libstdc++ then stores each node's hash instead of hashing
  // the neighbouring keys again on every lookup, which costs more than the extra word.
  std::size_t operator()(std::string_view text) const;
};
struct AsciiCaseEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const noexcept;
};

// An INI file kept as its original lines, so that everything not written through Set is
// reproduced byte for byte, plus an index from names to lines.
class IniDocument {
 public:
  static IniDocument Parse(std::string_view bytes);
  std::string Serialize() const;

  // The text after the first '=' of the key's line, untouched; nullopt when the section
  // or the key is missing.
  std::optional<std::string_view> RawValue(std::string_view section, std::string_view key) const;

  // Replaces the value in place, or adds the key at the end of its section, or appends
  // the section. The names must already be trimmed and every text free of CR and LF.
  void Set(std::string_view section, std::string_view key, std::string_view value);

 private:
  enum class Ending : std::uint8_t { None, CrLf, Lf, Cr };
  struct Line {
    std::string text;  // without its line ending
    Ending ending = Ending::CrLf;
  };
  struct Section {
    std::vector<Line> lines;  // lines[0] is the header, except in the leading section
    std::unordered_map<std::string, std::size_t, AsciiCaseHash, AsciiCaseEqual> keys;
    std::size_t contentEnd = 0;  // one past the last non-blank line: where new keys go
  };

  void AddLine(std::string_view text, Ending ending);
  Line* LastLine();

  // sections_[0] holds the lines before the first header; it is never looked up.
  std::vector<Section> sections_ = std::vector<Section>(1);
  std::unordered_map<std::string, std::size_t, AsciiCaseHash, AsciiCaseEqual> sectionIndex_;
};

// What Load makes of a raw value: blanks trimmed, one pair of enclosing quotes dropped,
// cut to 254 characters without splitting a UTF-8 sequence, and each byte that is not
// part of valid UTF-8 read as Windows-1252 (files made on Windows), so the result is UTF-8.
std::string ValueForLoad(std::string_view raw);

// True when the stored text is not UTF-8 and Load turns it into exactly `value`.
bool IsLegacyTextOf(std::string_view raw, std::string_view value);

// Written text must not carry line breaks: each CR and LF becomes a blank.
std::string WithoutLineBreaks(std::string_view text);

// Names as the file would read them back: line breaks blanked, blanks trimmed.
std::string CleanName(std::string_view name);

class IniFileHandle;

// The shared cache (IniCache.cpp). One handle per normalized absolute path.
namespace detail {
std::shared_ptr<IniFileHandle> OpenCachedFile(const std::string& fileName);
std::string CachedLoad(IniFileHandle& file, std::string_view section, std::string_view key);
std::string CachedLoadRaw(IniFileHandle& file, std::string_view section, std::string_view key);
void CachedSave(IniFileHandle& file, std::string_view section, std::string_view key,
                std::string_view value);
// Throws IniWriteError; on failure the cached state stays as it was.
void CachedCreate(IniFileHandle& file, std::string bytes);
std::optional<std::string> CachedWriteOrDiscard(IniFileHandle& file);
}  // namespace detail

}  // namespace quillon
