#include "robustness/EditBatches.h"

#include <array>
#include <random>
#include <string_view>

#include "core/settings/ConfigLayout.h"
#include "core/settings/LaunchOptions.h"
#include "core/settings/NumberConversion.h"

namespace quillon::robustness {

namespace {

// Every line here is either an owned key line or one of kUnowned, in this order.
constexpr std::array<std::string_view, 16> kUnowned = {
    "; Quillon configuration, also kept by hand\r\n",
    "; my ports\n",
    "  Custom = keep me  \r\n",
    "[Unknown Section]\r",
    "a=1\r",
    "  b  =  \"two\"\n",
    "\r\n",
    "\t\r\n",
    "Unknown=x\r\n",
    "[Notes]\n",
    "\xC3\xA9t\xC3\xA9=\xE2\x82\xAC \n",
    "; the end",
    // Blank lines that close sections.
    "\r\n",
    "\r\n",
    "\r\n",
    "\r\n",
};

std::string Number(int value) {
  return std::to_string(value);
}

int Count(const ReadWrite& ini, const ListKind& kind) {
  const auto count = ToInt16(ini.Load(kind.section, kind.countKey));
  return count ? *count : 0;
}

std::string RandomText(std::mt19937& random) {
  static constexpr std::array<std::string_view, 12> kPieces = {
      "a", "Doom", " ", "/usr/games/", "\xC3\xA9", "\"", "=", "[", ";", "x.wad", "\t", "9"};
  const int length = random() % 16 == 0 ? 120 : static_cast<int>(random() % 12);
  std::string text;
  for (int i = 0; i < length; ++i) text += kPieces[random() % kPieces.size()];
  return text;
}

const ListKind& RandomList(std::mt19937& random) {
  return KindOf(static_cast<ListId>(random() % 4));
}

// As the add/change dialog and the custom file button do it.
void Add(ReadWrite& ini, const ListKind& kind, std::mt19937& random) {
  const int n = Count(ini, kind) + 1;
  ini.Save(kind.section, NameKey(kind, n), RandomText(random));
  ini.Save(kind.section, FileKey(kind, n), RandomText(random));
  ini.Save(kind.section, kind.countKey, Number(n));
}

// Every later entry moves down one number; the old last number is emptied.
void Remove(ReadWrite& ini, const ListKind& kind, std::mt19937& random) {
  const int count = Count(ini, kind);
  if (count == 0) return Add(ini, kind, random);
  const int s = 1 + static_cast<int>(random() % static_cast<unsigned>(count));
  for (int m = s; m < count; ++m) {
    ini.Save(kind.section, NameKey(kind, m), ini.Load(kind.section, NameKey(kind, m + 1)));
    ini.Save(kind.section, FileKey(kind, m), ini.Load(kind.section, FileKey(kind, m + 1)));
  }
  ini.Save(kind.section, NameKey(kind, count), "");
  ini.Save(kind.section, FileKey(kind, count), "");
  ini.Save(kind.section, kind.countKey, Number(count - 1));
}

void Rename(ReadWrite& ini, const ListKind& kind, std::mt19937& random) {
  const int count = Count(ini, kind);
  if (count == 0) return Add(ini, kind, random);
  const int n = 1 + static_cast<int>(random() % static_cast<unsigned>(count));
  ini.Save(kind.section, NameKey(kind, n), RandomText(random));
}

// A scheme load rewrites the custom files; a close rewrites "Memory".
void SchemeBurst(ReadWrite& ini, std::mt19937& random) {
  const ListKind& files = KindOf(ListId::Files);
  const int count = static_cast<int>(random() % 40);
  ini.Save(files.section, files.countKey, Number(count));
  for (int n = 1; n <= count; ++n) {
    ini.Save(files.section, NameKey(files, n), RandomText(random));
    ini.Save(files.section, FileKey(files, n), RandomText(random));
  }
  for (const LaunchOption* option : OptionsInOrder(OptionOrder::Memory)) {
    if (option->remembered) ini.Save(memory::kSection, option->key, RandomText(random));
  }
}

}  // namespace

std::string InitialConfiguration() {
  const auto u = [](int i) { return std::string(kUnowned[static_cast<std::size_t>(i)]); };
  std::string file = u(0);
  file += "[Ports]\r\nNumPorts=0\r\n" + u(1) + u(2) + u(12);
  file += "[IWADs]\r\nNumIWADs=0\r\n" + u(13);
  file += u(3) + u(4) + u(5) + u(6);
  file += "[Programs]\r\nNumProgs=0\r\n" + u(14);
  file += "[Files]\r\nNumFiles=0\r\n" + u(7);
  file += "[Memory]\r\nPort=0\r\nIWAD=0\r\nProg=0\r\nUseFiles=0\r\nExitOnTest=0\r\nWarp=0\r\n";
  file += "WarpTo=1\r\nNoMonsters=0\r\nNoMusic=0\r\nNoSound=0\r\nNoCD=0\r\nOpenGL=0\r\n";
  file += "Params=\r\nProgParams=\r\n" + u(8) + u(15);
  file += u(9) + u(10) + u(11);
  return file;
}

std::vector<std::string> UnownedLines() {
  // In file order: the closing blank lines interleave with the rest.
  const int order[] = {0, 1, 2, 12, 13, 3, 4, 5, 6, 14, 7, 8, 15, 9, 10, 11};
  std::vector<std::string> lines;
  for (int i : order) lines.emplace_back(kUnowned[static_cast<std::size_t>(i)]);
  return lines;
}

void ApplyBatch(ReadWrite& ini, std::uint32_t seed, int batch) {
  std::mt19937 random(seed * 1'000'003u + static_cast<std::uint32_t>(batch));
  const unsigned kind = random() % 20;
  if (kind < 7) {
    const ListKind& list = RandomList(random);
    if (Count(ini, list) >= 60) return Remove(ini, list, random);
    Add(ini, list, random);
  } else if (kind < 13) {
    Remove(ini, RandomList(random), random);
  } else if (kind < 15) {
    Rename(ini, RandomList(random), random);
  } else {
    SchemeBurst(ini, random);
  }
}

}  // namespace quillon::robustness
