// "Start Here": the map view, the marker, and Test from a copy with the start moved.
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "core/files/PathHelpers.h"
#include "core/wad/StartSpot.h"
#include "gui/MainWindowFixture.h"
#include "support/FakePort.h"
#include "support/WadWriter.h"
#include "ui/starthere/frmStartHere.h"
#include "ui/system/QtDesktop.h"

namespace quillon::test {
namespace {

class StartHereTest : public MainWindowTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    // Beside the test binary rather than in /tmp, which may be mounted noexec.
    port_ = std::make_unique<QTemporaryDir>(QCoreApplication::applicationDirPath() +
                                            "/starthere-XXXXXX");
    desktop.launcher = [this](QWidget* owner, const LaunchRequest& request) {
      return real_.Launch(owner, request);
    };
    desktop.running = [this](std::int64_t pid) { return real_.Running(pid); };
    WriteDefaultIni();
    Put("Ports", "NumPorts", "1");
    Put("Ports", NameKey(KindOf(ListId::Ports), 1), "Fake");
    Put("Ports", FileKey(KindOf(ListId::Ports), 1),
        WriteFakePort(port_->path(), "port", Out()).toStdString());
    Put("Memory", "Port", "1");
  }
  QString Out() const { return port_->filePath("out.txt"); }
  // The map, in an IWAD entry or as the one custom file.
  void PutMap(bool iwad, const TestMapLayout& room) {
    wadPath = dir.FilePath(iwad ? "doom2.wad" : "room.wad").toStdString();
    WriteBytes(wadPath, MakeWad(iwad ? "IWAD" : "PWAD", BinaryMap("MAP01", room)));
    if (iwad) {
      Put("IWADs", "NumIWADs", "1");
      Put("IWADs", "IWAD1Name", "Doom II");
      Put("IWADs", "IWAD1File", wadPath);
      Put("Memory", "IWAD", "1");
    } else {
      Put("Files", "NumFiles", "1");
      Put("Files", "File1Name", "room.wad");
      Put("Files", "File1Path", wadPath);
      Put("Memory", "UseFiles", "1");
    }
  }
  static QString Status(frmStartHere* window) {
    return window->findChild<QLabel*>("lblStatus")->text();
  }
  static void ClickAt(frmStartHere* window, QPointF map) {
    QTest::mouseClick(window->View(), Qt::LeftButton, {}, window->View()->ToView(map).toPoint());
  }

  std::string wadPath;
  std::unique_ptr<QTemporaryDir> port_;
  QtDesktop real_;
};

TEST_P(StartHereTest, TestHereStartsThePortFromACopyWithOnlyTheStartMoved) {
  const bool iwad = GetParam();
  PutMap(iwad, SquareRoom(256));
  const QByteArray original = dir.Read(QString::fromStdString(FileNameOf(wadPath)));
  Open();
  RunStartHere([&](frmStartHere* window) {
    ClickAt(window, {64, 200});
    EXPECT_EQ(Status(window), "Player 1 starts at (64, 200), facing 90°.");
    // Turned to face the pointer, to the nearest 45 degrees: west.
    MapView* view = window->View();
    QTest::mousePress(view, Qt::LeftButton, {}, view->ToView({64, 200}).toPoint());
    QTest::mouseMove(view, view->ToView({20, 204}).toPoint());
    QTest::mouseRelease(view, Qt::LeftButton, {}, view->ToView({20, 204}).toPoint());
    EXPECT_EQ(Status(window), "Player 1 starts at (64, 200), facing 180°.");
    QTest::keyClick(window, Qt::Key_Return);
  });
  ASSERT_EQ(desktop.launches.size(), 1u) << desktop.calls.join(", ").toStdString();
  ASSERT_TRUE(desktop.messages.empty()) << desktop.messages[0].text.toStdString();
  const QStringList arguments = WaitForLines(Out());
  const qsizetype file = arguments.indexOf("-file");
  ASSERT_GE(file, 0) << arguments.join(' ').toStdString();
  const std::string copy = arguments[file + 1].toStdString();
  EXPECT_NE(copy, wadPath);
  const wad::MapReadResult read = wad::ReadMapFile(copy, "MAP01");
  ASSERT_TRUE(read.ok) << read.error;
  const wad::MapThing& start = read.map.things[wad::PlayerStartIndex(read.map)];
  EXPECT_EQ(std::tuple(start.x, start.y, start.angle), std::tuple(64.0, 200.0, 180.0));
  EXPECT_EQ(dir.Read(QString::fromStdString(FileNameOf(wadPath))), original);
  // Gone once the port has ended.
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return !QFileInfo::exists(QString::fromStdString(copy)); }, 10000));
}

INSTANTIATE_TEST_SUITE_P(FromEither, StartHereTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Iwad" : "Pwad"; });

class StartHereViewTest : public StartHereTest {};

TEST_F(StartHereViewTest, RefusesTheVoidAndFollowsTheFileOnDisk) {
  PutMap(false, SquareRoom(256));
  Open();
  RunStartHere([&](frmStartHere* window) {
    EXPECT_EQ(window->windowTitle(), "Start Here");
    EXPECT_EQ(window->View()->Picture().oneSided.size(), 4);
    ClickAt(window, {300, 100});
    EXPECT_EQ(Status(window),
              "This spot is outside every sector: the player would start in the void.");
    EXPECT_FALSE(window->findChild<QPushButton*>("cmdTestHere")->isEnabled());
    QTest::keyClick(window, Qt::Key_Return);
    // The room grows on disk: the view reads it again, and the spot is inside now.
    QSignalSpy loaded(window, &frmStartHere::Loaded);
    WriteBytes(wadPath, MakeWad("PWAD", BinaryMap("MAP01", SquareRoom(512))));
    ASSERT_TRUE(loaded.wait(10000));
    EXPECT_EQ(Status(window), "Player 1 starts at (300, 100), facing 90°.");
    QTest::mouseClick(window->findChild<QPushButton*>("cmdClose"), Qt::LeftButton);
  });
  EXPECT_TRUE(desktop.launches.empty());
  // The marker stays with the map while Quillon runs.
  RunStartHere([&](frmStartHere* window) {
    EXPECT_EQ(Status(window), "Player 1 starts at (300, 100), facing 90°.");
  });
}

}  // namespace
}  // namespace quillon::test
