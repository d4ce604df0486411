#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <ostream>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "SyncCalls.h"
#include "core/settings/ConfigLayout.h"
#include "core/settings/FileStore.h"
#include "core/settings/IniCache.h"
#include "core/settings/IniDocument.h"
#include "core/settings/ReadWrite.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using Names = std::vector<std::string>;

constexpr uid_t kNobody = 65534;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A fresh directory per test; every test leaves the shared cache clean for the next.
class IniTest : public testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    do {
      dir_ = fs::temp_directory_path() / ("quillon-settings-" + std::to_string(random()));
    } while (!fs::create_directory(dir_));
  }

  void TearDown() override {
    IniCache::SetFlushRequester(nullptr);
    EXPECT_TRUE(IniCache::FlushAll());
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }

  fs::path File(const std::string& name = "QLN2.ini") const { return dir_ / name; }

  static std::unique_ptr<ReadWrite> Open(const fs::path& path) {
    auto ini = std::make_unique<ReadWrite>();
    ini->SetFileName(path.string());
    return ini;
  }

  // False when the directory still takes new files, as it does for root.
  bool MakeReadOnly() const {
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    if (!std::ofstream(File("probe"))) return true;
    fs::remove(File("probe"));
    return false;
  }

  enum class Privileges { Keep, Drop };

  // Runs the body in a child process, so limits it sets stay there. Root passes every
  // permission check, so with Drop a root child first becomes "nobody", owning the folder.
  void InChild(Privileges privileges, const std::function<void()>& body) const {
    constexpr int kCannotDropRoot = 3;
    std::fflush(stdout);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      if (privileges == Privileges::Drop && ::geteuid() == 0) {
        for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
          if (::chown(entry.path().c_str(), kNobody, kNobody) != 0) ::_exit(kCannotDropRoot);
        }
        if (::chown(dir_.c_str(), kNobody, kNobody) != 0 || ::setgroups(0, nullptr) != 0 ||
            ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
          ::_exit(kCannotDropRoot);
        }
      }
      try {
        body();
      } catch (const std::exception& error) {
        // Caught here, or the child's own test runner would go on with the other tests.
        ADD_FAILURE() << "the child threw: " << error.what();
      }
      std::fflush(stdout);  // the child's failures are printed there
      ::_exit(testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "the child died";
    if (WEXITSTATUS(status) == kCannotDropRoot) {
      GTEST_SKIP() << "root cannot become an ordinary user here";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the child's expectations failed (see above)";
  }

  Names Listing() const {
    Names names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  fs::path dir_;
};

struct LoadCase {
  const char* name;
  std::optional<std::string> file;  // nullopt: no file
  std::string section, key, expected;
  friend void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }
};

class LoadRules : public IniTest, public testing::WithParamInterface<LoadCase> {};

TEST_P(LoadRules, FindsTheValue) {
  if (GetParam().file) WriteBytes(File(), *GetParam().file);
  EXPECT_EQ(Open(File())->Load(GetParam().section, GetParam().key), GetParam().expected);
  EXPECT_EQ(fs::exists(File()), GetParam().file.has_value());
}

const std::string x253(253, 'x');
const std::string kBom = "\xEF\xBB\xBF";  // as editors on Windows start UTF-8 files

