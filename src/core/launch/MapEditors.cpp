#include "core/launch/MapEditors.h"

#include <utility>

#include "core/launch/CommandLine.h"
#include "core/launch/PortFamily.h"

namespace quillon {

namespace {

using enum EditorKind;

// Eureka's manual page (eureka(6), "OPTIONS"): "eureka [FILE...] [OPTION...]", the IWAD
// after "-iwad" (or --iwad), the map after "-warp" as its full name ("MAP12", "E3M7").
// clang-format off
constexpr EditorRow kEditors[] = {
    {Eureka, "eureka", "Eureka", {.iwadSwitch = " -iwad ", .mapSwitch = " -warp "}},
    {Other, "", "Other", {}},
};
// clang-format on

constexpr bool RowsInKindOrder() {
  for (std::size_t i = 0; i < std::size(kEditors); ++i) {
    if (static_cast<std::size_t>(kEditors[i].kind) != i) return false;
  }
  return true;
}
static_assert(RowsInKindOrder(), "a row's place is its kind");

}  // namespace

std::span<const EditorRow> Editors() {
  return kEditors;
}

EditorKind EditorFromName(std::string_view path) {
  const std::string name = EngineName(path);
  for (const EditorRow& row : kEditors) {
    if (!row.pattern.empty() && NameMatches(row.pattern, name)) return row.kind;
  }
  return Other;
}

LaunchRequest BuildEditLaunch(LaunchRequest program, const MapToEdit& target) {
  const EditorDialect& dialect =
      kEditors[static_cast<std::size_t>(EditorFromName(program.File))].dialect;
  CommandLineParts parts;
  parts.Path(target.file);
  if (target.iwad && !dialect.iwadSwitch.empty()) {
    parts.Switch(dialect.iwadSwitch);
    parts.Path(*target.iwad);
  }
  if (!dialect.mapSwitch.empty()) {
    parts.Switch(dialect.mapSwitch);
    parts.Typed(target.map);
  }
  if (!program.Parameters.empty()) {
    parts.text += ' ';
    parts.Typed(program.Parameters);
  }
  program.Parameters = std::move(parts.text);
  program.Arguments = std::move(parts.arguments);
  return program;
}

}  // namespace quillon
