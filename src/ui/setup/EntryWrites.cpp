#include "ui/setup/EntryWrites.h"

#include "ui/desktop/QtText.h"
#include "ui/setup/MainWindowLists.h"

namespace quillon {

void WriteEntry(ReadWrite& iniFile, const ListKind& kind, int entry, const std::string& name,
                const std::string& file, EntryText text) {
  const auto save = text == EntryText::Stored ? &ReadWrite::SaveRaw : &ReadWrite::Save;
  (iniFile.*save)(kind.section, NameKey(kind, entry), name);
  (iniFile.*save)(kind.section, FileKey(kind, entry), file);
}

void WriteNewEntry(ReadWrite& iniFile, const ListKind& kind, int position, const QString& name,
                   const QString& file) {
  const int entry = position + 1;
  WriteEntry(iniFile, kind, entry, Ss(name), Ss(file));
  iniFile.Save(kind.section, kind.countKey, std::to_string(entry));
}

void AppendEntry(ReadWrite& iniFile, const ListKind& kind, MainWindowLists& mainLists, int position,
                 const QString& name, const QString& file) {
  mainLists.InsertEntry(kind.id, position, name);
  WriteNewEntry(iniFile, kind, position, name, file);
}

}  // namespace quillon
