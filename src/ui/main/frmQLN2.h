#pragma once

#include <QMainWindow>
#include <QSize>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/launch/LaunchRequest.h"
#include "core/launch/MapEditors.h"
#include "core/launch/TestLaunch.h"
#include "core/settings/ConfigLayout.h"
#include "core/settings/IniCache.h"
#include "core/settings/LaunchOptions.h"
#include "core/settings/ReadWrite.h"
#include "ui/desktop/CommonDialog.h"
#include "ui/launch/PortRestarter.h"
#include "ui/launch/PortTester.h"
#include "ui/main/Commands.h"
#include "ui/main/WadAnalyses.h"
#include "ui/main/WadFacts.h"
#include "ui/setup/MainWindowLists.h"
#include "ui/starthere/StartHereHost.h"

class QAction;
class QCompleter;
class QDropEvent;
class QCheckBox;
class QComboBox;
class QFileSystemWatcher;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;

namespace quillon {

class CopyFolder;
class Desktop;
class EntryTexts;

// The launcher window. Its opening is the program's start-up (the lists and the options
// remembered in QLN2.ini come back) and its closing writes them back. Every other window
// is opened from here, modally.
class frmQLN2 : public QMainWindow,
                public MainWindowLists,
                public PortTester,
                public StartHereHost {
  Q_OBJECT

 public:
  // programDir is the folder that holds QLN2.ini; helpFile is QLN2.txt, by default the one in
  // programDir; logDir receives the logs of started ports, by default "logs" in programDir.
  // Which folders they are is ProgramLocations' choice.
  frmQLN2(Desktop& desktop, QString programDir, QString helpFile = {}, QString logDir = {},
          QWidget* parent = nullptr);
  ~frmQLN2() override;

  // Where the ports' saves go while "Keep saves apart" is on; by default "saves" in
  // programDir.
  void SetSaveFolderRoot(QString root) { saveRoot_ = std::move(root); }
  // The IWAD folders the ports search, instead of those the environment names.
  void SetIwadPlaces(IwadPlaces places);
  // Quillon's own folder for temporary copies (see TempFolderRoot); by default "temp" in
  // programDir. What an earlier Quillon left there is removed now.
  void SetTempFolder(const QString& root);
  // How long a node builder may run before it is ended (NodeBuilds::kTimeoutMs).
  void SetNodeBuildTimeout(int ms);

  // Fills "Port", "IWAD", "Prog", "File" or "All" of the lists from the configuration
  // file; any other word fills nothing. Reports its own failure.
  void RefreshLists(const QString& what);
  // The columns RefreshLists("All") reads, in its order, to be read ahead (IniCache).
  static std::vector<IniCache::NumberedKeys> ColumnsFilledFirst();

  // The setup dialogs keep the drop-down lists in step with the file (MainWindowLists.cpp).
  void InsertEntry(ListId id, int position, const QString& name) override;
  void RenameEntry(ListId id, int position, const QString& name) override;
  void RemoveEntry(ListId id, int position) override;

  // "Test in Several Ports" starts its ports through the window (Launching.cpp).
  QStringList PortNames() const override;
  bool TestPorts(const std::vector<int>& entries) override;
  ShownVerdict VerdictOf(int entry) override;
  void WatchVerdicts(std::function<void()> changed) override {
    verdictsChanged_ = std::move(changed);
  }

  // How the files are read and judged per port, instead of the core's own; what was read
  // before is dropped.
  void SetJudging(Judging judging);

  // "Start Here" starts from a copy of a map's file (StartHere.cpp).
  std::vector<StartMap> StartMaps() const override;
  std::string WarpedMap(bool episodes) const override;
  void TestWith(StartSwap start, bool several) override;
  StartCopies& Copies() override;
  std::map<std::string, wad::StartSpot>& Markers() override { return startMarkers_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // Construction and layout (frmQLN2.cpp).
  void CreateControls();
  void ArrangeControls();

  // The commands: buttons, menu items, shortcuts and handlers (Commands.cpp).
  void CreateCommands();
  void SetCommandEnabled(CommandId id, bool enabled);
  QPushButton* ButtonOf(CommandId id) const { return buttons_[static_cast<std::size_t>(id)]; }

  // Start-up and shutdown (StartupShutdown.cpp).
  void FormLoad();
  void FormUnload();
  bool RestoreMemory();
  void GiveEachListItsPlaceholder();
  void ShowIniError();

  // List refresh and the selection reactions (ListRefresh.cpp).
  bool FillDropDown(ListId id);
  // Refills the lists when another program (or another Quillon) changed the file since they
  // were filled, keeping each selection on its entry. False when the file cannot be read
  // now: the lists stay as they were and nothing may be started from them.
  bool FollowFile();
  void AdoptStoredText();
  // What each drop-down list has selected, as the file held it while the list matched it.
  void RememberChoices();
  int FindAgain(ListId id, const EntryTexts& items) const;
  // From now on, input to the window first brings its lists in step with the file.
  void FollowFileOnInput();
  // Nothing selected counts as the placeholder, the last item: no entry is chosen either way.
  static bool PlaceholderOrNone(const QComboBox* list);
  bool FillCustomFiles();
  void PortChosen();
  void ProgramChosen();

  // The launch options' controls, read and set through the options table; warp and the
  // custom file lock (LaunchOptionControls.cpp).
  enum class ListValue { Shown, Remembered, EntryFile };
  void CreateOptionControls(QWidget* parent);
  void ConnectOptionControls();
  QWidget* ControlOf(LaunchOptionId id) const { return options_[static_cast<std::size_t>(id)]; }
  // Every option's value; a list's as `form` says (EntryFile: no value for no entry).
  LaunchOptionValues ReadOptions(ListValue form) const;
  LaunchOptionValues StartOptions() const;
  std::optional<LaunchOptionValues> OptionsToStart(QComboBox* list);
  // Sets an option's control from a stored value; false when the value cannot be used.
  bool ApplyOption(const LaunchOption& option, const std::string& value, ListValue form);
  bool SelectRemembered(QComboBox* list, const std::string& value);
  void SelectShown(QComboBox* list, const QString& shown, std::string_view entryWord);
  // The state's other effects, run also when a restored state is the one the box had.
  void FollowState(LaunchOptionId id);
  std::vector<CustomFile> ListedCustomFiles() const;
  void WarpToggled();
  void ApplyWarpField();
  void SetCustomFilesEnabled();

  // Starting the port, a program or the help file (Launching.cpp).
  void TestGame();
  // What the start of port entry `entry` knows beyond the options: its family's dialect, its
  // own parameters, its folder for saves, the maps and graphics of the loaded files.
  TestContext TestContextFor(const LaunchOptionValues& options, int entry) const;
  // What Test would hand the desktop now, for port entry `entry`, whose file is in `options`.
  LaunchRequest TestRequest(const LaunchOptionValues& options, int entry,
                            const TestContext& context) const;
  // Starts port entry `entry` as Test does: its folder for saves made first. The failure,
  // if any; the request tried in `request`.
  // Looks at what the start of port entries `entries` would hand over; when anything is
  // wrong, asks whether to start anyway. True: go on.
  bool ConfirmStart(const LaunchOptionValues& options, const std::vector<int>& entries);
  // `window`: the size of its window, when windows are asked for and several start.
  LaunchResult StartTest(const LaunchOptionValues& options, int entry, LaunchRequest& request,
                         QSize window = {});
  void TellStartFailure(const LaunchRequest& request, const std::string& reason);
  void TestInSeveralPorts();
  // The exact command Test would run, as one line for a POSIX shell, or why it cannot run.
  QString TestCommandText(bool& runnable);
  void CopyCommandLine();
  // Quick Launch's request for the chosen program, whose file is in `options`.
  LaunchRequest ProgramRequest(const LaunchOptionValues& options) const;
  void StartProgram(const LaunchRequest& request);
  void LaunchProgram();
  void ShowHelpFile();
  void CloseWindow() { close(); }
  void StartHere();

  // "Edit Map": the warp map's PWAD opened in the chosen program (EditMap.cpp).
  void EditMap();
  // The map to open with the options now, or why there is none, as the user is told it.
  std::variant<MapToEdit, QString> MapToEditNow(const LaunchOptionValues& options) const;
  // Restart Ports on Save and the nodes built before a Test (RestartOnSave.cpp).
  PortRestarter& Restarter();
  void ToggleRestartOnSave();
  bool RestartsOnSave() const;
  void ShowWatch();
  void RestoreRestartOnSave();
  void KeepRestartOnSave();
  NodeBuilder ChosenNodeBuilder() const;
  std::vector<NodeJob> NodeJobsFor(const LaunchOptionValues& options);
  // The custom files Test hands the port: the list's, with Start Here's copy in place. The
  // copy reaches the port even while the list is off: `options` then use the files.
  std::vector<CustomFile> FilesToStart(LaunchOptionValues& options) const;
  // Starts the builds Test needs first, then runs `again` with their copies in place of the
  // user's files; false when there is nothing to build (or it is built) and Test goes on.
  bool BuildNodesFirst(const LaunchOptionValues& options, std::function<void()> again);
  std::vector<CustomFile> WithBuiltNodes(std::vector<CustomFile> files) const;
  void WatchLastTest(const LaunchOptionValues& options);
  CopyFolder& Copy();

  // The setup dialogs, the search for installed ports and IWADs, and the About box
  // (OtherWindows.cpp).
  void ShowAbout();
  void SetupPorts() { OpenSetup(ListId::Ports); }
  void SetupIWADs() { OpenSetup(ListId::IWADs); }
  void SetupPrograms() { OpenSetup(ListId::Programs); }
  void OpenSetup(ListId id);
  void FindInstalled();

  // The custom file list (CustomFiles.cpp).
  enum class FileKind { PWAD, Patch };
  void AddPWAD() { AddCustomFile(FileKind::PWAD); }
  void AddPatch() { AddCustomFile(FileKind::Patch); }
  void AddCustomFile(FileKind kind);
  void RemoveCustomFile();
  // Adds the files at the end of the list, in order, as Add PWAD and Add DEH would.
  void AppendCustomFiles(const std::vector<std::string>& paths);
  // Tells why not when the list cannot take this many more files (count unreadable, full).
  bool CustomFilesTakeMore(int more);
  // Drops and Alt+Up / Alt+Down on the file list; true when the event is used up.
  bool FilterFileListEvent(QObject* watched, QEvent* event);
  // Files dropped from a file manager; refused while the list is locked or full.
  bool AcceptsDrops() const;
  void DropFiles(const QDropEvent& event);
  // Alt+Up / Alt+Down: the selected file one place earlier (-1) or later (+1).
  void MoveCustomFile(int step);

  // What the WAD files hold: map completions and tooltips, learnt off this thread
  // (WadKnowledge.cpp).
  void CreateWadKnowledge();
  // Asks again after this event, once however often it is called within it.
  void RelearnWads();
  void WatchFileFolders(const std::set<QString>& folders);
  void LearnWads();
  void ShowDescriptions();
  void ShowMaps();

  // What the WADs need and what each port will do with them (Verdicts.cpp).
  void CreateAnalyses();
  void LearnNeeds();
  PortJudgement JudgePort(const LaunchOptionValues& options, int entry) const;
  // The options with "Automatic" compatibility made the level the files need, where known.
  LaunchOptionValues WithAutomaticComplevel(const LaunchOptionValues& options) const;
  void AddFailingPorts(const LaunchOptionValues& options, const std::vector<int>& entries,
                       std::vector<std::string>& problems) const;
  QString VerdictTip(const LaunchOptionValues& options, int entry) const;
  void ShowNeeds();
  void ShowMapTitles();
  std::string MapTitle(const std::string& file, const std::string& map) const;
  void ShowAutomaticComplevel();

  // Schemes (Schemes.cpp).
  void SaveScheme();
  void LoadScheme();

  QComboBox* DropDownOf(ListId id) const;
  // A setup dialog changed a drop-down list: what it has selected is to be read again.
  void ForgetChoice(ListId id);
  void KeepEntryNumbers(ListId id, const std::function<std::string(std::string_view)>& renumber);

  Desktop& desktop_;
  QString programDir_;
  QString helpFile_;
  QString logDir_;
  QString saveRoot_;
  QString testTip_;
  bool unloaded_ = false;
  ReadWrite iniFile_;
  ReadWrite schemeFile_;
  CommonDialog cdlOpen_;
  WadFacts* wadFacts_ = nullptr;
  // The folders of the listed custom files: a file that goes or comes back there is marked
  // at once, without polling.
  QFileSystemWatcher* fileFolders_ = nullptr;
  MapChoiceModel* mapChoices_ = nullptr;
  QCompleter* warpCompleter_ = nullptr;
  bool relearnPending_ = false;
  Judging judging_;
  WadAnalyses* analyses_ = nullptr;
  std::function<void()> verdictsChanged_;

  // While Start Here tests: its copy, held until the ports started from it use it.
  std::shared_ptr<const StartSwap> startSwap_;
  CopyFolder* copyFolder_ = nullptr;
  std::unique_ptr<StartCopies> startCopies_;
  std::map<std::string, wad::StartSpot> startMarkers_;

  // What the last Test started, to be watched once it is done; the nodes it built.
  PortRestarter* restarter_ = nullptr;
  std::vector<WatchedStart> lastStarts_;
  std::vector<NodeJob> nodeJobs_;
  bool nodesBuilt_ = false;
  bool closeAfterBuild_ = false;  // Test in Several Ports with "Exit when testing"

  // The file's generation (IniCache::Generation) the lists were last filled from, and the
  // shared text they were last read from (only compared, never followed).
  std::uint64_t shownGeneration_ = 0;
  const void* shownText_ = nullptr;
  // The selected entry of each drop-down list; known: read while the list matched the file.
  struct Choice {
    bool known = false;
    int index = -1;
    std::string name;
    std::string file;
  };
  std::array<Choice, 3> choices_{};
  // The ports "Test in Several Ports" was shown, with their files, and the generation then.
  mutable std::vector<std::pair<std::string, std::string>> offeredPorts_;
  mutable std::uint64_t offeredGeneration_ = 0;

  std::array<QWidget*, kLaunchOptionCount> options_{};
  std::array<QPushButton*, kCommandCount> buttons_{};
  std::array<QAction*, kCommandCount> menuItems_{};

  // Controls, named as the user and the tests know them. The launch options' and the
  // commands' controls are made from their tables; these point at the ones the window's
  // reactions use.
  QComboBox* cmbPorts = nullptr;
  QComboBox* cmbIWADs = nullptr;
  QComboBox* cmbProgs = nullptr;
  QCheckBox* chkWarp = nullptr;
  QLineEdit* txtWarp = nullptr;
  QCheckBox* chkEnableFiles = nullptr;
  // Both show the one model of the custom files: the name, and where the file lies.
  QListView* lstFiles = nullptr;
  QListView* lstFileDirs = nullptr;
  QLabel* lblWatch = nullptr;  // what Restart Ports on Save watches, while it is on
};

}  // namespace quillon
