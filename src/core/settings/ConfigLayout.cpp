#include "core/settings/ConfigLayout.h"

#include <array>
#include <utility>

#include "core/settings/IniDocument.h"
#include "core/settings/LaunchOptions.h"
#include "core/settings/NumberConversion.h"
#include "core/settings/ReadWrite.h"

namespace quillon {

namespace {
constexpr std::string_view kPortExtras[] = {port::kFamily, port::kParams};

constexpr std::array<ListKind, 4> kKinds{{
    {ListId::Ports, "Ports", "Port", "Path", "NumPorts", "[No Source Port]", "source port",
     "a source port", kPortExtras},
    {ListId::IWADs, "IWADs", "IWAD", "File", "NumIWADs", "[Default (no -iwad)]", "IWAD", "an IWAD"},
    {ListId::Programs, "Programs", "Prog", "Path", "NumProgs", "[No Program]", "program",
     "a program"},
    {ListId::Files, "Files", "File", "Path", "NumFiles", "", "custom file", "a custom file"},
}};

}  // namespace

const ListKind& KindOf(ListId id) {
  return kKinds[static_cast<std::size_t>(id)];
}

std::string NameKey(const ListKind& kind, int entry) {
  return EntryKey(kind.prefix, entry, kNameSuffix);
}

std::string FileKey(const ListKind& kind, int entry) {
  return EntryKey(kind.prefix, entry, kind.fileSuffix);
}

std::string ExtraKey(const ListKind& kind, int entry, std::string_view suffix) {
  return EntryKey(kind.prefix, entry, suffix);
}

std::string PortFamilyKey(int entry) {
  return ExtraKey(KindOf(ListId::Ports), entry, port::kFamily);
}

std::string PortParamsKey(int entry) {
  return ExtraKey(KindOf(ListId::Ports), entry, port::kParams);
}

std::string ListFullText(const ListKind& kind) {
  std::string text = "The ";
  text.append(kind.entryName).append(" list is full: it holds ");
  text.append(std::to_string(kLargestList)).append(" entries, the most it can. Remove ");
  text.append(kind.anEntry).append(" before adding another.");
  return text;
}

std::optional<int> StoredCount(const ReadWrite& ini, const ListKind& kind) {
  const auto number = ParseDecimal(ini.Load(kind.section, kind.countKey));
  if (!number) return std::nullopt;
  if (!number->IsPositive()) return 0;
  const auto count = RoundToInt16(*number);
  if (!count || *count >= kMaxListCount) return std::nullopt;
  return *count;
}

std::string UnreadableCountText(const ListKind& kind) {
  std::string text = "The number of entries in the [";
  text.append(kind.section).append("] section of ").append(kIniFileName);
  text.append(" cannot be read, so nothing can be added to the ").append(kind.entryName);
  text.append(" list without overwriting an entry. Repair ").append(kind.countKey);
  text.append(" in ").append(kIniFileName).append(" first.");
  return text;
}

std::vector<std::string> DefaultIniLines() {
  std::vector<std::string> lines;
  const auto section = [&lines](std::string_view name) {
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "[" + std::string&&.
    std::string line = "[";
    line.append(name).append("]");
    lines.push_back(std::move(line));
  };
  for (const ListKind& kind : kKinds) {
    section(kind.section);
    lines.push_back(std::string(kind.countKey) + "=0");
    lines.emplace_back();
  }
  section(memory::kSection);
  for (const LaunchOption* option : OptionsInOrder(OptionOrder::Memory)) {
    if (option->memoryDefault)
      lines.push_back(std::string(option->key) + "=" + option->memoryDefault);
  }
  lines.emplace_back();
  return lines;
}

}  // namespace quillon
