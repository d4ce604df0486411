// Another program (or another Quillon) changes QLN2.ini while the window is open: the window
// follows, and what it starts is the entry it shows.
#include <QListWidget>
#include <filesystem>
#include <functional>

#include "gui/SetupFixture.h"

namespace quillon::test {
namespace {

enum class Way { Rename, InPlace };

// Entries as "Name" (its file "Name.path") or "Name=file".
void SetList(ReadWrite& ini, ListId id, const QStringList& entries) {
  const ListKind& kind = KindOf(id);
  ini.Save(kind.section, kind.countKey, std::to_string(entries.size()));
  for (int i = 0; i < entries.size(); ++i) {
    const QString name = entries[i].section(u'=', 0, 0);
    const QString file = entries[i].contains(u'=') ? entries[i].section(u'=', 1) : name + ".path";
    ini.Save(kind.section, NameKey(kind, i + 1), name.toStdString());
    ini.Save(kind.section, FileKey(kind, i + 1), file.toStdString());
  }
}

class OtherProgramEdits : public SetupTest {
 protected:
  // Made on a copy elsewhere, as another program would, then renamed over the file or
  // written into it (with a later time, as a later edit has). endEventFirst false: our own
  // writes of this event are still unwritten.
  void Edit(ListId id, const QStringList& entries, Way way = Way::Rename,
            bool endEventFirst = true) {
    if (endEventFirst) EndEvent();
    QDir(dir.Path()).mkpath(QStringLiteral("other"));
    const QString copy = dir.FilePath(QStringLiteral("other/QLN2.ini"));
    QFile::remove(copy);
    ASSERT_TRUE(QFile::copy(IniPath(), copy));
    {
      ReadWrite other;
      other.SetFileName(copy.toStdString());
      SetList(other, id, entries);
      ASSERT_FALSE(other.WriteOrDiscard().has_value());
    }
    const std::filesystem::path ini = IniPath().toStdString();
    if (way == Way::Rename) {
      std::filesystem::rename(copy.toStdString(), ini);
      return;
    }
    const auto later = std::filesystem::last_write_time(ini) + std::chrono::seconds(5);
    dir.Write(QStringLiteral("QLN2.ini"), dir.Read(QStringLiteral("other/QLN2.ini")));
    std::filesystem::last_write_time(ini, later);
  }

