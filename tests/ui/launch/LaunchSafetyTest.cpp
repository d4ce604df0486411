// Starting and watching real ports never harms the user's files, never stalls the window on
// a long log, and finds the program whatever its name's bytes or PATH's form.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <ostream>

#include "core/launch/PortLog.h"
#include "support/FakeDesktop.h"
#include "support/FakePort.h"
#include "ui/desktop/QtText.h"
#include "ui/launch/frmPortStopped.h"
#include "ui/main/frmQLN2.h"
#include "ui/system/QtDesktop.h"

namespace quillon {
namespace {

const std::string kMessage = "R_InitTextures: bad texture";
constexpr std::size_t kEightMegabytes = 8 * 1024 * 1024;

std::string Bytes(const QString& text) {
  return QFile::encodeName(text).toStdString();
}

unsigned ModeOf(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// The stand-in port of FakePort, under a name given as bytes (which a QString cannot hold
// when they are not UTF-8): it writes its folder and arguments to `outFile`.
std::string WriteRecorderAt(const std::string& path, const QString& outFile) {
  std::ofstream file(path, std::ios::binary);
  file << "#!/bin/sh\n{ pwd -P; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > '"
       << Bytes(outFile) << ".part'\nmv '" << Bytes(outFile) << ".part' '" << Bytes(outFile)
       << "'\n";
  file.close();
  ::chmod(path.c_str(), 0755);
  return path;
}

// The recorder's lines as bytes, once it has written them.
std::vector<std::string> RawLines(const QString& path) {
  test::WaitForLines(path);
  std::ifstream file(Bytes(path), std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

// Changes our working folder for one test and goes back.
class CurrentDirGuard {
 public:
  explicit CurrentDirGuard(const QString& dir) : old_(QDir::currentPath()) { QDir::setCurrent(dir); }
  ~CurrentDirGuard() { QDir::setCurrent(old_); }

 private:
  QString old_;
};

class PathGuard {
 public:
  explicit PathGuard(const QByteArray& path) : old_(qgetenv("PATH")) { qputenv("PATH", path); }
  ~PathGuard() { qputenv("PATH", old_); }

 private:
  QByteArray old_;
};

QList<frmPortStopped*> Notices() {
  QList<frmPortStopped*> found;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* notice = qobject_cast<frmPortStopped*>(widget); notice && notice->isVisible()) {
      found << notice;
    }
  }
  return found;
}

class LaunchSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    // Beside the test binary rather than in /tmp, which may be mounted noexec.
    dir_ = std::make_unique<QTemporaryDir>(QCoreApplication::applicationDirPath() +
                                           "/launch safety-XXXXXX");
    ASSERT_TRUE(dir_->isValid());
    root_ = Bytes(QFileInfo(dir_->path()).canonicalFilePath());
  }
  void TearDown() override {
    for (frmPortStopped* notice : Notices()) delete notice;
    // QTemporaryDir cannot name what is not UTF-8.
    std::filesystem::remove_all(root_ + "/d\xE9mos");
  }

  QString Path(const QString& name) const { return dir_->filePath(name); }
  QString Script(const QString& name, const QByteArray& body) const {
    return test::WriteScript(dir_->path(), name, body);
  }

