#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillon {

inline constexpr std::string_view kIniFileName = "QLN2.ini";
inline constexpr std::string_view kHelpFileName = "QLN2.txt";

// The four lists the configuration file keeps. Entry n of a list lives under
// prefix + n + "Name" and prefix + n + fileSuffix in its section.
enum class ListId { Ports, IWADs, Programs, Files };

struct ListKind {
  ListId id;
  std::string_view section;
  std::string_view prefix;
  std::string_view fileSuffix;
  std::string_view countKey;
};

const ListKind& KindOf(ListId id);

std::string NameKey(const ListKind& kind, int entry);
std::string FileKey(const ListKind& kind, int entry);

// Counts, entry numbers and list positions are 16-bit; a count read back must stay below
// kMaxListCount, so a list takes at most kLargestList entries.
inline constexpr int kMaxListCount = 32767;
inline constexpr int kLargestList = kMaxListCount - 1;

namespace memory {
inline constexpr std::string_view kSection = "Memory";
inline constexpr std::string_view kPort = "Port";
inline constexpr std::string_view kIWAD = "IWAD";
inline constexpr std::string_view kProg = "Prog";
inline constexpr std::string_view kUseFiles = "UseFiles";
inline constexpr std::string_view kExitOnTest = "ExitOnTest";
inline constexpr std::string_view kWarp = "Warp";
inline constexpr std::string_view kWarpTo = "WarpTo";
inline constexpr std::string_view kNoMonsters = "NoMonsters";
inline constexpr std::string_view kNoMusic = "NoMusic";
inline constexpr std::string_view kNoSound = "NoSound";
inline constexpr std::string_view kNoCD = "NoCD";
inline constexpr std::string_view kOpenGL = "OpenGL";
inline constexpr std::string_view kParams = "Params";
inline constexpr std::string_view kProgParams = "ProgParams";
}  // namespace memory

// The 26 lines of a new configuration file.
std::vector<std::string> DefaultIniLines();

}  // namespace quillon
