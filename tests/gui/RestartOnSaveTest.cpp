// Restart Ports on Save and the nodes built before Test, with real ports (scripts that note
// their pid and arguments, then wait) and a real desktop ending and starting them.
#include <signal.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <algorithm>

#include "core/wad/StartSpot.h"
#include "gui/MainWindowFixture.h"
#include "support/FakePort.h"
#include "support/WadWriter.h"
#include "ui/launch/PortRestarter.h"
#include "ui/launch/frmPortStopped.h"
#include "ui/starthere/frmStartHere.h"
#include "ui/system/QtDesktop.h"

namespace quillon::test {
namespace {

bool Alive(qint64 pid) {
  return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) == 0;
}

class RestartOnSaveTest : public MainWindowTest {
 public:  // the table's saves drive the fixture
  void SetUp() override {
    // Beside the test binary rather than in /tmp, which may be mounted noexec.
    bin_ =
        std::make_unique<QTemporaryDir>(QCoreApplication::applicationDirPath() + "/restart-XXXXXX");
    desktop.launcher = [this](QWidget* owner, const LaunchRequest& request) {
      return real_.Launch(owner, request);
    };
    desktop.running = [this](std::int64_t pid) { return real_.Running(pid); };
    desktop.ender = &real_;
    WriteDefaultIni();
    PutPort(1, "#!/bin/sh\necho \"$$ $*\" >> '" + Out().toUtf8() + "'\nexec sleep 600\n");
    map_ = dir.FilePath("room.wad").toStdString();
    SaveMap();
    Put("Files", "NumFiles", "1");
    Put("Files", "File1Name", "room.wad");
    Put("Files", "File1Path", map_);
    Put("Memory", "UseFiles", "1");
    Put("Memory", "Port", "1");
  }
  void TearDown() override {
    for (const qint64 pid : Pids()) ::kill(static_cast<pid_t>(pid), SIGKILL);
    MainWindowTest::TearDown();
  }
  void PutPort(int n, const QByteArray& body) {
    Put("Ports", "NumPorts", std::to_string(n));
    Put("Ports", NameKey(KindOf(ListId::Ports), n), "Port " + std::to_string(n));
    Put("Ports", FileKey(KindOf(ListId::Ports), n),
        WriteScript(bin_->path(), QStringLiteral("port%1").arg(n), body).toStdString());
  }
  // A script standing in for zdbsp (-o OUT IN), chosen in "Memory".
  void PutBuilder(const QByteArray& body) {
    Put("Programs", "NumProgs", "1");
    Put("Programs", "Prog1Name", "ZDBSP");
    Put("Programs", "Prog1Path", WriteScript(bin_->path(), "zdbsp", body).toStdString());
    Put("Memory", "NodeBuilder", "1");
  }
  QString Out() const { return bin_->filePath("starts.txt"); }
  // Each start of a port: its pid and arguments.
  QStringList Starts() const {
    QFile file(Out());
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
  }
  std::vector<qint64> Pids() const {
    std::vector<qint64> pids;
    for (const QString& line : Starts()) pids.push_back(line.section(' ', 0, 0).toLongLong());
    return pids;
  }
  int Running() const {
    int running = 0;
    for (const qint64 pid : Pids()) running += Alive(pid) ? 1 : 0;
    return running;
  }
  // Writes the map in place, as an editor that saves in place does.
  void SaveMap(int maps = 1) {
    std::vector<TestLump> lumps;
    for (int i = 1; i <= maps; ++i) {
      for (TestLump& lump : DoomMap("MAP0" + std::to_string(i))) lumps.push_back(lump);
    }
    WriteBytes(map_, MakeWad("PWAD", lumps));
  }
  void RestartOnSave() {
    QApplication::setActiveWindow(window.get());
    QTest::keyClick(window.get(), Qt::Key_R, Qt::ControlModifier);
  }
  void Test() { QTest::mouseClick(Button("cmdTest"), Qt::LeftButton); }
  static bool WaitUntil(const std::function<bool()>& done) {
    QDeadlineTimer deadline(10'000);
    while (!done() && !deadline.hasExpired()) QTest::qWait(20);
    return done();
  }
  PortRestarter* Restarter() const { return window->findChild<PortRestarter*>(); }
  int Restarts() const { return Restarter() ? Restarter()->Restarts() : 0; }
  QString Status() const { return Find<QLabel>("lblWatch")->text(); }
  static int Notices() {
    int shown = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      shown += qobject_cast<frmPortStopped*>(widget) && widget->isVisible() ? 1 : 0;
    }
    return shown;
  }
  // Opens the window, turns the watch on and tests: one port runs.
  void TestWatched() {
    Open();
    RestartOnSave();
    Test();
    ASSERT_TRUE(WaitUntil([&] { return Running() == 1; }));
  }

