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

  EXPECT_TRUE(desktop_.OpenDocument(help.fileName()));
  EXPECT_EQ(urls_.opened, QList<QUrl>({QUrl::fromLocalFile(help.fileName())}));
  // A handler that cannot take it stands for a desktop with none: the caller must hear so.
  QDesktopServices::setUrlHandler("file", &urls_, "missing");
  EXPECT_FALSE(desktop_.OpenDocument(help.fileName()));
  QDesktopServices::setUrlHandler("file", &urls_, "open");

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

// A port whose name is not UTF-8 (copied from a Windows disk) runs by its bytes, here from a
// path relative to our folder, and so does its IWAD.
TEST_F(Launch, WindowStartsTheEntriesFilesByTheirStoredBytes) {
  const std::string folder = Canonical(dir_->path()).toStdString() + "/d\xE9mos";
  ::mkdir(folder.c_str(), 0755);
  std::ofstream(folder + "/d\xE9mo.sh") << "#!/bin/sh\n{ pwd -P; for a in \"$@\"; do echo \"$a\"; "
                                           "done; } >../ran.part\nmv ../ran.part ../ran\n";
  ::chmod((folder + "/d\xE9mo.sh").c_str(), 0755);
  std::ofstream(Path("QLN2.ini").toStdString())
      << "[Ports]\nNumPorts=1\nPort1Name=D\nPort1Path=./d\xE9mos/d\xE9mo.sh\n[IWADs]\nNumIWADs=1\n"
         "IWAD1Name=F\nIWAD1File=d\xE9mo.wad\n[Programs]\nNumProgs=0\n[Files]\nNumFiles=0\n"
         "[Memory]\nPort=1\nIWAD=1\nProg=0\nUseFiles=0\nWarp=0\nWarpTo=\nNoMonsters=0\n"
         "NoMusic=0\nNoSound=0\nNoCD=0\nOpenGL=0\n";
  test::FakeDesktop fake;
  fake.launcher = [this](QWidget* owner, const LaunchRequest& request) {
    return desktop_.Launch(owner, request);
  };
  frmQLN2 window(fake, dir_->path());
  auto* test = window.findChild<QPushButton*>("cmdTest");
  ASSERT_TRUE(test->isEnabled());
  const QString before = QDir::currentPath();
  QDir::setCurrent(dir_->path());
  fake.questionAnswers.push_back(MessageResult::Yes);  // the IWAD is nowhere
  QTest::mouseClick(test, Qt::LeftButton);
  QDir::setCurrent(before);
  // Read as UTF-8, the stored é shows as U+FFFD, as it does here.
  EXPECT_EQ(WaitForLines(Path("ran")), QStringList({QString::fromStdString(folder), "-iwad",
                                                    QString::fromStdString("d\xE9mo.wad")}));
  window.close();
  std::filesystem::remove_all(folder);  // QTemporaryDir cannot name it
}

}  // namespace
}  // namespace quillon

#include "LaunchTest.moc"
