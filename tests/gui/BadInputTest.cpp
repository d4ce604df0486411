// Damaged, hand-edited and hostile configurations and schemes: each one either works or
// gives its message, and after a close every line the program does not own is unchanged.

#include <QFile>
#include <QListView>
#include <cctype>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "core/settings/IniCache.h"
#include "gui/MainWindowFixture.h"

namespace quillon::test {
namespace {

enum class Outcome { Works, IniError, SchemeError, PortMissing };

const char* const kIniError = "Error reading from INI file.";
const char* const kSchemeError =
    "Error reading scheme file. This may be because you tried to load a scheme from an older "
    "version of Quillon.";
const char* const kPortMissing = "The port you saved with this scheme, ";

struct Case {
  const char* name;  // a file in the test data, or one made by `make`
  Outcome outcome;
  int items;  // ports shown after a start, files listed after a scheme load
  std::function<std::string(const std::string& name)> make = nullptr;
  friend void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }
};

std::string CaseBytes(const Case& c) {
  if (c.make) return c.make(c.name);
  QFile file(QStringLiteral(QUILLON_TEST_DATA "/") + QString::fromLatin1(c.name));
  if (!file.open(QIODevice::ReadOnly)) ADD_FAILURE() << "no test data " << c.name;
  return file.readAll().toStdString();
}

// "config-count-1e3.ini" -> "ConfigCount1e3"
std::string TestName(const testing::TestParamInfo<Case>& info) {
  std::string name;
  bool wordStart = true;
  for (const char* p = info.param.name; *p && *p != '.'; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (std::isalnum(c)) name += static_cast<char>(wordStart ? std::toupper(c) : c);
    wordStart = !std::isalnum(c);
  }
  return name;
}

// --- Which lines the program owns -----------------------------------------------------

struct Line {
  std::string text;
  std::string ending;
  bool operator==(const Line&) const = default;
};

std::vector<Line> SplitLines(const std::string& bytes) {
  std::vector<Line> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const std::size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string::npos) {
      lines.push_back({bytes.substr(pos), ""});
      break;
    }
    const std::size_t width = bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1;
    lines.push_back({bytes.substr(pos, end - pos), bytes.substr(end, width)});
    pos = end + width;
  }
  return lines;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Trim(const std::string& text) {
  const auto begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

// Section and key names in lower case; a key of "file*" stands for every custom file entry.
using Owned = std::set<std::pair<std::string, std::string>>;

const Owned kClose = {{"memory", "port"},       {"memory", "iwad"},    {"memory", "prog"},
                      {"memory", "usefiles"},   {"memory", "warp"},    {"memory", "warpto"},
                      {"memory", "nomonsters"}, {"memory", "nomusic"}, {"memory", "nosound"},
                      {"memory", "nocd"},       {"memory", "opengl"},  {"memory", "params"},
                      {"memory", "progparams"}};

bool IsOwned(const Owned& owned, const std::string& section, const std::string& key) {
  if (owned.contains({section, key})) return true;
  if (!owned.contains({section, "file*"})) return false;
  if (key == "numfiles") return true;
  const auto digits = key.find_first_not_of("0123456789", 4);
  return key.starts_with("file") && digits > 4 && digits != std::string::npos &&
         (key.substr(digits) == "name" || key.substr(digits) == "path");
}

// The lines the program may not change: everything but the key lines it writes, which are
// the first of their name in the first section of their name, and the header of a section
// it had to add.
std::vector<Line> NotOwned(const std::string& bytes, const Owned& owned,
                           const std::set<std::string>& sectionsBefore) {
  std::vector<Line> kept;
  std::set<std::string> sectionsSeen;
  std::set<std::string> keysSeen;
  std::string section;
  bool first = false;  // in the first section of its name
  bool preamble = true;
  for (const Line& line : SplitLines(bytes)) {
    const std::string trimmed = Trim(line.text);
    if (!trimmed.empty() && trimmed[0] == '[') {
      section = Lower(Trim(trimmed.substr(1, trimmed.find(']') - 1)));
      first = sectionsSeen.insert(section).second;
      keysSeen.clear();
      preamble = false;
      if (first && !sectionsBefore.contains(section)) continue;
    } else if (const auto equals = line.text.find('=');
               !preamble && first && equals != std::string::npos) {
      const std::string key = Lower(Trim(line.text.substr(0, equals)));
      if (keysSeen.insert(key).second && IsOwned(owned, section, key)) continue;
    }
    kept.push_back(line);
  }
  return kept;
}

std::set<std::string> Sections(const std::string& bytes) {
  std::set<std::string> sections;
  for (const Line& line : SplitLines(bytes)) {
    const std::string trimmed = Trim(line.text);
    if (!trimmed.empty() && trimmed[0] == '[') {
      sections.insert(Lower(Trim(trimmed.substr(1, trimmed.find(']') - 1))));
    }
  }
  return sections;
}

void ExpectUnownedLinesKept(const std::string& before, const std::string& after,
                            const Owned& owned) {
  const auto sections = Sections(before);
  std::vector<Line> expected = NotOwned(before, owned, sections);
  const std::vector<Line> actual = NotOwned(after, owned, sections);
  // A last line without a line end gets one when something is written after it.
  if (!expected.empty() && expected.back().ending.empty() && actual.size() == expected.size()) {
    if (actual.back().ending == "\r\n") expected.back().ending = "\r\n";
  }
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    // Compared one by one so that a difference in a 10 MB line prints its number only.
    EXPECT_TRUE(actual[i] == expected[i]) << "line " << i + 1 << " changed";
  }
}

