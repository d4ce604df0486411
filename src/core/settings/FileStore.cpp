#include "core/settings/FileStore.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <system_error>
#include <vector>

#include "core/settings/LargeBuffers.h"

#ifdef _WIN32
#include <fstream>
#include <iterator>
#else
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#endif

namespace quillon::filestore {

bool SameFile(const FileStamp& a, const FileStamp& b) {
  using State = FileStamp::State;
  if (a.state == State::Unknown || b.state == State::Unknown || a.state != b.state) return false;
  if (a.state == State::Missing) return true;
  return a.size == b.size && a.mtimeNs == b.mtimeNs && a.ctimeNs == b.ctimeNs &&
         a.inode == b.inode && a.device == b.device;
}

namespace {

// Temporary files are named after the program, not after the file they replace: a user's
// ".QLN2.ini.backup" must never look like one, and a target whose name is as long as the
// file system allows must still get one.
constexpr std::string_view kTempPrefix = ".quillon-";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr std::string_view kTempChars = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kTempRandomChars = 8;
// POSIX promises names of at least 14 bytes, which leaves one random character.
constexpr std::size_t kShortestNameLimit = 14;

// Hidden, beside the target (a rename only stays atomic within one file system), and
// unique enough that two writers never pick the same name; as long as the folder allows.
std::filesystem::path TempPathIn(const std::filesystem::path& directory, std::size_t nameLimit) {
  static std::mt19937_64 engine = [] {
    std::uint64_t seed =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    try {
      seed ^= std::random_device{}();
    } catch (...) {
      // The clock alone will do.
    }
    return std::mt19937_64{seed};
  }();
  const std::size_t fixed = kTempPrefix.size() + kTempSuffix.size();
  const std::size_t randomChars =
      std::min(kTempRandomChars, std::max(nameLimit, kShortestNameLimit) - fixed);
  std::string name(kTempPrefix);
  for (std::size_t i = 0; i < randomChars; ++i) name += kTempChars[engine() % kTempChars.size()];
  name += kTempSuffix;
  return directory / name;
}

}  // namespace

#ifdef _WIN32

FileStamp Stat(const std::filesystem::path& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  FileStamp stamp;
  if (status.type() == std::filesystem::file_type::not_found) {
    stamp.state = FileStamp::State::Missing;
    return stamp;
  }
  if (error || status.type() != std::filesystem::file_type::regular) return stamp;
  const auto size = std::filesystem::file_size(path, error);
  if (error) return stamp;
  const auto time = std::filesystem::last_write_time(path, error);
  if (error) return stamp;
  stamp.state = FileStamp::State::Present;
  stamp.size = size;
  stamp.mtimeNs =
      std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
  return stamp;
}

ReadResult ReadFile(const std::filesystem::path& path) {
  ReadResult result;
  result.stamp = Stat(path);
  if (result.stamp.state == FileStamp::State::Missing) {
    result.status = ReadResult::Status::Missing;
    return result;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return result;
  result.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    result.bytes.clear();
    return result;
  }
  result.status = ReadResult::Status::Ok;
  return result;
}

std::optional<FileStamp> WriteAtomically(const std::filesystem::path& path,
                                         std::span<const std::string_view> pieces) {
  std::string bytes;
  for (const std::string_view piece : pieces) bytes += piece;
  return WriteAtomically(path, std::string_view(bytes));
}

std::optional<FileStamp> WriteAtomically(const std::filesystem::path& path,
                                         std::string_view bytes) {
  std::error_code error;
  std::filesystem::path temp;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = TempPathIn(path.parent_path(), 255);
    if (!std::filesystem::exists(temp, error)) break;
  }
  bool ok = false;
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (out) {
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      out.flush();
      ok = static_cast<bool>(out);
    }
  }
  if (ok) {
    const auto old = std::filesystem::status(path, error);
    if (!error && old.type() == std::filesystem::file_type::regular) {
      std::filesystem::permissions(temp, old.permissions(), error);
    }
    std::filesystem::rename(temp, path, error);
    ok = !error;
  }
  if (!ok) {
    std::filesystem::remove(temp, error);
    return std::nullopt;
  }
  return Stat(path);
}

#else

