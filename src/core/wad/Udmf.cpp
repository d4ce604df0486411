#include "core/wad/Udmf.h"

#include <algorithm>

#include "core/files/PathHelpers.h"

namespace quillon::wad {

std::string_view UdmfBlock::Value(std::string_view key, std::string_view fallback) const {
  for (const UdmfField& field : fields) {
    if (field.key == key) return field.value;
  }
  return fallback;
}

bool UdmfBlock::Has(std::string_view key) const {
  return std::any_of(fields.begin(), fields.end(),
                     [&](const UdmfField& field) { return field.key == key; });
}

namespace {

bool IsNameStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsNameChar(char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9');
}

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  // Skips blanks and comments; false at the end of the text (or inside an unclosed comment,
  // which is an error).
  bool Skip() {
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (c == '\n') {
        ++line_;
        ++at_;
      } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
        ++at_;
      } else if (c == '/' && at_ + 1 < text_.size() && text_[at_ + 1] == '/') {
        while (at_ < text_.size() && text_[at_] != '\n') ++at_;
      } else if (c == '/' && at_ + 1 < text_.size() && text_[at_ + 1] == '*') {
        const std::size_t close = text_.find("*/", at_ + 2);
        if (close == std::string_view::npos) return Fail("a comment is never closed");
        line_ +=
            static_cast<int>(std::count(text_.begin() + static_cast<std::ptrdiff_t>(at_),
                                        text_.begin() + static_cast<std::ptrdiff_t>(close), '\n'));
        at_ = close + 2;
      } else {
        return true;
      }
    }
    return false;
  }

  bool Name(std::string& out) {
    if (at_ >= text_.size() || !IsNameStart(text_[at_])) return Fail("a name was expected");
    const std::size_t begin = at_;
    while (at_ < text_.size() && IsNameChar(text_[at_])) ++at_;
    out = AsciiLower(text_.substr(begin, at_ - begin));
    return true;
  }

  // A quoted string (with \" and \\ escapes), a number, or a keyword such as true.
  bool Value(UdmfField& field) {
    if (!Skip()) return Fail("the text ends where a value was expected");
    field.value.clear();
    field.valueBegin = at_;
    if (text_[at_] == '"') {
      field.quoted = true;
      for (++at_; at_ < text_.size() && text_[at_] != '"'; ++at_) {
        if (text_[at_] == '\\' && at_ + 1 < text_.size()) ++at_;
        if (text_[at_] == '\n') ++line_;
        field.value += text_[at_];
      }
      if (at_ >= text_.size()) return Fail("a string is never closed");
      ++at_;
      field.valueEnd = at_;
      return true;
    }
    field.quoted = false;
    const std::size_t begin = at_;
    while (at_ < text_.size() && (IsNameChar(text_[at_]) || text_[at_] == '.' ||
                                  text_[at_] == '-' || text_[at_] == '+')) {
      ++at_;
    }
    if (at_ == begin) return Fail("a value was expected");
    field.value.assign(text_.substr(begin, at_ - begin));
    field.valueEnd = at_;
    return true;
  }

  // The character `c`, which must follow `after`; the message is made only on failure.
  bool Expect(char c, std::string_view after, const char* alternative = nullptr) {
    if (!Skip() || text_[at_] != c) {
      std::string what = "\"" + std::string(1, c) + "\" ";
      if (alternative != nullptr) what += std::string("or ") + alternative + " ";
      return Fail(what + "was expected after \"" + std::string(after) + "\"");
    }
    ++at_;
    return true;
  }

  bool Fail(const std::string& what) {
    if (error_.empty()) error_ = "line " + std::to_string(line_) + ": " + what;
    return false;
  }

  char Peek() const { return text_[at_]; }
  std::size_t At() const { return at_; }
  const std::string& Error() const { return error_; }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
  int line_ = 1;
  std::string error_;
};

}  // namespace

UdmfResult ReadUdmf(std::string_view text, const std::function<void(const UdmfField&)>& global,
                    const std::function<void(const UdmfBlock&)>& block) {
  UdmfResult result;
  Reader reader(text);
  UdmfBlock current;
  UdmfField field;
  std::string name;
  while (reader.Skip()) {
    const std::size_t begin = reader.At();
    if (!reader.Name(name) || !reader.Skip()) {
      reader.Fail("the text ends after \"" + name + "\"");
      break;
    }
    if (reader.Peek() == '=') {
      field.key = name;
      if (!reader.Expect('=', name) || !reader.Value(field) || !reader.Expect(';', name)) {
        break;
      }
      if (global) global(field);
      continue;
    }
    if (!reader.Expect('{', name, "\"=\"")) break;
    current.type = name;
    current.begin = begin;
    current.fields.clear();
    bool closed = false;
    while (reader.Skip()) {
      if (reader.Peek() == '}') {
        reader.Expect('}', name);
        closed = true;
        break;
      }
      field.key.clear();
      if (!reader.Name(field.key) || !reader.Expect('=', field.key) || !reader.Value(field) ||
          !reader.Expect(';', field.key)) {
        break;
      }
      current.fields.push_back(field);
    }
    if (!closed) {
      reader.Fail("the block \"" + name + "\" is never closed");
      break;
    }
    current.end = reader.At();
    ++result.blocks;
    if (block) block(current);
  }
  result.error = reader.Error();
  result.ok = result.error.empty();
  return result;
}

}  // namespace quillon::wad
