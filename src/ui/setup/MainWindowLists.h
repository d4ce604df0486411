#pragma once

#include <QString>

#include "core/settings/ConfigLayout.h"

namespace quillon {

// What the setup dialogs may do to the main window: keep its drop-down list of the same
// kind in step with the file, item for item. Entry n is at position n - 1 and the list ends
// with its placeholder, so these positions never reach the placeholder.
class MainWindowLists {
 public:
  virtual void InsertEntry(ListId id, int position, const QString& name) = 0;
  virtual void RenameEntry(ListId id, int position, const QString& name) = 0;
  // A removed selected entry leaves the placeholder selected.
  virtual void RemoveEntry(ListId id, int position) = 0;

 protected:
  ~MainWindowLists() = default;
};

}  // namespace quillon
