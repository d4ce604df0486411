#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <fstream>

#include "core/launch/ProgramLookup.h"
#include "support/FakeDesktop.h"
#include "support/FakePort.h"
#include "support/QtPrinters.h"
#include "ui/desktop/QtText.h"
#include "ui/main/frmQLN2.h"
#include "ui/system/QtDesktop.h"

namespace quillon {
namespace {

// Stands in for the desktop's "open this document": records instead of starting a viewer.
class UrlRecorder : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> opened;
  Q_INVOKABLE void open(const QUrl& url) { opened << url; }
};

class Launch : public ::testing::Test {
 protected:
  void SetUp() override {
    // Beside the test binary rather than in /tmp, which may be mounted noexec. The blank
    // in the name proves the program path never passes through a shell.
    dir_ = std::make_unique<QTemporaryDir>(QCoreApplication::applicationDirPath() +
                                           "/launch test-XXXXXX");
    ASSERT_TRUE(dir_->isValid());
    ASSERT_FALSE(dir_->path().contains('\''));
    QDesktopServices::setUrlHandler("file", &urls_, "open");
  }
  void TearDown() override { QDesktopServices::unsetUrlHandler("file"); }

  QString Path(const QString& name) const { return dir_->filePath(name); }

  QString WriteRecorder(const QString& outFile) const {
    return test::WriteFakePort(dir_->path(), QStringLiteral("fake port"), outFile);
  }
  static QStringList WaitForLines(const QString& path) { return test::WaitForLines(path); }

  static QString Canonical(const QString& dir) { return QFileInfo(dir).canonicalFilePath(); }

  std::unique_ptr<QTemporaryDir> dir_;
  UrlRecorder urls_;
  QtDesktop desktop_;
};

TEST_F(Launch, PassesArgumentsUnchangedByAnyShell) {
  struct Row {
    const char* parameters;
    QStringList arguments;
  };
  const Row rows[] = {
      {R"( -iwad doom2.wad -file "/tmp/x y/a.wad"  -warp 1 -fast)",
       {"-iwad", "doom2.wad", "-file", "/tmp/x y/a.wad", "-warp", "1", "-fast"}},
      {"", {}},
      {"-file $HOME/*.wad;echo `id`|cat", {"-file", "$HOME/*.wad;echo", "`id`|cat"}},
  };
  int run = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.parameters);
    const QString out = Path(QString("run%1.txt").arg(++run));
    LaunchRequest request;
    request.File = Ss(WriteRecorder(out));
    request.Parameters = row.parameters;
    request.Directory = Ss(dir_->path());

    EXPECT_TRUE(desktop_.Launch(nullptr, request).Started());

    const QStringList lines = WaitForLines(out);
    ASSERT_FALSE(lines.isEmpty()) << "the program did not run";
    EXPECT_EQ(lines.first(), Canonical(dir_->path()));
    EXPECT_EQ(lines.mid(1), row.arguments);
  }
  EXPECT_TRUE(urls_.opened.isEmpty());
}

TEST_F(Launch, EmptyDirectoryRunsInOurWorkingDirectory) {
  const QString out = Path("cwd.txt");
  LaunchRequest request;
  request.File = Ss(WriteRecorder(out));
  request.Parameters = "-iwad doom.wad";

  desktop_.Launch(nullptr, request);

  EXPECT_EQ(WaitForLines(out), QStringList({Canonical(QDir::currentPath()), "-iwad", "doom.wad"}));
}

TEST_F(Launch, OpensDocumentsButNeverStartsThem) {
  QFile help(Path("QLN2.txt"));
  ASSERT_TRUE(help.open(QIODevice::WriteOnly));
  help.write("Help\r\n");
  help.close();

  desktop_.OpenDocument(help.fileName());
  EXPECT_EQ(urls_.opened, QList<QUrl>({QUrl::fromLocalFile(help.fileName())}));

  // Handing it to the document handler would drop every parameter: refused instead.
  LaunchRequest request;
  request.File = Ss(help.fileName());
  request.Parameters = "ignored";
  EXPECT_EQ(desktop_.Launch(nullptr, request).failure, kNotExecutable);
  EXPECT_EQ(urls_.opened.size(), 1);
}