namespace {

std::int64_t Nanoseconds(const timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

FileStamp StampOf(const struct stat& info) {
  FileStamp stamp;
  stamp.state = FileStamp::State::Present;
  stamp.size = static_cast<std::uint64_t>(info.st_size);
  stamp.mtimeNs = Nanoseconds(info.st_mtim);
  stamp.ctimeNs = Nanoseconds(info.st_ctim);
  stamp.inode = static_cast<std::uint64_t>(info.st_ino);
  stamp.device = static_cast<std::uint64_t>(info.st_dev);
  return stamp;
}

bool IsMissing(int error) {
  return error == ENOENT || error == ENOTDIR;
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // close() reports delayed write errors (NFS, quotas), so a writer must look at it.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = ::open(path, flags, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// The bytes whole, however many calls the kernel takes for them.
bool WriteFully(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// Every piece in order. A renumbered file is a quarter of a million short pieces: copied
// into one buffer they cost the kernel half what as many iovecs cost (11 MB: 4.8 against
// 9.7 ms). Long pieces go out as they are.
bool WriteAll(int fd, std::span<const std::string_view> pieces) {
  constexpr std::size_t kGathered = std::size_t{1} << 20;
  std::string buffer;
  const auto flush = [&] {
    const bool ok = WriteFully(fd, buffer);
    buffer.clear();
    return ok;
  };
  for (const std::string_view piece : pieces) {
    if (piece.size() >= kGathered / 4) {
      if (!flush() || !WriteFully(fd, piece)) return false;
      continue;
    }
    if (buffer.size() + piece.size() > kGathered && !flush()) return false;
    if (buffer.capacity() < kGathered) buffer.reserve(kGathered);
    buffer.append(piece);
  }
  return flush();
}

std::size_t TotalSize(std::span<const std::string_view> pieces) {
  std::size_t total = 0;
  for (const std::string_view piece : pieces) total += piece.size();
  return total;
}

// Makes the rename itself durable. Some file systems refuse fsync on a directory;
// the data is safe either way, so failures are ignored.
void SyncDirectory(const std::filesystem::path& directory) {
  const int fd = OpenRetrying(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// True for a name TempPathIn gives: the prefix, one to eight of kTempChars, the suffix.
bool IsTempName(std::string_view name) {
  if (!name.starts_with(kTempPrefix) || !name.ends_with(kTempSuffix)) return false;
  if (name.size() < kTempPrefix.size() + kTempSuffix.size()) return false;
  const std::string_view middle =
      name.substr(kTempPrefix.size(), name.size() - kTempPrefix.size() - kTempSuffix.size());
  return !middle.empty() && middle.size() <= kTempRandomChars &&
         middle.find_first_not_of(kTempChars) == std::string_view::npos;
}

// A crash between creating a temporary file and renaming it leaves the copy behind. One
// that has not changed for ten minutes belongs to no write still running; other people's
// files and anything not named exactly as ours stay.
void RemoveStaleTempFiles(const std::filesystem::path& directory) {
  constexpr std::time_t kStaleAfterSeconds = 10 * 60;
  DIR* listing = ::opendir(directory.c_str());
  if (!listing) return;
  const std::time_t now = std::time(nullptr);
  while (const dirent* entry = ::readdir(listing)) {
    if (!IsTempName(entry->d_name)) continue;
    struct stat info;
    if (::fstatat(::dirfd(listing), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) continue;
    if (now - info.st_mtime < kStaleAfterSeconds) continue;
    ::unlinkat(::dirfd(listing), entry->d_name, 0);
  }
  ::closedir(listing);
}

// The longest file name the folder's file system takes.
std::size_t NameLimit(const std::filesystem::path& directory) {
  const long limit = ::pathconf(directory.c_str(), _PC_NAME_MAX);
  return limit < 0 ? 255 : static_cast<std::size_t>(limit);  // -1: no limit, or no folder
}

// Where a write through a symbolic link must go: the file at the end of the links, also
// when the last one names nothing yet, so that the links stay. A relative link counts from
// its own folder. nullopt with ELOOP for links that never end.
std::optional<std::filesystem::path> FollowLinks(std::filesystem::path path) {
  constexpr int kMostLinks = 40;  // as the kernel allows
  for (int hop = 0; hop < kMostLinks; ++hop) {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::error_code error;
    const std::filesystem::path text = std::filesystem::read_symlink(path, error);
    if (error) return path;  // the write then fails on the path itself, with its reason
    path = text.is_absolute() ? text : path.parent_path() / text;
  }
  errno = ELOOP;
  return std::nullopt;
}

// For a file whose folder takes no new files: overwrite it where it stands. Not crash-safe
// (a crash part way leaves a mix of old and new), but the change is not lost. Room is
// reserved first, so a full disk fails before the old text is touched.
bool WriteInPlace(const std::filesystem::path& target, std::span<const std::string_view> bytes,
                  off_t oldSize) {
  Descriptor file(OpenRetrying(target.c_str(), O_WRONLY | O_CLOEXEC));
  if (file.get() < 0) return false;
  const auto newSize = static_cast<off_t>(TotalSize(bytes));
  if (newSize > oldSize) {
    const int error = ::posix_fallocate(file.get(), 0, newSize);
    if (error != 0 && error != EOPNOTSUPP && error != EINVAL) {
      if (::ftruncate(file.get(), oldSize) != 0) {
        // Only the reserved tail could remain, which the next write trims.
      }
      errno = error;
      return false;
    }
  }
  bool ok = WriteAll(file.get(), bytes);
  ok = ok && ::ftruncate(file.get(), newSize) == 0;
  ok = ok && ::fsync(file.get()) == 0;
  return file.Close() && ok;
}

}  // namespace

FileStamp Stat(const std::filesystem::path& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) == 0) return StampOf(info);
  FileStamp stamp;
  if (IsMissing(errno)) stamp.state = FileStamp::State::Missing;
  return stamp;
}

ReadResult ReadFile(const std::filesystem::path& path) {
  ReadResult result;
  // Without O_NONBLOCK, opening a FIFO named as the file would wait for a writer forever.
  Descriptor file(OpenRetrying(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (file.get() < 0) {
    if (IsMissing(errno)) {
      result.status = ReadResult::Status::Missing;
      result.stamp.state = FileStamp::State::Missing;
    }
    return result;
  }
  struct stat info;
  // Only regular files: a FIFO or a device named as the INI file would block or never end.
  if (::fstat(file.get(), &info) != 0) return result;
  if (!S_ISREG(info.st_mode)) {
    errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    return result;
  }

  // Read straight into the result; the spare byte lets the last read see EOF without a resize.
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(info.st_size) + 1);
  Prefault(bytes.data(), bytes.capacity());
  bytes.resize(static_cast<std::size_t>(info.st_size) + 1);
  std::size_t used = 0;
  for (;;) {
    if (used == bytes.size()) bytes.resize(bytes.size() * 2);
    const ssize_t got = ::read(file.get(), bytes.data() + used, bytes.size() - used);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      return result;
    }
    used += static_cast<std::size_t>(got);
  }
  bytes.resize(used);
  result.status = ReadResult::Status::Ok;
  result.bytes = std::move(bytes);
  result.stamp = StampOf(info);
  return result;
}

std::optional<FileStamp> WriteAtomically(const std::filesystem::path& path,
                                         std::string_view bytes) {
  return WriteAtomically(path, std::span<const std::string_view>(&bytes, 1));
}

std::optional<FileStamp> WriteAtomically(const std::filesystem::path& path,
                                         std::span<const std::string_view> bytes) {
  // Through a symbolic link, replace the file it names rather than the link itself.
  const std::optional<std::filesystem::path> followed = FollowLinks(path);
  if (!followed) return std::nullopt;
  const std::filesystem::path& target = *followed;
  const std::filesystem::path parent = target.parent_path();
  const std::filesystem::path directory = parent.empty() ? std::filesystem::path(".") : parent;
  struct stat old;
  const bool hadOld = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  // The rename would get past a file's read-only mode; honour it as an in-place write would.
  if (hadOld && ::access(target.c_str(), W_OK) != 0) return std::nullopt;
  // The folder refuses new files, or will not let ours replace the file: the file itself
  // may still take writes.
  const auto inPlace = [&]() -> std::optional<FileStamp> {
    if (!hadOld || !WriteInPlace(target, bytes, old.st_size)) return std::nullopt;
    return Stat(path);
  };

  // The user's alone until it takes the old file's mode; a new file stays so.
  const std::size_t nameLimit = NameLimit(directory);
  std::filesystem::path temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = TempPathIn(directory, nameLimit);
    fd = OpenRetrying(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) return inPlace();
  }
  if (fd < 0) return std::nullopt;
  Descriptor file(fd);

  bool ok = WriteAll(file.get(), bytes);
  if (ok && hadOld) {
    // Keep the old file's owner (when we may) and mode; chown first, as it clears set-id bits.
    struct stat mine;
    if (::fstat(file.get(), &mine) == 0 &&
        (mine.st_uid != old.st_uid || mine.st_gid != old.st_gid)) {
      if (::fchown(file.get(), old.st_uid, old.st_gid) != 0) {
        // Only root may give a file away; otherwise it stays ours, which is fine.
      }
    }
    if (::fchmod(file.get(), old.st_mode & 07777) != 0) {
      // Best effort: some file systems have no modes to set.
    }
  }
  ok = ok && ::fsync(file.get()) == 0;
  ok = file.Close() && ok;
  const bool written = ok;
  ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    const int error = errno;  // the reason, for the caller to tell
    ::unlink(temp.c_str());
    // A sticky folder refuses to let our file replace another user's (EPERM), and a file
    // mounted on its own cannot be replaced at all (EBUSY).
    errno = error;
    if (written && (error == EPERM || error == EACCES || error == EBUSY)) return inPlace();
    return std::nullopt;
  }
  SyncDirectory(directory);
  RemoveStaleTempFiles(directory);
  return Stat(path);
}

#endif

}  // namespace quillon::filestore
