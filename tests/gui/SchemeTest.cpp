#include "gui/MainWindowFixture.h"
#include "support/ParamNames.h"

namespace quillon::test {
namespace {

class SchemeTest : public MainWindowTest {
 protected:
  void SetUp() override {
    WriteDefaultIni();
    PutList(ListId::Ports, {"Chocolate", "Crispy", "Crispy"});
    PutList(ListId::IWADs, {"Doom II", "Freedoom"});
    PutList(ListId::Files, {"a.wad", "b.wad", "fix.deh"});
    Put("Files", "File3Path", "/maps/");  // the directory form
    Open();
  }

  QString Scheme(const char* name) const { return dir.FilePath(QString::fromLatin1(name)); }
  void Save(const QString& path) {
    desktop.fileChoices.push_back(path);
    Action("ProgramSave")->trigger();
  }
  void Load(const QString& path) {
    desktop.fileChoices.push_back(path);
    Action("ProgramLoad")->trigger();
  }
  std::string SchemeKey(const char* file, const char* key) const {
    ReadWrite scheme;
    scheme.SetFileName(Scheme(file).toStdString());
    return scheme.Load(std::string(file) + " - Scheme for Quillon V2.0", key);
  }

  // Everything a scheme carries, as the window shows it.
  QStringList State() const {
    QStringList state{List("cmbPorts")->currentText(), List("cmbIWADs")->currentText(),
                      Text("txtParams")->text(), Text("txtWarp")->text()};
    for (auto box : {"chkCloseOnTest", "chkWarp", "chkNoMonsters", "chkNoMusic", "chkNoSound",
                     "chkNoCD", "chkGLmode", "chkEnableFiles"}) {
      state << (Box(box)->isChecked() ? "1" : "0");
    }
    state << Items(Find<QListView>("lstFiles")) << Items(Find<QListView>("lstFileDirs"));
    return state;
  }

  void SetEverything() {
    List("cmbPorts")->setCurrentIndex(1);
    List("cmbIWADs")->setCurrentIndex(1);
    Text("txtParams")->setText("-fast -skill 4");
    Text("txtWarp")->setText("1 3");
    for (auto box : {"chkCloseOnTest", "chkNoMonsters", "chkNoCD", "chkGLmode", "chkEnableFiles"}) {
      Box(box)->setChecked(true);
    }
    Box("chkWarp")->setChecked(true);
  }
};

TEST_F(SchemeTest, SavedSchemeComesBackExactly) {
  SetEverything();
  const QStringList saved = State();
  Save(Scheme("dm.qls"));
  EXPECT_EQ(desktop.fileDialogs.back(),
            (FileDialogRequest{"Save Scheme As...", "QLN Schemes (*.qls)|*.qls", "",
                               test::kSaveFlags, true}));
  EXPECT_EQ(dir.Read("dm.qls"), CrLf({"[dm.qls - Scheme for Quillon V2.0]",
                                      "Port=Crispy",
                                      "IWAD=Freedoom",
                                      "Params=-fast -skill 4",
                                      "ExitOnTest=1",
                                      "Warp=1",
                                      "WarpTo=1 3",
                                      "NoMonsters=1",
                                      "NoMusic=0",
                                      "NoSound=0",
                                      "NoCD=1",
                                      "OpenGL=1",
                                      "UseFiles=1",
                                      "NumFiles=3",
                                      "File1Name=a.wad",
                                      "File1Path=a.wad.path",
                                      "File2Name=b.wad",
                                      "File2Path=b.wad.path",
                                      "File3Name=fix.deh",
                                      "File3Path=/maps/",
                                      ""}));

  // Change everything, then load it back.
  List("cmbPorts")->setCurrentIndex(3);
  List("cmbIWADs")->setCurrentIndex(2);
  Text("txtParams")->setText("");
  Text("txtWarp")->setText("9");
  for (auto box :
       {"chkCloseOnTest", "chkWarp", "chkNoMonsters", "chkNoCD", "chkGLmode", "chkEnableFiles"}) {
    Box(box)->setChecked(false);
  }
  QAbstractItemModel* files = Find<QListView>("lstFiles")->model();
  files->removeRows(0, files->rowCount());
  Load(Scheme("dm.qls"));
  EXPECT_EQ(
      desktop.fileDialogs.back(),
      (FileDialogRequest{"Open Scheme", "QLN Schemes (*.qls)|*.qls", "", test::kOpenFlags, false}));
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_EQ(State(), saved);
  EXPECT_TRUE(Button("cmdTest")->isEnabled());
  EXPECT_TRUE(Button("cmdAddPWAD")->isEnabled());
  EXPECT_EQ(Box("chkNoMonsters")->toolTip(), "Click to enable monsters");
}

TEST_F(SchemeTest, CancelledDialogsChangeNothing) {
  const QByteArray before = IniBytes();
  const QStringList state = State();
  desktop.fileChoices = {std::nullopt, std::nullopt};
  Action("ProgramSave")->trigger();
  Action("ProgramLoad")->trigger();
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_EQ(State(), state);
  EXPECT_EQ(IniBytes(), before);
  EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files), QStringList{"QLN2.ini"});
}

