#include <QAction>
#include <QLabel>

#include "core/files/PathHelpers.h"
#include "core/files/PrivateFolders.h"
#include "core/settings/NumberConversion.h"
#include "core/wad/IwadLookup.h"
#include "ui/desktop/CopyFolder.h"
#include "ui/desktop/QtText.h"
#include "ui/launch/PortRestarter.h"
#include "ui/main/frmQLN2.h"

// Restart Ports on Save, and the nodes built before a Test.

namespace quillon {

PortRestarter& frmQLN2::Restarter() {
  if (restarter_ == nullptr) {
    restarter_ = new PortRestarter(desktop_, Copy(), this, this);
    connect(restarter_, &PortRestarter::StatusChanged, this, &frmQLN2::ShowWatch);
    restarter_->SetOn(RestartsOnSave());
  }
  return *restarter_;
}

bool frmQLN2::RestartsOnSave() const {
  return menuItems_[static_cast<std::size_t>(CommandId::RestartOnSave)]->isChecked();
}

// The watch is made with the first Test that has ports to watch.
void frmQLN2::SetNodeBuildTimeout(int ms) {
  Restarter().Builds().SetTimeout(ms);
}

void frmQLN2::ToggleRestartOnSave() {
  if (restarter_) restarter_->SetOn(RestartsOnSave());
  ShowWatch();
}

// In the custom files' frame, which has room to spare: the window keeps its size.
void frmQLN2::ShowWatch() {
  QString status;
  if (restarter_) {
    status = restarter_->Status();
  } else if (RestartsOnSave()) {
    status = QStringLiteral("Restart on save: no Test to repeat yet.");
  }
  lblWatch->setText(status);
  lblWatch->setToolTip(status);
  lblWatch->setVisible(!status.isEmpty());
}

// "RestartOnSave" stays out of a file that never had it until the user turns it on.
void frmQLN2::RestoreRestartOnSave() {
  const auto on = ToInt16(iniFile_.Load(memory::kSection, memory::kRestartOnSave));
  menuItems_[static_cast<std::size_t>(CommandId::RestartOnSave)]->setChecked(on && *on != 0);
  ShowWatch();
}

void frmQLN2::KeepRestartOnSave() {
  const bool on = RestartsOnSave();
  if (!on && iniFile_.LoadWhole(memory::kSection, memory::kRestartOnSave).empty()) return;
  iniFile_.Save(memory::kSection, memory::kRestartOnSave, on ? "1" : "0");
}

NodeBuilder frmQLN2::ChosenNodeBuilder() const {
  NodeBuilder builder;
  const auto entry = ToInt16(iniFile_.Load(memory::kSection, memory::kNodeBuilder));
  const ListKind& programs = KindOf(ListId::Programs);
  const auto count = StoredCount(iniFile_, programs);
  if (!entry || *entry < 1 || !count || *entry > *count) return builder;
  builder.path = iniFile_.LoadBytes(programs.section, FileKey(programs, *entry));
  builder.title = iniFile_.LoadWhole(programs.section, NameKey(programs, *entry));
  builder.logDirectory = Ss(logDir_);
  return builder;
}

// Each enabled PWAD that holds maps, with a new copy of its own for the built nodes.
std::vector<NodeJob> frmQLN2::NodeJobsFor(const LaunchOptionValues& options) {
  std::vector<NodeJob> jobs;
  LaunchOptionValues used = options;
  const std::vector<CustomFile> files = FilesToStart(used);
  if (!used.IsOn(LaunchOptionId::UseFiles)) return jobs;
  for (const CustomFile& file : files) {
    if (ExtensionOf(file.name) != "wad") continue;
    const std::string path = DirectoryOf(file.location) + file.name;
    const auto read = wadFacts_->Cache().Read(path);
    if (!read->Ok() || read->directory.maps.empty()) continue;
    jobs.push_back({path, Copy().NewPath("nodes", file.name)});
  }
  return jobs;
}

bool frmQLN2::BuildNodesFirst(const LaunchOptionValues& options, std::function<void()> again) {
  if (nodesBuilt_) return false;
  NodeBuilds& builds = Restarter().Builds();
  builds.Cancel();  // an earlier Test still waiting for its nodes gives way to this one
  const NodeBuilder builder = ChosenNodeBuilder();
  if (builder.path.empty()) return false;
  std::vector<NodeJob> jobs = NodeJobsFor(options);
  if (jobs.empty()) return false;
  if (!CreatePrivateFolders(Ss(Copy().Folder()))) {
    desktop_.Tell(this,
                  Copy().Folder() + QStringLiteral(" cannot be made, so no nodes were built."),
                  MessageIcon::Exclamation);
    return true;
  }
  for (const NodeJob& job : jobs) Copy().Hold(job.copy, true);
  // Start Here's copy is what was built: the Test runs again with it, and holds it till then.
  builds.Run(builder, jobs, [this, jobs, again = std::move(again), start = startSwap_](bool built) {
    if (built) {
      nodeJobs_ = jobs;
      nodesBuilt_ = true;
      startSwap_ = start;
      again();
      startSwap_.reset();
      nodesBuilt_ = false;
      nodeJobs_.clear();
    }
    for (const NodeJob& job : jobs) Copy().Hold(job.copy, false);
  });
  return true;
}

std::vector<CustomFile> frmQLN2::WithBuiltNodes(std::vector<CustomFile> files) const {
  for (CustomFile& file : files) {
    const std::string path = DirectoryOf(file.location) + file.name;
    for (const NodeJob& job : nodeJobs_) {
      if (job.source == path) file = {FileNameOf(job.copy), job.copy};
    }
  }
  return files;
}

// The ports just started are the ones to restart, watched with the user's own files.
void frmQLN2::WatchLastTest(const LaunchOptionValues& options) {
  std::vector<std::string> files;
  if (options.IsOn(LaunchOptionId::UseFiles)) {
    for (const CustomFile& file : ListedCustomFiles()) {
      const std::string ext = ExtensionOf(file.name);
      if (ext == "wad" || ext == "deh" || ext == "bex") {
        files.push_back(DirectoryOf(file.location) + file.name);
      }
    }
  }
  if (const auto& iwad = options.Get(LaunchOptionId::IWAD)) {
    if (const auto found =
            wad::FindIwad(*iwad, options.Text(LaunchOptionId::Port), wadFacts_->Places())) {
      files.push_back(*found);
    }
  }
  std::vector<std::int64_t> pids;
  for (const WatchedStart& start : lastStarts_) pids.push_back(start.pid);
  for (const NodeJob& job : nodeJobs_) Copy().UsedBy(job.copy, pids);
  WatchedTest test;
  test.starts = std::move(lastStarts_);
  test.files = std::move(files);
  if (!nodeJobs_.empty()) test.builder = ChosenNodeBuilder();
  test.jobs = nodeJobs_;
  // A restart makes Start Here's copy again from the saved file, with the same start.
  if (startSwap_) {
    Copy().UsedBy(startSwap_->copy, pids);
    test.copy = startSwap_->copy;
    test.remake = startSwap_->remake;
  }
  Restarter().Watch(std::move(test));
  lastStarts_.clear();
}

}  // namespace quillon
