// Real child processes started through the real desktop: found, exact, told, watched.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWidget>
#include <cerrno>
#include <csignal>

#include "core/launch/PortLog.h"
#include "core/launch/ProgramLookup.h"
#include "support/FakePort.h"
#include "support/ParamNames.h"
#include "support/QtPrinters.h"
#include "ui/desktop/QtText.h"
#include "ui/launch/frmPortStopped.h"
#include "ui/system/QtDesktop.h"

namespace quillon {
namespace {

using test::PrintTo;

class UrlSink : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> opened;
  Q_INVOKABLE void open(const QUrl& url) { opened << url; }
};

// Sets PATH for one test and puts the old one back.
class PathGuard {
 public:
  explicit PathGuard(const QByteArray& path) : old_(qgetenv("PATH")) { qputenv("PATH", path); }
  ~PathGuard() { qputenv("PATH", old_); }

 private:
  QByteArray old_;
};

unsigned ModeOf(const QString& path) {
  struct stat info {};
  return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

QList<frmPortStopped*> Notices() {
  QList<frmPortStopped*> found;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* notice = qobject_cast<frmPortStopped*>(widget); notice && notice->isVisible()) {
      found << notice;
    }
  }
  return found;
}

class PortWatch : public ::testing::Test {
 protected:
  void SetUp() override {
    // Beside the test binary rather than in /tmp, which may be mounted noexec; blanks and a
    // quote in the name prove no path is ever split.
    dir_ = std::make_unique<QTemporaryDir>(QCoreApplication::applicationDirPath() +
                                           "/port \"watch\" test-XXXXXX");
    ASSERT_TRUE(dir_->isValid());
    QDesktopServices::setUrlHandler("file", &urls_, "open");
    desktop_ = std::make_unique<QtDesktop>();
    owner_ = std::make_unique<QWidget>();
    owner_->show();
  }
  void TearDown() override {
    for (frmPortStopped* notice : Notices()) delete notice;
    QDesktopServices::unsetUrlHandler("file");
  }

  QString Path(const QString& name) const { return dir_->filePath(name); }
  QString Logs() const { return Path(logsName_); }
  QString Script(const QString& name, const QByteArray& body) const {
    return test::WriteScript(dir_->path(), name, body);
  }
  QString MakeDir(const QString& name) const {
    QDir().mkpath(Path(name));
    return QFileInfo(Path(name)).canonicalFilePath();
  }

