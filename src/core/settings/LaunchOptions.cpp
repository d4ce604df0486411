#include "core/settings/LaunchOptions.h"

#include <algorithm>

#include "core/settings/NumberConversion.h"

namespace quillon {

namespace {

using enum LaunchOptionId;
using enum OptionControl;

constexpr OptionChoice kSkills[] = {
    {"0", "None"},
    {"1", "1: I'm too young to die"},
    {"2", "2: Hey, not too rough"},
    {"3", "3: Hurt me plenty"},
    {"4", "4: Ultra-Violence"},
    {"5", "5: Nightmare!"},
};
constexpr OptionChoice kComplevels[] = {
    {"", "Automatic"}, {"2", "2: Doom 1.9"}, {"3", "3: Ultimate Doom"}, {"4", "4: Final Doom"},
    {"9", "9: Boom"},  {"11", "11: MBF"},    {"21", "21: MBF21"},
};

// One row an option, in the order of its ids.
// clang-format off
constexpr LaunchOption kOptions[] = {
    {.id = Port, .key = "Port", .control = List, .controlName = "cmbPorts",
     .tip = "List of source ports. Click setup to edit.", .list = ListId::Ports,
     .memoryDefault = "0", .schemeDefault = "",
     .entryWord = "port"},
    {.id = IWAD, .key = "IWAD", .control = List, .controlName = "cmbIWADs",
     .tip = "List of IWADs. Click setup to edit.", .list = ListId::IWADs,
     .memoryDefault = "0", .schemeDefault = "",
     .command = CommandPiece::SwitchAndText, .commandSwitch = " -iwad ", .commandText = IWAD,
     .entryWord = "IWAD"},
    {.id = Prog, .key = "Prog", .control = List, .controlName = "cmbProgs",
     .tip = "List of programs. Click setup to edit.", .list = ListId::Programs,
     .memoryDefault = "0"},
    {.id = UseFiles, .key = "UseFiles", .control = CheckBox, .controlName = "chkEnableFiles",
     .caption = "Enable",
     .tipWhenOn = "Click to disable custom files", .tipWhenOff = "Click to enable custom files",
     .memoryDefault = "0", .schemeDefault = "0",
     .command = CommandPiece::CustomFiles},
    // Not remembered between runs; a scheme keeps it.
    {.id = ExitOnTest, .key = "ExitOnTest", .control = CheckBox, .controlName = "chkCloseOnTest",
     .caption = "Exit when testing",
     .tipWhenOn = "Program will exit upon clicking test",
     .tipWhenOff = "Program will not exit upon clicking test",
     .memoryDefault = "0", .schemeDefault = "0", .remembered = false},
    {.id = Warp, .key = "Warp", .control = CheckBox, .controlName = "chkWarp", .caption = "Warp:",
     .startsOn = true, .tipWhenOn = "Level warp is on", .tipWhenOff = "Level warp is off",
     .memoryDefault = "0", .schemeDefault = "0",
     .command = CommandPiece::SwitchAndText, .commandSwitch = " -warp ", .commandText = WarpTo,
     .commandForm = TextForm::MapNumber},
    {.id = WarpTo, .key = "WarpTo", .control = TextBox, .controlName = "txtWarp", .caption = "1",
     .memoryDefault = "1", .schemeDefault = "1",
     .emptyKeepsControl = true},
    // The "No ..." boxes' tips name what a click would do next.
    {.id = NoMonsters, .key = "NoMonsters", .control = CheckBox, .controlName = "chkNoMonsters",
     .caption = "No Monsters",
     .tipWhenOn = "Click to enable monsters", .tipWhenOff = "Click to disable monsters",
     .memoryDefault = "0", .schemeDefault = "0",
     .command = CommandPiece::Switch, .commandSwitch = " -nomonsters"},
    {.id = NoMusic, .key = "NoMusic", .control = CheckBox, .controlName = "chkNoMusic",
     .caption = "No Music",
     .tipWhenOn = "Click to enable MIDI music", .tipWhenOff = "Click to disable MIDI music",
     .memoryDefault = "0", .schemeDefault = "0",
     .command = CommandPiece::Switch, .commandSwitch = " -nomusic"},
    {.id = NoSound, .key = "NoSound", .control = CheckBox, .controlName = "chkNoSound",
     .caption = "No Sound",
     .tipWhenOn = "Click to enable wave sounds", .tipWhenOff = "Click to disable wave sounds",
     .memoryDefault = "0", .schemeDefault = "0",
     .command = CommandPiece::Switch, .commandSwitch = " -nosound"},
    {.id = NoCD, .key = "NoCD", .control = CheckBox, .controlName = "chkNoCD",
     .caption = "No CD Music",
     .tipWhenOn = "Click to enable CD music", .tipWhenOff = "Click to disable CD music",
     .memoryDefault = "0", .schemeDefault = "0",
     .command = CommandPiece::Switch, .commandSwitch = " -nocd"},
    {.id = OpenGL, .key = "OpenGL", .control = CheckBox, .controlName = "chkGLmode",
     .caption = "OpenGL Mode",
     .memoryDefault = "0", .schemeDefault = "0",
     .command = CommandPiece::Switch, .commandSwitch = " -opengl"},
    // The free parameters always go on, after a blank, even when empty.
    {.id = Params, .key = "Params", .control = TextBox, .controlName = "txtParams",
     .tip = "Type any additional parameters here.",
     .schemeDefault = "",
     .command = CommandPiece::SwitchAndText, .commandSwitch = " ", .commandText = Params},
    {.id = ProgParams, .key = "ProgParams", .control = TextBox, .controlName = "txtProgParams",
     .tip = "Type any parameters to send to your program here."},
    {.id = Skill, .key = "Skill", .control = Choice, .controlName = "cmbSkill",
     .caption = "Skill:", .tip = "The skill the port starts the map at",
     .command = CommandPiece::SwitchAndText, .commandSwitch = " -skill ", .commandText = Skill,
     .choices = kSkills, .addedLater = true},
    {.id = Complevel, .key = "Complevel", .control = Choice, .controlName = "cmbComplevel",
     .caption = "Compatibility:",
     .tip = "The compatibility level the Boom family plays the map at",
     .command = CommandPiece::Complevel, .choices = kComplevels, .addedLater = true},
    {.id = SaveFolders, .key = "SaveFolders", .control = CheckBox, .controlName = "chkSaveFolders",
     .caption = "Keep saves apart",
     .tip = "Each port saves into a folder of its own for this map "
            "(Eternity, Odamex and unknown ports are not told)",
     .command = CommandPiece::SaveFolder, .addedLater = true},
    {.id = Windowed, .key = "Windowed", .control = CheckBox, .controlName = "chkWindowed",
     .caption = "Windowed",
     .tip = "Each port starts in a window; Test in Several Ports sizes them to sit side by side "
            "(Eternity, Odamex and unknown ports are not told)",
     .command = CommandPiece::Window, .addedLater = true},
};
// clang-format on
static_assert(std::size(kOptions) == kLaunchOptionCount);

constexpr bool RowsMatchTheirIds() {
  for (std::size_t i = 0; i < std::size(kOptions); ++i) {
    if (static_cast<std::size_t>(kOptions[i].id) != i) return false;
  }
  return true;
}
static_assert(RowsMatchTheirIds(), "a row's place in the table is its id");

// Each order names its options once each: the command line puts -opengl before -nocd, the
// files keep NoCD before OpenGL.
// The options added later come after all the others, in each order.
constexpr LaunchOptionId kMemoryOrder[] = {
    Port,    IWAD, Prog,   UseFiles, ExitOnTest, Warp,  WarpTo,    NoMonsters,  NoMusic,
    NoSound, NoCD, OpenGL, Params,   ProgParams, Skill, Complevel, SaveFolders, Windowed};
constexpr LaunchOptionId kRestoreOrder[] = {
    Port,    IWAD,    Prog, UseFiles, Params, ProgParams, Warp,        WarpTo,  NoMonsters,
    NoMusic, NoSound, NoCD, OpenGL,   Skill,  Complevel,  SaveFolders, Windowed};
constexpr LaunchOptionId kSchemeOrder[] = {
    Port,    IWAD, Params, ExitOnTest, Warp,  WarpTo,    NoMonsters,  NoMusic,
    NoSound, NoCD, OpenGL, UseFiles,   Skill, Complevel, SaveFolders, Windowed};
constexpr LaunchOptionId kCommandOrder[] = {IWAD,      UseFiles,    Warp,    Params, NoMonsters,
                                            NoMusic,   NoSound,     OpenGL,  NoCD,   Skill,
                                            Complevel, SaveFolders, Windowed};

constexpr bool AnyOption(const LaunchOption&) {
  return true;
}
constexpr bool IsRemembered(const LaunchOption& option) {
  return option.remembered;
}
constexpr bool HasSchemeLine(const LaunchOption& option) {
  return option.schemeDefault || option.addedLater;
}
constexpr bool PutsOnCommand(const LaunchOption& option) {
  return option.command != CommandPiece::None;
}

// An order holds every option of its kind exactly once, and no other.
template <std::size_t N>
constexpr bool IsOrderOf(const LaunchOptionId (&order)[N], bool (*belongs)(const LaunchOption&)) {
  std::array<int, kLaunchOptionCount> seen{};
  for (const LaunchOptionId id : order) {
    const auto index = static_cast<std::size_t>(id);
    if (index >= kLaunchOptionCount || ++seen[index] > 1 || !belongs(kOptions[index])) {
      return false;
    }
  }
  for (std::size_t i = 0; i < kLaunchOptionCount; ++i) {
    if (belongs(kOptions[i]) && seen[i] == 0) return false;
  }
  return true;
}
static_assert(IsOrderOf(kMemoryOrder, AnyOption), "[Memory] holds every option once");
static_assert(IsOrderOf(kRestoreOrder, IsRemembered), "start-up restores each remembered one");
static_assert(IsOrderOf(kSchemeOrder, HasSchemeLine), "a scheme holds each of its options");
static_assert(IsOrderOf(kCommandOrder, PutsOnCommand), "the command line takes each of its own");

template <std::size_t N>
constexpr std::array<const LaunchOption*, N> RowsOf(const LaunchOptionId (&order)[N]) {
  std::array<const LaunchOption*, N> rows{};
  for (std::size_t i = 0; i < N; ++i) rows[i] = &kOptions[static_cast<std::size_t>(order[i])];
  return rows;
}
constexpr auto kMemoryRows = RowsOf(kMemoryOrder);
constexpr auto kRestoreRows = RowsOf(kRestoreOrder);
constexpr auto kSchemeRows = RowsOf(kSchemeOrder);
constexpr auto kCommandRows = RowsOf(kCommandOrder);

}  // namespace

const LaunchOption& OptionOf(LaunchOptionId id) {
  return kOptions[static_cast<std::size_t>(id)];
}

std::span<const LaunchOption* const> OptionsInOrder(OptionOrder order) {
  switch (order) {
    case OptionOrder::Memory:
      return kMemoryRows;
    case OptionOrder::Restore:
      return kRestoreRows;
    case OptionOrder::Scheme:
      return kSchemeRows;
    case OptionOrder::Command:
      return kCommandRows;
  }
  return {};
}

std::string MeaningOf(const LaunchOption& option, std::string_view stored) {
  if (!option.addedLater) return std::string(stored);
  if (option.control == OptionControl::CheckBox) {
    const auto number = ToInt16(stored);
    return number && *number != 0 ? "1" : "0";
  }
  for (const OptionChoice& choice : option.choices) {
    if (choice.value == stored) return std::string(choice.value);
  }
  return option.choices.empty() ? std::string() : std::string(option.choices.front().value);
}

bool NeedsWrite(const LaunchOption& option, std::string_view stored, std::string_view value) {
  if (!option.addedLater) return true;
  return MeaningOf(option, stored) != MeaningOf(option, value);
}

bool LaunchOptionValues::IsOn(LaunchOptionId id) const {
  const auto& value = Get(id);
  if (!value) return false;
  const auto number = ToInt16(*value);
  return number && *number != 0;
}

}  // namespace quillon
