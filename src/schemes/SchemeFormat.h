#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ReadWrite.h"
#include "shell/TestLaunch.h"

namespace quillon {

// A scheme file holds one set of launch options in a single section named after the
// file itself, so a scheme renamed on disk no longer reads as one.
inline constexpr std::string_view kSchemeSectionSuffix = " - Scheme for Quillon V2.0";

std::string SchemeSectionName(std::string_view path);

// The lines a new scheme file starts with.
std::vector<std::string> SchemeTemplateLines(std::string_view section);

struct SchemeOptions {
  std::string port;  // display texts, as the lists show them
  std::string iwad;
  std::string params;
  bool exitOnTest = false;
  bool warp = false;
  std::string warpTo;
  bool noMonsters = false;
  bool noMusic = false;
  bool noSound = false;
  bool noCD = false;
  bool openGL = false;
  bool useFiles = false;
  std::vector<CustomFile> files;
};

// Writes the options into the scheme file at `path` through `schemeFile`: a missing file
// is created from the template first; an existing one is updated in place, never truncated.
// Returns false when the new file cannot be created; then nothing is written.
bool WriteScheme(ReadWrite& schemeFile, const std::string& path, const SchemeOptions& options);

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

namespace scheme {
inline constexpr std::string_view kPort = "Port";
inline constexpr std::string_view kIWAD = "IWAD";
inline constexpr std::string_view kParams = "Params";
inline constexpr std::string_view kExitOnTest = "ExitOnTest";
inline constexpr std::string_view kWarp = "Warp";
inline constexpr std::string_view kWarpTo = "WarpTo";
inline constexpr std::string_view kNoMonsters = "NoMonsters";
inline constexpr std::string_view kNoMusic = "NoMusic";
inline constexpr std::string_view kNoSound = "NoSound";
inline constexpr std::string_view kNoCD = "NoCD";
inline constexpr std::string_view kOpenGL = "OpenGL";
inline constexpr std::string_view kUseFiles = "UseFiles";
inline constexpr std::string_view kNumFiles = "NumFiles";
}  // namespace scheme

}  // namespace quillon