  using MainWindowTest::desktop;
  std::string map_;
  std::unique_ptr<QTemporaryDir> bin_;
  QtDesktop real_;
};

// What a save does to the ports of the last Test, each fault as a mapper meets it.
struct SaveCase {
  const char* name;
  std::function<void(RestartOnSaveTest&, const std::string& map)> save;
  int restarts;  // how many times the port was started again
};

class SaveFaultTest : public RestartOnSaveTest, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(SaveFaultTest, RestartsOncePerSaveWithTheSameLineAndNoNotice) {
  TestWatched();
  const QStringList first = Starts();
  GetParam().save(*this, map_);
  WaitUntil([&] { return Restarts() >= GetParam().restarts && Running() == 1; });
  // The quiet moment after the last event: no restart is still on its way.
  QTest::qWait(3 * SaveWatcher::kStillMs);
  EXPECT_EQ(Restarts(), GetParam().restarts) << Status().toStdString();
  EXPECT_EQ(Running(), 1) << "one port runs, whatever happened";
  const QStringList starts = Starts();
  ASSERT_EQ(starts.size(), 1 + GetParam().restarts);
  for (const QString& start : starts) {
    EXPECT_EQ(start.section(' ', 1), first.front().section(' ', 1)) << "the same arguments";
  }
  EXPECT_EQ(Notices(), 0);
  EXPECT_TRUE(Status().contains(QStringLiteral("%1 restart").arg(GetParam().restarts)))
      << Status().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SaveFaultTest,
    ::testing::Values(SaveCase{"SavedInPlace", [](auto& t, auto&) { t.SaveMap(2); }, 1},
                      SaveCase{"SavedTwiceWithinTheWait",
                               [](auto& t, auto&) {
                                 t.SaveMap(2);
                                 QTest::qWait(20);
                                 t.SaveMap(3);
                               },
                               1},
                      SaveCase{"TwentySavesInARow",
                               [](auto& t, auto&) {
                                 for (int i = 0; i < 20; ++i) t.SaveMap(1 + i % 3);
                               },
                               1},
                      SaveCase{"RenamedOverByTheEditor",
                               [](auto&, const std::string& map) {
                                 WriteBytes(map + ".tmp", MakeWad("PWAD", DoomMap("MAP05")));
                                 ASSERT_EQ(::rename((map + ".tmp").c_str(), map.c_str()), 0);
                               },
                               1},
                      SaveCase{"RenamedAwayAndBack",
                               [](auto&, const std::string& map) {
                                 ASSERT_EQ(::rename(map.c_str(), (map + ".bak").c_str()), 0);
                                 ASSERT_EQ(::rename((map + ".bak").c_str(), map.c_str()), 0);
                               },
                               1},
                      SaveCase{"SavedAgainAfterARenameOver",
                               [](auto& t, const std::string& map) {
                                 WriteBytes(map + ".tmp", MakeWad("PWAD", DoomMap("MAP05")));
                                 ASSERT_EQ(::rename((map + ".tmp").c_str(), map.c_str()), 0);
                                 ASSERT_TRUE(t.WaitUntil(
                                     [&] { return t.Restarts() == 1 && t.Running() == 1; }));
                                 t.SaveMap(2);  // the file is watched again under its name
                               },
                               2},
                      SaveCase{"SavedWhileThePortIsBeingEnded",
                               [](auto& t, auto&) {
                                 t.SaveMap(2);
                                 ASSERT_TRUE(t.WaitUntil([&] { return !t.desktop.ended.empty(); }));
                                 t.SaveMap(3);
                               },
                               2},
                      SaveCase{"HalfWritten",
                               [](auto&, const std::string& map) {
                                 WriteBytes(map, MakeHeader("PWAD", 40, 1 << 20));
                               },
                               0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RestartOnSaveTest, ADeletedFileIsToldAndThePortRunsOn) {
  TestWatched();
  QFile::remove(QString::fromStdString(map_));
  ASSERT_TRUE(WaitUntil([&] { return Status().contains("cannot be read"); }));
  EXPECT_TRUE(Status().contains("room.wad")) << Status().toStdString();
  EXPECT_EQ(Restarts(), 0);
  EXPECT_EQ(Running(), 1);
}

TEST_F(RestartOnSaveTest, APortTheUserClosedStaysClosed) {
  TestWatched();
  ::kill(static_cast<pid_t>(Pids().front()), SIGTERM);
  ASSERT_TRUE(WaitUntil([&] { return !real_.Running(Pids().front()); }));
  SaveMap(2);
  ASSERT_TRUE(WaitUntil([&] { return Status().contains("closed"); }));
  EXPECT_EQ(Starts().size(), 1);
}

TEST_F(RestartOnSaveTest, OnlyThePortsOfTheLastTestAreEverEnded) {
  TestWatched();
  Test();
  ASSERT_TRUE(WaitUntil([&] { return Running() == 2; }));
  const qint64 earlier = Pids().front();
  SaveMap(2);
  ASSERT_TRUE(WaitUntil([&] { return Restarts() == 1 && Running() == 2; }));
  EXPECT_TRUE(Alive(earlier)) << "started before the last Test";
  EXPECT_EQ(desktop.ended, std::vector<std::int64_t>{Pids()[1]});
}

TEST_F(RestartOnSaveTest, ClosingQuillonWhileWatchingLeavesThePortsRunning) {
  TestWatched();
  Close();
  window.reset();
  SaveMap(2);
  QTest::qWait(3 * SaveWatcher::kStillMs);
  EXPECT_EQ(Running(), 1);
  EXPECT_EQ(Starts().size(), 1);
}

TEST_F(RestartOnSaveTest, TheMenuItemIsRememberedOnlyOnceItWasOn) {
  struct Row {
    const char* stored;  // empty: the file has no such key
    int presses;
    const char* written;  // empty: still not in the file
  };
  const Row rows[] = {{"", 0, ""},   {"", 1, "1"},  {"", 2, ""},     {"1", 0, "1"},
                      {"1", 1, "0"}, {"0", 0, "0"}, {"junk", 0, "0"}};
  for (const Row& row : rows) {
    WriteDefaultIni();
    if (*row.stored) Put("Memory", "RestartOnSave", row.stored);
    Open();
    const bool on = std::string(row.stored) == "1";
    EXPECT_EQ(Action("ProgramRestartOnSave")->isChecked(), on) << row.stored;
    for (int i = 0; i < row.presses; ++i) RestartOnSave();
    Close();
    EXPECT_EQ(Get("Memory", "RestartOnSave"), row.written) << row.stored << row.presses;
    EXPECT_EQ(IniBytes().contains("RestartOnSave"), *row.written != 0);
  }
}

TEST_F(RestartOnSaveTest, TheWindowShowsTheWatchWithoutChangingItsSizeOrTitle) {
  Open();
  const QSize size = window->size();
  RestartOnSave();
  EXPECT_TRUE(Find<QLabel>("lblWatch")->isVisible());
  Test();
  ASSERT_TRUE(WaitUntil([&] { return Status().startsWith("Watching 1 file"); }));
  EXPECT_EQ(window->size(), size);
  EXPECT_EQ(window->windowTitle(), "Quillon");
  RestartOnSave();
  EXPECT_FALSE(Find<QLabel>("lblWatch")->isVisible());
}

struct BuildCase {
  const char* name;
  const char* builder;  // the script's body
  bool started;         // the port started, from the copy
  const char* told;     // what the message or the status says; empty: nothing
};

class NodeBuildTest : public RestartOnSaveTest, public ::testing::WithParamInterface<BuildCase> {};

TEST_P(NodeBuildTest, TheCopyIsBuiltBeforeThePortStartsOrNothingStarts) {
  PutBuilder(GetParam().builder);
  Open();
  window->SetNodeBuildTimeout(300);
  Test();
  const bool done = WaitUntil([&] {
    return !Starts().isEmpty() || !desktop.messages.empty() ||
           (Restarter() && !Restarter()->Builds().Busy() &&
            !Restarter()->Builds().Failure().isEmpty());
  });
  ASSERT_TRUE(done);
  QTest::qWait(100);
  EXPECT_EQ(!Starts().isEmpty(), GetParam().started);
  if (GetParam().started) {
    const QString copy = Starts().front().section("-file ", 1);
    EXPECT_NE(copy.toStdString(), map_);
    EXPECT_TRUE(copy.contains("/nodes-")) << copy.toStdString();
    EXPECT_TRUE(QFile::exists(copy));
    EXPECT_EQ(QFile(QString::fromStdString(map_)).size(), QFile(copy).size());
  }
  QString told = Restarter()->Builds().Failure();
  for (const auto& message : desktop.messages) told += message.text;
  EXPECT_TRUE(told.contains(GetParam().told)) << told.toStdString();
  desktop.messages.clear();
}

INSTANTIATE_TEST_SUITE_P(
    Builders, NodeBuildTest,
    ::testing::Values(BuildCase{"Builds", "cp \"$3\" \"$2\"\n", true, ""},
                      BuildCase{"Fails", "echo 'Bad map' >&2; exit 3\n", false, "exit status 3"},
                      BuildCase{"WritesNothing", "echo 'done'\n", false, "it wrote no file"},
                      BuildCase{"Hangs", "exec sleep 600\n", false, "did not finish"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RestartOnSaveTest, ASaveBuildsTheNodesAgainIntoTheSameCopyThenRestarts) {
  PutBuilder("cp \"$3\" \"$2\"\n");
  TestWatched();
  const QString copy = Starts().front().section("-file ", 1);
  SaveMap(3);
  ASSERT_TRUE(WaitUntil([&] { return Restarts() == 1 && Running() == 1; }));
  EXPECT_EQ(Starts()[1].section(' ', 1), Starts()[0].section(' ', 1));
  EXPECT_EQ(QFile(copy).size(), QFile(QString::fromStdString(map_)).size()) << "built anew";
}

// Start Here's Test, watched: a save makes its copy again from the saved map, with the same
// start, and builds its nodes where a builder is chosen.
struct StartHereCase {
  const char* name;
  bool built;
  int savedRoom;  // the room's size in the save; the start is at (200, 200)
  int restarts;
  const char* told;  // in the window's status
};

class StartHereRestartTest : public RestartOnSaveTest,
                             public ::testing::WithParamInterface<StartHereCase> {};

TEST_P(StartHereRestartTest, ASaveMakesTheCopyAgainWithTheSameStart) {
  const StartHereCase& row = GetParam();
  WriteBytes(map_, MakeWad("PWAD", BinaryMap("MAP01", SquareRoom(256))));
  if (row.built) PutBuilder("cp \"$3\" \"$2\"\n");
  Open();
  RestartOnSave();
  RunStartHere([](frmStartHere* view) {
    const QPoint spot = view->View()->ToView({200, 200}).toPoint();
    QTest::mouseClick(view->View(), Qt::LeftButton, {}, spot);
    QTest::keyClick(view, Qt::Key_Return);
  });
  ASSERT_TRUE(WaitUntil([&] { return Running() == 1; })) << desktop.calls.join(", ").toStdString();
  const QString copy = Starts().front().section("-file ", 1);
  EXPECT_TRUE(copy.contains(row.built ? "/nodes-" : "/start-")) << copy.toStdString();
  WriteBytes(map_, MakeWad("PWAD", BinaryMap("MAP01", SquareRoom(row.savedRoom))));
  ASSERT_TRUE(WaitUntil([&] {
    return Restarts() == row.restarts && Running() == 1 && Status().contains(row.told);
  })) << Status().toStdString();
  if (row.restarts == 0) return;
  EXPECT_EQ(Starts()[1].section(' ', 1), Starts()[0].section(' ', 1));
  const wad::MapReadResult read = wad::ReadMapFile(copy.toStdString(), "MAP01");
  ASSERT_TRUE(read.ok) << read.error;
  const wad::MapThing& start = read.map.things[wad::PlayerStartIndex(read.map)];
  EXPECT_EQ(std::pair(start.x, start.y), std::pair(200.0, 200.0));
  EXPECT_TRUE(std::any_of(read.map.vertices.begin(), read.map.vertices.end(), [&](const auto& v) {
    return v.x == row.savedRoom;
  })) << "made from the save";
}

INSTANTIATE_TEST_SUITE_P(Saves, StartHereRestartTest,
                         ::testing::Values(StartHereCase{"Copied", false, 512, 1, ""},
                                           StartHereCase{"Built", true, 512, 1, ""},
                                           StartHereCase{"NowInTheVoid", false, 128, 0,
                                                         "outside every sector"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RestartOnSaveTest, TheBuilderFollowsItsEntryWhenProgramsAreRemoved) {
  struct Row {
    const char* stored;
    int removed;  // position
    const char* after;
  };
  const Row rows[] = {{"2", 0, "1"}, {"2", 1, "0"}, {"2", 2, "2"}, {"0", 0, "0"}};
  for (const Row& row : rows) {
    WriteDefaultIni();
    PutList(ListId::Programs, {"A", "B", "C"});
    Put("Memory", "NodeBuilder", row.stored);
    Open();
    window->RemoveEntry(ListId::Programs, row.removed);
    EXPECT_EQ(Get("Memory", "NodeBuilder"), row.after) << row.stored << " " << row.removed;
    Close();
  }
}

}  // namespace
}  // namespace quillon::test
