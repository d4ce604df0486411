#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>

#include "gui/MainWindowFixture.h"

namespace quillon::test {
namespace {

QString Caption(const QWidget* widget) {
  if (auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
  if (auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
  if (auto* frame = qobject_cast<const QGroupBox*>(widget)) return frame->title();
  if (auto* field = qobject_cast<const QLineEdit*>(widget)) return field->text();
  return {};
}

TEST_F(MainWindowTest, EveryControlHasItsNameCaptionAndTooltip) {
  Open();
  const struct {
    const char* name;
    const char* caption;
    const char* tip;
  } controls[] = {
      {"imgWisp", "", "Don't stare. It only encourages him."},
      {"lblTitle", "Quillon", "What, did you forget the program name?"},
      {"lblByWisp", nullptr, "Oh yes."},
      {"cmdAbout", "About", "More info about the program"},
      {"lblPorts", "Source Port:", ""},
      {"cmbPorts", "", "List of source ports. Click setup to edit."},
      {"cmdPorts", "Setup", "Set up source ports."},
      {"lblIWAD", "IWAD:", ""},
      {"cmbIWADs", "", "List of IWADs. Click setup to edit."},
      {"cmdIWADs", "Setup", "Set up IWADs."},
      {"fraMisc", "Misc. Options", ""},
      {"chkWarp", "Warp:", ""},
      {"txtWarp", "1", ""},
      {"chkNoMonsters", "No Monsters", ""},
      {"chkGLmode", "OpenGL Mode", ""},
      {"chkNoMusic", "No Music", ""},
      {"chkNoCD", "No CD Music", ""},
      {"chkNoSound", "No Sound", ""},
      {"lblParams", "Additional Params:", ""},
      {"chkCloseOnTest", "Exit when testing", ""},
      {"txtParams", "", "Type any additional parameters here."},
      {"fraFiles", "Custom Files", ""},
      {"chkEnableFiles", "Enable", ""},
      {"cmdAddPWAD", "Add PWAD", "Add a PWAD file to the file list."},
      {"cmdAddDEH", "Add DEH", "Add a Dehacked Patch to the file list."},
      {"cmdRemoveFile", "Remove", "Remove the selected file from the list."},
      {"lstFiles", "",
       "Drop .wad, .deh and .bex files here to add them. Alt+Up and Alt+Down move the "
       "selected file earlier or later in the load order."},
      {"lstFileDirs", "", ""},
      {"lblWatch", "", ""},
      {"fraLauncher", "Quick Launch", ""},
      {"cmbProgs", "", "List of programs. Click setup to edit."},
      {"cmdProgs", "Setup", "Set up programs."},
      {"lblProgParams", "Program Parameters:", ""},
      {"txtProgParams", "", "Type any parameters to send to your program here."},
      {"cmdLaunch", "Launch", "Launch the program you selected."},
      {"cmdTest", "Test", "Launch the game using the options above"},
      {"cmdHelp", "Help", "Launch the help file."},
      {"cmdExit", "Exit", "What? Leaving? You wouldn't..."},
  };
  for (const auto& c : controls) {
    QWidget* widget = Find<QWidget>(c.name);
    ASSERT_NE(widget, nullptr) << c.name;
    if (c.caption) {
      EXPECT_EQ(Caption(widget), c.caption) << c.name;
    }
    EXPECT_EQ(widget->toolTip(), c.tip) << c.name;
  }
  EXPECT_NE(Find<QWidget>("Line1"), nullptr);
  EXPECT_EQ(window->windowTitle(), "Quillon");
  EXPECT_TRUE(Button("cmdTest")->isDefault());
  EXPECT_EQ(window->minimumSize(), window->maximumSize());  // not resizable
}

TEST_F(MainWindowTest, MenusHoldTheirItemsAccessKeysAndShortcuts) {
  Open();
  const struct {
    const char* menu;
    const char* title;
    std::vector<std::tuple<const char*, const char*, QKeySequence>> items;
  } menus[] = {
      {"ProgramMenu",
       "&Program",
       {{"ProgramTest", "&Test", QKeySequence(Qt::Key_F2)},
        {"ProgramTestSeveral", "Test in Se&veral Ports...", QKeySequence(Qt::SHIFT | Qt::Key_F2)},
        {"ProgramCopyCommand", "&Copy Command Line",
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)},
        {"ProgramStartHere", "Start &Here...", QKeySequence(Qt::Key_F8)},
        {"ProgramEditMap", "Edit &Map", QKeySequence(Qt::CTRL | Qt::Key_E)},
        {"ProgramRestartOnSave", "&Restart Ports on Save", QKeySequence(Qt::CTRL | Qt::Key_R)},
        {"Separator1", "", {}},
        {"ProgramSave", "&Save Scheme...", QKeySequence(Qt::Key_F3)},
        {"ProgramLoad", "&Load Scheme...", QKeySequence(Qt::Key_F4)},
        {"Separator2", "", {}},
        {"ProgramExit", "&Exit", {}}}},
      {"SetupMenu",
       "&Setup",
       {{"SetupPorts", "&Ports", QKeySequence(Qt::Key_F5)},
        {"SetupIWADs", "&IWADs", QKeySequence(Qt::Key_F6)},
        {"SetupProgs", "Pro&grams", QKeySequence(Qt::Key_F7)},
        {"SetupFind", "&Find Installed Ports and IWADs...", QKeySequence(Qt::CTRL | Qt::Key_F5)}}},
      {"HelpMenu",
       "&Help",
       {{"HelpShow", "&Show help file", QKeySequence(Qt::Key_F1)},
        {"Separator3", "", {}},
        {"HelpAbout", "&About", {}}}},
  };
  for (const auto& m : menus) {
    auto* menu = Find<QMenu>(m.menu);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), m.title);
    const auto actions = menu->actions();
    ASSERT_EQ(actions.size(), static_cast<qsizetype>(m.items.size())) << m.menu;
    for (std::size_t i = 0; i < m.items.size(); ++i) {
      const auto& [name, caption, shortcut] = m.items[i];
      EXPECT_EQ(actions[i]->objectName(), name);
      EXPECT_EQ(actions[i]->isSeparator(), QString(caption).isEmpty()) << name;
      if (!actions[i]->isSeparator()) {
        EXPECT_EQ(actions[i]->text(), caption);
      }
      EXPECT_EQ(actions[i]->shortcut(), shortcut) << name;
    }
  }
}

TEST_F(MainWindowTest, TabWalksTheControlsInTheirOrder) {
  WriteDefaultIni();
  PutList(ListId::Ports, {"A"});
  PutList(ListId::Programs, {"P"});
  Put("Memory", "Port", "1");
  Put("Memory", "Prog", "1");
  Put("Memory", "UseFiles", "1");
  Put("Memory", "Warp", "1");
  Open();
  QApplication::setActiveWindow(window.get());
  const char* order[] = {"cmdTest",        "cmdHelp",        "cmdExit",     "cmdAbout",
                         "cmbPorts",       "cmdPorts",       "cmbIWADs",    "cmdIWADs",
                         "chkEnableFiles", "cmdAddPWAD",     "cmdAddDEH",   "cmdRemoveFile",
                         "lstFiles",       "chkWarp",        "txtWarp",     "chkGLmode",
                         "chkNoCD",        "chkNoMonsters",  "chkNoMusic",  "chkNoSound",
                         "chkSaveFolders", "chkCloseOnTest", "chkWindowed", "cmbSkill",
                         "cmbComplevel",   "txtParams",      "cmbProgs",    "cmdProgs",
                         "txtProgParams",  "cmdLaunch",      "cmdTest"};
  Find<QWidget>(order[0])->setFocus();
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
    ASSERT_EQ(QApplication::focusWidget()->objectName(), order[i]);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  EXPECT_EQ(QApplication::focusWidget()->objectName(), "cmdTest");
}

TEST_F(MainWindowTest, EnterInAFieldPressesTest) {
  WriteDefaultIni();
  PutList(ListId::Ports, {"A"});
  Put("Memory", "Port", "1");
  Open();
  QSignalSpy clicks(Button("cmdTest"), &QPushButton::clicked);
  Text("txtParams")->setFocus();
  QTest::keyClick(Text("txtParams"), Qt::Key_Return);
  EXPECT_EQ(clicks.count(), 1);

  // Not while no port is chosen.
  List("cmbPorts")->setCurrentIndex(1);
  QTest::keyClick(Text("txtParams"), Qt::Key_Return);
  EXPECT_EQ(clicks.count(), 1);
}

}  // namespace
}  // namespace quillon::test
