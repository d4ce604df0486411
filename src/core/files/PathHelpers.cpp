#include "core/files/PathHelpers.h"

namespace quillon {

namespace {
constexpr std::string_view kSeparators = "\\/";

#ifdef _WIN32
constexpr char kNativeSeparator = '\\';
#else
constexpr char kNativeSeparator = '/';
#endif
}  // namespace

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string DirectoryOf(std::string_view path) {
  const auto pos = path.find_last_of(kSeparators);
  return pos == std::string_view::npos ? std::string() : std::string(path.substr(0, pos + 1));
}

std::string FileNameOf(std::string_view path) {
  const auto pos = path.find_last_of(kSeparators);
  return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

std::string ExtensionOf(std::string_view name) {
  const auto pos = name.rfind('.');
  return AsciiLower(pos == std::string_view::npos ? name : name.substr(pos + 1));
}

std::string JoinPath(std::string_view dir, std::string_view name) {
  std::string out(dir);
  if (!out.empty() && kSeparators.find(out.back()) == std::string_view::npos) {
    out += kNativeSeparator;
  }
  out += name;
  return out;
}

}  // namespace quillon