INSTANTIATE_TEST_SUITE_P(
    Table, LoadRules,
    testing::Values(
        LoadCase{"IgnoresCase", "[Ports]\r\nNumPorts=0\r\n", "ports", "numports", "0"},
        LoadCase{"TrimsBlanks", "[A]\r\n \t Key \t=  \t a b \t\r\n", "A", "Key", "a b"},
        LoadCase{"DoubleQuotes", "[A]\r\nk=\" padded \"\r\n", "A", "k", " padded "},
        LoadCase{"SingleQuotes", "[A]\r\nk='x'\r\n", "A", "k", "x"},
        LoadCase{"OnePairOnly", "[A]\r\nk=\"\"x\"\"\r\n", "A", "k", "\"x\""},
        LoadCase{"UnmatchedQuote", "[A]\r\nk=\"x'\r\n", "A", "k", "\"x'"},
        LoadCase{"LoneQuote", "[A]\r\nk=\"\r\n", "A", "k", "\""},
        LoadCase{"EqualsInValue", "[A]\r\nk=a=b\r\n", "A", "k", "a=b"},
        LoadCase{"EmptyValue", "[A]\r\nk=\r\nj=1\r\n", "A", "k", ""},
        LoadCase{"MissingFile", std::nullopt, "A", "k", ""},
        LoadCase{"ByteOrderMark", kBom + "[Ports]\r\nNumPorts=2\r\n", "ports", "NumPorts", "2"},
        LoadCase{"ByteOrderMarkOnlyFirst", "[A]\r\n" + kBom + "[B]\r\nk=1\r\n", "B", "k", ""},
        LoadCase{"MissingSection", "[A]\r\nk=1\r\n", "B", "k", ""},
        LoadCase{"MissingKey", "[A]\r\nk=1\r\n", "A", "j", ""},
        LoadCase{"KeyOfNextSection", "[A]\r\n[B]\r\nk=1\r\n", "A", "k", ""},
        LoadCase{"FirstKeyWins", "[A]\r\nk=1\r\nK=2\r\n", "A", "k", "1"},
        LoadCase{"FirstSectionWins", "[A]\r\nk=1\r\n[a]\r\nk=2\r\nj=3\r\n", "A", "j", ""},
        LoadCase{"NoSectionNoKeys", "k=1\r\n[A]\r\n", "", "k", ""},
        LoadCase{"UnclosedHeader", "  [ Open \r\nk=1\r\n", "open", "k", "1"},
        LoadCase{"TextAfterHeader", "[A] ; x = y\r\nk=1\r\n", "A", "k", "1"},
        LoadCase{"CrOnly", "[A]\rk=1\rj=2", "A", "j", "2"},
        LoadCase{"LfOnly", "[A]\nk=1\nj=2\n", "A", "j", "2"},
        LoadCase{"MixedEndings", "[A]\n\rk=1\r\nj=2\rm=3", "A", "m", "3"},
        LoadCase{"NulKept", "[A]\r\nk=a\0b\r\n"s, "A", "k", "a\0b"s},
        LoadCase{"CutKeepsUtf8Whole", "[A]\nk=" + x253 + "\xC3\xA9\xC3\xA9", "A", "k",
                 x253 + "\xC3\xA9"},
        LoadCase{"BadByteIsOneChar", "[A]\nk=" + x253 + "\xE2\x82\xFF", "A", "k",
                 x253 + "\xC3\xA2"},
        LoadCase{"Windows1252", "[A]\r\nk=caf\xE9 \xAB\xFF\xBB\r\n", "A", "k",
                 "caf\xC3\xA9 \xC2\xAB\xC3\xBF\xC2\xBB"},
        LoadCase{"Windows1252Specials", "[A]\r\nk=\x80\x93\x9D\x9F\r\n", "A", "k",
                 "\xE2\x82\xAC\xE2\x80\x9C\xC2\x9D\xC5\xB8"},
        LoadCase{"Utf8BesideStrayBytes", "[A]\r\nk=\xC3\xA9\xE9\xED\xA0\x80\r\n", "A", "k",
                 "\xC3\xA9\xC3\xA9\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
        LoadCase{"Windows1252CutAt254", "[A]\nk=" + x253 + "\xE9\xE9", "A", "k",
                 x253 + "\xC3\xA9"}),
    [](const auto& info) { return std::string(info.param.name); });

// A header ending in ']' names all between its outer brackets; else text may follow it.
INSTANTIATE_TEST_SUITE_P(
    Headers, LoadRules,
    testing::Values(LoadCase{"ToLastBracket", " [ a]b] \t\nk=1\n", "a]b", "k", "1"},
                    LoadCase{"TextAfterBrackets", "[A] ; [x] y\nk=1\n", "A", "k", "1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IniTest, SaveKeepsLongValuesWhileLoadCutsThem) {
  const std::string value(300, 'v');
  Open(File())->Save("A", "k", value);
  EXPECT_EQ(ReadBytes(File()), "[A]\r\nk=" + value + "\r\n");
  EXPECT_EQ(Open(File())->Load("A", "k"), value.substr(0, 254));
}

struct WholeCase {
  const char* name;
  std::string value;
  std::string stored;  // the bytes after "Params="
  std::string section = "Memory";
  friend void PrintTo(const WholeCase& c, std::ostream* os) { *os << c.name; }
};

class WholeValues : public IniTest, public testing::WithParamInterface<WholeCase> {};

// What is saved comes back whole through LoadWhole, and through the reading rules alone
// (Load, as earlier copies read) as far as they go; its section is found again.
TEST_P(WholeValues, ReadBackExactlyAsWritten) {
  const WholeCase& c = GetParam();
  Open(File())->Save(c.section, "Params", c.value);
  Open(File())->Save(c.section, "Port", "1");
  EXPECT_EQ(ReadBytes(File()), "[" + c.section + "]\r\nParams=" + c.stored + "\r\nPort=1\r\n");
  auto ini = Open(File());
  EXPECT_EQ(ini->LoadWhole(c.section, "Params"), c.value);
  EXPECT_EQ(ini->Load(c.section, "Params"), c.value.substr(0, 254));
}

const std::string kLongPath = "/home/mapper/" + std::string(255, 'd') + "/dsda-doom";

INSTANTIATE_TEST_SUITE_P(
    Table, WholeValues,
    testing::Values(
        WholeCase{"Plain", "-fast", "-fast"}, WholeCase{"LongPath", kLongPath, kLongPath},
        WholeCase{"Quoted", "\"my map.wad\" \"-skill 4\"", "\"\"my map.wad\" \"-skill 4\"\""},
        WholeCase{"SingleQuoted", "'x'", "\"'x'\""}, WholeCase{"EmptyQuotes", "\"\"", "\"\"\"\""},
        WholeCase{"BlanksAtEnds", " -fast\t", "\" -fast\t\""}, WholeCase{"LoneQuote", "\"", "\""},
        WholeCase{"QuotesOfTwoKinds", "\"a'", "\"a'"},
        WholeCase{"LongQuoted", "\"" + kLongPath + "\"", "\"\"" + kLongPath + "\"\""},
        WholeCase{"SectionWithBrackets", "1", "1", "Sunlust [UV].qls - Scheme for Quillon V2.0"},
        WholeCase{"SectionInBrackets", "1", "1", "[x]"}),
    [](const auto& info) { return std::string(info.param.name); });

struct SaveCase {
  const char* name;
  std::optional<std::string> before;  // nullopt: no file yet
  std::string section, key, value, after;
  friend void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.name; }
};

class SaveRules : public IniTest, public testing::WithParamInterface<SaveCase> {};

TEST_P(SaveRules, WritesExactly) {
  const SaveCase& c = GetParam();
  if (c.before) WriteBytes(File(), *c.before);
  Open(File())->Save(c.section, c.key, c.value);
  EXPECT_EQ(ReadBytes(File()), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SaveRules,
    testing::Values(
        SaveCase{"InPlace", "; note\n[A]\n  Key \t=  old ; x\nzz = 1\n\n", "a", "KEY", "new",
                 "; note\n[A]\n  Key \t=new\nzz = 1\n\n"},
        SaveCase{"NewKeyEndsItsSection", "[A]\r\nk=1\r\n; c\r\n\r\n\r\n[B]\r\nm=2\r\n", "A", "j",
                 "2", "[A]\r\nk=1\r\n; c\r\nj=2\r\n\r\n\r\n[B]\r\nm=2\r\n"},
        SaveCase{"NewKeyInEmptySection", "[A]\r\n\r\n[B]\r\n", "A", "k", "v",
                 "[A]\r\nk=v\r\n\r\n[B]\r\n"},
        SaveCase{"NewKeyAfterUnendedLine", "[A]\nk=1", "A", "j", "2", "[A]\nk=1\r\nj=2\r\n"},
        SaveCase{"NewSection", "[A]\r\nk=1\r\n\r\n", "B", "x", "y",
                 "[A]\r\nk=1\r\n\r\n[B]\r\nx=y\r\n"},
        SaveCase{"NewSectionAfterUnendedLine", "[A]\rk=1", "B", "x", "y",
                 "[A]\rk=1\r\n[B]\r\nx=y\r\n"},
        SaveCase{"MissingFile", std::nullopt, "A", "k", "v", "[A]\r\nk=v\r\n"},
        SaveCase{"ByteOrderMarkKept", kBom + "[Ports]\r\nNumPorts=0\r\n\r\n[IWADs]\r\n", "Ports",
                 "Port1Name", "Doom",
                 kBom + "[Ports]\r\nNumPorts=0\r\nPort1Name=Doom\r\n\r\n[IWADs]\r\n"},
        SaveCase{"ByteOrderMarkAlone", kBom, "A", "k", "v", kBom + "[A]\r\nk=v\r\n"},
        SaveCase{"EmptyValueKeepsKey", "[A]\r\nk=old\r\n", "A", "k", "", "[A]\r\nk=\r\n"},
        SaveCase{"FirstDuplicate", "[A]\r\nk=1\r\n[A]\r\nk=2\r\n", "A", "k", "3",
                 "[A]\r\nk=3\r\n[A]\r\nk=2\r\n"},
        SaveCase{"PreambleUntouched", "k=1\r\n[A]\r\n", "A", "k", "2", "k=1\r\n[A]\r\nk=2\r\n"},
        SaveCase{"NoLineInjection", "[A]\r\nk=1\r\n", "A", "k", "x\r\n[Evil]\rz=1\n",
                 "[A]\r\nk=\"x  [Evil] z=1 \"\r\n"},
        SaveCase{"NoInjectionByNames", "", "A\n[B]", "k\rj", "v", "[A [B]]\r\nk j=v\r\n"},
        SaveCase{"NulKept", "[A]\r\nk=1\r\n", "A", "k", "a\0b"s, "[A]\r\nk=a\0b\r\n"s}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IniTest, GarbageNeitherCrashesNorIsLost) {
  std::string garbage = "[A]\r\nk=" + std::string(10'000'000, 'L') + "\r\n";
  std::mt19937 random(7);
  for (int i = 0; i < 100'000; ++i) garbage += static_cast<char>(random());
  WriteBytes(File(), garbage);
  auto ini = Open(File());
  EXPECT_EQ(ini->Load("A", "k"), std::string(254, 'L'));
  ini->Save("Quillon", "Key", "v");
  EXPECT_EQ(ini->Load("Quillon", "Key"), "v");
  EXPECT_EQ(ReadBytes(File()).substr(0, garbage.size()), garbage);
}

// Pieces short and long, past the size gathered for one write, come out whole and in order.
TEST_F(IniTest, PiecesAreWrittenWholeAndInOrder) {
  std::vector<std::string> texts;
  for (int n = 0; n < 40000; ++n) texts.push_back(std::to_string(n) + (n % 2 ? "\r\n" : "="));
  texts.insert(texts.begin() + 20000, std::string(300000, 'L'));
  texts.push_back(std::string(2 << 20, 'M'));
  texts.push_back("end");
  const std::vector<std::string_view> pieces(texts.begin(), texts.end());
  std::string whole;
  for (const std::string& text : texts) whole += text;
  ASSERT_TRUE(filestore::WriteAtomically(File(), pieces));
  std::ifstream in(File(), std::ios::binary);
  EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(in), {}) == whole);
}

TEST_F(IniTest, CreateReplacesTheFileWithTheDefaults) {
  WriteBytes(File(), "[Old]\r\nk=1\r\n");
  auto ini = Open(File());
  EXPECT_EQ(ini->Load("Old", "k"), "1");
  ini->Create(DefaultIniLines());
  EXPECT_EQ(ReadBytes(File()),
            "[Ports]\r\nNumPorts=0\r\n\r\n[IWADs]\r\nNumIWADs=0\r\n\r\n[Programs]\r\nNumProgs=0\r\n"
            "\r\n[Files]\r\nNumFiles=0\r\n\r\n[Memory]\r\nPort=0\r\nIWAD=0\r\nProg=0\r\n"
            "UseFiles=0\r\nExitOnTest=0\r\nWarp=0\r\nWarpTo=1\r\nNoMonsters=0\r\nNoMusic=0\r\n"
            "NoSound=0\r\nNoCD=0\r\nOpenGL=0\r\n\r\n");
  EXPECT_EQ(ini->Load("Old", "k"), "");
}

TEST_F(IniTest, CreateFailuresThrowAndLeaveNoTempFile) {
  EXPECT_THROW(Open(dir_ / "missing" / "QLN2.ini")->Create({"[A]"}), IniWriteError);
  fs::create_directories(File() / "in the way");  // the final rename fails
  EXPECT_THROW(Open(File())->Create({"[A]"}), IniWriteError);
  EXPECT_EQ(Listing(), Names{"QLN2.ini"});
}

// The folder takes no temporary file but the file takes writes: it is written in place,
// growing and shrinking, and a file that does not exist yet still cannot be made there.
TEST_F(IniTest, ReadOnlyDirectoryIsWrittenInPlace) {
  WriteBytes(File(), "[A]\r\nk=1\r\n");
  InChild(Privileges::Drop, [&] {
    auto ini = Open(File());
    ASSERT_TRUE(MakeReadOnly()) << "the directory still takes new files";
    const std::string longValue(5000, 'v');
    // Too big for the disk: fails before the old text is touched.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit roomy = limit;
    limit.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    ini->Save("A", "k", longValue);
    EXPECT_EQ(ReadBytes(File()), "[A]\r\nk=1\r\n");
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &roomy), 0);
    EXPECT_TRUE(IniCache::FlushAll());
    ini->Save("A", "k", longValue);
    EXPECT_FALSE(IniCache::HasPendingWrites());
    EXPECT_EQ(ReadBytes(File()), "[A]\r\nk=" + longValue + "\r\n");
    ini->Save("A", "k", "2");
    EXPECT_EQ(ReadBytes(File()), "[A]\r\nk=2\r\n");
    ini->Create({"[B]"});
    EXPECT_EQ(ReadBytes(File()), "[B]\r\n");
    EXPECT_EQ(Listing(), Names{"QLN2.ini"});
    EXPECT_THROW(Open(File("new.ini"))->Create({"[B]"}), IniWriteError);
    Open(File("new.ini"))->Save("A", "k", "1");
    EXPECT_FALSE(IniCache::FlushAll());
    EXPECT_EQ(Listing(), Names{"QLN2.ini"});
    fs::permissions(dir_, fs::perms::owner_all);
    EXPECT_TRUE(IniCache::FlushAll());
    EXPECT_EQ(ReadBytes(File("new.ini")), "[A]\r\nk=1\r\n");
  });
}

TEST_F(IniTest, ReadOnlyFileIsNotReplaced) {
  WriteBytes(File(), "[A]\r\nk=1\r\n");
  InChild(Privileges::Drop, [&] {
    fs::permissions(File(), fs::perms::owner_read);
    ASSERT_FALSE(std::ofstream(File(), std::ios::app)) << "the file still takes writes";
    auto ini = Open(File());
    ini->Save("A", "k", "2");
    EXPECT_FALSE(IniCache::FlushAll());
    EXPECT_EQ(ReadBytes(File()), "[A]\r\nk=1\r\n");
    EXPECT_EQ(ini->Load("A", "k"), "2");
  });
}

class FullDisk : public IniTest, public testing::WithParamInterface<bool> {};

// A full disk, played by a file size limit: every write stops part way, yet the old file
// stays whole with nothing left beside it, the process goes on, and the change is written
// once there is room again.
TEST_P(FullDisk, KeepsTheOldFileAndThePendingChange) {
  const std::string before = "[A]\r\nk=1\r\n";
  WriteBytes(File(), before);
  InChild(Privileges::Keep, [&] {
    ::signal(SIGXFSZ, SIG_IGN);  // the write then fails with EFBIG instead of killing us
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit roomy = limit;
    limit.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);

    if (GetParam()) IniCache::SetFlushRequester([] {});
    auto ini = Open(File());
    const std::string big(10'000, 'x');
    ini->Save("A", "big", big);
    EXPECT_FALSE(IniCache::FlushAll());
    EXPECT_THROW(ini->Create({"[B]", big}), IniWriteError);
    EXPECT_EQ(ReadBytes(File()), before);
    EXPECT_EQ(Listing(), Names{"QLN2.ini"});
    EXPECT_TRUE(IniCache::HasPendingWrites());
    EXPECT_EQ(ini->Load("A", "big"), big.substr(0, 254));
    EXPECT_EQ(ini->Load("A", "k"), "1");

    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &roomy), 0);
    EXPECT_TRUE(IniCache::FlushAll());
    EXPECT_EQ(ReadBytes(File()), before + "big=" + big + "\r\n");
  });
}

