#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "ui/desktop/WindowParts.h"
#include "ui/main/frmQLN2.h"

namespace quillon {

namespace {

// The menu bar's menus, left to right.
enum class MenuId { None, Program, Setup, Help };
struct Menu {
  MenuId id;
  const char* name;
  const char* title;
};
constexpr Menu kMenus[] = {
    {MenuId::Program, "ProgramMenu", "&Program"},
    {MenuId::Setup, "SetupMenu", "&Setup"},
    {MenuId::Help, "HelpMenu", "&Help"},
};

}  // namespace

// One row a command: its button (name, caption, tip), its menu item (menu, name, caption,
// shortcut, and the separator drawn before it) and its handler. Menu items appear in the
// order of the rows; a button takes its place in ArrangeControls.
void frmQLN2::CreateCommands() {
  using enum CommandId;
  struct Command {
    CommandId id;
    const char* button = nullptr;  // nullptr: no button
    const char* caption = nullptr;
    const char* tip = nullptr;
    MenuId menu = MenuId::None;
    const char* item = nullptr;
    const char* itemCaption = nullptr;
    int shortcut = 0;
    const char* separatorBefore = nullptr;
    void (frmQLN2::*handler)() = nullptr;
    bool checkable = false;  // an item that is on or off
  };
  // clang-format off
  static constexpr Command kCommands[] = {
      {Test, "cmdTest", "Test", "Launch the game using the options above",
       MenuId::Program, "ProgramTest", "&Test", Qt::Key_F2, nullptr, &frmQLN2::TestGame},
      {TestSeveralPorts, nullptr, nullptr, nullptr,
       MenuId::Program, "ProgramTestSeveral", "Test in Se&veral Ports...",
       QKeyCombination(Qt::ShiftModifier, Qt::Key_F2).toCombined(), nullptr,
       &frmQLN2::TestInSeveralPorts},
      {CopyCommandLine, nullptr, nullptr, nullptr,
       MenuId::Program, "ProgramCopyCommand", "&Copy Command Line",
       QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_C).toCombined(), nullptr,
       &frmQLN2::CopyCommandLine},
      {StartHere, nullptr, nullptr, nullptr,
       MenuId::Program, "ProgramStartHere", "Start &Here...", Qt::Key_F8, nullptr,
       &frmQLN2::StartHere},
      {EditMap, nullptr, nullptr, nullptr,
       MenuId::Program, "ProgramEditMap", "Edit &Map",
       QKeyCombination(Qt::ControlModifier, Qt::Key_E).toCombined(), nullptr, &frmQLN2::EditMap},
      {RestartOnSave, nullptr, nullptr, nullptr,
       MenuId::Program, "ProgramRestartOnSave", "&Restart Ports on Save",
       (Qt::CTRL | Qt::Key_R).toCombined(), nullptr, &frmQLN2::ToggleRestartOnSave, true},
      {SaveScheme, nullptr, nullptr, nullptr,
       MenuId::Program, "ProgramSave", "&Save Scheme...", Qt::Key_F3, "Separator1",
       &frmQLN2::SaveScheme},
      {LoadScheme, nullptr, nullptr, nullptr,
       MenuId::Program, "ProgramLoad", "&Load Scheme...", Qt::Key_F4, nullptr,
       &frmQLN2::LoadScheme},
      {Exit, "cmdExit", "Exit", "What? Leaving? You wouldn't...",
       MenuId::Program, "ProgramExit", "&Exit", 0, "Separator2", &frmQLN2::CloseWindow},
      {SetupPorts, "cmdPorts", "Setup", "Set up source ports.",
       MenuId::Setup, "SetupPorts", "&Ports", Qt::Key_F5, nullptr, &frmQLN2::SetupPorts},
      {SetupIWADs, "cmdIWADs", "Setup", "Set up IWADs.",
       MenuId::Setup, "SetupIWADs", "&IWADs", Qt::Key_F6, nullptr, &frmQLN2::SetupIWADs},
      {SetupPrograms, "cmdProgs", "Setup", "Set up programs.",
       MenuId::Setup, "SetupProgs", "Pro&grams", Qt::Key_F7, nullptr, &frmQLN2::SetupPrograms},
      {FindInstalled, nullptr, nullptr, nullptr,
       MenuId::Setup, "SetupFind", "&Find Installed Ports and IWADs...",
       (Qt::CTRL | Qt::Key_F5).toCombined(), nullptr, &frmQLN2::FindInstalled},
      {Help, "cmdHelp", "Help", "Launch the help file.",
       MenuId::Help, "HelpShow", "&Show help file", Qt::Key_F1, nullptr, &frmQLN2::ShowHelpFile},
      {About, "cmdAbout", "About", "More info about the program",
       MenuId::Help, "HelpAbout", "&About", 0, "Separator3", &frmQLN2::ShowAbout},
      {Launch, "cmdLaunch", "Launch", "Launch the program you selected.",
       MenuId::None, nullptr, nullptr, 0, nullptr, &frmQLN2::LaunchProgram},
      {AddPWAD, "cmdAddPWAD", "Add PWAD", "Add a PWAD file to the file list.",
       MenuId::None, nullptr, nullptr, 0, nullptr, &frmQLN2::AddPWAD},
      {AddPatch, "cmdAddDEH", "Add DEH", "Add a Dehacked Patch to the file list.",
       MenuId::None, nullptr, nullptr, 0, nullptr, &frmQLN2::AddPatch},
      {RemoveFile, "cmdRemoveFile", "Remove", "Remove the selected file from the list.",
       MenuId::None, nullptr, nullptr, 0, nullptr, &frmQLN2::RemoveCustomFile},
  };
  // clang-format on
  static_assert(std::size(kCommands) == kCommandCount);
  constexpr auto rowsMatchTheirIds = [] {
    for (std::size_t i = 0; i < std::size(kCommands); ++i) {
      if (static_cast<std::size_t>(kCommands[i].id) != i) return false;
    }
    return true;
  };
  static_assert(rowsMatchTheirIds(), "a row's place in the table is its id");

