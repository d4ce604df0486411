#pragma once

#include <QAbstractListModel>
#include <QObject>
#include <QThread>
#include <QTimer>
#include <QVariant>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/wad/IwadLookup.h"
#include "core/wad/MapMerge.h"
#include "core/wad/WadCache.h"
#include "core/wad/WadDescription.h"

namespace quillon {

// What the window learns about its WAD files, read on a thread of its own so that choosing
// an IWAD or toggling "Enable" never waits on the disk. A file is described only once a list
// asks for it, which a view does only for the rows it shows: a list of 32 766 files costs the
// handful on screen. Requests asked within one event go to the thread as one batch.
class WadFacts : public QObject {
  Q_OBJECT

 public:
  explicit WadFacts(QObject* parent = nullptr);
  ~WadFacts() override;

  // The files may have changed and IWAD entries are now looked up beside `portPath`: every
  // description known so far becomes stale, and results still on their way are dropped.
  // Stale descriptions are still answered until fresh ones arrive, so marks do not flicker.
  // True when rows have asked before: they must ask again.
  bool Relearn(std::string portPath);
  // The maps to warp to: the IWAD entry's file found as the port would find it, then the
  // custom files in load order (each path ended by a NUL); `MapsFound` follows. A newer
  // request drops an older one.
  void FindMaps(std::string iwadFile, std::string portPath, std::string customFiles);

  // What is known of a custom file (by its full path) or of an IWAD entry's file (found as
  // the port of the last `Relearn` would find it): nothing, or a description that may be
  // stale. Unless it is current, it is asked for, and `Described` follows once it arrives.
  std::optional<wad::FileDescription> DescriptionOf(const std::string& path);
  std::optional<wad::FileDescription> IwadDescriptionOf(const std::string& iwadFile);
  const std::vector<wad::MapChoice>& Maps() const { return maps_; }
  // Whether the file at `path` brings sprites or flats of its own. Read at once (a file read
  // before costs one stat): asked only at a start, of the few files a start loads.
  bool BringsGraphics(const std::string& path) const;
  // The directories read so far, and the IWAD folders, for what a start reads at once.
  wad::WadCache& Cache() const { return *cache_; }
  const IwadPlaces& Places() const { return places_; }
  // Other IWAD folders than the environment's; `Relearn` makes them count.
  void SetPlaces(IwadPlaces places) { places_ = std::move(places); }

  // How many files the thread has described so far, so a test can see that a long list
  // costs only the files asked for.
  std::size_t FilesDescribed() const { return *described_; }

 signals:
  void Described();
  void MapsFound();

 private:
  struct Known {
    wad::FileDescription description;
    unsigned generation = 0;  // of the `Relearn` it belongs to
  };
  // One kind of file: what is known, what has been asked for in this generation and is not
  // known yet, and what of that is still to be sent.
  struct Shelf {
    std::unordered_map<std::string, Known> known;
    std::unordered_set<std::string> asked;
    std::vector<std::string> wanted;
  };
  using Results = std::vector<std::pair<std::string, wad::FileDescription>>;

  std::optional<wad::FileDescription> Lookup(Shelf& shelf, const std::string& key);
  void SendWanted();
  void Take(unsigned generation, Results files, Results iwads);

  QThread thread_;
  QObject* worker_ = nullptr;  // lives on thread_
  QTimer sendTimer_;
  std::shared_ptr<wad::WadCache> cache_;
  IwadPlaces places_;
  std::string portPath_;
  // The generation of the descriptions, advanced by `Relearn`; the thread reads it to give
  // up on a batch that a relearn has overtaken.
  std::shared_ptr<std::atomic<unsigned>> latestDescribe_;
  std::shared_ptr<std::atomic<unsigned>> latestMaps_;
  std::shared_ptr<std::atomic<std::size_t>> described_;
  Shelf files_;
  Shelf iwads_;
  std::vector<wad::MapChoice> maps_;
};

// A list item's data for a file, whichever storage holds the list: the description as its
// tooltip, followed by `hint` on a line of its own, and a warning icon when it is broken.
// An invalid value for other roles, and while nothing is known yet.
QVariant FileItemData(const std::optional<wad::FileDescription>& description, int role,
                      const QString& hint = {});

// The maps offered as completions: each completes to its name ("MAP07") and shows its title,
// where one is known, and the file that supplies it.
class MapChoiceModel : public QAbstractListModel {
  Q_OBJECT

 public:
  using QAbstractListModel::QAbstractListModel;
  void SetChoices(std::vector<wad::MapChoice> choices);
  // The title of each choice, in their order ("" for none).
  void SetTitles(std::vector<std::string> titles);
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  std::vector<wad::MapChoice> choices_;
  std::vector<std::string> titles_;
};

}  // namespace quillon
