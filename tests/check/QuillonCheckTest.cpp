#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <tuple>

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
  // The same as one line for a shell.
  std::string Shell(const std::vector<std::string>& args) const {
    std::string line;
    for (const std::string& arg : Args(args)) line += " '" + arg + "'";
    return line;
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

// The object's keys, sorted, joined by commas.
QString Keys(const QJsonValue& value) {
  return value.toObject().keys().join(',');
}

TEST(QuillonCheck, ExitStatusOfEachCommandLine) {
  const std::pair<std::vector<std::string>, int> cases[] = {
      {{}, 2},                               // no file
      {{"--json", "--port", "woof"}, 2},     // options only
      {{"@good", "--port"}, 2},              // a port without its name
      {{"--port=", "@good"}, 2},             // an empty name
      {{"--port", "doom95", "@good"}, 2},    // no such port
      {{"--fast", "@good"}, 2},              // no such option
      {{"@good", "@missing"}, 2},            // a file that is not there
      {{"@good", "/"}, 2},                   // a folder
      {{"--", "--json"}, 2},                 // after --, a file named like an option
      {{"--iwad", "@missing", "@good"}, 2},  // an IWAD that is not there
      {{"--iwad=@notawad", "@good"}, 2},     // an IWAD that is not a WAD
      {{"--help"}, 0},                       //
      {{"--port", "DSDA-Doom", "--port=gzdoom", "@good"}, 0},
      {{"--json", "@notawad"}, 0},            // a file that is not a WAD is checked
      {{"--require", "gzdoom", "@udmf"}, 0},  // a required port that runs
      {{"--require", "dsda-doom", "@good", "@udmf"}, 1},
      {{"--port", "gzdoom", "--require=woof", "@udmf"}, 1},  // required, not listed
      {{"--require", "woof", "@notawad"}, 1},
      {{"--iwad", "@iwad", "--require", "chocolate-doom", "@good"}, 1},  // a missing texture
      {{"--iwad", "@iwad", "--require", "woof", "@good"}, 0},            // drawn as missing
  };
  for (const auto& [args, status] : cases) {
    SCOPED_TRACE(Files().Shell(args));
    const Outcome run = RunIn(args);
    EXPECT_EQ(run.status, status) << run.err;
    // A wrong command line or an unopened file is said on standard error, and only then.
    EXPECT_EQ(run.err.empty(), status != 2) << run.err;
    EXPECT_EQ(run.err.rfind("quillon-check: ", 0), status == 2 ? 0 : std::string::npos);
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
  // The file's keys, its first map's keys, and the map's namespace or title.
  const std::array<std::array<QString, 3>, 4> expected = {{
      {"features,maps,path,ports,wad", "format,name", ""},
      {"features,maps,path,ports,wad", "format,name,namespace", "zdoom"},
      {"features,maps,path,ports,wad", "format,name,title", "Caf\u00e9"},  // from Latin-1
      {"error,features,maps,path,ports,wad", "", ""},
  }};
  for (qsizetype i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(i);
    const QJsonValue file = files[i];
    const auto& [fileKeys, mapKeys, extra] = expected[static_cast<std::size_t>(i)];
    EXPECT_EQ(Keys(file), fileKeys);
    EXPECT_EQ(Keys(file["maps"][0]), mapKeys);
    EXPECT_EQ(file["maps"][0]["namespace"].toString() + file["maps"][0]["title"].toString(), extra);
    EXPECT_EQ(Keys(file["ports"]), everyPort.join(','));
    for (const QJsonValue& port : file["ports"].toObject()) {
      EXPECT_EQ(Keys(port), "verdict,why");
      EXPECT_TRUE(QStringList({"runs", "differs", "fails"}).contains(port["verdict"].toString()));
    }
    EXPECT_EQ(file["wad"].isNull(), fileKeys.startsWith("error"));
  }
  EXPECT_EQ(files[0]["wad"].toString(), "pwad");
  EXPECT_EQ(files[1]["ports"]["dsda-doom"]["verdict"].toString(), "fails");
  EXPECT_EQ(files[2]["features"][0].toString(), "UMAPINFO");
  EXPECT_EQ(files[3]["ports"]["woof"]["verdict"].toString(), "fails");
  const QJsonObject two =
      ParseJson(RunIn({"--json", "--port", "woof", "--port=gzdoom", "@udmf"}).out);
  EXPECT_EQ(Keys(two["files"][0]["ports"]), "gzdoom,woof");
}

TEST(QuillonCheck, TableHasARowPerPortAndALinePerReason) {
  EXPECT_EQ(RunIn({"--port", "dsda-doom", "--port", "gzdoom", "@udmf"}).out,
            Files().Path("udmf") +
                ": PWAD, 1 map: MAP01 (UDMF zdoom)\n"
                "  dsda-doom       fails    MAP01 is in UDMF format, namespace zdoom; "
                "dsda-doom 0.25 takes no UDMF\n"
                "  gzdoom          runs\n");
}

// The built executable as a map project's CI runs it: a shell, a status, two streams.
TEST(QuillonCheck, TheExecutableAnswersThroughItsStatusAndStreams) {
  const std::tuple<std::vector<std::string>, int, const char*> cases[] = {
      {{"--json", "--require", "dsda-doom", "@udmf"}, 1, ""},
      {{"--json", "--require", "gzdoom", "@udmf"}, 0, ""},
      {{"--json", "@udmf", "@missing"}, 2, "quillon-check: "},
  };
  for (const auto& [args, status, onStderr] : cases) {
    SCOPED_TRACE(Files().Shell(args));
    const std::string errFile = Files().Path("stderr");
    FILE* pipe = popen((QUILLON_CHECK + Files().Shell(args) + " 2>'" + errFile + "'").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out(1 << 16, '\0');
    out.resize(std::fread(out.data(), 1, out.size(), pipe));
    const int wait = pclose(pipe);
    EXPECT_TRUE(WIFEXITED(wait) && WEXITSTATUS(wait) == status) << wait;
    EXPECT_EQ(ParseJson(out)["files"].toArray().size(), 1);  // the file that could be opened
    std::stringstream err;
    err << std::ifstream(errFile).rdbuf();
    EXPECT_EQ(err.str().substr(0, std::strlen(onStderr)), onStderr) << err.str();
    EXPECT_EQ(err.str().empty(), *onStderr == '\0') << err.str();
  }
}

}  // namespace
}  // namespace quillon::check
