#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// A remembered set of list entries, as "Memory" keeps it: entry numbers joined by ","
// ("1,3"). Read leniently: blanks are ignored, and a piece that is no entry number (not a
// whole number from 1 to 32767) or repeats an earlier one is dropped.
std::vector<int> ParseEntryNumbers(std::string_view text);
std::string JoinEntryNumbers(const std::vector<int>& entries);

// The same set after the list changed under it, so each number still names the entry it
// named: `removed` leaves the set and the later entries move down one; an entry inserted at
// `inserted` moves that number and the later ones up one.
std::string EntryNumbersAfterRemoval(std::string_view text, int removed);
std::string EntryNumbersAfterInsertion(std::string_view text, int inserted);

}  // namespace quillon
