#include "shell/TestLaunch.h"

#include <string_view>

#include "shell/PathHelpers.h"
#include "shell/TestArguments.h"

namespace quillon {

namespace {
constexpr std::string_view kFileGroup = " -file ";
constexpr std::string_view kPatchGroup = " -deh ";

void AppendQuoted(std::string& group, const CustomFile& file) {
  group += '"';
  group += DirectoryOf(file.location);
  group += file.name;
  group += "\" ";
}
}  // namespace

LaunchRequest BuildTestLaunch(const TestOptions& options) {
  std::string text;
  if (options.iwadFile) {
    text += " -iwad ";
    text += *options.iwadFile;
  }

  // PWADs first, then patches, each group in list order; other kinds are left out.
  std::string wads(kFileGroup);
  std::string patches(kPatchGroup);
  for (const CustomFile& file : options.files) {
    const std::string ext = ExtensionOf(file.name);
    if (ext == "wad") {
      AppendQuoted(wads, file);
    } else if (ext == "deh" || ext == "bex") {
      AppendQuoted(patches, file);
    }
  }
  if (wads != kFileGroup) text += wads;
  if (patches != kPatchGroup) text += patches;

  if (options.warp) {
    text += " -warp ";
    text += options.warpText;
  }
  text += ' ';
  text += options.params;

  const std::pair<bool, std::string_view> switches[] = {
      {options.noMonsters, " -nomonsters"}, {options.noMusic, " -nomusic"},
      {options.noSound, " -nosound"},       {options.openGL, " -opengl"},
      {options.noCD, " -nocd"},
  };
  for (const auto& [on, flag] : switches) {
    if (on) text += flag;
  }

  LaunchRequest request;
  request.File = options.portPath;
  request.Parameters = std::move(text);
  request.Directory = DirectoryOf(options.portPath);
  request.ShowMode = LaunchRequest::Show::Maximized;
  request.Arguments = BuildTestArguments(options);
  return request;
}

}  // namespace quillon
