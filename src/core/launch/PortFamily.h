#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quillon {

// The engines fall into families that share a command line. A port's family comes from its
// executable's name (or its Flatpak application id), unless the user chose one for it.
enum class PortFamily { Chocolate, Boom, ZDoom, Eternity, Odamex, Other };

// How an engine takes a compatibility level: not at all, as the number, or as the word its
// manual page lists (vanilla, boom, mbf, mbf21).
enum class ComplevelForm { None, Number, Word };

// How an engine takes a window's size: not at all, "-geometry WxH", or "-width W -height H".
enum class SizeForm { None, Geometry, WidthHeight };

// What a family puts on the line beyond what every port takes. Each is from the engines'
// own documentation (docs/ENGINES.md).
struct PortDialect {
  PortFamily family = PortFamily::Other;
  bool mapByName = false;  // "+map MAP07" rather than "-warp 7"
  ComplevelForm complevel = ComplevelForm::None;
  std::string_view saveSwitch = {};  // empty: the family takes no folder for its saves
  // PWADs that bring their own sprites or flats go under "-merge", as "-file" misses them.
  bool mergesGraphics = false;
  // The arguments that start it in a window rather than full screen; none: it has none.
  std::span<const std::string_view> windowSwitches = {};
  SizeForm size = SizeForm::None;
  // Looks for an IWAD given by name in the IWAD folders (IwadFolders), as its manual page
  // says; otherwise only its own folder is counted on, and Test gives the full path.
  bool searchesIwadFolders = false;
};

struct FamilyRow {
  PortFamily family;
  std::string_view key;    // as kept in Port<n>Family
  std::string_view shown;  // as the dialogs name it
  PortDialect dialect;
};

// One row a family, in the order of PortFamily.
std::span<const FamilyRow> Families();
const FamilyRow& FamilyOf(PortFamily family);

// The family a Port<n>Family value names; none for an empty or unknown value.
std::optional<PortFamily> FamilyFromKey(std::string_view key);

// An executable's name as the table matches it: its file name in lower case, without ".exe"
// and without a version suffix ("GZDoom-4.11.exe" -> "gzdoom"); for a Flatpak the table
// knows, the engine it runs ("org.zdoom.GZDoom" -> "gzdoom").
std::string EngineName(std::string_view path);

// Whether an engine name (as EngineName gives it) is `pattern`: a name, or with a trailing
// '*' every longer name that begins so ("chocolate-*").
bool NameMatches(std::string_view pattern, std::string_view name);

// The family the table knows for an executable's path or a Flatpak application id; none when
// the name is nothing it knows.
std::optional<PortFamily> FamilyFromName(std::string_view path);

// An engine the table knows by its Flatpak application id, and the name its entry gets.
struct FlatpakEngine {
  std::string_view applicationId;
  std::string_view listName;
  PortFamily family;
  std::string_view engine;  // the executable it runs, as EngineName gives it
};
std::span<const FlatpakEngine> FlatpakEngines();
const FlatpakEngine* FlatpakEngineOf(std::string_view applicationId);

// The family a port is started as: the chosen one when `chosenKey` names one, else from its
// name, else Other.
PortFamily EffectiveFamily(std::string_view chosenKey, std::string_view path);

// The dialect of a port of `family` at `path`: the family's, with the few differences the
// engine itself has (Chocolate Doom alone merges graphics; Woof! takes complevel words).
PortDialect DialectOf(PortFamily family, std::string_view path);

}  // namespace quillon
