#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quillon {

// What a watched file looks like when it has been still long enough: there or not, and
// whether it reads whole (a WAD's directory, a patch's bytes).
struct SavedFileState {
  bool present = false;
  bool whole = false;
  std::string problem;  // why it does not read whole
};

// What the settled saves call for.
struct SaveVerdict {
  enum class Kind { Wait, Restart, CannotRead };
  Kind kind = Kind::Wait;
  std::vector<std::string> files;  // Restart: the files saved; CannotRead: the one that failed
  std::string reason;              // CannotRead: why, as a clause ("it is not there")

  bool operator==(const SaveVerdict&) const = default;
};

// Decides when the watched files have been saved completely, from the events the file
// system reports and the time they came. An editor saves in one write or many, in place or
// by renaming a new file over the old one (the name is gone for a moment then); every such
// event only says "look again later". Once every file that moved has been still for
// `stillMs`, one look decides for all of them together: one restart per save, never one per
// write, and a file that is gone or reads half is told instead. No clock of its own: the
// caller hands in the time, so every case is a table row.
class SaveSettle {
 public:
  explicit SaveSettle(std::int64_t stillMs) : stillMs_(stillMs) {}

  // The file was written, renamed over, removed or made again at `nowMs`.
  void Changed(const std::string& file, std::int64_t nowMs);
  // When the next Look is due; none: nothing is waiting.
  std::optional<std::int64_t> DueAt() const;
  // At `nowMs`: Wait while a file moved within the still time, else the verdict on every
  // file that moved, each looked at through `probe`; the files are then forgotten.
  SaveVerdict Look(std::int64_t nowMs,
                   const std::function<SavedFileState(const std::string&)>& probe);
  // Forgets whatever waits (the watch ended).
  void Clear() { moved_.clear(); }

 private:
  std::int64_t stillMs_;
  std::map<std::string, std::int64_t> moved_;  // file -> its last event
};

}  // namespace quillon