std::string DeferredOrNotName(const testing::TestParamInfo<bool>& info) {
  return info.param ? "Deferred" : "AtOnce";
}

INSTANTIATE_TEST_SUITE_P(DeferredOrNot, FullDisk, testing::Bool(), DeferredOrNotName);

TEST_F(IniTest, ObjectsOnOnePathShareUnflushedWrites) {
  IniCache::SetFlushRequester([] {});
  auto first = Open(File());
  auto second = Open(dir_ / "." / "sub" / ".." / "QLN2.ini");
  first->Save("A", "k", "1");
  EXPECT_EQ(second->Load("a", "K"), "1");
  EXPECT_FALSE(fs::exists(File()));
  first.reset();
  second.reset();  // the change must outlive its last reader
  EXPECT_TRUE(IniCache::FlushAll());
  EXPECT_EQ(ReadBytes(File()), "[A]\r\nk=1\r\n");
}

enum class OutsideEdit { Grow, SameSizeLaterTime, ReplacedByRename };
void PrintTo(OutsideEdit edit, std::ostream* os) {
  *os << (edit == OutsideEdit::Grow                ? "Grow"
          : edit == OutsideEdit::SameSizeLaterTime ? "SameSize"
                                                   : "Rename");
}

class OutsideEdits : public IniTest, public testing::WithParamInterface<OutsideEdit> {
 protected:
  // Another program changes k=1 in the way the case names.
  void EditFromOutside() {
    const auto time = fs::last_write_time(File());
    if (GetParam() == OutsideEdit::Grow) WriteBytes(File(), "[A]\r\nk=22\r\n");
    if (GetParam() == OutsideEdit::SameSizeLaterTime) {
      WriteBytes(File(), "[A]\r\nk=2\r\n");
      fs::last_write_time(File(), time + std::chrono::seconds(5));
    }
    if (GetParam() == OutsideEdit::ReplacedByRename) {
      WriteBytes(File("new"), "[A]\r\nk=2\r\n");
      fs::rename(File("new"), File());
    }
  }
};

TEST_P(OutsideEdits, NextLoadSeesThem) {
  WriteBytes(File(), "[A]\r\nk=1\r\n");
  auto ini = Open(File());
  ASSERT_EQ(ini->Load("A", "k"), "1");
  EditFromOutside();
  EXPECT_NE(ini->Load("A", "k"), "1");
}

// As the app runs: the stat is made once per event, and the event's end (the requested
// FlushAll) ends that trust, also after an event that only read.
TEST_P(OutsideEdits, NextEventSeesThemWhenDeferred) {
  int requests = 0;
  IniCache::SetFlushRequester([&] { ++requests; });
  WriteBytes(File(), "[A]\r\nk=1\r\n");
  auto ini = Open(File());
  ASSERT_EQ(ini->Load("A", "k"), "1");
  ASSERT_EQ(requests, 1) << "an event that reads must ask for its end";
  EXPECT_TRUE(IniCache::FlushAll());
  EditFromOutside();
  EXPECT_NE(ini->Load("A", "k"), "1");
  ini->Save("A", "j", "3");  // and a write of the next event keeps that edit
  EXPECT_TRUE(IniCache::FlushAll());
  EXPECT_EQ(ReadBytes(File()).find("k=1"), std::string::npos);
}

// The start reads the file ahead on another thread; an edit made before the first load,
// after that read, must still be seen.
TEST_P(OutsideEdits, AreSeenAfterAReadAhead) {
  WriteBytes(File(), "[A]\r\nk=1\r\n");
  IniCache::ReadAhead(File().string());
  std::this_thread::sleep_for(std::chrono::milliseconds(20));  // most often read by now
  EditFromOutside();
  EXPECT_NE(Open(File())->Load("A", "k"), "1");
}

INSTANTIATE_TEST_SUITE_P(Kinds, OutsideEdits,
                         testing::Values(OutsideEdit::Grow, OutsideEdit::SameSizeLaterTime,
                                         OutsideEdit::ReplacedByRename),
                         testing::PrintToStringParamName());

// Whatever the spelling of its path, the file read ahead is the one the load finds, and one
// missing then is read once it is there.
TEST_F(IniTest, AReadAheadIsTheFileALoadFinds) {
  const std::string bytes = "[A]\r\nk=1\r\n[B]\nj=2";
  WriteBytes(File(), bytes);
  IniCache::ReadAhead((dir_ / "." / "QLN2.ini").string());
  auto ini = Open(File());
  EXPECT_EQ(ini->Load("B", "j"), "2");
  ini->Save("A", "k", "3");
  ASSERT_TRUE(IniCache::FlushAll());
  EXPECT_EQ(ReadBytes(File()), "[A]\r\nk=3\r\n[B]\nj=2");

  IniCache::ReadAhead(File("later.ini").string());
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  WriteBytes(File("later.ini"), bytes);
  EXPECT_EQ(Open(File("later.ini"))->Load("A", "k"), "1");
}

TEST_F(IniTest, DeferredSavesWaitForFlushAll) {
  int requests = 0;
  IniCache::SetFlushRequester([&] { ++requests; });
  WriteBytes(File(), "[A]\r\nk=1\r\n");
  auto ini = Open(File());
  ini->Save("A", "k", "2");
  ini->Save("A", "j", "3");
  Open(File("other.ini"))->Save("B", "m", "4");
  EXPECT_EQ(requests, 1);
  EXPECT_TRUE(IniCache::HasPendingWrites());
  EXPECT_EQ(ReadBytes(File()), "[A]\r\nk=1\r\n");
  EXPECT_EQ(ini->Load("A", "k"), "2");

  EXPECT_TRUE(IniCache::FlushAll());
  EXPECT_FALSE(IniCache::HasPendingWrites());
  EXPECT_EQ(ReadBytes(File()), "[A]\r\nk=2\r\nj=3\r\n");
  EXPECT_EQ(ReadBytes(File("other.ini")), "[B]\r\nm=4\r\n");
  ini->Save("A", "k", "5");
  EXPECT_EQ(requests, 2);
}

// One document rewritten for a long time without a write: values that grow, shrink and
// come back, keys added between them, in a file of mixed endings, so that old texts pile
// up and are dropped again while the lines keep their places, endings and index.
TEST_F(IniTest, LongRunsOfRewritesKeepEveryLineExact) {
  constexpr int kKeys = 1500;
  std::vector<std::string> values(kKeys, "0");
  std::vector<std::string> added;
  const auto bytes = [&] {
    std::string text = "; kept\n[A]\r\n";
    for (int k = 0; k < kKeys; ++k) {
      text += "K" + std::to_string(k) + " =" + values[k] + (k % 3 == 0 ? "\n" : "\r\n");
    }
    for (const std::string& line : added) text += line + "\r\n";
    return text + "\r\n[B]\rx=1";
  };
  WriteBytes(File(), bytes());
  IniCache::SetFlushRequester([] {});
  auto ini = Open(File());
  for (int round = 1; round <= 30; ++round) {
    for (int k = round % 2; k < kKeys; k += 2) {
      values[k] = (k + round) % 4 == 0 ? std::string(90, static_cast<char>('a' + round % 26))
                                       : std::to_string(round);
      ini->Save("a", "k" + std::to_string(k), values[k]);
    }
    ini->Save("A", "New" + std::to_string(round), "v");
    added.push_back("New" + std::to_string(round) + "=v");
    for (int k : {0, 1, 777, kKeys - 1}) {
      ASSERT_EQ(ini->Load("A", "K" + std::to_string(k)), values[k]) << round << " " << k;
    }
    ASSERT_EQ(ini->Load("a", "new" + std::to_string(round)), "v");
  }
  EXPECT_EQ(ini->Load("B", "x"), "1");
  EXPECT_TRUE(IniCache::FlushAll());
  EXPECT_EQ(ReadBytes(File()), bytes());
}

TEST_F(IniTest, OutsideEditWhileDirtyIsMerged) {
  IniCache::SetFlushRequester([] {});
  WriteBytes(File(), "[A]\r\nk=1\r\n");
  auto ini = Open(File());
  ini->Save("A", "k", "ours");
  WriteBytes(File(), "[A]\r\nk=1\r\n[B]\r\nm=theirs\r\n");
  EXPECT_TRUE(IniCache::FlushAll());
  EXPECT_EQ(ReadBytes(File()), "[A]\r\nk=ours\r\n[B]\r\nm=theirs\r\n");
}

struct MergeCase {
  const char* name;
  std::function<void(ReadWrite&)> writes;
  std::string merged;  // the file after an outside edit added [B] m=theirs
  friend void PrintTo(const MergeCase& c, std::ostream* os) { *os << c.name; }
};

class MergedWrites : public IniTest, public testing::WithParamInterface<MergeCase> {};

