// The INI engine against the plain model: arbitrary file bytes, then an arbitrary run of
// loads, saves (of values or of stored text), flushes, outside appends, deletions and
// re-creations, written now or deferred.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "IniModel.h"
#include "core/settings/IniCache.h"
#include "core/settings/ReadWrite.h"

namespace {

using namespace quillon;
using namespace quillon::fuzz;

// Names that meet the file's own often, and the tricky ones.
std::string Name(FuzzedDataProvider& data) {
  static constexpr std::array<const char*, 15> kNames = {
      "A",  "a",   "Ports", " ports ",  "NumPorts",  "k",           "K\t",       "",
      "[x", "k=1", "x]y",   "\xC3\xA9", "Port1Name", " port2NAME ", "Port02Name"};
  if (data.ConsumeBool()) {
    return kNames[data.ConsumeIntegralInRange<std::size_t>(0, kNames.size() - 1)];
  }
  return data.ConsumeRandomLengthString(16);
}

std::string Value(FuzzedDataProvider& data) {
  if (data.ConsumeIntegralInRange(0, 15) == 0) {
    return std::string(data.ConsumeIntegralInRange(250, 300), 'v') +
           data.ConsumeRandomLengthString(4);
  }
  std::string value = data.ConsumeRandomLengthString(24);
  // Now and then the forms the reading rules change: enclosed in quotes, blanks at the ends.
  static constexpr std::array<const char*, 5> kEnds = {"\"", "'", " ", "\t", "\"\""};
  if (data.ConsumeIntegralInRange(0, 3) == 0) {
    const char* end = kEnds[data.ConsumeIntegralInRange<std::size_t>(0, kEnds.size() - 1)];
    value = end + value + end;
  }
  return value;
}

// What the engine must show: the file on disk, and the picture it answers from, which runs
// ahead of the disk while saves wait for a flush.
struct Expected {
  std::optional<std::string> disk;  // nullopt: no file
  std::optional<std::string> base;  // the disk as the engine last read or wrote it
  bool loaded = false;              // base and view hold something read or written
  IniModel view;
  std::vector<std::array<std::string, 3>> pending;
  bool dirty = false;
  bool deferred = false;
  bool checked = false;  // deferred: the disk was looked at in this event (until FlushAll)

  std::string DiskBytes() const { return disk.value_or(""); }

