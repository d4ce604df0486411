#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

class ReadWrite;

inline constexpr std::string_view kIniFileName = "QLN2.ini";
inline constexpr std::string_view kHelpFileName = "QLN2.txt";

// The four lists the configuration file keeps. Entry n of a list lives under
// prefix + n + "Name" and prefix + n + fileSuffix in its section.
enum class ListId { Ports, IWADs, Programs, Files };

struct ListKind {
  ListId id;
  std::string_view section;
  std::string_view prefix;  // also the word that names the list to RefreshLists
  std::string_view fileSuffix;
  std::string_view countKey;
  std::string_view placeholder;  // the main window's last item: no entry chosen
  std::string_view entryName;    // what the messages call an entry, and with its article
  std::string_view anEntry;
  // Keys of an entry besides its name and file, added later (prefix + n + suffix). An entry
  // without them reads as one whose values are empty.
  std::span<const std::string_view> extraSuffixes = {};
};

const ListKind& KindOf(ListId id);

inline constexpr std::string_view kNameSuffix = "Name";

std::string NameKey(const ListKind& kind, int entry);
std::string FileKey(const ListKind& kind, int entry);
std::string ExtraKey(const ListKind& kind, int entry, std::string_view suffix);

// A port's own keys: the family the user chose for it (a key of PortFamily.h; empty: from
// its name) and the parameters that go on its line only.
namespace port {
inline constexpr std::string_view kFamily = "Family";
inline constexpr std::string_view kParams = "Params";
}  // namespace port
std::string PortFamilyKey(int entry);
std::string PortParamsKey(int entry);

// Counts, entry numbers and list positions are 16-bit; a count read back must stay below
// kMaxListCount, so a list takes at most kLargestList entries.
inline constexpr int kMaxListCount = 32767;
inline constexpr int kLargestList = kMaxListCount - 1;

// What Add says when a list already holds kLargestList entries.
std::string ListFullText(const ListKind& kind);

// The number of entries a list's count key announces: nullopt when it is missing, no
// number or too large for the 16-bit counter; 0 for zero or a negative count.
std::optional<int> StoredCount(const ReadWrite& ini, const ListKind& kind);

// What Add says while the list's count cannot be read: a new entry would take a number
// that may already hold one.
std::string UnreadableCountText(const ListKind& kind);

// The section that remembers the launch options between runs, under the keys of
// LaunchOptions.h.
namespace memory {
inline constexpr std::string_view kSection = "Memory";
// The ports "Test in Several Ports" starts: their entry numbers (EntryNumbers.h).
inline constexpr std::string_view kTestPorts = "TestPorts";
// "1" while the ports of the last Test restart when its files are saved; written only once
// turned on, so an older file stays as it was.
inline constexpr std::string_view kRestartOnSave = "RestartOnSave";
// The program entry that builds the nodes before a Test; "0" or none: no builder.
inline constexpr std::string_view kNodeBuilder = "NodeBuilder";
}  // namespace memory

// The 26 lines of a new configuration file: each list empty, then the options' defaults.
std::vector<std::string> DefaultIniLines();

}  // namespace quillon