  // Starts a watched port and waits until it has ended and been reaped.
  PortEnd RunWatched(const LaunchRequest& request) {
    QSignalSpy ended(&desktop_.Launcher(), &PortLauncher::Ended);
    const LaunchResult result = desktop_.Launch(&owner_, request);
    EXPECT_TRUE(result.Started()) << result.failure;
    if (!result.Started() || !ended.wait(20'000)) return {};
    return ended.first().first().value<PortEnd>();
  }
  LaunchRequest Watched(const QString& port, const std::string& logs, const std::string& title) {
    LaunchRequest request;
    request.File = Bytes(port);
    request.LogDirectory = logs;
    request.Title = title;
    return request;
  }
  static QString Shown(const frmPortStopped* notice) {
    return notice->findChild<QPlainTextEdit*>("txtOutput")->toPlainText();
  }

  std::unique_ptr<QTemporaryDir> dir_;
  std::string root_;
  QtDesktop desktop_;
  QWidget owner_;
};

// A log's tail as the notice reads it.
struct TailCase {
  const char* name;
  std::string log;
  qint64 start;
  QStringList lines;
};
void PrintTo(const TailCase& c, std::ostream* out) {
  *out << c.name;
}

class LogTail : public LaunchSafety, public ::testing::WithParamInterface<TailCase> {};

TEST_P(LogTail, ReadsOneBoundedTail) {
  const QString path = Path("port.log");
  std::ofstream(Bytes(path), std::ios::binary) << GetParam().log;
  EXPECT_EQ(frmPortStopped::LogTail(path, GetParam().start), GetParam().lines);
}

std::string CutMark(std::size_t bytes) {
  return "[" + std::to_string(bytes) + " bytes cut] \xE2\x80\xA6";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LogTail,
    ::testing::Values(
        TailCase{"EightMegabytesOnOneLine",
                 "$ header\n\n" + std::string(kEightMegabytes, 'x') + kMessage,
                 10,
                 {Qs(CutMark(kEightMegabytes + kMessage.size() - kNoticeLineBytes) +
                     std::string(kNoticeLineBytes - kMessage.size(), 'x') + kMessage)}},
        TailCase{"EightMegabytesThenTheMessage",
                 std::string(kEightMegabytes, 'x') + "\n" + kMessage + "\n",
                 0,
                 {Qs(kMessage)}},
        TailCase{"LongLineBetweenShortOnes",
                 "$ header\n\nstart\n" + std::string(300, 'x') + "\nend\n",
                 10,
                 {"start",
                  Qs(std::string(kNoticeLineBytes, 'x') + "\xE2\x80\xA6 [" +
                     std::to_string(300 - kNoticeLineBytes) + " bytes cut]"),
                  "end"}},
        TailCase{"OnlyTheHeader", "$ header\n\n", 10, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LaunchSafety, PortThatPrintedEightMegabytesOnOneLineShowsItsEnd) {
  const PortEnd end = RunWatched(Watched(
      Script("noisy port", "head -c 8388608 /dev/zero | tr '\\0' x\necho '" +
                               QByteArray::fromStdString(kMessage) + "' >&2\nexit 1\n"),
      root_ + "/logs", "Noisy"));
  ASSERT_EQ(Notices().size(), 1);
  EXPECT_EQ(Shown(Notices().first()),
            Qs(CutMark(kEightMegabytes + kMessage.size() - kNoticeLineBytes) +
               std::string(kNoticeLineBytes - kMessage.size(), 'x') + kMessage));
  EXPECT_EQ(QFileInfo(end.logPath).size(), end.logStart + qint64(kEightMegabytes) +
                                               qint64(kMessage.size()) + 1);
}

TEST_F(LaunchSafety, StartLeavesTheUsersOwnLogsAlone) {
  const std::string logs = root_ + "/logs";
  ::mkdir(logs.c_str(), 0755);
  for (int i = 10; i < 35; ++i) std::ofstream(logs + "/my-notes-" + std::to_string(i) + ".log");
  for (int i = 10; i < 35; ++i) {
    std::ofstream(logs + "/20200101-0000" + std::to_string(i) + "-000 Old.log");
  }
  RunWatched(Watched(Script("quick", "exit 0\n"), logs, "Quick"));

  const QDir folder(QString::fromStdString(logs));
  EXPECT_EQ(folder.entryList({"my-notes-*.log"}, QDir::Files).size(), 25);
  EXPECT_EQ(folder.entryList({"2*.log"}, QDir::Files).size(), static_cast<qsizetype>(kLogsKept));
  // A folder that was there keeps the permissions the user gave it.
  EXPECT_EQ(ModeOf(logs), 0755u);
}

TEST_F(LaunchSafety, FoldersWeMakeAreOursAloneAndSoAreTheLogs) {
  const std::string state = root_ + "/state";
  const std::string logs = state + "/quillon/logs";
  const PortEnd end = RunWatched(Watched(Script("quick", "exit 0\n"), logs, "Quick"));
  ASSERT_FALSE(end.logPath.isEmpty());
  EXPECT_EQ(ModeOf(state), 0700u);
  EXPECT_EQ(ModeOf(state + "/quillon"), 0700u);
  EXPECT_EQ(ModeOf(logs), 0700u);
  EXPECT_EQ(ModeOf(Bytes(end.logPath)), 0600u);
}

// Port names of any length get their log; the notice shows the port's own output.
struct LongNameCase {
  const char* name;
  std::string title;
};
void PrintTo(const LongNameCase& c, std::ostream* out) {
  *out << c.name;
}

class LongNames : public LaunchSafety, public ::testing::WithParamInterface<LongNameCase> {};

std::string Times(std::string_view piece, int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += piece;
  return text;
}

TEST_P(LongNames, GetALogOfTheirOwn) {
  const std::string logs = root_ + "/logs";
  const PortEnd end = RunWatched(
      Watched(Script("failing", "echo 'W_GetNumForName: MAP99 not found!'\nexit 2\n"), logs,
              GetParam().title));
  ASSERT_FALSE(end.logPath.isEmpty());
  EXPECT_TRUE(QFileInfo(end.logPath).isFile());
  const std::string name = Bytes(QFileInfo(end.logPath).fileName());
  EXPECT_LE(name.size(), static_cast<std::size_t>(::pathconf(logs.c_str(), _PC_NAME_MAX)));
  EXPECT_EQ(QString::fromUtf8(name).toUtf8().toStdString(), name) << "split a character";
  EXPECT_EQ(LogsToRemove({name}, 0).size(), 1u);
  ASSERT_EQ(Notices().size(), 1);
  EXPECT_EQ(Shown(Notices().first()), "W_GetNumForName: MAP99 not found!");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LongNames,
    ::testing::Values(LongNameCase{"Short", "Chocolate Doom"},
                      LongNameCase{"JustFits", std::string(231, 'a')},
                      LongNameCase{"Ascii230", std::string(230, 'D') + " extra"},
                      LongNameCase{"Ascii300", std::string(300, 'D')},
                      LongNameCase{"TwoByteCharacters", Times("\xC3\xA9", 150)},
                      LongNameCase{"ThreeByteCharacters", Times("\xE2\x82\xAC", 100)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LaunchSafety, RelativePathEntryFindsTheProgramFromWhereWeAre) {
  QDir().mkpath(Path("bin"));
  const QString out = Path("args.txt");
  test::WriteFakePort(Path("bin"), "quillon-relport", out);
  CurrentDirGuard here(dir_->path());
  PathGuard path("./bin:/usr/bin:/bin");

  LaunchRequest request;
  request.File = "quillon-relport";
  request.Arguments = std::vector<std::string>{"-iwad", "doom2.wad"};
  const LaunchResult result = desktop_.Launch(&owner_, request);

  ASSERT_TRUE(result.Started()) << result.failure;
  EXPECT_EQ(test::WaitForLines(out),
            QStringList({QString::fromStdString(root_ + "/bin"), "-iwad", "doom2.wad"}));
}

// A port whose name is not UTF-8 (copied from a Windows disk, say) runs by its own bytes.
struct StoredNameCase {
  const char* name;
  std::string file;       // relative to the test's folder, our working folder meanwhile
  std::string directory;  // likewise
};
void PrintTo(const StoredNameCase& c, std::ostream* out) {
  *out << c.name;
}

class StoredName : public LaunchSafety, public ::testing::WithParamInterface<StoredNameCase> {};

TEST_P(StoredName, RunsByItsBytes) {
  ::mkdir((root_ + "/d\xE9mos").c_str(), 0755);
  const QString out = Path("ran.txt");
  WriteRecorderAt(root_ + "/d\xE9mos/d\xE9mo.sh", out);
  CurrentDirGuard here(dir_->path());
  LaunchRequest request;
  request.File = GetParam().file.empty() ? root_ + "/d\xE9mos/d\xE9mo.sh" : GetParam().file;
  request.Directory = GetParam().file.empty() ? root_ + "/d\xE9mos/" : GetParam().directory;
  request.LogDirectory = root_ + "/logs";
  request.Arguments = std::vector<std::string>{"-iwad", "d\xE9mo.wad"};

  const LaunchResult result = desktop_.Launch(&owner_, request);
  ASSERT_TRUE(result.Started()) << result.failure;
  const std::vector<std::string> lines = RawLines(out);
  EXPECT_EQ(lines, (std::vector<std::string>{root_ + "/d\xE9mos", "-iwad", "d\xE9mo.wad"}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StoredName,
    ::testing::Values(StoredNameCase{"Absolute", "", ""},
                      StoredNameCase{"Relative", "d\xE9mos/d\xE9mo.sh", "d\xE9mos/"},
                      StoredNameCase{"RelativeWithDot", "./d\xE9mos/d\xE9mo.sh", "./d\xE9mos"}),
    [](const auto& info) { return std::string(info.param.name); });

// The same through the main window: the entry's file as the configuration holds it.
class WindowStart : public LaunchSafety {
 protected:
  void Open(const std::string& portPath) {
    std::ofstream(root_ + "/QLN2.ini", std::ios::binary)
        << "[Ports]\r\nNumPorts=1\r\nPort1Name=D\xE9mo\r\nPort1Path=" << portPath
        << "\r\n\r\n[IWADs]\r\nNumIWADs=1\r\nIWAD1Name=Free\r\nIWAD1File=d\xE9mo.wad\r\n"
           "\r\n[Programs]\r\nNumProgs=1\r\nProg1Name=Ed\r\nProg1Path="
        << portPath
        << "\r\n\r\n[Files]\r\nNumFiles=0\r\n\r\n[Memory]\r\nPort=1\r\nIWAD=1\r\nProg=1\r\n"
           "UseFiles=0\r\nWarp=0\r\nWarpTo=\r\nNoMonsters=0\r\nNoMusic=0\r\nNoSound=0\r\n"
           "NoCD=0\r\nOpenGL=0\r\n\r\n";
    fake_.launcher = [this](QWidget* owner, const LaunchRequest& request) {
      return desktop_.Launch(owner, request);
    };
    window_ = std::make_unique<frmQLN2>(fake_, QString::fromStdString(root_));
  }
  void Click(const char* button) {
    auto* found = window_->findChild<QPushButton*>(button);
    ASSERT_NE(found, nullptr);
    ASSERT_TRUE(found->isEnabled());
    QTest::mouseClick(found, Qt::LeftButton);
  }
  void TearDown() override {
    if (window_) window_->close();
    LaunchSafety::TearDown();
  }

  test::FakeDesktop fake_;
  std::unique_ptr<frmQLN2> window_;
};

TEST_F(WindowStart, TestRunsThePortAndGivesTheIwadByTheirStoredBytes) {
  ::mkdir((root_ + "/d\xE9mos").c_str(), 0755);
  const QString out = Path("ran.txt");
  Open(WriteRecorderAt(root_ + "/d\xE9mos/d\xE9mo.sh", out));
  Click("cmdTest");
  ASSERT_EQ(fake_.launches.size(), 1u);
  EXPECT_EQ(RawLines(out),
            (std::vector<std::string>{root_ + "/d\xE9mos", "-iwad", "d\xE9mo.wad"}));
  EXPECT_TRUE(fake_.messages.empty());
}

TEST_F(WindowStart, LaunchRunsTheProgramByItsStoredBytes) {
  ::mkdir((root_ + "/d\xE9mos").c_str(), 0755);
  const QString out = Path("ran.txt");
  Open(WriteRecorderAt(root_ + "/d\xE9mos/d\xE9mo.sh", out));
  Click("cmdLaunch");
  EXPECT_EQ(RawLines(out), std::vector<std::string>{root_ + "/d\xE9mos"});
  EXPECT_TRUE(fake_.messages.empty());
}

TEST_F(WindowStart, AFailedStartShowsTheNameAsTheListsDo) {
  Open(root_ + "/gone/d\xE9mo.sh");
  Click("cmdTest");
  ASSERT_EQ(fake_.messages.size(), 1u);
  EXPECT_EQ(fake_.messages[0].text, QString::fromStdString("Could not start " + root_) +
                                        QString::fromUtf8("/gone/d\xC3\xA9mo.sh: ") +
                                        Qs(kNotFound) + ".");
}

}  // namespace
}  // namespace quillon
