#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "shell/CommandLine.h"

namespace quillon {
namespace {

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

// What `sh` makes of a command line: its working folder, then each argument on a line.
QStringList RunInShell(const std::string& line) {
  QProcess sh;
  sh.start("/bin/sh", {"-c", QString::fromStdString(line)});
  if (!sh.waitForFinished(10'000)) return {"(timed out)"};
  QStringList lines = QString::fromUtf8(sh.readAllStandardOutput()).split('\0');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

TEST(ShellCommandLine, RunsTheSameArgumentsInTheSameFolderUnderSh) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString folder = dir.filePath("it's a \"folder\" $HOME");
  ASSERT_TRUE(QDir().mkpath(folder));
  const std::vector<std::string> arguments = {
      "-iwad",     "free doom.wad", "",    "it's", "\"quoted\"", "$HOME",
      "`id`",      "a;b|c&d",       "*",   "~",    "#x",         "=y",
      "tab\there", "new\nline",     "ünï", "-",    "%1",         "a=b"};
  // printf prints each argument NUL-terminated, after the folder it runs in.
  std::string line = ShellCommandLine(folder.toStdString(), "printf", {"%s\\0"});
  line += " \"$(pwd -P)\"";
  for (const std::string& argument : arguments) line += ' ' + QuoteForShell(argument);

  QStringList expected{QFileInfo(folder).canonicalFilePath()};
  for (const std::string& argument : arguments) expected << QString::fromStdString(argument);
  EXPECT_EQ(RunInShell(line), expected) << line;
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
