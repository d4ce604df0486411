#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/files/PrivateFolders.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

constexpr fs::perms kPrivate = fs::perms::owner_all;
constexpr fs::perms kShared = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec;

struct FolderCase {
  const char* name;
  std::vector<std::string> existing;  // folders made first, 0755
  std::string fileInTheWay;           // a plain file made first
  std::string create;
  bool created;
  std::vector<std::pair<std::string, fs::perms>> modes;
  friend void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.name; }
};

class PrivateFolders : public testing::TestWithParam<FolderCase> {
 protected:
  void SetUp() override {
    std::random_device random;
    do {
      root_ = fs::temp_directory_path() / ("quillon-folders-" + std::to_string(random()));
    } while (!fs::create_directory(root_));
  }
  void TearDown() override { fs::remove_all(root_); }
  fs::path root_;
};

// Even with no umask to narrow them, the folders made are the user's alone.
TEST_P(PrivateFolders, AreMadeForTheUserAlone) {
  const FolderCase& c = GetParam();
  for (const std::string& folder : c.existing) {
    fs::create_directory(root_ / folder);
    fs::permissions(root_ / folder, kShared);
  }
  if (!c.fileInTheWay.empty()) std::ofstream(root_ / c.fileInTheWay) << "x";
  const mode_t umask = ::umask(0);
  const bool created = CreatePrivateFolders((root_ / c.create).string());
  ::umask(umask);
  EXPECT_EQ(created, c.created);
  for (const auto& [folder, mode] : c.modes) {
    EXPECT_EQ(fs::status(root_ / folder).permissions(), mode) << folder;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, PrivateFolders,
    testing::Values(FolderCase{"NoneThere",
                               {},
                               "",
                               ".config/quillon",
                               true,
                               {{".config", kPrivate}, {".config/quillon", kPrivate}}},
                    FolderCase{"ParentThere",
                               {".local"},
                               "",
                               ".local/state/quillon/logs",
                               true,
                               {{".local", kShared},
                                {".local/state", kPrivate},
                                {".local/state/quillon/logs", kPrivate}}},
                    FolderCase{"AllThere",
                               {".config", ".config/quillon"},
                               "",
                               ".config/quillon",
                               true,
                               {{".config/quillon", kShared}}},
                    FolderCase{"TrailingSlash", {}, "", "quillon/", true, {{"quillon", kPrivate}}},
                    FolderCase{"FileInTheWay", {}, ".config", ".config/quillon", false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillon
