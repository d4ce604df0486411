#pragma once

// The fixture the settings tests share: a fresh folder per test, files in it, and a child
// process for tests that change limits or drop root's privileges.

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/settings/IniCache.h"
#include "core/settings/ReadWrite.h"

namespace quillon::test {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

inline constexpr uid_t kNobody = 65534;

inline std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A fresh directory per test; every test leaves the shared cache clean for the next.
class IniTest : public testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    do {
      dir_ = fs::temp_directory_path() / ("quillon-settings-" + std::to_string(random()));
    } while (!fs::create_directory(dir_));
  }

  void TearDown() override {
    IniCache::SetFlushRequester(nullptr);
    EXPECT_TRUE(IniCache::FlushAll());
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }

  fs::path File(const std::string& name = "QLN2.ini") const { return dir_ / name; }

  static std::unique_ptr<ReadWrite> Open(const fs::path& path) {
    auto ini = std::make_unique<ReadWrite>();
    ini->SetFileName(path.string());
    return ini;
  }

  // False when the directory still takes new files, as it does for root.
  bool MakeReadOnly() const {
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    if (!std::ofstream(File("probe"))) return true;
    fs::remove(File("probe"));
    return false;
  }

  enum class Privileges { Keep, Drop };

  // Runs the body in a child process, so limits it sets stay there. Root passes every
  // permission check, so with Drop a root child first becomes "nobody", owning the folder.
  void InChild(Privileges privileges, const std::function<void()>& body) const {
    constexpr int kCannotDropRoot = 3;
    std::fflush(stdout);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      if (privileges == Privileges::Drop && ::geteuid() == 0) {
        for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
          if (::chown(entry.path().c_str(), kNobody, kNobody) != 0) ::_exit(kCannotDropRoot);
        }
        if (::chown(dir_.c_str(), kNobody, kNobody) != 0 || ::setgroups(0, nullptr) != 0 ||
            ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
          ::_exit(kCannotDropRoot);
        }
      }
      try {
        body();
      } catch (const std::exception& error) {
        // Caught here, or the child's own test runner would go on with the other tests.
        ADD_FAILURE() << "the child threw: " << error.what();
      }
      std::fflush(stdout);  // the child's failures are printed there
      ::_exit(testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "the child died";
    if (WEXITSTATUS(status) == kCannotDropRoot) {
      GTEST_SKIP() << "root cannot become an ordinary user here";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the child's expectations failed (see above)";
  }

  Names Listing() const {
    Names names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  fs::path dir_;
};

}  // namespace quillon::test
