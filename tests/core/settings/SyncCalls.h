#pragma once

#include <filesystem>
#include <functional>
#include <vector>

namespace quillon::test {

// One call that decides what survives a power cut: an fsync (path: the file or folder the
// descriptor names at that moment) or a rename (path to to).
struct SyncCall {
  enum class Kind { Fsync, Rename };
  Kind kind;
  std::filesystem::path path;
  std::filesystem::path to;
};

// The fsync and rename calls the body makes, in order. The linker routes them here
// (-Wl,--wrap), so the code under test runs unchanged, in this process.
std::vector<SyncCall> RecordSyncCalls(const std::function<void()>& body);

// While one lives, every rename fails with this errno, as a sticky shared folder or a
// bind-mounted file refuses it, without needing a second user.
class RefuseRenames {
 public:
  explicit RefuseRenames(int error);
  ~RefuseRenames();
  RefuseRenames(const RefuseRenames&) = delete;
  RefuseRenames& operator=(const RefuseRenames&) = delete;
};

}  // namespace quillon::test
