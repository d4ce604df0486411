#include "core/launch/PortFamily.h"

#include <algorithm>
#include <cctype>

#include "core/files/PathHelpers.h"

namespace quillon {

namespace {

using enum PortFamily;

constexpr std::string_view kWindow[] = {"-window"};
constexpr std::string_view kZDoomWindow[] = {"+fullscreen", "0"};

// The switches, from each engine's manual page or wiki page (docs/ENGINES.md).
// clang-format off
constexpr FamilyRow kFamilies[] = {
    {Chocolate, "chocolate", "Chocolate Doom",
     {.family = Chocolate, .saveSwitch = "-savedir", .windowSwitches = kWindow,
      .size = SizeForm::Geometry, .searchesIwadFolders = true}},
    {Boom, "boom", "Boom",
     {.family = Boom, .complevel = ComplevelForm::Number, .saveSwitch = "-save",
      .windowSwitches = kWindow, .size = SizeForm::WidthHeight}},
    {ZDoom, "zdoom", "ZDoom",
     {.family = ZDoom, .mapByName = true, .saveSwitch = "-savedir",
      .windowSwitches = kZDoomWindow, .size = SizeForm::WidthHeight}},
    {Eternity, "eternity", "Eternity", {.family = Eternity}},
    {Odamex, "odamex", "Odamex", {.family = Odamex}},
    {Other, "other", "Other", {.family = Other}},
};
// clang-format on

constexpr bool RowsInFamilyOrder() {
  for (std::size_t i = 0; i < std::size(kFamilies); ++i) {
    if (static_cast<std::size_t>(kFamilies[i].family) != i ||
        kFamilies[i].dialect.family != kFamilies[i].family) {
      return false;
    }
  }
  return true;
}
static_assert(RowsInFamilyOrder(), "a row's place is its family");

struct FamilyName {
  std::string_view pattern;
  PortFamily family;
};
constexpr FamilyName kNames[] = {
    {"chocolate-*", Chocolate}, {"crispy-*", Chocolate},
    {"doomretro", Chocolate},   {"russian-doom", Chocolate},
    {"prboom", Boom},           {"prboom-plus", Boom},
    {"glboom", Boom},           {"glboom-plus", Boom},
    {"dsda-doom", Boom},        {"woof", Boom},
    {"nugget-doom", Boom},      {"cherry-doom", Boom},
    {"gzdoom", ZDoom},          {"zdoom", ZDoom},
    {"lzdoom", ZDoom},          {"qzdoom", ZDoom},
    {"zandronum", ZDoom},       {"vkdoom", ZDoom},
    {"uzdoom", ZDoom},          {"eternity", Eternity},
    {"odamex", Odamex},
};

// The Flathub ids, each as its Flathub submission or the engine's own tracker states it
// (docs/IWAD-SEARCH.md).
constexpr FlatpakEngine kFlatpaks[] = {
    {"org.chocolate_doom.ChocolateDoom", "Chocolate Doom", Chocolate, "chocolate-doom"},
    {"io.github.fabiangreffrath.Doom", "Crispy Doom", Chocolate, "crispy-doom"},
    {"org.zdoom.GZDoom", "GZDoom", ZDoom, "gzdoom"},
    {"org.zdoom.UZDoom", "UZDoom", ZDoom, "uzdoom"},
    {"com.zandronum.Zandronum", "Zandronum", ZDoom, "zandronum"},
    {"net.odamex.Odamex", "Odamex", Odamex, "odamex"},
};

// "-4.11", "-0.25.6", "_2": a separator and digits with dots, at the end.
std::string_view WithoutVersion(std::string_view name) {
  const auto separator = name.find_last_of("-_");
  if (separator == std::string_view::npos || separator == 0 || separator + 1 == name.size()) {
    return name;
  }
  const std::string_view version = name.substr(separator + 1);
  const bool numeric = std::isdigit(static_cast<unsigned char>(version.front())) &&
                       version.find_first_not_of("0123456789.") == std::string_view::npos;
  return numeric ? name.substr(0, separator) : name;
}

}  // namespace

bool NameMatches(std::string_view pattern, std::string_view name) {
  if (pattern.ends_with('*')) {
    pattern.remove_suffix(1);
    return name.size() > pattern.size() && name.starts_with(pattern);
  }
  return name == pattern;
}

std::span<const FamilyRow> Families() {
  return kFamilies;
}

const FamilyRow& FamilyOf(PortFamily family) {
  return kFamilies[static_cast<std::size_t>(family)];
}

std::optional<PortFamily> FamilyFromKey(std::string_view key) {
  for (const FamilyRow& row : kFamilies) {
    if (row.key == key) return row.family;
  }
  return std::nullopt;
}

std::string EngineName(std::string_view path) {
  if (const FlatpakEngine* engine = FlatpakEngineOf(FileNameOf(path))) {
    return std::string(engine->engine);
  }
  std::string name = AsciiLower(FileNameOf(path));
  if (name.ends_with(".exe")) name.resize(name.size() - 4);
  return std::string(WithoutVersion(name));
}

std::span<const FlatpakEngine> FlatpakEngines() {
  return kFlatpaks;
}

const FlatpakEngine* FlatpakEngineOf(std::string_view applicationId) {
  const std::string id = AsciiLower(applicationId);
  for (const FlatpakEngine& engine : kFlatpaks) {
    if (AsciiLower(engine.applicationId) == id) return &engine;
  }
  return nullptr;
}

std::optional<PortFamily> FamilyFromName(std::string_view path) {
  if (const FlatpakEngine* engine = FlatpakEngineOf(FileNameOf(path))) return engine->family;
  const std::string name = EngineName(path);
  for (const FamilyName& known : kNames) {
    if (NameMatches(known.pattern, name)) return known.family;
  }
  return std::nullopt;
}

PortFamily EffectiveFamily(std::string_view chosenKey, std::string_view path) {
  if (const auto chosen = FamilyFromKey(chosenKey)) return *chosen;
  return FamilyFromName(path).value_or(Other);
}

PortDialect DialectOf(PortFamily family, std::string_view path) {
  PortDialect dialect = FamilyOf(family).dialect;
  const std::string name = EngineName(path);
  // Crispy Doom and the others of the family see a PWAD's sprites and flats with -file.
  if (family == Chocolate && name == "chocolate-doom") dialect.mergesGraphics = true;
  // Woof!'s manual page lists complevel words, -window with no size, and the IWAD folders
  // Chocolate Doom's lists.
  if (family == Boom && name == "woof") {
    dialect.complevel = ComplevelForm::Word;
    dialect.size = SizeForm::None;
    dialect.searchesIwadFolders = true;
  }
  return dialect;
}

}  // namespace quillon
