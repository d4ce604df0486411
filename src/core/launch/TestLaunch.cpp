#include "core/launch/TestLaunch.h"

#include <string_view>
#include <utility>

#include "core/files/PathHelpers.h"
#include "core/launch/CommandLine.h"
#include "core/wad/MapNames.h"

namespace quillon {

namespace {
constexpr std::string_view kFileGroup = "-file";
constexpr std::string_view kPatchGroup = "-deh";

// The text and the argument list, built side by side from the same pieces.
struct CommandLineParts {
  std::string text;
  std::vector<std::string> arguments;

  // A switch as the text shows it (" -warp "), and as its own argument ("-warp").
  void Switch(std::string_view shown) {
    text += shown;
    const auto first = shown.find_first_not_of(' ');
    if (first == std::string_view::npos) return;
    const auto last = shown.find_last_not_of(' ');
    arguments.emplace_back(shown.substr(first, last - first + 1));
  }
};

// PWADs first, then patches, each group in list order; other kinds are left out. In the
// text each path is quoted; as arguments a path is never split or joined.
void AppendCustomFiles(CommandLineParts& parts, const std::vector<CustomFile>& files) {
  std::vector<std::string> wads;
  std::vector<std::string> patches;
  for (const CustomFile& file : files) {
    const std::string ext = ExtensionOf(file.name);
    if (ext == "wad") {
      wads.push_back(DirectoryOf(file.location) + file.name);
    } else if (ext == "deh" || ext == "bex") {
      patches.push_back(DirectoryOf(file.location) + file.name);
    }
  }
  for (const auto& [group, paths] : {std::pair{kFileGroup, &wads}, {kPatchGroup, &patches}}) {
    if (paths->empty()) continue;
    parts.text.append(" ").append(group).append(" ");
    parts.arguments.emplace_back(group);
    for (const std::string& path : *paths) {
      parts.text.append("\"").append(path).append("\" ");
      parts.arguments.push_back(path);
    }
  }
}

// A text box always counts; a check box while on; a list while an entry is chosen.
bool Applies(const LaunchOption& option, const LaunchOptionValues& options) {
  switch (option.control) {
    case OptionControl::TextBox:
      return true;
    case OptionControl::CheckBox:
      return options.IsOn(option.id);
    case OptionControl::List:
      return options.Get(option.id).has_value();
  }
  return false;
}
}  // namespace

LaunchRequest BuildTestLaunch(const LaunchOptionValues& options,
                              const std::vector<CustomFile>& files) {
  CommandLineParts parts;
  for (const LaunchOption* option : OptionsInOrder(OptionOrder::Command)) {
    if (!Applies(*option, options)) continue;
    switch (option->command) {
      case CommandPiece::None:
        break;
      case CommandPiece::Switch:
        parts.Switch(option->commandSwitch);
        break;
      case CommandPiece::SwitchAndText: {
        parts.Switch(option->commandSwitch);
        const std::string typed = options.Text(option->commandText);
        const std::string text =
            option->commandForm == TextForm::MapNumber ? wad::WarpArgument(typed) : typed;
        parts.text += text;
        // What the user typed is split as typed ("1 3" is two numbers); an entry's file is
        // one argument whatever it holds.
        if (OptionOf(option->commandText).control == OptionControl::TextBox) {
          for (std::string& part : SplitParameters(text))
            parts.arguments.push_back(std::move(part));
        } else {
          parts.arguments.push_back(text);
        }
        break;
      }
      case CommandPiece::CustomFiles:
        AppendCustomFiles(parts, files);
        break;
    }
  }

  LaunchRequest request;
  request.File = options.Text(LaunchOptionId::Port);
  request.Parameters = std::move(parts.text);
  request.Directory = DirectoryOf(request.File);
  request.Arguments = std::move(parts.arguments);
  return request;
}

}  // namespace quillon
