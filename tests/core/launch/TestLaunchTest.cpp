#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/launch/CommandLine.h"
#include "core/launch/TestLaunch.h"
#include "support/ParamNames.h"

namespace quillon {
namespace {

// The window's options, one field each, as these cases set them; the custom files go on
// while useFiles is on.
struct TestOptions {
  std::string portPath;
  std::optional<std::string> iwadFile;  // none: the port picks its own IWAD
  std::vector<CustomFile> files;
  bool useFiles = true;
  bool warp = false;
  std::string warpText;
  std::string params;
  bool noMonsters = false;
  bool noMusic = false;
  bool noSound = false;
  bool openGL = false;
  bool noCD = false;
};

LaunchRequest BuildTestLaunch(const TestOptions& o) {
  using enum LaunchOptionId;
  LaunchOptionValues values;
  values.Set(Port, o.portPath);
  if (o.iwadFile) values.Set(IWAD, *o.iwadFile);
  values.Set(UseFiles, o.useFiles);
  values.Set(Warp, o.warp);
  values.Set(WarpTo, o.warpText);
  values.Set(Params, o.params);
  values.Set(NoMonsters, o.noMonsters);
  values.Set(NoMusic, o.noMusic);
  values.Set(NoSound, o.noSound);
  values.Set(OpenGL, o.openGL);
  values.Set(NoCD, o.noCD);
  return quillon::BuildTestLaunch(values, o.files);
}

TEST(BuildTestLaunch, BuildsTheExampleCharacterForCharacter) {
  TestOptions options;
  options.portPath = "C:\\ports\\doom.exe";
  options.iwadFile = "main.wad";
  options.files = {
      {"a.wad", "C:\\maps\\"}, {"b.wad", "C:\\maps\\b.wad"}, {"fix.deh", "C:\\maps\\"}};
  options.warp = true;
  options.warpText = "7";
  options.params = "-fast";
  options.noMonsters = true;
  const LaunchRequest request = BuildTestLaunch(options);
  EXPECT_EQ(request.Parameters,
            " -iwad main.wad -file \"C:\\maps\\a.wad\" \"C:\\maps\\b.wad\"  -deh "
            "\"C:\\maps\\fix.deh\"  -warp 7 -fast -nomonsters");
  EXPECT_EQ(request.File, "C:\\ports\\doom.exe");
  EXPECT_EQ(request.Directory, "C:\\ports\\");
}

struct Case {
  const char* what;
  TestOptions options;
  const char* parameters;
  friend void PrintTo(const Case& c, std::ostream* os) { *os << test::PhraseName(c.what); }
};

TestOptions With(void (*change)(TestOptions&)) {
  TestOptions options;
  options.portPath = "/ports/crispy-doom";
  change(options);
  return options;
}

class Parameters : public ::testing::TestWithParam<Case> {};

TEST_P(Parameters, AreAssembledInTheirOrder) {
  EXPECT_EQ(BuildTestLaunch(GetParam().options).Parameters, GetParam().parameters)
      << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Parameters,
    ::testing::Values(
        Case{"nothing at all is one blank", With([](TestOptions&) {}), " "},
        Case{"an IWAD entry without its file", With([](TestOptions& o) { o.iwadFile = ""; }),
             " -iwad  "},
        Case{"only other kinds of file", With([](TestOptions& o) {
               o.files = {{"notes.txt", "/m/"}, {"demo.lmp", "/m/"}};
             }),
             " "},
        Case{"upper case and multi-dot extensions", With([](TestOptions& o) {
               o.files = {{"FIX.BEX", "/m/"}, {"MAP01.WAD", "/m/"}, {"e1m1.fixed.wad", "/m/"}};
             }),
             " -file \"/m/MAP01.WAD\" \"/m/e1m1.fixed.wad\"  -deh \"/m/FIX.BEX\"  "},
        Case{"a name without a dot is judged whole", With([](TestOptions& o) {
               o.files = {{"wad", "/m/"}, {"readme", "/m/"}};
             }),
             " -file \"/m/wad\"  "},
        Case{"directory and full-path locations give the same file", With([](TestOptions& o) {
               o.files = {{"a.wad", "/my maps/"}, {"a.wad", "/my maps/a.wad"}};
             }),
             " -file \"/my maps/a.wad\" \"/my maps/a.wad\"  "},
        Case{"a Windows-style location", With([](TestOptions& o) {
               o.files = {{"a.wad", "D:\\maps\\a.wad"}};
             }),
             " -file \"D:\\maps\\a.wad\"  "},
        Case{"custom files stay off while Enable is unchecked", With([](TestOptions& o) {
               o.useFiles = false;
               o.files = {{"a.wad", "/m/"}, {"fix.deh", "/m/"}};
             }),
             " "},
        Case{"warp on with an empty level", With([](TestOptions& o) { o.warp = true; }),
             " -warp  "},
        Case{"warp off ignores its text", With([](TestOptions& o) { o.warpText = "7"; }), " "},
        Case{"episode and map", With([](TestOptions& o) {
               o.warp = true;
               o.warpText = "1 3";
             }),
             " -warp 1 3 "},
        Case{"a Doom 2 map name becomes its number", With([](TestOptions& o) {
               o.warp = true;
               o.warpText = "MAP07";
             }),
             " -warp 7 "},
        Case{"a Doom map name becomes episode and map", With([](TestOptions& o) {
               o.warp = true;
               o.warpText = " e2m3 ";
             }),
             " -warp 2 3 "},
        Case{"a map name that is no map goes as typed", With([](TestOptions& o) {
               o.warp = true;
               o.warpText = "MAP00";
             }),
             " -warp MAP00 "},
        Case{"map names in the params are left alone",
             With([](TestOptions& o) { o.params = "MAP07"; }), " MAP07"},
        Case{"params pass unchanged", With([](TestOptions& o) { o.params = " -skill  4 \"x\""; }),
             "  -skill  4 \"x\""},
        Case{"no monsters", With([](TestOptions& o) { o.noMonsters = true; }), "  -nomonsters"},
        Case{"no music", With([](TestOptions& o) { o.noMusic = true; }), "  -nomusic"},
        Case{"no sound", With([](TestOptions& o) { o.noSound = true; }), "  -nosound"},
        Case{"opengl", With([](TestOptions& o) { o.openGL = true; }), "  -opengl"},
        Case{"no cd", With([](TestOptions& o) { o.noCD = true; }), "  -nocd"},
        Case{"every switch, after the params", With([](TestOptions& o) {
               o.params = "-fast";
               o.noMonsters = o.noMusic = o.noSound = o.openGL = o.noCD = true;
             }),
             " -fast -nomonsters -nomusic -nosound -opengl -nocd"}),
    ::testing::PrintToStringParamName());

// For names without blanks or quotes the argument list is the parameter text, split.
TEST_P(Parameters, AgreeWithTheArgumentList) {
  const TestOptions& options = GetParam().options;
  std::vector<std::string> expected = SplitParameters(GetParam().parameters);
  // An IWAD entry without a file still names one, empty, where the text shows nothing.
  if (options.iwadFile && options.iwadFile->empty()) expected.insert(expected.begin() + 1, "");
  EXPECT_EQ(BuildTestLaunch(options).Arguments, expected) << GetParam().what;
}

TEST(BuildTestArguments, PathsReachThePortWhateverTheyHold) {
  TestOptions options;
  options.portPath = "/ports/my \"best\" port/doom";
  options.iwadFile = "free doom \"2\".wad";
  options.files = {
      {"a \"b\" c.wad", "/my \"maps\"/"}, {"x y.deh", "/p q/x y.deh"}, {"  lead.wad", "/m/"}};
  options.warp = true;
  options.warpText = " 1  3 ";
  options.params = "-skill 4 \"-config\" \"my cfg.cfg\"";
  options.noSound = true;
  EXPECT_EQ(BuildTestLaunch(options).Arguments,
            (std::vector<std::string>{"-iwad", "free doom \"2\".wad", "-file",
                                      "/my \"maps\"/a \"b\" c.wad", "/m/  lead.wad", "-deh",
                                      "/p q/x y.deh", "-warp", "1", "3", "-skill", "4", "-config",
                                      "my cfg.cfg", "-nosound"}));
  EXPECT_EQ(BuildTestLaunch(options).Directory, "/ports/my \"best\" port/");
}

TEST(BuildTestLaunch, PortWithoutSeparatorRunsInTheLaunchersDirectory) {
  TestOptions options;
  options.portPath = "doom.exe";
  EXPECT_EQ(BuildTestLaunch(options).Directory, "");
  options.portPath = "";
  EXPECT_EQ(BuildTestLaunch(options).Directory, "");
}

}  // namespace
}  // namespace quillon
