// What the window tells of the WAD files: completions for the warp box, tooltips and warning
// marks, files dropped from a file manager, and Alt+Up / Alt+Down for the load order.
#include <QAbstractItemModel>
#include <QCompleter>
#include <QDropEvent>
#include <QIcon>
#include <QItemSelectionModel>
#include <QListView>
#include <QMimeData>
#include <QUrl>
#include <tuple>

#include "gui/MainWindowFixture.h"
#include "support/ParamNames.h"
#include "support/WadWriter.h"
#include "ui/main/WadFacts.h"

namespace quillon::test {
namespace {

using test::PrintTo;

class WadKnowledgeTest : public MainWindowTest {
 protected:
  QListView* Files() const { return Find<QListView>("lstFiles"); }
  QListView* Dirs() const { return Find<QListView>("lstFileDirs"); }
  int FileCount() const { return Files()->model()->rowCount(); }
  QModelIndex FileAt(int row) const { return Files()->model()->index(row, 0); }

  std::string WadFile(const char* name, std::string_view magic, std::vector<TestLump> lumps) {
    const std::string path = scratch.File(name);
    WriteBytes(path, MakeWad(magic, lumps));
    return path;
  }
  // A port entry whose file lies in the scratch folder, an IWAD entry, and custom files.
  void Configure(const std::string& iwadFile, const std::vector<std::string>& customFiles,
                 bool enabled = true) {
    WriteDefaultIni();
    Put("Ports", "NumPorts", "1");
    Put("Ports", "Port1Name", "Port");
    Put("Ports", "Port1Path", scratch.File("port"));
    Put("IWADs", "NumIWADs", "1");
    Put("IWADs", "IWAD1Name", "Main");
    Put("IWADs", "IWAD1File", iwadFile);
    Put("Files", "NumFiles", std::to_string(customFiles.size()));
    for (std::size_t i = 0; i < customFiles.size(); ++i) {
      const std::string n = std::to_string(i + 1);
      Put("Files", "File" + n + "Name", std::filesystem::path(customFiles[i]).filename().string());
      Put("Files", "File" + n + "Path", customFiles[i]);
    }
    Put("Memory", "Port", "1");
    Put("Memory", "IWAD", "1");
    Put("Memory", "UseFiles", enabled ? "1" : "0");
    Put("Memory", "Warp", "1");
  }
  QAbstractItemModel* Completions() const { return Text("txtWarp")->completer()->model(); }
  QStringList Shown(const QAbstractItemModel* model) const {
    QStringList rows;
    for (int r = 0; r < model->rowCount(); ++r) rows << model->index(r, 0).data().toString();
    return rows;
  }
  // The completions once the reading thread has delivered them (or what they are after 5 s).
  QStringList CompletionsWhen(const QStringList& expected) const {
    static_cast<void>(QTest::qWaitFor([&] { return Shown(Completions()) == expected; }, 5000));
    return Shown(Completions());
  }
  static QString FirstLine(const QVariant& tip) { return tip.toString().section(u'\n', 0, 0); }

  std::string Raw(const std::string& key) const {
    ReadWrite ini;
    ini.SetFileName(IniPath().toStdString());
    return ini.LoadRaw("Files", key);
  }

  ScratchFolder scratch;
};

TEST_F(WadKnowledgeTest, WarpOffersTheMapsOfTheIwadAndTheEnabledFilesEachFromItsLastFile) {
  const std::string iwad = WadFile("doom2.wad", "IWAD", Join({DoomMap("MAP01"), DoomMap("MAP02")}));
  const std::string room = WadFile("room.wad", "PWAD", Join({UdmfMap("MAP07"), DoomMap("MAP02")}));
  const std::string fix = scratch.File("fix.deh");
  WriteBytes(fix, "Patch File for DeHackEd v3.0\n");
  Configure(iwad, {room, fix});
  Open();
  const QStringList all{"MAP01  doom2.wad", "MAP02  room.wad", "MAP07  room.wad"};
  EXPECT_EQ(CompletionsWhen(all), all);
  EXPECT_EQ(Completions()->index(2, 0).data(Qt::EditRole).toString(), "MAP07");

  // Typing part of a name, in any case, lists the maps it begins.
  QLineEdit* warp = Text("txtWarp");
  warp->clear();
  warp->setFocus();
  QTest::keyClicks(warp, "map0");
  QCompleter* completer = warp->completer();
  EXPECT_EQ(completer->completionCount(), 3);
  EXPECT_TRUE(QTest::qWaitFor([&] { return completer->popup()->isVisible(); }, 5000));
  QTest::keyClick(completer->popup(), Qt::Key_Down);
  QTest::keyClick(completer->popup(), Qt::Key_Down);
  QTest::keyClick(completer->popup(), Qt::Key_Down);
  QTest::keyClick(completer->popup(), Qt::Key_Return);
  EXPECT_EQ(warp->text(), "MAP07");

  Button("cmdTest")->click();
  ASSERT_EQ(desktop.launches.size(), 1u);
  const auto& args = desktop.launches[0].Arguments;
  ASSERT_TRUE(args.has_value());
  const auto at = std::find(args->begin(), args->end(), "-warp");
  ASSERT_NE(at, args->end());
  EXPECT_EQ(std::vector<std::string>(at, args->end()).at(1), "7");

  // Custom files off: only the IWAD's maps remain.
  QTest::mouseClick(Box("chkEnableFiles"), Qt::LeftButton);
  const QStringList iwadOnly{"MAP01  doom2.wad", "MAP02  doom2.wad"};
  EXPECT_EQ(CompletionsWhen(iwadOnly), iwadOnly);
}

TEST_F(WadKnowledgeTest, TooltipsSayWhatEachFileHoldsAndMarkTheBrokenOnes) {
  const std::string iwad = WadFile("doom2.wad", "IWAD", Join({DoomMap("MAP01"), DoomMap("MAP02")}));
  const std::string three =
      WadFile("three.wad", "PWAD", Join({DoomMap("MAP07"), DoomMap("MAP01"), DoomMap("MAP02")}));
  const std::string none = WadFile("none.wad", "PWAD", {{"DEHACKED", "x"}});
  const std::string patch = scratch.File("fix.bex");
  WriteBytes(patch, "[STRINGS]\n");
  const std::string text = scratch.File("notes.wad");
  WriteBytes(text, "just some notes, no WAD at all\n");
  const std::string gone = scratch.File("gone.wad");
  Configure(iwad, {three, none, patch, text, gone});
  Open();

  const QStringList expected{"PWAD, 3 maps: MAP01, MAP02, MAP07", "PWAD, no maps", "Dehacked patch",
                             "not a WAD file", "file not found"};
  // Each row is described once it is asked for, as a view asks for the rows it shows.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        bool all = List("cmbIWADs")->itemData(0, Qt::ToolTipRole).isValid();
        for (int k = 0; k < FileCount(); ++k)
          all = FileAt(k).data(Qt::ToolTipRole).isValid() && all;
        return all;
      },
      5000));
  for (int k = 0; k < FileCount(); ++k) {
    const QModelIndex item = FileAt(k);
    EXPECT_EQ(FirstLine(item.data(Qt::ToolTipRole)), expected[k]) << k;
    EXPECT_TRUE(item.data(Qt::ToolTipRole).toString().contains("Alt+Up")) << k;
    EXPECT_EQ(!item.data(Qt::DecorationRole).value<QIcon>().isNull(), k >= 3)
        << "warning mark on " << k;
  }
  EXPECT_TRUE(Files()->toolTip().contains("Alt+Down"));

  QComboBox* iwads = List("cmbIWADs");
  EXPECT_EQ(FirstLine(iwads->itemData(0, Qt::ToolTipRole)), "IWAD, 2 maps: MAP01, MAP02");
  EXPECT_TRUE(iwads->itemIcon(0).isNull());
}

// An IWAD entry that names a bare file is found as the port finds it: beside the port.
TEST_F(WadKnowledgeTest, AnIwadEntryIsLookedUpBesideThePort) {
  WadFile("freedoom2.wad", "IWAD", DoomMap("MAP05"));
  Configure("freedoom2.wad", {});
  Open();
  EXPECT_EQ(CompletionsWhen({"MAP05  freedoom2.wad"}), QStringList{"MAP05  freedoom2.wad"});
  static_cast<void>(QTest::qWaitFor(
      [&] { return List("cmbIWADs")->itemData(0, Qt::ToolTipRole).isValid(); }, 5000));
  EXPECT_EQ(FirstLine(List("cmbIWADs")->itemData(0, Qt::ToolTipRole)), "IWAD, 1 map: MAP05");
}

// A list of 2 000 custom files and one of 2 000 IWAD entries, none of them on disk: the
// thread describes about the rows on show, not every file. Scrolling shows more, which are
// then described.
TEST_F(WadKnowledgeTest, OnlyTheFilesOnShowAreDescribed) {
  constexpr int kMany = 2000;
  QByteArray ini;
  for (const std::string& line : DefaultIniLines()) {
    ini += QByteArray::fromStdString(line) + "\r\n";
    for (const auto& [count, prefix, key] :
         {std::tuple{"NumIWADs=0", "IWAD", "File"}, std::tuple{"NumFiles=0", "File", "Path"}}) {
      if (line != count) continue;
      ini.chop(3);
      ini += QByteArray::number(kMany) + "\r\n";
      for (int n = 1; n <= kMany; ++n) {
        const QByteArray number = QByteArray::number(n);
        ini += prefix + number + "Name=f" + number + ".wad\r\n";
        const std::string path = scratch.File("f" + number.toStdString() + ".wad");
        ini += prefix + number + key + "=" + QByteArray::fromStdString(path) + "\r\n";
      }
    }
  }
  dir.Write(QStringLiteral("QLN2.ini"), ini);
  Put("Memory", "IWAD", "1");
  Put("Memory", "UseFiles", "1");
  Open();
  ASSERT_EQ(FileCount(), kMany);
  const auto* facts = window->findChild<WadFacts*>();
  ASSERT_TRUE(QTest::qWaitFor([&] { return facts->FilesDescribed() > 0; }, 5000));
  // Time for any batch beyond the rows on show to arrive, were one sent.
  QTest::qWait(300);
  const std::size_t shown = facts->FilesDescribed();
  ASSERT_LT(shown, 200u);

  Files()->setFocus();
  QTest::keyClick(Files(), Qt::Key_End);
  EXPECT_TRUE(QTest::qWaitFor([&] { return facts->FilesDescribed() > shown; }, 5000));
  QTest::qWait(300);
  EXPECT_LT(facts->FilesDescribed(), 2 * shown + 10);
  // The last row, now on show, has its description without anyone else asking.
  EXPECT_EQ(FirstLine(FileAt(kMany - 1).data(Qt::ToolTipRole)), "file not found");
}

// A relearn makes what is known stale: the rows on show ask again and show the new state.
TEST_F(WadKnowledgeTest, AFileReplacedOnDiskIsDescribedAnewWhenEnableIsToggled) {
  const std::string iwad = WadFile("doom2.wad", "IWAD", DoomMap("MAP01"));
  const std::string room = WadFile("room.wad", "PWAD", DoomMap("MAP03"));
  Configure(iwad, {room});
  Open();
  const auto tip = [&] { return FirstLine(FileAt(0).data(Qt::ToolTipRole)); };
  ASSERT_TRUE(QTest::qWaitFor([&] { return tip() == "PWAD, 1 map: MAP03"; }, 5000))
      << tip().toStdString();

  WriteBytes(room, "no longer a WAD file\n");
  QTest::mouseClick(Box("chkEnableFiles"), Qt::LeftButton);
  // Until the new description arrives the old one stays: the mark does not flicker.
  bool blank = false;
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        blank = blank || tip().isEmpty();
        return tip() == "not a WAD file";
      },
      5000))
      << tip().toStdString();
  EXPECT_FALSE(FileAt(0).data(Qt::DecorationRole).value<QIcon>().isNull());
  EXPECT_FALSE(blank);
}

// Renamed outside Quillon, a file is marked missing with nothing done in the window, and the
// mark goes when it comes back.
TEST_F(WadKnowledgeTest, AFileThatGoesIsMarkedAtOnceAndUnmarkedWhenItComesBack) {
  const std::string iwad = WadFile("doom2.wad", "IWAD", DoomMap("MAP01"));
  const std::string room = WadFile("room.wad", "PWAD", DoomMap("MAP03"));
  Configure(iwad, {room});
  Open();
  const auto tip = [&] { return FirstLine(FileAt(0).data(Qt::ToolTipRole)); };
  ASSERT_TRUE(QTest::qWaitFor([&] { return tip() == "PWAD, 1 map: MAP03"; }, 5000));
  const QString renamed = QString::fromStdString(room) + ".old";
  ASSERT_TRUE(QFile::rename(QString::fromStdString(room), renamed));
  EXPECT_TRUE(QTest::qWaitFor([&] { return tip() == "file not found"; }, 5000))
      << tip().toStdString();
  ASSERT_TRUE(QFile::rename(renamed, QString::fromStdString(room)));
  EXPECT_TRUE(QTest::qWaitFor([&] { return tip() == "PWAD, 1 map: MAP03"; }, 5000))
      << tip().toStdString();
}

// A bare IWAD file is looked up beside the port: choosing another port shows what lies
// beside that one, never the first port's file as current.
TEST_F(WadKnowledgeTest, AnIwadEntryIsDescribedAnewWhenThePortChanges) {
  ScratchFolder other;
  WadFile("freedoom2.wad", "IWAD", DoomMap("MAP05"));
  WriteBytes(other.File("freedoom2.wad"),
             MakeWad("IWAD", Join({DoomMap("MAP01"), DoomMap("MAP02")})));
  Configure("freedoom2.wad", {});
  Put("Ports", "NumPorts", "2");
  Put("Ports", "Port2Name", "Other");
  Put("Ports", "Port2Path", other.File("port"));
  Open();
  QComboBox* iwads = List("cmbIWADs");
  const auto tip = [&] { return FirstLine(iwads->itemData(0, Qt::ToolTipRole)); };
  ASSERT_TRUE(QTest::qWaitFor([&] { return tip() == "IWAD, 1 map: MAP05"; }, 5000))
      << tip().toStdString();

  QComboBox* ports = List("cmbPorts");
  ports->setFocus();
  const auto* facts = window->findChild<WadFacts*>();
  const std::size_t described = facts->FilesDescribed();
  QTest::keyClick(ports, Qt::Key_Down);
  ASSERT_EQ(ports->currentIndex(), 1);
  // The IWAD shown in its box asks again by itself, with nobody calling for its data.
  EXPECT_TRUE(QTest::qWaitFor([&] { return facts->FilesDescribed() > described; }, 5000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return tip() == "IWAD, 2 maps: MAP01, MAP02"; }, 5000))
      << tip().toStdString();
}

QMimeData* Urls(const QStringList& paths) {
  auto* data = new QMimeData;
  QList<QUrl> urls;
  for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
  data->setUrls(urls);
  return data;
}

// Sends what a file manager sends: an entering drag, then the drop; true when it was taken.
bool DragAndDrop(QWidget* target, const QStringList& paths) {
  std::unique_ptr<QMimeData> data(Urls(paths));
  const QPoint at(5, 5);
  QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  return enter.isAccepted() && drop.isAccepted();
}

TEST_F(WadKnowledgeTest, DroppedFilesAreAddedInOrderAndOtherKindsRefused) {
  WriteDefaultIni();
  Put("Memory", "UseFiles", "1");
  Open();
  desktop.fileChoices.push_back(QStringLiteral("/m/first.wad"));
  Button("cmdAddPWAD")->click();

  EXPECT_TRUE(DragAndDrop(Files()->viewport(), {"/d/b.WAD", "/d/readme.txt", "/d/fix.bex",
                                                "/d/a.wad", "/d/old.deh", "/d/dir.wad/x"}));
  EXPECT_EQ(Items(Files()), (QStringList{"first.wad", "b.WAD", "fix.bex", "a.wad", "old.deh"}));
  EXPECT_EQ(Items(Dirs()), (QStringList{"/m/", "/d/", "/d/", "/d/", "/d/"}));
  EXPECT_EQ(Get("Files", "NumFiles"), "5");
  EXPECT_EQ(Get("Files", "File2Name"), "b.WAD");
  EXPECT_EQ(Get("Files", "File2Path"), "/d/b.WAD");
  EXPECT_EQ(Get("Files", "File5Path"), "/d/old.deh");
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text,
            "You must select a .wad, .deh or .bex file to add to this list;\r\n"
            "No other file type is acceptable.");
  EXPECT_EQ(desktop.messages[0].icon, MessageIcon::Exclamation);
}

// Add PWAD's refusal: numbering on from an unreadable count would overwrite an entry.
TEST_F(WadKnowledgeTest, DropIsRefusedWhenTheStoredCountCannotBeRead) {
  WriteDefaultIni();
  Put("Memory", "UseFiles", "1");
  Open();
  Put("Files", "NumFiles", "many");
  const QByteArray before = IniBytes();
  DragAndDrop(Files()->viewport(), {"/d/a.wad"});
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text,
            "The number of entries in the [Files] section of QLN2.ini cannot be read, so nothing "
            "can be added to the custom file list without overwriting an entry. Repair NumFiles "
            "in QLN2.ini first.");
  EXPECT_EQ(FileCount(), 0);
  EXPECT_EQ(IniBytes(), before);
}

TEST_F(WadKnowledgeTest, DropIsRefusedWhileTheListIsLocked) {
  WriteDefaultIni();
  Open();
  const QByteArray before = IniBytes();
  EXPECT_FALSE(DragAndDrop(Files()->viewport(), {"/d/a.wad"}));
  EXPECT_EQ(FileCount(), 0);
  EXPECT_EQ(IniBytes(), before);
  EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(WadKnowledgeTest, DropIsRefusedWhenTheListIsFullOrWouldOverflow) {
  WriteDefaultIni();
  Put("Files", "NumFiles", "32765");
  Put("Memory", "UseFiles", "1");
  Open();
  const QByteArray before = IniBytes();
  // Two more would pass the limit: none is added.
  DragAndDrop(Files()->viewport(), {"/d/a.wad", "/d/b.wad"});
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text,
            "The custom file list is full: it holds 32766 entries, the most it can. Remove a "
            "custom file before adding another.");
  EXPECT_EQ(FileCount(), 32765);
  EXPECT_EQ(IniBytes(), before);

  EXPECT_TRUE(DragAndDrop(Files()->viewport(), {"/d/a.wad"}));
  EXPECT_EQ(FileCount(), 32766);
  EXPECT_FALSE(DragAndDrop(Files()->viewport(), {"/d/b.wad"}));
  EXPECT_EQ(FileCount(), 32766);
  EXPECT_EQ(desktop.messages.size(), 1u);
}

struct MoveCase {
  const char* name;
  int selected;
  Qt::Key key;
  QStringList order;  // afterwards
  int selectedAfter;
};

class MoveFile : public WadKnowledgeTest, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(MoveFile, SwapsTheTwoEntriesExactlyAndKeepsTheFileSelected) {
  const MoveCase& c = GetParam();
  WriteDefaultIni();
  Put("Memory", "UseFiles", "1");
  Put("Files", "NumFiles", "3");
  // Blanks and quotes that a trimmed read would lose.
  const std::vector<std::string> names{" a.wad ", "\"b.wad\"", "c.deh"};
  for (int n = 1; n <= 3; ++n) {
    Put("Files", "File" + std::to_string(n) + "Name", names[n - 1]);
    Put("Files", "File" + std::to_string(n) + "Path", "/m/" + std::to_string(n) + "/");
  }
  std::map<std::string, std::string> raw;
  for (int n = 1; n <= 3; ++n) {
    for (const char* part : {"Name", "Path"}) {
      const std::string key = "File" + std::to_string(n) + part;
      raw[key] = Raw(key);
    }
  }
  Open();
  Files()->setFocus();
  QTest::mouseClick(Files()->viewport(), Qt::LeftButton, {},
                    Files()->visualRect(FileAt(c.selected)).center());
  ASSERT_EQ(Files()->currentIndex().row(), c.selected);
  QTest::keyClick(Files(), c.key, Qt::AltModifier);

  QStringList order;
  for (const QString& dir : Items(Dirs())) order << QString::number(dir.mid(3, 1).toInt());
  EXPECT_EQ(order, c.order);
  EXPECT_EQ(Files()->currentIndex().row(), c.selectedAfter);
  EXPECT_TRUE(Files()->selectionModel()->isSelected(FileAt(c.selectedAfter)));
  for (int k = 0; k < 3; ++k) {
    const std::string from = std::to_string(c.order[k].toInt());
    const std::string to = std::to_string(k + 1);
    EXPECT_EQ(Raw("File" + to + "Name"), raw["File" + from + "Name"]) << "entry " << to;
    EXPECT_EQ(Raw("File" + to + "Path"), raw["File" + from + "Path"]) << "entry " << to;
  }
  EXPECT_EQ(Get("Files", "NumFiles"), "3");
}

INSTANTIATE_TEST_SUITE_P(
    Ends, MoveFile,
    ::testing::Values(MoveCase{"FirstUpStays", 0, Qt::Key_Up, {"1", "2", "3"}, 0},
                      MoveCase{"FirstDown", 0, Qt::Key_Down, {"2", "1", "3"}, 1},
                      MoveCase{"MiddleUp", 1, Qt::Key_Up, {"2", "1", "3"}, 0},
                      MoveCase{"LastUp", 2, Qt::Key_Up, {"1", "3", "2"}, 1},
                      MoveCase{"LastDownStays", 2, Qt::Key_Down, {"1", "2", "3"}, 2}),
    [](const ::testing::TestParamInfo<MoveCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillon::test