  // A file deleted after it was read keeps the view: the next write puts it all back.
  void Refresh() {
    if (dirty || (deferred && checked)) return;
    if (loaded && base && !disk) {
      base.reset();
    } else if (!loaded || base != disk) {
      view = IniModel::Parse(DiskBytes()), base = disk, loaded = true;
    }
    checked = deferred;
  }
  void Flush() {
    checked = false;
    if (!dirty) return;
    if (disk && base != disk) {  // someone else wrote: theirs, then ours on top
      view = IniModel::Parse(*disk);
      for (const auto& save : pending) view.Save(save[0], save[1], save[2]);
    }
    disk = base = view.Serialize();
    pending.clear();
    dirty = false;
  }
  // `stored` as Save or SaveRaw puts it into the file.
  void Save(const std::string& section, const std::string& key, const std::string& stored) {
    Refresh();
    if (view.KeepsStoredText(section, key, stored)) return;
    view.Save(section, key, stored);
    pending.push_back({section, key, stored});
    dirty = true;
    if (!deferred) Flush();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  const std::filesystem::path file = ScratchDirectory() / "QLN2.ini";
  std::filesystem::remove(file);

  Expected expected;
  const std::string original = data.ConsumeRandomLengthString(2048);
  const bool existed = data.ConsumeBool();
  if (existed) {
    WriteBytes(file, original, false);
    expected.disk = original;
  }
  bool outsideEdits = false;
  expected.deferred = data.ConsumeBool();
  IniCache::SetFlushRequester(expected.deferred ? std::function<void()>([] {}) : nullptr);

  {
    auto ini = std::make_unique<ReadWrite>();
    ini->SetFileName(file.string());
    for (int op = 0; op < 64 && data.remaining_bytes() > 0; ++op) {
      switch (data.ConsumeIntegralInRange(0, 12)) {
        case 0:
        case 1:
        case 2: {
          const std::string section = Name(data);
          const std::string key = Name(data);
          expected.Refresh();
          Check(ini->Load(section, key) == expected.view.Load(section, key), "Load");
          Check(ini->LoadWhole(section, key) == expected.view.LoadWhole(section, key), "LoadWhole");
          // A list read in one pass reads each entry as its own LoadWhole does.
          int entry = 0;
          ini->LoadWholeNumbered(section, "Port", "Name", 3, [&](std::string_view value) {
            ++entry;
            Check(
                value == expected.view.LoadWhole(section, "Port" + std::to_string(entry) + "Name"),
                "LoadWholeNumbered");
          });
          Check(entry == 3, "LoadWholeNumbered count");
          break;
        }
        case 3:
        case 4:
        case 5: {
          const std::string section = Name(data);
          const std::string key = Name(data);
          const std::string value = Value(data);
          if (data.ConsumeIntegralInRange(0, 3) == 0) {
            ini->SaveRaw(section, key, value);
            expected.Save(section, key, value);
            break;
          }
          ini->Save(section, key, value);
          expected.Save(section, key, StoredForm(value));
          // Whatever Save was given reads back whole, line breaks blanked, under any key that
          // can be a key line of its own.
          const std::string cleanKey = Trim(NoBreaks(key));
          if (cleanKey.find('=') == std::string::npos && !cleanKey.starts_with('[')) {
            Check(ini->LoadWhole(section, key) == FromWindows1252(NoBreaks(value)),
                  "value read back whole");
          }
          break;
        }
        case 6:
          Check(IniCache::FlushAll(), "FlushAll");
          expected.Flush();
          break;
        case 7: {  // another program appends, so the change always shows in the size
          const std::string text = data.ConsumeRandomLengthString(32);
          WriteBytes(file, text, true);
          expected.disk = expected.DiskBytes() + text;
          outsideEdits = true;
          break;
        }
        case 8: {
          std::vector<std::string> lines(data.ConsumeIntegralInRange(0, 4));
          for (auto& line : lines) line = data.ConsumeRandomLengthString(16);
          ini->Create(lines);
          std::string created;
          for (const auto& line : lines) created += NoBreaks(line) + "\r\n";
          expected.disk = expected.base = created;
          expected.loaded = true;
          expected.view = IniModel::Parse(created);
          expected.pending.clear();
          expected.dirty = false;
          outsideEdits = true;
          break;
        }
        case 9:  // a second object on the same file shares every unwritten change
          // With nothing unwritten the cached copy goes with the last object, and a new
          // one looks at the disk afresh.
          if (!expected.dirty) expected.checked = expected.loaded = false;
          ini = std::make_unique<ReadWrite>();
          ini->SetFileName((ScratchDirectory() / "." / "QLN2.ini").string());
          break;
        case 10:  // another program deletes the file
          std::filesystem::remove(file);
          expected.disk.reset();
          outsideEdits = true;
          break;
        case 11: {  // a key's stored text moved to another key, as a renumbering does
          const std::string section = Name(data);
          const std::string from = Name(data);
          const std::string to = Name(data);
          const bool always = data.ConsumeBool();
          ini->MoveRaw(section, from, to,
                       always ? ReadWrite::Move::Always : ReadWrite::Move::WhenDifferent);
          expected.Refresh();
          const std::string moved = expected.view.Raw(section, from).value_or("");
          if (always || expected.view.Raw(section, to).value_or("") != moved) {
            expected.Save(section, to, moved);
          }
          break;
        }
        case 12: {  // a list's later entries moved down one number, in one walk
          const std::string section = Name(data);
          const int first = data.ConsumeIntegralInRange(1, 3);
          const int last = data.ConsumeIntegralInRange(first, 4);
          const ReadWrite::NumberedKey keys[] = {{"Name", ReadWrite::Move::Always},
                                                 {"Path", ReadWrite::Move::WhenDifferent}};
          ini->MoveNumberedDown(section, "Port", keys, first, last);
          for (int n = first; n < last; ++n) {
            for (const auto& key : keys) {
              const std::string to = "Port" + std::to_string(n) + std::string(key.suffix);
              expected.Refresh();
              const std::string moved =
                  expected.view
                      .Raw(section, "Port" + std::to_string(n + 1) + std::string(key.suffix))
                      .value_or("");
              if (key.when == ReadWrite::Move::Always ||
                  expected.view.Raw(section, to).value_or("") != moved) {
                expected.Save(section, to, moved);
              }
            }
          }
          break;
        }
      }
      if (!expected.dirty) {
        Check(ReadBytes(file) == expected.disk, "file after a write");
      }
    }
  }
  IniCache::SetFlushRequester(nullptr);
  Check(IniCache::FlushAll(), "last FlushAll");
  expected.Flush();
  const auto written = ReadBytes(file);
  Check(written == expected.disk, "file at the end");
  if (!outsideEdits && written) {
    Check(KeepsOriginalLines(existed ? original : "", *written), "original lines kept");
  }
  return 0;
}
