#pragma once

// A deliberately plain statement of the profile rules, for the fuzzers to hold the real
// engine against: a list of lines, searched from the top on every call, no index, no cache.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::fuzz {

// Stops the run with a readable reason; libFuzzer saves the input that got here.
[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}
inline void Check(bool ok, const char* what) {
  if (!ok) Fail(what);
}

// Memory-backed when possible: every write of the engine syncs, and on tmpfs that is free.
// Never destroyed, so the exit handler that removes it can still name it.
inline const std::filesystem::path& ScratchDirectory() {
  static const std::filesystem::path* const dir = [] {
    std::error_code error;
    std::filesystem::path base = "/dev/shm";
    if (!std::filesystem::is_directory(base, error)) base = std::filesystem::temp_directory_path();
    std::string name = (base / "quillon-fuzz-XXXXXX").string();
    if (!::mkdtemp(name.data())) Fail("no scratch directory");
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(ScratchDirectory(), ignored);
    });
    return new std::filesystem::path(name);
  }();
  return *dir;
}

inline std::optional<std::string> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, std::string_view bytes, bool append) {
  std::ofstream out(path, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct ModelLine {
  std::string text;
  std::string ending;  // "\r\n", "\n", "\r" or "" for a last line without one
};

inline std::vector<ModelLine> SplitLines(std::string_view bytes) {
  std::vector<ModelLine> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const std::size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      lines.push_back({std::string(bytes.substr(pos)), ""});
      break;
    }
    const std::size_t width = bytes.substr(end, 2) == "\r\n" ? 2 : 1;
    lines.push_back(
        {std::string(bytes.substr(pos, end - pos)), std::string(bytes.substr(end, width))});
    pos = end + width;
  }
  return lines;
}

inline bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

inline std::string Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

inline bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

// The section a line opens, or nullopt for any other line: up to its last ']' when the
// line ends in one, else up to the first ']', else to the end.
inline std::optional<std::string> Header(const std::string& text) {
  const std::string trimmed = Trim(text);
  if (trimmed.empty() || trimmed[0] != '[') return std::nullopt;
  const std::size_t close =
      trimmed.back() == ']' && trimmed.size() > 1 ? trimmed.size() - 1 : trimmed.find(']', 1);
  return Trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

// Bytes in the well-formed UTF-8 character at text[i], or 1 for a byte that starts none.
inline std::size_t Utf8Length(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned lead = byte(i);
  std::size_t length;
  unsigned code;
  if (lead >= 0xC0 && lead < 0xE0) {
    length = 2, code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead < 0xF0) {
    length = 3, code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead < 0xF8) {
    length = 4, code = lead & 0x07;
  } else {
    return 1;
  }
  if (i + length > text.size()) return 1;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 1;
    code = code << 6 | (byte(i + k) & 0x3F);
  }
  static constexpr unsigned kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 1;
  return length;
}

// True when some byte of the text is not part of valid UTF-8.
inline bool HasStrayBytes(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); i += Utf8Length(text, i)) {
    if (Utf8Length(text, i) == 1 && static_cast<unsigned char>(text[i]) >= 0x80) return true;
  }
  return false;
}

// Valid UTF-8 as it is; every other byte read as Windows-1252 and written as UTF-8.
inline std::string FromWindows1252(std::string_view text) {
  static constexpr unsigned kHigh[32] = {
      0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = Utf8Length(text, i);
    const unsigned byte = static_cast<unsigned char>(text[i]);
    if (length > 1 || byte < 0x80) {
      out += text.substr(i, length);
    } else {
      const unsigned code = byte < 0xA0 ? kHigh[byte - 0x80] : byte;
      if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
      } else {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      }
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
    i += length;
  }
  return out;
}

inline bool EnclosedInQuotes(std::string_view value) {
  return value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0];
}

// Trimmed, unquoted, and cut to `limit` characters.
inline std::string LoadForm(std::string_view raw, std::size_t limit = 254) {
  std::string value = Trim(raw);
  if (EnclosedInQuotes(value)) value = value.substr(1, value.size() - 2);
  std::size_t end = 0;
  for (std::size_t chars = 0; chars < limit && end < value.size(); ++chars) {
    end += Utf8Length(value, end);
  }
  return FromWindows1252(value.substr(0, end));
}

inline std::string WholeForm(std::string_view raw) {
  return LoadForm(raw, raw.size());
}

inline std::string NoBreaks(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return out;
}

// What Save stores: a value that the reading rules would change (blanks at an end, a pair of
// enclosing quotes) goes in one more pair of double quotes.
inline std::string StoredForm(std::string_view value) {
  const std::string text = NoBreaks(value);
  if (text.empty() || (Trim(text) == text && !EnclosedInQuotes(text))) return text;
  return "\"" + text + "\"";
}

class IniModel {
 public:
  // A UTF-8 byte-order mark at the very start belongs to no line and is written back.
  static IniModel Parse(std::string_view bytes) {
    static constexpr std::string_view kBom = "\xEF\xBB\xBF";
    IniModel model;
    model.bom_ = bytes.starts_with(kBom);
    if (model.bom_) bytes.remove_prefix(kBom.size());
    model.lines_ = SplitLines(bytes);
    return model;
  }

