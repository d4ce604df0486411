#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/launch/MapEditors.h"
#include "support/ParamNames.h"

namespace quillon {
namespace {

using test::PrintTo;

struct EditCase {
  const char* name;
  std::string program;
  MapToEdit target;
  std::string params;  // Program Parameters as typed
  std::string text;
  std::vector<std::string> arguments;
};

class EditLaunch : public ::testing::TestWithParam<EditCase> {};

TEST_P(EditLaunch, PutsTheMapBeforeTheProgramParameters) {
  const EditCase& c = GetParam();
  LaunchRequest program;
  program.File = c.program;
  program.Parameters = c.params;
  program.Directory = "/opt/";
  program.Title = "Editor";
  const LaunchRequest request = BuildEditLaunch(program, c.target);
  EXPECT_EQ(request.Parameters, c.text);
  EXPECT_EQ(request.Arguments, c.arguments);
  // The rest is Quick Launch's as it was.
  EXPECT_EQ(request.File, c.program);
  EXPECT_EQ(request.Directory, "/opt/");
  EXPECT_EQ(request.Title, "Editor");
}

const std::string kMaps = "/my maps/";

INSTANTIATE_TEST_SUITE_P(
    Table, EditLaunch,
    ::testing::Values(
        EditCase{
            "EurekaIwadAndMap",
            "/usr/bin/eureka",
            {kMaps + "a b.wad", "/usr/share/games/doom/freedoom2.wad", "MAP07"},
            "",
            "\"/my maps/a b.wad\" -iwad \"/usr/share/games/doom/freedoom2.wad\" -warp MAP07",
            {kMaps + "a b.wad", "-iwad", "/usr/share/games/doom/freedoom2.wad", "-warp", "MAP07"}},
        EditCase{"EurekaNoIwad",
                 "eureka",
                 {kMaps + "e.wad", std::nullopt, "E2M3"},
                 "",
                 "\"/my maps/e.wad\" -warp E2M3",
                 {kMaps + "e.wad", "-warp", "E2M3"}},
        EditCase{"EurekaWithQuotedParams",
                 "/opt/Eureka-1.27.exe",
                 {"/w/\"q\".wad", "doom2.wad", "MAP01"},
                 "-merge \"my res.wad\" -port \"\"\"x\"\"\"",
                 "\"/w/\"q\".wad\" -iwad \"doom2.wad\" -warp MAP01 -merge \"my res.wad\" "
                 "-port \"\"\"x\"\"\"",
                 {"/w/\"q\".wad", "-iwad", "doom2.wad", "-warp", "MAP01", "-merge", "my res.wad",
                  "-port", "\"x\""}},
        EditCase{"OtherGetsTheFileOnly",
                 "/usr/bin/slade",
                 {kMaps + "a b.wad", "doom2.wad", "MAP07"},
                 "",
                 "\"/my maps/a b.wad\"",
                 {kMaps + "a b.wad"}},
        EditCase{"OtherWithParams",
                 "C:\\DB\\Builder.exe",
                 {kMaps + "a.wad", std::nullopt, "MAP07"},
                 "  -nosettings  \"a  b\" ",
                 "\"/my maps/a.wad\"   -nosettings  \"a  b\" ",
                 {kMaps + "a.wad", "-nosettings", "a  b"}},
        // Only the whole name counts, as a port's does: "eurekas" is another program.
        EditCase{"NameMustBeWhole",
                 "/usr/bin/eurekas",
                 {kMaps + "a.wad", "doom2.wad", "MAP07"},
                 "",
                 "\"/my maps/a.wad\"",
                 {kMaps + "a.wad"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillon
