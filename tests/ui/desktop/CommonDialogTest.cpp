#include <gtest/gtest.h>

#include "support/FakeDesktop.h"
#include "support/QtPrinters.h"
#include "ui/desktop/CommonDialog.h"

namespace quillon {
namespace {

using test::FakeDesktop;

TEST(CommonDialog, HandsItsPropertiesToTheDesktop) {
  FakeDesktop desktop;
  desktop.fileChoices = {std::nullopt, std::nullopt};
  CommonDialog dialog(desktop, nullptr);
  dialog.DialogTitle = "Save Scheme As...";
  dialog.Filter = "QLN Schemes (*.qls)|*.qls";
  dialog.InitDir = "/home/player/schemes";
  dialog.Flags = {.hideReadOnly = true, .overwritePrompt = true};

  dialog.ShowSave();
  dialog.ShowOpen();

  const FileDialogRequest save{"Save Scheme As...",
                               "QLN Schemes (*.qls)|*.qls",
                               "/home/player/schemes",
                               {.hideReadOnly = true, .overwritePrompt = true},
                               true};
  FileDialogRequest open = save;
  open.save = false;
  EXPECT_EQ(desktop.fileDialogs, std::vector<FileDialogRequest>({save, open}));
}

TEST(CommonDialog, FileNameHoldsOnlyTheLatestChoice) {
  struct Step {
    std::optional<QString> choice;
    bool shown;
    QString fileName;
  };
  // One component is reused, so each row starts with the previous row's FileName.
  const Step steps[] = {
      {"/games/doom/MAP01.WAD", true, "/games/doom/MAP01.WAD"},
      {std::nullopt, false, ""},
      {"/games/doom/e1m1.fixed.wad", true, "/games/doom/e1m1.fixed.wad"},
      {QString(), false, ""},
  };
  FakeDesktop desktop;
  for (const auto& step : steps) desktop.fileChoices.push_back(step.choice);
  CommonDialog dialog(desktop, nullptr);
  dialog.DialogTitle = "Select PWAD";

  for (const auto& step : steps) {
    SCOPED_TRACE(step.choice.value_or("(cancel)").toStdString());
    EXPECT_EQ(dialog.ShowOpen(), step.shown);
    EXPECT_EQ(dialog.FileName, step.fileName);
  }
  EXPECT_TRUE(desktop.unscripted.isEmpty());
}

}  // namespace
}  // namespace quillon
