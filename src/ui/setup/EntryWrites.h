#pragma once

#include <QString>
#include <string>

#include "core/settings/ConfigLayout.h"
#include "core/settings/ReadWrite.h"

namespace quillon {

class MainWindowLists;

// How an entry's texts are written: as values that read back exactly, or as the stored text
// they already were (an entry moving to another number).
enum class EntryText { Value, Stored };

// Writes entry `entry`'s name and file keys, as given.
void WriteEntry(ReadWrite& iniFile, const ListKind& kind, int entry, const std::string& name,
                const std::string& file, EntryText text = EntryText::Value);

// Writes a new entry after the list's `position` entries: its name, file and the new count.
// Every way of adding an entry goes through here, so all write the same keys in the same
// order.
void WriteNewEntry(ReadWrite& iniFile, const ListKind& kind, int position, const QString& name,
                   const QString& file);

// Appends an entry after the list's `position` entries: the main window's list first (it
// shows the entry even when the file cannot be written), then WriteNewEntry.
void AppendEntry(ReadWrite& iniFile, const ListKind& kind, MainWindowLists& mainLists, int position,
                 const QString& name, const QString& file);

}  // namespace quillon
