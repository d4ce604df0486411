#pragma once

#include <QString>

#include "core/settings/ConfigLayout.h"
#include "core/settings/ReadWrite.h"

namespace quillon {

class MainWindowLists;

// Appends an entry after the list's `position` entries: the main window's list first (it
// shows the entry even when the file cannot be written), then its name, file and the new
// count. Every way of adding an entry goes through here, so all write the same keys in the
// same order.
void AppendEntry(ReadWrite& iniFile, const ListKind& kind, MainWindowLists& mainLists, int position,
                 const QString& name, const QString& file);

}  // namespace quillon
