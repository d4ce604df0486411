#include <QSignalSpy>

#include "core/launch/ProgramLookup.h"
#include "gui/MainWindowFixture.h"
#include "support/FakePort.h"
#include "support/ParamNames.h"
#include "ui/desktop/AppTexts.h"
#include "ui/system/QtDesktop.h"

namespace quillon::test {
namespace {

using test::PrintTo;

class LaunchingTest : public MainWindowTest {
 protected:
  // Two ports and two IWADs, the second of each selected, one PWAD and one patch listed.
  void SetUpWindow() {
    WriteDefaultIni();
    Put("Ports", "NumPorts", "2");
    Put("Ports", "Port1Name", "Chocolate");
    Put("Ports", "Port1Path", "/usr/games/chocolate-doom");
    Put("Ports", "Port2Name", "Crispy");
    Put("Ports", "Port2Path", "/usr/games/crispy-doom");
    Put("IWADs", "NumIWADs", "2");
    Put("IWADs", "IWAD1Name", "Freedoom 1");
    Put("IWADs", "IWAD1File", "freedoom1.wad");
    Put("IWADs", "IWAD2Name", "Freedoom 2");
    Put("IWADs", "IWAD2File", "freedoom2.wad");
    Put("Files", "NumFiles", "2");
    Put("Files", "File1Name", "map01.wad");
    Put("Files", "File1Path", "/maps/map01.wad");
    Put("Files", "File2Name", "fix.deh");
    Put("Files", "File2Path", "/maps/fix.deh");
    Put("Memory", "Port", "2");
    Put("Memory", "IWAD", "2");
    Put("Memory", "UseFiles", "1");
    Open();
  }
};

TEST_F(LaunchingTest, TestAndF2StartTheSelectedPortWithTheSelectedIwad) {
  SetUpWindow();
  // The files are not there: each start asks first.
  desktop.questionAnswers = {MessageResult::Yes, MessageResult::Yes};
  Button("cmdTest")->click();
  // The file is read at the moment of the click, not at start-up.
  Put("Ports", "Port2Path", "/opt/crispy/crispy-doom");
  QApplication::setActiveWindow(window.get());
  QTest::keyClick(window.get(), Qt::Key_F2);
  ASSERT_EQ(desktop.launches.size(), 2u);
  LaunchRequest expected;
  expected.File = "/usr/games/crispy-doom";
  expected.Parameters = " -iwad freedoom2.wad -file \"/maps/map01.wad\"  -deh \"/maps/fix.deh\"  ";
  expected.Directory = "/usr/games/";
  expected.Arguments = {"-iwad",           "freedoom2.wad", "-file",
                        "/maps/map01.wad", "-deh",          "/maps/fix.deh"};
  // Watched under the name the user gave the port, logged beside the configuration.
  expected.Title = "Crispy";
  expected.LogDirectory = (dir.Path() + "/logs").toStdString();
  EXPECT_EQ(desktop.launches[0], expected);
  EXPECT_EQ(desktop.launches[1].File, "/opt/crispy/crispy-doom");
  EXPECT_EQ(desktop.launches[1].Directory, "/opt/crispy/");
  EXPECT_TRUE(window->isVisible());
}

TEST_F(LaunchingTest, PlaceholderIwadAndDisabledFilesLeaveThemOff) {
  SetUpWindow();
  List("cmbIWADs")->setCurrentIndex(2);
  Box("chkEnableFiles")->setChecked(false);
  Box("chkWarp")->setChecked(false);
  Button("cmdTest")->click();
  ASSERT_EQ(desktop.launches.size(), 1u);
  EXPECT_EQ(desktop.launches[0].Parameters, " ");
  // Switched off, not forgotten.
  EXPECT_EQ(Items(Find<QListView>("lstFiles")), (QStringList{"map01.wad", "fix.deh"}));
}

TEST_F(LaunchingTest, ExitWhenTestingClosesAfterTheRequestAndRemembers) {
  SetUpWindow();
  Box("chkCloseOnTest")->setChecked(true);
  Box("chkNoMonsters")->setChecked(true);
  desktop.questionAnswers.push_back(MessageResult::Yes);
  Button("cmdTest")->click();
  EXPECT_EQ(desktop.launches.size(), 1u);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(Get("Memory", "NoMonsters"), "1");
  EXPECT_EQ(Get("Memory", "Port"), "2");
}

TEST_F(LaunchingTest, LaunchPassesTheProgramParametersAsTyped) {
  WriteDefaultIni();
  PutList(ListId::Programs, {"Editor", "Builder"});
  Put("Programs", "Prog2Path", "nodebuilder");
  Put("Memory", "Prog", "2");
  Open();
  Box("chkCloseOnTest")->setChecked(true);  // concerns Test only
  Text("txtProgParams")->setText("  -o \"out file.wad\" ; rm -rf x");
  Button("cmdLaunch")->click();
  ASSERT_EQ(desktop.launches.size(), 1u);
  LaunchRequest expected;
  expected.File = "nodebuilder";
  expected.Parameters = "  -o \"out file.wad\" ; rm -rf x";
  expected.Title = "Builder";
  EXPECT_EQ(desktop.launches[0], expected);
  EXPECT_TRUE(window->isVisible());
}

TEST_F(LaunchingTest, HelpOpensTheHelpFileOfTheProgramDirectory) {
  WriteDefaultIni();
  dir.Write("QLN2.txt", "Help\r\n");
  Open();
  Button("cmdHelp")->click();
  Action("HelpShow")->trigger();
  // Opened as a document, never started, however the file system marks it.
  EXPECT_TRUE(desktop.launches.empty());
  const QString help = dir.Path() + "/QLN2.txt";
  EXPECT_EQ(desktop.documents, QStringList({help, help}));
}

// An installed copy reads its settings from the user's folder, its help from the shared one
// and writes its logs to the user's state folder.
TEST_F(LaunchingTest, HelpOpensTheHelpFileGivenApartFromTheSettings) {
  WriteDefaultIni();
  const QString help = dir.FilePath("share/quillon/QLN2.txt");
  QDir().mkpath(dir.FilePath("share/quillon"));
  dir.Write("share/quillon/QLN2.txt", "Help\r\n");
  window = std::make_unique<frmQLN2>(desktop, dir.Path(), help);
  window->show();
  Button("cmdHelp")->click();
  Action("HelpShow")->trigger();
  EXPECT_TRUE(desktop.launches.empty());
  EXPECT_EQ(desktop.documents, QStringList({help, help}));
}

TEST_F(LaunchingTest, LogsGoToTheFolderGivenApartFromTheSettings) {
  WriteDefaultIni();
  PutList(ListId::Ports, {"Chocolate"});
  Put("Memory", "Port", "1");
  window = std::make_unique<frmQLN2>(desktop, dir.Path(), "", "/home/u/.local/state/quillon/logs");
  window->show();
  QTest::mouseClick(Button("cmdTest"), Qt::LeftButton);
  ASSERT_EQ(desktop.launches.size(), 1u);
  EXPECT_EQ(desktop.launches[0].LogDirectory, "/home/u/.local/state/quillon/logs");
  EXPECT_EQ(desktop.launches[0].Title, "Chocolate");
}

// The whole way from a click to a real process.
TEST_F(LaunchingTest, TestStartsARealPortWithExactlyItsArguments) {
  const QString portDir = dir.FilePath(QStringLiteral("my ports"));
  ASSERT_TRUE(QDir().mkpath(portDir));
  const QString out = dir.FilePath(QStringLiteral("args.txt"));
  const QString port = WriteFakePort(portDir, QStringLiteral("fake-doom"), out);
  WriteDefaultIni();
  Put("Ports", "NumPorts", "1");
  Put("Ports", "Port1Name", "Fake");
  Put("Ports", "Port1Path", port.toStdString());
  Put("IWADs", "NumIWADs", "1");
  Put("IWADs", "IWAD1Name", "Main");
  Put("IWADs", "IWAD1File", "main.wad");
  Put("Files", "NumFiles", "3");
  Put("Files", "File1Name", "a.wad");
  Put("Files", "File1Path", "/my maps/a.wad");
  Put("Files", "File2Name", "b.wad");
  Put("Files", "File2Path", "/my maps/");
  Put("Files", "File3Name", "fix.deh");
  Put("Files", "File3Path", "/my maps/fix.deh");
  Put("Memory", "Port", "1");
  Put("Memory", "IWAD", "1");
  Put("Memory", "UseFiles", "1");
  Put("Memory", "Warp", "1");
  Put("Memory", "WarpTo", "7");
  Put("Memory", "NoMonsters", "1");
  Put("Memory", "Params", "-fast $(touch pwned) `touch pwned` ; touch pwned && echo");

  // The real launch; the files are made up, so the question before it is answered here.
  QtDesktop real;
  desktop.launcher = [&real](QWidget* owner, const LaunchRequest& request) {
    return real.Launch(owner, request);
  };
  desktop.questionAnswers.push_back(MessageResult::Yes);
  frmQLN2 launcher(desktop, dir.Path());
  launcher.findChild<QPushButton*>(QStringLiteral("cmdTest"))->click();
  const QStringList lines = WaitForLines(out);
  EXPECT_EQ(lines, (QStringList{QFileInfo(portDir).canonicalFilePath(),
                                "-iwad",
                                "main.wad",
                                "-file",
                                "/my maps/a.wad",
                                "/my maps/b.wad",
                                "-deh",
                                "/my maps/fix.deh",
                                "-warp",
                                "7",
                                "-fast",
                                "$(touch",
                                "pwned)",
                                "`touch",
                                "pwned`",
                                ";",
                                "touch",
                                "pwned",
                                "&&",
                                "echo",
                                "-nomonsters"}));
  EXPECT_FALSE(QFileInfo::exists(portDir + "/pwned"));
  launcher.close();
}

// Starts really happen: the scripted desktop records them and hands them to the real one,
// while its message boxes stay scripted.
class RealStartTest : public LaunchingTest {
 protected:
  void SetUp() override {
    // Beside the test binary rather than in /tmp, which may be mounted noexec.
    ports_ = std::make_unique<QTemporaryDir>(QCoreApplication::applicationDirPath() +
                                             "/my \"ports\" dir-XXXXXX");
    ASSERT_TRUE(ports_->isValid());
    desktop.launcher = [this](QWidget* owner, const LaunchRequest& request) {
      return real_.Launch(owner, request);
    };
  }
  QString PortPath(const QString& name) const { return ports_->filePath(name); }

