#include "core/wad/MapInfoText.h"

#include <algorithm>

#include "core/files/PathHelpers.h"

namespace quillon::wad {

namespace {

enum class TokenKind : std::uint8_t { kEnd, kName, kString, kNumber, kPunct, kBad };

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;
  int line = 1;
};

// The words, strings, numbers and punctuation of the map-info family, with `//`, `/* */`
// (and for MAPINFO `;`) comments skipped.
class Tokens {
 public:
  Tokens(std::string_view text, bool semicolonComments)
      : text_(text), semicolonComments_(semicolonComments) {}

  Token Next() {
    SkipBlank();
    Token token;
    token.line = line_;
    if (at_ >= text_.size()) return token;
    const char c = text_[at_];
    if (c == '"') {
      token.kind = TokenKind::kString;
      for (++at_; at_ < text_.size() && text_[at_] != '"'; ++at_) {
        if (text_[at_] == '\\' && at_ + 1 < text_.size()) ++at_;
        if (text_[at_] == '\n') ++line_;
        if (token.text.size() < kLongestString) token.text += text_[at_];
      }
      if (at_ >= text_.size()) {
        token.kind = TokenKind::kBad;
        token.text = "a string is never closed";
        return token;
      }
      ++at_;
      return token;
    }
    const auto isWord = [](char ch) {
      return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
             ch == '_' || ch == '.' || ch == '-' || ch == '+' || ch == '$';
    };
    if (isWord(c)) {
      const std::size_t begin = at_;
      while (at_ < text_.size() && isWord(text_[at_])) ++at_;
      token.text.assign(text_.substr(begin, std::min<std::size_t>(at_ - begin, kLongestString)));
      const bool number = (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
      token.kind = number ? TokenKind::kNumber : TokenKind::kName;
      return token;
    }
    token.kind = TokenKind::kPunct;
    token.text.assign(1, c);
    ++at_;
    return token;
  }

  bool unclosedComment = false;

 private:
  static constexpr std::size_t kLongestString = 256;

  void SkipBlank() {
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (c == '\n') {
        ++line_;
        ++at_;
      } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v' || c == '\0') {
        ++at_;
      } else if ((c == '/' && at_ + 1 < text_.size() && text_[at_ + 1] == '/') ||
                 (semicolonComments_ && c == ';')) {
        while (at_ < text_.size() && text_[at_] != '\n') ++at_;
      } else if (c == '/' && at_ + 1 < text_.size() && text_[at_ + 1] == '*') {
        const std::size_t close = text_.find("*/", at_ + 2);
        const std::size_t end = close == std::string_view::npos ? text_.size() : close + 2;
        unclosedComment = close == std::string_view::npos;
        line_ +=
            static_cast<int>(std::count(text_.begin() + static_cast<std::ptrdiff_t>(at_),
                                        text_.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
        at_ = end;
      } else {
        return;
      }
    }
  }

  std::string_view text_;
  bool semicolonComments_ = false;
  std::size_t at_ = 0;
  int line_ = 1;
};

void KeepTitle(std::vector<MapTitle>& titles, std::string map, std::string title) {
  map = AsciiUpper(map);
  const auto same = std::find_if(titles.begin(), titles.end(),
                                 [&](const MapTitle& known) { return known.map == map; });
  if (same != titles.end()) {
    same->title = std::move(title);
  } else {
    titles.push_back({std::move(map), std::move(title)});
  }
}

std::string Quoted(const Token& token) {
  return token.kind == TokenKind::kEnd ? std::string("the end of the text")
                                       : "\"" + token.text + "\"";
}

}  // namespace

MapInfoRead ReadUmapinfo(std::string_view text) {
  MapInfoRead read;
  Tokens tokens(text, false);
  const auto fail = [&](const Token& at, const std::string& what) {
    read.error = "line " + std::to_string(at.line) + ": " + what;
    return read;
  };
  const auto is = [](const Token& token, const char* punct) {
    return token.kind == TokenKind::kPunct && token.text == punct;
  };
  for (Token token = tokens.Next(); token.kind != TokenKind::kEnd; token = tokens.Next()) {
    if (token.kind == TokenKind::kBad) return fail(token, token.text);
    if (is(token, "}")) return fail(token, "a \"}\" closes no block");
    if (token.kind != TokenKind::kName || AsciiUpper(token.text) != "MAP") {
      return fail(token, "\"map\" was expected, not " + Quoted(token));
    }
    const Token name = tokens.Next();
    if (name.kind != TokenKind::kName) return fail(name, "a map name was expected after \"map\"");
    const std::string map = AsciiUpper(name.text);
    if (!is(tokens.Next(), "{")) return fail(name, "\"{\" was expected after \"map " + map + "\"");
    std::string title;
    bool hasTitle = false;
    for (Token key = tokens.Next(); !is(key, "}"); key = tokens.Next()) {
      if (key.kind == TokenKind::kEnd) return fail(key, "the block of " + map + " is never closed");
      if (key.kind == TokenKind::kBad) return fail(key, key.text);
      if (is(key, "{")) return fail(key, "a \"{\" inside the block of " + map);
      if (key.kind != TokenKind::kName) return fail(key, "a key was expected, not " + Quoted(key));
      const Token equals = tokens.Next();
      if (!is(equals, "=")) return fail(equals, "\"=\" was expected after \"" + key.text + "\"");
      // One value, or several separated by commas.
      for (bool more = true; more;) {
        const Token value = tokens.Next();
        if (value.kind == TokenKind::kBad) return fail(value, value.text);
        if (value.kind != TokenKind::kString && value.kind != TokenKind::kNumber &&
            value.kind != TokenKind::kName) {
          return fail(value, "a value was expected after \"" + key.text + " =\"");
        }
        if (AsciiLower(key.text) == "levelname" && !hasTitle) {
          title = value.text;
          hasTitle = true;
        }
        Tokens ahead = tokens;
        more = is(ahead.Next(), ",");
        if (more) tokens = ahead;
      }
    }
    if (hasTitle) KeepTitle(read.titles, map, title);
  }
  if (tokens.unclosedComment) read.error = "a comment is never closed";
  return read;
}

MapInfoRead ReadZMapinfoTitles(std::string_view text) {
  MapInfoRead read;
  Tokens tokens(text, true);
  int depth = 0;
  for (Token token = tokens.Next(); token.kind != TokenKind::kEnd; token = tokens.Next()) {
    if (token.kind == TokenKind::kPunct) {
      if (token.text == "{") ++depth;
      if (token.text == "}" && depth > 0) --depth;
      continue;
    }
    if (depth != 0 || token.kind != TokenKind::kName || AsciiLower(token.text) != "map") continue;
    const Token name = tokens.Next();
    if (name.kind != TokenKind::kName && name.kind != TokenKind::kNumber) continue;
    const Token title = tokens.Next();
    if (title.kind == TokenKind::kString) {
      KeepTitle(read.titles, name.text, title.text);
    } else if (title.kind == TokenKind::kPunct && title.text == "{") {
      ++depth;
    }
  }
  return read;
}

MapInfoRead ReadEMapinfoTitles(std::string_view text) {
  MapInfoRead read;
  std::string section;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (line.starts_with('[') && line.ends_with(']')) {
      section = AsciiUpper(line.substr(1, line.size() - 2));
      continue;
    }
    const std::size_t equals = line.find('=');
    if (section.empty() || equals == std::string_view::npos) continue;
    std::string_view key = line.substr(0, equals);
    while (!key.empty() && key.back() == ' ') key.remove_suffix(1);
    if (AsciiLower(key) != "levelname") continue;
    std::string_view value = line.substr(equals + 1);
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    KeepTitle(read.titles, section, std::string(value.substr(0, 256)));
  }
  return read;
}

