#include "core/launch/SaveSettle.h"

#include <algorithm>

namespace quillon {

void SaveSettle::Changed(const std::string& file, std::int64_t nowMs) {
  std::int64_t& last = moved_[file];
  last = std::max(last, nowMs);
}

std::optional<std::int64_t> SaveSettle::DueAt() const {
  if (moved_.empty()) return std::nullopt;
  std::int64_t latest = 0;
  for (const auto& [file, last] : moved_) latest = std::max(latest, last);
  return latest + stillMs_;
}

SaveVerdict SaveSettle::Look(std::int64_t nowMs,
                             const std::function<SavedFileState(const std::string&)>& probe) {
  const auto due = DueAt();
  if (!due || nowMs < *due) return {};
  SaveVerdict verdict{SaveVerdict::Kind::Restart, {}, {}};
  for (const auto& [file, last] : moved_) {
    const SavedFileState state = probe(file);
    if (!state.present || !state.whole) {
      verdict = {SaveVerdict::Kind::CannotRead,
                 {file},
                 state.present ? state.problem : std::string("it is not there")};
      break;
    }
    verdict.files.push_back(file);
  }
  moved_.clear();
  return verdict;
}

}  // namespace quillon
