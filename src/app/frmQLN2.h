#pragma once

#include <QMainWindow>
#include <QString>
#include <optional>
#include <string_view>
#include <vector>

#include "settings/ConfigLayout.h"
#include "settings/ReadWrite.h"
#include "schemes/SchemeCommands.h"
#include "setup/MainWindowLists.h"
#include "shell/AppTexts.h"
#include "shell/CommonDialog.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;

namespace quillon {

class Desktop;

// The launcher window. Its opening is the program's start-up (the lists and the options
// remembered in QLN2.ini come back) and its closing writes them back. Every other window
// is opened from here, modally.
class frmQLN2 : public QMainWindow, public MainWindowLists {
  Q_OBJECT

 public:
  // programDir is the folder that holds QLN2.ini; helpFile is QLN2.txt, by default the one in
  // programDir; logDir receives the logs of started ports, by default "logs" in programDir.
  // Which folders they are is ProgramLocations' choice.
  frmQLN2(Desktop& desktop, QString programDir, QString helpFile = {}, QString logDir = {},
          QWidget* parent = nullptr);
  ~frmQLN2() override;

  // Fills "Port", "IWAD", "Prog", "File" or "All" of the lists from the configuration
  // file; any other word fills nothing. Reports its own failure.
  void RefreshLists(const QString& what);

  // The setup dialogs keep the drop-down lists in step with the file (ListEdits.cpp).
  void InsertEntry(ListId id, int position, const QString& name) override;
  void RenameEntry(ListId id, int position, const QString& name) override;
  void RemoveEntry(ListId id, int position) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // Construction (frmQLN2.cpp).
  void CreateControls();
  void CreateMenus();
  void ArrangeControls();
  void SetTabOrder();
  void ConnectHandlers();

  // Start-up and shutdown (StartupShutdown.cpp).
  void Form_Load();
  void Form_Unload();
  bool RestoreMemory();
  bool RestoreSelection(QComboBox* list, std::string_view key);
  std::optional<bool> ReadFlag(std::string_view key);
  void GiveEachListItsPlaceholder();
  void CentreOnScreen();
  void ShowIniError();

  // List refresh and the selection reactions (ListRefresh.cpp).
  bool FillDropDown(QComboBox* list, ListId id, const QString& placeholder);
  // Nothing selected counts as the placeholder, the last item: no entry is chosen either way.
  static bool PlaceholderOrNone(const QComboBox* list);
  bool FillCustomFiles();
  void cmbPorts_Click();
  void cmbProgs_Click();

  // Option boxes, warp and the custom file lock (Options.cpp).
  void ConnectOptionBoxes();
  void chkWarp_Click();
  void ApplyWarpField();
  void SetCustomFilesEnabled();
  // A remembered state coming back: the box set, and its field enabled and coloured even
  // when the box keeps its state.
  void SetWarp(bool on);
  void SetUseFiles(bool on);

  // Starting the port, a program or the help file (Launching.cpp).
  void cmdTest_Click();
  void LaunchProgram();
  void ShowHelpFile();

  // The setup dialogs and the About box (ListEdits.cpp).
  void cmdAbout_Click();
  void cmdPorts_Click() { OpenSetup(ListId::Ports); }
  void cmdIWADs_Click() { OpenSetup(ListId::IWADs); }
  void cmdProgs_Click() { OpenSetup(ListId::Programs); }
  void OpenSetup(ListId id);
  QComboBox* DropDownOf(ListId id) const;

  // The custom file list (CustomFiles.cpp).
  enum class FileKind { PWAD, Patch };
  void AddCustomFile(FileKind kind);
  void RemoveCustomFile();

  // Schemes (CustomFiles.cpp hands the controls to the scheme commands).
  void ProgramSave_Click();
  void ProgramLoad_Click();
  SchemeControls OptionControls();

  Desktop& desktop_;
  QString programDir_;
  QString helpFile_;
  QString logDir_;
  bool unloaded_ = false;

  ReadWrite IniFile;
  ReadWrite SchemeFile;
  std::vector<std::string> DefaultIniLines_;
  CommonDialog cdlOpen;

  // Controls, named as the user and the tests know them.
  QWidget* Line1 = nullptr;
  QLabel* imgWisp = nullptr;
  QLabel* lblTitle = nullptr;
  QLabel* lblByWisp = nullptr;
  QPushButton* cmdAbout = nullptr;
  QLabel* lblPorts = nullptr;
  QComboBox* cmbPorts = nullptr;
  QPushButton* cmdPorts = nullptr;
  QLabel* lblIWAD = nullptr;
  QComboBox* cmbIWADs = nullptr;
  QPushButton* cmdIWADs = nullptr;
  QGroupBox* fraMisc = nullptr;
  QCheckBox* chkWarp = nullptr;
  QLineEdit* txtWarp = nullptr;
  QCheckBox* chkNoMonsters = nullptr;
  QCheckBox* chkGLmode = nullptr;
  QCheckBox* chkNoMusic = nullptr;
  QCheckBox* chkNoCD = nullptr;
  QCheckBox* chkNoSound = nullptr;
  QLabel* lblParams = nullptr;
  QCheckBox* chkCloseOnTest = nullptr;
  QLineEdit* txtParams = nullptr;
  QGroupBox* fraFiles = nullptr;
  QCheckBox* chkEnableFiles = nullptr;
  QPushButton* cmdAddPWAD = nullptr;
  QPushButton* cmdAddDEH = nullptr;
  QPushButton* cmdRemoveFile = nullptr;
  QListWidget* lstFiles = nullptr;
  QListWidget* lstFileDirs = nullptr;
  QGroupBox* fraLauncher = nullptr;
  QComboBox* cmbProgs = nullptr;
  QPushButton* cmdProgs = nullptr;
  QLabel* lblProgParams = nullptr;
  QLineEdit* txtProgParams = nullptr;
  QPushButton* cmdLaunch = nullptr;
  QPushButton* cmdTest = nullptr;
  QPushButton* cmdHelp = nullptr;
  QPushButton* cmdExit = nullptr;

  QMenu* ProgramMenu = nullptr;
  QAction* ProgramTest = nullptr;
  QAction* ProgramSave = nullptr;
  QAction* ProgramLoad = nullptr;
  QAction* ProgramExit = nullptr;
  QMenu* SetupMenu = nullptr;
  QAction* SetupPorts = nullptr;
  QAction* SetupIWADs = nullptr;
  QAction* SetupProgs = nullptr;
  QMenu* HelpMenu = nullptr;
  QAction* HelpShow = nullptr;
  QAction* HelpAbout = nullptr;
};

}  // namespace quillon
