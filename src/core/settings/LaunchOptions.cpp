#include "core/settings/LaunchOptions.h"

#include <algorithm>

#include "core/settings/NumberConversion.h"

namespace quillon {

namespace {

using enum LaunchOptionId;
using enum OptionControl;

// Rows in [Memory] order. Each order the files and the command line use is carried by its
// own column: the command line puts -opengl before -nocd, the files keep NoCD before OpenGL.
// clang-format off
constexpr LaunchOption kOptions[] = {
    {.id = Port, .key = "Port", .control = List, .controlName = "cmbPorts",
     .tip = "List of source ports. Click setup to edit.", .list = ListId::Ports,
     .memoryDefault = "0", .schemeDefault = "",
     .memoryPlace = 1, .restorePlace = 1, .schemePlace = 1,
     .entryWord = "port"},
    {.id = IWAD, .key = "IWAD", .control = List, .controlName = "cmbIWADs",
     .tip = "List of IWADs. Click setup to edit.", .list = ListId::IWADs,
     .memoryDefault = "0", .schemeDefault = "",
     .memoryPlace = 2, .restorePlace = 2, .schemePlace = 2, .commandPlace = 1,
     .command = CommandPiece::SwitchAndText, .commandSwitch = " -iwad ", .commandText = IWAD,
     .entryWord = "IWAD"},
    {.id = Prog, .key = "Prog", .control = List, .controlName = "cmbProgs",
     .tip = "List of programs. Click setup to edit.", .list = ListId::Programs,
     .memoryDefault = "0",
     .memoryPlace = 3, .restorePlace = 3},
    {.id = UseFiles, .key = "UseFiles", .control = CheckBox, .controlName = "chkEnableFiles",
     .caption = "Enable",
     .tipWhenOn = "Click to disable custom files", .tipWhenOff = "Click to enable custom files",
     .memoryDefault = "0", .schemeDefault = "0",
     .memoryPlace = 4, .restorePlace = 4, .schemePlace = 12, .commandPlace = 2,
     .command = CommandPiece::CustomFiles},
    // Not remembered between runs; a scheme keeps it.
    {.id = ExitOnTest, .key = "ExitOnTest", .control = CheckBox, .controlName = "chkCloseOnTest",
     .caption = "Exit when testing",
     .tipWhenOn = "Program will exit upon clicking test",
     .tipWhenOff = "Program will not exit upon clicking test",
     .memoryDefault = "0", .schemeDefault = "0",
     .memoryPlace = 5, .schemePlace = 4},
    {.id = Warp, .key = "Warp", .control = CheckBox, .controlName = "chkWarp", .caption = "Warp:",
     .startsOn = true, .tipWhenOn = "Level warp is on", .tipWhenOff = "Level warp is off",
     .memoryDefault = "0", .schemeDefault = "0",
     .memoryPlace = 6, .restorePlace = 7, .schemePlace = 5, .commandPlace = 3,
     .command = CommandPiece::SwitchAndText, .commandSwitch = " -warp ", .commandText = WarpTo,
     .commandForm = TextForm::MapNumber},
    {.id = WarpTo, .key = "WarpTo", .control = TextBox, .controlName = "txtWarp", .caption = "1",
     .memoryDefault = "1", .schemeDefault = "1",
     .memoryPlace = 7, .restorePlace = 8, .schemePlace = 6,
     .emptyKeepsControl = true},
    // The "No ..." boxes' tips name what a click would do next.
    {.id = NoMonsters, .key = "NoMonsters", .control = CheckBox, .controlName = "chkNoMonsters",
     .caption = "No Monsters",
     .tipWhenOn = "Click to enable monsters", .tipWhenOff = "Click to disable monsters",
     .memoryDefault = "0", .schemeDefault = "0",
     .memoryPlace = 8, .restorePlace = 9, .schemePlace = 7, .commandPlace = 5,
     .command = CommandPiece::Switch, .commandSwitch = " -nomonsters"},
    {.id = NoMusic, .key = "NoMusic", .control = CheckBox, .controlName = "chkNoMusic",
     .caption = "No Music",
     .tipWhenOn = "Click to enable MIDI music", .tipWhenOff = "Click to disable MIDI music",
     .memoryDefault = "0", .schemeDefault = "0",
     .memoryPlace = 9, .restorePlace = 10, .schemePlace = 8, .commandPlace = 6,
     .command = CommandPiece::Switch, .commandSwitch = " -nomusic"},
    {.id = NoSound, .key = "NoSound", .control = CheckBox, .controlName = "chkNoSound",
     .caption = "No Sound",
     .tipWhenOn = "Click to enable wave sounds", .tipWhenOff = "Click to disable wave sounds",
     .memoryDefault = "0", .schemeDefault = "0",
     .memoryPlace = 10, .restorePlace = 11, .schemePlace = 9, .commandPlace = 7,
     .command = CommandPiece::Switch, .commandSwitch = " -nosound"},
    {.id = NoCD, .key = "NoCD", .control = CheckBox, .controlName = "chkNoCD",
     .caption = "No CD Music",
     .tipWhenOn = "Click to enable CD music", .tipWhenOff = "Click to disable CD music",
     .memoryDefault = "0", .schemeDefault = "0",
     .memoryPlace = 11, .restorePlace = 12, .schemePlace = 10, .commandPlace = 9,
     .command = CommandPiece::Switch, .commandSwitch = " -nocd"},
    {.id = OpenGL, .key = "OpenGL", .control = CheckBox, .controlName = "chkGLmode",
     .caption = "OpenGL Mode",
     .memoryDefault = "0", .schemeDefault = "0",
     .memoryPlace = 12, .restorePlace = 13, .schemePlace = 11, .commandPlace = 8,
     .command = CommandPiece::Switch, .commandSwitch = " -opengl"},
    // The free parameters always go on, after a blank, even when empty.
    {.id = Params, .key = "Params", .control = TextBox, .controlName = "txtParams",
     .tip = "Type any additional parameters here.",
     .schemeDefault = "",
     .memoryPlace = 13, .restorePlace = 5, .schemePlace = 3, .commandPlace = 4,
     .command = CommandPiece::SwitchAndText, .commandSwitch = " ", .commandText = Params},
    {.id = ProgParams, .key = "ProgParams", .control = TextBox, .controlName = "txtProgParams",
     .tip = "Type any parameters to send to your program here.",
     .memoryPlace = 14, .restorePlace = 6},
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

}  // namespace

const LaunchOption& OptionOf(LaunchOptionId id) {
  return kOptions[static_cast<std::size_t>(id)];
}

std::vector<const LaunchOption*> OptionsInOrder(int LaunchOption::*place) {
  std::vector<const LaunchOption*> options;
  for (const LaunchOption& option : kOptions) {
    if (option.*place != 0) options.push_back(&option);
  }
  std::sort(options.begin(), options.end(), [place](const LaunchOption* a, const LaunchOption* b) {
    return a->*place < b->*place;
  });
  return options;
}

bool LaunchOptionValues::IsOn(LaunchOptionId id) const {
  const auto& value = Get(id);
  if (!value) return false;
  const auto number = ToInt16(*value);
  return number && *number != 0;
}

}  // namespace quillon
