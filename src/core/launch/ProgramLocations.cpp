#include "core/launch/ProgramLocations.h"

#include "core/files/PathHelpers.h"
#include "core/settings/ConfigLayout.h"

namespace quillon {

namespace {

constexpr std::string_view kProgramFolder = "quillon";

std::string WithoutTrailingSlashes(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  return std::string(path);
}

// An XDG base folder, or its default under home; relative values are to be ignored.
std::string XdgBase(const std::string& value, const std::string& home, std::string_view fallback) {
  if (!value.empty() && value.front() == '/') return WithoutTrailingSlashes(value);
  return JoinPath(WithoutTrailingSlashes(home), fallback);
}

}  // namespace

ProgramLocations DecideProgramLocations(std::string_view exeDir, const LocationEnvironment& env) {
  const std::string dir = WithoutTrailingSlashes(exeDir);
  const std::string prefix = dir.size() > 1 ? DirectoryOf(dir) : std::string();
  const std::string sharedHelp =
      JoinPath(JoinPath(JoinPath(prefix, "share"), kProgramFolder), kHelpFileName);

  const bool installed = FileNameOf(dir) == "bin" && env.fileExists(sharedHelp) &&
                         !env.fileExists(JoinPath(dir, kIniFileName));
  if (!installed) {
    return {false, dir, JoinPath(dir, kHelpFileName), JoinPath(dir, "logs")};
  }
  return {true, JoinPath(XdgBase(env.xdgConfigHome, env.home, ".config"), kProgramFolder),
          sharedHelp,
          JoinPath(JoinPath(XdgBase(env.xdgStateHome, env.home, ".local/state"), kProgramFolder),
                   "logs")};
}

std::string SaveFolderRoot(const ProgramLocations& where, const std::string& home,
                           const std::string& xdgDataHome) {
  if (!where.installed) return JoinPath(where.configDir, "saves");
  return JoinPath(JoinPath(XdgBase(xdgDataHome, home, ".local/share"), kProgramFolder), "saves");
}

std::string TempFolderRoot(const ProgramLocations& where, const std::string& xdgRuntimeDir) {
  // The XDG rules say a relative path in the variable is to be ignored.
  if (xdgRuntimeDir.starts_with('/')) return JoinPath(xdgRuntimeDir, kProgramFolder);
  return JoinPath(where.configDir, "temp");
}

}  // namespace quillon
