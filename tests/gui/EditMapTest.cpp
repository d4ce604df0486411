// "Program > Edit Map": the warp map's PWAD opened in the program chosen under Quick Launch.
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>

#include "gui/MainWindowFixture.h"
#include "support/FakePort.h"
#include "support/ParamNames.h"
#include "support/WadWriter.h"
#include "ui/system/QtDesktop.h"

namespace quillon::test {
namespace {

using test::PrintTo;

// An IWAD with MAP01 and MAP07; "first.wad" with MAP05 and MAP07, "second map.wad" with
// MAP07 and a patch after them; the program entry is a fake editor writing its arguments.
class EditMapTest : public MainWindowTest {
 protected:
  void SetUp() override {
    // Beside the test binary rather than in /tmp, which may be mounted noexec.
    bin_ = std::make_unique<QTemporaryDir>(QCoreApplication::applicationDirPath() +
                                           "/edit map-XXXXXX");
    ASSERT_TRUE(bin_->isValid());
    desktop.launcher = [this](QWidget* owner, const LaunchRequest& request) {
      return real_.Launch(owner, request);
    };
    iwad = dir.FilePath("doom2.wad").toStdString();
    first = dir.FilePath("first.wad").toStdString();
    second = dir.FilePath("second map.wad").toStdString();
    WriteBytes(iwad, MakeWad("IWAD", Join({DoomMap("MAP01"), DoomMap("MAP07")})));
    WriteBytes(first, MakeWad("PWAD", Join({DoomMap("MAP05"), DoomMap("MAP07")})));
    WriteBytes(second, MakeWad("PWAD", DoomMap("MAP07")));
    dir.Write("fix.deh", "Patch File for DeHackEd v3.0\n");
    WriteDefaultIni();
    Put("IWADs", "NumIWADs", "1");
    Put("IWADs", "IWAD1Name", "Doom II");
    Put("IWADs", "IWAD1File", iwad);
    Put("Files", "NumFiles", "3");
    const char* names[] = {"first.wad", "second map.wad", "fix.deh"};
    for (int i = 0; i < 3; ++i) {
      Put("Files", "File" + std::to_string(i + 1) + "Name", names[i]);
      Put("Files", "File" + std::to_string(i + 1) + "Path", dir.FilePath(names[i]).toStdString());
    }
    Put("Memory", "IWAD", "1");
    Put("Memory", "UseFiles", "1");
    Put("Memory", "Warp", "1");
    Put("Memory", "WarpTo", "7");
  }
  QString Out() const { return bin_->filePath("args.txt"); }
  void PutEditor(const QString& name) {
    Put("Programs", "NumProgs", "1");
    Put("Programs", "Prog1Name", "Editor");
    Put("Programs", "Prog1Path", WriteFakePort(bin_->path(), name, Out()).toStdString());
    Put("Memory", "Prog", "1");
  }
  void PressCtrlE() {
    QApplication::setActiveWindow(window.get());
    QTest::keyClick(window.get(), Qt::Key_E, Qt::ControlModifier);
  }

  std::string iwad, first, second;
  std::unique_ptr<QTemporaryDir> bin_;
  QtDesktop real_;
};

struct EditStart {
  const char* name;
  const char* editor;
  bool withIwad;
  const char* warpTo;
  const char* params;
  // After the editor's folder: the arguments, "<iwad>", "<first>" and "<second>" standing for
  // the files' paths.
  QStringList arguments;
};

class EditStarts : public EditMapTest, public ::testing::WithParamInterface<EditStart> {};

TEST_P(EditStarts, OpenTheFileHoldingTheMap) {
  const EditStart& c = GetParam();
  PutEditor(c.editor);
  if (!c.withIwad) Put("Memory", "IWAD", "0");
  Put("Memory", "WarpTo", c.warpTo);
  Put("Memory", "ProgParams", c.params);
  Open();
  PressCtrlE();
  QStringList expected{QFileInfo(bin_->path()).canonicalFilePath()};
  for (const QString& argument : c.arguments) {
    expected << (argument == "<iwad>"     ? QString::fromStdString(iwad)
                 : argument == "<first>"  ? QString::fromStdString(first)
                 : argument == "<second>" ? QString::fromStdString(second)
                                          : argument);
  }
  EXPECT_EQ(WaitForLines(Out()), expected);
  EXPECT_TRUE(desktop.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, EditStarts,
    ::testing::Values(
        // The last enabled file holding the map wins, as in the ports.
        EditStart{"EurekaLastFileWins",
                  "eureka",
                  true,
                  "7",
                  "",
                  {"<second>", "-iwad", "<iwad>", "-warp", "MAP07"}},
        EditStart{"EurekaEarlierFile", "eureka", false, "map05", "", {"<first>", "-warp", "MAP05"}},
        EditStart{"EurekaParamsAsTyped",
                  "Eureka-1.27",
                  true,
                  "MAP07",
                  "-merge \"my res.wad\" -port boom",
                  {"<second>", "-iwad", "<iwad>", "-warp", "MAP07", "-merge", "my res.wad", "-port",
                   "boom"}},
        EditStart{"UnknownEditorGetsTheFile",
                  "my \"editor\"",
                  true,
                  "5",
                  " -a  \"b c\"",
                  {"<first>", "-a", "b c"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct NothingToEdit {
  const char* name;
  bool warp;
  const char* warpTo;
  bool useFiles;
  const char* told;
};

class NothingToEditTest : public EditMapTest,
                          public ::testing::WithParamInterface<NothingToEdit> {};

TEST_P(NothingToEditTest, SaysWhyAndStartsNothing) {
  const NothingToEdit& c = GetParam();
  PutEditor("eureka");
  Put("Memory", "Warp", c.warp ? "1" : "0");
  Put("Memory", "WarpTo", c.warpTo);
  Put("Memory", "UseFiles", c.useFiles ? "1" : "0");
  Open();
  PressCtrlE();
  EXPECT_TRUE(desktop.launches.empty());
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, c.told);
  EXPECT_EQ(desktop.messages[0].icon, MessageIcon::Exclamation);
}

INSTANTIATE_TEST_SUITE_P(
    Table, NothingToEditTest,
    ::testing::Values(
        NothingToEdit{"WarpOff", false, "7", true,
                      "Edit Map opens the map named beside \"Warp:\": check it and type the map "
                      "to edit."},
        NothingToEdit{"NoMapName", true, "start", true,
                      "\"start\" beside \"Warp:\" names no map to edit."},
        NothingToEdit{"FilesOff", true, "7", false,
                      "Custom files are off: check \"Enable\" to edit MAP07 from its PWAD."},
        NothingToEdit{"OnlyInTheIwad", true, "1", true,
                      "No enabled PWAD holds MAP01; only the IWAD does."},
        NothingToEdit{"Nowhere", true, "9", true, "No enabled PWAD holds MAP09."}),
    [](const auto& info) { return std::string(info.param.name); });

// Like Launch, the item waits for a program; chosen from the keyboard, it is the mouse's too.
TEST_F(EditMapTest, ItemIsOffWithoutAProgramAndRunsFromTheMenu) {
  PutEditor("eureka");
  Put("Memory", "Prog", "0");
  Open();
  QAction* item = Action("ProgramEditMap");
  EXPECT_FALSE(item->isEnabled());
  PressCtrlE();
  EXPECT_TRUE(desktop.calls.isEmpty());

  QTest::keyClick(List("cmbProgs"), Qt::Key_Home);
  ASSERT_TRUE(item->isEnabled());
  QMenuBar* bar = window->menuBar();
  auto* menu = Find<QMenu>("ProgramMenu");
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
  ASSERT_TRUE(menu->isVisible());
  QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
  EXPECT_EQ(WaitForLines(Out()).mid(1),
            (QStringList{QString::fromStdString(second), "-iwad", QString::fromStdString(iwad),
                         "-warp", "MAP07"}));
}

}  // namespace
}  // namespace quillon::test
