#include "shell/TestArguments.h"

#include "shell/CommandLine.h"
#include "shell/PathHelpers.h"

namespace quillon {

std::vector<std::string> BuildTestArguments(const TestOptions& options) {
  std::vector<std::string> arguments;
  if (options.iwadFile) {
    arguments.emplace_back("-iwad");
    arguments.push_back(*options.iwadFile);
  }

  std::vector<std::string> wads;
  std::vector<std::string> patches;
  for (const CustomFile& file : options.files) {
    const std::string ext = ExtensionOf(file.name);
    if (ext == "wad") {
      wads.push_back(DirectoryOf(file.location) + file.name);
    } else if (ext == "deh" || ext == "bex") {
      patches.push_back(DirectoryOf(file.location) + file.name);
    }
  }
  const auto appendGroup = [&arguments](const char* flag, std::vector<std::string>& group) {
    if (group.empty()) return;
    arguments.emplace_back(flag);
    for (std::string& path : group) arguments.push_back(std::move(path));
  };
  appendGroup("-file", wads);
  appendGroup("-deh", patches);

  if (options.warp) {
    arguments.emplace_back("-warp");
    // "1 3" is episode and map: two numbers, two arguments.
    for (std::string& part : SplitParameters(options.warpText)) {
      arguments.push_back(std::move(part));
    }
  }
  for (std::string& part : SplitParameters(options.params)) arguments.push_back(std::move(part));

  const std::pair<bool, const char*> switches[] = {
      {options.noMonsters, "-nomonsters"},
      {options.noMusic, "-nomusic"},
      {options.noSound, "-nosound"},
      {options.openGL, "-opengl"},
      {options.noCD, "-nocd"},
  };
  for (const auto& [on, flag] : switches) {
    if (on) arguments.emplace_back(flag);
  }
  return arguments;
}

}  // namespace quillon
