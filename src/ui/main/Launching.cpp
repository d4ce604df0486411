#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <utility>

#include "core/files/PathHelpers.h"
#include "core/files/PrivateFolders.h"
#include "core/launch/CommandLine.h"
#include "core/launch/SaveFolders.h"
#include "core/launch/StartCheck.h"
#include "core/launch/TestLaunch.h"
#include "core/settings/IniCache.h"
#include "core/settings/IniDocument.h"
#include "core/settings/NumberConversion.h"
#include "core/wad/IwadLookup.h"
#include "core/wad/MapMerge.h"
#include "core/wad/WadDescription.h"
#include "ui/desktop/Desktop.h"
#include "ui/desktop/QtText.h"
#include "ui/desktop/frmTextWindow.h"
#include "ui/launch/PortLauncher.h"
#include "ui/launch/frmTestPorts.h"
#include "ui/main/frmQLN2.h"

namespace quillon {

namespace {
// The file is shown as the lists show it, its stored bytes read as Load reads them.
QString StartFailureText(const LaunchRequest& request, const std::string& reason) {
  return QStringLiteral("Could not start ") + Qs(WholeValue(request.File)) + QStringLiteral(": ") +
         Qs(reason) + u'.';
}

// An entry's file as stored: the file system knows it by these bytes, which Load shows
// as text (a name written on Windows is read as Windows-1252).
std::string StoredFile(const ReadWrite& ini, const ListKind& kind, int entry) {
  return ini.LoadBytes(kind.section, FileKey(kind, entry));
}

}  // namespace

// The options a start reads: each chosen entry's file as stored (the entries' numbers are
// the remembered form of the lists).
LaunchOptionValues frmQLN2::StartOptions() const {
  LaunchOptionValues options = ReadOptions(ListValue::EntryFile);
  const LaunchOptionValues entries = ReadOptions(ListValue::Remembered);
  for (std::size_t i = 0; i < kLaunchOptionCount; ++i) {
    const LaunchOption& option = OptionOf(static_cast<LaunchOptionId>(i));
    if (option.control != OptionControl::List) continue;
    const auto entry = ToInt16(entries.Text(option.id));
    if (entry && *entry > 0) {
      options.Set(option.id, StoredFile(iniFile_, KindOf(option.list), *entry));
    }
  }
  return options;
}

// The start's options from lists brought in step with the file first; none when the file
// cannot be read (told) or `list` no longer shows an entry (the one shown had gone).
std::optional<LaunchOptionValues> frmQLN2::OptionsToStart(QComboBox* list) {
  if (!FollowFile()) {
    ShowIniError();
    return std::nullopt;
  }
  if (PlaceholderOrNone(list)) return std::nullopt;
  return StartOptions();
}

void frmQLN2::TellStartFailure(const LaunchRequest& request, const std::string& reason) {
  desktop_.Tell(this, StartFailureText(request, reason), MessageIcon::Exclamation);
}

TestContext frmQLN2::TestContextFor(const LaunchOptionValues& options, int entry) const {
  const ListKind& ports = KindOf(ListId::Ports);
  const std::string portPath = options.Text(LaunchOptionId::Port);
  TestContext context;
  context.dialect = DialectOf(
      EffectiveFamily(iniFile_.LoadWhole(ports.section, PortFamilyKey(entry)), portPath), portPath);
  context.portParams = iniFile_.LoadWhole(ports.section, PortParamsKey(entry));
  for (const wad::MapChoice& map : wadFacts_->Maps()) context.mapNames.push_back(map.map);

  const std::vector<CustomFile> files =
      options.IsOn(LaunchOptionId::UseFiles) ? ListedCustomFiles() : std::vector<CustomFile>();
  std::string firstPwad;
  for (const CustomFile& file : files) {
    const bool pwad = ExtensionOf(file.name) == "wad";
    if (pwad && firstPwad.empty()) firstPwad = file.name;
    // Only a family that treats them apart has its PWADs read at the start.
    context.bringsGraphics.push_back(
        pwad && context.dialect.mergesGraphics &&
        wadFacts_->BringsGraphics(DirectoryOf(file.location) + file.name));
  }
  if (const auto& iwad = options.Get(LaunchOptionId::IWAD)) {
    std::string argument = wad::IwadArgument(*iwad, portPath, wadFacts_->Places(),
                                             context.dialect.searchesIwadFolders);
    if (argument != *iwad) context.iwad = std::move(argument);
  }
  if (options.IsOn(LaunchOptionId::SaveFolders) && !context.dialect.saveSwitch.empty()) {
    const int index = entry - 1;
    const QString portName =
        index >= 0 && index + 1 < cmbPorts->count() ? cmbPorts->itemText(index) : QString();
    context.saveFolder = SaveFolderFor(Ss(saveRoot_), firstPwad, Ss(portName));
  }
  return context;
}

LaunchRequest frmQLN2::TestRequest(const LaunchOptionValues& options, int entry,
                                   const TestContext& context) const {
  LaunchOptionValues used = WithAutomaticComplevel(options);
  std::vector<CustomFile> files = FilesToStart(used);
  if (nodesBuilt_) files = WithBuiltNodes(std::move(files));
  LaunchRequest request = BuildTestLaunch(used, files, context);
  request.Findings = JudgementFindings(JudgePort(options, entry));
  // Watched: its output goes to a log, and a failure is shown.
  request.LogDirectory = Ss(logDir_);
  request.Title = entry >= 1 && entry < cmbPorts->count() ? Ss(cmbPorts->itemText(entry - 1)) : "";
  return request;
}

std::vector<CustomFile> frmQLN2::FilesToStart(LaunchOptionValues& options) const {
  std::vector<CustomFile> files = ListedCustomFiles();
  if (!startSwap_) return files;
  if (!options.IsOn(LaunchOptionId::UseFiles)) files.clear();
  options.Set(LaunchOptionId::UseFiles, true);
  return startSwap_->swap(std::move(files));
}

LaunchResult frmQLN2::StartTest(const LaunchOptionValues& options, int entry,
                                LaunchRequest& request, QSize window) {
  TestContext context = TestContextFor(options, entry);
  context.windowWidth = window.width();
  context.windowHeight = window.height();
  request = TestRequest(options, entry, context);
  // The folder is there before the port looks for it: not every port makes its own.
  if (!context.saveFolder.empty() && !CreatePrivateFolders(context.saveFolder)) {
    return {"its folder for saves, " + context.saveFolder + ", cannot be made"};
  }
  LaunchResult result = desktop_.Launch(this, request);
  if (result.Started() && result.pid != 0) lastStarts_.push_back({request, result.pid});
  return result;
}

bool frmQLN2::ConfirmStart(const LaunchOptionValues& options, const std::vector<int>& entries) {
  wad::WadCache& cache = wadFacts_->Cache();
  StartFacts facts;
  std::vector<std::string> pwads;
  if (options.IsOn(LaunchOptionId::UseFiles)) {
    for (const CustomFile& file : ListedCustomFiles()) {
      const std::string ext = ExtensionOf(file.name);
      if (ext != "wad" && ext != "deh" && ext != "bex") continue;
      const std::string path = DirectoryOf(file.location) + file.name;
      facts.files.push_back({path, wad::DescribeFile(path, *cache.Read(path))});
      if (ext == "wad") pwads.push_back(path);
    }
  }
  const ListKind& ports = KindOf(ListId::Ports);
  std::vector<std::string> problems;
  facts.iwadEntry = options.Get(LaunchOptionId::IWAD);
  // Ports in one folder find the same IWAD: its maps are gathered once.
  std::optional<std::string> mapsOf;
  for (const int entry : entries) {
    const std::string portPath = StoredFile(iniFile_, ports, entry);
    const auto iwad = facts.iwadEntry
                          ? wad::FindIwad(*facts.iwadEntry, portPath, wadFacts_->Places())
                          : std::nullopt;
    facts.iwadFound = !facts.iwadEntry || iwad.has_value();
    if (iwad != mapsOf) {
      mapsOf = iwad;
      facts.maps.reset();
      facts.warpMap.reset();
      if (iwad && cache.Read(*iwad)->Ok()) {
        std::vector<std::string> loaded{*iwad};
        loaded.insert(loaded.end(), pwads.begin(), pwads.end());
        std::vector<std::string> names;
        bool episodes = false;
        for (const wad::MapChoice& map : wad::CollectMaps(loaded, cache)) {
          episodes = episodes || map.map.starts_with('E');
          names.push_back(map.map);
        }
        facts.maps = std::move(names);
        if (options.IsOn(LaunchOptionId::Warp)) {
          facts.warpMap = WarpMapName(options.Text(LaunchOptionId::WarpTo), episodes);
        }
      }
    }
    // Each problem once, though several ports share it.
    for (std::string& problem : StartProblems(facts)) {
      if (std::find(problems.begin(), problems.end(), problem) == problems.end()) {
        problems.push_back(std::move(problem));
      }
    }
  }
  AddFailingPorts(options, entries, problems);
  if (problems.empty()) return true;
  const QString portName = entries.size() == 1 && entries.front() < cmbPorts->count()
                               ? cmbPorts->itemText(entries.front() - 1)
                               : QStringLiteral("the ports");
  return desktop_.AskTestAnyway(this, Qs(StartProblemsQuestion(Ss(portName), problems)));
}

// The port and IWAD files are read from the configuration at the moment of the click,
// from lists brought in step with it first: the port started is the one the window shows.
void frmQLN2::TestGame() {
  const auto options = OptionsToStart(cmbPorts);
  if (!options) return;
  const int entry = cmbPorts->currentIndex() + 1;
  // The nodes are built first, off this thread; Test then runs again with the copies.
  if (BuildNodesFirst(*options, [this] { TestGame(); })) return;
  if (!ConfirmStart(*options, {entry})) return;
  LaunchRequest request;
  lastStarts_.clear();
  const LaunchResult result = StartTest(*options, entry, request);
  WatchLastTest(*options);
  // A failed start keeps the window open, so the user can read why and fix the entry.
  if (!result.Started()) {
    TellStartFailure(request, result.failure);
    return;
  }
  if (options->IsOn(LaunchOptionId::ExitOnTest)) close();
}

// What the dialog offers is kept with each port's file, so a port is found again by name
// and file should another program change the list while the dialog is open.
QStringList frmQLN2::PortNames() const {
  const ListKind& kind = KindOf(ListId::Ports);
  QStringList names;
  offeredPorts_.clear();
  offeredGeneration_ = IniCache::Generation(iniFile_.FileName());
  // The last item is the placeholder, no entry.
  for (int i = 0; i + 1 < cmbPorts->count(); ++i) {
    names << cmbPorts->itemText(i);
    offeredPorts_.emplace_back(Ss(cmbPorts->itemText(i)),
                               iniFile_.LoadWhole(kind.section, FileKey(kind, i + 1)));
  }
  return names;
}

bool frmQLN2::TestPorts(const std::vector<int>& entries) {
  const bool renumbered = IniCache::Generation(iniFile_.FileName()) != offeredGeneration_;
  if (!FollowFile()) {
    ShowIniError();
    return false;
  }
  LaunchOptionValues options = StartOptions();
  if (BuildNodesFirst(options, [this, entries] {
        if (TestPorts(entries) && std::exchange(closeAfterBuild_, false)) close();
      })) {
    return true;
  }
  const ListKind& kind = KindOf(ListId::Ports);
  std::vector<std::pair<LaunchRequest, std::string>> failed;
  // Windows side by side: the screen's width shared out, each 4:3 within its height.
  QSize window;
  if (options.IsOn(LaunchOptionId::Windowed) && entries.size() > 1) {
    const QRect screen = this->screen()->availableGeometry();
    const int width = screen.width() / static_cast<int>(entries.size());
    window = QSize(width, std::min(screen.height(), width * 3 / 4));
  }
  // The entries as the list numbers them now; those gone are told with the failures.
  std::vector<int> current;
  for (int entry : entries) {
    if (entry < 1 || entry > static_cast<int>(offeredPorts_.size())) continue;
    if (renumbered) {
      const auto& [name, file] = offeredPorts_[static_cast<std::size_t>(entry - 1)];
      entry = 0;
      for (int i = 0; i + 1 < cmbPorts->count() && entry == 0; ++i) {
        if (Ss(cmbPorts->itemText(i)) == name &&
            iniFile_.LoadWhole(kind.section, FileKey(kind, i + 1)) == file) {
          entry = i + 1;
        }
      }
      if (entry == 0) {
        LaunchRequest gone;
        gone.File = file;
        failed.emplace_back(gone, "it is no longer in the list of source ports");
        continue;
      }
    }
    current.push_back(entry);
  }
  if (!current.empty() && !ConfirmStart(options, current)) return false;
  lastStarts_.clear();
  for (const int entry : current) {
    options.Set(LaunchOptionId::Port, StoredFile(iniFile_, kind, entry));
    LaunchRequest request;
    const LaunchResult result = StartTest(options, entry, request, window);
    if (!result.Started()) failed.emplace_back(request, result.failure);
  }
  WatchLastTest(options);
  // Told once every port had its start: a message box waiting for the user would hold up
  // the ports after it.
  for (const auto& [request, reason] : failed) TellStartFailure(request, reason);
  return failed.empty();
}

void frmQLN2::TestInSeveralPorts() {
  if (!FollowFile()) {
    ShowIniError();
    return;
  }
  frmTestPorts dialog(*this, desktop_, programDir_, this);
  if (desktop_.ShowModal(&dialog) != QDialog::Accepted || !dialog.AllStarted()) return;
  if (!ReadOptions(ListValue::Remembered).IsOn(LaunchOptionId::ExitOnTest)) return;
  // While the nodes are built nothing has started yet: the window closes after the starts.
  if (restarter_ && restarter_->Builds().Busy()) {
    closeAfterBuild_ = true;
    return;
  }
  close();
}

QString frmQLN2::TestCommandText(bool& runnable) {
  runnable = false;
  if (!FollowFile()) return QString::fromLatin1(kIniErrorText);
  // No port to run: the one shown has gone from the file.
  if (PlaceholderOrNone(cmbPorts)) return {};
  const LaunchOptionValues options = StartOptions();
  const int entry = cmbPorts->currentIndex() + 1;
  const LaunchRequest request = TestRequest(options, entry, TestContextFor(options, entry));
  const ResolvedProgram resolved = ResolveLaunch(request);
  runnable = resolved.failure.empty();
  if (!runnable) return StartFailureText(request, resolved.failure);
  return Qs(ShellCommandLine(resolved.directory, resolved.program, resolved.arguments));
}

void frmQLN2::CopyCommandLine() {
  bool runnable = false;
  const QString text = TestCommandText(runnable);
  if (!runnable) {
    if (!text.isEmpty()) desktop_.Tell(this, text, MessageIcon::Exclamation);
    return;
  }
  desktop_.CopyText(text);
}

// Test's tip is made when it is about to show, so the command in it is the one a click
// would run at that moment, with the files as they are now.
bool frmQLN2::eventFilter(QObject* watched, QEvent* event) {
  if (FilterFileListEvent(watched, event)) return true;
  QPushButton* test = ButtonOf(CommandId::Test);
  if (watched == test && event->type() == QEvent::ToolTip) {
    bool runnable = false;
    const QString command = TestCommandText(runnable);
    QString tip = command.isEmpty() ? testTip_ : testTip_ + QStringLiteral("\n\n") + command;
    if (runnable) {
      const QString verdict = VerdictTip(StartOptions(), cmbPorts->currentIndex() + 1);
      if (!verdict.isEmpty()) tip += QStringLiteral("\n\n") + verdict;
    }
    test->setToolTip(tip);
  }
  return QMainWindow::eventFilter(watched, event);
}

LaunchRequest frmQLN2::ProgramRequest(const LaunchOptionValues& options) const {
  LaunchRequest request;
  request.File = options.Text(LaunchOptionId::Prog);
  request.Parameters = options.Text(LaunchOptionId::ProgParams);
  request.Directory = DirectoryOf(request.File);
  request.Title = Ss(cmbProgs->currentText());
  return request;
}

void frmQLN2::StartProgram(const LaunchRequest& request) {
  const LaunchResult result = desktop_.Launch(this, request);
  if (!result.Started()) TellStartFailure(request, result.failure);
}

void frmQLN2::LaunchProgram() {
  const auto chosen = OptionsToStart(cmbProgs);
  if (!chosen) return;
  StartProgram(ProgramRequest(*chosen));
}

void frmQLN2::ShowHelpFile() {
  // Opened, never executed, even where the file system marks every file executable.
  ShowDocument(desktop_, this, helpFile_, TextPart::Beginning);
}

}  // namespace quillon