  void WritePort(const QString& path) {
    WriteDefaultIni();
    Put("Ports", "NumPorts", "1");
    Put("Ports", "Port1Name", "My Port");
    Put("Ports", "Port1Path", path.toStdString());
    Put("Memory", "Port", "1");
  }
  void OpenWithPort(const QString& path) {
    WritePort(path);
    Open();
  }

  std::unique_ptr<QTemporaryDir> ports_;
  QtDesktop real_;
};

struct FailedStart {
  const char* name;
  std::function<QString(const QString& portDir)> makePort;
  std::string_view reason;
};

class FailedStartTest : public RealStartTest, public ::testing::WithParamInterface<FailedStart> {};

QString WriteBytes(const QString& path, const QByteArray& bytes, bool executable) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return {};
  file.write(bytes);
  if (executable) file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
  return path;
}

TEST_P(FailedStartTest, IsToldAndKeepsTheWindowOpen) {
  const QByteArray oldPath = qgetenv("PATH");
  qputenv("PATH", "/nonexistent-bin");
  const QString port = GetParam().makePort(ports_->path());
  OpenWithPort(port);
  QTest::mouseClick(Box("chkCloseOnTest"), Qt::LeftButton);
  ASSERT_TRUE(Box("chkCloseOnTest")->isChecked());

  QTest::mouseClick(Button("cmdTest"), Qt::LeftButton);
  qputenv("PATH", oldPath);

  ASSERT_EQ(desktop.messages.size(), 1u);
  const FakeDesktop::Message& message = desktop.messages[0];
  EXPECT_EQ(message.text, "Could not start " + port + ": " +
                              QString::fromUtf8(GetParam().reason.data(),
                                                static_cast<qsizetype>(GetParam().reason.size())) +
                              ".");
  EXPECT_EQ(message.title, QString::fromLatin1(kAppTitle));
  EXPECT_EQ(message.icon, MessageIcon::Exclamation);
  EXPECT_EQ(message.buttons, MessageButtons::Ok);
  // "Exit when testing" leaves only after a start that happened.
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(desktop.calls, QStringList({"launch", "message"}));
  // A start that never happened leaves no log behind.
  EXPECT_TRUE(QDir(dir.FilePath("logs")).entryList({"*.log"}, QDir::Files).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailedStartTest,
    ::testing::Values(
        FailedStart{"Missing", [](const QString& d) { return d + "/gone port"; }, kNotFound},
        FailedStart{"NotOnPath", [](const QString&) { return QString("quillon-no-such-port"); },
                    kNotOnPath},
        FailedStart{"Folder", [](const QString& d) { return d; }, kIsFolder},
        FailedStart{"NotExecutable",
                    [](const QString& d) { return WriteBytes(d + "/doom", "#!/bin/sh\n", false); },
                    kNotExecutable},
        FailedStart{"NotAProgram",
                    [](const QString& d) {
                      return WriteBytes(d + "/doom", "\x01\x02 not a program", true);
                    },
                    kNotRunnable},
        FailedStart{"WineMissing",
                    [](const QString& d) { return WriteBytes(d + "/Doom.Exe", "MZ", true); },
                    kWineMissing}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RealStartTest, PathsWithQuotesAndBlanksArriveWhole) {
  const QString out = PortPath("args.txt");
  const QString port = WriteFakePort(ports_->path(), "fake \"doom\"", out);
  WritePort(port);
  Put("IWADs", "NumIWADs", "1");
  Put("IWADs", "IWAD1Name", "Free");
  Put("IWADs", "IWAD1File", "free \"doom\" 2.wad");
  Put("Files", "NumFiles", "2");
  Put("Files", "File1Name", "a \"b\" c.wad");
  Put("Files", "File1Path", "/my \"maps\"/");
  Put("Files", "File2Name", "fix  it.deh");
  Put("Files", "File2Path", "/my \"maps\"/fix  it.deh");
  Put("Memory", "IWAD", "1");
  Put("Memory", "UseFiles", "1");
  Open();
  desktop.questionAnswers.push_back(MessageResult::Yes);
  QTest::mouseClick(Button("cmdTest"), Qt::LeftButton);

  EXPECT_EQ(
      WaitForLines(out),
      (QStringList{QFileInfo(ports_->path()).canonicalFilePath(), "-iwad", "free \"doom\" 2.wad",
                   "-file", "/my \"maps\"/a \"b\" c.wad", "-deh", "/my \"maps\"/fix  it.deh"}));
  // Only the question before the start, as the files are made up.
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].buttons, MessageButtons::TestAnywayCancel);
  // Its output went to a log named after the port, beside the configuration.
  const QStringList logs = QDir(dir.FilePath("logs")).entryList({"*.log"}, QDir::Files);
  ASSERT_EQ(logs.size(), 1);
  EXPECT_TRUE(logs.first().endsWith(" My Port.log"));
}

TEST_F(RealStartTest, ProgramThatCannotStartIsToldToo) {
  WriteDefaultIni();
  PutList(ListId::Programs, {"Builder"});
  Put("Programs", "Prog1Path", PortPath("no builder").toStdString());
  Put("Memory", "Prog", "1");
  Open();
  QTest::mouseClick(Button("cmdLaunch"), Qt::LeftButton);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text,
            "Could not start " + PortPath("no builder") + ": the file does not exist.");
}

}  // namespace
}  // namespace quillon::test
