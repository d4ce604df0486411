#include "SyncCalls.h"

#include <cerrno>
#include <string>
#include <system_error>

extern "C" int __real_fsync(int fd);
extern "C" int __real_rename(const char* from, const char* to);

namespace quillon::test {
namespace {
std::vector<SyncCall>* recording = nullptr;
int renameError = 0;
}  // namespace

RefuseRenames::RefuseRenames(int error) {
  renameError = error;
}
RefuseRenames::~RefuseRenames() {
  renameError = 0;
}

std::vector<SyncCall> RecordSyncCalls(const std::function<void()>& body) {
  std::vector<SyncCall> calls;
  struct Stop {
    ~Stop() { recording = nullptr; }
  } stop;
  recording = &calls;
  body();
  return calls;
}

}  // namespace quillon::test

using quillon::test::recording;
using quillon::test::renameError;
using quillon::test::SyncCall;

extern "C" int __wrap_fsync(int fd) {
  if (recording) {
    std::error_code error;
    recording->push_back(
        {SyncCall::Kind::Fsync,
         std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), error),
         {}});
  }
  return __real_fsync(fd);
}

extern "C" int __wrap_rename(const char* from, const char* to) {
  if (recording) {
    std::error_code error;
    recording->push_back({SyncCall::Kind::Rename, std::filesystem::absolute(from, error),
                          std::filesystem::absolute(to, error)});
  }
  if (renameError != 0) {
    errno = renameError;
    return -1;
  }
  return __real_rename(from, to);
}
