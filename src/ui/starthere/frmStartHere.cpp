#include "ui/starthere/frmStartHere.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <memory>

#include "core/files/PathHelpers.h"
#include "core/settings/ConfigLayout.h"
#include "ui/desktop/Desktop.h"
#include "ui/desktop/QtText.h"
#include "ui/desktop/WindowParts.h"
#include "ui/starthere/StartCopies.h"

namespace quillon {

namespace {

constexpr const char* kHint =
    "Click inside the map to start there; drag from the marker to turn it. Wheel: zoom, "
    "drag: pan, Home: fit.";

std::optional<QSize> StoredSize(const std::string& text) {
  const QStringList parts = Qs(text).split(u'x');
  if (parts.size() != 2) return std::nullopt;
  bool w = false, h = false;
  const QSize size(parts[0].trimmed().toInt(&w), parts[1].trimmed().toInt(&h));
  if (!w || !h || size.width() < 100 || size.height() < 100) return std::nullopt;
  return size;
}

}  // namespace

frmStartHere::frmStartHere(StartHereHost& host, Desktop& desktop, const QString& programDir,
                           QWidget* parent)
    : QDialog(parent), host_(host), desktop_(desktop), maps_(host.StartMaps()) {
  setObjectName(QStringLiteral("frmStartHere"));
  setWindowTitle(QStringLiteral("Start Here"));
  setSizeGripEnabled(true);
  iniFile_.SetFileName(JoinPath(Ss(programDir), kIniFileName));

  cmbMaps = MakeControl<QComboBox>(this, "cmbMaps");
  auto* mapLabel = new QLabel(QStringLiteral("&Map:"), this);
  mapLabel->setBuddy(cmbMaps);
  view_ = new MapView(this);
  lblStatus = MakeControl<QLabel>(this, "lblStatus");
  lblStatus->setWordWrap(true);
  cmdTestHere = MakeControl<QPushButton>(this, "cmdTestHere", QStringLiteral("Test Here"),
                                         QStringLiteral("Test from the marker (Enter)"));
  cmdTestSeveral = MakeControl<QPushButton>(
      this, "cmdTestHereSeveral", QStringLiteral("Test Here in Several Ports..."),
      QStringLiteral("Test in Several Ports from the marker (Shift+Enter)"));
  cmdClose = MakeControl<QPushButton>(this, "cmdClose", QStringLiteral("Close"));
  cmdTestHere->setDefault(true);
  for (QPushButton* button : {cmdTestHere, cmdTestSeveral, cmdClose}) button->setAutoDefault(false);

  auto* top = new QHBoxLayout;
  top->addWidget(mapLabel);
  top->addWidget(cmbMaps, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(lblStatus, 1);
  buttons->addWidget(cmdTestHere);
  buttons->addWidget(cmdTestSeveral);
  buttons->addWidget(cmdClose);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(view_, 1);
  layout->addLayout(buttons);

  for (const StartMap& map : maps_) {
    cmbMaps->addItem(Qs(map.title.empty() ? map.map : map.map + " — " + map.title));
  }
  // The warp box's map where the files hold it, else the first.
  const std::string warped = host_.WarpedMap(
      std::any_of(maps_.begin(), maps_.end(), [](const StartMap& m) { return m.map[0] == 'E'; }));
  int first = maps_.empty() ? -1 : 0;
  for (std::size_t i = 0; i < maps_.size(); ++i) {
    if (maps_[i].map == warped) first = static_cast<int>(i);
  }
  cmbMaps->setCurrentIndex(first);

  watcher_ = new QFileSystemWatcher(this);
  connect(watcher_, &QFileSystemWatcher::fileChanged, this, [this](const QString& path) {
    // A save by rename drops the watch: the new file is watched again.
    if (QFileInfo::exists(path) && !watcher_->files().contains(path)) watcher_->addPath(path);
    Load();
  });
  connect(cmbMaps, &QComboBox::currentIndexChanged, this, &frmStartHere::MapChosen);
  connect(view_, &MapView::Clicked, this, &frmStartHere::Place);
  connect(view_, &MapView::Turned, this, &frmStartHere::Turn);
  connect(cmdTestHere, &QPushButton::clicked, this, [this] { TestHere(false); });
  connect(cmdTestSeveral, &QPushButton::clicked, this, [this] { TestHere(true); });
  connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);

  resize(StoredSize(iniFile_.Load(memory::kSection, kStartHereSizeKey)).value_or(QSize(800, 640)));
  sizeSet_ = false;
  MapChosen();
  view_->setFocus();
}

frmStartHere::~frmStartHere() {
  // A read still under way finishes first: it is a map's lumps, well under a second. Its
  // thread goes with the window, as its finished signal no longer reaches anyone.
  for (const QPointer<QThread>& loader : loaders_) {
    if (!loader) continue;
    loader->wait();
    delete loader.data();
  }
}

const StartMap* frmStartHere::Chosen() const {
  const int index = cmbMaps->currentIndex();
  return index >= 0 && index < static_cast<int>(maps_.size())
             ? &maps_[static_cast<std::size_t>(index)]
             : nullptr;
}

std::string frmStartHere::MarkerKey() const {
  const StartMap* map = Chosen();
  return map ? map->file + "|" + map->map : std::string();
}

void frmStartHere::MapChosen() {
  if (!watcher_->files().isEmpty()) watcher_->removePaths(watcher_->files());
  if (const StartMap* map = Chosen()) watcher_->addPath(Qs(map->file));
  Load();
}

void frmStartHere::Load() {
  loaded_ = false;
  Judge();
  const StartMap* map = Chosen();
  if (map == nullptr) {
    lblStatus->setText(
        QStringLiteral("No map is loaded: choose an IWAD or enable a PWAD that "
                       "holds one."));
    emit Loaded();
    return;
  }
  const std::uint64_t generation = ++generation_;
  auto result = std::make_shared<LoadResult>();
  QThread* loader = QThread::create([result, file = map->file, name = map->map] {
    wad::MapReadResult read = wad::ReadMapFile(file, name);
    if (!read.ok) {
      result->error = read.error;
      return;
    }
    result->picture = MakeMapPicture(std::make_shared<const wad::MapData>(std::move(read.map)));
  });
  connect(loader, &QThread::finished, this, [this, loader, result, generation] {
    std::erase(loaders_, loader);
    loader->deleteLater();
    // A later read overtook this one.
    if (generation == generation_) Show(*result);
  });
  loaders_.emplace_back(loader);
  lblStatus->setText(QStringLiteral("Reading ") + Qs(map->map) + QStringLiteral("..."));
  loader->start();
}

void frmStartHere::Show(const LoadResult& result) {
  if (!result.error.empty()) {
    view_->SetPicture({});
    lblStatus->setText(Qs(Chosen()->map + " cannot be read: " + result.error + "."));
  } else {
    view_->SetPicture(result.picture);
    loaded_ = true;
  }
  Judge();
  emit Loaded();
}

void frmStartHere::Place(QPointF spot) {
  if (!loaded_) return;
  const auto& markers = host_.Markers();
  const auto known = markers.find(MarkerKey());
  const double facing = known != markers.end() ? known->second.angle : 90;
  host_.Markers()[MarkerKey()] = {std::round(spot.x()), std::round(spot.y()), facing};
  Judge();
}

void frmStartHere::Turn(double degrees) {
  auto& markers = host_.Markers();
  const auto known = markers.find(MarkerKey());
  if (!loaded_ || known == markers.end()) return;
  known->second.angle = wad::StoredFacing(view_->Picture().map->format, degrees);
  Judge();
}

void frmStartHere::Judge() {
  const auto& markers = host_.Markers();
  const auto known = loaded_ ? markers.find(MarkerKey()) : markers.end();
  const bool placed = known != markers.end();
  view_->SetMarker(placed ? std::optional(known->second) : std::nullopt);
  refusal_.clear();
  if (placed) {
    const wad::StartSpot& spot = known->second;
    refusal_ = Qs(wad::SpotRefusal(*view_->Picture().map, spot.x, spot.y));
    lblStatus->setText(!refusal_.isEmpty()
                           ? refusal_
                           : QStringLiteral("Player 1 starts at (%1, %2), facing %3°.")
                                 .arg(spot.x)
                                 .arg(spot.y)
                                 .arg(spot.angle));
  } else if (loaded_) {
    lblStatus->setText(QString::fromLatin1(kHint));
  }
  const bool ready = placed && refusal_.isEmpty();
  cmdTestHere->setEnabled(ready);
  cmdTestSeveral->setEnabled(ready);
}

void frmStartHere::TestHere(bool several) {
  const auto& markers = host_.Markers();
  const auto known = markers.find(MarkerKey());
  if (!loaded_ || known == markers.end() || !refusal_.isEmpty()) return;
  const StartMap map = *Chosen();
  const StartCopies::Made made = host_.Copies().Make(map, known->second);
  if (made.path.empty()) {
    lblStatus->setText(Qs(made.error));
    return;
  }
  const std::string copy = made.path;
  const FileSwap swap = [map, copy](std::vector<CustomFile> files) {
    const CustomFile copied{FileNameOf(copy), copy};
    bool swapped = false;
    for (CustomFile& file : files) {
      if (!map.fromIwad && DirectoryOf(file.location) + file.name == map.file) {
        file = copied;
        swapped = true;
      }
    }
    // An IWAD's map alone goes after every other file, so it is the one played.
    if (!swapped) files.push_back(copied);
    return files;
  };
  // After a save, the copy is made again from the saved file, with the same start.
  const wad::StartSpot spot = known->second;
  StartCopies& copies = host_.Copies();
  auto remake = [&copies, map, spot, copy] { return copies.Make(map, spot, copy).error; };
  host_.TestWith({swap, copy, std::move(remake)}, several);
}

void frmStartHere::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    TestHere(event->modifiers() & Qt::ShiftModifier);
    return;
  }
  QDialog::keyPressEvent(event);
}

void frmStartHere::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (event->spontaneous()) sizeSet_ = true;
}

void frmStartHere::done(int result) {
  if (sizeSet_) {
    iniFile_.Save(memory::kSection, kStartHereSizeKey,
                  Ss(QStringLiteral("%1x%2").arg(width()).arg(height())));
  }
  QDialog::done(result);
}

}  // namespace quillon
