// Another program (or another Quillon) changes QLN2.ini while the window is open: the window
// follows, and what it starts is the entry it shows.
#include <QListWidget>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "gui/SetupFixture.h"
#include "support/ParamNames.h"

namespace quillon::test {
namespace {

enum class Way { Rename, InPlace };

// Entries as "Name" (its file "Name.path") or "Name=file".
void SetList(ReadWrite& ini, ListId id, const QStringList& entries) {
  const ListKind& kind = KindOf(id);
  ini.Save(kind.section, kind.countKey, std::to_string(entries.size()));
  for (int i = 0; i < entries.size(); ++i) {
    const QStringList parts = entries[i].split(u'=');
    const std::string name = parts[0].toStdString();
    const std::string file = parts.size() > 1 ? parts[1].toStdString() : name + ".path";
    ini.Save(kind.section, NameKey(kind, i + 1), name);
    ini.Save(kind.section, FileKey(kind, i + 1), file);
  }
}

class OtherProgramEdits : public SetupTest {
 protected:
  // The edit is made on a copy in another folder, as another program holds its own, then
  // put in place: renamed over the file, or written into it (with a later time, as a later
  // edit has). endEventFirst false: our own writes of this event are still unwritten.
  void EditElsewhere(const std::function<void(ReadWrite&)>& edit, Way way = Way::Rename,
                     bool endEventFirst = true) {
    if (endEventFirst) EndEvent();
    ASSERT_TRUE(QDir(dir.Path()).mkpath(QStringLiteral("other")));
    const QString copy = dir.FilePath(QStringLiteral("other/QLN2.ini"));
    QFile::remove(copy);
    ASSERT_TRUE(QFile::copy(IniPath(), copy));
    {
      ReadWrite other;
      other.SetFileName(copy.toStdString());
      edit(other);
      ASSERT_FALSE(other.WriteOrDiscard().has_value());
    }
    if (way == Way::Rename) {
      ASSERT_EQ(std::rename(copy.toLocal8Bit().constData(), IniPath().toLocal8Bit().constData()),
                0);
      return;
    }
    const auto later =
        std::filesystem::last_write_time(IniPath().toStdString()) + std::chrono::seconds(5);
    dir.Write(QStringLiteral("QLN2.ini"), dir.Read(QStringLiteral("other/QLN2.ini")));
    std::filesystem::last_write_time(IniPath().toStdString(), later);
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
  void AddPwad(const char* path) {
    desktop.fileChoices.push_back(QString::fromLatin1(path));
    ASSERT_TRUE(Button("cmdAddPWAD")->isEnabled());
    QTest::mouseClick(Button("cmdAddPWAD"), Qt::LeftButton);
  }
  // The file of the entry cmbPorts shows, as the file on disk says now.
  std::string ShownPortFile() const {
    const ListKind& ports = KindOf(ListId::Ports);
    return Get(ports.section, FileKey(ports, List("cmbPorts")->currentIndex() + 1));
  }
};

struct EditCase {
  const char* name;
  QStringList before;  // the ports when the window opens
  int selected;        // the remembered port, counted from 1
  QStringList after;   // the ports the other program leaves
  Way way;
  int shownIndex;  // where the selection is afterwards; -1: the placeholder
  friend void PrintTo(const EditCase& c, std::ostream* os) { *os << c.name; }
};

class PortListEdits : public OtherProgramEdits, public ::testing::WithParamInterface<EditCase> {};

TEST_P(PortListEdits, F2StartsThePortTheWindowShows) {
  const EditCase& c = GetParam();
  OpenWithPorts(c.before, c.selected);
  const QString before = List("cmbPorts")->currentText();
  EditElsewhere([&](ReadWrite& ini) { SetList(ini, ListId::Ports, c.after); }, c.way);
  PressF2();

  QStringList items;
  for (const QString& entry : c.after) items << entry.section(u'=', 0, 0);
  EXPECT_EQ(Items(List("cmbPorts")), items + QStringList{"[No Source Port]"});
  if (c.shownIndex < 0) {
    EXPECT_EQ(List("cmbPorts")->currentIndex(), List("cmbPorts")->count() - 1);
    EXPECT_TRUE(desktop.launches.empty());
    EXPECT_FALSE(Button("cmdTest")->isEnabled());
    EXPECT_FALSE(Action("ProgramTest")->isEnabled());
    return;
  }
  EXPECT_EQ(List("cmbPorts")->currentIndex(), c.shownIndex);
  EXPECT_EQ(List("cmbPorts")->currentText(), before);
  ASSERT_EQ(desktop.launches.size(), 1u);
  EXPECT_EQ(Qs(desktop.launches[0].Title), List("cmbPorts")->currentText());
  EXPECT_EQ(desktop.launches[0].File, ShownPortFile());
}

INSTANTIATE_TEST_SUITE_P(
    Ports, PortListEdits,
    ::testing::Values(
        EditCase{"SwappedByRename", {"Alpha", "Beta"}, 1, {"Beta", "Alpha"}, Way::Rename, 1},
        EditCase{"SwappedInPlace", {"Alpha", "Beta"}, 1, {"Beta", "Alpha"}, Way::InPlace, 1},
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

TEST_F(OtherProgramEdits, TestButtonStartsThePortTheWindowShows) {
  OpenWithPorts({"Alpha", "Beta"}, 1);
  EditElsewhere([](ReadWrite& ini) { SetList(ini, ListId::Ports, {"Beta", "Alpha"}); });
  ASSERT_TRUE(Button("cmdTest")->isEnabled());
  QTest::mouseClick(Button("cmdTest"), Qt::LeftButton);
  ASSERT_EQ(desktop.launches.size(), 1u);
  EXPECT_EQ(desktop.launches[0].Title, "Alpha");
  EXPECT_EQ(desktop.launches[0].File, "Alpha.path");
  // Named in the log after the same entry.
  EXPECT_EQ(List("cmbPorts")->currentText(), "Alpha");
}

TEST_F(OtherProgramEdits, ComingBackToTheWindowShowsTheNewLists) {
  OpenWithPorts({"Alpha", "Beta"}, 2);
  EditElsewhere([](ReadWrite& ini) { SetList(ini, ListId::Ports, {"Beta", "Gamma"}); });
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
  EditElsewhere([](ReadWrite& ini) { SetList(ini, ListId::Programs, {"Viewer", "Editor"}); });
  ASSERT_TRUE(Button("cmdLaunch")->isEnabled());
  QTest::mouseClick(Button("cmdLaunch"), Qt::LeftButton);
  ASSERT_EQ(desktop.launches.size(), 1u);
  EXPECT_EQ(desktop.launches[0].Title, "Editor");
  EXPECT_EQ(desktop.launches[0].File, "Editor.path");
}

// The IWAD is read by its position too.
TEST_F(OtherProgramEdits, TheIwadPassedIsTheOneShown) {
  WriteDefaultIni();
  PutList(ListId::Ports, {"Alpha"});
  PutList(ListId::IWADs, {"Doom", "Heretic"});
  Put("Memory", "Port", "1");
  Put("Memory", "IWAD", "2");
  Open();
  QApplication::setActiveWindow(window.get());
  EditElsewhere([](ReadWrite& ini) { SetList(ini, ListId::IWADs, {"Heretic", "Doom"}); });
  PressF2();
  ASSERT_EQ(desktop.launches.size(), 1u);
  EXPECT_EQ(List("cmbIWADs")->currentText(), "Heretic");
  EXPECT_NE(desktop.launches[0].Parameters.find(" -iwad Heretic.path "), std::string::npos);
}

// The custom file removed is the one selected, wherever the other program moved it.
TEST_F(OtherProgramEdits, RemoveTakesTheSelectedFileAfterAnEdit) {
  WriteDefaultIni();
  PutList(ListId::Files, {"a.wad", "b.wad"});
  Put("Memory", "UseFiles", "1");
  Open();
  auto* files = Find<QListView>("lstFiles");
  const QRect second = files->visualRect(files->model()->index(1, 0));
  QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, second.center());
  ASSERT_EQ(files->currentIndex().row(), 1);
  EditElsewhere([](ReadWrite& ini) { SetList(ini, ListId::Files, {"c.wad", "a.wad", "b.wad"}); });
  ASSERT_TRUE(Button("cmdRemoveFile")->isEnabled());
  QTest::mouseClick(Button("cmdRemoveFile"), Qt::LeftButton);
  EXPECT_EQ(Items(files), (QStringList{"c.wad", "a.wad"}));
  EXPECT_EQ(Get("Files", "NumFiles"), "2");
  EXPECT_EQ(Get("Files", "File1Name"), "c.wad");
  EXPECT_EQ(Get("Files", "File2Name"), "a.wad");
}

// A PWAD added here and not yet written when the other program's edit lands: both stay.
TEST_F(OtherProgramEdits, AChangeMadeHereSurvivesTheRefresh) {
  OpenWithPorts({"Alpha"}, 1, true);
  AddPwad("/maps/new.wad");
  EditElsewhere(
      [](ReadWrite& ini) {
        SetList(ini, ListId::Ports, {"Zeta", "Alpha"});
      },
      Way::Rename, false);
  EndEvent();  // our write finds the file changed, reads it again and makes its change there
  PressF2();
  EXPECT_EQ(Items(List("cmbPorts")), (QStringList{"Zeta", "Alpha", "[No Source Port]"}));
  EXPECT_EQ(Items(Find<QListView>("lstFiles")), QStringList{"new.wad"});
  ASSERT_EQ(desktop.launches.size(), 1u);
  EXPECT_EQ(desktop.launches[0].File, "Alpha.path");
  EXPECT_NE(desktop.launches[0].Parameters.find("\"/maps/new.wad\""), std::string::npos);
  EXPECT_EQ(Get("Files", "File1Path"), "/maps/new.wad");
  EXPECT_EQ(Get("Ports", "Port1Name"), "Zeta");
}

enum class Loss { Deleted, Folder };
void PrintTo(Loss loss, std::ostream* os) {
  *os << (loss == Loss::Deleted ? "Deleted" : "Folder");
}

class UnreadableFile : public OtherProgramEdits, public ::testing::WithParamInterface<Loss> {};

void TakeAway(const QString& path, Loss loss) {
  ASSERT_TRUE(QFile::remove(path));
  if (loss == Loss::Folder) {
    ASSERT_TRUE(QDir().mkdir(path));
  }
}

// Nothing is started from lists the file can no longer confirm, and they are kept.
TEST_P(UnreadableFile, StartsNothingAndKeepsTheLists) {
  OpenWithPorts({"Alpha", "Beta"}, 1);
  EndEvent();
  TakeAway(IniPath(), GetParam());
  PressF2();
  EXPECT_TRUE(desktop.launches.empty());
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, "Error reading from INI file.");
  EXPECT_EQ(Items(List("cmbPorts")), (QStringList{"Alpha", "Beta", "[No Source Port]"}));
  EXPECT_EQ(List("cmbPorts")->currentText(), "Alpha");

  // Readable again, with the entries the other way round.
  QDir(IniPath()).removeRecursively();
  WriteDefaultIni();
  EditElsewhere([](ReadWrite& ini) { SetList(ini, ListId::Ports, {"Beta", "Alpha"}); });
  PressF2();
  ASSERT_EQ(desktop.launches.size(), 1u);
  EXPECT_EQ(desktop.launches[0].Title, "Alpha");
  EXPECT_EQ(desktop.launches[0].File, "Alpha.path");
}

INSTANTIATE_TEST_SUITE_P(Losses, UnreadableFile, ::testing::Values(Loss::Deleted, Loss::Folder),
                         ::testing::PrintToStringParamName());

// Our unwritten change stays in our copy, the truth until it can be written.
TEST_F(OtherProgramEdits, APendingChangeOutlivesAFileThatCannotBeRead) {
  OpenWithPorts({"Alpha", "Beta"}, 2, true);
  AddPwad("/maps/new.wad");
  TakeAway(IniPath(), Loss::Folder);
  EndEvent();  // the write finds nothing it can read, and waits
  PressF2();
  EXPECT_EQ(Items(Find<QListView>("lstFiles")), QStringList{"new.wad"});
  ASSERT_EQ(desktop.launches.size(), 1u);
  EXPECT_EQ(desktop.launches[0].Title, "Beta");
  EXPECT_EQ(desktop.launches[0].File, "Beta.path");
  EXPECT_NE(desktop.launches[0].Parameters.find("\"/maps/new.wad\""), std::string::npos);
}

// A file deleted under an unwritten change comes back with that change alone: the ports are
// no longer known, so Test starts none, and the window keeps what it shows.
TEST_F(OtherProgramEdits, APendingChangeIsWrittenWhenTheFileWasDeleted) {
  OpenWithPorts({"Alpha", "Beta"}, 2, true);
  AddPwad("/maps/new.wad");
  TakeAway(IniPath(), Loss::Deleted);
  EndEvent();
  PressF2();
  EXPECT_TRUE(desktop.launches.empty());
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, "Error reading from INI file.");
  EXPECT_EQ(Items(List("cmbPorts")), (QStringList{"Alpha", "Beta", "[No Source Port]"}));
  EXPECT_EQ(Items(Find<QListView>("lstFiles")), QStringList{"new.wad"});
  EXPECT_EQ(Get("Files", "File1Path"), "/maps/new.wad");
}

// "Test in Several Ports" shows the ports as they were when it opened; the ones checked are
// found again by name and file, and one that has gone is told, not replaced by another.
TEST_F(OtherProgramEdits, SeveralPortsStartTheOnesChecked) {
  OpenWithPorts({"Alpha", "Beta", "Gamma"}, 1);
  desktop.modalScripts.push_back([&](QDialog* dialog) {
    auto* ports = In<QListWidget>(dialog, "lstPorts");
    EditElsewhere([](ReadWrite& ini) { SetList(ini, ListId::Ports, {"Gamma", "Alpha"}); });
    ports->setCurrentRow(0);
    QTest::keyClick(ports, Qt::Key_Space);  // Alpha
    QTest::keyClick(ports, Qt::Key_Down);
    QTest::keyClick(ports, Qt::Key_Space);  // Beta
    QTest::mouseClick(In<QPushButton>(dialog, "cmdTest"), Qt::LeftButton);
  });
  QTest::keyClick(window.get(), Qt::Key_F2, Qt::ShiftModifier);
  ASSERT_TRUE(desktop.modalScripts.empty());
  ASSERT_EQ(desktop.launches.size(), 1u);
  EXPECT_EQ(desktop.launches[0].Title, "Alpha");
  EXPECT_EQ(desktop.launches[0].File, "Alpha.path");
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text,
            "Could not start Beta.path: it is no longer in the list of source ports.");
}

// While a setup dialog is open the window's list stays as the dialog knows it; it follows the
// file once the dialog has closed.
TEST_F(OtherProgramEdits, AnEditDuringASetupDialogIsFollowedAfterIt) {
  OpenWithPorts({"Alpha", "Beta"}, 1);
  RunSetup(ListId::Ports, {[&](QDialog* setup) {
             EditElsewhere([](ReadWrite& ini) { SetList(ini, ListId::Ports, {"Beta", "Alpha"}); });
             QTest::keyClick(ListIn(setup), Qt::Key_Home);
             EXPECT_EQ(Items(List("cmbPorts")), (QStringList{"Alpha", "Beta", "[No Source Port]"}));
           }});
  QApplication::setActiveWindow(window.get());
  PressF2();
  ASSERT_EQ(desktop.launches.size(), 1u);
  EXPECT_EQ(desktop.launches[0].Title, "Alpha");
  EXPECT_EQ(desktop.launches[0].File, "Alpha.path");
  EXPECT_EQ(Items(List("cmbPorts")), (QStringList{"Beta", "Alpha", "[No Source Port]"}));
}

}  // namespace
}  // namespace quillon::test
