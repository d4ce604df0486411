#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings/ConfigLayout.h"

namespace quillon {

// Every option the main window offers for a launch. The table below says, once for each,
// where it is kept, what its control shows and what it puts on the command line; the window
// and the files are driven from it.
enum class LaunchOptionId {
  Port,
  IWAD,
  Prog,
  UseFiles,
  ExitOnTest,
  Warp,
  WarpTo,
  NoMonsters,
  NoMusic,
  NoSound,
  NoCD,
  OpenGL,
  Params,
  ProgParams,
  Skill,
  Complevel,
  SaveFolders,
  Windowed,
  Count  // not an option: how many there are
};
inline constexpr auto kLaunchOptionCount = static_cast<std::size_t>(LaunchOptionId::Count);

// The control that shows an option: a pick from one of the drop-down lists, a check box, a
// text box, or a pick from a fixed set of choices.
enum class OptionControl { List, CheckBox, TextBox, Choice };

// One item of a Choice option: the value kept in the files and the text shown. The first
// item of a set is the option's default.
struct OptionChoice {
  std::string_view value;
  std::string_view shown;
};

// What an option adds to the command line, when its check box is on, its list has an entry
// chosen, its choice is other than the first, or (a text box) always: its switch alone, its
// switch followed by the text of `commandText`, the custom file groups, or what the port's
// family takes for a compatibility level or a folder of its own for saves.
enum class CommandPiece { None, Switch, SwitchAndText, CustomFiles, Complevel, SaveFolder, Window };

// How a text goes on the command line: as it is, or a map name turned into the numbers the
// ports take ("MAP07" -> "7", "E2M3" -> "2 3"; any other text as typed).
enum class TextForm { AsTyped, MapNumber };

struct LaunchOption {
  LaunchOptionId id;
  std::string_view key;  // in [Memory] and in a scheme's section
  OptionControl control;
  std::string_view controlName;  // the control's name, as the user and the tests know it
  std::string_view caption = {};
  std::string_view tip = {};  // a tip that never changes
  bool startsOn = false;      // a check box's state before anything is restored
  // A check box's tip that follows its state; empty: none.
  std::string_view tipWhenOn = {};
  std::string_view tipWhenOff = {};
  ListId list = ListId::Files;  // a List option's list
  // What a new file holds: nullptr leaves the key out of it.
  const char* memoryDefault = nullptr;
  const char* schemeDefault = nullptr;
  // Restored at start-up and written back at close; off: only a new file's line keeps it.
  bool remembered = true;
  CommandPiece command = CommandPiece::None;
  std::string_view commandSwitch = {};
  LaunchOptionId commandText = LaunchOptionId::Port;
  TextForm commandForm = TextForm::AsTyped;
  // A stored empty text leaves the control as it is.
  bool emptyKeepsControl = false;
  // What the scheme's "no longer exists" message calls the list's entry.
  std::string_view entryWord = {};
  // A Choice option's items.
  std::span<const OptionChoice> choices = {};
  // An option added after the first files were written: absent from a new file and a new
  // scheme, written only when its value means other than what the file holds already, and
  // a value it does not know means its default (and stays in the file as written).
  bool addedLater = false;
};

const LaunchOption& OptionOf(LaunchOptionId id);

// What a stored text means for an option added later, as the value its control would show:
// a Choice's known value, else its first; a check box's "1" or "0". Other options: the text.
std::string MeaningOf(const LaunchOption& option, std::string_view stored);

// Whether writing `value` over `stored` changes anything the program reads back.
bool NeedsWrite(const LaunchOption& option, std::string_view stored, std::string_view value);

// The orders the files and the command line have always had. Memory: the lines of a new
// file and the writes at close (every option). Restore: start-up (the remembered ones).
// Scheme: a scheme's lines, writes and reads (those with a scheme default). Command: the
// command line (those that put something on it).
enum class OptionOrder { Memory, Restore, Scheme, Command };

std::span<const LaunchOption* const> OptionsInOrder(OptionOrder order);

// One value for each option, as text: "1" or "0" for a check box, the text of a text box,
// and for a list whatever the reader asked for (the shown text, the remembered number, the
// entry's file); no value: no entry chosen.
class LaunchOptionValues {
 public:
  const std::optional<std::string>& Get(LaunchOptionId id) const { return values_[Index(id)]; }
  std::string Text(LaunchOptionId id) const { return Get(id).value_or(std::string()); }
  bool IsOn(LaunchOptionId id) const;

  void Set(LaunchOptionId id, std::optional<std::string> value) {
    values_[Index(id)] = std::move(value);
  }
  void Set(LaunchOptionId id, const char* value) { Set(id, std::optional<std::string>(value)); }
  void Set(LaunchOptionId id, bool on) { Set(id, on ? "1" : "0"); }

 private:
  static std::size_t Index(LaunchOptionId id) { return static_cast<std::size_t>(id); }
  std::array<std::optional<std::string>, kLaunchOptionCount> values_;
};

// One listed custom file: its name and where it lies, either its directory (ending in a
// separator) or its full path; only the part up to the last separator is used.
struct CustomFile {
  std::string name;
  std::string location;
};

}  // namespace quillon
