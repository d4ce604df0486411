// BuildTestLaunch for any family and any choices: every argument a port receives is one of
// the user's paths or typed words whole, a value the choices offer, or a switch of the
// table; and every enabled file's path reaches the port as one argument.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <set>

#include "IniModel.h"
#include "core/files/PathHelpers.h"
#include "core/launch/CommandLine.h"
#include "core/launch/TestLaunch.h"
#include "core/wad/MapNames.h"

namespace {

using namespace quillon;
using fuzz::Check;

const std::set<std::string> kSwitches = {
    "-iwad",    "-file", "-merge",      "-deh",     "-warp",    "+map",    "-skill", "-complevel",
    "-savedir", "-save", "-nomonsters", "-nomusic", "-nosound", "-opengl", "-nocd"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  using enum LaunchOptionId;
  LaunchOptionValues values;
  const std::string port = data.ConsumeRandomLengthString(30);
  values.Set(Port, port);
  std::optional<std::string> iwad;
  if (data.ConsumeBool()) iwad = data.ConsumeRandomLengthString(20);
  if (iwad) values.Set(IWAD, *iwad);
  values.Set(UseFiles, data.ConsumeBool());
  values.Set(Warp, data.ConsumeBool());
  const std::string warp = data.ConsumeRandomLengthString(10);
  values.Set(WarpTo, warp);
  for (LaunchOptionId flag : {NoMonsters, NoMusic, NoSound, OpenGL, NoCD, SaveFolders}) {
    values.Set(flag, data.ConsumeBool());
  }
  const std::string skill = data.ConsumeRandomLengthString(3);
  const std::string complevel = data.ConsumeRandomLengthString(3);
  values.Set(Skill, skill);
  values.Set(Complevel, complevel);

  TestContext context;
  const auto families = Families();
  const PortFamily family =
      families[data.ConsumeIntegralInRange<std::size_t>(0, families.size() - 1)].family;
  context.dialect = DialectOf(family, data.ConsumeBool() ? "chocolate-doom" : "woof");
  context.saveFolder = data.ConsumeRandomLengthString(20);
  context.mapNames = {AsciiUpper(data.ConsumeRandomLengthString(8))};
  std::vector<CustomFile> files(data.ConsumeIntegralInRange(0, 6));
  for (CustomFile& file : files) {
    file.name = data.ConsumeRandomLengthString(10) + (data.ConsumeBool() ? ".wad" : ".deh");
    file.location = data.ConsumeRandomLengthString(20);
    context.bringsGraphics.push_back(data.ConsumeBool());
  }
  const std::string params = data.ConsumeRandomLengthString(30);
  values.Set(Params, params);
  context.portParams = data.ConsumeRemainingBytesAsString();

  const LaunchRequest request = BuildTestLaunch(values, files, context);
  Check(request.Arguments.has_value(), "arguments");

  // Everything an argument may be: the user's texts, then what the table and the choices add.
  std::set<std::string> allowed;
  if (iwad) allowed.insert(*iwad);
  allowed.insert(context.saveFolder);
  for (const CustomFile& file : files) allowed.insert(DirectoryOf(file.location) + file.name);
  for (const std::string& typed : {params, context.portParams, wad::WarpArgument(warp)}) {
    for (std::string& word : SplitParameters(typed)) allowed.insert(std::move(word));
  }
  allowed.insert(context.mapNames.front());
  // A map given by name is the typed text trimmed and in upper case.
  const auto first = warp.find_first_not_of(' ');
  if (first != std::string::npos) {
    allowed.insert(AsciiUpper(warp.substr(first, warp.find_last_not_of(' ') - first + 1)));
  }
  const bool typed = allowed.contains("-complevel");
  allowed.insert(kSwitches.begin(), kSwitches.end());
  for (const LaunchOptionId id : {Skill, Complevel}) {
    for (const OptionChoice& choice : OptionOf(id).choices) {
      allowed.insert(std::string(choice.value));
      allowed.insert(std::string(ComplevelWord(choice.value)));
    }
  }
  for (const std::string& argument : *request.Arguments) {
    Check(allowed.contains(argument), "an argument from nowhere");
  }

  // Each enabled PWAD and patch is one whole argument, after its group's switch.
  if (values.IsOn(UseFiles)) {
    for (const CustomFile& file : files) {
      const std::string path = DirectoryOf(file.location) + file.name;
      const auto& args = *request.Arguments;
      Check(std::find(args.begin(), args.end(), path) != args.end(), "a file's path whole");
    }
  }
  // The compatibility level only for the families that take it, at most once, unless the
  // user's own texts hold the switch.
  const auto& args = *request.Arguments;
  const auto levels = std::count(args.begin(), args.end(), "-complevel");
  if (!typed) {
    Check(levels <= (context.dialect.complevel == ComplevelForm::None ? 0 : 1), "complevel");
  }
  return 0;
}
