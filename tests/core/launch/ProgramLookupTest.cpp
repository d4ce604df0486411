#include <gtest/gtest.h>

#include <map>

#include "core/launch/ProgramLookup.h"
#include "support/ParamNames.h"

namespace quillon {
namespace {

using test::PrintTo;

constexpr const char* kElf =
    "\x7f"
    "ELF";

// A small file system: path -> facts; everything else does not exist.
FileProbe Files(std::map<std::string, FileFacts> files) {
  return [files = std::move(files)](const std::string& path) {
    const auto found = files.find(path);
    return found == files.end() ? FileFacts{} : found->second;
  };
}

FileFacts Program(const char* head = kElf) {
  return {true, false, true, head};
}
FileFacts Data(const char* head) {
  return {true, false, false, head};
}
FileFacts Folder() {
  return {true, true, true, ""};
}

const FileProbe kMachine = Files({
    {"/usr/games/chocolate-doom", Program()},
    {"/usr/bin/wine", Program()},
    {"/home/u/bin/chocolate-doom", Program("#!/bin/sh")},
    {"/home/u/bin/notes", Data("text")},
    {"/ports/doom.exe", Data("MZ\x90")},
    {"/ports/DOOM2.EXE", Program("MZ\x90")},
    {"/ports/native.exe", Program()},
    {"/ports/broken.exe", Data(kElf)},
    {"/ports/readme.txt", Data("text")},
    {"/ports/subdir", Folder()},
    {"/ports/chocolate-doom", Folder()},
    {"./dosbox", Program()},
    {"dosbox", Program()},
    {"./here-only", Program()},
    {"./bin/relport", Program()},
    {"./bin/wine", Program()},
    {"/here-only", Program()},
});

struct LookupCase {
  const char* name;
  std::string file;
  std::string directory;
  std::string pathVar;
  ResolvedProgram expected;
};

class Resolve : public ::testing::TestWithParam<LookupCase> {};

TEST_P(Resolve, FindsTheProgramOrSaysWhy) {
  const LookupCase& c = GetParam();
  const ResolvedProgram got =
      ResolveProgram(c.file, {"-iwad", "a b.wad"}, c.directory, c.pathVar, kMachine, "/home/u");
  EXPECT_EQ(got.failure, c.expected.failure);
  EXPECT_EQ(got.program, c.expected.program);
  EXPECT_EQ(got.directory, c.expected.directory);
  EXPECT_EQ(got.arguments, c.expected.arguments);
}

const std::vector<std::string> kArgs = {"-iwad", "a b.wad"};
ResolvedProgram Runs(std::string program, std::string dir,
                     std::vector<std::string> arguments = kArgs) {
  return {std::move(program), std::move(arguments), std::move(dir), ""};
}
ResolvedProgram Fails(std::string_view reason) {
  return {"", {}, "", std::string(reason)};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Resolve,
    ::testing::Values(
        LookupCase{"FullPathKeepsItsFolder", "/usr/games/chocolate-doom", "/usr/games/", "/usr/bin",
                   Runs("/usr/games/chocolate-doom", "/usr/games/")},
        LookupCase{"BareNameFirstOnPathWins", "chocolate-doom", "",
                   "/nowhere::/home/u/bin:/usr/games",
                   Runs("/home/u/bin/chocolate-doom", "/home/u/bin/")},
        LookupCase{"PathEntryWithTrailingSlash", "chocolate-doom", "", "/usr/games/",
                   Runs("/usr/games/chocolate-doom", "/usr/games/")},
        LookupCase{"NonExecutableOnPathIsSkipped", "notes", "", "/home/u/bin", Fails(kNotOnPath)},
        LookupCase{"BareNameThatIsAFileHereIsNotLookedUp", "dosbox", "", "/usr/games",
                   Runs("dosbox", "")},
        LookupCase{"EmptyPathEntryIsNotTheCurrentFolder", "here-only", "", "::", Fails(kNotOnPath)},
        LookupCase{"FolderOnPathIsNoProgram", "chocolate-doom", "", "/ports:/usr/games",
                   Runs("/usr/games/chocolate-doom", "/usr/games/")},
        LookupCase{"PathWithAFolderIsNeverLookedUp", "games/chocolate-doom", "games/", "/usr/games",
                   Fails(kNotFound)},
        LookupCase{"WindowsProgramThroughWine", "/ports/doom.exe", "/ports/", "/usr/bin",
                   Runs("/usr/bin/wine", "/ports/", {"/ports/doom.exe", "-iwad", "a b.wad"})},
        LookupCase{"UpperCaseExeThroughWine", "/ports/DOOM2.EXE", "/ports/", "/usr/bin",
                   Runs("/usr/bin/wine", "/ports/", {"/ports/DOOM2.EXE", "-iwad", "a b.wad"})},
        LookupCase{"NativeExeRunsItself", "/ports/native.exe", "/ports/", "/usr/bin",
                   Runs("/ports/native.exe", "/ports/")},
        LookupCase{"NativeExeWithoutExecuteBit", "/ports/broken.exe", "/ports/", "/usr/bin",
                   Fails(kNotExecutable)},
        LookupCase{"WineMissing", "/ports/doom.exe", "/ports/", "/usr/games", Fails(kWineMissing)},
        LookupCase{"DocumentIsNotExecuted", "/ports/readme.txt", "/ports/", "/usr/bin",
                   Fails(kNotExecutable)},
        LookupCase{"Folder", "/ports/subdir", "/ports/", "/usr/bin", Fails(kIsFolder)},
        LookupCase{"Missing", "/ports/gone", "/ports/", "/usr/bin", Fails(kNotFound)},
        LookupCase{"MissingBareName", "gzdoom", "", "/usr/games:/usr/bin", Fails(kNotOnPath)},
        LookupCase{"NoPath", "", "", "/usr/bin", Fails(kNoPathGiven)},
        // It starts in the folder it was found in: a relative find is taken from /home/u.
        LookupCase{"RelativePathEntry", "relport", "", "./bin",
                   Runs("/home/u/bin/relport", "/home/u/bin/")},
        LookupCase{"WineFromARelativePathEntry", "/ports/doom.exe", "/ports/", "./bin",
                   Runs("/home/u/bin/wine", "/ports/", {"/ports/doom.exe", "-iwad", "a b.wad"})}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillon
