#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/launch/LaunchRequest.h"

namespace quillon {

// The map editors Quillon knows how to hand a map to, known by their executable's name as
// the ports' families are; any other program is Other.
enum class EditorKind { Eureka, Other };

// How an editor takes what it is to open. The file always comes first, as a bare argument;
// an empty switch means the editor takes no such thing, and it is left off.
struct EditorDialect {
  std::string_view iwadSwitch;
  std::string_view mapSwitch;
};

struct EditorRow {
  EditorKind kind;
  std::string_view pattern;  // as NameMatches takes it; empty: matched by no name
  std::string_view shown;
  EditorDialect dialect;
};

// One row a kind, in the order of EditorKind.
std::span<const EditorRow> Editors();

// The kind of the editor at `path` (or a program name looked up on PATH).
EditorKind EditorFromName(std::string_view path);

// The map Edit Map opens: the PWAD that holds it, the IWAD it is made for, and its name.
struct MapToEdit {
  std::string file;
  std::optional<std::string> iwad;  // none: the editor picks its own
  std::string map;                  // "MAP07", "E2M3"
};

// Quick Launch's request for the program, with the map put before its parameters in the
// form the program's kind takes: both the text the user reads and the exact arguments (a
// path is one argument; the parameters are split as typed, as Quick Launch splits them).
LaunchRequest BuildEditLaunch(LaunchRequest program, const MapToEdit& target);

}  // namespace quillon