  std::string Serialize() const {
    std::string bytes = bom_ ? "\xEF\xBB\xBF" : "";
    for (const ModelLine& line : lines_) bytes += line.text + line.ending;
    return bytes;
  }

  // The stored text after the key's '=', as it stands; nullopt when the key is missing.
  std::optional<std::string> Raw(std::string_view section, std::string_view key) const {
    const auto found = Find(Trim(NoBreaks(section)), Trim(NoBreaks(key)));
    if (!found.key) return std::nullopt;
    const std::string& text = lines_[*found.key].text;
    return text.substr(text.find('=') + 1);
  }

  // Load as the caller sees it: names cleaned, value trimmed, unquoted and cut.
  std::string Load(std::string_view section, std::string_view key) const {
    return LoadForm(Raw(section, key).value_or(""));
  }
  std::string LoadWhole(std::string_view section, std::string_view key) const {
    return WholeForm(Raw(section, key).value_or(""));
  }

  // True when the key already stores exactly this text, or text that is not UTF-8 and that
  // reads as the stored text would, whole or cut by Load: such a Save leaves the bytes alone.
  bool KeepsStoredText(std::string_view section, std::string_view key,
                       std::string_view stored) const {
    const auto raw = Raw(section, key);
    if (!raw) return false;
    const std::string value = WholeForm(NoBreaks(stored));
    return *raw == NoBreaks(stored) ||
           (HasStrayBytes(*raw) && (WholeForm(*raw) == value || LoadForm(*raw) == value));
  }

  // Stores the text as it is (the engine's SaveRaw; Save stores StoredForm of the value).
  void Save(std::string_view rawSection, std::string_view rawKey, std::string_view rawValue) {
    const std::string section = Trim(NoBreaks(rawSection));
    const std::string key = Trim(NoBreaks(rawKey));
    const std::string line = key + "=" + NoBreaks(rawValue);
    const auto found = Find(section, key);
    if (found.key) {
      std::string& text = lines_[*found.key].text;
      text = text.substr(0, text.find('=') + 1) + NoBreaks(rawValue);
    } else if (found.header) {
      // After the section's last line that is not blank.
      std::size_t at = *found.header + 1;
      for (std::size_t i = at; i < found.end; ++i) {
        if (!Trim(lines_[i].text).empty()) at = i + 1;
      }
      if (lines_[at - 1].ending.empty()) lines_[at - 1].ending = "\r\n";
      lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), {line, "\r\n"});
    } else {
      if (!lines_.empty() && lines_.back().ending.empty()) lines_.back().ending = "\r\n";
      lines_.push_back({"[" + section + "]", "\r\n"});
      lines_.push_back({line, "\r\n"});
    }
  }

 private:
  struct Found {
    std::optional<std::size_t> header;  // the first section of the name
    std::size_t end = 0;                // one past its last line
    std::optional<std::size_t> key;     // the first line of the key in it
  };

  Found Find(const std::string& section, const std::string& key) const {
    Found found;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      const auto name = Header(lines_[i].text);
      if (!found.header) {
        if (name && SameName(*name, section)) found.header = i;
        continue;
      }
      if (name) return found.end = i, found;
      const std::size_t equals = lines_[i].text.find('=');
      if (!found.key && equals != std::string::npos &&
          SameName(Trim(std::string_view(lines_[i].text).substr(0, equals)), key)) {
        found.key = i;
      }
    }
    found.end = lines_.size();
    return found;
  }

  std::vector<ModelLine> lines_;
  bool bom_ = false;
};

// True when every line of `before` is still in `after`, in order: unchanged, or with only
// the text after its first '=' replaced; a last line without a line end may have gained one.
// A leading byte-order mark is no part of a line and must stay.
inline bool KeepsOriginalLines(std::string_view before, std::string_view after) {
  static constexpr std::string_view kBom = "\xEF\xBB\xBF";
  if (before.starts_with(kBom)) {
    if (!after.starts_with(kBom)) return false;
    before.remove_prefix(kBom.size());
    after.remove_prefix(kBom.size());
  }
  const std::vector<ModelLine> old = SplitLines(before);
  const std::vector<ModelLine> now = SplitLines(after);
  std::size_t j = 0;
  for (std::size_t i = 0; i < old.size(); ++i) {
    const ModelLine& line = old[i];
    const std::size_t equals = line.text.find('=');
    const auto matches = [&](const ModelLine& candidate) {
      const bool endingOk =
          candidate.ending == line.ending ||
          (line.ending.empty() && i + 1 == old.size() && candidate.ending == "\r\n");
      if (!endingOk) return false;
      if (candidate.text == line.text) return true;
      return equals != std::string::npos &&
             candidate.text.compare(0, equals + 1, line.text, 0, equals + 1) == 0;
    };
    while (j < now.size() && !matches(now[j])) ++j;
    if (j == now.size()) return false;
    ++j;
  }
  return true;
}

}  // namespace quillon::fuzz
