#include "gui/MainWindowFixture.h"
#include "support/ParamNames.h"

namespace quillon::test {
namespace {

TEST_F(MainWindowTest, FillsEachListInEntryOrderFollowedByItsPlaceholder) {
  WriteDefaultIni();
  PutList(ListId::Ports, {"Chocolate", "Crispy"});
  PutList(ListId::IWADs, {"Freedoom 1", "Freedoom 2", "Doom"});
  PutList(ListId::Files, {"map01.wad", "fix.deh"});
  Open();
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_EQ(Items(List("cmbPorts")), (QStringList{"Chocolate", "Crispy", "[No Source Port]"}));
  EXPECT_EQ(Items(List("cmbIWADs")),
            (QStringList{"Freedoom 1", "Freedoom 2", "Doom", "[Default (no -iwad)]"}));
  EXPECT_EQ(Items(List("cmbProgs")), QStringList{"[No Program]"});
  EXPECT_EQ(Items(Find<QListView>("lstFiles")), (QStringList{"map01.wad", "fix.deh"}));
  EXPECT_EQ(Items(Find<QListView>("lstFileDirs")), (QStringList{"map01.wad.path", "fix.deh.path"}));
  EXPECT_FALSE(Find<QListView>("lstFileDirs")->isVisible());
}

struct CountCase {
  const char* numPorts;
  QStringList items;  // what cmbPorts holds afterwards
  bool error;
  friend void PrintTo(const CountCase& c, std::ostream* os) {
    *os << "NumPorts_" << TextName(c.numPorts);
  }
};

class PortCount : public MainWindowTest, public ::testing::WithParamInterface<CountCase> {};

TEST_P(PortCount, ReadsTheCountAsA16BitNumber) {
  const CountCase& c = GetParam();
  WriteDefaultIni();
  PutList(ListId::Ports, {"A", "B"});
  PutList(ListId::IWADs, {"I"});
  Put("Ports", "NumPorts", c.numPorts);
  Open();
  EXPECT_EQ(Items(List("cmbPorts")), c.items);
  if (c.error) {
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "Error reading from INI file.");
    EXPECT_EQ(desktop.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(List("cmbIWADs")->count(), 0);  // later lists stay empty
  } else {
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_EQ(Items(List("cmbIWADs")), (QStringList{"I", "[Default (no -iwad)]"}));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Counts, PortCount,
    ::testing::Values(CountCase{"2", {"A", "B", "[No Source Port]"}, false},
                      CountCase{"3", {"A", "B", "", "[No Source Port]"}, false},  // missing entry
                      CountCase{"1", {"A", "[No Source Port]"}, false},
                      CountCase{"2.5", {"A", "B", "[No Source Port]"}, false},
                      CountCase{"0", {"[No Source Port]"}, false},
                      CountCase{"-4", {"[No Source Port]"}, false}, CountCase{"", {}, true},
                      CountCase{"lots", {}, true}, CountCase{"32767", {}, true},
                      CountCase{"1e3", {}, true}),
    ::testing::PrintToStringParamName());

TEST_F(MainWindowTest, MissingCountStopsTheRefreshButNotTheRestore) {
  WriteDefaultIni();
  PutList(ListId::Ports, {"A", "B"});
  Put("Memory", "Port", "1");
  Put("Memory", "NoSound", "1");
  // Drop NumIWADs from the file.
  QByteArray bytes = IniBytes();
  bytes.replace("NumIWADs=0\r\n", "");
  dir.Write(QStringLiteral("QLN2.ini"), bytes);
  Open();

  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(Items(List("cmbPorts")), (QStringList{"A", "B", "[No Source Port]"}));
  EXPECT_EQ(List("cmbIWADs")->count(), 0);
  EXPECT_EQ(List("cmbProgs")->count(), 0);
  EXPECT_EQ(List("cmbPorts")->currentIndex(), 0);
  EXPECT_TRUE(Box("chkNoSound")->isChecked());
  EXPECT_TRUE(Button("cmdTest")->isEnabled());
  EXPECT_FALSE(Button("cmdLaunch")->isEnabled());
}

TEST_F(MainWindowTest, SelectionReactionsFollowThePlaceholder) {
  WriteDefaultIni();
  PutList(ListId::Ports, {"A", "B"});
  PutList(ListId::IWADs, {"I"});
  PutList(ListId::Programs, {"P"});
  Open();
  auto* ports = List("cmbPorts");
  auto* progs = List("cmbProgs");
  ports->setCurrentIndex(1);
  progs->setCurrentIndex(0);
  EXPECT_TRUE(Button("cmdTest")->isEnabled());
  EXPECT_TRUE(Action("ProgramTest")->isEnabled());
  EXPECT_TRUE(Button("cmdLaunch")->isEnabled());

  ports->setCurrentIndex(2);
  progs->setCurrentIndex(1);
  EXPECT_FALSE(Button("cmdTest")->isEnabled());
  EXPECT_FALSE(Action("ProgramTest")->isEnabled());
  EXPECT_FALSE(Button("cmdLaunch")->isEnabled());

  // The IWAD list has no reaction of its own.
  const bool before = Button("cmdTest")->isEnabled();
  List("cmbIWADs")->setCurrentIndex(0);
  EXPECT_EQ(Button("cmdTest")->isEnabled(), before);
}

TEST_F(MainWindowTest, UserPicksAPortWithTheKeyboard) {
  WriteDefaultIni();
  PutList(ListId::Ports, {"A", "B"});
  Open();  // Port=0: the placeholder
  auto* ports = List("cmbPorts");
  ports->setFocus();
  QTest::keyClick(ports, Qt::Key_Home);
  EXPECT_EQ(ports->currentIndex(), 0);
  EXPECT_TRUE(Button("cmdTest")->isEnabled());
  QTest::keyClick(ports, Qt::Key_End);
  EXPECT_FALSE(Button("cmdTest")->isEnabled());
}

TEST_F(MainWindowTest, RefreshOfOneListFillsOnlyThatList) {
  WriteDefaultIni();
  Open();                                        // every list: its placeholder
  window->RefreshLists(QStringLiteral("port"));  // the word is case-sensitive: nothing
  EXPECT_EQ(List("cmbPorts")->count(), 1);
  window->RefreshLists(QStringLiteral("Prog"));
  EXPECT_EQ(List("cmbPorts")->count(), 1);
  EXPECT_EQ(List("cmbProgs")->count(), 2);
  EXPECT_EQ(List("cmbProgs")->currentIndex(), 0);  // the selection is left alone
}

}  // namespace
}  // namespace quillon::test
