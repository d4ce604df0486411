#include "ui/launch/PortLauncher.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <cerrno>
#include <cstring>
#include <vector>

#include "core/files/PathHelpers.h"
#include "core/files/PrivateFolders.h"
#include "core/launch/CommandLine.h"
#include "core/launch/PortLog.h"
#include "core/launch/ProgramLookup.h"
#include "ui/desktop/QtText.h"

extern char** environ;

namespace quillon {

namespace {

constexpr std::string_view kDefaultPath = "/usr/local/bin:/usr/bin:/bin";

FileFacts ProbeFile(const std::string& path) {
  FileFacts facts;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return facts;
  facts.exists = true;
  facts.isDirectory = S_ISDIR(info.st_mode);
  if (facts.isDirectory) return facts;
  facts.executable = ::access(path.c_str(), X_OK) == 0;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd >= 0) {
    char head[4];
    const ssize_t got = ::read(fd, head, sizeof head);
    if (got > 0) facts.head.assign(head, static_cast<std::size_t>(got));
    ::close(fd);
  }
  return facts;
}

// Our working folder as bytes; empty if it cannot be told.
std::string CurrentDir() {
  std::vector<char> buffer(4096);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

// A relative path is taken from our working directory, before the child changes its own.
// Paths stay bytes throughout: the file system knows a file by them, not by their text.
std::string Absolute(const std::string& path) {
  if (path.empty() || path.front() == '/') return path;
  return AbsolutePath(path, CurrentDir());
}

std::string ReasonForErrno(int error) {
  switch (error) {
    case ENOEXEC:
      return std::string(kNotRunnable);
    case EACCES:
      return std::string(kNotExecutable);
    case ENOENT:
      return std::string(kNotFound);
    default:
      return std::strerror(error);
  }
}

// Makes room for one more log and opens a new one, readable by the user alone; -1 when the
// folder cannot be written. Only logs we named are ever removed.
int OpenLog(const LaunchRequest& request, std::string& logPath) {
  const std::string folder = Absolute(request.LogDirectory);
  if (!CreatePrivateFolders(folder)) return -1;
  DIR* listing = ::opendir(folder.c_str());
  if (listing == nullptr) return -1;
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(listing)) names.emplace_back(entry->d_name);
  for (const std::string& old : LogsToRemove(std::move(names), kLogsKept - 1)) {
    ::unlinkat(::dirfd(listing), old.c_str(), 0);
  }
  const long nameMax = ::fpathconf(::dirfd(listing), _PC_NAME_MAX);
  ::closedir(listing);
  const std::size_t limit = nameMax > 0 ? static_cast<std::size_t>(nameMax) : 255;

  const std::string title =
      request.Title.empty() ? Ss(QFileInfo(Qs(request.File)).fileName()) : request.Title;
  const std::string stamp =
      Ss(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")));
  for (int attempt = 1; attempt < 100; ++attempt) {
    const std::string unique = attempt == 1 ? stamp : stamp + '-' + std::to_string(attempt);
    logPath = JoinPath(folder, LogFileName(unique, title, limit));
    const int fd =
        ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// posix_spawn with the child's output on `logFd` (or ours when -1), no input, in `dir`,
// in a session of its own and with every signal as a fresh program expects it.
int Spawn(pid_t& pid, const std::string& program, const std::vector<std::string>& arguments,
          const std::string& dir, int logFd) {
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 2);
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  if (logFd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, logFd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, logFd, STDERR_FILENO);
  }
  if (!dir.empty()) posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());

  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  sigset_t all;
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  const int error = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return error;
}

}  // namespace

PortLauncher::PortLauncher(QObject* parent) : QObject(parent) {}

PortLauncher::~PortLauncher() {
  // The programs keep running; we only stop listening. Those that have already ended are
  // reaped now, without waiting; the others are left to init once we are gone.
  for (auto& [pid, child] : children_) {
    delete child->notifier;
    if (child->pidfd >= 0) ::close(child->pidfd);
    ::waitpid(pid, nullptr, WNOHANG);
  }
}

ResolvedProgram ResolveLaunch(const LaunchRequest& request) {
  const char* pathVar = std::getenv("PATH");
  // A bare name is a file here first, as for any shell-less start, and else looked up.
  const FileFacts local = ProbeFile(request.File);
  const bool here =
      request.File.find('/') != std::string::npos || (local.exists && !local.isDirectory);
  const std::string file = here ? Absolute(request.File) : request.File;
  return ResolveProgram(
      file, request.Arguments ? *request.Arguments : SplitParameters(request.Parameters),
      Absolute(request.Directory), pathVar ? pathVar : kDefaultPath, ProbeFile, CurrentDir());
}

LaunchResult PortLauncher::Start(QWidget* owner, const LaunchRequest& request) {
  ResolvedProgram resolved = ResolveLaunch(request);
  if (!resolved.failure.empty()) return {resolved.failure};

  auto child = std::make_unique<Child>();
  child->end.owner = owner;
  child->end.title =
      Qs(request.Title.empty() ? Ss(QFileInfo(Qs(request.File)).fileName()) : request.Title);
  child->end.findings = Qs(request.Findings);
  child->end.watched = !request.LogDirectory.empty();
  int logFd = -1;
  std::string logPath;
  if (child->end.watched) {
    logFd = OpenLog(request, logPath);
    if (logFd >= 0) {
      child->end.logPath = QFile::decodeName(QByteArray::fromStdString(logPath));
      const std::string header =
          "$ " + ShellCommandLine(resolved.directory, resolved.program, resolved.arguments) +
          "\n\n";
      if (WriteAll(logFd, header)) child->end.logStart = static_cast<qint64>(header.size());
    }
  }

  pid_t pid = 0;
  const int error = Spawn(pid, resolved.program, resolved.arguments, resolved.directory, logFd);
  if (logFd >= 0) ::close(logFd);
  if (error != 0) {
    if (logFd >= 0) ::unlink(logPath.c_str());
    return {ReasonForErrno(error)};
  }
  child->end.pid = pid;
  child->clock.start();
  Watch(std::move(child));
  return {{}, pid};
}

void PortLauncher::Watch(std::unique_ptr<Child> child) {
  const pid_t pid = child->end.pid;
#ifdef SYS_pidfd_open
  child->pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#endif
  if (child->pidfd >= 0) {
    ::fcntl(child->pidfd, F_SETFD, FD_CLOEXEC);
    child->notifier = new QSocketNotifier(child->pidfd, QSocketNotifier::Read, this);
    connect(child->notifier, &QSocketNotifier::activated, this, [this, pid] { Reap(pid); });
  } else {
    child->poll = new QTimer(this);
    connect(child->poll, &QTimer::timeout, this, [this, pid] { Reap(pid); });
    child->poll->start(1000);
  }
  children_[pid] = std::move(child);
}

void PortLauncher::Reap(pid_t pid) {
  const auto found = children_.find(pid);
  if (found == children_.end()) return;
  int status = 0;
  pid_t done = 0;
  do {
    done = ::waitpid(pid, &status, WNOHANG);
  } while (done < 0 && errno == EINTR);
  if (done == 0) return;  // still running

  std::unique_ptr<Child> child = std::move(found->second);
  children_.erase(found);
  if (child->notifier) {
    child->notifier->setEnabled(false);
    child->notifier->deleteLater();
  }
  if (child->poll) child->poll->deleteLater();
  if (child->pidfd >= 0) ::close(child->pidfd);

  PortEnd end = child->end;
  end.ranMs = child->clock.elapsed();
  if (done > 0 && WIFSIGNALED(status)) {
    end.bySignal = true;
    end.code = WTERMSIG(status);
  } else if (done > 0) {
    end.code = WEXITSTATUS(status);
  }
  emit Ended(end);
  for (const auto& ended : child->whenEnded) ended(end);
}

void PortLauncher::WhenEnded(std::int64_t pid, std::function<void(const PortEnd&)> ended) {
  const auto found = children_.find(static_cast<pid_t>(pid));
  if (found == children_.end()) {
    ended(PortEnd{});
    return;
  }
  found->second->whenEnded.push_back(std::move(ended));
}

void PortLauncher::End(std::int64_t pid, bool quiet, int graceMs) {
  const auto found = children_.find(static_cast<pid_t>(pid));
  if (found == children_.end()) return;
  found->second->end.quiet = found->second->end.quiet || quiet;
  const auto child = static_cast<pid_t>(pid);
  ::kill(child, SIGTERM);
  // The pid stays ours until it is reaped, so the kill cannot reach another process.
  QTimer::singleShot(graceMs, this, [this, child] {
    if (children_.contains(child)) ::kill(child, SIGKILL);
  });
}

}  // namespace quillon
