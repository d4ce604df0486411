#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "check/QuillonCheck.h"
#include "core/launch/PortProfiles.h"
#include "support/WadWriter.h"

namespace quillon::check {
namespace {

using test::TestLump;

// The corpus every case reads: "@good" in an argument is the path of good.wad, and so on.
class CheckFiles {
 public:
  CheckFiles() {
    // The square room with one subsector: a map with classic nodes, as a node builder saves it.
    std::vector<TestLump> room = test::BinaryMap("MAP01", test::SquareRoom());
    for (TestLump& lump : room) {
      if (lump.name == "SSECTORS") lump.data = std::string(4, '\0');
    }
    const std::string titled = "map MAP01 { levelname = \"Caf\xE9\" }";
    Write("good", test::MakeWad("PWAD", room));
    Write("udmf", test::MakeWad("PWAD", {{"MAP01", ""},
                                         {"TEXTMAP", test::UdmfText(test::SquareRoom(), "zdoom")},
                                         {"ENDMAP", ""}}));
    Write("titled", test::MakeWad("PWAD", test::Join({room, {{"UMAPINFO", titled}}})));
    Write("iwad", test::MakeWad("IWAD", {{"PLAYPAL", std::string(768, '\0')}}));  // no textures
    Write("notawad", "This is not a WAD file.\n");
  }

  std::string Path(const std::string& name) const { return folder_.File(name + ".wad"); }

  std::vector<std::string> Args(const std::vector<std::string>& args) const {
    std::vector<std::string> out;
    for (const std::string& arg : args) {
      const std::size_t at = arg.find('@');
      out.push_back(at == std::string::npos ? arg : arg.substr(0, at) + Path(arg.substr(at + 1)));
    }
    return out;
  }

 private:
  void Write(const std::string& name, const std::string& bytes) {
    test::WriteBytes(Path(name), bytes);
  }
  test::ScratchFolder folder_;
};

const CheckFiles& Files() {
  static const CheckFiles files;
  return files;
}

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

Outcome RunIn(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunCheck(Files().Args(args), out, err);
  return {status, out.str(), err.str()};
}

QJsonObject ParseJson(const std::string& text) {
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
  return document.object();
}

QStringList Keys(const QJsonValue& value) {
  return value.toObject().keys();  // sorted
}

TEST(QuillonCheck, ExitStatusOfEachCommandLine) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    int status;
  };
  const Case cases[] = {
      {"no file", {}, 2},
      {"options only", {"--json", "--port", "woof"}, 2},
      {"a port without its name", {"@good", "--port"}, 2},
      {"an empty name", {"--port=", "@good"}, 2},
      {"an unknown port", {"--port", "doom95", "@good"}, 2},
      {"an unknown option", {"--fast", "@good"}, 2},
      {"help", {"--help"}, 0},
      {"a good file", {"@good"}, 0},
      {"a port in any letter case", {"--port", "DSDA-Doom", "--port=gzdoom", "@good"}, 0},
      {"a file that is not a WAD is checked", {"--json", "@notawad"}, 0},
      {"a file that is not there", {"@good", "@missing"}, 2},
      {"a folder", {"@good", "/"}, 2},
      {"after --, a file named like an option", {"--", "--json"}, 2},
      {"an IWAD that is not there", {"--iwad", "@missing", "@good"}, 2},
      {"an IWAD that is not a WAD", {"--iwad=@notawad", "@good"}, 2},
      {"a required port that runs", {"--require", "gzdoom", "@udmf"}, 0},
      {"a required port that fails on one file", {"--require", "dsda-doom", "@good", "@udmf"}, 1},
      {"a required port not among those listed",
       {"--port", "gzdoom", "--require=woof", "@udmf"},
       1},
      {"a required port on a file that is not a WAD", {"--require", "woof", "@notawad"}, 1},
      {"a missing texture stops the required port",
       {"--iwad", "@iwad", "--require", "chocolate-doom", "@good"},
       1},
      {"a missing texture is drawn by the required port",
       {"--iwad", "@iwad", "--require", "woof", "@good"},
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome run = RunIn(c.args);
    EXPECT_EQ(run.status, c.status) << run.err;
    // A wrong command line or an unopened file is said on standard error, and only then.
    EXPECT_EQ(run.err.empty(), c.status != 2) << run.err;
    if (c.status == 2) {
      EXPECT_TRUE(run.err.starts_with("quillon-check: ")) << run.err;
    }
  }
}

TEST(QuillonCheck, JsonHasEachKeyWhereItBelongs) {
  const Outcome run = RunIn({"--json", "@good", "@udmf", "@titled", "@notawad"});
  ASSERT_EQ(run.status, 0) << run.err;
  const QJsonObject top = ParseJson(run.out);
  EXPECT_EQ(top.keys(), QStringList{"files"});
  const QJsonArray files = top["files"].toArray();
  ASSERT_EQ(files.size(), 4);

  QStringList everyPort;
  for (const PortProfile& profile : PortProfiles()) everyPort << QString::fromUtf8(profile.key);
  everyPort.sort();
  const QStringList fileKeys = {"features", "maps", "path", "ports", "wad"};
  struct Expected {
    const char* wad;  // nullptr: "wad" is null and "error" says why
    QStringList mapKeys;
    const char* extraKey;
    const char* extra;
  };
  const Expected expected[] = {
      {"pwad", {"format", "name"}, nullptr, nullptr},
      {"pwad", {"format", "name", "namespace"}, "namespace", "zdoom"},
      {"pwad", {"format", "name", "title"}, "title", "Caf\u00e9"},  // a Latin-1 byte, read so
      {nullptr, {}, nullptr, nullptr},
  };
  for (qsizetype i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(i);
    const QJsonObject file = files[i].toObject();
    const Expected& e = expected[i];
    QStringList keys = fileKeys;
    if (e.wad == nullptr) keys << "error";
    keys.sort();
    EXPECT_EQ(file.keys(), keys);
    EXPECT_EQ(Keys(file["ports"]), everyPort);
    for (const QJsonValue& port : file["ports"].toObject()) {
      EXPECT_EQ(Keys(port), (QStringList{"verdict", "why"}));
      EXPECT_TRUE(QStringList({"runs", "differs", "fails"}).contains(port["verdict"].toString()));
    }
    if (e.wad == nullptr) {
      EXPECT_TRUE(file["wad"].isNull());
      EXPECT_FALSE(file["error"].toString().isEmpty());
      EXPECT_TRUE(file["maps"].toArray().isEmpty());
      EXPECT_EQ(file["ports"]["woof"]["verdict"].toString(), "fails");
      continue;
    }
    EXPECT_EQ(file["wad"].toString(), e.wad);
    const QJsonObject map = file["maps"][0].toObject();
    EXPECT_EQ(map.keys(), e.mapKeys);
    if (e.extraKey != nullptr) {
      EXPECT_EQ(map[e.extraKey].toString(), QString::fromUtf8(e.extra));
    }
  }
  EXPECT_EQ(files[1]["ports"]["dsda-doom"]["verdict"].toString(), "fails");
  EXPECT_EQ(files[2]["features"].toArray().first().toString(), "UMAPINFO");

  const QJsonObject two =
      ParseJson(RunIn({"--json", "--port", "woof", "--port", "gzdoom", "@udmf"}).out);
  EXPECT_EQ(Keys(two["files"][0]["ports"]), (QStringList{"gzdoom", "woof"}));
}

TEST(QuillonCheck, TableHasARowPerPortAndALinePerReason) {
  const Outcome run = RunIn({"--port", "dsda-doom", "--port", "gzdoom", "@udmf"});
  EXPECT_EQ(run.out, Files().Path("udmf") +
                         ": PWAD, 1 map: MAP01 (UDMF zdoom)\n"
                         "  dsda-doom       fails    MAP01 is in UDMF format, namespace zdoom; "
                         "dsda-doom 0.25 takes no UDMF\n"
                         "  gzdoom          runs\n");
}

// The installed executable as a map project's CI runs it: a shell, a status, two streams.
TEST(QuillonCheck, TheExecutableAnswersThroughItsStatusAndStreams) {
  struct Case {
    std::string args;
    int status;
    bool json;  // standard output is one JSON document
    const char* onStderr;
  };
  const std::string udmf = "'" + Files().Path("udmf") + "'";
  const std::string missing = "'" + Files().Path("missing") + "'";
  const Case cases[] = {
      {"--json --require dsda-doom " + udmf, 1, true, ""},
      {"--json --require gzdoom " + udmf, 0, true, ""},
      {"--json " + udmf + " " + missing, 2, true, "there is no such file"},
      {"--frobnicate " + udmf, 2, false, "unknown option --frobnicate"},
  };
  const std::string errFile = Files().Path("stderr");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const std::string command = std::string(QUILLON_CHECK) + " " + c.args + " 2>'" + errFile + "'";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      out.append(buffer, n);
    const int wait = pclose(pipe);
    ASSERT_TRUE(WIFEXITED(wait));
    EXPECT_EQ(WEXITSTATUS(wait), c.status);
    if (c.json) {
      EXPECT_EQ(ParseJson(out)["files"].toArray().size(), 1);
    }
    std::ifstream errIn(errFile);
    const std::string err{std::istreambuf_iterator<char>(errIn), {}};
    EXPECT_NE(err.find(c.onStderr), std::string::npos) << err;
    EXPECT_EQ(err.empty(), *c.onStderr == '\0') << err;
  }
}

}  // namespace
}  // namespace quillon::check
