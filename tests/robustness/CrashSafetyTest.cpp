#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "core/settings/ConfigLayout.h"
#include "core/settings/IniCache.h"
#include "core/settings/NumberConversion.h"
#include "core/settings/ReadWrite.h"
#include "robustness/EditBatches.h"

namespace quillon::robustness {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kSeed = 20240607;
constexpr int kBatches = 300;
constexpr int kKills = 240;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The file's lines with their own line ends, split as the engine splits them.
std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))) {
      lines.push_back(bytes.substr(start, i + 1 - start));
      start = i + 1;
    }
  }
  if (start < bytes.size()) lines.push_back(bytes.substr(start));
  return lines;
}

// Every line nobody owns is still there, byte for byte and in order.
bool KeepsUnownedLines(const std::string& bytes) {
  const std::vector<std::string> lines = Lines(bytes);
  auto at = lines.begin();
  for (const std::string& wanted : UnownedLines()) {
    at = std::find(at, lines.end(), wanted);
    if (at == lines.end()) return false;
    ++at;
  }
  return true;
}

class TempFolder {
 public:
  TempFolder() {
    std::random_device random;
    do {
      path_ = fs::temp_directory_path() / ("quillon-crash-" + std::to_string(random()));
    } while (!fs::create_directory(path_));
  }
  ~TempFolder() { fs::remove_all(path_); }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// The states the file passes through: index b holds the bytes after batch b.
struct States {
  std::vector<std::string> bytes;
  std::unordered_map<std::string, std::vector<int>> index;
  std::chrono::nanoseconds perBatch{};
};

States ComputeStates(const fs::path& file) {
  States states;
  WriteBytes(file, InitialConfiguration());
  states.bytes.push_back(InitialConfiguration());
  IniCache::SetFlushRequester([] {});
  {
    ReadWrite ini;
    ini.SetFileName(file.string());
    const auto start = std::chrono::steady_clock::now();
    for (int batch = 1; batch <= kBatches; ++batch) {
      ApplyBatch(ini, kSeed, batch);
      EXPECT_TRUE(IniCache::FlushAll());
      states.bytes.push_back(ReadBytes(file));
      // Each state must read back as a configuration the window accepts.
      for (ListId id : {ListId::Ports, ListId::IWADs, ListId::Programs, ListId::Files}) {
        const ListKind& kind = KindOf(id);
        const auto count = ToInt16(ini.Load(kind.section, kind.countKey));
        EXPECT_TRUE(count && *count >= 0 && *count < 60) << "batch " << batch;
      }
    }
    states.perBatch = (std::chrono::steady_clock::now() - start) / kBatches;
  }
  IniCache::SetFlushRequester(nullptr);
  for (int b = 0; b <= kBatches; ++b) {
    EXPECT_TRUE(KeepsUnownedLines(states.bytes[b])) << "state " << b;
    states.index[states.bytes[b]].push_back(b);
  }
  return states;
}

struct Child {
  pid_t pid = -1;
  int output = -1;
};

Child StartChild(const fs::path& file, int first) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return {};
  const std::string args[] = {QUILLON_CRASH_CHILD, file.string(), std::to_string(kSeed),
                              std::to_string(first), std::to_string(kBatches)};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(pipeFds[1], STDOUT_FILENO);
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    char* argv[] = {const_cast<char*>(args[0].c_str()), const_cast<char*>(args[1].c_str()),
                    const_cast<char*>(args[2].c_str()), const_cast<char*>(args[3].c_str()),
                    const_cast<char*>(args[4].c_str()), nullptr};
    ::execv(argv[0], argv);
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  return {pid, pipeFds[0]};
}

// Blocks until the child says it is ready, or has ended without saying so.
void AwaitReady(const Child& child) {
  char c;
  while (::read(child.output, &c, 1) == 1 && c != '\n') {
  }
}

// The program's hidden temporary files: what a kill between write and rename leaves.
int RemoveLeftovers(const fs::path& dir) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().filename().string().starts_with(".quillon-")) {
      fs::remove(entry.path());
      ++count;
    }
  }
  return count;
}

// A child applies batches through the real engine and is killed at a random moment, again
// and again. Each time, the file must be exactly the state after some whole batch, never
// one the file has already passed, and the next child carries on from it.
TEST(CrashSafety, KillsLeaveTheFileBeforeOrAfterAWholeBatch) {
  TempFolder dir;
  const States states = ComputeStates(dir.path() / "states.ini");
  ASSERT_FALSE(testing::Test::HasFailure());

  const fs::path file = dir.path() / "QLN2.ini";
  WriteBytes(file, states.bytes[0]);
  // Long enough for a few batches on this machine, so kills land anywhere in them.
  const auto perBatchUs = std::chrono::duration_cast<std::chrono::microseconds>(states.perBatch);
  const int maxDelayUs = std::clamp(static_cast<int>(perBatchUs.count()) * 6, 500, 100'000);
  std::mt19937 random(kSeed);

  int committed = 0;      // batches written in all
  int whileRunning = 0;   // kills that found the child still at work
  int leftovers = 0;      // kills between writing the temporary file and its rename
  int finishedEarly = 0;  // children that reached the last batch before their kill
  int state = 0;
  for (int kill = 0; kill < kKills; ++kill) {
    const Child child = StartChild(file, state + 1);
    ASSERT_GT(child.pid, 0);
    AwaitReady(child);
    std::this_thread::sleep_for(std::chrono::microseconds(random() % maxDelayUs));
    ::kill(child.pid, SIGKILL);
    int status = 0;
    ::waitpid(child.pid, &status, 0);
    ::close(child.output);
    if (WIFEXITED(status)) {
      ASSERT_EQ(WEXITSTATUS(status), 0) << "the child failed: 1 a write, 127 its start";
      ++finishedEarly;
    }

    const std::string bytes = ReadBytes(file);
    const auto found = states.index.find(bytes);
    ASSERT_NE(found, states.index.end()) << "kill " << kill << ": a torn or unknown file";
    const auto next =
        std::find_if(found->second.begin(), found->second.end(), [&](int b) { return b >= state; });
    ASSERT_NE(next, found->second.end()) << "kill " << kill << ": the file went back in time";
    ASSERT_TRUE(KeepsUnownedLines(bytes));
    if (WIFSIGNALED(status)) ++whileRunning;
    committed += *next - state;
    leftovers += RemoveLeftovers(dir.path());
    state = *next;
    if (state == kBatches) {  // start the story again
      WriteBytes(file, states.bytes[0]);
      state = 0;
    }
  }
  EXPECT_GT(committed, 0);
  EXPECT_GT(whileRunning, 0);
  RecordProperty("kills", kKills);
  RecordProperty("batches_committed", committed);
  RecordProperty("kills_between_write_and_rename", leftovers);
  std::cout << kKills << " kills, " << committed << " batches committed, " << whileRunning
            << " kills of a running child, " << leftovers << " between write and rename, "
            << finishedEarly << " children done before their kill; delay up to " << maxDelayUs
            << " us\n";
}

}  // namespace
}  // namespace quillon::robustness
