#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "core/files/PrivateFolders.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

constexpr fs::perms kPrivate = fs::perms::owner_all;
constexpr fs::perms kShared = kPrivate | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec;

struct FolderCase {
  const char* name;
  std::string existing;  // a folder made first, 0755
  std::string file;      // a plain file made first
  std::string create;
  bool created;
  std::vector<std::pair<std::string, fs::perms>> modes;
  friend void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.name; }
};

class PrivateFolders : public testing::TestWithParam<FolderCase> {};

// Even with no umask to narrow them, the folders made are the user's alone; those that
// were there keep their mode.
TEST_P(PrivateFolders, AreMadeForTheUserAlone) {
  const FolderCase& c = GetParam();
  const fs::path root =
      fs::temp_directory_path() / ("quillon-folders-" + std::to_string(::getpid()));
  fs::remove_all(root);
  fs::create_directories(root / c.existing);
  for (fs::path up = root / c.existing; up != root; up = up.parent_path())
    fs::permissions(up, kShared);
  if (!c.file.empty()) std::ofstream(root / c.file) << "x";
  const mode_t umask = ::umask(0);
  EXPECT_EQ(CreatePrivateFolders((root / c.create).string()), c.created);
  ::umask(umask);
  for (const auto& [folder, mode] : c.modes) {
    EXPECT_EQ(fs::status(root / folder).permissions(), mode) << folder;
  }
  fs::remove_all(root);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PrivateFolders,
    testing::Values(FolderCase{"NoneThere",
                               "",
                               "",
                               ".config/quillon",
                               true,
                               {{".config", kPrivate}, {".config/quillon", kPrivate}}},
                    FolderCase{"ParentThere",
                               ".local",
                               "",
                               ".local/state/quillon/logs/",
                               true,
                               {{".local", kShared},
                                {".local/state", kPrivate},
                                {".local/state/quillon/logs", kPrivate}}},
                    FolderCase{"AllThere",
                               ".config/quillon",
                               "",
                               ".config/quillon",
                               true,
                               {{".config", kShared}, {".config/quillon", kShared}}},
                    FolderCase{"FileInTheWay", "", ".config", ".config/quillon", false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillon
