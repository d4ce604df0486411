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

struct EditCase {
  const char* name;
  const char* editor;
  std::vector<std::pair<const char*, const char*>> memory;
  QStringList arguments;  // after the editor's folder, each file by its name
  const char* told = "";  // the message instead of a start
};

// The IWAD holds MAP01 and MAP07, "first.wad" MAP05 and MAP07, "second map.wad" MAP07, and a
// patch follows; the program is a fake editor (beside the test binary: /tmp may be noexec).
class EditMapTest : public MainWindowTest, public ::testing::WithParamInterface<EditCase> {
 protected:
  void Write(const char* editor) {
    desktop.launcher = [this](QWidget* o, const LaunchRequest& r) { return real_.Launch(o, r); };
    WriteBytes(Path("doom2.wad"), MakeWad("IWAD", Join({DoomMap("MAP01"), DoomMap("MAP07")})));
    WriteBytes(Path("first.wad"), MakeWad("PWAD", Join({DoomMap("MAP05"), DoomMap("MAP07")})));
    WriteBytes(Path("second map.wad"), MakeWad("PWAD", DoomMap("MAP07")));
    WriteDefaultIni();
    PutList(ListId::IWADs, {"Doom II"});
    Put("IWADs", "IWAD1File", Path("doom2.wad"));
    const QStringList files{"first.wad", "second map.wad", "fix.deh"};
    PutList(ListId::Files, files);
    for (int i = 0; i < 3; ++i) Put("Files", FileKey(KindOf(ListId::Files), i + 1), Path(files[i]));
    PutList(ListId::Programs, {"Editor"});
    Put("Programs", "Prog1Path", WriteFakePort(bin_.path(), editor, Out()).toStdString());
    for (const char* key : {"IWAD", "UseFiles", "Warp", "Prog"}) Put("Memory", key, "1");
    Put("Memory", "WarpTo", "7");
  }
  std::string Path(const QString& name) const { return dir.FilePath(name).toStdString(); }
  QString Out() const { return bin_.filePath("out"); }
  QStringList Arguments() {
    QStringList lines = WaitForLines(Out()).mid(1);
    for (QString& line : lines) line.remove(dir.Path() + '/');
    return lines;
  }

  QTemporaryDir bin_{QCoreApplication::applicationDirPath() + "/edit map-XXXXXX"};
  QtDesktop real_;
};

TEST_P(EditMapTest, CtrlEOpensTheLastEnabledFileHoldingTheMapOrSaysWhyNot) {
  Write(GetParam().editor);
  for (const auto& [key, value] : GetParam().memory) Put("Memory", key, value);
  Open();
  QApplication::setActiveWindow(window.get());
  QTest::keyClick(window.get(), Qt::Key_E, Qt::ControlModifier);
  const QString told = QString::fromUtf8(GetParam().told);
  EXPECT_EQ(told.isEmpty() ? Arguments() : QStringList(), GetParam().arguments);
  EXPECT_EQ(desktop.launches.size(), told.isEmpty() ? 1u : 0u);
  QStringList texts;
  for (const FakeDesktop::Message& message : desktop.messages) texts << message.text;
  EXPECT_EQ(texts, told.isEmpty() ? QStringList() : QStringList{told});
}

const QStringList kSecondInEureka{"second map.wad", "-iwad", "doom2.wad", "-warp", "MAP07"};

INSTANTIATE_TEST_SUITE_P(
    Table, EditMapTest,
    ::testing::Values(
        EditCase{"Eureka", "eureka", {}, kSecondInEureka},
        EditCase{"EurekaNoIwad",
                 "eureka",
                 {{"IWAD", "0"}, {"WarpTo", "map05"}},
                 {"first.wad", "-warp", "MAP05"}},
        EditCase{"EurekaParams",
                 "Eureka-1.27",
                 {{"ProgParams", "-merge \"my res.wad\""}},
                 kSecondInEureka + QStringList{"-merge", "my res.wad"}},
        EditCase{"Unknown",
                 "my \"editor\"",
                 {{"WarpTo", "5"}, {"ProgParams", " -a  \"b c\""}},
                 {"first.wad", "-a", "b c"}},
        EditCase{"WarpOff",
                 "eureka",
                 {{"Warp", "0"}},
                 {},
                 "Edit Map opens the map named beside \"Warp:\": check it and type the map to "
                 "edit."},
        EditCase{"NoMapName",
                 "eureka",
                 {{"WarpTo", "start"}},
                 {},
                 "\"start\" beside \"Warp:\" names no map to edit."},
        EditCase{"FilesOff",
                 "eureka",
                 {{"UseFiles", "0"}},
                 {},
                 "Custom files are off: check \"Enable\" to edit MAP07 from its PWAD."},
        EditCase{"OnlyInTheIwad",
                 "eureka",
                 {{"WarpTo", "1"}},
                 {},
                 "No enabled PWAD holds MAP01; only the IWAD does."},
        EditCase{"Nowhere", "eureka", {{"WarpTo", "9"}}, {}, "No enabled PWAD holds MAP09."}),
    [](const auto& info) { return std::string(info.param.name); });

// Like Launch, the item waits for a program; once one is chosen the mouse runs it too.
TEST_F(EditMapTest, ItemIsOffWithoutAProgramAndRunsFromTheMenu) {
  Write("eureka");
  Put("Memory", "Prog", "0");
  Open();
  QAction* item = Action("ProgramEditMap");
  EXPECT_FALSE(item->isEnabled());
  QTest::keyClick(List("cmbProgs"), Qt::Key_Home);
  ASSERT_TRUE(item->isEnabled());
  auto* menu = Find<QMenu>("ProgramMenu");
  QMenuBar* bar = window->menuBar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
  QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
  EXPECT_EQ(Arguments(), kSecondInEureka);
}

}  // namespace
}  // namespace quillon::test
