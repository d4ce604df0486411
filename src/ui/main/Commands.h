#pragma once

#include <cstddef>

namespace quillon {

// Every command the main window offers the user: by a button, a menu item, or both.
enum class CommandId {
  Test,
  TestSeveralPorts,
  CopyCommandLine,
  StartHere,
  EditMap,
  RestartOnSave,
  SaveScheme,
  LoadScheme,
  Exit,
  SetupPorts,
  SetupIWADs,
  SetupPrograms,
  FindInstalled,
  Help,
  About,
  Launch,
  AddPWAD,
  AddPatch,
  RemoveFile,
  Count  // not a command: how many there are
};
inline constexpr auto kCommandCount = static_cast<std::size_t>(CommandId::Count);

}  // namespace quillon
