#include "ui/setup/EntryWrites.h"

#include <algorithm>
#include <string>
#include <vector>

#include "ui/desktop/QtText.h"
#include "ui/setup/MainWindowLists.h"

namespace quillon {

std::size_t ExtraIndex(const ListKind& kind, std::string_view suffix) {
  const auto& suffixes = kind.extraSuffixes;
  return static_cast<std::size_t>(std::find(suffixes.begin(), suffixes.end(), suffix) -
                                  suffixes.begin());
}

EntryExtras StoredExtras(const ReadWrite& iniFile, const ListKind& kind, int entry) {
  EntryExtras values;
  for (const std::string_view suffix : kind.extraSuffixes) {
    values.push_back(iniFile.LoadWhole(kind.section, ExtraKey(kind, entry, suffix)));
  }
  return values;
}

void WriteEntry(ReadWrite& iniFile, const ListKind& kind, int entry, const std::string& name,
                const std::string& file, EntryText text) {
  const auto save = text == EntryText::Stored ? &ReadWrite::SaveRaw : &ReadWrite::Save;
  (iniFile.*save)(kind.section, NameKey(kind, entry), name);
  (iniFile.*save)(kind.section, FileKey(kind, entry), file);
}

void WriteExtras(ReadWrite& iniFile, const ListKind& kind, int entry, const EntryExtras& values) {
  for (std::size_t i = 0; i < kind.extraSuffixes.size(); ++i) {
    const std::string key = ExtraKey(kind, entry, kind.extraSuffixes[i]);
    const std::string value = i < values.size() ? values[i] : std::string();
    // A stale value left by hand beyond the count is replaced, as the name and file are.
    if (iniFile.LoadWhole(kind.section, key) != value) iniFile.Save(kind.section, key, value);
  }
}

void WriteNewEntry(ReadWrite& iniFile, const ListKind& kind, int position, const QString& name,
                   const QString& file, const EntryExtras& extras) {
  const int entry = position + 1;
  WriteEntry(iniFile, kind, entry, Ss(name), Ss(file));
  WriteExtras(iniFile, kind, entry, extras);
  iniFile.Save(kind.section, kind.countKey, std::to_string(entry));
}

void AppendEntry(ReadWrite& iniFile, const ListKind& kind, MainWindowLists& mainLists, int position,
                 const QString& name, const QString& file, const EntryExtras& extras) {
  mainLists.InsertEntry(kind.id, position, name);
  WriteNewEntry(iniFile, kind, position, name, file, extras);
}

void EmptyEntry(ReadWrite& iniFile, const ListKind& kind, int entry) {
  WriteEntry(iniFile, kind, entry, {}, {});
  WriteExtras(iniFile, kind, entry, {});
}

void MoveEntriesDown(ReadWrite& iniFile, const ListKind& kind, int entry, int last) {
  // An extra that neither sets makes no key; the name and file are always written.
  std::vector<ReadWrite::NumberedKey> keys{{kNameSuffix, ReadWrite::Move::Always},
                                           {kind.fileSuffix, ReadWrite::Move::Always}};
  for (const std::string_view suffix : kind.extraSuffixes) {
    keys.push_back({suffix, ReadWrite::Move::WhenDifferent});
  }
  iniFile.MoveNumberedDown(kind.section, kind.prefix, keys, entry, last);
}

}  // namespace quillon
