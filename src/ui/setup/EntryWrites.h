#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings/ConfigLayout.h"
#include "core/settings/ReadWrite.h"

namespace quillon {

class MainWindowLists;

// How an entry's texts are written: as values that read back exactly, or as the stored text
// they already were (an entry moving to another number).
enum class EntryText { Value, Stored };

// An entry's values for its list's extra keys, one per ListKind::extraSuffixes in that order;
// a value left out or empty is not set.
using EntryExtras = std::vector<std::string>;

// Where `suffix` stands among the list's extra keys; past the end when the list has none such.
std::size_t ExtraIndex(const ListKind& kind, std::string_view suffix);

// The entry's extra values as stored (LoadWhole).
EntryExtras StoredExtras(const ReadWrite& iniFile, const ListKind& kind, int entry);

// Writes entry `entry`'s name and file keys, as given.
void WriteEntry(ReadWrite& iniFile, const ListKind& kind, int entry, const std::string& name,
                const std::string& file, EntryText text = EntryText::Value);

// Writes each extra value that differs from the stored one. A key is made only for a value,
// so an entry that never had one keeps the file as it was.
void WriteExtras(ReadWrite& iniFile, const ListKind& kind, int entry, const EntryExtras& values);

// Writes a new entry after the list's `position` entries: its name, file, extras and the new
// count. Every way of adding an entry goes through here, so all write the same keys in the
// same order.
void WriteNewEntry(ReadWrite& iniFile, const ListKind& kind, int position, const QString& name,
                   const QString& file, const EntryExtras& extras = {});

// Appends an entry after the list's `position` entries: the main window's list first (it
// shows the entry even when the file cannot be written), then WriteNewEntry.
void AppendEntry(ReadWrite& iniFile, const ListKind& kind, MainWindowLists& mainLists, int position,
                 const QString& name, const QString& file, const EntryExtras& extras = {});

// A removal's writes: EmptyEntry leaves the entry's keys empty (its extras only where set);
// MoveEntriesDown gives each entry from `entry` to `last` - 1 every key of the one after it,
// as stored, in order (entry `last` keeps its own).
void EmptyEntry(ReadWrite& iniFile, const ListKind& kind, int entry);
void MoveEntriesDown(ReadWrite& iniFile, const ListKind& kind, int entry, int last);

}  // namespace quillon