DehackedKind ReadDehackedKind(std::string_view text) {
  DehackedKind kind;
  const std::string lower = AsciiLower(text.substr(0, std::min<std::size_t>(text.size(), 8 << 20)));
  for (const char* bex : {"[codeptr]", "[strings]", "[pars]", "[helper]", "[sprites]", "[sounds]",
                          "[music]", "include ", "bits = "}) {
    if (lower.find(bex) != std::string::npos) kind.bex = true;
  }
  for (const char* mbf21 :
       {"doom version = 2021", "mbf21 bits", "infighting group", "projectile group", "splash group",
        "rip sound", "fast speed", "melee range", "args1", "weapon flags"}) {
    if (lower.find(mbf21) != std::string::npos) kind.mbf21 = true;
  }
  kind.newThings = lower.find("id # =") != std::string::npos;
  return kind;
}

int ComplevelFromLump(std::string_view text) {
  std::string word = AsciiLower(text.substr(0, std::min<std::size_t>(text.size(), 64)));
  word.erase(std::remove_if(word.begin(), word.end(),
                            [](char c) {
                              return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0';
                            }),
             word.end());
  if (word == "vanilla") return 2;
  if (word == "boom") return 9;
  if (word == "mbf") return 11;
  if (word == "mbf21") return 21;
  return -1;
}

}  // namespace quillon::wad
