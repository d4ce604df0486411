#include "gui/MainWindowFixture.h"
#include "support/ParamNames.h"

namespace quillon::test {
namespace {

const QByteArray kFreshIni = CrLf({"[Ports]",
                                   "NumPorts=0",
                                   "",
                                   "[IWADs]",
                                   "NumIWADs=0",
                                   "",
                                   "[Programs]",
                                   "NumProgs=0",
                                   "",
                                   "[Files]",
                                   "NumFiles=0",
                                   "",
                                   "[Memory]",
                                   "Port=0",
                                   "IWAD=0",
                                   "Prog=0",
                                   "UseFiles=0",
                                   "ExitOnTest=0",
                                   "Warp=0",
                                   "WarpTo=1",
                                   "NoMonsters=0",
                                   "NoMusic=0",
                                   "NoSound=0",
                                   "NoCD=0",
                                   "OpenGL=0",
                                   ""});

TEST_F(MainWindowTest, FirstStartWritesTheDefaultFileAndSaysSoOnce) {
  Open();
  EXPECT_EQ(IniBytes(), kFreshIni);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text,
            "No INI was found, so Quillon created a new one.\r\nTo use this program, set up "
            "source ports, IWADs and programs by using the setup buttons.");
  EXPECT_EQ(desktop.messages[0].title, "Quillon 2.01");
  EXPECT_EQ(desktop.messages[0].icon, MessageIcon::Information);

  for (auto [name, placeholder] : {std::pair{"cmbPorts", "[No Source Port]"},
                                   {"cmbIWADs", "[Default (no -iwad)]"},
                                   {"cmbProgs", "[No Program]"}}) {
    EXPECT_EQ(Items(List(name)), QStringList{placeholder}) << name;
    EXPECT_EQ(List(name)->currentIndex(), 0) << name;
  }
  EXPECT_FALSE(Button("cmdTest")->isEnabled());
  EXPECT_FALSE(Action("ProgramTest")->isEnabled());
  EXPECT_FALSE(Button("cmdLaunch")->isEnabled());
  EXPECT_TRUE(Box("chkWarp")->isChecked());
  EXPECT_EQ(Text("txtWarp")->text(), "1");
  for (auto name : {"cmdAddPWAD", "cmdAddDEH", "cmdRemoveFile", "lstFiles"}) {
    EXPECT_FALSE(Find<QWidget>(name)->isEnabled()) << name;
  }
  EXPECT_EQ(window->pos(), QPoint((1024 - window->width()) / 2, (768 - window->height()) / 2));

  // Closing at once remembers exactly the state on screen.
  Close();
  const QByteArray memory = CrLf({"[Memory]", "Port=0", "IWAD=0", "Prog=0", "UseFiles=0",
                                  "ExitOnTest=0", "Warp=1", "WarpTo=1", "NoMonsters=0", "NoMusic=0",
                                  "NoSound=0", "NoCD=0", "OpenGL=0", "Params=", "ProgParams=", ""});
  const QByteArray lists = kFreshIni.left(kFreshIni.indexOf("[Memory]"));
  EXPECT_EQ(IniBytes(), lists + memory);
}

TEST_F(MainWindowTest, SecondStartShowsNoMessageAndTheSameState) {
  Open();
  Close();
  desktop.messages.clear();
  Open();
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_EQ(List("cmbPorts")->currentIndex(), 0);
  EXPECT_FALSE(Button("cmdTest")->isEnabled());
  EXPECT_TRUE(Box("chkWarp")->isChecked());
  EXPECT_EQ(Text("txtWarp")->text(), "1");
}

TEST_F(MainWindowTest, UnwritableConfigurationStillOpensOnEmptyLists) {
  // A directory where the file should be cannot be replaced, even by root.
  ASSERT_TRUE(QDir(dir.Path()).mkdir(QStringLiteral("QLN2.ini")));
  Open();
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, "Error reading from INI file.");
  EXPECT_EQ(desktop.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(Items(List("cmbPorts")), QStringList{"[No Source Port]"});
  EXPECT_FALSE(Button("cmdTest")->isEnabled());
  Close();  // the writes are lost, quietly
}

struct SelectionCase {
  const char* port;
  int expectedIndex;  // -1: the error message and nothing later restored
  bool testEnabled;
  friend void PrintTo(const SelectionCase& c, std::ostream* os) {
    *os << "Port_" << TextName(c.port);
  }
};

class PortSelection : public MainWindowTest, public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(PortSelection, RestoresTheRememberedPort) {
  const SelectionCase& c = GetParam();
  WriteDefaultIni();
  PutList(ListId::Ports, {"Chocolate", "Crispy"});
  PutList(ListId::IWADs, {"Freedoom 2"});
  Put("Memory", "Port", c.port);
  Put("Memory", "IWAD", "1");
  Put("Memory", "NoMonsters", "1");
  Put("Memory", "Params", "-fast");
  Open();