  // Starts a watched port and waits until it has ended and been reaped.
  PortEnd RunWatched(const QString& port, const QString& title) {
    QSignalSpy ended(&desktop_->Launcher(), &PortLauncher::Ended);
    LaunchRequest request;
    request.File = Ss(port);
    request.Arguments = std::vector<std::string>{"-iwad", "free doom.wad"};
    request.Directory = Ss(QFileInfo(port).path());
    request.LogDirectory = Ss(Logs());
    request.Title = Ss(title);
    const LaunchResult result = desktop_->Launch(owner_.get(), request);
    EXPECT_TRUE(result.Started()) << result.failure;
    if (!result.Started() || !ended.wait(10'000)) return {};
    return ended.first().first().value<PortEnd>();
  }

  QStringList LogNames() const {
    return QDir(Logs()).entryList({"*.log"}, QDir::Files, QDir::Name);
  }

  QString logsName_ = "logs";
  std::unique_ptr<QTemporaryDir> dir_;
  UrlSink urls_;
  std::unique_ptr<QtDesktop> desktop_;
  std::unique_ptr<QWidget> owner_;
};

TEST_F(PortWatch, BareNameIsFoundOnPathAndRunsThere) {
  const QString bin = MakeDir("bin dir");
  const QString out = Path("args.txt");
  test::WriteFakePort(bin, "quillon-fake-port", out);
  // An empty entry and a missing folder come first: neither may stop the search.
  PathGuard path(("::" + Path("missing") + ":" + bin + ":/usr/bin:/bin").toLocal8Bit());

  LaunchRequest request;
  request.File = "quillon-fake-port";
  request.Arguments = std::vector<std::string>{"-iwad", "my doom2.wad"};
  const LaunchResult result = desktop_->Launch(owner_.get(), request);

  ASSERT_TRUE(result.Started()) << result.failure;
  EXPECT_EQ(test::WaitForLines(out), QStringList({bin, "-iwad", "my doom2.wad"}));
}

TEST_F(PortWatch, RelativePathEntryIsTakenFromWhereWeAre) {
  const QString out = Path("args.txt");
  test::WriteFakePort(MakeDir("bin"), "quillon-relport", out);
  const QString before = QDir::currentPath();
  QDir::setCurrent(dir_->path());
  PathGuard path("./bin:/usr/bin:/bin");
  LaunchRequest request;
  request.File = "quillon-relport";
  const LaunchResult result = desktop_->Launch(owner_.get(), request);
  QDir::setCurrent(before);
  EXPECT_TRUE(result.Started()) << result.failure;
  EXPECT_EQ(test::WaitForLines(out), QStringList({QFileInfo(Path("bin")).canonicalFilePath()}));
}

TEST_F(PortWatch, WindowsProgramRunsThroughWineFromPath) {
  const QString bin = MakeDir("wine bin");
  const QString ports = MakeDir("win ports");
  const QString out = Path("wine.txt");
  test::WriteFakePort(bin, "wine", out);
  // Not marked executable, as files copied from a Windows disk often are not.
  QFile exe(ports + "/ENGINE.EXE");
  ASSERT_TRUE(exe.open(QIODevice::WriteOnly));
  exe.write(QByteArray("MZ\x90\x00", 4));
  exe.close();
  PathGuard path((bin + ":/usr/bin:/bin").toLocal8Bit());

  LaunchRequest request;
  request.File = Ss(exe.fileName());
  request.Directory = Ss(ports) + "/";
  request.Arguments = std::vector<std::string>{"-file", "a \"b\".wad"};
  ASSERT_TRUE(desktop_->Launch(owner_.get(), request).Started());

  EXPECT_EQ(test::WaitForLines(out), QStringList({ports, exe.fileName(), "-file", "a \"b\".wad"}));
}

TEST_F(PortWatch, NativeProgramNamedExeRunsItself) {
  const QString out = Path("native.txt");
  const QString port = test::WriteFakePort(dir_->path(), "linux-port.exe", out);
  const QString bin = MakeDir("wine bin");
  test::WriteFakePort(bin, "wine", Path("wine.txt"));
  PathGuard path((bin + ":/usr/bin:/bin").toLocal8Bit());

  LaunchRequest request;
  request.File = Ss(port);
  request.Arguments = std::vector<std::string>{"-warp", "1"};
  ASSERT_TRUE(desktop_->Launch(owner_.get(), request).Started());
  EXPECT_EQ(test::WaitForLines(out).mid(1), QStringList({"-warp", "1"}));
  EXPECT_FALSE(QFileInfo::exists(Path("wine.txt")));
}

struct Ending {
  const char* name;
  QByteArray body;
  const char* endText;  // empty: no notice
  QString lastLine;
  QString cause;  // empty: none shown first
};

class PortEndings : public PortWatch, public ::testing::WithParamInterface<Ending> {};

TEST_P(PortEndings, NoticeOnlyForAFailure) {
  const Ending& ending = GetParam();
  const PortEnd end = RunWatched(Script("fake doom", ending.body), "Fake Doom");
  ASSERT_NE(end.pid, 0) << "the port did not end";

  // Reaped: no zombie is left while we run.
  errno = 0;
  EXPECT_EQ(::waitpid(end.pid, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
  EXPECT_EQ(desktop_->Launcher().Running(), 0);
  ASSERT_EQ(LogNames().size(), 1);

  const QList<frmPortStopped*> notices = Notices();
  if (QByteArray(ending.endText).isEmpty()) {
    EXPECT_TRUE(notices.isEmpty());
    return;
  }
  ASSERT_EQ(notices.size(), 1);
  frmPortStopped* notice = notices.first();
  EXPECT_EQ(notice->windowTitle(), "Fake Doom stopped");
  EXPECT_FALSE(notice->isModal());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(notice->parentWidget(), owner_.get());
  EXPECT_TRUE(notice->findChild<QLabel*>("lblEnd")->text().startsWith(ending.endText))
      << notice->findChild<QLabel*>("lblEnd")->text().toStdString();
  EXPECT_TRUE(notice->findChild<QLabel*>("lblEnd")->text().contains("It ran for "));
  const QStringList shown =
      notice->findChild<QPlainTextEdit*>("txtOutput")->toPlainText().split('\n');
  EXPECT_EQ(shown.last(), ending.lastLine);
  const QString mark = Qs(kCauseMark);
  EXPECT_EQ(shown.first().startsWith(mark) ? shown.first().mid(mark.size()) : "", ending.cause);
  EXPECT_LE(shown.size(), static_cast<qsizetype>(kNoticeCauses + 1 + kNoticeLines));
  // The cause, or else the end, in view, from the start of its lines.
  const auto* output = notice->findChild<QPlainTextEdit*>("txtOutput");
  EXPECT_EQ(output->horizontalScrollBar()->value(), 0);
  EXPECT_EQ(output->verticalScrollBar()->value(),
            ending.cause.isEmpty() ? output->verticalScrollBar()->maximum() : 0);

  QTest::mouseClick(notice->findChild<QPushButton*>("cmdOpenLog"), Qt::LeftButton);
  ASSERT_EQ(urls_.opened.size(), 1);
  EXPECT_EQ(urls_.opened.first().toLocalFile(), QDir(Logs()).filePath(LogNames().first()));

  QTest::mouseClick(notice->findChild<QPushButton*>("cmdClose"), Qt::LeftButton);
  EXPECT_TRUE(Notices().isEmpty());
}

std::string EndingName(const ::testing::TestParamInfo<Ending>& info) {
  return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PortEndings,
    ::testing::Values(Ending{"StderrAndStatus255",
                             "i=1; while [ $i -le 50 ]; do echo \"line $i\"; i=$((i+1)); done\n"
                             "printf '%0300d\\n' 0\n"
                             "echo 'W_GetNumForName: MAP99 not found!' >&2\nexit 255\n",
                             "It ended with exit status 255.", "W_GetNumForName: MAP99 not found!",
                             "W_GetNumForName: MAP99 not found!"},
                      Ending{"CauseUnderNoise",
                             "echo 'W_GetNumForName: map33 not found!'; seq 50; exit 1\n",
                             "It ended with exit status 1.", "50",
                             "W_GetNumForName: map33 not found!"},
                      Ending{"KilledBySignal", "echo 'about to die'\nkill -KILL $$\n",
                             "It was ended by signal 9 (Killed).", "about to die", ""},
                      Ending{"CleanExit", "echo 'bye'\nexit 0\n", "", "", ""}),
    EndingName);

TEST_F(PortWatch, NoticeShowsOnlyTheLastFortyLines) {
  const PortEnd end =
      RunWatched(Script("chatty",
                        "i=1; while [ $i -le 100 ]; do echo \"line $i\"; i=$((i+1)); done\n"
                        "exit 3\n"),
                 "Chatty");
  ASSERT_EQ(Notices().size(), 1);
  QStringList expected;
  for (int i = 61; i <= 100; ++i) expected << QString("line %1").arg(i);
  EXPECT_EQ(Notices().first()->findChild<QPlainTextEdit*>("txtOutput")->toPlainText(),
            expected.join('\n'));
  // The log itself holds the command it ran and everything the port wrote.
  QFile log(end.logPath);
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QByteArray bytes = log.readAll();
  EXPECT_TRUE(bytes.startsWith("$ cd '")) << bytes.left(200).toStdString();
  EXPECT_TRUE(bytes.contains(" -iwad 'free doom.wad'\n"));
  EXPECT_TRUE(bytes.contains("\nline 1\n"));
  EXPECT_TRUE(bytes.endsWith("line 100\n"));
}

TEST_F(PortWatch, PortOutlivesQuillonAndLogsEverything) {
  const QString go = Path("go");
  const QString done = Path("done");
  const QString port = Script("slow port",
                              "echo 'started'\n"
                              "while [ ! -e \"$1\" ]; do sleep 0.05; done\n"
                              "echo 'written after Quillon closed'\necho 'to stderr too' >&2\n"
                              ": > \"$2\"\nexit 0\n");
  LaunchRequest request;
  request.File = Ss(port);
  request.Arguments = std::vector<std::string>{Ss(go), Ss(done)};
  request.LogDirectory = Ss(Logs());
  request.Title = "Slow";
  ASSERT_TRUE(desktop_->Launch(owner_.get(), request).Started());
  ASSERT_EQ(LogNames().size(), 1);
  const QString log = QDir(Logs()).filePath(LogNames().first());
  const auto logHas = [&log](const char* text) {
    QFile file(log);
    return file.open(QIODevice::ReadOnly) && file.readAll().contains(text);
  };
  ASSERT_EVENTUALLY(logHas("started\n"), 10'000);

  // Quillon closes: its window and desktop go away while the port still runs.
  owner_.reset();
  desktop_.reset();

  QFile(go).open(QIODevice::WriteOnly);
  ASSERT_EVENTUALLY(QFileInfo::exists(done), 10'000);
  QFile file(log);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  EXPECT_TRUE(bytes.endsWith("started\nwritten after Quillon closed\nto stderr too\n"))
      << bytes.toStdString();
}

TEST_F(PortWatch, KeepsTheNewestTwentyLogs) {
  QDir().mkpath(Logs());
  for (int i = 10; i < 35; ++i) {
    QFile old(QDir(Logs()).filePath(QString("20200101-0000%1-000 Old.log").arg(i)));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  }
  QFile notes(QDir(Logs()).filePath("notes.txt"));
  ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
  notes.close();

  const PortEnd end = RunWatched(Script("quick", "exit 0\n"), "Quick");

  const QStringList names = LogNames();
  ASSERT_EQ(names.size(), static_cast<qsizetype>(kLogsKept));
  EXPECT_EQ(names.first(), "20200101-000016-000 Old.log");
  EXPECT_EQ(QDir(Logs()).filePath(names.last()), end.logPath);
  EXPECT_TRUE(names.last().endsWith(" Quick.log"));
  EXPECT_TRUE(notes.exists());
}

TEST_F(PortWatch, ALongLineInTheLogShowsItsEndAtOnce) {
  const std::string message = "R_InitTextures: bad texture";
  RunWatched(Script("noisy", "head -c 8388608 /dev/zero | tr '\\0' x\necho '" +
                                 QByteArray::fromStdString(message) + "' >&2\nexit 1\n"),
             "Noisy");
  ASSERT_EQ(Notices().size(), 1);
  EXPECT_EQ(Notices().first()->findChild<QPlainTextEdit*>("txtOutput")->toPlainText(),
            Qs("[" + std::to_string((8 << 20) + message.size() - kNoticeLineBytes) +
               " bytes cut] \xE2\x80\xA6" + std::string(kNoticeLineBytes - message.size(), 'x') +
               message));
}

// Folders it makes and its logs are the user's alone; a long name still gets its log, cut
// to the folder's limit between two characters, and the notice the port's output.
TEST_F(PortWatch, MakesPrivateFoldersAndLogsOfAnyName) {
  logsName_ = "state/quillon/logs";
  const PortEnd end = RunWatched(Script("failing", "echo 'MAP99 not found'\nexit 2\n"),
                                 Qs(std::string(230, 'D') + "\xE2\x82\xAC"));
  for (const char* made : {"state", "state/quillon", "state/quillon/logs"})
    EXPECT_EQ(ModeOf(Path(made)), 0700u) << made;
  EXPECT_EQ(ModeOf(end.logPath), 0600u);
  const QByteArray name = QFile::encodeName(QFileInfo(end.logPath).fileName());
  EXPECT_LE(name.size(), ::pathconf(QFile::encodeName(Logs()).constData(), _PC_NAME_MAX));
  EXPECT_TRUE(name.endsWith("D.log") && QString::fromUtf8(name).toUtf8() == name) << name.data();
  ASSERT_EQ(Notices().size(), 1);
  EXPECT_EQ(Notices().first()->findChild<QPlainTextEdit*>("txtOutput")->toPlainText(),
            Qs(kCauseMark) + "MAP99 not found\n\nMAP99 not found");
}

TEST_F(PortWatch, UnwatchedProgramsLeaveNoLogAndNoNotice) {
  QSignalSpy ended(&desktop_->Launcher(), &PortLauncher::Ended);
  LaunchRequest request;
  request.File = Ss(Script("tool", "echo oops >&2\nexit 1\n"));
  ASSERT_TRUE(desktop_->Launch(owner_.get(), request).Started());
  ASSERT_TRUE(ended.wait(10'000));
  EXPECT_TRUE(Notices().isEmpty());
  EXPECT_FALSE(QFileInfo::exists(Logs()));
}

}  // namespace
}  // namespace quillon

#include "PortWatchTest.moc"
