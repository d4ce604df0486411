#include "core/launch/TestLaunch.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <utility>

#include "core/files/PathHelpers.h"
#include "core/launch/CommandLine.h"
#include "core/wad/MapNames.h"

namespace quillon {

namespace {
constexpr std::string_view kFileGroup = "-file";
constexpr std::string_view kMergeGroup = "-merge";
constexpr std::string_view kPatchGroup = "-deh";
constexpr std::string_view kMapByName = " +map ";
constexpr std::string_view kComplevel = " -complevel ";

// Woof!'s manual page lists these four; it has no word for the Doom versions apart.
constexpr std::pair<std::string_view, std::string_view> kComplevelWords[] = {
    {"2", "vanilla"}, {"3", "vanilla"}, {"4", "vanilla"},
    {"9", "boom"},    {"11", "mbf"},    {"21", "mbf21"},
};

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// PWADs first, then patches, each group in list order; other kinds are left out. A family
// that misses a PWAD's own graphics under -file gets those PWADs under -merge, before the
// others. In the text each path is quoted; as arguments a path is never split or joined.
void AppendCustomFiles(CommandLineParts& parts, const std::vector<CustomFile>& files,
                       const TestContext& context) {
  std::vector<std::string> merged;
  std::vector<std::string> wads;
  std::vector<std::string> patches;
  for (std::size_t k = 0; k < files.size(); ++k) {
    const CustomFile& file = files[k];
    const std::string ext = ExtensionOf(file.name);
    const std::string path = DirectoryOf(file.location) + file.name;
    if (ext == "wad") {
      const bool graphics = k < context.bringsGraphics.size() && context.bringsGraphics[k];
      (graphics && context.dialect.mergesGraphics ? merged : wads).push_back(path);
    } else if (ext == "deh" || ext == "bex") {
      patches.push_back(path);
    }
  }
  for (const auto& [group, paths] :
       {std::pair{kMergeGroup, &merged}, {kFileGroup, &wads}, {kPatchGroup, &patches}}) {
    if (paths->empty()) continue;
    parts.text.append(" ").append(group).append(" ");
    parts.arguments.emplace_back(group);
    for (const std::string& path : *paths) {
      parts.Path(path);
      parts.text += ' ';
    }
  }
}

// A window, sized where the family takes a size and one is asked for.
void AppendWindow(CommandLineParts& parts, const TestContext& context) {
  const PortDialect& dialect = context.dialect;
  const auto word = [&](std::string_view argument) {
    parts.text.append(" ").append(argument);
    parts.arguments.emplace_back(argument);
  };
  for (const std::string_view argument : dialect.windowSwitches) word(argument);
  if (dialect.windowSwitches.empty() || context.windowWidth <= 0 || context.windowHeight <= 0) {
    return;
  }
  const std::string width = std::to_string(context.windowWidth);
  const std::string height = std::to_string(context.windowHeight);
  if (dialect.size == SizeForm::Geometry) {
    word("-geometry");
    word(width + "x" + height);
  } else if (dialect.size == SizeForm::WidthHeight) {
    word("-width");
    word(width);
    word("-height");
    word(height);
  }
}

// The map as a family that takes names gets it: a map name, or a name the loaded files hold;
// none for a number or anything else, which stays "-warp".
std::optional<std::string> MapByName(const std::string& typed, const TestContext& context) {
  if (!context.dialect.mapByName) return std::nullopt;
  const std::string name = AsciiUpper(Trimmed(typed));
  if (name.empty() || name.find(' ') != std::string::npos) return std::nullopt;
  if (wad::ParseMapName(name) ||
      std::find(context.mapNames.begin(), context.mapNames.end(), name) != context.mapNames.end()) {
    return name;
  }
  return std::nullopt;
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
    case OptionControl::Choice:
      return MeaningOf(option, options.Text(option.id)) != option.choices.front().value;
  }
  return false;
}
}  // namespace

std::string_view ComplevelWord(std::string_view level) {
  for (const auto& [number, word] : kComplevelWords) {
    if (number == level) return word;
  }
  return {};
}

LaunchRequest BuildTestLaunch(const LaunchOptionValues& options,
                              const std::vector<CustomFile>& files, const TestContext& context) {
  CommandLineParts parts;
  const PortDialect& dialect = context.dialect;
  for (const LaunchOption* option : OptionsInOrder(OptionOrder::Command)) {
    if (!Applies(*option, options)) continue;
    switch (option->command) {
      case CommandPiece::None:
        break;
      case CommandPiece::Switch:
        parts.Switch(option->commandSwitch);
        break;
      case CommandPiece::SwitchAndText: {
        const std::string typed = option->id == LaunchOptionId::IWAD && context.iwad
                                      ? *context.iwad
                                      : options.Text(option->commandText);
        if (option->commandForm == TextForm::MapNumber) {
          if (const auto name = MapByName(typed, context)) {
            parts.Switch(kMapByName);
            parts.text += *name;
            parts.arguments.push_back(*name);
            break;
          }
        }
        parts.Switch(option->commandSwitch);
        const std::string text =
            option->commandForm == TextForm::MapNumber ? wad::WarpArgument(typed) : typed;
        // What the user typed is split as typed ("1 3" is two numbers); an entry's file or a
        // choice is one argument whatever it holds.
        if (OptionOf(option->commandText).control == OptionControl::TextBox) {
          parts.Typed(text);
        } else {
          parts.text += text;
          parts.arguments.push_back(text);
        }
        break;
      }
      case CommandPiece::CustomFiles:
        AppendCustomFiles(parts, files, context);
        break;
      case CommandPiece::Complevel: {
        const std::string level = options.Text(option->id);
        const std::string_view value =
            dialect.complevel == ComplevelForm::Word     ? ComplevelWord(level)
            : dialect.complevel == ComplevelForm::Number ? std::string_view(level)
                                                         : std::string_view();
        if (value.empty()) break;
        parts.Switch(kComplevel);
        parts.text += value;
        parts.arguments.emplace_back(value);
        break;
      }
      case CommandPiece::SaveFolder:
        if (dialect.saveSwitch.empty() || context.saveFolder.empty()) break;
        parts.text += ' ';
        parts.Switch(dialect.saveSwitch);
        parts.text += ' ';
        parts.Path(context.saveFolder);
        break;
      case CommandPiece::Window:
        AppendWindow(parts, context);
        break;
    }
  }
  // The port's own parameters come last, so they can override anything before them.
  if (!context.portParams.empty()) {
    parts.text += ' ';
    parts.Typed(context.portParams);
  }

  LaunchRequest request;
  request.File = options.Text(LaunchOptionId::Port);
  request.Parameters = std::move(parts.text);
  request.Directory = DirectoryOf(request.File);
  request.Arguments = std::move(parts.arguments);
  return request;
}

}  // namespace quillon
