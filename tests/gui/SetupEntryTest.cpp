#include <algorithm>

#include "core/files/PathHelpers.h"
#include "gui/SetupFixture.h"
#include "support/ParamNames.h"
#include "support/WadWriter.h"

namespace quillon::test {
namespace {

using SetupEntryTest = SetupTest;
using test::PrintTo;

TEST_F(SetupEntryTest, BrowseAndOkOnAnEmptyListWriteTheFirstEntryAndShowIt) {
  const QString anyProgram = QStringLiteral("All Files (*)|*|Programs (*.exe)|*.exe");
  const struct {
    ListId id;
    QString chosen;  // what the file dialog reports
    FileDialogRequest request;
    QStringList keys;  // the list's section afterwards
    QString shown;     // the main window's list, above its placeholder
  } cases[] = {
      {ListId::Ports,
       "/usr/games/chocolate-doom",
       {"Select Source Port EXE", anyProgram, "", test::kOpenFlags, false},
       {"NumPorts=1", "Port1Name=chocolate-doom", "Port1Path=/usr/games/chocolate-doom"},
       "chocolate-doom"},
      {ListId::IWADs,
       "D:\\Games\\Doom\\doom2.wad",
       {"Select IWAD", "IWADs (*.wad)|*.wad", "", test::kOpenFlags, false},
       {"NumIWADs=1", "IWAD1Name=doom2", "IWAD1File=D:\\Games\\Doom\\doom2.wad"},
       "doom2"},
      {ListId::Programs,
       "/opt/tools/my.map.editor",
       {"Select Program", anyProgram, "", test::kOpenFlags, false},
       {"NumProgs=1", "Prog1Name=my.map", "Prog1Path=/opt/tools/my.map.editor"},
       "my.map"},
  };
  for (const auto& c : cases) {
    WriteDefaultIni();
    Open();
    window->SetIwadPlaces({});  // no IWAD folder: every IWAD keeps its folder
    desktop.fileDialogs.clear();
    desktop.fileChoices.push_back(c.chosen);
    RunSetup(c.id, {[&](QDialog* setup) {
                      Click(setup, "cmdAdd");
                      EXPECT_EQ(Items(ListIn(setup)), QStringList{c.shown});
                      EXPECT_EQ(ListIn(setup)->currentIndex(), 0);
                    },
                    [&](QDialog* entry) {
                      EXPECT_EQ(TagOf(entry), "Add 0");
                      EXPECT_TRUE(entry->isModal());
                      Click(entry, "cmdBrowse");
                      Click(entry, "cmdOk");
                    }});
    ASSERT_EQ(desktop.fileDialogs.size(), 1u);
    EXPECT_EQ(desktop.fileDialogs[0], c.request);
    EXPECT_EQ(SectionLines(KindOf(c.id).section), c.keys);
    EXPECT_EQ(MainItems(c.id).first(), c.shown);
    EXPECT_EQ(MainItems(c.id).size(), 2);
    // Chosen where none was, as the user would; programs stay unchosen.
    EXPECT_EQ(List(MainOf(c.id).second)->currentIndex(), c.id == ListId::Programs ? 1 : 0);
    EXPECT_EQ(Button("cmdTest")->isEnabled(), c.id == ListId::Ports);
  }
}

TEST_F(SetupEntryTest, AddToThreeProgramsWritesTheFourthAndSurvivesARestart) {
  WriteDefaultIni();
  PutList(ListId::Programs, {"P", "Q", "R"});
  Put("Memory", "Prog", "4");
  Open();
  RunSetup(ListId::Programs, {[&](QDialog* setup) { Click(setup, "cmdAdd"); },
                              [&](QDialog* entry) {
                                EXPECT_EQ(TagOf(entry), "Add 3");
                                TypeInto(NameIn(entry), QStringLiteral("Editor"));
                                TypeInto(FileIn(entry), QStringLiteral(" /bin/ed"));
                                Click(entry, "cmdOk");
                              }});
  EXPECT_EQ(SectionLines("Programs").mid(7),
            (QStringList{"Prog4Name=Editor", "Prog4Path=\" /bin/ed\""}));
  EXPECT_EQ(Get("Programs", "NumProgs"), "4");
  const QStringList shown{"P", "Q", "R", "Editor", "[No Program]"};
  EXPECT_EQ(MainItems(ListId::Programs), shown);
  EXPECT_EQ(List("cmbProgs")->currentText(), "[No Program]");  // the choice stays
  Close();
  Open();
  EXPECT_EQ(MainItems(ListId::Programs), shown);
}

TEST_F(SetupEntryTest, ChangeOpensWithTheStoredFieldsAndRewritesOnlyThatEntry) {
  const struct {
    ListId id;
    int position;
    QStringList keys;
    QStringList shown;
  } cases[] = {
      {ListId::IWADs,
       0,
       {"NumIWADs=2", "IWAD1Name=New", "IWAD1File=new", "IWAD2Name=Two", "IWAD2File=Two.path"},
       {"New", "Two", "[Default (no -iwad)]"}},
      {ListId::Ports,
       1,
       {"NumPorts=2", "Port1Name=One", "Port1Path=One.path", "Port2Name=New", "Port2Path=new"},
       {"One", "New", "[No Source Port]"}},
  };
  for (const auto& c : cases) {
    WriteDefaultIni();
    PutList(c.id, {"One", "Two"});
    Put("Memory", "IWAD", "1");
    Put("Memory", "Port", "1");
    Open();
    RunSetup(c.id, {[&](QDialog* setup) {
                      Pick(ListIn(setup), c.position);
                      Click(setup, "cmdChange");
                      EXPECT_EQ(Items(ListIn(setup)), c.shown.mid(0, 2));
                    },
                    [&](QDialog* entry) {
                      const QString stored = c.position == 0 ? "One" : "Two";
                      EXPECT_EQ(TagOf(entry), QStringLiteral("Change %1").arg(c.position));
                      EXPECT_EQ(NameIn(entry)->text(), stored);
                      EXPECT_EQ(FileIn(entry)->text(), stored + ".path");
                      TypeInto(NameIn(entry), QStringLiteral("New"));
                      TypeInto(FileIn(entry), QStringLiteral("new"));
                      Click(entry, "cmdOk");
                    }});
    EXPECT_EQ(SectionLines(KindOf(c.id).section), c.keys);
    EXPECT_EQ(MainItems(c.id), c.shown);
    EXPECT_EQ(List(MainOf(c.id).second)->currentIndex(), 0);  // the choice stays
  }
}

TEST_F(SetupEntryTest, BrowseFillsTheFieldsFromTheChosenFileAndACancelKeepsThem) {
  const struct {
    ListId id;
    QString before;  // the file field when Browse is pressed
    std::optional<QString> chosen;
    QString initDir;
    QString name;  // typed "kept" stays; an empty name box gets the file's
    QString file;
  } cases[] = {
      {ListId::Ports, "/opt/old", "/opt/ports/new.x86_64", "/opt/", "kept",
       "/opt/ports/new.x86_64"},
      {ListId::Ports, "C:\\Old\\x.exe", "D:\\Ports\\engine.exe", "C:\\Old\\", "engine",
       "D:\\Ports\\engine.exe"},
      {ListId::Programs, "", "/usr/bin/editor", "", "editor", "/usr/bin/editor"},
      {ListId::IWADs, "doom.wad", "/srv/MY.MAP.WAD", "", "MY.MAP", "/srv/MY.MAP.WAD"},
      {ListId::IWADs, "/srv/x.wad", "/srv/.wad", "/srv/", "", "/srv/.wad"},
      {ListId::Ports, "/opt/old", std::nullopt, "/opt/", "kept", "/opt/old"},
  };
  WriteDefaultIni();
  Open();
  window->SetIwadPlaces({});
  for (const auto& c : cases) {
    desktop.fileDialogs.clear();
    desktop.fileChoices.push_back(c.chosen);
    RunSetup(c.id, {[&](QDialog* setup) { Click(setup, "cmdAdd"); },
                    [&](QDialog* entry) {
                      TypeInto(NameIn(entry), c.name == "kept" ? c.name : QString());
                      TypeInto(FileIn(entry), c.before);
                      Click(entry, "cmdBrowse");
                      EXPECT_EQ(NameIn(entry)->text(), c.name) << c.file.toStdString();
                      EXPECT_EQ(FileIn(entry)->text(), c.file);
                      Click(entry, "cmdCancel");
                    }});
    ASSERT_EQ(desktop.fileDialogs.size(), 1u);
    EXPECT_EQ(desktop.fileDialogs[0].initDir, c.initDir) << c.file.toStdString();
  }
}

TEST_F(SetupEntryTest, CancelEscapeAndTheCloseBoxWriteNothingAfterABrowse) {
  const Script leave[] = {
      [](QDialog* entry) { Click(entry, "cmdCancel"); },
      [](QDialog* entry) { QTest::keyClick(entry, Qt::Key_Escape); },
      [](QDialog* entry) { entry->close(); },
  };
  WriteDefaultIni();
  PutList(ListId::Ports, {"A"});
  const QByteArray before = IniBytes();
  Open();
  for (const Script& close : leave) {
    for (const char* button : {"cmdAdd", "cmdChange"}) {
      desktop.fileChoices.push_back(QStringLiteral("/usr/games/crispy-doom"));
      RunSetup(ListId::Ports, {[&](QDialog* setup) {
                                 Pick(ListIn(setup), 0);
                                 Click(setup, button);
                                 EXPECT_EQ(Items(ListIn(setup)), QStringList{"A"});
                               },
                               [&](QDialog* entry) {
                                 Click(entry, "cmdBrowse");
                                 close(entry);
                                 EXPECT_FALSE(entry->isVisible());
                               }});
    }
  }
  EXPECT_EQ(IniBytes(), before);
  EXPECT_EQ(MainItems(ListId::Ports), (QStringList{"A", "[No Source Port]"}));
}

// Browse in the IWAD dialog keeps the folder unless the ports find that file by its name.
struct IwadBrowse {
  const char* name;
  const char* chosen;  // under a scratch folder whose dir/ is DOOMWADDIR and path DOOMWADPATH
  bool bare;           // stored by its name alone
};
class IwadBrowseTest : public SetupTest, public ::testing::WithParamInterface<IwadBrowse> {};

TEST_P(IwadBrowseTest, StoresWhatThePortFindsAndTestHandsItOver) {
  const ScratchFolder root;
  for (const char* file : {"dir/doom2.wad", "dir/sub/tnt.wad", "path/doom2.wad", "path/tnt.wad",
                           "elsewhere/doom2.wad"}) {
    std::filesystem::create_directories((root.Path() / file).parent_path());
    WriteBytes(root.Path() / file, "");
  }
  WriteDefaultIni();
  PutList(ListId::Ports, {"/usr/games/chocolate-doom"});
  Put("Memory", "Port", "1");
  Open();
  window->SetIwadPlaces({root.File("dir/"), root.File("path"), "", {}});
  desktop.fileChoices.push_back(Qs(root.File(GetParam().chosen)));
  RunSetup(ListId::IWADs, {[](QDialog* setup) { Click(setup, "cmdAdd"); },
                           [](QDialog* entry) {
                             Click(entry, "cmdBrowse");
                             Click(entry, "cmdOk");
                           }});
  const std::string file =
      GetParam().bare ? FileNameOf(GetParam().chosen) : root.File(GetParam().chosen);
  EXPECT_EQ(Get("IWADs", "IWAD1File"), file);
  // The port finds it: Test asks nothing and hands it over as stored.
  Click(window.get(), "cmdTest");
  EXPECT_TRUE(desktop.messages.empty());
  ASSERT_EQ(desktop.launches.size(), 1u);
  const std::vector<std::string> iwad{"-iwad", file};
  EXPECT_FALSE(std::ranges::search(*desktop.launches[0].Arguments, iwad).empty());
}

const IwadBrowse kIwadBrowses[] = {
    {"in DOOMWADDIR by name", "dir/doom2.wad", true},
    {"in DOOMWADPATH by name", "path/tnt.wad", true},
    {"elsewhere with its folder", "elsewhere/doom2.wad", false},
    {"hidden by an earlier folder with its folder", "path/doom2.wad", false},
    {"below an IWAD folder with its folder", "dir/sub/tnt.wad", false},
};
INSTANTIATE_TEST_SUITE_P(Browses, IwadBrowseTest, ::testing::ValuesIn(kIwadBrowses),
                         [](const auto& info) { return PhraseName(info.param.name); });

}  // namespace
}  // namespace quillon::test
