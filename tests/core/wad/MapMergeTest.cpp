#include <gtest/gtest.h>

#include <filesystem>
#include <new>

#include "core/wad/MapMerge.h"
#include "core/wad/WadCache.h"
#include "support/WadWriter.h"

namespace quillon::wad {
namespace {

using test::DoomMap;
using test::Join;
using test::MakeWad;
using test::UdmfMap;

std::vector<MapInfo> Maps(std::initializer_list<const char*> names) {
  std::vector<MapInfo> maps;
  for (const char* name : names) maps.push_back({name, MapFormat::kDoom});
  return maps;
}

TEST(MapMerge, EachMapOnceFromTheLastFileInMapOrder) {
  const std::vector<MapChoice> merged = MergeMaps({
      {"doom2.wad", Maps({"MAP01", "MAP02", "MAP03"})},
      {"first.wad", Maps({"MAP33", "MAP02"})},
      {"empty.wad", {}},
      {"second.wad", Maps({"MAP02", "E1M1"})},
  });
  EXPECT_EQ(merged, (std::vector<MapChoice>{{"E1M1", "second.wad"},
                                            {"MAP01", "doom2.wad"},
                                            {"MAP02", "second.wad"},
                                            {"MAP03", "doom2.wad"},
                                            {"MAP33", "first.wad"}}));
  EXPECT_TRUE(MergeMaps({}).empty());
}

TEST(MapMerge, CollectsFromFilesOnDiskSkippingBrokenOnes) {
  test::ScratchFolder folder;
  const std::string iwad = folder.File("iwad.wad");
  const std::string pwad = folder.File("room.wad");
  const std::string broken = folder.File("broken.wad");
  const std::string patch = folder.File("fix.deh");
  test::WriteBytes(iwad, MakeWad("IWAD", Join({DoomMap("MAP01"), DoomMap("MAP02")})));
  test::WriteBytes(pwad, MakeWad("PWAD", UdmfMap("MAP02")));
  test::WriteBytes(broken, test::MakeHeader("PWAD", 1000, 12));
  test::WriteBytes(patch, "Patch File for DeHackEd v3.0\n");

  WadCache cache;
  EXPECT_EQ(CollectMaps({iwad, broken, pwad, patch, folder.File("gone.wad")}, cache),
            (std::vector<MapChoice>{{"MAP01", iwad}, {"MAP02", pwad}}));
}

// A cache whose disk is scripted: the stamp each path has, and a count of stats and reads.
struct ScriptedDisk {
  std::map<std::string, WadStamp> stamps;
  int stats = 0;
  int reads = 0;
  std::string throwOn;  // a path whose read throws, as a failed allocation does
  WadCache Cache() {
    return WadCache(
        [this](const std::string& path) {
          ++stats;
          const auto found = stamps.find(path);
          return found == stamps.end() ? WadStamp{} : found->second;
        },
        [this](const std::string& path) {
          ++reads;
          if (path == throwOn) throw std::bad_alloc();
          WadReadResult result;
          result.status = WadStatus::kOk;
          result.directory.maps = Maps({"MAP01"});
          return result;
        });
  }
};

TEST(WadCache, UnchangedFileCostsOneStat) {
  ScriptedDisk disk;
  disk.stamps["/a.wad"] = {true, 100, 5};
  WadCache cache = disk.Cache();
  const auto first = cache.Read("/a.wad");
  const auto second = cache.Read("/a.wad");
  EXPECT_EQ(first, second);
  EXPECT_EQ(disk.stats, 2);
  EXPECT_EQ(disk.reads, 1);
}

TEST(WadCache, ReadsAgainWhenSizeOrTimeChanges) {
  ScriptedDisk disk;
  disk.stamps["/a.wad"] = {true, 100, 5};
  WadCache cache = disk.Cache();
  cache.Read("/a.wad");
  disk.stamps["/a.wad"].size = 116;
  cache.Read("/a.wad");
  EXPECT_EQ(disk.reads, 2);
  disk.stamps["/a.wad"].mtimeNs = 6;
  cache.Read("/a.wad");
  EXPECT_EQ(disk.reads, 3);
  disk.stamps["/b.wad"] = {true, 100, 5};
  cache.Read("/b.wad");  // another path is another entry
  EXPECT_EQ(cache.Size(), 2u);
}

TEST(WadCache, MissingFileIsNotOpenedAndIsReadOnceItAppears) {
  ScriptedDisk disk;
  WadCache cache = disk.Cache();
  EXPECT_EQ(cache.Read("/new.wad")->status, WadStatus::kFileNotFound);
  EXPECT_EQ(disk.reads, 0);
  disk.stamps["/new.wad"] = {true, 12, 1};
  EXPECT_TRUE(cache.Read("/new.wad")->Ok());
  EXPECT_EQ(disk.reads, 1);
}

// A miss costs one stat either way, so a list of missing files must not fill the cache; a
// file that comes, goes and comes back is read each time it is there.
TEST(WadCache, KeepsNoEntryForAMissingFile) {
  ScriptedDisk disk;
  WadCache cache = disk.Cache();
  cache.Read("/gone.wad");
  cache.Read("/gone.wad");
  EXPECT_EQ(cache.Size(), 0u);
  EXPECT_EQ(disk.stats, 2);
  disk.stamps["/gone.wad"] = {true, 12, 1};
  EXPECT_TRUE(cache.Read("/gone.wad")->Ok());
  EXPECT_EQ(cache.Size(), 1u);
  disk.stamps.erase("/gone.wad");
  EXPECT_EQ(cache.Read("/gone.wad")->status, WadStatus::kFileNotFound);
  EXPECT_EQ(cache.Size(), 0u);
  disk.stamps["/gone.wad"] = {true, 12, 1};
  EXPECT_TRUE(cache.Read("/gone.wad")->Ok());
  EXPECT_EQ(disk.reads, 2);
}

// On the window's worker an exception would end the program.
TEST(WadCache, ReadThatThrowsIsUnreadableAndNotKept) {
  ScriptedDisk disk;
  disk.stamps["/a.wad"] = {true, 100, 5};
  disk.throwOn = "/a.wad";
  WadCache cache = disk.Cache();
  EXPECT_EQ(cache.Read("/a.wad")->status, WadStatus::kUnreadable);
  EXPECT_EQ(cache.Size(), 0u);  // tried again next time
}

TEST(WadCache, SeesARealFileReplaced) {
  test::ScratchFolder folder;
  const std::string path = folder.File("a.wad");
  test::WriteBytes(path, MakeWad("PWAD", DoomMap("MAP01")));
  WadCache cache;
  EXPECT_EQ(cache.Read(path)->directory.maps.size(), 1u);
  const auto before = std::filesystem::last_write_time(path);
  test::WriteBytes(path, MakeWad("PWAD", Join({DoomMap("MAP01"), DoomMap("MAP02")})));
  std::filesystem::last_write_time(path, before + std::chrono::seconds(1));
  EXPECT_EQ(cache.Read(path)->directory.maps.size(), 2u);
  std::filesystem::remove(path);
  EXPECT_EQ(cache.Read(path)->status, WadStatus::kFileNotFound);
}

}  // namespace
}  // namespace quillon::wad
