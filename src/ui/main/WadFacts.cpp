#include "ui/main/WadFacts.h"

#include <QApplication>
#include <QIcon>
#include <QStyle>
#include <exception>

#include "core/files/PathHelpers.h"
#include "ui/desktop/QtText.h"

namespace quillon {

namespace {

// The IWAD entry's file where the port would find it; nothing when it is nowhere.
std::optional<std::string> LocateIwad(const std::string& iwadFile, const std::string& portPath,
                                      const IwadPlaces& places) {
  if (iwadFile.empty()) return std::nullopt;
  return wad::FindIwad(iwadFile, portPath, places);
}

wad::FileDescription DescribeIwad(const std::string& iwadFile, const std::string& portPath,
                                  const IwadPlaces& places, wad::WadCache& cache) {
  if (const auto found = LocateIwad(iwadFile, portPath, places)) {
    return wad::DescribeFile(*found, *cache.Read(*found));
  }
  wad::WadReadResult missing;
  missing.status = wad::WadStatus::kFileNotFound;
  return wad::DescribeFile(iwadFile, missing);
}

// On the worker an exception reaching Qt's event loop would end the program: a file whose
// description throws (memory ran out) is one that cannot be read.
template <typename Describe>
wad::FileDescription Guarded(Describe describe) {
  try {
    return describe();
  } catch (const std::exception&) {
    return {"file cannot be read", true};
  }
}

}  // namespace

WadFacts::WadFacts(QObject* parent)
    : QObject(parent),
      cache_(std::make_shared<wad::WadCache>()),
      places_(IwadPlacesFromEnvironment()),
      latestDescribe_(std::make_shared<std::atomic<unsigned>>(0)),
      latestMaps_(std::make_shared<std::atomic<unsigned>>(0)),
      described_(std::make_shared<std::atomic<std::size_t>>(0)) {
  thread_.setObjectName(QStringLiteral("WadFacts"));
  worker_ = new QObject;
  worker_->moveToThread(&thread_);
  connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
  thread_.start(QThread::LowPriority);
  // Fires once the event that asked is done: one batch for all the rows of one paint.
  sendTimer_.setSingleShot(true);
  sendTimer_.setInterval(0);
  connect(&sendTimer_, &QTimer::timeout, this, &WadFacts::SendWanted);
}

WadFacts::~WadFacts() {
  // A job under way finishes; those still queued are dropped with the thread's event loop.
  thread_.quit();
  thread_.wait();
}

bool WadFacts::Relearn(std::string portPath) {
  // The port is set only here, so a generation's IWAD descriptions all share one port.
  ++*latestDescribe_;
  portPath_ = std::move(portPath);
  bool asked = false;
  for (Shelf* shelf : {&files_, &iwads_}) {
    asked = asked || !shelf->known.empty() || !shelf->asked.empty();
    shelf->asked.clear();
    shelf->wanted.clear();
  }
  return asked;
}

bool WadFacts::BringsGraphics(const std::string& path) const {
  const auto read = cache_->Read(path);
  return read->Ok() && wad::BringsGraphics(read->directory.lumps);
}

std::optional<wad::FileDescription> WadFacts::DescriptionOf(const std::string& path) {
  return Lookup(files_, path);
}

std::optional<wad::FileDescription> WadFacts::IwadDescriptionOf(const std::string& iwadFile) {
  return Lookup(iwads_, iwadFile);
}

std::optional<wad::FileDescription> WadFacts::Lookup(Shelf& shelf, const std::string& key) {
  const auto found = shelf.known.find(key);
  const bool current = found != shelf.known.end() && found->second.generation == *latestDescribe_;
  if (!current && shelf.asked.insert(key).second) {
    shelf.wanted.push_back(key);
    if (!sendTimer_.isActive()) sendTimer_.start();
  }
  if (found == shelf.known.end()) return std::nullopt;
  return found->second.description;
}

void WadFacts::SendWanted() {
  if (files_.wanted.empty() && iwads_.wanted.empty()) return;
  const unsigned generation = *latestDescribe_;
  QMetaObject::invokeMethod(
      worker_,
      [this, generation, latest = latestDescribe_, described = described_, cache = cache_,
       places = places_, portPath = portPath_, files = std::exchange(files_.wanted, {}),
       iwadFiles = std::exchange(iwads_.wanted, {})] {
        Results custom;
        Results iwads;
        for (const std::string& path : files) {
          if (*latest != generation) return;
          custom.emplace_back(path,
                              Guarded([&] { return wad::DescribeFile(path, *cache->Read(path)); }));
          ++*described;
        }
        for (const std::string& file : iwadFiles) {
          if (*latest != generation) return;
          iwads.emplace_back(file,
                             Guarded([&] { return DescribeIwad(file, portPath, places, *cache); }));
          ++*described;
        }
        QMetaObject::invokeMethod(
            this,
            [this, generation, custom = std::move(custom), iwads = std::move(iwads)]() mutable {
              Take(generation, std::move(custom), std::move(iwads));
            },
            Qt::QueuedConnection);
      },
      Qt::QueuedConnection);
}

void WadFacts::Take(unsigned generation, Results files, Results iwads) {
  // Described before a relearn: the rows shown have asked again since.
  if (generation != *latestDescribe_) return;
  for (auto [shelf, results] : {std::pair{&files_, &files}, std::pair{&iwads_, &iwads}}) {
    for (auto& [key, description] : *results) {
      shelf->asked.erase(key);
      shelf->known.insert_or_assign(std::move(key), Known{std::move(description), generation});
    }
  }
  emit Described();
}

void WadFacts::FindMaps(std::string iwadFile, std::string portPath, std::string customFiles) {
  const unsigned generation = ++*latestMaps_;
  QMetaObject::invokeMethod(
      worker_,
      [this, generation, latest = latestMaps_, cache = cache_, places = places_,
       iwadFile = std::move(iwadFile), portPath = std::move(portPath),
       customFiles = std::move(customFiles)] {
        if (*latest != generation) return;
        std::vector<std::string> loadOrder;
        if (const auto iwad = LocateIwad(iwadFile, portPath, places)) loadOrder.push_back(*iwad);
        for (std::size_t at = 0; at < customFiles.size();) {
          const std::size_t end = customFiles.find('\0', at);
          loadOrder.emplace_back(customFiles, at, end - at);
          at = end + 1;
        }
        std::vector<wad::MapChoice> maps;
        try {
          maps = wad::CollectMaps(loadOrder, *cache);
        } catch (const std::exception&) {
          maps.clear();  // no completions rather than no program
        }
        QMetaObject::invokeMethod(
            this,
            [this, generation, latest, maps = std::move(maps)]() mutable {
              if (*latest != generation) return;
              maps_ = std::move(maps);
              emit MapsFound();
            },
            Qt::QueuedConnection);
      },
      Qt::QueuedConnection);
}

QVariant FileItemData(const std::optional<wad::FileDescription>& description, int role,
                      const QString& hint) {
  if (!description) return {};
  if (role == Qt::ToolTipRole) {
    QString tip = Qs(description->text);
    if (!hint.isEmpty()) tip += u'\n' + hint;
    return tip;
  }
  if (role == Qt::DecorationRole && description->broken) {
    return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
  }
  return {};
}

void MapChoiceModel::SetChoices(std::vector<wad::MapChoice> choices) {
  beginResetModel();
  choices_ = std::move(choices);
  titles_.clear();
  endResetModel();
}

void MapChoiceModel::SetTitles(std::vector<std::string> titles) {
  if (titles == titles_) return;
  titles_ = std::move(titles);
  if (!choices_.empty()) emit dataChanged(index(0), index(rowCount() - 1), {Qt::DisplayRole});
}

int MapChoiceModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(choices_.size());
}

QVariant MapChoiceModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const wad::MapChoice& choice = choices_[static_cast<std::size_t>(index.row())];
  switch (role) {
    case Qt::EditRole:
      return Qs(choice.map);
    case Qt::DisplayRole: {
      const std::size_t row = static_cast<std::size_t>(index.row());
      const QString title = row < titles_.size() && !titles_[row].empty()
                                ? QStringLiteral(" — ") + Qs(titles_[row])
                                : QString();
      return Qs(choice.map) + title + QStringLiteral("  ") + Qs(FileNameOf(choice.file));
    }
    case Qt::ToolTipRole:
      return Qs(choice.file);
    default:
      return {};
  }
}

}  // namespace quillon
