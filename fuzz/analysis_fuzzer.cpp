// The analysis of what a WAD needs over arbitrary bytes, then every port's verdict on it (as
// a PWAD over itself as the IWAD, and alone) and the automatic complevel: nothing crashes,
// throws or reads outside the input, and what comes out is consistent. Memory is held by
// libFuzzer's -rss_limit_mb and -malloc_limit_mb (see the Makefile's fuzz target).
//
// The first input byte says how long the file is, as for the WAD reader's fuzzer. Even: the
// rest is the whole file. Odd: the next 5 bytes (little-endian) are a length of zeros after
// the rest, as in a sparse file, here at most 16 MiB so that huge lumps and counts fit while
// each run stays short.

#include <algorithm>

#include "IniModel.h"
#include "core/launch/PortProfiles.h"
#include "core/wad/MapNames.h"
#include "core/wad/WadAnalysis.h"

namespace {

using namespace quillon;
using namespace quillon::wad;
using fuzz::Check;

constexpr std::uint64_t kMostZeros = std::uint64_t{1} << 24;

void CheckNeeds(const WadNeeds& needs) {
  Check(needs.Ok() == needs.error.empty(), "an error exactly for a file that is not a WAD");
  if (!needs.Ok()) {
    Check(needs.maps.empty() && needs.features.empty(), "nothing trusted of a broken file");
    return;
  }
  for (const MapNeeds& map : needs.maps) {
    Check(ParseMapName(map.name).has_value(), "a map's name is a map name");
    Check(map.format == MapFormat::kUdmf || map.udmfNamespace.empty(), "namespace for UDMF");
    Check(std::find(map.textures.begin(), map.textures.end(), "-") == map.textures.end(),
          "no texture named \"-\"");
  }
  if (needs.complevel) Check(*needs.complevel > 0, "a complevel named is a level");
}

void CheckVerdict(const PortVerdict& verdict, bool readable) {
  Check((verdict.verdict == Verdict::kRuns) == verdict.why.empty(), "a reason unless it runs");
  Check(readable || verdict.verdict == Verdict::kFails, "a file that is not a WAD fails");
  for (const std::string& why : verdict.why) Check(!why.empty(), "a reason has words");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t length) {
  if (length == 0) return 0;
  const bool sparse = (data[0] & 1) != 0 && length >= 6;
  const std::size_t skip = sparse ? 6 : 1;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + skip, length - skip);
  std::uint64_t zeros = 0;
  for (std::size_t i = 5; sparse && i >= 1; --i) zeros = (zeros << 8) | data[i];
  MemorySource source(bytes, bytes.size() + zeros % kMostZeros);

  const WadNeeds needs = AnalyzeWad(source, "/maps/fuzz.wad");
  CheckNeeds(needs);
  const std::vector<std::string> brings = Brings(needs);
  Check(brings.size() >= needs.features.size(), "what a file brings holds its features");

  const std::vector<const WadNeeds*> files = {&needs};
  for (const PortProfile& profile : PortProfiles()) {
    CheckVerdict(Judge(profile, files, &needs), needs.Ok());
    CheckVerdict(Judge(profile, files, nullptr), needs.Ok());
  }
  std::string why;
  const int level = AutomaticComplevel(files, &needs, &why);
  Check(level > 0 && !why.empty(), "a level, and why");
  return 0;
}