  void OpenWithPorts(const QStringList& ports, int selected, bool filesOn = false) {
    WriteDefaultIni();
    PutList(ListId::Ports, ports);
    Put("Memory", "Port", std::to_string(selected));
    Put("Memory", "UseFiles", filesOn ? "1" : "0");
    Open();
    QApplication::setActiveWindow(window.get());
  }
  void PressF2() { QTest::keyClick(window.get(), Qt::Key_F2); }
  // Its write waits for the end of the event.
  void AddPwad() {
    desktop.fileChoices.push_back(QStringLiteral("/maps/new.wad"));
    ASSERT_TRUE(Button("cmdAddPWAD")->isEnabled());
    QTest::mouseClick(Button("cmdAddPWAD"), Qt::LeftButton);
  }
  void ExpectStarted(const char* name) {
    ASSERT_EQ(desktop.launches.size(), 1u);
    EXPECT_EQ(desktop.launches[0].Title, name);
    EXPECT_EQ(desktop.launches[0].File, std::string(name) + ".path");
  }
};

struct EditCase {
  const char* name;
  QStringList before;  // the ports when the window opens
  int selected;        // the remembered port, counted from 1
  QStringList after;   // the ports the other program leaves
  Way way;
  int shownIndex;         // where the selection is afterwards; -1: the placeholder
  bool byButton = false;  // Test clicked, else F2
  friend void PrintTo(const EditCase& c, std::ostream* os) { *os << c.name; }
};

class PortListEdits : public OtherProgramEdits, public ::testing::WithParamInterface<EditCase> {};

TEST_P(PortListEdits, TestStartsThePortTheWindowShows) {
  const EditCase& c = GetParam();
  OpenWithPorts(c.before, c.selected);
  const QString before = List("cmbPorts")->currentText();
  Edit(ListId::Ports, c.after, c.way);
  if (c.byButton) {
    ASSERT_TRUE(Button("cmdTest")->isEnabled());
    QTest::mouseClick(Button("cmdTest"), Qt::LeftButton);
  } else {
    PressF2();
  }
  QStringList items;
  for (const QString& entry : c.after) items << entry.section(u'=', 0, 0);
  EXPECT_EQ(Items(List("cmbPorts")), items + QStringList{"[No Source Port]"});
  if (c.shownIndex < 0) {
    EXPECT_EQ(List("cmbPorts")->currentIndex(), List("cmbPorts")->count() - 1);
    EXPECT_TRUE(desktop.launches.empty());
    EXPECT_FALSE(Button("cmdTest")->isEnabled());
    return;
  }
  EXPECT_EQ(List("cmbPorts")->currentIndex(), c.shownIndex);
  ExpectStarted(qPrintable(before));  // the entry shown: its file, the log named after it
}

INSTANTIATE_TEST_SUITE_P(
    Ports, PortListEdits,
    ::testing::Values(
        EditCase{"SwappedByRename", {"Alpha", "Beta"}, 1, {"Beta", "Alpha"}, Way::Rename, 1},
        EditCase{"SwappedInPlace", {"Alpha", "Beta"}, 1, {"Beta", "Alpha"}, Way::InPlace, 1},
        EditCase{
            "SwappedTestClicked", {"Alpha", "Beta"}, 1, {"Beta", "Alpha"}, Way::Rename, 1, true},
        EditCase{
            "OneBeforeRemoved", {"Alpha", "Beta", "Gamma"}, 2, {"Beta", "Gamma"}, Way::Rename, 0},
        EditCase{"OneAddedBefore", {"Alpha", "Beta"}, 2, {"New", "Alpha", "Beta"}, Way::InPlace, 2},
        EditCase{"SelectedRemoved", {"Alpha", "Beta"}, 1, {"Beta"}, Way::Rename, -1},
        EditCase{"SelectedGotAnotherFile",
                 {"Alpha", "Beta"},
                 1,
                 {"Alpha=/elsewhere", "Beta"},
                 Way::Rename,
                 -1},
        // Equal entries start the same program: the one nearest to where it was.
        EditCase{"DuplicatesKeepTheNearest",
                 {"Alpha", "Alpha", "Beta"},
                 2,
                 {"Beta", "Alpha", "Alpha", "Alpha"},
                 Way::Rename,
                 1},
        EditCase{"SameListWrittenAgain", {"Alpha", "Beta"}, 2, {"Alpha", "Beta"}, Way::InPlace, 1}),
    ::testing::PrintToStringParamName());

TEST_F(OtherProgramEdits, ComingBackToTheWindowShowsTheNewLists) {
  OpenWithPorts({"Alpha", "Beta"}, 2);
  Edit(ListId::Ports, {"Beta", "Gamma"});
  QApplication::setActiveWindow(nullptr);
  QApplication::setActiveWindow(window.get());
  EXPECT_EQ(Items(List("cmbPorts")), (QStringList{"Beta", "Gamma", "[No Source Port]"}));
  EXPECT_EQ(List("cmbPorts")->currentText(), "Beta");
}

TEST_F(OtherProgramEdits, LaunchStartsTheProgramTheWindowShows) {
  WriteDefaultIni();
  PutList(ListId::Programs, {"Editor", "Viewer"});
  Put("Memory", "Prog", "1");
  Open();
  Edit(ListId::Programs, {"Viewer", "Editor"});
  ASSERT_TRUE(Button("cmdLaunch")->isEnabled());
  QTest::mouseClick(Button("cmdLaunch"), Qt::LeftButton);
  ExpectStarted("Editor");
}

// The custom file removed is the one selected, wherever the other program moved it.
TEST_F(OtherProgramEdits, RemoveTakesTheSelectedFile) {
  WriteDefaultIni();
  PutList(ListId::Files, {"a.wad", "b.wad"});
  Put("Memory", "UseFiles", "1");
  Open();
  auto* files = Find<QListView>("lstFiles");
  const QRect second = files->visualRect(files->model()->index(1, 0));
  QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, second.center());
  Edit(ListId::Files, {"c.wad", "a.wad", "b.wad"});
  QTest::mouseClick(Button("cmdRemoveFile"), Qt::LeftButton);
  EXPECT_EQ(Items(files), (QStringList{"c.wad", "a.wad"}));
}

// A PWAD added here and not yet written when the other program's edit lands: both stay.
TEST_F(OtherProgramEdits, AChangeMadeHereSurvivesTheRefresh) {
  OpenWithPorts({"Alpha"}, 1, true);
  AddPwad();
  Edit(ListId::Ports, {"Zeta", "Alpha"}, Way::Rename, false);
  EndEvent();  // our write finds the file changed, reads it again and makes its change there
  desktop.questionAnswers.push_back(MessageResult::Yes);  // new.wad is made up
  PressF2();
  EXPECT_EQ(Items(List("cmbPorts")), (QStringList{"Zeta", "Alpha", "[No Source Port]"}));
  EXPECT_EQ(Items(Find<QListView>("lstFiles")), QStringList{"new.wad"});
  ExpectStarted("Alpha");
  EXPECT_NE(desktop.launches[0].Parameters.find("\"/maps/new.wad\""), std::string::npos);
  EXPECT_EQ(Get("Files", "File1Path"), "/maps/new.wad");
}

enum class Loss { Deleted, Folder };
void PrintTo(Loss loss, std::ostream* os) {
  *os << (loss == Loss::Deleted ? "Deleted" : "Folder");
}
void TakeAway(const QString& path, Loss loss) {
  ASSERT_TRUE(QFile::remove(path));
  if (loss == Loss::Folder) {
    ASSERT_TRUE(QDir().mkdir(path));
  }
}

class UnreadableFile : public OtherProgramEdits, public ::testing::WithParamInterface<Loss> {};

// Nothing is started from lists the file can no longer confirm, and they are kept. A deleted
// file is not a changed one: the document last read still stands, and comes back whole.
TEST_P(UnreadableFile, StartsNothingAndKeepsTheLists) {
  OpenWithPorts({"Alpha", "Beta"}, 1);
  EndEvent();
  TakeAway(IniPath(), GetParam());
  PressF2();
  if (GetParam() == Loss::Deleted) {
    ExpectStarted("Alpha");
    EXPECT_TRUE(desktop.messages.empty());
    desktop.launches.clear();
  } else {
    EXPECT_TRUE(desktop.launches.empty());
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "Error reading from INI file.");
  }
  EXPECT_EQ(Items(List("cmbPorts")), (QStringList{"Alpha", "Beta", "[No Source Port]"}));

