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

std::string_view DirectoryPartOf(std::string_view path) {
  // Backwards byte by byte: find_last_of asks memchr about each byte.
  std::size_t end = path.size();
  while (end > 0 && path[end - 1] != '/' && path[end - 1] != '\\') --end;
  return path.substr(0, end);
}

std::string DirectoryOf(std::string_view path) {
  return std::string(DirectoryPartOf(path));
}

std::string FileNameOf(std::string_view path) {
  const auto pos = path.find_last_of(kSeparators);
  return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

std::string ExtensionOf(std::string_view name) {
  const auto pos = name.rfind('.');
  return AsciiLower(pos == std::string_view::npos ? name : name.substr(pos + 1));
}

bool HasExtension(std::string_view name, std::string_view extension) {
  const auto pos = name.rfind('.');
  const std::string_view ends = pos == std::string_view::npos ? name : name.substr(pos + 1);
  if (ends.size() != extension.size()) return false;
  for (std::size_t i = 0; i < ends.size(); ++i) {
    const char c = ends[i];
    if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != extension[i]) return false;
  }
  return true;
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
