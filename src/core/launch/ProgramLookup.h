#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// What the lookup needs to know about one path; the caller asks the file system.
struct FileFacts {
  bool exists = false;
  bool isDirectory = false;
  bool executable = false;  // the execute bit for us
  std::string head;         // the first few bytes, enough to tell a native program
};
using FileProbe = std::function<FileFacts(const std::string& path)>;

// The full path of the first executable file called `name` in the ':'-separated `pathVar`.
// Empty entries are skipped rather than meaning the current folder.
std::optional<std::string> FindOnPath(std::string_view name, std::string_view pathVar,
                                      const FileProbe& probe);

// Why a program could not be started; each is the end of "Could not start <path>: ...".
inline constexpr std::string_view kNoPathGiven = "no path is set";
inline constexpr std::string_view kNotFound = "the file does not exist";
inline constexpr std::string_view kNotOnPath = "no program of that name is on PATH";
inline constexpr std::string_view kIsFolder = "it is a folder, not a program";
inline constexpr std::string_view kNotExecutable = "the file is not marked executable";
inline constexpr std::string_view kNotRunnable = "it is not a program this computer can run";
inline constexpr std::string_view kWineMissing =
    "it is a Windows program and Wine is not installed";

// The program to execute, its arguments after argv[0], and the folder to run it in;
// or, when it cannot be run, why.
struct ResolvedProgram {
  std::string program;
  std::vector<std::string> arguments;
  std::string directory;
  std::string failure;  // empty: ready to start
};

// `path` taken from `currentDir` when relative, its leading "./" dropped.
std::string AbsolutePath(std::string_view path, std::string_view currentDir);

// A name without a folder that is no file here is looked up on PATH and runs in the folder
// where it was found; a Windows program (".exe" that is not a native one) runs through
// wine from PATH. `directory` is kept otherwise. What PATH gives is taken from
// `currentDir` when relative, since the program starts in another folder.
ResolvedProgram ResolveProgram(const std::string& file, std::vector<std::string> arguments,
                               const std::string& directory, std::string_view pathVar,
                               const FileProbe& probe, std::string_view currentDir);

}  // namespace quillon