// --- Fixtures ---------------------------------------------------------------------------

const std::string kBaseConfiguration =
    "[Ports]\r\nNumPorts=2\r\nPort1Name=Chocolate\r\nPort1Path=/usr/games/chocolate-doom\r\n"
    "Port2Name=Crispy\r\nPort2Path=/usr/games/crispy-doom\r\n\r\n"
    "[IWADs]\r\nNumIWADs=1\r\nIWAD1Name=Doom II\r\nIWAD1File=doom2.wad\r\n\r\n"
    "[Programs]\r\nNumProgs=0\r\n\r\n[Files]\r\nNumFiles=0\r\n\r\n"
    "[Memory]\r\nPort=1\r\nIWAD=1\r\nProg=0\r\nUseFiles=0\r\nExitOnTest=0\r\nWarp=0\r\n"
    "WarpTo=1\r\nNoMonsters=0\r\nNoMusic=0\r\nNoSound=0\r\nNoCD=0\r\nOpenGL=0\r\n\r\n";

// As the program runs (the fixture defers writes): what one event saved is written once
// the event is done, and every write succeeds.
class BadInput : public MainWindowTest, public testing::WithParamInterface<Case> {
 protected:
  void TearDown() override {
    if (window) window->close();
    EXPECT_TRUE(IniCache::FlushAll());
    MainWindowTest::TearDown();
  }

  void ExpectMessages(Outcome outcome) {
    std::vector<std::string> texts;
    for (const auto& message : desktop.messages) texts.push_back(message.text.toStdString());
    switch (outcome) {
      case Outcome::Works:
        EXPECT_TRUE(texts.empty()) << testing::PrintToString(texts);
        break;
      case Outcome::IniError:
        // The list refresh says it, and the restore again when a selection then names an
        // item the unfilled list lacks.
        EXPECT_TRUE(texts.size() == 1 || texts.size() == 2) << texts.size();
        for (const auto& text : texts) EXPECT_EQ(text, kIniError);
        break;
      case Outcome::SchemeError:
        EXPECT_EQ(texts, std::vector<std::string>{kSchemeError});
        break;
      case Outcome::PortMissing:
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_TRUE(texts[0].starts_with(kPortMissing)) << texts[0];
        break;
    }
  }
};

class BadConfiguration : public BadInput {};
class BadScheme : public BadInput {};

TEST_P(BadConfiguration, OpensAndClosesWithoutLosingALine) {
  const std::string before = CaseBytes(GetParam());
  dir.Write(QStringLiteral("QLN2.ini"), QByteArray::fromStdString(before));
  Open();
  IniCache::FlushAll();
  ExpectMessages(GetParam().outcome);
  EXPECT_EQ(List("cmbPorts")->count(), GetParam().items);
  Close();
  EXPECT_TRUE(IniCache::FlushAll());
  ExpectUnownedLinesKept(before, IniBytes().toStdString(), kClose);
}

TEST_P(BadScheme, LoadsOrSaysSoWithoutLosingALine) {
  dir.Write(QStringLiteral("QLN2.ini"), QByteArray::fromStdString(kBaseConfiguration));
  Open();
  ASSERT_TRUE(desktop.messages.empty());
  const QString name = QString::fromLatin1(GetParam().name);
  const std::string scheme = CaseBytes(GetParam());
  dir.Write(name, QByteArray::fromStdString(scheme));

  desktop.fileChoices.push_back(dir.FilePath(name));
  Action("ProgramLoad")->trigger();
  IniCache::FlushAll();
  ExpectMessages(GetParam().outcome);
  EXPECT_EQ(Find<QListView>("lstFiles")->model()->rowCount(), GetParam().items);
  Close();
  EXPECT_TRUE(IniCache::FlushAll());
  EXPECT_TRUE(dir.Read(name).toStdString() == scheme) << "the scheme file changed";
  Owned owned = kClose;
  owned.insert({"files", "file*"});
  ExpectUnownedLinesKept(kBaseConfiguration, IniBytes().toStdString(), owned);
}

// --- The corpus -------------------------------------------------------------------------

// A 10 MB comment and a 10 MB port name; the name shows as its first 254 characters.
std::string HugeLineConfiguration(const std::string&) {
  std::string bytes = kBaseConfiguration;
  const std::string huge(10'000'000, 'L');
  bytes.insert(bytes.find("Port1Name"), "; " + huge + "\r\n");
  bytes.insert(bytes.find("Chocolate"), huge);
  return bytes;
}

// 100 000 port entries, of which the count names 30 000.
std::string ManyEntriesConfiguration(const std::string&) {
  std::string bytes = "[Ports]\r\nNumPorts=30000\r\n";
  for (int n = 1; n <= 100'000; ++n) {
    const std::string number = std::to_string(n);
    bytes +=
        "Port" + number + "Name=Port " + number + "\r\nPort" + number + "Path=/p" + number + "\r\n";
  }
  bytes += kBaseConfiguration.substr(kBaseConfiguration.find("\r\n[IWADs]"));
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(Corpus, BadConfiguration,
                         testing::Values(Case{"config-binary-garbage.ini", Outcome::IniError, 0},
                                         Case{"config-garbage-lines.ini", Outcome::Works, 3},
                                         Case{"config-nul-bytes.ini", Outcome::Works, 3},
                                         Case{"config-invalid-utf8.ini", Outcome::Works, 3},
                                         Case{"config-cr-only.ini", Outcome::Works, 3},
                                         Case{"config-lf-only.ini", Outcome::Works, 3},
                                         Case{"config-mixed-endings.ini", Outcome::Works, 3},
                                         Case{"config-duplicate-sections.ini", Outcome::Works, 3},
                                         Case{"config-keys-before-section.ini", Outcome::Works, 3},
                                         Case{"config-unterminated-header.ini", Outcome::Works, 3},
                                         Case{"config-count-minus-one.ini", Outcome::Works, 1},
                                         Case{"config-count-zero.ini", Outcome::Works, 3},
                                         Case{"config-count-32766.ini", Outcome::Works, 3},
                                         Case{"config-count-32767.ini", Outcome::IniError, 3},
                                         Case{"config-count-1e3.ini", Outcome::IniError, 3},
                                         Case{"config-count-spaced.ini", Outcome::Works, 3},
                                         Case{"config-count-hex.ini", Outcome::IniError, 3},
                                         Case{"config-count-fullwidth.ini", Outcome::IniError, 0},
                                         Case{"config-entries-beyond-count.ini", Outcome::Works, 3},
                                         Case{"config-huge-line.ini", Outcome::Works, 3,
                                              HugeLineConfiguration},
                                         Case{"config-many-entries.ini", Outcome::Works, 30001,
                                              ManyEntriesConfiguration}),
                         TestName);

std::string SchemeLines(const std::string& name, const std::string& middle) {
  return "[" + name + " - Scheme for Quillon V2.0]\r\nPort=Crispy\r\nIWAD=Doom II\r\n" + middle +
         "ExitOnTest=0\r\nWarp=1\r\nWarpTo=7\r\nNoMonsters=1\r\nNoMusic=0\r\nNoSound=0\r\n"
         "NoCD=0\r\nOpenGL=0\r\nUseFiles=1\r\n";
}

std::string HugeLineScheme(const std::string& name) {
  return SchemeLines(name, "Params=" + std::string(10'000'000, 'p') + "\r\n") + "NumFiles=0\r\n";
}

// 100 000 file entries, of which the count names 30 000.
std::string ManyEntriesScheme(const std::string& name) {
  std::string bytes = SchemeLines(name, "Params=\r\n") + "NumFiles=30000\r\n";
  for (int n = 1; n <= 100'000; ++n) {
    const std::string number = std::to_string(n);
    bytes += "File" + number + "Name=f" + number + ".wad\r\nFile" + number + "Path=/w/\r\n";
  }
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, BadScheme,
    testing::Values(Case{"scheme-binary-garbage.qls", Outcome::SchemeError, 0},
                    Case{"scheme-nul-bytes.qls", Outcome::Works, 2},
                    Case{"scheme-invalid-utf8.qls", Outcome::PortMissing, 2},
                    Case{"scheme-cr-only.qls", Outcome::Works, 2},
                    Case{"scheme-lf-only.qls", Outcome::Works, 2},
                    Case{"scheme-mixed-endings.qls", Outcome::Works, 2},
                    Case{"scheme-duplicate-sections.qls", Outcome::Works, 2},
                    Case{"scheme-keys-before-section.qls", Outcome::SchemeError, 0},
                    Case{"scheme-unterminated-header.qls", Outcome::Works, 2},
                    Case{"scheme-count-minus-one.qls", Outcome::Works, 0},
                    Case{"scheme-count-zero.qls", Outcome::Works, 0},
                    Case{"scheme-count-32766.qls", Outcome::Works, 32766},
                    Case{"scheme-count-32767.qls", Outcome::SchemeError, 0},
                    Case{"scheme-count-1e3.qls", Outcome::SchemeError, 0},
                    Case{"scheme-count-spaced.qls", Outcome::Works, 2},
                    Case{"scheme-count-hex.qls", Outcome::SchemeError, 0},
                    Case{"scheme-count-fullwidth.qls", Outcome::SchemeError, 0},
                    Case{"scheme-entries-beyond-count.qls", Outcome::Works, 1},
                    Case{"scheme-huge-line.qls", Outcome::Works, 0, HugeLineScheme},
                    Case{"scheme-many-entries.qls", Outcome::Works, 30000, ManyEntriesScheme}),
    TestName);

}  // namespace
}  // namespace quillon::test
