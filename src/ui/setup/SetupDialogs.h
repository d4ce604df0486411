#pragma once

#include <QString>
#include <memory>

#include "core/files/IwadPlaces.h"
#include "core/settings/ConfigLayout.h"

class QDialog;
class QWidget;

namespace quillon {

class Desktop;
class MainWindowLists;

// The setup dialog of the ports, IWADs or programs (frmPortSetup, frmIWADSetup,
// frmProgSetup), owned by `owner`, ready to be shown with Desktop::ShowModal. Browse for an
// IWAD keeps the bare name of a file that the ports find in `iwadPlaces` by that name.
std::unique_ptr<QDialog> MakeSetupDialog(ListId list, Desktop& desktop, const QString& programDir,
                                         MainWindowLists& mainLists, const IwadPlaces& iwadPlaces,
                                         QWidget* owner);

// "Find Installed Ports and IWADs" over `owner`, searching the places this process's
// environment names; ready to be shown with Desktop::ShowModal.
std::unique_ptr<QDialog> MakeFindInstalledDialog(Desktop& desktop, const QString& programDir,
                                                 MainWindowLists& mainLists, QWidget* owner);

}  // namespace quillon