  // Readable again, with the entries the other way round.
  QDir(IniPath()).removeRecursively();
  WriteDefaultIni();
  Edit(ListId::Ports, {"Beta", "Alpha"});
  PressF2();
  ExpectStarted("Alpha");
}

INSTANTIATE_TEST_SUITE_P(Losses, UnreadableFile, ::testing::Values(Loss::Deleted, Loss::Folder),
                         ::testing::PrintToStringParamName());

// An unwritten change stays in our copy, the truth while the file cannot be read.
TEST_F(OtherProgramEdits, APendingChangeOutlivesAFileThatCannotBeRead) {
  OpenWithPorts({"Alpha", "Beta"}, 2, true);
  AddPwad();
  TakeAway(IniPath(), Loss::Folder);
  EndEvent();  // the write finds nothing it can read, and waits
  desktop.questionAnswers.push_back(MessageResult::Yes);  // new.wad is made up
  PressF2();
  EXPECT_EQ(Items(Find<QListView>("lstFiles")), QStringList{"new.wad"});
  ExpectStarted("Beta");
  EXPECT_NE(desktop.launches[0].Parameters.find("\"/maps/new.wad\""), std::string::npos);
}

// "Test in Several Ports" shows the ports as they were when it opened; the ones checked are
// found again by name and file, and one that has gone is told, not replaced by another.
TEST_F(OtherProgramEdits, SeveralPortsStartTheOnesChecked) {
  OpenWithPorts({"Alpha", "Beta", "Gamma"}, 1);
  desktop.modalScripts.push_back([&](QDialog* dialog) {
    auto* ports = In<QListWidget>(dialog, "lstPorts");
    Edit(ListId::Ports, {"Gamma", "Alpha"});
    ports->setCurrentRow(0);
    QTest::keyClick(ports, Qt::Key_Space);  // Alpha
    QTest::keyClick(ports, Qt::Key_Down);
    QTest::keyClick(ports, Qt::Key_Space);  // Beta
    QTest::mouseClick(In<QPushButton>(dialog, "cmdTest"), Qt::LeftButton);
  });
  QTest::keyClick(window.get(), Qt::Key_F2, Qt::ShiftModifier);
  ExpectStarted("Alpha");
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text,
            "Could not start Beta.path: it is no longer in the list of source ports.");
}

// While a setup dialog is open the window's list stays as the dialog knows it; it follows the
// file once the dialog has closed.
TEST_F(OtherProgramEdits, AnEditDuringASetupDialogIsFollowedAfterIt) {
  OpenWithPorts({"Alpha", "Beta"}, 1);
  RunSetup(ListId::Ports, {[&](QDialog* setup) {
             Edit(ListId::Ports, {"Beta", "Alpha"});
             QTest::keyClick(ListIn(setup), Qt::Key_Home);
             EXPECT_EQ(Items(List("cmbPorts")), (QStringList{"Alpha", "Beta", "[No Source Port]"}));
           }});
  QApplication::setActiveWindow(window.get());
  PressF2();
  ExpectStarted("Alpha");
  EXPECT_EQ(Items(List("cmbPorts")), (QStringList{"Beta", "Alpha", "[No Source Port]"}));
}

}  // namespace
}  // namespace quillon::test
