// "Test in Several Ports" and "Copy Command Line": what reaches the ports, what is remembered.
#include <QHelpEvent>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>

#include "gui/SetupFixture.h"
#include "support/FakePort.h"
#include "support/ParamNames.h"
#include "ui/system/QtDesktop.h"

namespace quillon::test {
namespace {

using test::PrintTo;

class TestPortsTest : public SetupTest {
 protected:
  // The dialog's list and buttons, found in the dialog the desktop was handed.
  static QListWidget* PortsIn(QDialog* dialog) { return In<QListWidget>(dialog, "lstPorts"); }
  static QStringList Checked(QDialog* dialog) {
    QStringList names;
    QListWidget* ports = PortsIn(dialog);
    for (int row = 0; row < ports->count(); ++row) {
      if (ports->item(row)->checkState() == Qt::Checked) names << ports->item(row)->text();
    }
    return names;
  }
  // Toggles the rows' check boxes as a user does: to the row, then Space.
  static void Toggle(QDialog* dialog, std::initializer_list<int> rows) {
    QListWidget* ports = PortsIn(dialog);
    for (const int row : rows) {
      ports->setCurrentRow(0);
      for (int i = 0; i < row; ++i) QTest::keyClick(ports, Qt::Key_Down);
      QTest::keyClick(ports, Qt::Key_Space);
    }
  }
  // Opens the dialog with Shift+F2 and runs `script` in it.
  void RunDialog(const Script& script) {
    desktop.modalScripts.push_back(script);
    QApplication::setActiveWindow(window.get());
    QTest::keyClick(window.get(), Qt::Key_F2, Qt::ShiftModifier);
    EXPECT_TRUE(desktop.modalScripts.empty()) << "Shift+F2 opened no dialog";
  }
};

TEST_F(TestPortsTest, DialogListsEveryPortWithTheRememberedChecks) {
  WriteDefaultIni();
  PutList(ListId::Ports, {"A", "B", "C"});
  // Unusable and out-of-range numbers are ignored rather than refused.
  Put("Memory", "TestPorts", "3, 1,9,x");
  Open();
  RunDialog([&](QDialog* dialog) {
    EXPECT_EQ(dialog->windowTitle(), "Test in Several Ports");
    EXPECT_EQ(Items(PortsIn(dialog)), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(Checked(dialog), (QStringList{"A", "C"}));
    EXPECT_TRUE(In<QPushButton>(dialog, "cmdTest")->isDefault());
    // Nothing checked, nothing to test.
    Toggle(dialog, {0, 2});
    EXPECT_TRUE(Checked(dialog).isEmpty());
    EXPECT_FALSE(In<QPushButton>(dialog, "cmdTest")->isEnabled());
    Toggle(dialog, {1});
    EXPECT_TRUE(In<QPushButton>(dialog, "cmdTest")->isEnabled());
    QTest::mouseClick(In<QPushButton>(dialog, "cmdCancel"), Qt::LeftButton);
  });
  // Cancel starts nothing and keeps the checks remembered before.
  EXPECT_TRUE(desktop.launches.empty());
  EXPECT_EQ(Get("Memory", "TestPorts"), "3, 1,9,x");
}

struct SeveralCase {
  const char* name;
  std::vector<const char*> failures;  // per started port; "" starts
  bool exitOnTest;
  int messages;
  bool stillOpen;
};

class SeveralStartsTest : public TestPortsTest,
                          public ::testing::WithParamInterface<SeveralCase> {};

TEST_P(SeveralStartsTest, EveryPortHasItsStartBeforeAnyFailureIsTold) {
  const SeveralCase& c = GetParam();
  WriteDefaultIni();
  PutList(ListId::Ports, {"A", "B", "C"});
  Put("Memory", "Port", "1");
  for (const char* failure : c.failures) desktop.launchResults.push_back({failure});
  Open();
  if (c.exitOnTest) QTest::mouseClick(Box("chkCloseOnTest"), Qt::LeftButton);
  RunDialog([&](QDialog* dialog) {
    Toggle(dialog, {0, 1, 2});
    QTest::mouseClick(In<QPushButton>(dialog, "cmdTest"), Qt::LeftButton);
  });
  QStringList expectedCalls{"modal:frmTestPorts", "launch", "launch", "launch"};
  for (int i = 0; i < c.messages; ++i) expectedCalls << "message";
  EXPECT_EQ(desktop.calls, expectedCalls);
  ASSERT_EQ(desktop.launches.size(), 3u);
  EXPECT_EQ(desktop.launches[1].File, "B.path");
  EXPECT_EQ(desktop.launches[1].Title, "B");
  if (c.messages > 0) {
    EXPECT_EQ(desktop.messages[0].text, "Could not start B.path: it broke.");
  }
  EXPECT_EQ(window->isVisible(), c.stillOpen);
  EXPECT_EQ(Get("Memory", "TestPorts"), "1,2,3");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SeveralStartsTest,
    ::testing::Values(SeveralCase{"AllStart", {}, false, 0, true},
                      SeveralCase{"AllStartAndExit", {}, true, 0, false},
                      SeveralCase{
                          "OneFailsWindowStays", {"", "it broke", "it broke"}, true, 2, true}),
    [](const auto& info) { return std::string(info.param.name); });

struct RemovalCase {
  const char* name;
  int position;  // removed in the setup dialog
  const char* remembered;
  QStringList checked;
};

class TestPortsRemovalTest : public TestPortsTest,
                             public ::testing::WithParamInterface<RemovalCase> {};

TEST_P(TestPortsRemovalTest, ChecksFollowTheirPortsThroughARemoval) {
  const RemovalCase& c = GetParam();
  WriteDefaultIni();
  PutList(ListId::Ports, {"A", "B", "C", "D"});
  Put("Memory", "TestPorts", "2,4");
  Open();
  desktop.questionAnswers.push_back(MessageResult::Yes);
  RunSetup(ListId::Ports, {[&](QDialog* setup) {
             Pick(ListIn(setup), c.position);
             Click(setup, "cmdRemove");
           }});
  EXPECT_EQ(Get("Memory", "TestPorts"), c.remembered);
  // A port added after them changes no number.
  RunSetup(ListId::Ports, {[&](QDialog* setup) { Click(setup, "cmdAdd"); },
                           [&](QDialog* entry) {
                             QTest::keyClicks(NameIn(entry), "E");
                             QTest::keyClicks(FileIn(entry), "E.path");
                             Click(entry, "cmdOk");
                           }});
  EXPECT_EQ(Get("Memory", "TestPorts"), c.remembered);
  RunDialog([&](QDialog* dialog) { EXPECT_EQ(Checked(dialog), c.checked); });
}

INSTANTIATE_TEST_SUITE_P(Cases, TestPortsRemovalTest,
                         ::testing::Values(RemovalCase{"BeforeBoth", 0, "1,3", {"B", "D"}},
                                           RemovalCase{"ACheckedOne", 1, "3", {"D"}},
                                           RemovalCase{"Between", 2, "2,3", {"B", "D"}},
                                           RemovalCase{"TheLast", 3, "2", {"B"}}),
                         [](const auto& info) { return std::string(info.param.name); });

// Real ports: scripts that write their working folder and arguments.
class RealPortsTest : public TestPortsTest {
 protected:
  void SetUp() override {
    // Beside the test binary rather than in /tmp, which may be mounted noexec.
    ports_ = std::make_unique<QTemporaryDir>(QCoreApplication::applicationDirPath() +
                                             "/ports \"q\" $x-XXXXXX");
    ASSERT_TRUE(ports_->isValid());
    desktop.launcher = [this](QWidget* owner, const LaunchRequest& request) {
      return real_.Launch(owner, request);
    };
  }
  // Port n in a folder of its own, with a name that needs quoting; writes to out<n>.txt.
  QString MakePort(int n, const QString& folder) {
    QDir(ports_->path()).mkpath(folder);
    return WriteFakePort(ports_->filePath(folder), QStringLiteral("port $%1 `x`").arg(n),
                         OutFile(n));
  }
  QString OutFile(int n) const { return ports_->filePath(QStringLiteral("out%1.txt").arg(n)); }
  QString Folder(const QString& folder) const {
    return QFileInfo(ports_->filePath(folder)).canonicalFilePath();
  }
  // An IWAD, a PWAD and a patch whose paths hold blanks, quotes and shell characters,
  // warp, a switch and a free parameter.
  void PutOptions() {
    Put("IWADs", "NumIWADs", "1");
    Put("IWADs", "IWAD1Name", "Free");
    Put("IWADs", "IWAD1File", "free \"doom\" 2.wad");
    Put("Files", "NumFiles", "2");
    Put("Files", "File1Name", "a 'b' $c.wad");
    Put("Files", "File1Path", "/my \"maps\"/");
    Put("Files", "File2Name", "fix  it.deh");
    Put("Files", "File2Path", "/my `maps`/fix  it.deh");
    Put("Memory", "IWAD", "1");
    Put("Memory", "UseFiles", "1");
    Put("Memory", "Warp", "1");
    Put("Memory", "WarpTo", "7");
    Put("Memory", "NoMonsters", "1");
    Put("Memory", "Params", "-fast");
  }
  const QStringList kArguments{"-iwad", "free \"doom\" 2.wad",
                               "-file", "/my \"maps\"/a 'b' $c.wad",
                               "-deh",  "/my `maps`/fix  it.deh",
                               "-warp", "7",
                               "-fast", "-nomonsters"};

  std::unique_ptr<QTemporaryDir> ports_;
  QtDesktop real_;
};

TEST_F(RealPortsTest, ThreePortsReceiveTheArgumentsTestGivesEachInItsFolder) {
  WriteDefaultIni();
  const QStringList folders{"one", "two words", "th'ree"};
  Put("Ports", "NumPorts", "3");
  for (int n = 1; n <= 3; ++n) {
    Put("Ports", NameKey(KindOf(ListId::Ports), n), "Port " + std::to_string(n));
    Put("Ports", FileKey(KindOf(ListId::Ports), n), MakePort(n, folders[n - 1]).toStdString());
  }
  Put("Memory", "Port", "2");
  PutOptions();
  Open();
  // Test first, for the arguments it gives.
  QTest::mouseClick(Button("cmdTest"), Qt::LeftButton);
  const QStringList byTest = WaitForLines(OutFile(2));
  ASSERT_EQ(byTest, QStringList{Folder(folders[1])} + kArguments);
  QFile::remove(OutFile(2));

  RunDialog([&](QDialog* dialog) {
    Toggle(dialog, {0, 1, 2});
    QTest::mouseClick(In<QPushButton>(dialog, "cmdTest"), Qt::LeftButton);
  });
  for (int n = 1; n <= 3; ++n) {
    EXPECT_EQ(WaitForLines(OutFile(n)), QStringList{Folder(folders[n - 1])} + kArguments)
        << "port " << n;
  }
  EXPECT_TRUE(desktop.messages.empty());
  // Each watched: one log per start, under its port's name.
  QStringList logs = QDir(dir.FilePath("logs")).entryList({"*.log"}, QDir::Files);
  for (QString& log : logs) log = log.section(u' ', 1);
  logs.sort();
  EXPECT_EQ(logs, (QStringList{"Port 1.log", "Port 2.log", "Port 2.log", "Port 3.log"}));
}

// One choice of map, skill and level; each port gets it in its own family's words, and its
// own parameters on its own line only, last.
TEST_F(RealPortsTest, EachFamilyGetsTheChoicesInItsOwnDialect) {
  WriteDefaultIni();
  const QStringList names{"gzdoom", "chocolate-doom", "dsda-doom", "mydoom"};
  Put("Ports", "NumPorts", "4");
  for (int n = 1; n <= 4; ++n) {
    QDir(ports_->path()).mkpath(QString::number(n));
    Put("Ports", NameKey(KindOf(ListId::Ports), n), names[n - 1].toStdString());
    Put("Ports", FileKey(KindOf(ListId::Ports), n),
        WriteFakePort(ports_->filePath(QString::number(n)), names[n - 1], OutFile(n))
            .toStdString());
  }
  Put("Ports", "Port3Params", "-nodraw  \"two words\"");
  Put("Memory", "Port", "1");
  Put("Memory", "Warp", "1");
  Put("Memory", "WarpTo", "MAP07");
  Put("Memory", "Skill", "4");
  Put("Memory", "Complevel", "9");
  Open();
  RunDialog([&](QDialog* dialog) {
    Toggle(dialog, {0, 1, 2, 3});
    QTest::mouseClick(In<QPushButton>(dialog, "cmdTest"), Qt::LeftButton);
  });
  const QStringList expected[] = {
      {"+map", "MAP07", "-skill", "4"},
      {"-warp", "7", "-skill", "4"},
      {"-warp", "7", "-skill", "4", "-complevel", "9", "-nodraw", "two words"},
      {"-warp", "7", "-skill", "4"},
  };
  for (int n = 1; n <= 4; ++n) {
    EXPECT_EQ(WaitForLines(OutFile(n)).mid(1), expected[n - 1]) << names[n - 1].toStdString();
  }
}

TEST_F(RealPortsTest, CopiedCommandLineRunBySh) {
  WriteDefaultIni();
  Put("Ports", "NumPorts", "1");
  Put("Ports", "Port1Name", "Port");
  Put("Ports", "Port1Path", MakePort(1, "my \"port\" $HOME").toStdString());
  Put("Memory", "Port", "1");
  PutOptions();
  Open();
  QApplication::setActiveWindow(window.get());
  QTest::keyClick(window.get(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_EQ(desktop.copied.size(), 1);
  const QString line = desktop.copied[0];
  EXPECT_FALSE(line.contains(u'\n'));
  EXPECT_TRUE(line.startsWith("cd ")) << line.toStdString();

  // Pasted into a shell started elsewhere, it runs the port as Test does.
  QProcess sh;
  sh.setWorkingDirectory(QDir::rootPath());
  sh.start(QStringLiteral("sh"), {QStringLiteral("-c"), line});
  ASSERT_TRUE(sh.waitForFinished(10'000));
  const QStringList bySh = WaitForLines(OutFile(1));
  EXPECT_EQ(bySh, QStringList{Folder("my \"port\" $HOME")} + kArguments);
  QFile::remove(OutFile(1));
  QTest::mouseClick(Button("cmdTest"), Qt::LeftButton);
  EXPECT_EQ(WaitForLines(OutFile(1)), bySh);

  // Test's tip, made as it shows, names the same command.
  QPushButton* test = Button("cmdTest");
  QHelpEvent hover(QEvent::ToolTip, QPoint(2, 2), test->mapToGlobal(QPoint(2, 2)));
  QApplication::sendEvent(test, &hover);
  EXPECT_EQ(test->toolTip(), "Launch the game using the options above\n\n" + line);
}

TEST_F(RealPortsTest, PortThatCannotStartIsToldInsteadOfCopied) {
  WriteDefaultIni();
  PutList(ListId::Ports, {"Gone"});
  Put("Ports", "Port1Path", ports_->filePath("gone").toStdString());
  Put("Memory", "Port", "1");
  Open();
  window->findChild<QAction*>("ProgramCopyCommand")->trigger();
  EXPECT_TRUE(desktop.copied.isEmpty());
  ASSERT_EQ(desktop.messages.size(), 1u);
  const QString told = "Could not start " + ports_->filePath("gone") + ": the file does not exist.";
  EXPECT_EQ(desktop.messages[0].text, told);
  QPushButton* test = Button("cmdTest");
  QHelpEvent hover(QEvent::ToolTip, QPoint(2, 2), test->mapToGlobal(QPoint(2, 2)));
  QApplication::sendEvent(test, &hover);
  EXPECT_EQ(test->toolTip(), "Launch the game using the options above\n\n" + told);
}

}  // namespace
}  // namespace quillon::test
