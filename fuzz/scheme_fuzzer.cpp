// The scheme reader over arbitrary file bytes, then a scheme written over that same file
// and into a new one: each must read back exactly what was written, and the old file must
// keep every line the scheme does not own.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>

#include "IniModel.h"
#include "core/schemes/SchemeFormat.h"
#include "core/settings/ConfigLayout.h"
#include "core/settings/IniCache.h"

namespace {

using namespace quillon;
using namespace quillon::fuzz;

using enum LaunchOptionId;

std::string_view Key(LaunchOptionId id) {
  return OptionOf(id).key;
}

const std::string_view kFlagKeys[] = {Key(ExitOnTest), Key(Warp), Key(NoMonsters), Key(NoMusic),
                                      Key(NoSound),    Key(NoCD), Key(OpenGL),     Key(UseFiles)};

// The model's view of a scheme, one field each.
struct SchemeOptions {
  std::string port;
  std::string iwad;
  std::string params;
  bool exitOnTest = false;
  bool warp = false;
  std::string warpTo;
  bool noMonsters = false;
  bool noMusic = false;
  bool noSound = false;
  bool noCD = false;
  bool openGL = false;
  bool useFiles = false;
  std::vector<CustomFile> files;
};

bool Write(ReadWrite& file, const std::string& path, const SchemeOptions& o) {
  LaunchOptionValues values;
  values.Set(Port, o.port);
  values.Set(IWAD, o.iwad);
  values.Set(Params, o.params);
  values.Set(ExitOnTest, o.exitOnTest);
  values.Set(Warp, o.warp);
  values.Set(WarpTo, o.warpTo);
  values.Set(NoMonsters, o.noMonsters);
  values.Set(NoMusic, o.noMusic);
  values.Set(NoSound, o.noSound);
  values.Set(NoCD, o.noCD);
  values.Set(OpenGL, o.openGL);
  values.Set(UseFiles, o.useFiles);
  return !WriteScheme(file, path, values, o.files);
}

// Reads everything a load would, as far as the counts allow.
void ReadAll(const SchemeReader& reader) {
  for (auto key : {Key(Port), Key(IWAD), Key(Params), Key(WarpTo)}) {
    reader.Text(key);
  }
  for (auto key : kFlagKeys) reader.Flag(key);
  const auto count = reader.Number(scheme::kNumFiles);
  const ListKind& files = KindOf(ListId::Files);
  for (int n = 1; count && n <= std::min<int>(*count, 64); ++n) {
    reader.Text(NameKey(files, n));
    reader.Text(FileKey(files, n));
  }
}

// Any one-line value: blanks at its ends, enclosing quotes and lengths past the 254 that
// Load cuts to all come back whole.
std::string Line(FuzzedDataProvider& data) {
  std::string text = data.ConsumeRandomLengthString(300);
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = '_';
  }
  return text;
}

SchemeOptions Options(FuzzedDataProvider& data) {
  SchemeOptions options;
  options.port = Line(data);
  if (options.port.empty()) options.port = "[No Source Port]";  // never empty in the window
  options.iwad = Line(data);
  options.params = Line(data);
  options.warpTo = Line(data);
  for (bool* flag : {&options.exitOnTest, &options.warp, &options.noMonsters, &options.noMusic,
                     &options.noSound, &options.noCD, &options.openGL, &options.useFiles}) {
    *flag = data.ConsumeBool();
  }
  options.files.resize(data.ConsumeIntegralInRange(0, 12));
  for (CustomFile& file : options.files) {
    file.name = Line(data);
    file.location = Line(data);
  }
  return options;
}

// Load gives UTF-8: bytes of the written value that are not valid UTF-8 come back as
// Windows-1252.
std::string AsRead(const std::string& written) {
  return FromWindows1252(written);
}

void CheckReadsBack(ReadWrite& file, const std::string& path, const SchemeOptions& options) {
  const SchemeReader reader(file, path);
  Check(reader.Text(Key(Port)) == AsRead(options.port), "Port");
  Check(reader.Text(Key(IWAD)) == AsRead(options.iwad), "IWAD");
  Check(reader.Text(Key(Params)) == AsRead(options.params), "Params");
  Check(reader.Text(Key(WarpTo)) == AsRead(options.warpTo), "WarpTo");
  const bool flags[] = {options.exitOnTest, options.warp, options.noMonsters, options.noMusic,
                        options.noSound,    options.noCD, options.openGL,     options.useFiles};
  for (std::size_t i = 0; i < std::size(flags); ++i) {
    Check(reader.Flag(kFlagKeys[i]) == flags[i], "a flag");
  }
  Check(reader.Number(scheme::kNumFiles) == static_cast<int>(options.files.size()), "NumFiles");
  const ListKind& files = KindOf(ListId::Files);
  for (std::size_t n = 1; n <= options.files.size(); ++n) {
    Check(reader.Text(NameKey(files, static_cast<int>(n))) == AsRead(options.files[n - 1].name),
          "name");
    Check(reader.Text(FileKey(files, static_cast<int>(n))) == AsRead(options.files[n - 1].location),
          "path");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  // The section is named after the file, brackets and all.
  static constexpr std::array<const char*, 4> kNames = {"old.qls", "Sunlust [UV].qls", "[x]",
                                                        "a]b.qls"};
  const std::string name = kNames[data.ConsumeIntegralInRange<std::size_t>(0, kNames.size() - 1)];
  const std::string old = ScratchDirectory() / name;
  const std::string fresh = ScratchDirectory() / ("new " + name);
  std::filesystem::remove(fresh);

  // Arbitrary bytes, with the right section now and then so the reader gets past Port.
  std::string original = data.ConsumeRandomLengthString(2048);
  if (data.ConsumeBool()) {
    original.insert(0, "[" + name + std::string(kSchemeSectionSuffix) + "]\n");
  }
  WriteBytes(old, original, false);
  IniCache::SetFlushRequester(data.ConsumeBool() ? std::function<void()>([] {}) : nullptr);

  ReadWrite file;
  ReadAll(SchemeReader(file, old));
  const SchemeOptions options = Options(data);
  Check(Write(file, old, options), "write over the old file");
  Check(Write(file, fresh, options), "write a new file");
  CheckReadsBack(file, old, options);
  CheckReadsBack(file, fresh, options);

  IniCache::SetFlushRequester(nullptr);
  Check(IniCache::FlushAll(), "FlushAll");
  Check(KeepsOriginalLines(original, ReadBytes(old).value_or("")), "old lines kept");
  return 0;
}
