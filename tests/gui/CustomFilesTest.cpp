#include "gui/MainWindowFixture.h"

namespace quillon::test {
namespace {

class CustomFilesTest : public MainWindowTest {
 protected:
  void OpenEnabled() {
    WriteDefaultIni();
    Put("Memory", "UseFiles", "1");
    Open();
  }
  void Add(const char* button, const QString& path) {
    desktop.fileChoices.push_back(path);
    Button(button)->click();
  }
  QListView* Files() const { return Find<QListView>("lstFiles"); }
  QListView* Dirs() const { return Find<QListView>("lstFileDirs"); }
  // "Name|Path" for entries 1..upTo of the Files section.
  QStringList Keys(int upTo) const {
    QStringList keys;
    for (int n = 1; n <= upTo; ++n) {
      const std::string name = "File" + std::to_string(n) + "Name";
      const std::string path = "File" + std::to_string(n) + "Path";
      keys << QString::fromStdString(Get("Files", name) + "|" + Get("Files", path));
    }
    return keys;
  }
};

TEST_F(CustomFilesTest, AddsBothKindsInOneNumberedList) {
  OpenEnabled();
  Add("cmdAddPWAD", "/maps/MAP01.WAD");
  Add("cmdAddDEH", "/maps/fix.bex");
  Add("cmdAddPWAD", "/maps/MAP01.WAD");  // no test for duplicates
  EXPECT_EQ(Items(Files()), (QStringList{"MAP01.WAD", "fix.bex", "MAP01.WAD"}));
  EXPECT_EQ(Items(Dirs()), (QStringList{"/maps/", "/maps/", "/maps/"}));
  EXPECT_EQ(Keys(3), (QStringList{"MAP01.WAD|/maps/MAP01.WAD", "fix.bex|/maps/fix.bex",
                                  "MAP01.WAD|/maps/MAP01.WAD"}));
  EXPECT_EQ(Get("Files", "NumFiles"), "3");
  ASSERT_EQ(desktop.fileDialogs.size(), 3u);
  EXPECT_EQ(desktop.fileDialogs[0], (FileDialogRequest{"Select PWAD", "WAD Files (*.wad)|*.wad", "",
                                                       test::kOpenFlags, false}));
  EXPECT_EQ(
      desktop.fileDialogs[1],
      (FileDialogRequest{"Select Dehacked Patch", "Dehacked Patches (*.deh, *.bex)|*.deh;*.bex", "",
                         test::kOpenFlags, false}));
  EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(CustomFilesTest, RefusesOtherKindsAndCancelChangesNothing) {
  OpenEnabled();
  const QByteArray before = IniBytes();
  Add("cmdAddPWAD", "/maps/fix.deh");
  Add("cmdAddDEH", "/my.maps/readme");  // the last dot of the whole path counts
  desktop.fileChoices.push_back(std::nullopt);
  Button("cmdAddPWAD")->click();
  ASSERT_EQ(desktop.messages.size(), 2u);
  EXPECT_EQ(
      desktop.messages[0].text,
      "You must select a .wad file to add to this list;\r\nNo other file type is acceptable.");
  EXPECT_EQ(desktop.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(desktop.messages[1].text,
            "You must select a .deh or .bex file to add to this list;\r\nNo other file type is "
            "acceptable.");
  EXPECT_EQ(Files()->model()->rowCount(), 0);
  EXPECT_EQ(IniBytes(), before);
}

struct RemoveCase {
  int listed;
  int removed;  // position
  QStringList left;
  Qt::Key key = Qt::Key_unknown;  // pressed in the list; none: the Remove button
  friend void PrintTo(const RemoveCase& c, std::ostream* os) {
    *os << "Row" << c.removed + 1 << "Of" << c.listed;
    if (c.key == Qt::Key_Delete) *os << "ByDelete";
    if (c.key == Qt::Key_Backspace) *os << "ByBackspace";
  }
};

class RemoveFile : public CustomFilesTest, public ::testing::WithParamInterface<RemoveCase> {};

TEST_P(RemoveFile, RenumbersTheLaterEntriesAndEmptiesTheLastNumber) {
  const RemoveCase& c = GetParam();
  OpenEnabled();
  for (int i = 1; i <= c.listed; ++i) Add("cmdAddPWAD", QStringLiteral("/m/%1.wad").arg(i));
  Files()->setCurrentIndex(Files()->model()->index(c.removed, 0));
  if (c.key == Qt::Key_unknown) {
    Button("cmdRemoveFile")->click();
  } else {
    ASSERT_TRUE(Button("cmdRemoveFile")->isEnabled());
    QTest::keyClick(Files(), c.key);
  }

  QStringList names;
  QStringList keys;
  for (const QString& left : c.left) {
    names << left + ".wad";
    keys << left + ".wad|/m/" + left + ".wad";
  }
  keys << "|";  // the old last number stays, emptied
  EXPECT_EQ(Items(Files()), names);
  EXPECT_EQ(Items(Dirs()), QStringList(c.left.size(), "/m/"));
  EXPECT_EQ(Keys(c.listed), keys);
  EXPECT_EQ(Get("Files", "NumFiles"), std::to_string(c.left.size()));

  // The next file takes the number after the count.
  Add("cmdAddDEH", "/m/new.deh");
  EXPECT_EQ(Keys(c.listed).last(), "new.deh|/m/new.deh");
}

INSTANTIATE_TEST_SUITE_P(Positions, RemoveFile,
                         ::testing::Values(RemoveCase{3, 0, {"2", "3"}},
                                           RemoveCase{3, 1, {"1", "3"}},
                                           RemoveCase{3, 2, {"1", "2"}}, RemoveCase{1, 0, {}},
                                           RemoveCase{3, 1, {"1", "3"}, Qt::Key_Delete},
                                           RemoveCase{3, 2, {"1", "2"}, Qt::Key_Backspace}),
                         ::testing::PrintToStringParamName());

// The configuration reads back at most 32766 entries, so that is as far as the list grows.
TEST_F(CustomFilesTest, TakesThe32766thFileThenSaysTheListIsFull) {
  WriteDefaultIni();
  Put("Files", "NumFiles", "32765");
  Put("Memory", "UseFiles", "1");
  Open();
  ASSERT_EQ(Files()->model()->rowCount(), 32765);
  Add("cmdAddPWAD", "/m/last.wad");
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_EQ(Files()->model()->rowCount(), 32766);
  EXPECT_EQ(Get("Files", "NumFiles"), "32766");

  const QByteArray full = IniBytes();
  const std::size_t dialogs = desktop.fileDialogs.size();
  Button("cmdAddPWAD")->click();
  EXPECT_EQ(desktop.fileDialogs.size(), dialogs);  // refused before asking for a file
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text,
            "The custom file list is full: it holds 32766 entries, the most it can. Remove a "
            "custom file before adding another.");
  EXPECT_EQ(desktop.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(Files()->model()->rowCount(), 32766);
  EXPECT_EQ(IniBytes(), full);
}

TEST_F(CustomFilesTest, RemoveWithoutSelectionSaysSo) {
  OpenEnabled();
  Add("cmdAddPWAD", "/m/a.wad");
  Files()->setCurrentIndex(Files()->model()->index(0, 0));
  Button("cmdRemoveFile")->click();
  Button("cmdRemoveFile")->click();  // nothing is selected after a removal
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, "No file selected.");
  EXPECT_EQ(desktop.messages[0].icon, MessageIcon::Exclamation);
}

TEST_F(CustomFilesTest, UnreadableCountIsRebuiltFromTheListOnRemove) {
  OpenEnabled();
  Add("cmdAddPWAD", "/m/a.wad");
  Add("cmdAddPWAD", "/m/b.wad");
  Put("Files", "NumFiles", "many");
  Files()->setCurrentIndex(Files()->model()->index(0, 0));
  Button("cmdRemoveFile")->click();
  EXPECT_EQ(Get("Files", "NumFiles"), "1");
}

TEST_F(CustomFilesTest, AddedFilesComeBackAfterARestart) {
  OpenEnabled();
  Add("cmdAddPWAD", "/m/a.wad");
  Add("cmdAddDEH", "/m/b.deh");
  Close();
  Open();
  EXPECT_EQ(Items(Files()), (QStringList{"a.wad", "b.deh"}));
  EXPECT_EQ(Items(Dirs()), (QStringList{"/m/a.wad", "/m/b.deh"}));
  EXPECT_TRUE(Files()->isEnabled());
}

}  // namespace
}  // namespace quillon::test