TEST_F(SchemeTest, SavingOverALongerSchemeLeavesItsExtraKeysInert) {
  Save(Scheme("s.qls"));
  Find<QListView>("lstFiles")->model()->removeRows(2, 1);
  Save(Scheme("s.qls"));
  EXPECT_EQ(SchemeKey("s.qls", "NumFiles"), "2");
  EXPECT_EQ(SchemeKey("s.qls", "File3Name"), "fix.deh");  // left from the longer list
  Load(Scheme("s.qls"));
  EXPECT_EQ(Items(Find<QListView>("lstFiles")), (QStringList{"a.wad", "b.wad"}));
}

TEST_F(SchemeTest, RenamedSchemeIsRefusedAndChangesNothing) {
  Save(Scheme("a.qls"));
  ASSERT_TRUE(QFile::rename(Scheme("a.qls"), Scheme("b.qls")));
  const QByteArray scheme = dir.Read("b.qls");
  SetEverything();
  const QStringList state = State();
  const QByteArray ini = IniBytes();
  Load(Scheme("b.qls"));
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text,
            "Error reading scheme file. This may be because you tried to load a scheme from an "
            "older version of Quillon.");
  EXPECT_EQ(desktop.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(State(), state);
  EXPECT_EQ(IniBytes(), ini);
  EXPECT_EQ(dir.Read("b.qls"), scheme);
}

TEST_F(SchemeTest, MissingPortAndIwadAreNamedThenThePlaceholdersTaken) {
  dir.Write("old.qls",
            CrLf({"[old.qls - Scheme for Quillon V2.0]", "Port=crispy", "IWAD=Heretic",
                  "Params=", "ExitOnTest=0", "Warp=0", "WarpTo=", "NoMonsters=0", "NoMusic=0",
                  "NoSound=0", "NoCD=0", "OpenGL=0", "UseFiles=0", "NumFiles=0"}));
  List("cmbPorts")->setCurrentIndex(0);
  Load(Scheme("old.qls"));
  ASSERT_EQ(desktop.messages.size(), 2u);
  EXPECT_EQ(desktop.messages[0].text,
            "The port you saved with this scheme, \"crispy,\" no longer exists in your port "
            "list.\r\nYou should choose another port or add this port back into the list.");
  EXPECT_EQ(desktop.messages[0].icon, MessageIcon::None);
  EXPECT_EQ(desktop.messages[0].title, "Quillon 2.01");
  EXPECT_EQ(desktop.messages[1].text,
            "The IWAD you saved with this scheme, \"Heretic,\" no longer exists in your IWAD "
            "list.\r\nYou should choose another IWAD or add this IWAD back into the list.");
  EXPECT_EQ(List("cmbPorts")->currentText(), "[No Source Port]");
  EXPECT_EQ(List("cmbIWADs")->currentText(), "[Default (no -iwad)]");
  EXPECT_FALSE(Button("cmdTest")->isEnabled());
  EXPECT_EQ(Text("txtWarp")->text(), "1");  // an empty level keeps the box's text
}

TEST_F(SchemeTest, DuplicateNamesSelectTheLaterEntry) {
  Save(Scheme("d.qls"));
  ReadWrite scheme;
  scheme.SetFileName(Scheme("d.qls").toStdString());
  scheme.Save("d.qls - Scheme for Quillon V2.0", "Port", "Crispy");
  Load(Scheme("d.qls"));
  EXPECT_EQ(List("cmbPorts")->currentIndex(), 2);
}

struct FlagCase {
  const char* noMusic;
  bool loaded;  // false: the error, with the earlier options applied and the files kept
  friend void PrintTo(const FlagCase& c, std::ostream* os) {
    *os << "NoMusic_" << TextName(c.noMusic);
  }
};

class SchemeFlag : public SchemeTest, public ::testing::WithParamInterface<FlagCase> {};

TEST_P(SchemeFlag, ReadsAnyNonZeroNumberAsOn) {
  dir.Write("f.qls", CrLf({"[f.qls - Scheme for Quillon V2.0]", "Port=Chocolate", "IWAD=Doom II",
                           "Params=-fast", "ExitOnTest=0", "Warp=0", "WarpTo=5", "NoMonsters=1",
                           "NoMusic=0", "NoSound=0", "NoCD=0", "OpenGL=0", "UseFiles=1",
                           "NumFiles=1", "File1Name=x.wad", "File1Path=/x/x.wad"}));
  ReadWrite scheme;
  scheme.SetFileName(Scheme("f.qls").toStdString());
  scheme.Save("f.qls - Scheme for Quillon V2.0", "NoMusic", GetParam().noMusic);
  Load(Scheme("f.qls"));
  EXPECT_EQ(Text("txtParams")->text(), "-fast");
  EXPECT_TRUE(Box("chkNoMonsters")->isChecked());
  if (GetParam().loaded) {
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_TRUE(Box("chkNoMusic")->isChecked());
    EXPECT_TRUE(Box("chkEnableFiles")->isChecked());
    EXPECT_EQ(Items(Find<QListView>("lstFiles")), QStringList{"x.wad"});
  } else {
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].icon, MessageIcon::Exclamation);
    // "Enable" comes after the five switches, so the load stops before it.
    EXPECT_FALSE(Box("chkEnableFiles")->isChecked());
    EXPECT_FALSE(Button("cmdAddPWAD")->isEnabled());
    EXPECT_EQ(Items(Find<QListView>("lstFiles")), (QStringList{"a.wad", "b.wad", "fix.deh"}));
    EXPECT_EQ(Get("Files", "NumFiles"), "3");
  }
}

INSTANTIATE_TEST_SUITE_P(Values, SchemeFlag,
                         ::testing::Values(FlagCase{"2", true}, FlagCase{" 1", true},
                                           FlagCase{"yes", false}, FlagCase{"", false},
                                           FlagCase{"40000", false}),
                         ::testing::PrintToStringParamName());

TEST_F(SchemeTest, LoadedFilesReachTheConfigurationAndSurviveARestart) {
  dir.Write("u.qls", CrLf({"[u.qls - Scheme for Quillon V2.0]",
                           "Port=Chocolate",
                           "IWAD=Doom II",
                           "Params=",
                           "ExitOnTest=0",
                           "Warp=0",
                           "WarpTo=1",
                           "NoMonsters=0",
                           "NoMusic=0",
                           "NoSound=0",
                           "NoCD=0",
                           "OpenGL=0",
                           "UseFiles=0",
                           "NumFiles=3",
                           "File1Name=1.wad",
                           "File1Path=/s/1.wad",
                           "File2Name=2.wad",
                           "File2Path=/s/",
                           "File3Name=3.bex",
                           "File3Path=/s/3.bex"}));
  Box("chkEnableFiles")->setChecked(true);
  Load(Scheme("u.qls"));
  auto* files = Find<QListView>("lstFiles");
  EXPECT_EQ(Items(files), (QStringList{"1.wad", "2.wad", "3.bex"}));
  EXPECT_FALSE(files->isEnabled());
  EXPECT_FALSE(Button("cmdAddPWAD")->isEnabled());
  EXPECT_EQ(Box("chkEnableFiles")->toolTip(), "Click to enable custom files");
  Close();
  Open();
  EXPECT_EQ(Items(Find<QListView>("lstFiles")), (QStringList{"1.wad", "2.wad", "3.bex"}));
  EXPECT_EQ(Items(Find<QListView>("lstFileDirs")), (QStringList{"/s/1.wad", "/s/", "/s/3.bex"}));
}

}  // namespace
}  // namespace quillon::test

namespace quillon::test {
namespace {

// A scheme keeps the options added later only when they are set, and one written before
// them loads with none of them set.
TEST_F(SchemeTest, AddedOptionsTravelWhenSetAndAnOlderSchemeClearsThem) {
  QComboBox* skill = List("cmbSkill");
  skill->setFocus();
  QTest::keyClick(skill, Qt::Key_Down);
  QTest::keyClick(skill, Qt::Key_Down);
  QTest::mouseClick(Box("chkSaveFolders"), Qt::LeftButton);
  Save(Scheme("set.qls"));
  EXPECT_EQ(SchemeKey("set.qls", "Skill"), "2");
  EXPECT_EQ(SchemeKey("set.qls", "SaveFolders"), "1");
  EXPECT_FALSE(dir.Read("set.qls").contains("Complevel="));

  // Written before the added options: the choices go back to none.
  ReadWrite older;
  older.SetFileName(Scheme("old.qls").toStdString());
  older.Create({"[old.qls - Scheme for Quillon V2.0]", "Port=Chocolate", "IWAD=Doom II",
                "Params=", "ExitOnTest=0", "Warp=0", "WarpTo=1", "NoMonsters=0", "NoMusic=0",
                "NoSound=0", "NoCD=0", "OpenGL=0", "UseFiles=0", "NumFiles=0", ""});
  Load(Scheme("old.qls"));
  EXPECT_EQ(skill->currentText(), "None");
  EXPECT_FALSE(Box("chkSaveFolders")->isChecked());
  Load(Scheme("set.qls"));
  EXPECT_EQ(skill->currentIndex(), 2);
  EXPECT_TRUE(Box("chkSaveFolders")->isChecked());
}

}  // namespace
}  // namespace quillon::test