// The writes of one event replayed over an edit made meanwhile by another program: each key
// ends with the last text it was given, new keys in the order they were first made.
TEST_P(MergedWrites, KeepTheLastTextOfEveryKey) {
  IniCache::SetFlushRequester([] {});
  WriteBytes(File(), "[A]\r\nk1=one\r\nk2=two\r\nk3=three\r\n");
  auto ini = Open(File());
  GetParam().writes(*ini);
  WriteBytes(File(), "[A]\r\nk1=one\r\nk2=two\r\nk3=three\r\n[B]\r\nm=theirs\r\n");
  EXPECT_TRUE(IniCache::FlushAll());
  EXPECT_EQ(ReadBytes(File()), GetParam().merged);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MergedWrites,
    testing::Values(MergeCase{"MovedDown",
                              [](ReadWrite& ini) {
                                ini.MoveRaw("A", "k2", "k1");
                                ini.MoveRaw("A", "k3", "k2");
                                ini.MoveRaw("A", "k4", "k3", ReadWrite::Move::WhenDifferent);
                                ini.MoveRaw("A", "x4", "x3", ReadWrite::Move::WhenDifferent);
                                ini.MoveRaw("A", "k5", "k4");
                              },
                              "[A]\r\nk1=two\r\nk2=three\r\nk3=\r\nk4=\r\n[B]\r\nm=theirs\r\n"},
                    MergeCase{"MovedDownInOneWalk",
                              [](ReadWrite& ini) {
                                const ReadWrite::NumberedKey keys[] = {
                                    {"", ReadWrite::Move::Always}, {"y", ReadWrite::Move::Always}};
                                ini.MoveNumberedDown("A", "k", keys, 1, 3);
                              },
                              "[A]\r\nk1=two\r\nk2=three\r\nk3=three\r\nk1y=\r\nk2y=\r\n[B]\r\n"
                              "m=theirs\r\n"},
                    MergeCase{
                        "SavedTwice",
                        [](ReadWrite& ini) {
                          ini.Save("A", "new", "first");
                          ini.Save("A", "k1", "1");
                          ini.Save("A", "new", "second");
                        },
                        "[A]\r\nk1=1\r\nk2=two\r\nk3=three\r\nnew=second\r\n[B]\r\nm=theirs\r\n"},
                    MergeCase{"KeysNotFoundByName",
                              [](ReadWrite& ini) {
                                ini.Save("A", "k1", "1");
                                ini.Save("A", "a=b", "c");
                                ini.Save("A", "[C", "d");
                                ini.Save("A", "k1", "2");
                              },
                              "[A]\r\nk1=2\r\nk2=two\r\nk3=three\r\na=b=c\r\n[C=d\r\n[B]\r\n"
                              "m=theirs\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// A renumbering writes, or asks for the write, only when one of its moves changed the
// document, and the file then holds what the moves made, deferred or not.
TEST_F(IniTest, RenumberingWritesOnlyWhatItChanged) {
  struct Row {
    std::string file;
    std::optional<std::string> written;  // none: nothing to write
  };
  const Row rows[] = {
      {"[A]\r\nk1=x\r\nk2=x\r\nk3=x\r\n", std::nullopt},
      {"[A]\r\nk1=a\r\nk2=b\r\nk3=c\r\n", "[A]\r\nk1=b\r\nk2=c\r\nk3=c\r\n"},
      // No section: the first move makes it, and the later ones find it.
      {"[B]\r\nm=1\r\n", "[B]\r\nm=1\r\n[A]\r\nk1=\r\nk2=\r\n"},
  };
  const ReadWrite::NumberedKey keys[] = {{"", ReadWrite::Move::Always},
                                         {"x", ReadWrite::Move::WhenDifferent}};
  for (const bool deferred : {false, true}) {
    for (const Row& row : rows) {
      IniCache::SetFlushRequester(deferred ? std::function<void()>([] {}) : nullptr);
      WriteBytes(File(), row.file);
      auto ini = Open(File());
      ini->MoveNumberedDown("A", "k", keys, 1, 3);
      EXPECT_EQ(IniCache::HasPendingWrites(), deferred && row.written) << row.file;
      EXPECT_TRUE(IniCache::FlushAll());
      EXPECT_EQ(ReadBytes(File()), row.written.value_or(row.file)) << deferred;
    }
  }
}

TEST_F(IniTest, CreateDiscardsPendingSaves) {
  IniCache::SetFlushRequester([] {});
  auto ini = Open(File());
  ini->Save("A", "k", "1");
  ini->Create({"[B]"});
  EXPECT_FALSE(IniCache::HasPendingWrites());
  EXPECT_EQ(ReadBytes(File()), "[B]\r\n");
}

class FailedWrites : public IniTest, public testing::WithParamInterface<bool> {};

// Deferred or not, a write that fails keeps the change and tries again at the next flush.
TEST_P(FailedWrites, KeepThePendingChange) {
  if (GetParam()) IniCache::SetFlushRequester([] {});
  auto ini = Open(dir_ / "later" / "QLN2.ini");
  ini->Save("A", "k", "1");
  EXPECT_FALSE(IniCache::FlushAll());
  EXPECT_TRUE(IniCache::HasPendingWrites());
  EXPECT_EQ(ini->Load("A", "k"), "1");
  fs::create_directory(dir_ / "later");
  EXPECT_TRUE(IniCache::FlushAll());
  EXPECT_EQ(ReadBytes(dir_ / "later" / "QLN2.ini"), "[A]\r\nk=1\r\n");
}

INSTANTIATE_TEST_SUITE_P(DeferredOrNot, FailedWrites, testing::Bool(), DeferredOrNotName);

TEST_F(IniTest, WritesKeepPermissions) {
  constexpr auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  WriteBytes(File(), "[A]\r\n");
  fs::permissions(File(), mode);
  Open(File())->Save("A", "k", "1");
  Open(File())->Create({"[B]"});
  EXPECT_EQ(fs::status(File()).permissions(), mode);

  // A new file is the user's alone, whatever the umask would allow.
  const mode_t umask = ::umask(0);
  Open(File("saved.ini"))->Save("A", "k", "1");
  Open(File("created.ini"))->Create({"[A]"});
  ::umask(umask);
  constexpr auto owner = fs::perms::owner_read | fs::perms::owner_write;
  EXPECT_EQ(fs::status(File("saved.ini")).permissions(), owner);
  EXPECT_EQ(fs::status(File("created.ini")).permissions(), owner);
}

// Root saving another user's file (a setup run under sudo) must leave it theirs.
TEST_F(IniTest, WritesKeepTheOwner) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root may give a file to another user";
  WriteBytes(File(), "[A]\r\n");
  ASSERT_EQ(::chown(File().c_str(), kNobody, kNobody), 0);
  Open(File())->Save("A", "k", "1");
  struct stat info {};
  ASSERT_EQ(::stat(File().c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, kNobody);
  EXPECT_EQ(info.st_gid, kNobody);
  EXPECT_EQ(ReadBytes(File()), "[A]\r\nk=1\r\n");
}

// A power cut keeps only what reached the disk: the new bytes must be there before the
// rename makes them the file, and the rename before the save counts as done. A killed
// process cannot show this; the order of the calls can.
TEST_F(IniTest, SaveSyncsTheNewBytesThenRenamesThenSyncsTheFolder) {
  WriteBytes(File(), "[A]\r\nk=1\r\n");
  auto ini = Open(File());
  const auto calls = test::RecordSyncCalls([&] { ini->Save("A", "k", "2"); });
  ASSERT_EQ(ReadBytes(File()), "[A]\r\nk=2\r\n");

  const fs::path folder = fs::canonical(dir_);
  fs::path temp;
  for (const auto& call : calls) {
    if (call.kind == test::SyncCall::Kind::Rename) temp = fs::weakly_canonical(call.path);
  }
  const auto name = [&](const fs::path& path) {
    const fs::path canonical = fs::weakly_canonical(path);
    if (canonical == folder) return "folder"s;
    if (canonical == folder / "QLN2.ini") return "QLN2.ini"s;
    if (canonical == temp && temp.parent_path() == folder) return "temp"s;
    return path.string();
  };
  Names seen;
  for (const auto& call : calls) {
    seen.push_back(call.kind == test::SyncCall::Kind::Fsync
                       ? "fsync " + name(call.path)
                       : "rename " + name(call.path) + " " + name(call.to));
  }
  EXPECT_EQ(seen, (Names{"fsync temp", "rename temp QLN2.ini", "fsync folder"}));
}

struct UnchangedCase {
  const char* name;
  std::string before;
  std::string value;
  bool writes;
  friend void PrintTo(const UnchangedCase& c, std::ostream* os) { *os << c.name; }
};

class SavingWhatIsStored : public IniTest, public testing::WithParamInterface<UnchangedCase> {};

// A value saved again as it is stored leaves the file alone: with full lists every write
// is megabytes, and the window saves its options at every close.
TEST_P(SavingWhatIsStored, WritesOnlyWhenTheBytesChange) {
  const UnchangedCase& c = GetParam();
  WriteBytes(File(), c.before);
  auto ini = Open(File());
  ini->Load("A", "k");
  const auto calls = test::RecordSyncCalls([&] { ini->Save("A", "k", c.value); });
  EXPECT_EQ(!calls.empty(), c.writes);
  EXPECT_EQ(ini->Load("A", "k"), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SavingWhatIsStored,
    testing::Values(UnchangedCase{"SameText", "[A]\r\nk=1\r\n", "1", false},
                    UnchangedCase{"OtherText", "[A]\r\nk=1\r\n", "2", true},
                    UnchangedCase{"SameValueOtherBytes", "[A]\r\nk= 1\r\n", "1", true},
                    UnchangedCase{"NewKey", "[A]\r\nj=1\r\n", "1", true},
                    UnchangedCase{"EmptyStaysEmpty", "[A]\r\nk=\r\n", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IniTest, EveryCallOfAnEventSeesItsEarlierWrites) {
  IniCache::SetFlushRequester([] {});
  WriteBytes(File(), "[A]\r\nk=1\r\n");
  auto reader = Open(File());
  auto writer = Open(File());
  ASSERT_EQ(reader->Load("A", "k"), "1");
  writer->Save("A", "k", "2");
  EXPECT_EQ(reader->Load("A", "k"), "2");
  EXPECT_TRUE(IniCache::FlushAll());
  ASSERT_EQ(reader->Load("A", "k"), "2");
  writer->Create({"[A]", "k=3"});
  EXPECT_EQ(reader->Load("A", "k"), "3");
  writer->Save("A", "k", "4");
  EXPECT_EQ(reader->LoadRaw("A", "k"), "4");
}

struct RawCase {
  const char* name;
  std::string value;  // as stored after "k="
  friend void PrintTo(const RawCase& c, std::ostream* os) { *os << c.name; }
};

class LoadRawKeeps : public IniTest, public testing::WithParamInterface<RawCase> {};

// Moving an entry to another number copies its text through LoadRaw and Save; whatever
// Load would trim, unquote, cut or convert arrives unchanged.
TEST_P(LoadRawKeeps, TheStoredTextThroughAMove) {
  const std::string value = GetParam().value;
  WriteBytes(File(), "[Ports]\r\nPort1Path=old\r\nPort2Path=" + value + "\r\n");
  auto ini = Open(File());
  EXPECT_EQ(ini->LoadRaw("ports", " Port2Path "), value);
  ini->SaveRaw("Ports", "Port1Path", ini->LoadRaw("Ports", "Port2Path"));
  EXPECT_EQ(ReadBytes(File()), "[Ports]\r\nPort1Path=" + value + "\r\nPort2Path=" + value + "\r\n");
  EXPECT_EQ(ini->LoadRaw("Ports", "Port3Path"), "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, LoadRawKeeps,
    testing::Values(RawCase{"LongPath", "/home/" + std::string(400, 'd') + "/doom"},
                    RawCase{"Blanks", "  /opt/doom port/  "}, RawCase{"Quotes", "\"/opt/x\""},
                    RawCase{"Windows1252", "C:\\Jeux\\caf\xE9.exe"}, RawCase{"Empty", ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct LegacyCase {
  const char* name;
  std::string stored;  // the bytes after "Params="
  std::string saved;   // what the window writes back
  std::string after;   // the bytes after "Params=" then
  friend void PrintTo(const LegacyCase& c, std::ostream* os) { *os << c.name; }
};

class LegacyText : public IniTest, public testing::WithParamInterface<LegacyCase> {};

// A file made on Windows: Latin text read as Windows-1252 survives a restore and close.
TEST_P(LegacyText, SurvivesItsWayBack) {
  const LegacyCase& c = GetParam();
  WriteBytes(File(), "[Memory]\r\nParams=" + c.stored + "\r\n");
  auto ini = Open(File());
  ini->Save("Memory", "Params", c.saved);
  EXPECT_EQ(ReadBytes(File()), "[Memory]\r\nParams=" + c.after + "\r\n");
  EXPECT_EQ(ini->Load("Memory", "Params"), c.saved);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LegacyText,
    testing::Values(
        LegacyCase{"UnchangedKeepsBytes", " \"-file caf\xE9.wad\" ", "-file caf\xC3\xA9.wad",
                   " \"-file caf\xE9.wad\" "},
        LegacyCase{"ChangedBecomesUtf8", "caf\xE9", "caf\xC3\xA9 -fast", "caf\xC3\xA9 -fast"},
        LegacyCase{"Utf8IsReplacedAsBefore", " caf\xC3\xA9 ", "caf\xC3\xA9", "caf\xC3\xA9"},
        LegacyCase{"QuotedUnchangedKeepsBytes", "\"\"caf\xE9\"\"", "\"caf\xC3\xA9\"",
                   "\"\"caf\xE9\"\""},
        LegacyCase{"QuotedChangedIsWrapped", "caf\xE9", "\"caf\xC3\xA9\"", "\"\"caf\xC3\xA9\"\""}),
    [](const auto& info) { return std::string(info.param.name); });

struct StaleCase {
  const char* name;
  std::string file;
  int minutesOld;
  bool directory;
  bool removed;
  bool othersFile = false;  // owned by another user
  friend void PrintTo(const StaleCase& c, std::ostream* os) { *os << c.name; }
};

class LeftoverTempFiles : public IniTest, public testing::WithParamInterface<StaleCase> {};

// Copies a crash left between writing and renaming go at the next successful write; a
// recent one may be another writer's work in progress, and other names are not ours, nor
// are other people's files, whatever their name.
TEST_P(LeftoverTempFiles, GoOnlyWhenOursAndStale) {
  const StaleCase& c = GetParam();
  if (c.directory) {
    fs::create_directory(File(c.file));
  } else {
    WriteBytes(File(c.file), "[A]\r\nk=half");
  }
  if (c.othersFile && ::geteuid() != 0) GTEST_SKIP() << "only root may give a file away";
  if (c.othersFile) {
    ASSERT_EQ(::chown(File(c.file).c_str(), kNobody, kNobody), 0);
  }
  fs::last_write_time(File(c.file),
                      fs::file_time_type::clock::now() - std::chrono::minutes(c.minutesOld));
  Open(File())->Save("A", "k", "1");
  Names expected{"QLN2.ini"};
  if (!c.removed) expected.push_back(c.file);
  Names listing = Listing();
  std::sort(listing.begin(), listing.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listing, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LeftoverTempFiles,
    testing::Values(StaleCase{"Stale", ".quillon-a1b2c3d4.tmp", 11, false, true},
                    StaleCase{"StaleShort", ".quillon-7.tmp", 11, false, true},
                    StaleCase{"Recent", ".quillon-a1b2c3d4.tmp", 9, false, false},
                    StaleCase{"UsersBackup", ".QLN2.ini.backup", 24 * 60, false, false},
                    StaleCase{"EarlierCopysPattern", ".QLN2.ini.a1B2c3", 60, false, false},
                    StaleCase{"NothingBetween", ".quillon-.tmp", 60, false, false},
                    StaleCase{"TooLong", ".quillon-a1b2c3d4e.tmp", 60, false, false},
                    StaleCase{"OtherChars", ".quillon-a1B2c3d4.tmp", 60, false, false},
                    StaleCase{"OtherEnd", ".quillon-a1b2c3d4.tmp.bak", 60, false, false},
                    StaleCase{"NotHidden", "quillon-a1b2c3d4.tmp", 60, false, false},
                    StaleCase{"Directory", ".quillon-a1b2c3d4.tmp", 60, true, false},
                    StaleCase{"AnotherUsers", ".quillon-a1b2c3d4.tmp", 60, false, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

enum class Vanish { AtOnce, BetweenEvents, WhileDirty };
void PrintTo(Vanish when, std::ostream* os) {
  *os << (when == Vanish::AtOnce       ? "AtOnce"
          : when == Vanish::WhileDirty ? "WhileDirty"
                                       : "BetweenEvents");
}

class VanishedFile : public IniTest, public testing::WithParamInterface<Vanish> {};

// Deleted while the program runs: the next write puts back all it knew, not a file of only
// the keys written since, which the next start could not read.
TEST_P(VanishedFile, ComesBackWhole) {
  const std::string lists = "[Ports]\r\nNumPorts=1\r\nPort1Name=Doom\r\n\r\n[Memory]\r\n";
  WriteBytes(File(), lists + "Port=0\r\n");
  if (GetParam() != Vanish::AtOnce) IniCache::SetFlushRequester([] {});
  auto ini = Open(File());
  ASSERT_EQ(ini->Load("Ports", "NumPorts"), "1");
  if (GetParam() == Vanish::WhileDirty) ini->Save("Memory", "Port", "1");
  ASSERT_TRUE(GetParam() != Vanish::BetweenEvents || IniCache::FlushAll());
  fs::remove(File());
  if (GetParam() != Vanish::WhileDirty) {
    EXPECT_EQ(ini->Load("Ports", "NumPorts"), "1");
    ini->Save("Memory", "Port", "1");
  }
  EXPECT_TRUE(IniCache::FlushAll());
  EXPECT_EQ(ReadBytes(File()), lists + "Port=1\r\n");
}

INSTANTIATE_TEST_SUITE_P(When, VanishedFile,
                         testing::Values(Vanish::AtOnce, Vanish::BetweenEvents, Vanish::WhileDirty),
                         testing::PrintToStringParamName());

struct LinkCase {
  const char* name;
  std::vector<std::pair<std::string, std::string>> links;  // where, and the text it holds
  bool targetExists;
  std::string target;  // where the bytes must land
  friend void PrintTo(const LinkCase& c, std::ostream* os) { *os << c.name; }
};

class Links : public IniTest, public testing::WithParamInterface<LinkCase> {};

// A write through links lands where they lead, even where nothing is yet; the links stay.
TEST_P(Links, WriteTheirTargetAndStay) {
  fs::create_directory(dir_ / "real");
  if (GetParam().targetExists) WriteBytes(dir_ / GetParam().target, "[A]\r\nk=1\r\n");
  for (const auto& [link, text] : GetParam().links) fs::create_symlink(text, dir_ / link);
  Open(File())->Save("A", "k", "2");
  EXPECT_EQ(ReadBytes(dir_ / GetParam().target), "[A]\r\nk=2\r\n");
  for (const auto& [link, text] : GetParam().links) {
    EXPECT_TRUE(fs::is_symlink(dir_ / link) && fs::read_symlink(dir_ / link) == text) << link;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Links,
    testing::Values(
        LinkCase{"ToAFile", {{"QLN2.ini", "real/QLN2.ini"}}, true, "real/QLN2.ini"},
        LinkCase{"Dangling", {{"QLN2.ini", "real/QLN2.ini"}}, false, "real/QLN2.ini"},
        LinkCase{"Chain", {{"QLN2.ini", "b"}, {"b", "real/c"}}, false, "real/c"},
        LinkCase{"FromItsFolder", {{"QLN2.ini", "real/b"}, {"real/b", "c"}}, false, "real/c"}),
    [](const auto& info) { return std::string(info.param.name); });

// Links that lead in a circle name no file: Create fails as opening would, and they stay.
TEST_F(IniTest, CircularLinksAreNotReplaced) {
  fs::create_symlink("b", File());
  fs::create_symlink("QLN2.ini", File("b"));
  EXPECT_THROW(Open(File())->Create({"[A]"}), IniWriteError);
  EXPECT_TRUE(fs::is_symlink(File()) && fs::is_symlink(File("b")));
}

struct RefusedCase {
  const char* name;
  int error;
  bool existing;
  bool inPlace;
  friend void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }
};

class RefusedRename : public IniTest, public testing::WithParamInterface<RefusedCase> {};

// A sticky shared folder takes our temporary file but will not let it replace another
// user's file that we may write: that file is written in place, not left pending until the
// change is lost at exit. Other failures keep the old file and the pending change.
TEST_P(RefusedRename, WritesInPlaceOnlyWhenRefused) {
  const RefusedCase& c = GetParam();
  if (c.existing) WriteBytes(File(), "[A]\r\nk=1\r\n");
  {
    test::RefuseRenames refuse(c.error);
    Open(File())->Save("A", "k", "2");
  }
  EXPECT_EQ(Listing(), c.existing ? Names{"QLN2.ini"} : Names{});
  EXPECT_EQ(IniCache::HasPendingWrites(), !c.inPlace);
  EXPECT_EQ(ReadBytes(File()), c.inPlace ? "[A]\r\nk=2\r\n" : c.existing ? "[A]\r\nk=1\r\n" : "");
}

INSTANTIATE_TEST_SUITE_P(Table, RefusedRename,
                         testing::Values(RefusedCase{"StickyFolder", EPERM, true, true},
                                         RefusedCase{"NotAllowed", EACCES, true, true},
                                         RefusedCase{"MountedFile", EBUSY, true, true},
                                         RefusedCase{"DiskError", EIO, true, false},
                                         RefusedCase{"NoFileYet", EPERM, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

class LongNames : public IniTest, public testing::WithParamInterface<std::pair<int, bool>> {};

// A name as long as the file system allows still gets an atomic write.
TEST_P(LongNames, AreWrittenThroughARename) {
  const std::string name = std::string(GetParam().first - 4, 'q') + ".qls";
  if (GetParam().second) WriteBytes(File(name), "[A]\r\nk=1\r\n");
  const auto calls = test::RecordSyncCalls([&] { Open(File(name))->Save("A", "k", "2"); });
  EXPECT_EQ(ReadBytes(File(name)), "[A]\r\nk=2\r\n");
  EXPECT_EQ(
      std::count_if(calls.begin(), calls.end(),
                    [](const auto& call) { return call.kind == test::SyncCall::Kind::Rename; }),
      1);
  EXPECT_EQ(Listing(), Names{name});
}

INSTANTIATE_TEST_SUITE_P(Lengths, LongNames,
                         testing::Values(std::pair(250, true), std::pair(255, true),
                                         std::pair(250, false), std::pair(255, false)),
                         [](const auto& info) {
                           return std::to_string(info.param.first) +
                                  (info.param.second ? "Existing" : "New");
                         });

// An outside edit left the file unreadable to us while our change waited: the flush must
// not replace a file it cannot merge with, and merges once it can read it again.
TEST_F(IniTest, FlushLeavesAFileItCannotReadAlone) {
  const std::string theirs = "[A]\r\nk=1\r\n[B]\r\nm=theirs\r\n";
  WriteBytes(File(), "[A]\r\nk=1\r\n");
  InChild(Privileges::Drop, [&] {
    IniCache::SetFlushRequester([] {});
    Open(File())->Save("A", "k", "2");
    WriteBytes(File(), theirs);
    fs::permissions(File(), fs::perms::owner_write);
    EXPECT_FALSE(IniCache::FlushAll());
    fs::permissions(File(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(ReadBytes(File()), theirs);
    EXPECT_TRUE(IniCache::FlushAll());
    EXPECT_EQ(ReadBytes(File()), "[A]\r\nk=2\r\n[B]\r\nm=theirs\r\n");
  });
}

// A pipe in the file's place: opening it must not wait for a writer, and it stays a pipe.
TEST_F(IniTest, APipeInItsPlaceNeitherBlocksNorIsReplaced) {
  ASSERT_EQ(::mkfifo(File().c_str(), 0600), 0);
  InChild(Privileges::Keep, [&] {
    ::alarm(60);  // a hang becomes a death the parent reports
    auto ini = Open(File());
    EXPECT_EQ(ini->Load("A", "k"), "");
    ini->Save("A", "k", "1");
    EXPECT_FALSE(IniCache::FlushAll());
    EXPECT_TRUE(fs::is_fifo(File()));
    IniCache::DiscardPendingWrites();
  });
}

// A file goes to the file system as its stored bytes, whatever Load shows of them.
TEST(WholeBytes, AreTheStoredPathTrimmedAndUnquoted) {
  const std::pair<std::string, std::string> rows[] = {
      {"/\xC3\xA9t\xE9/\x80.sh", "/\xC3\xA9t\xE9/\x80.sh"},
      {" \"/p/d\xE9mo.sh\"\t", "/p/d\xE9mo.sh"},
      {"/" + std::string(300, '\xE9'), "/" + std::string(300, '\xE9')}};
  for (const auto& [raw, stored] : rows) {
    EXPECT_EQ(WholeBytes(raw), stored);
    EXPECT_NE(WholeValue(raw), stored);  // what the lists show is UTF-8
  }
}

// A lookup right after another (a list read entry by entry) finds what it finds alone,
// whatever the file holds twice, in other letter cases or around blanks.
TEST(DocumentLookups, InAnyOrderFindWhatEachFindsAlone) {
  const std::string files[] = {"[A]\r\nk=1\r\nj=2\r\nK=3\r\n[B]\r\nk=4\r\n",
                               "[A]\r\n k \t= 1\r\nj=2\r\n[a]\r\nm=5\r\n[B]\r\nm=6\r\n",
                               "[A]\r\nk1=1\r\nk10=2\r\nk=b=3\r\nK1 =4\r\n",
                               "[B]\r\nj=0\r\n[A]\r\nk=1\r\n\r\nj=2\r\nj\r\n=7\r\n",
                               "[A]\r\nk=1\r\nk1=2\r\nj=3\r\nk10=4\r\nm=5\r\nk1=6\r\nK=7\r\n"};
  const std::pair<std::string, std::string> keys[] = {
      {"A", "k"},  {"A", "j"},   {"a", "K"},   {"A", "m"},   {"B", "k"}, {"B", "m"}, {"B", "j"},
      {"A", "k1"}, {"A", "k10"}, {"A", "k=b"}, {"A", "k1 "}, {"A", ""},  {"A", "J"}};
  for (const std::string& file : files) {
    for (const auto& [firstSection, firstKey] : keys) {
      IniDocument document = IniDocument::Parse(file);
      document.RawValue(firstSection, firstKey);
      for (const auto& [section, key] : keys) {
        const IniDocument fresh = IniDocument::Parse(file);
        EXPECT_EQ(document.RawValue(section, key), fresh.RawValue(section, key))
            << file << ": " << section << "/" << key << " after " << firstSection << "/"
            << firstKey;
      }
    }
  }
}

// A section's first lookups read its lines; later ones use the index built then. Both find
// the line a lookup alone finds, for keys held twice, in other letter cases, around blanks
// or in a header, and for keys written before and after the index is built.
TEST(DocumentLookups, FindTheSameBeforeAndAfterTheSectionIsIndexed) {
  const std::string files[] = {"[A]\r\nk=1\r\nj=2\r\nK=3\r\n k =4\r\n[B]\r\nk=5\r\n[a]\r\nm=6\r\n",
                               "[A]\r\nj\r\n=7\r\nk1=1\r\nk=b=3\r\nK1 =4\r\n\r\n",
                               "[A=B]\r\nk=1\r\n[A]\r\nk=2\r\n"};
  const std::pair<std::string, std::string> keys[] = {
      {"A", "k"},   {"a", "K"}, {"A", "j"},    {"A", "m"},   {"B", "k"}, {"A", "k1"},
      {"A", "k=b"}, {"A", ""},  {"A=B", "[A"}, {"A=B", "k"}, {"A", "n"}, {"A", "N2"}};
  for (const std::string& file : files) {
    IniDocument document = IniDocument::Parse(file);
    for (int round = 0; round < 10; ++round) {
      if (round == 0) document.Set("A", "n", "before");
      if (round == 2) document.Set("A", "n2", "after");
      for (const auto& [section, key] : keys) {
        const IniDocument alone = IniDocument::Parse(document.Serialize());
        EXPECT_EQ(document.RawValue(section, key), alone.RawValue(section, key))
            << file << ": " << section << "/" << key << " in round " << round;
      }
    }
  }
}

// A list read in one pass finds for each entry what looking up its key alone finds: the
// first line of a key, in any letter case and with blanks around it, in the first section
// of the name, not a number spelled otherwise, nor a key that merely contains the name.
TEST(DocumentLookups, ReadNumberedKeysAsEachAlone) {
  std::vector<std::string> files = {
      "[Ports]\r\nPort1Name=a\r\nport2NAME = b \r\nPort1Name=again\r\nPort02Name=z\r\n"
      "Port3Name=\r\nPort+4Name=y\r\nPort 5Name=x\r\nPort5 Name=w\r\nXPort6Name=v\r\n"
      "Port6NameX=u\r\nPort7Name\r\nPort8Path=t\r\nPort9Name=s=r\r\n\t Port13Name = "
      "lead\r\nPort4294967306Name=l\r\n[Ports]\r\nPort10Name=q\r\n"
      "[Other]\r\nPort11Name=p\r\n[ports]\r\nPort12Name=o\r\n  Port-1Name=n\r\nPort0Name=m\r\n"
      "PortName=k\r\nPort12Name=again\r\n",
      "no section\r\nPort1Name=a\r\n[Ports]\r\nPort04Name=j\r\nPort4Name=i", ""};
  std::mt19937 random(7);
  const char* const pieces[] = {"Port", "port",    "PORT",    "1",    "2", "12",
                                "0",    "Name",    "name",    "Path", " ", "=",
                                "x",    "[Ports]", "[Other]", "\r\n", "\n"};
  for (int n = 0; n < 300; ++n) {
    std::string file = "[Ports]\r\n";
    for (int piece = 0; piece < 60; ++piece) file += pieces[random() % std::size(pieces)];
    files.push_back(file);
  }
  for (const std::string& file : files) {
    IniDocument document = IniDocument::Parse(file);
    for (const bool grown : {false, true}) {
      if (grown) document.Set("Ports", "Port3Name", "set");  // a line added after the parse
      const auto values = document.NumberedRawValues("Ports", "Port", "Name", 13);
      ASSERT_EQ(values.size(), 13u);
      for (int entry = 1; entry <= 13; ++entry) {
        const std::string key = "Port" + std::to_string(entry) + "Name";
        EXPECT_EQ(values[static_cast<std::size_t>(entry - 1)],
                  document.RawValue("Ports", key).value_or(""))
            << file << ": " << key << (grown ? " after a Set" : "");
      }
    }
  }
}

// A list walked ahead reads as the walk made at the time it is asked for would: for fewer
// entries than walked, for more, and after a change of any kind in between.
TEST(DocumentLookups, AListWalkedAheadReadsAsAWalkThen) {
  const std::string file =
      "[Ports]\r\nPort1Name=a\r\nPort2Name=\" b \"\r\nPort3Name=caf\xE9\r\n[M]\r\nk=1\r\n";
  const std::function<void(IniDocument&)> changes[] = {
      [](IniDocument&) {},
      [](IniDocument& d) { d.Set("Ports", "Port2Name", "a longer name than before"); },
      [](IniDocument& d) { d.Set("Ports", "Port4Name", "d"); },
      [](IniDocument& d) { d.Move("Ports", "Port3Name", "Port1Name", true); },
      [](IniDocument& d) { d.Set("M", "k", "2"); }};
  for (const auto& change : changes) {
    for (const auto& [walked, asked] : {std::pair{4, 4}, {4, 2}, {2, 4}}) {
      IniDocument document = IniDocument::Parse(file);
      document.WalkAhead("Ports", "Port", "Name", walked);
      change(document);
      std::deque<std::string> converted;
      const auto values = document.NumberedWholeValues("Ports", "Port", "Name", asked, converted);
      const IniDocument now = IniDocument::Parse(document.Serialize());
      const auto fresh = now.NumberedWholeValues("Ports", "Port", "Name", asked, converted);
      EXPECT_EQ(std::vector<std::string>(values.begin(), values.end()),
                std::vector<std::string>(fresh.begin(), fresh.end()))
          << walked << " walked, " << asked << " asked";
    }
  }
}

// A section that grows key by key past every size its index was made for still finds each
// key, a key written again in other letters keeps its one line, and a key never written
// is not there.
TEST(DocumentLookups, FindEveryKeyOfASectionThatGrew) {
  IniDocument document = IniDocument::Parse("[A]\r\n; notes\r\n\r\n[B]\r\nk=0\r\n");
  for (int n = 0; n < 1100; ++n) {
    document.Set("A", "k" + std::to_string(n), std::to_string(n));
    if (n % 100 == 0) document.Set("A", "K" + std::to_string(n / 2), "again");
  }
  for (int n = 0; n < 1100; ++n) {
    const std::string key = "K" + std::to_string(n);
    EXPECT_EQ(document.RawValue("a", key), n % 50 == 0 && n < 550 ? "again" : std::to_string(n))
        << key;
  }
  EXPECT_EQ(document.RawValue("A", "k1100"), std::nullopt);
  EXPECT_EQ(document.RawValue("B", "k"), "0");
}

// A line of several MiB is read and written whole, before and after the document packs its
// text around it.
TEST(DocumentLookups, KeepLinesOfSeveralMebibytesWhole) {
  const std::string big(5 << 20, 'x');
  const std::string file =
      "[A]\r\nbig=" + big + "\r\nfiller=" + std::string(6 << 20, 'y') + "\r\nk=1\r\n";
  IniDocument document = IniDocument::Parse(file);
  EXPECT_EQ(document.RawValue("A", "big"), big);
  EXPECT_EQ(document.Serialize(), file);
  document.Set("A", "filler", "short");  // frees more than half: the text is packed
  document.Set("A", "k", big + "z");
  EXPECT_EQ(document.RawValue("A", "big"), big);
  EXPECT_EQ(document.RawValue("A", "k"), big + "z");
  EXPECT_EQ(document.Serialize(), "[A]\r\nbig=" + big + "\r\nfiller=short\r\nk=" + big + "z\r\n");
}

// Line ends of every kind, at every place in an eight-byte word, are found where they are.
TEST(DocumentLookups, FindLineEndsAtEveryPlaceInAWord) {
  const char* const endings[] = {"\r\n", "\n", "\r"};
  std::string file = "[A]";
  for (int n = 0; n < 24; ++n) {
    file += endings[n % 3] + "k"s + std::to_string(n) + "=" + std::string(n, 'v');
  }
  const IniDocument document = IniDocument::Parse(file);
  EXPECT_EQ(document.Serialize(), file);
  for (int n = 0; n < 24; ++n) {
    EXPECT_EQ(document.RawValue("A", "k" + std::to_string(n)), std::string(n, 'v')) << n;
  }
}

// A move does what reading `from` and then setting `to` to that does, byte for byte, one
// move after another (later ones read what earlier ones wrote), with the file's text shared
// (no value written in place) or not, and legacy text kept or replaced.
TEST(DocumentMoves, DoWhatReadingThenSettingDoes) {
  const std::string file =
      "[A]\r\nk1=one\r\nk2=a much longer value\r\nk3=\r\nK4=one\r\nk5=caf\xE9\r\n"
      "k6=caf\xC3\xA9\r\n\r\n[B]\r\nb=1\r\n";
  struct Step {
    std::string section, from, to;
    bool always;
  };
  const Step steps[] = {
      {"A", "k2", "k1", true},  {"A", "k1", "k3", true},  {"A", "k1", "k4", false},
      {"A", "k9", "k3", false}, {"A", "k9", "k8", false}, {"A", "k9", "k8", true},
      {"A", "k6", "k5", true},  {"a", "K2", "b", true},   {"C", "x", "y", false},
      {"C", "x", "y", true},    {"A", "k2", "k2", true},  {"B", "b", "k1", false}};
  using Legacy = IniDocument::Legacy;
  using Moved = IniDocument::Moved;
  for (const bool shared : {false, true}) {
    for (const Legacy legacy : {Legacy::Replace, Legacy::Keep}) {
      IniDocument moved = IniDocument::Parse(file);
      IniDocument set = IniDocument::Parse(file);
      const auto heldMoved = shared ? moved.SharedText() : nullptr;
      const auto heldSet = shared ? set.SharedText() : nullptr;
      for (const Step& step : steps) {
        const std::string value(set.RawValue(step.section, step.from).value_or(""));
        const bool skipped =
            !step.always && set.RawValue(step.section, step.to).value_or("") == value;
        const bool changed = !skipped && set.Set(step.section, step.to, value, legacy);
        EXPECT_EQ(moved.Move(step.section, step.from, step.to, step.always, legacy),
                  skipped   ? Moved::Skipped
                  : changed ? Moved::Changed
                            : Moved::Unchanged)
            << step.from << " to " << step.to;
        EXPECT_EQ(moved.Serialize(), set.Serialize()) << step.from << " to " << step.to;
      }
    }
  }
}

// A list's entries moved down in one walk end as the same moves made key by key do, byte for
// byte and result for result: keys twice, in other letter case, with blanks, missing, beyond
// the last entry, with a leading zero, in a second section of the name, or no section at all.
TEST(DocumentMoves, DownInOneWalkAsKeyByKey) {
  const std::string files[] = {
      "[P]\r\nP1N=a\r\np2n = b\r\nP2N=twice\r\nP3N=c\r\nP3F=cf\r\nP02N=zero\r\nP5N=out\r\n"
      "\r\n[Q]\r\nq=1\r\n[P]\r\nP2F=second\r\n",
      "[P]\nP2F=f2\nP1X=x1\nP3X=\n  P3N\t=n3\nP4X=x4\n\n\n",
      "[Q]\r\nq=1",
      "[p]\rP1N=caf\xE9\rP2N=caf\xC3\xA9\rP3N=\xE9\rP4F=f4",
      // The first move leaves most of the text unused, so the document packs it midway.
      "[P]\r\nP1N=" + std::string(100000, 'a') + "\r\nP2N=b\r\nP2F=" + std::string(70000, 'f') +
          "\r\nP3N=c\r\nP4N=d\r\n",
  };
  const IniDocument::NumberedKey keys[] = {{"N", true}, {"F", true}, {"X", false}};
  using Legacy = IniDocument::Legacy;
  for (const std::string& file : files) {
    for (const auto& [first, last] : {std::pair{1, 3}, std::pair{2, 4}}) {
      for (const bool shared : {false, true}) {
        for (const Legacy legacy : {Legacy::Replace, Legacy::Keep}) {
          IniDocument walked = IniDocument::Parse(file);
          IniDocument keyByKey = IniDocument::Parse(file);
          const auto heldWalked = shared ? walked.SharedText() : nullptr;
          const auto heldKeyByKey = shared ? keyByKey.SharedText() : nullptr;
          std::vector<IniDocument::Moved> moved;
          for (int n = first; n < last; ++n) {
            for (const auto& key : keys) {
              moved.push_back(keyByKey.Move(
                  "P", "P" + std::to_string(n + 1) + std::string(key.suffix),
                  "P" + std::to_string(n) + std::string(key.suffix), key.always, legacy));
            }
          }
          EXPECT_EQ(walked.MoveNumberedDown("P", "P", keys, first, last, legacy), moved) << file;
          EXPECT_EQ(walked.Serialize(), keyByKey.Serialize()) << file;
        }
      }
    }
  }
}

}  // namespace
}  // namespace quillon
