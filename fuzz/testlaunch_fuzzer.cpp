// BuildTestLaunch over arbitrary options: the command line has its fixed shape, and every
// PWAD and patch path comes through the launcher's argument splitting as one argument.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>

#include "IniModel.h"
#include "core/files/PathHelpers.h"
#include "core/launch/TestLaunch.h"

namespace {

using namespace quillon;
using fuzz::Check;

// How the launcher splits parameters (QProcess::splitCommand as documented): blanks
// separate, double quotes group, and three quotes in a row stand for one literal quote.
std::vector<std::string> SplitCommand(std::string_view command) {
  std::vector<std::string> args;
  std::string current;
  int quotes = 0;
  bool inQuote = false;
  for (char c : command) {
    if (c == '"') {
      if (++quotes == 3) {
        quotes = 0;
        current += c;
      }
      continue;
    }
    if (quotes) {
      if (quotes == 1) inQuote = !inQuote;
      quotes = 0;
    }
    if (!inQuote && (c == ' ' || (c >= '\t' && c <= '\r'))) {
      if (!current.empty()) args.push_back(std::move(current));
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) args.push_back(std::move(current));
  return args;
}

// The model's view of the options, one field each.
struct TestOptions {
  std::string portPath;
  std::optional<std::string> iwadFile;
  std::vector<CustomFile> files;
  bool warp = false;
  std::string warpText;
  std::string params;
  bool noMonsters = false;
  bool noMusic = false;
  bool noSound = false;
  bool openGL = false;
  bool noCD = false;
};

LaunchRequest Build(const TestOptions& o) {
  using enum LaunchOptionId;
  LaunchOptionValues values;
  values.Set(Port, o.portPath);
  if (o.iwadFile) values.Set(IWAD, *o.iwadFile);
  values.Set(UseFiles, true);
  values.Set(Warp, o.warp);
  values.Set(WarpTo, o.warpText);
  values.Set(Params, o.params);
  values.Set(NoMonsters, o.noMonsters);
  values.Set(NoMusic, o.noMusic);
  values.Set(NoSound, o.noSound);
  values.Set(OpenGL, o.openGL);
  values.Set(NoCD, o.noCD);
  return BuildTestLaunch(values, o.files);
}

std::string FileName(FuzzedDataProvider& data) {
  static constexpr std::array<const char*, 7> kEndings = {".wad", ".WAD", ".deh",    ".Bex",
                                                          ".txt", "",     ".wad.zip"};
  return data.ConsumeRandomLengthString(12) +
         kEndings[data.ConsumeIntegralInRange<std::size_t>(0, kEndings.size() - 1)];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  TestOptions options;
  options.portPath = data.ConsumeRandomLengthString(40);
  if (data.ConsumeBool()) options.iwadFile = data.ConsumeRandomLengthString(20);
  options.files.resize(data.ConsumeIntegralInRange(0, 10));
  for (CustomFile& file : options.files) {
    file.name = FileName(data);
    file.location = data.ConsumeRandomLengthString(30);
  }
  options.warp = data.ConsumeBool();
  options.warpText = data.ConsumeRandomLengthString(8);
  for (bool* flag :
       {&options.noMonsters, &options.noMusic, &options.noSound, &options.openGL, &options.noCD}) {
    *flag = data.ConsumeBool();
  }
  options.params = data.ConsumeRemainingBytesAsString();

  const LaunchRequest request = Build(options);
  Check(request.File == options.portPath, "file");
  Check(request.Directory == DirectoryOf(options.portPath), "directory");

  // The shape, piece by piece.
  std::string expected;
  if (options.iwadFile) expected += " -iwad " + *options.iwadFile;
  std::vector<std::string> wads, patches;
  for (const CustomFile& file : options.files) {
    const std::string ext = ExtensionOf(file.name);
    const std::string path = DirectoryOf(file.location) + file.name;
    if (ext == "wad") wads.push_back(path);
    if (ext == "deh" || ext == "bex") patches.push_back(path);
  }
  for (auto [group, paths] : {std::pair{" -file ", &wads}, {" -deh ", &patches}}) {
    if (paths->empty()) continue;
    expected += group;
    for (const std::string& path : *paths) expected += "\"" + path + "\" ";
  }
  if (options.warp) expected += " -warp " + options.warpText;
  expected += " " + options.params;
  for (auto [on, flag] : {std::pair{options.noMonsters, " -nomonsters"},
                          {options.noMusic, " -nomusic"},
                          {options.noSound, " -nosound"},
                          {options.openGL, " -opengl"},
                          {options.noCD, " -nocd"}}) {
    if (on) expected += flag;
  }
  Check(request.Parameters == expected, "command line");
  Check(request.Parameters.starts_with(' '), "leading blank");

  // Quoting holds as long as no quote comes before or inside the paths.
  std::string head = options.iwadFile ? " -iwad " + *options.iwadFile : "";
  bool quoteFree = head.find('"') == std::string::npos;
  for (const auto& path : wads) quoteFree = quoteFree && path.find('"') == std::string::npos;
  for (const auto& path : patches) quoteFree = quoteFree && path.find('"') == std::string::npos;
  if (quoteFree) {
    const std::vector<std::string> args = SplitCommand(request.Parameters);
    std::size_t at = SplitCommand(head).size();
    for (auto [group, paths] : {std::pair{"-file", &wads}, {"-deh", &patches}}) {
      if (paths->empty()) continue;
      Check(at < args.size() && args[at++] == group, "group switch");
      for (const std::string& path : *paths) {
        Check(at < args.size() && args[at++] == path, "a path is one argument");
      }
    }
  }
  return 0;
}