  if (c.expectedIndex < 0) {
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "Error reading from INI file.");
    EXPECT_EQ(desktop.messages[0].title, "Quillon 2.01");
    EXPECT_EQ(List("cmbIWADs")->currentIndex(), -1);
    EXPECT_FALSE(Box("chkNoMonsters")->isChecked());
    EXPECT_EQ(Text("txtParams")->text(), "");
  } else {
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_EQ(List("cmbPorts")->currentIndex(), c.expectedIndex);
    EXPECT_EQ(List("cmbIWADs")->currentIndex(), 0);
    EXPECT_TRUE(Box("chkNoMonsters")->isChecked());
    EXPECT_EQ(Text("txtParams")->text(), "-fast");
  }
  EXPECT_EQ(Button("cmdTest")->isEnabled(), c.testEnabled);
  EXPECT_EQ(Action("ProgramTest")->isEnabled(), c.testEnabled);
}

INSTANTIATE_TEST_SUITE_P(
    Memory, PortSelection,
    ::testing::Values(SelectionCase{"2", 1, true}, SelectionCase{"1", 0, true},
                      SelectionCase{"0", 2, false},
                      SelectionCase{"3", 2, false},    // one past the entries: the placeholder
                      SelectionCase{"1.5", 0, true},   // 0.5 rounds to the even 0
                      SelectionCase{"2.5", 2, false},  // 1.5 rounds to the even 2
                      SelectionCase{" 2 ", 1, true},
                      SelectionCase{"4", -1, false},  // the first number past the placeholder
                      SelectionCase{"5", -1, false}, SelectionCase{"-1", -1, false},
                      SelectionCase{"", -1, false}, SelectionCase{"two", -1, false},
                      SelectionCase{"99999", -1, false}),
    ::testing::PrintToStringParamName());

TEST_F(MainWindowTest, ClosingStoresEachSelectionCountedFromOne) {
  WriteDefaultIni();
  PutList(ListId::Ports, {"Chocolate", "Crispy"});
  PutList(ListId::IWADs, {"Doom II"});
  PutList(ListId::Programs, {"Editor", "Builder", "Checker"});
  Open();
  List("cmbPorts")->setCurrentIndex(1);
  List("cmbIWADs")->setCurrentIndex(1);  // the placeholder
  List("cmbProgs")->setCurrentIndex(2);
  Box("chkEnableFiles")->setChecked(true);
  Box("chkNoSound")->setChecked(true);
  Box("chkGLmode")->setChecked(true);
  Box("chkCloseOnTest")->setChecked(true);
  Box("chkWarp")->setChecked(true);
  Text("txtWarp")->setText("E1M1 2");
  Text("txtParams")->setText("-skill 4 \"quoted\"");
  Text("txtProgParams")->setText("-map MAP01");
  Close();

  const std::pair<const char*, const char*> expected[] = {{"Port", "2"},
                                                          {"IWAD", "0"},
                                                          {"Prog", "3"},
                                                          {"UseFiles", "1"},
                                                          {"ExitOnTest", "0"},
                                                          {"Warp", "1"},
                                                          {"WarpTo", "E1M1 2"},
                                                          {"NoMonsters", "0"},
                                                          {"NoMusic", "0"},
                                                          {"NoSound", "1"},
                                                          {"NoCD", "0"},
                                                          {"OpenGL", "1"},
                                                          {"Params", "-skill 4 \"quoted\""},
                                                          {"ProgParams", "-map MAP01"}};
  for (const auto& [key, value] : expected) EXPECT_EQ(Get("Memory", key), value) << key;

  // "Exit when testing" is never remembered.
  Open();
  EXPECT_FALSE(Box("chkCloseOnTest")->isChecked());
  EXPECT_EQ(List("cmbPorts")->currentIndex(), 1);
  EXPECT_EQ(List("cmbProgs")->currentIndex(), 2);
  EXPECT_TRUE(Button("cmdLaunch")->isEnabled());
  EXPECT_TRUE(Box("chkGLmode")->isChecked());
  EXPECT_EQ(Text("txtWarp")->text(), "E1M1 2");
}

TEST_F(MainWindowTest, ExitButtonMenuAndCloseBoxAllWriteTheMemory) {
  for (auto how : {"cmdExit", "ProgramExit", "close box"}) {
    WriteDefaultIni();
    Open();
    Box("chkNoMusic")->setChecked(true);
    if (QString(how) == "cmdExit") {
      Button("cmdExit")->click();
    } else if (QString(how) == "ProgramExit") {
      Action("ProgramExit")->trigger();
    } else {
      window->close();
    }
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(Get("Memory", "NoMusic"), "1") << how;
    window.reset();
  }
}

TEST_F(MainWindowTest, RestoresFlagsWithTheirReactions) {
  WriteDefaultIni();
  Put("Memory", "Warp", "0");
  Put("Memory", "WarpTo", "7");
  Put("Memory", "NoMusic", "2");  // any non-zero number is on
  Put("Memory", "NoCD", "0.4");   // rounds to 0
  Put("Memory", "OpenGL", "1");
  Put("Memory", "UseFiles", "1");
  Put("Memory", "ProgParams", "  -a  ");
  Open();

  EXPECT_FALSE(Box("chkWarp")->isChecked());
  EXPECT_FALSE(Text("txtWarp")->isEnabled());
  EXPECT_EQ(Text("txtWarp")->text(), "7");
  // Warp comes back before its level: the tooltip names the level of that moment.
  EXPECT_EQ(Text("txtWarp")->toolTip(), "Warp to level 1");
  EXPECT_EQ(Box("chkWarp")->toolTip(), "Level warp is off");
  EXPECT_TRUE(Box("chkNoMusic")->isChecked());
  EXPECT_EQ(Box("chkNoMusic")->toolTip(), "Click to enable MIDI music");
  EXPECT_FALSE(Box("chkNoCD")->isChecked());
  EXPECT_TRUE(Box("chkGLmode")->isChecked());
  EXPECT_EQ(Box("chkGLmode")->toolTip(), "");
  EXPECT_TRUE(Box("chkEnableFiles")->isChecked());
  EXPECT_EQ(Box("chkEnableFiles")->toolTip(), "Click to disable custom files");
  for (auto name : {"cmdAddPWAD", "cmdAddDEH", "cmdRemoveFile", "lstFiles"}) {
    EXPECT_TRUE(Find<QWidget>(name)->isEnabled()) << name;
  }
  EXPECT_EQ(Text("txtProgParams")->text(), "  -a  ");  // as it was saved
}

TEST_F(MainWindowTest, UseFilesOffGreysTheListAndSetsTheTooltip) {
  WriteDefaultIni();
  Open();
  auto* files = Find<QListView>("lstFiles");
  EXPECT_FALSE(files->isEnabled());
  EXPECT_EQ(files->palette().color(QPalette::Disabled, QPalette::Base),
            QApplication::palette().color(QPalette::Window));
  EXPECT_EQ(Box("chkEnableFiles")->toolTip(), "Click to enable custom files");
}

TEST_F(MainWindowTest, EmptyWarpToKeepsTheLevelText) {
  WriteDefaultIni();
  Put("Memory", "WarpTo", "");
  Open();
  EXPECT_EQ(Text("txtWarp")->text(), "1");
}

TEST_F(MainWindowTest, BadFlagStopsTheRestoreThere) {
  WriteDefaultIni();
  Put("Memory", "Params", "-fast");
  Put("Memory", "Warp", "yes");
  Put("Memory", "NoMonsters", "1");
  Open();
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(Text("txtParams")->text(), "-fast");  // restored before the failure
  EXPECT_FALSE(Box("chkNoMonsters")->isChecked());
}

}  // namespace
}  // namespace quillon::test

namespace quillon::test {
namespace {

// The options added later: what the file held, the keys the user pressed on the control,
// and what the file holds after closing ("(absent)": the key is not in it).
struct AddedOptionCase {
  const char* name;
  const char* key;
  const char* control;
  const char* stored;  // nullptr: absent
  int downPresses;
  const char* after;
};

class AddedOptions : public MainWindowTest,
                     public ::testing::WithParamInterface<AddedOptionCase> {};

TEST_P(AddedOptions, AreWrittenOnlyWhenChosenAndKeepWhatTheyDoNotKnow) {
  const AddedOptionCase& c = GetParam();
  WriteDefaultIni();
  if (c.stored) Put("Memory", c.key, c.stored);
  Open();
  QComboBox* box = List(c.control);
  box->setFocus();
  for (int i = 0; i < c.downPresses; ++i) QTest::keyClick(box, Qt::Key_Down);
  Close();
  const QByteArray bytes = IniBytes();
  const std::string line = std::string(c.key) + "=";
  if (std::string_view(c.after) == "(absent)") {
    EXPECT_FALSE(bytes.contains(QByteArray::fromStdString(line))) << bytes.toStdString();
  } else {
    EXPECT_EQ(Get("Memory", c.key), c.after);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddedOptions,
    ::testing::Values(
        AddedOptionCase{"SkillLeftAlone", "Skill", "cmbSkill", nullptr, 0, "(absent)"},
        AddedOptionCase{"SkillChosen", "Skill", "cmbSkill", nullptr, 4, "4"},
        AddedOptionCase{"SkillUnknownKept", "Skill", "cmbSkill", "9", 0, "9"},
        AddedOptionCase{"SkillRestored", "Skill", "cmbSkill", "2", 1, "3"},
        AddedOptionCase{"ComplevelChosen", "Complevel", "cmbComplevel", nullptr, 4, "9"},
        AddedOptionCase{"ComplevelUnknownKept", "Complevel", "cmbComplevel", "x", 0, "x"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillon::test
