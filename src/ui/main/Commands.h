#pragma once

#include <cstddef>

namespace quillon {

// Every command the main window offers the user: by a button, a menu item, or both.
enum class CommandId {
  Test,
  TestSeveralPorts,
  CopyCommandLine,
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
};
inline constexpr std::size_t kCommandCount = 16;

}  // namespace quillon
