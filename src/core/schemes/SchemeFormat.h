#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings/LaunchOptions.h"
#include "core/settings/ReadWrite.h"

namespace quillon {

// A scheme file holds one set of launch options in a single section named after the
// file itself, so a scheme renamed on disk no longer reads as one.
inline constexpr std::string_view kSchemeSectionSuffix = " - Scheme for Quillon V2.0";

std::string SchemeSectionName(std::string_view path);

// The lines a new scheme file starts with.
std::vector<std::string> SchemeTemplateLines(std::string_view section);

// Writes the options (a list's as its shown text) and the custom file list into the scheme
// file at `path` through `schemeFile`: a missing file is created from the template first; an
// existing one is updated in place, never truncated. The file is written at once; when it
// cannot be, nothing stays waiting to be written and the reason is returned.
std::optional<std::string> WriteScheme(ReadWrite& schemeFile, const std::string& path,
                                       const LaunchOptionValues& options,
                                       const std::vector<CustomFile>& files);

// Reads a scheme one key at a time, each just before it is applied.
class SchemeReader {
 public:
  // Points `schemeFile` at `path`.
  SchemeReader(ReadWrite& schemeFile, const std::string& path);

  std::string Text(std::string_view key) const;
  // Any non-zero 16-bit number is on; nullopt when the text is no such number.
  std::optional<bool> Flag(std::string_view key) const;
  std::optional<std::int16_t> Number(std::string_view key) const;

 private:
  ReadWrite& file_;
  std::string section_;
};

// Besides the options' keys, a scheme counts its custom files.
namespace scheme {
inline constexpr std::string_view kNumFiles = "NumFiles";
}  // namespace scheme

}  // namespace quillon
