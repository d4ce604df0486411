#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include "support/FakeDesktop.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "ui/desktop/CommonDialog.h"
#include "ui/system/QtDesktop.h"

namespace quillon {
namespace {

using test::TempDir;

TEST(QtNameFilters, TurnsPairsIntoAnyCaseFilters) {
  struct Row {
    QString filter;
    QStringList expected;
  };
  const Row rows[] = {
      {"WAD Files (*.wad)|*.wad", {"WAD Files (*.wad) (*.[wW][aA][dD])"}},
      {"Patches (*.deh;*.bex)|*.deh;*.bex",
       {"Patches (*.deh;*.bex) (*.[dD][eE][hH] *.[bB][eE][xX])"}},
      {"WAD Files (*.wad)|*.wad|Archives (*.pk3)|*.pk3|All Files (*.*)|*.*",
       {"WAD Files (*.wad) (*.[wW][aA][dD])", "Archives (*.pk3) (*.[pP][kK]3)",
        "All Files (*.*) (*.*)"}},
      {"Programs (*.EXE)|*.EXE", {"Programs (*.EXE) (*.[eE][xX][eE])"}},
      {"Demos|*.lmp; ", {"Demos (*.[lL][mM][pP])"}},
      {"", {}},
      {"Lonely description", {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.filter.toStdString());
    EXPECT_EQ(QtDesktop::QtNameFilters(row.filter), row.expected);
  }
}

TEST(QtNameFilters, MatchFileNamesInAnyCase) {
  TempDir dir;
  for (const char* name : {"MAP01.WAD", "map02.wad", "Map03.Wad", "notes.txt", "wad.txt"}) {
    dir.Write(name, "x");
  }
  const QStringList filters = QtDesktop::QtNameFilters("WAD Files (*.wad)|*.wad");
  ASSERT_EQ(filters.size(), 1);
  // The dialog matches with the globs in the last bracket pair, as QDir does here.
  const QString& filter = filters.first();
  const qsizetype open = filter.lastIndexOf('(');
  ASSERT_TRUE(open >= 0 && filter.endsWith(')'));
  const QStringList globs = filter.mid(open + 1, filter.size() - open - 2).split(' ');
  // Case-sensitive on purpose: the globs themselves must carry the case folding.
  const QStringList found =
      QDir(dir.Path()).entryList(globs, QDir::Files | QDir::CaseSensitive, QDir::Name);
  EXPECT_EQ(found, QStringList({"MAP01.WAD", "Map03.Wad", "map02.wad"}));
}

// What the user reads in the file type box: the caller's description, not the globs.
QStringList VisibleFilterLabels(QFileDialog& dialog) {
  QStringList labels;
  if (auto* combo = dialog.findChild<QComboBox*>("fileTypeCombo")) {
    for (int i = 0; i < combo->count(); ++i) labels << combo->itemText(i);
  }
  return labels;
}

TEST(QtDesktopFileDialog, IsSetUpForEachCaller) {
  using test::kOpenFlags;
  using test::kSaveFlags;
  TempDir wads;
  struct Row {
    FileDialogRequest request;
    QFileDialog::FileMode mode;
    QStringList labels;
    bool confirmOverwrite;
    QString suffix = {};  // added to a name typed without an extension
  };
  const Row rows[] = {
      {{"Select IWAD", "IWAD Files (*.wad)|*.wad", wads.Path(), kOpenFlags, false},
       QFileDialog::ExistingFile,
       {"IWAD Files (*.wad)"},
       false},
      {{"Select PWAD", "WAD Files (*.wad)|*.wad", wads.Path(), kOpenFlags, false},
       QFileDialog::ExistingFile,
       {"WAD Files (*.wad)"},
       false},
      {{"Select Source Port", "Programs (*)|*", "", kOpenFlags, false},
       QFileDialog::ExistingFile,
       {"Programs (*)"},
       false},
      {{"Select DeHackEd Patch", "Patches (*.deh;*.bex)|*.deh;*.bex|All Files (*.*)|*.*",
        wads.Path(), kOpenFlags, false},
       QFileDialog::ExistingFile,
       {"Patches (*.deh;*.bex)", "All Files (*.*)"},
       false},
      {{"Open Scheme", "QLN Schemes (*.qls)|*.qls", "", kOpenFlags, false},
       QFileDialog::ExistingFile,
       {"QLN Schemes (*.qls)"},
       false},
      {{"Save Scheme As...", "QLN Schemes (*.qls)|*.qls", wads.Path(), kSaveFlags, true},
       QFileDialog::AnyFile,
       {"QLN Schemes (*.qls)"},
       true,
       "qls"},
      {{"Record Demo As", "Demo Files (*.lmp)|*.lmp", "", {.hideReadOnly = true}, true},
       QFileDialog::AnyFile,
       {"Demo Files (*.lmp)"},
       false,
       "lmp"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.request.title.toStdString());
    QFileDialog dialog;
    // Offscreen there is no native dialog anyway; this makes the widgets inspectable.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // Without a directory the dialog keeps Qt's choice: the last one visited.
    const QString qtDefault = dialog.directory().absolutePath();
    QtDesktop::ConfigureFileDialog(dialog, row.request);

    EXPECT_EQ(dialog.windowTitle(), row.request.title);
    EXPECT_EQ(dialog.fileMode(), row.mode);
    EXPECT_EQ(dialog.acceptMode(),
              row.request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog.testOption(QFileDialog::DontConfirmOverwrite), !row.confirmOverwrite);
    EXPECT_TRUE(dialog.testOption(QFileDialog::HideNameFilterDetails));
    EXPECT_EQ(dialog.defaultSuffix(), row.suffix);
    EXPECT_EQ(dialog.nameFilters(), QtDesktop::QtNameFilters(row.request.filter));
    EXPECT_EQ(VisibleFilterLabels(dialog), row.labels);
    EXPECT_EQ(dialog.directory().absolutePath(),
              row.request.initDir.isEmpty() ? qtDefault : row.request.initDir);
  }
}

TEST(QtDesktopMessageBox, IsSetUpAsAsked) {
  struct Row {
    MessageIcon icon;
    MessageButtons buttons;
    QMessageBox::Icon qtIcon;
    QMessageBox::StandardButtons qtButtons;
    QMessageBox::StandardButton defaultButton;
  };
  const Row rows[] = {
      {MessageIcon::None, MessageButtons::Ok, QMessageBox::NoIcon, QMessageBox::Ok,
       QMessageBox::Ok},
      {MessageIcon::Information, MessageButtons::Ok, QMessageBox::Information, QMessageBox::Ok,
       QMessageBox::Ok},
      {MessageIcon::Exclamation, MessageButtons::YesNo, QMessageBox::Warning,
       QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.qtIcon));
    QMessageBox box;
    QtDesktop::ConfigureMessageBox(box, "Cannot find <doom2.wad>\r\n\r\nCheck the path & retry.",
                                   "Quillon", row.icon, row.buttons);
    EXPECT_EQ(box.text(), "Cannot find <doom2.wad>\n\nCheck the path & retry.");
    EXPECT_EQ(box.textFormat(), Qt::PlainText);
    EXPECT_EQ(box.windowTitle(), "Quillon");
    EXPECT_EQ(box.icon(), row.qtIcon);
    EXPECT_EQ(box.standardButtons(), row.qtButtons);
    EXPECT_EQ(static_cast<QAbstractButton*>(box.defaultButton()), box.button(row.defaultButton));
  }
}

TEST(QtDesktopFiles, ExistsOnlyForRegularFiles) {
  TempDir dir;
  dir.Write("doom2.wad", "IWAD");
  QDir(dir.Path()).mkdir("maps");
  QtDesktop desktop;

  struct Row {
    QString path;
    bool isFile;
    bool hasTime;
  };
  const Row rows[] = {
      {dir.FilePath("doom2.wad"), true, true},
      {dir.FilePath("maps"), false, true},
      {dir.FilePath("missing.wad"), false, false},
      {"", false, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.path.toStdString());
    EXPECT_EQ(desktop.FileExists(row.path), row.isFile);
    const QDateTime time = desktop.LastModified(row.path);
    EXPECT_EQ(time.isValid(), row.hasTime);
    if (row.hasTime) {
      EXPECT_EQ(time, QFileInfo(row.path).lastModified());
    }
  }
}

}  // namespace
}  // namespace quillon