TEST_F(Launch, SaysWhyWithoutAFile) {
  struct Row {
    QString file;
    std::string_view reason;
  };
  const Row rows[] = {{QString(), kNoPathGiven}, {Path("no-such-port"), kNotFound}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.file.toStdString());
    LaunchRequest request;
    request.File = Ss(row.file);
    request.Parameters = "-iwad doom2.wad";
    request.Directory = Ss(dir_->path());
    EXPECT_EQ(desktop_.Launch(nullptr, request).failure, row.reason);
  }
  EXPECT_TRUE(urls_.opened.isEmpty());
}

// A port whose name is not UTF-8 (copied from a Windows disk) runs by its bytes, from the
// window's list as from a relative path; only what is shown is text.
class StoredName : public Launch {
 protected:
  void SetUp() override {
    Launch::SetUp();
    root_ = QFile::encodeName(QFileInfo(dir_->path()).canonicalFilePath()).toStdString();
    ::mkdir((root_ + "/d\xE9mos").c_str(), 0755);
    std::ofstream(root_ + "/d\xE9mos/d\xE9mo.sh") << "#!/bin/sh\n{ pwd -P; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > ../ran.part\nmv ../ran.part ../ran\n";
    ::chmod((root_ + "/d\xE9mos/d\xE9mo.sh").c_str(), 0755);
  }
  void TearDown() override {
    std::filesystem::remove_all(root_ + "/d\xE9mos");  // QTemporaryDir cannot name it
    Launch::TearDown();
  }
  std::vector<std::string> Ran() const {
    WaitForLines(Path("ran"));
    std::ifstream file(root_ + "/ran");
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
  }
  std::string root_;
};

TEST_F(StoredName, RelativePathRunsByItsBytes) {
  const QString before = QDir::currentPath();
  QDir::setCurrent(dir_->path());
  LaunchRequest request;
  request.File = "./d\xE9mos/d\xE9mo.sh";
  request.Directory = "d\xE9mos/";
  const LaunchResult result = desktop_.Launch(nullptr, request);
  QDir::setCurrent(before);
  EXPECT_TRUE(result.Started()) << result.failure;
  EXPECT_EQ(Ran(), std::vector<std::string>{root_ + "/d\xE9mos"});
}

TEST_F(StoredName, WindowStartsTheEntriesFilesByTheirBytes) {
  const std::string port = root_ + "/d\xE9mos/d\xE9mo.sh";
  std::ofstream(root_ + "/QLN2.ini") << "[Ports]\r\nNumPorts=1\r\nPort1Name=D\r\nPort1Path=" << port << "\r\n[IWADs]\r\nNumIWADs=1\r\nIWAD1Name=F\r\nIWAD1File=d\xE9mo.wad\r\n[Programs]\r\nNumProgs=1\r\nProg1Name=E\r\nProg1Path=" << port << "/gone\r\n[Files]\r\nNumFiles=0\r\n[Memory]\r\nPort=1\r\nIWAD=1\r\nProg=1\r\nUseFiles=0\r\nWarp=0\r\nWarpTo=\r\nNoMonsters=0\r\nNoMusic=0\r\nNoSound=0\r\nNoCD=0\r\nOpenGL=0\r\n";
  test::FakeDesktop fake;
  fake.launcher = [this](QWidget* owner, const LaunchRequest& request) { return desktop_.Launch(owner, request); };
  frmQLN2 window(fake, QString::fromStdString(root_));
  ASSERT_TRUE(window.findChild<QPushButton*>("cmdTest")->isEnabled());
  QTest::mouseClick(window.findChild<QPushButton*>("cmdTest"), Qt::LeftButton);
  EXPECT_EQ(Ran(), (std::vector<std::string>{root_ + "/d\xE9mos", "-iwad", "d\xE9mo.wad"}));
  // A failed start names the file as the lists show it.
  ASSERT_TRUE(window.findChild<QPushButton*>("cmdLaunch")->isEnabled());
  QTest::mouseClick(window.findChild<QPushButton*>("cmdLaunch"), Qt::LeftButton);
  ASSERT_EQ(fake.messages.size(), 1u);
  EXPECT_TRUE(fake.messages[0].text.contains(QString::fromUtf8("/d\xC3\xA9mos/d\xC3\xA9mo.sh/gone: ")))
      << fake.messages[0].text.toStdString();
  window.close();
}

}  // namespace
}  // namespace quillon

#include "LaunchTest.moc"
