#pragma once

#include <QString>
#include <memory>

#include "core/settings/ConfigLayout.h"

class QDialog;
class QWidget;

namespace quillon {

class Desktop;
class MainWindowLists;

// The setup dialog of the ports, IWADs or programs (frmPortSetup, frmIWADSetup,
// frmProgSetup), owned by `owner`, ready to be shown with Desktop::ShowModal.
std::unique_ptr<QDialog> MakeSetupDialog(ListId list, Desktop& desktop, const QString& programDir,
                                         MainWindowLists& mainLists, QWidget* owner);

// "Find Installed Ports and IWADs" over `owner`, searching the places this process's
// environment names; ready to be shown with Desktop::ShowModal.
std::unique_ptr<QDialog> MakeFindInstalledDialog(Desktop& desktop, const QString& programDir,
                                                 MainWindowLists& mainLists, QWidget* owner);

}  // namespace quillon
