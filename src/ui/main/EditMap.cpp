#include <QComboBox>
#include <algorithm>

#include "core/wad/IwadLookup.h"
#include "ui/desktop/Desktop.h"
#include "ui/desktop/QtText.h"
#include "ui/main/frmQLN2.h"

namespace quillon {

// The map is the warp box's, from the file a port would load it from: the last enabled
// PWAD that holds it, read at this moment through the cache (one stat a file read before).
std::variant<MapToEdit, QString> frmQLN2::MapToEditNow(const LaunchOptionValues& options) const {
  if (!options.IsOn(LaunchOptionId::Warp)) {
    return QStringLiteral(
        "Edit Map opens the map named beside \"Warp:\": check it and type the "
        "map to edit.");
  }
  const std::vector<StartMap> maps = StartMaps();
  const bool episodes =
      std::any_of(maps.begin(), maps.end(), [](const StartMap& m) { return m.map[0] == 'E'; });
  const std::string map = WarpedMap(episodes);
  if (map.empty()) {
    return u'"' + Qs(options.Text(LaunchOptionId::WarpTo)) +
           QStringLiteral("\" beside \"Warp:\" names no map to edit.");
  }
  const auto holder =
      std::find_if(maps.begin(), maps.end(), [&](const StartMap& m) { return m.map == map; });
  if (holder == maps.end() || holder->fromIwad) {
    if (!options.IsOn(LaunchOptionId::UseFiles)) {
      return QStringLiteral("Custom files are off: check \"Enable\" to edit ") + Qs(map) +
             QStringLiteral(" from its PWAD.");
    }
    const QString only = holder == maps.end() ? QString() : QStringLiteral("; only the IWAD does");
    return QStringLiteral("No enabled PWAD holds ") + Qs(map) + only + u'.';
  }
  MapToEdit target{holder->file, std::nullopt, map};
  // The editor runs in its own folder, as Quick Launch starts it: an IWAD it would not find
  // there by the entry's name is given in full where Quillon finds it.
  if (const auto& iwad = options.Get(LaunchOptionId::IWAD)) {
    target.iwad =
        wad::IwadArgument(*iwad, options.Text(LaunchOptionId::Prog), wadFacts_->Places(), false);
  }
  return target;
}

void frmQLN2::EditMap() {
  const auto chosen = OptionsToStart(cmbProgs);
  if (!chosen) return;
  const auto target = MapToEditNow(*chosen);
  if (const QString* why = std::get_if<QString>(&target)) {
    desktop_.Tell(this, *why, MessageIcon::Exclamation);
    return;
  }
  StartProgram(BuildEditLaunch(ProgramRequest(*chosen), std::get<MapToEdit>(target)));
}

}  // namespace quillon
