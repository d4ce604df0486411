#include "app/WadFacts.h"

#include <QApplication>
#include <QIcon>
#include <QStyle>

#include "shell/PathHelpers.h"
#include "shell/QtText.h"

namespace quillon {

namespace {

// The IWAD entry's file where the port would find it; nothing when it is nowhere.
std::optional<std::string> LocateIwad(const std::string& iwadFile, const std::string& portPath,
                                      const wad::WadSearchPlaces& places) {
  if (iwadFile.empty()) return std::nullopt;
  return wad::FindIwad(iwadFile, portPath, places);
}

wad::FileDescription DescribeIwad(const std::string& iwadFile, const std::string& portPath,
                                  const wad::WadSearchPlaces& places, wad::WadCache& cache) {
  if (const auto found = LocateIwad(iwadFile, portPath, places)) {
    return wad::DescribeFile(*found, *cache.Read(*found));
  }
  wad::WadReadResult missing;
  missing.status = wad::WadStatus::kFileNotFound;
  return wad::DescribeFile(iwadFile, missing);
}

}  // namespace

WadFacts::WadFacts(QObject* parent)
    : QObject(parent),
      cache_(std::make_shared<wad::WadCache>()),
      places_(wad::SearchPlacesFromEnvironment()),
      latestDescribe_(std::make_shared<std::atomic<unsigned>>(0)),
      latestMaps_(std::make_shared<std::atomic<unsigned>>(0)) {
  thread_.setObjectName(QStringLiteral("WadFacts"));
  worker_ = new QObject;
  worker_->moveToThread(&thread_);
  connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
  thread_.start(QThread::LowPriority);
}

WadFacts::~WadFacts() {
  // A job under way finishes; those still queued are dropped with the thread's event loop.
  thread_.quit();
  thread_.wait();
}

void WadFacts::Describe(std::vector<std::string> customFiles, std::vector<std::string> iwadFiles,
                        std::string portPath) {
  const unsigned generation = ++*latestDescribe_;
  QMetaObject::invokeMethod(
      worker_,
      [this, generation, latest = latestDescribe_, cache = cache_, places = places_,
       customFiles = std::move(customFiles), iwadFiles = std::move(iwadFiles),
       portPath = std::move(portPath)] {
        if (*latest != generation) return;
        Descriptions custom;
        Descriptions iwads;
        for (const std::string& path : customFiles) {
          custom.emplace(path, wad::DescribeFile(path, *cache->Read(path)));
          if (*latest != generation) return;
        }
        for (const std::string& file : iwadFiles) {
          if (!iwads.contains(file))
            iwads.emplace(file, DescribeIwad(file, portPath, places, *cache));
          if (*latest != generation) return;
        }
        QMetaObject::invokeMethod(
            this,
            [this, generation, latest, custom = std::move(custom), iwads = std::move(iwads)] {
              if (*latest != generation) return;
              descriptions_ = std::move(custom);
              iwadDescriptions_ = std::move(iwads);
              emit Described();
            },
            Qt::QueuedConnection);
      },
      Qt::QueuedConnection);
}

void WadFacts::FindMaps(std::string iwadFile, std::string portPath,
                        std::vector<std::string> customFiles) {
  const unsigned generation = ++*latestMaps_;
  QMetaObject::invokeMethod(
      worker_,
      [this, generation, latest = latestMaps_, cache = cache_, places = places_,
       iwadFile = std::move(iwadFile), portPath = std::move(portPath),
       customFiles = std::move(customFiles)] {
        if (*latest != generation) return;
        std::vector<std::string> loadOrder;
        loadOrder.reserve(customFiles.size() + 1);
        if (const auto iwad = LocateIwad(iwadFile, portPath, places)) loadOrder.push_back(*iwad);
        loadOrder.insert(loadOrder.end(), customFiles.begin(), customFiles.end());
        std::vector<wad::MapChoice> maps = wad::CollectMaps(loadOrder, *cache);
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

std::optional<wad::FileDescription> WadFacts::DescriptionOf(const std::string& path) const {
  const auto found = descriptions_.find(path);
  if (found == descriptions_.end()) return std::nullopt;
  return found->second;
}

std::optional<wad::FileDescription> WadFacts::IwadDescriptionOf(const std::string& iwadFile) const {
  const auto found = iwadDescriptions_.find(iwadFile);
  if (found == iwadDescriptions_.end()) return std::nullopt;
  return found->second;
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
  endResetModel();
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
    case Qt::DisplayRole:
      return Qs(choice.map) + QStringLiteral("  ") + Qs(FileNameOf(choice.file));
    case Qt::ToolTipRole:
      return Qs(choice.file);
    default:
      return {};
  }
}

}  // namespace quillon
