#include <QPointer>
#include <algorithm>
#include <utility>

#include "core/files/PathHelpers.h"
#include "core/launch/StartCheck.h"
#include "core/wad/IwadLookup.h"
#include "core/wad/MapMerge.h"
#include "ui/desktop/CopyFolder.h"
#include "ui/desktop/Desktop.h"
#include "ui/desktop/QtText.h"
#include "ui/main/frmQLN2.h"
#include "ui/starthere/StartCopies.h"
#include "ui/starthere/frmStartHere.h"

namespace quillon {

// The window reads the maps of this moment, from lists in step with the file.
void frmQLN2::StartHere() {
  if (!FollowFile()) {
    ShowIniError();
    return;
  }
  frmStartHere window(*this, desktop_, programDir_, this);
  desktop_.ShowModal(&window);
}

std::vector<StartMap> frmQLN2::StartMaps() const {
  const LaunchOptionValues options = StartOptions();
  std::vector<std::string> loaded;
  std::optional<std::string> iwad;
  if (const auto& entry = options.Get(LaunchOptionId::IWAD)) {
    iwad = wad::FindIwad(*entry, options.Text(LaunchOptionId::Port), wadFacts_->Places());
    if (iwad) loaded.push_back(*iwad);
  }
  if (options.IsOn(LaunchOptionId::UseFiles)) {
    for (const CustomFile& file : ListedCustomFiles()) {
      if (ExtensionOf(file.name) == "wad") loaded.push_back(DirectoryOf(file.location) + file.name);
    }
  }
  std::vector<StartMap> maps;
  for (wad::MapChoice& choice : wad::CollectMaps(loaded, wadFacts_->Cache())) {
    const bool fromIwad = iwad && choice.file == *iwad;
    std::string title = MapTitle(choice.file, choice.map);
    maps.push_back({std::move(choice.map), std::move(title), std::move(choice.file), fromIwad});
  }
  return maps;
}

std::string frmQLN2::WarpedMap(bool episodes) const {
  const LaunchOptionValues options = ReadOptions(ListValue::Remembered);
  if (!options.IsOn(LaunchOptionId::Warp)) return {};
  return WarpMapName(options.Text(LaunchOptionId::WarpTo), episodes).value_or(std::string());
}

void frmQLN2::TestWith(StartSwap start, bool several) {
  // Held until the ports started from it use it, or the Test ends with none; a node build
  // keeps it while the Test waits for it.
  const QPointer<CopyFolder> folder = &Copy();
  folder->Hold(start.copy, true);
  startSwap_.reset(new StartSwap(std::move(start)), [folder](const StartSwap* swap) {
    if (folder) folder->Hold(swap->copy, false);
    delete swap;
  });
  if (several) {
    TestInSeveralPorts();
  } else {
    TestGame();
  }
  startSwap_.reset();
}

void frmQLN2::SetTempFolder(const QString& root) {
  // The watch keeps its copies in the folder: it starts again with the next Test.
  delete restarter_;
  restarter_ = nullptr;
  startCopies_.reset();
  delete copyFolder_;
  copyFolder_ = new CopyFolder(desktop_, root, this);
  startCopies_ = std::make_unique<StartCopies>(*copyFolder_);
}

CopyFolder& frmQLN2::Copy() {
  if (copyFolder_ == nullptr) SetTempFolder(Qs(JoinPath(Ss(programDir_), "temp")));
  return *copyFolder_;
}

StartCopies& frmQLN2::Copies() {
  Copy();
  return *startCopies_;
}

}  // namespace quillon
