#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "core/launch/CommandLine.h"
#include "support/ParamNames.h"

namespace quillon {
namespace {

using test::PrintTo;

using test::PrintTo;

struct SplitCase {
  const char* name;
  const char* text;
  std::vector<std::string> arguments;
};

class Split : public ::testing::TestWithParam<SplitCase> {};

TEST_P(Split, GivesTheArgumentsAUserMeans) {
  EXPECT_EQ(SplitParameters(GetParam().text), GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Split,
    ::testing::Values(
        SplitCase{"Empty", "", {}}, SplitCase{"OnlyBlanks", " \t  ", {}},
        SplitCase{"BlanksSeparate", "  -skill  4\t-fast ", {"-skill", "4", "-fast"}},
        SplitCase{"QuotesKeepBlanks", R"(-file "/my maps/a.wad")", {"-file", "/my maps/a.wad"}},
        SplitCase{"QuotesMidWord", R"(a"b c"d)", {"ab cd"}},
        SplitCase{"EmptyQuotesAreAnArgument", R"(-config "" -x)", {"-config", "", "-x"}},
        SplitCase{"TripleQuoteIsALiteralQuote", R"("say """hi""" now")", {"say \"hi\" now"}},
        SplitCase{"UnclosedQuoteRunsToTheEnd", R"(-file "a b)", {"-file", "a b"}},
        SplitCase{"ShellCharactersStayLiteral", "$HOME `id` ;|&*", {"$HOME", "`id`", ";|&*"}},
        SplitCase{"SingleQuotesAreOrdinary", "'a b'", {"'a", "b'"}}),
    [](const auto& info) { return std::string(info.param.name); });

// What `sh` makes of a command line: its working folder, then each argument.
std::vector<std::string> RunInShell(const std::string& line) {
  FILE* sh = popen(line.c_str(), "r");
  if (sh == nullptr) return {"(not started)"};
  std::string out;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, sh)) > 0;) out.append(buffer, n);
  pclose(sh);
  std::vector<std::string> lines;
  for (size_t at = 0, end; (end = out.find('\0', at)) != std::string::npos; at = end + 1)
    lines.push_back(out.substr(at, end - at));
  return lines;
}

TEST(ShellCommandLine, RunsTheSameArgumentsInTheSameFolderUnderSh) {
  namespace fs = std::filesystem;
  std::string pattern = (fs::temp_directory_path() / "quillon-shell-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const fs::path dir = pattern;
  const fs::path folder = dir / "it's a \"folder\" $HOME";
  ASSERT_TRUE(fs::create_directories(folder));
  const std::vector<std::string> arguments = {
      "-iwad",     "free doom.wad", "",    "it's", "\"quoted\"", "$HOME",
      "`id`",      "a;b|c&d",       "*",   "~",    "#x",         "=y",
      "tab\there", "new\nline",     "ünï", "-",    "%1",         "a=b"};
  // printf prints each argument NUL-terminated, after the folder it runs in.
  std::string line = ShellCommandLine(folder.string(), "printf", {"%s\\0"});
  line += " \"$(pwd -P)\"";
  for (const std::string& argument : arguments) line += ' ' + QuoteForShell(argument);

  std::vector<std::string> expected{fs::canonical(folder).string()};
  expected.insert(expected.end(), arguments.begin(), arguments.end());
  EXPECT_EQ(RunInShell(line), expected) << line;
  fs::remove_all(dir);
}

TEST(ShellCommandLine, LeavesOrdinaryWordsBare) {
  EXPECT_EQ(ShellCommandLine("/usr/games/", "/usr/games/chocolate-doom",
                             {"-iwad", "doom2.wad", "-warp", "1", "-file", "/maps/a b.wad"}),
            "cd /usr/games/ && /usr/games/chocolate-doom -iwad doom2.wad -warp 1 -file "
            "'/maps/a b.wad'");
  EXPECT_EQ(ShellCommandLine("", "port", {}), "port");
}

}  // namespace
}  // namespace quillon