  QMenu* menus[std::size(kMenus) + 1] = {};
  for (const Menu& menu : kMenus) {
    QMenu* made = menuBar()->addMenu(QString::fromLatin1(menu.title));
    made->setObjectName(QString::fromLatin1(menu.name));
    menus[static_cast<std::size_t>(menu.id)] = made;
  }

  for (const Command& command : kCommands) {
    const auto index = static_cast<std::size_t>(command.id);
    if (command.button) {
      auto* button = MakeControl<QPushButton>(centralWidget(), command.button,
                                              QString::fromLatin1(command.caption),
                                              QString::fromLatin1(command.tip));
      connect(button, &QPushButton::clicked, this, command.handler);
      buttons_[index] = button;
    }
    if (command.item) {
      QMenu* menu = menus[static_cast<std::size_t>(command.menu)];
      if (command.separatorBefore) {
        menu->addSeparator()->setObjectName(QString::fromLatin1(command.separatorBefore));
      }
      QAction* item = menu->addAction(QString::fromLatin1(command.itemCaption));
      item->setObjectName(QString::fromLatin1(command.item));
      if (command.shortcut) item->setShortcut(QKeySequence(command.shortcut));
      item->setCheckable(command.checkable);
      connect(item, &QAction::triggered, this, command.handler);
      menuItems_[index] = item;
    }
  }
}

void frmQLN2::SetCommandEnabled(CommandId id, bool enabled) {
  const auto index = static_cast<std::size_t>(id);
  if (buttons_[index]) buttons_[index]->setEnabled(enabled);
  if (menuItems_[index]) menuItems_[index]->setEnabled(enabled);
}

}  // namespace quillon
