#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/settings/ConfigLayout.h"
#include "support/ParamNames.h"

namespace quillon::robustness {
namespace {

using test::PrintTo;

namespace fs = std::filesystem;

struct EndSignalCase {
  const char* name;
  int signal;
};

class EndSignal : public ::testing::TestWithParam<EndSignalCase> {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quillon-signal-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Ini() const {
    std::ifstream in(dir_ / "QLN2.ini", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  fs::path dir_;
};

// The real window in a child process: the signal must let it close as the user's close box
// does, writing "Memory", and exit normally.
TEST_P(EndSignal, ClosesTheWindowAndWritesTheMemory) {
  {
    std::ofstream out(dir_ / "QLN2.ini", std::ios::binary);
    for (const std::string& line : DefaultIniLines()) {
      // A remembered value in a form the window writes back differently.
      out << (line == "NoCD=0" ? std::string("NoCD=000") : line) << "\r\n";
    }
  }
  ASSERT_NE(Ini().find("NoCD=000\r\n"), std::string::npos);

  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::dup2(ready[1], STDOUT_FILENO);
    ::close(ready[0]);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::execl(QUILLON_END_SIGNAL_DRIVER, QUILLON_END_SIGNAL_DRIVER, dir_.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(ready[1]);
  char said[6] = {};
  std::size_t got = 0;
  while (got < 5) {
    const ssize_t n = ::read(ready[0], said + got, 5 - got);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(ready[0]);
  ASSERT_STREQ(said, "ready");

  ASSERT_EQ(::kill(child, GetParam().signal), 0);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const std::string ini = Ini();
  EXPECT_NE(ini.find("NoCD=0\r\n"), std::string::npos) << ini;
  EXPECT_EQ(ini.find("NoCD=000"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Signals, EndSignal,
                         ::testing::Values(EndSignalCase{"SIGTERM", SIGTERM},
                                           EndSignalCase{"SIGHUP", SIGHUP}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillon::robustness
