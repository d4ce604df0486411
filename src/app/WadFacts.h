#pragma once

#include <QAbstractListModel>
#include <QObject>
#include <QThread>
#include <QVariant>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "wad/IwadLookup.h"
#include "wad/MapMerge.h"
#include "wad/WadCache.h"
#include "wad/WadDescription.h"

namespace quillon {

// What the window learns about its WAD files, read on a thread of its own so that choosing
// an IWAD or toggling "Enable" never waits on the disk. Each request replaces the one of its
// kind before it: a result that a newer request has overtaken is dropped.
class WadFacts : public QObject {
  Q_OBJECT

 public:
  explicit WadFacts(QObject* parent = nullptr);
  ~WadFacts() override;

  // Describes each custom file (by its full path) and each IWAD entry's file (found as the
  // port would find it); `Described` follows.
  void Describe(std::vector<std::string> customFiles, std::vector<std::string> iwadFiles,
                std::string portPath);
  // The maps to warp to: the IWAD entry's file found as the port would find it, then the
  // custom files in load order; `MapsFound` follows.
  void FindMaps(std::string iwadFile, std::string portPath, std::vector<std::string> customFiles);

  // What is known of a file so far; nothing until its description has arrived.
  std::optional<wad::FileDescription> DescriptionOf(const std::string& path) const;
  std::optional<wad::FileDescription> IwadDescriptionOf(const std::string& iwadFile) const;
  const std::vector<wad::MapChoice>& Maps() const { return maps_; }

 signals:
  void Described();
  void MapsFound();

 private:
  QThread thread_;
  QObject* worker_ = nullptr;  // lives on thread_
  std::shared_ptr<wad::WadCache> cache_;
  wad::WadSearchPlaces places_;
  std::shared_ptr<std::atomic<unsigned>> latestDescribe_;
  std::shared_ptr<std::atomic<unsigned>> latestMaps_;
  using Descriptions = std::unordered_map<std::string, wad::FileDescription>;
  Descriptions descriptions_;
  Descriptions iwadDescriptions_;
  std::vector<wad::MapChoice> maps_;
};

// A list item's data for a file, whichever storage holds the list: the description as its
// tooltip, followed by `hint` on a line of its own, and a warning icon when it is broken.
// An invalid value for other roles, and while nothing is known yet.
QVariant FileItemData(const std::optional<wad::FileDescription>& description, int role,
                      const QString& hint = {});

// The maps offered as completions: each completes to its name ("MAP07") and shows the file
// that supplies it.
class MapChoiceModel : public QAbstractListModel {
  Q_OBJECT

 public:
  using QAbstractListModel::QAbstractListModel;
  void SetChoices(std::vector<wad::MapChoice> choices);
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  std::vector<wad::MapChoice> choices_;
};

}  // namespace quillon
