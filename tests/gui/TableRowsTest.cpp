// One row a launch option and one row a command: what the user does with its control, and
// where that must show. A row with a wrong key, switch, order or handler in the tables fails.

#include <QDialog>

#include "gui/MainWindowFixture.h"
#include "support/ParamNames.h"

namespace quillon::test {
namespace {

using test::PrintTo;

using enum LaunchOptionId;

struct OptionCase {
  const char* name;
  LaunchOptionId id;
  const char* typed;        // typed into the text box; nullptr: the box is clicked
  const char* remembered;   // [Memory] after the close
  const char* scheme;       // in a saved scheme; nullptr: schemes leave it out
  const char* commandLine;  // the test launch's parameters
};

class OptionRows : public MainWindowTest, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(OptionRows, ReachMemorySchemeAndCommandLine) {
  const OptionCase& c = GetParam();
  WriteDefaultIni();
  PutList(ListId::Ports, {"Doom"});
  Put("Memory", "Port", "1");
  Put("Memory", "Warp", "1");
  Open();
  QApplication::setActiveWindow(window.get());

  const QString name = QString::fromLatin1(
      OptionOf(c.id).controlName.data(), static_cast<qsizetype>(OptionOf(c.id).controlName.size()));
  if (c.typed) {
    QLineEdit* field = Text(name.toLatin1().constData());
    field->selectAll();
    QTest::keyClicks(field, QString::fromLatin1(c.typed));
  } else {
    QCheckBox* box = Box(name.toLatin1().constData());
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
  }

  const QString scheme = dir.FilePath(QStringLiteral("row.qls"));
  desktop.fileChoices.push_back(scheme);
  QTest::keyClick(window.get(), Qt::Key_F3);
  ReadWrite saved;
  saved.SetFileName(scheme.toStdString());
  const std::string key(OptionOf(c.id).key);
  if (c.scheme) {
    EXPECT_EQ(saved.Load("row.qls - Scheme for Quillon V2.0", key), c.scheme);
  } else {
    EXPECT_FALSE(dir.Read(QStringLiteral("row.qls")).contains(key + "="));
  }

  QTest::mouseClick(Button("cmdTest"), Qt::LeftButton);
  ASSERT_EQ(desktop.launches.size(), 1u);
  EXPECT_EQ(desktop.launches[0].Parameters, c.commandLine);

  Close();
  EXPECT_EQ(Get("Memory", key), c.remembered);
}

INSTANTIATE_TEST_SUITE_P(
    Table, OptionRows,
    ::testing::Values(OptionCase{"UseFiles", UseFiles, nullptr, "1", "1", " -warp 1 "},
                      OptionCase{"ExitOnTest", ExitOnTest, nullptr, "0", "1", " -warp 1 "},
                      OptionCase{"Warp", Warp, nullptr, "0", "0", " "},
                      OptionCase{"WarpTo", WarpTo, "1 3", "1 3", "1 3", " -warp 1 3 "},
                      OptionCase{"NoMonsters", NoMonsters, nullptr, "1", "1",
                                 " -warp 1  -nomonsters"},
                      OptionCase{"NoMusic", NoMusic, nullptr, "1", "1", " -warp 1  -nomusic"},
                      OptionCase{"NoSound", NoSound, nullptr, "1", "1", " -warp 1  -nosound"},
                      OptionCase{"NoCD", NoCD, nullptr, "1", "1", " -warp 1  -nocd"},
                      OptionCase{"OpenGL", OpenGL, nullptr, "1", "1", " -warp 1  -opengl"},
                      OptionCase{"Params", Params, "-fast", "-fast", "-fast", " -warp 1 -fast"},
                      OptionCase{"ProgParams", ProgParams, "-x", "-x", nullptr, " -warp 1 "}),
    [](const ::testing::TestParamInfo<OptionCase>& info) { return info.param.name; });

struct CommandCase {
  const char* button;
  const char* item;
  const char* call;  // what the desktop is asked first
};
void PrintTo(const CommandCase& c, std::ostream* os) {
  *os << (c.button ? c.button : c.item);
}

class CommandRows : public MainWindowTest, public ::testing::WithParamInterface<CommandCase> {
 protected:
  // What one run of the command asked of the desktop, then forgets it.
  QStringList Run(const std::function<void()>& act) {
    desktop.modalScripts.push_back([](QDialog* dialog) { dialog->reject(); });
    desktop.fileChoices.push_back(std::nullopt);
    act();
    QStringList trace = desktop.calls;
    for (const auto& launch : desktop.launches) trace << QString::fromStdString(launch.File);
    for (const auto& request : desktop.fileDialogs) trace << request.title;
    trace << desktop.documents;
    if (!window->isVisible()) trace << "closed";
    desktop.calls.clear();
    desktop.launches.clear();
    desktop.fileDialogs.clear();
    desktop.documents.clear();
    desktop.modalScripts.clear();
    desktop.fileChoices.clear();
    return trace;
  }
};

TEST_P(CommandRows, ButtonAndMenuItemRunTheSameCommand) {
  const CommandCase& c = GetParam();
  WriteDefaultIni();
  PutList(ListId::Ports, {"Doom"});
  PutList(ListId::Programs, {"Editor"});
  Put("Memory", "Port", "1");
  Put("Memory", "Prog", "1");
  Put("Memory", "UseFiles", "1");
  dir.Write("QLN2.txt", "Help\r\n");
  Open();
  QStringList byButton;
  if (c.button) {
    byButton = Run([&] { QTest::mouseClick(Button(c.button), Qt::LeftButton); });
    ASSERT_FALSE(byButton.isEmpty());
    EXPECT_EQ(byButton[0], c.call);
    if (byButton.contains("closed")) Open();
  }
  if (c.item) {
    const QStringList byItem = Run([&] { Action(c.item)->trigger(); });
    ASSERT_FALSE(byItem.isEmpty());
    EXPECT_EQ(byItem[0], c.call);
    if (c.button) {
      EXPECT_EQ(byItem, byButton);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandRows,
    ::testing::Values(CommandCase{"cmdTest", "ProgramTest", "launch"},
                      CommandCase{nullptr, "ProgramTestSeveral", "modal:frmTestPorts"},
                      // The entry's file does not exist: the copy says why instead.
                      CommandCase{nullptr, "ProgramCopyCommand", "message"},
                      CommandCase{nullptr, "ProgramEditMap", "message"},
                      CommandCase{nullptr, "ProgramSave", "file"},
                      CommandCase{nullptr, "ProgramLoad", "file"},
                      CommandCase{"cmdExit", "ProgramExit", "closed"},
                      CommandCase{"cmdPorts", "SetupPorts", "modal:frmPortSetup"},
                      CommandCase{"cmdIWADs", "SetupIWADs", "modal:frmIWADSetup"},
                      CommandCase{"cmdProgs", "SetupProgs", "modal:frmProgSetup"},
                      CommandCase{nullptr, "SetupFind", "modal:frmFindInstalled"},
                      CommandCase{"cmdHelp", "HelpShow", "open"},
                      CommandCase{"cmdAbout", "HelpAbout", "modal:frmAbout"},
                      CommandCase{"cmdLaunch", nullptr, "launch"},
                      CommandCase{"cmdAddPWAD", nullptr, "file"},
                      CommandCase{"cmdAddDEH", nullptr, "file"},
                      CommandCase{"cmdRemoveFile", nullptr, "message"}),
    [](const ::testing::TestParamInfo<CommandCase>& info) {
      return std::string(info.param.button ? info.param.button : info.param.item);
    });

}  // namespace
}  // namespace quillon::test
