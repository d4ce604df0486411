// What the engine does to the file itself: a file that vanished, byte-order marks, links,
// refused renames, long names, modes, and the guards that must stop a write.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "IniTestFixture.h"
#include "SyncCalls.h"

namespace quillon {
namespace {

using test::IniTest;
using test::Names;
using test::ReadBytes;
using test::WriteBytes;
namespace fs = std::filesystem;

enum class Vanish { AtOnce, BetweenEvents, WhileDirty };
void PrintTo(Vanish when, std::ostream* os) {
  *os << (when == Vanish::AtOnce          ? "AtOnce"
          : when == Vanish::BetweenEvents ? "BetweenEvents"
                                          : "WhileDirty");
}

class VanishedFile : public IniTest, public testing::WithParamInterface<Vanish> {};

// Deleted while the program runs: the next write puts back everything it knew, not a file
// holding only the keys written since, which the next start could not read.
TEST_P(VanishedFile, ComesBackWhole) {
  const std::string lists = "[Ports]\r\nNumPorts=1\r\nPort1Name=Doom\r\n\r\n[Memory]\r\n";
  WriteBytes(File(), lists + "Port=0\r\n");
  if (GetParam() != Vanish::AtOnce) IniCache::SetFlushRequester([] {});
  auto ini = Open(File());
  ASSERT_EQ(ini->Load("Ports", "NumPorts"), "1");
  if (GetParam() == Vanish::WhileDirty) ini->Save("Memory", "Port", "1");
  if (GetParam() == Vanish::BetweenEvents) {
    EXPECT_TRUE(IniCache::FlushAll());
  }
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

struct BomCase {
  const char* name;
  std::string before;
  std::string section, key, loaded, value, after;
  friend void PrintTo(const BomCase& c, std::ostream* os) { *os << c.name; }
};

class ByteOrderMark : public IniTest, public testing::WithParamInterface<BomCase> {};

// Editors on Windows start UTF-8 files with a byte-order mark: it hides nothing and stays.
TEST_P(ByteOrderMark, IsSkippedAndKept) {
  const BomCase& c = GetParam();
  WriteBytes(File(), c.before);
  auto ini = Open(File());
  EXPECT_EQ(ini->Load(c.section, c.key), c.loaded);
  ini->Save(c.section, c.key, c.value);
  EXPECT_EQ(ReadBytes(File()), c.after);
}

const std::string kBom = "\xEF\xBB\xBF";

INSTANTIATE_TEST_SUITE_P(
    Table, ByteOrderMark,
    testing::Values(BomCase{"FirstSectionFound", kBom + "[Ports]\r\nNumPorts=2\r\n", "Ports",
                            "NumPorts", "2", "3", kBom + "[Ports]\r\nNumPorts=3\r\n"},
                    BomCase{"NewKeyInFirstSection",
                            kBom + "[Ports]\r\nNumPorts=0\r\n\r\n[IWADs]\r\n", "ports", "Port1Name",
                            "", "Doom",
                            kBom + "[Ports]\r\nNumPorts=0\r\nPort1Name=Doom\r\n\r\n[IWADs]\r\n"},
                    BomCase{"NothingElse", kBom, "A", "k", "", "v", kBom + "[A]\r\nk=v\r\n"},
                    BomCase{"OnlyAtTheStart", "[A]\r\n" + kBom + "[B]\r\nk=1\r\n", "B", "k", "",
                            "2", "[A]\r\n" + kBom + "[B]\r\nk=1\r\n[B]\r\nk=2\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

struct LinkCase {
  const char* name;
  std::vector<std::pair<std::string, std::string>> links;  // link, the text it holds
  bool targetExists;
  std::string target;  // where the bytes must land
  friend void PrintTo(const LinkCase& c, std::ostream* os) { *os << c.name; }
};

class Links : public IniTest, public testing::WithParamInterface<LinkCase> {};

// A configuration kept elsewhere and linked in: the write lands where the links lead, even
// where nothing is yet, and every link stays as it was.
TEST_P(Links, WriteTheirTargetAndStay) {
  const LinkCase& c = GetParam();
  fs::create_directory(dir_ / "real");
  if (c.targetExists) WriteBytes(dir_ / c.target, "[A]\r\nk=1\r\n");
  for (const auto& [link, text] : c.links) fs::create_symlink(text, dir_ / link);
  Open(File())->Save("A", "k", "2");
  EXPECT_FALSE(IniCache::HasPendingWrites());
  EXPECT_EQ(ReadBytes(dir_ / c.target), "[A]\r\nk=2\r\n");
  for (const auto& [link, text] : c.links) {
    ASSERT_TRUE(fs::is_symlink(dir_ / link)) << link;
    EXPECT_EQ(fs::read_symlink(dir_ / link), text);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Links,
    testing::Values(LinkCase{"ToAFile", {{"QLN2.ini", "real/QLN2.ini"}}, true, "real/QLN2.ini"},
                    LinkCase{"Dangling", {{"QLN2.ini", "real/QLN2.ini"}}, false, "real/QLN2.ini"},
                    LinkCase{"DanglingChain",
                             {{"QLN2.ini", "hop.ini"}, {"hop.ini", "real/QLN2.ini"}},
                             false,
                             "real/QLN2.ini"},
                    LinkCase{"RelativeToItsOwnFolder",
                             {{"QLN2.ini", "real/link.ini"}, {"real/link.ini", "QLN2.real"}},
                             false,
                             "real/QLN2.real"}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusedCase {
  const char* name;
  int error;
  bool existing;
  bool inPlace;
  friend void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }
};

class RefusedRename : public IniTest, public testing::WithParamInterface<RefusedCase> {};

// A sticky shared folder takes our temporary file but refuses to let it replace a file of
// another user, who granted us writes to it: the file is written in place rather than every
// change being lost at exit. Other failures keep the old file and the pending change.
TEST_P(RefusedRename, FallsBackToAnInPlaceWriteOnlyWhenRefused) {
  const RefusedCase& c = GetParam();
  if (c.existing) WriteBytes(File(), "[A]\r\nk=1\r\n");
  auto ini = Open(File());
  {
    test::RefuseRenames refuse(c.error);
    ini->Save("A", "k", "2");
  }
  EXPECT_EQ(Listing(), c.existing ? Names{"QLN2.ini"} : Names{});
  EXPECT_EQ(IniCache::HasPendingWrites(), !c.inPlace);
  if (c.existing) {
    EXPECT_EQ(ReadBytes(File()), c.inPlace ? "[A]\r\nk=2\r\n" : "[A]\r\nk=1\r\n");
  }
  EXPECT_TRUE(IniCache::FlushAll());
  EXPECT_EQ(ReadBytes(File()), "[A]\r\nk=2\r\n");
}

INSTANTIATE_TEST_SUITE_P(Table, RefusedRename,
                         testing::Values(RefusedCase{"StickyFolder", EPERM, true, true},
                                         RefusedCase{"NotAllowed", EACCES, true, true},
                                         RefusedCase{"MountedFile", EBUSY, true, true},
                                         RefusedCase{"DiskError", EIO, true, false},
                                         RefusedCase{"NoFileYet", EPERM, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct LongNameCase {
  const char* name;
  std::size_t length;
  bool existing;
  friend void PrintTo(const LongNameCase& c, std::ostream* os) { *os << c.name; }
};

class LongNames : public IniTest, public testing::WithParamInterface<LongNameCase> {};

// A scheme may have a name as long as the file system allows; its temporary file must
// still fit, or the write is not atomic, or not made at all.
TEST_P(LongNames, AreWrittenThroughARename) {
  const LongNameCase& c = GetParam();
  const std::string name = std::string(c.length - 4, 'q') + ".qls";
  if (c.existing) WriteBytes(File(name), "[A]\r\nk=1\r\n");
  auto ini = Open(File(name));
  const auto calls = test::RecordSyncCalls([&] { ini->Save("A", "k", "2"); });
  EXPECT_EQ(ReadBytes(File(name)), "[A]\r\nk=2\r\n");
  EXPECT_FALSE(IniCache::HasPendingWrites());
  EXPECT_EQ(
      std::count_if(calls.begin(), calls.end(),
                    [](const auto& call) { return call.kind == test::SyncCall::Kind::Rename; }),
      1);
  EXPECT_EQ(Listing(), Names{name});
}

INSTANTIATE_TEST_SUITE_P(Table, LongNames,
                         testing::Values(LongNameCase{"Existing250", 250, true},
                                         LongNameCase{"ExistingAtTheLimit", 255, true},
                                         LongNameCase{"New250", 250, false},
                                         LongNameCase{"NewAtTheLimit", 255, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ModeCase {
  const char* name;
  std::optional<fs::perms> before;  // nullopt: no file yet
  bool create;                      // Create rather than Save
  fs::perms after;
  friend void PrintTo(const ModeCase& c, std::ostream* os) { *os << c.name; }
};

class FileModes : public IniTest, public testing::WithParamInterface<ModeCase> {};

// A new file is the user's alone whatever the umask; an existing one keeps its mode.
TEST_P(FileModes, NewArePrivateExistingKeepTheirs) {
  const ModeCase& c = GetParam();
  if (c.before) {
    WriteBytes(File(), "[A]\r\n");
    fs::permissions(File(), *c.before);
  }
  const mode_t umask = ::umask(0);
  if (c.create) {
    Open(File())->Create({"[A]", "k=1"});
  } else {
    Open(File())->Save("A", "k", "1");
  }
  ::umask(umask);
  EXPECT_EQ(fs::status(File()).permissions(), c.after);
}

constexpr fs::perms kOwnerRw = fs::perms::owner_read | fs::perms::owner_write;

INSTANTIATE_TEST_SUITE_P(
    Table, FileModes,
    testing::Values(ModeCase{"NewBySave", std::nullopt, false, kOwnerRw},
                    ModeCase{"NewByCreate", std::nullopt, true, kOwnerRw},
                    ModeCase{"SharedStaysShared",
                             kOwnerRw | fs::perms::group_read | fs::perms::group_write |
                                 fs::perms::others_read,
                             false,
                             kOwnerRw | fs::perms::group_read | fs::perms::group_write |
                                 fs::perms::others_read},
                    ModeCase{"CreateKeepsTheMode", kOwnerRw | fs::perms::group_read, true,
                             kOwnerRw | fs::perms::group_read}),
    [](const auto& info) { return std::string(info.param.name); });

// An outside edit made the file unreadable to us while our change waited: the flush must
// not replace a file it cannot merge with, and writes once it can read it again.
TEST_F(IniTest, FlushLeavesAFileItCannotReadAlone) {
  const std::string theirs = "[A]\r\nk=1\r\n[B]\r\nm=theirs\r\n";
  WriteBytes(File(), "[A]\r\nk=1\r\n");
  InChild(Privileges::Drop, [&] {
    IniCache::SetFlushRequester([] {});
    auto ini = Open(File());
    ini->Save("A", "k", "2");
    WriteBytes(File(), theirs);
    fs::permissions(File(), fs::perms::owner_write);
    EXPECT_FALSE(IniCache::FlushAll());
    fs::permissions(File(), kOwnerRw);
    EXPECT_EQ(ReadBytes(File()), theirs);
    EXPECT_TRUE(IniCache::HasPendingWrites());
    EXPECT_TRUE(IniCache::FlushAll());
    EXPECT_EQ(ReadBytes(File()), "[A]\r\nk=2\r\n[B]\r\nm=theirs\r\n");
  });
}

// A pipe named as the file has no end to read to, and opening it waits for a writer that
// never comes: it reads as unreadable and is never replaced.
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

// Written in place for want of a writable folder, a change that does not fit on the disk
// fails before the old text is touched, and is written once there is room.
TEST_F(IniTest, InPlaceWriteFailsWholeOnAFullDisk) {
  const std::string before = "[A]\r\nk=1\r\n";
  WriteBytes(File(), before);
  InChild(Privileges::Drop, [&] {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit roomy = limit;
    limit.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    ASSERT_TRUE(MakeReadOnly()) << "the directory still takes new files";
    auto ini = Open(File());
    const std::string big(10'000, 'x');
    ini->Save("A", "k", big);
    EXPECT_TRUE(IniCache::HasPendingWrites());
    EXPECT_EQ(ReadBytes(File()), before);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &roomy), 0);
    EXPECT_TRUE(IniCache::FlushAll());
    EXPECT_EQ(ReadBytes(File()), "[A]\r\nk=" + big + "\r\n");
  });
}

}  // namespace
}  // namespace quillon
