#include <QComboBox>

#include "core/settings/EntryNumbers.h"
#include "ui/main/frmQLN2.h"

// The drop-down list of each kind, which the setup dialogs keep in step with the file.

namespace quillon {

QComboBox* frmQLN2::DropDownOf(ListId id) const {
  for (std::size_t i = 0; i < kLaunchOptionCount; ++i) {
    const LaunchOption& option = OptionOf(static_cast<LaunchOptionId>(i));
    if (option.control == OptionControl::List && option.list == id) {
      return static_cast<QComboBox*>(options_[i]);
    }
  }
  return nullptr;
}

// Inserting before the selection moves it along; Qt reports that as a change and the
// list's reaction runs again with the same outcome.
// The ports "Test in Several Ports" remembers and the program that builds the nodes are
// entry numbers: they follow their entries when the setup dialog inserts or removes one
// before them. A builder removed leaves none, "0".
void frmQLN2::KeepEntryNumbers(ListId id,
                               const std::function<std::string(std::string_view)>& renumber) {
  if (id != ListId::Ports && id != ListId::Programs) return;
  const std::string_view key = id == ListId::Ports ? memory::kTestPorts : memory::kNodeBuilder;
  const std::string before = iniFile_.LoadWhole(memory::kSection, key);
  if (before.empty()) return;
  std::string after = renumber(before);
  if (after.empty() && id == ListId::Programs) after = "0";
  if (after != before) iniFile_.Save(memory::kSection, key, after);
}

void frmQLN2::InsertEntry(ListId id, int position, const QString& name) {
  ForgetChoice(id);
  if (QComboBox* list = DropDownOf(id)) {
    const bool noneChosen = PlaceholderOrNone(list);
    if (list->currentIndex() >= 0) {
      list->insertItem(position, name);
    } else {
      // Qt selects the first item put into an empty list, which the user never chose.
      const QSignalBlocker quiet(list);
      list->insertItem(position, name);
      list->setCurrentIndex(-1);
    }
    // A port or IWAD added while none is chosen is the one to play with: chosen as the user
    // would, so that the list's reactions run. Not where nothing follows it to stand for none.
    if (noneChosen && id != ListId::Programs && position < list->count() - 1) {
      list->setCurrentIndex(position);
    }
  }
  KeepEntryNumbers(id, [position](std::string_view text) {
    return EntryNumbersAfterInsertion(text, position + 1);
  });
  RelearnWads();
}

void frmQLN2::RenameEntry(ListId id, int position, const QString& name) {
  ForgetChoice(id);
  if (QComboBox* list = DropDownOf(id)) list->setItemText(position, name);
  // The entry's file may have changed with its name.
  RelearnWads();
}

void frmQLN2::RemoveEntry(ListId id, int position) {
  ForgetChoice(id);
  QComboBox* list = DropDownOf(id);
  if (!list || position < 0 || position >= list->count()) return;
  KeepEntryNumbers(id, [position](std::string_view text) {
    return EntryNumbersAfterRemoval(text, position + 1);
  });
  RelearnWads();
  if (position != list->currentIndex()) {
    list->removeItem(position);
    return;
  }
  // Qt would select the neighbour the user never chose; fall back to the placeholder.
  {
    const QSignalBlocker quiet(list);
    list->removeItem(position);
    list->setCurrentIndex(-1);
  }
  list->setCurrentIndex(list->count() - 1);
}

}  // namespace quillon
