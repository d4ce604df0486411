#include "ui/setup/EntryWrites.h"

#include "ui/desktop/QtText.h"
#include "ui/setup/MainWindowLists.h"

namespace quillon {

void AppendEntry(ReadWrite& iniFile, const ListKind& kind, MainWindowLists& mainLists, int position,
                 const QString& name, const QString& file) {
  const int entry = position + 1;
  mainLists.InsertEntry(kind.id, position, name);
  iniFile.Save(kind.section, NameKey(kind, entry), Ss(name));
  iniFile.Save(kind.section, FileKey(kind, entry), Ss(file));
  iniFile.Save(kind.section, kind.countKey, std::to_string(entry));
}

}  // namespace quillon
