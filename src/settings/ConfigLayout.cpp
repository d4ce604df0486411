#include "settings/ConfigLayout.h"

#include <array>

namespace quillon {

namespace {
constexpr std::array<ListKind, 4> kKinds{{
    {ListId::Ports, "Ports", "Port", "Path", "NumPorts"},
    {ListId::IWADs, "IWADs", "IWAD", "File", "NumIWADs"},
    {ListId::Programs, "Programs", "Prog", "Path", "NumProgs"},
    {ListId::Files, "Files", "File", "Path", "NumFiles"},
}};

std::string EntryKey(std::string_view prefix, int entry, std::string_view suffix) {
  std::string key(prefix);
  key += std::to_string(entry);
  key += suffix;
  return key;
}
}  // namespace

const ListKind& KindOf(ListId id) { return kKinds[static_cast<std::size_t>(id)]; }

std::string NameKey(const ListKind& kind, int entry) { return EntryKey(kind.prefix, entry, "Name"); }

std::string FileKey(const ListKind& kind, int entry) {
  return EntryKey(kind.prefix, entry, kind.fileSuffix);
}

std::vector<std::string> DefaultIniLines() {
  return {"[Ports]",      "NumPorts=0", "",          "[IWADs]",    "NumIWADs=0",   "",
          "[Programs]",   "NumProgs=0", "",          "[Files]",    "NumFiles=0",   "",
          "[Memory]",     "Port=0",     "IWAD=0",    "Prog=0",     "UseFiles=0",   "ExitOnTest=0",
          "Warp=0",       "WarpTo=1",   "NoMonsters=0", "NoMusic=0", "NoSound=0",  "NoCD=0",
          "OpenGL=0",     ""};
}

}  // namespace quillon
