#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::wad {

// One assignment of a UDMF text map: `key = value;`. The key is lower-cased; a quoted value
// is unescaped and marked as a string.
struct UdmfField {
  std::string key;
  std::string value;
  bool quoted = false;
  // Where the value stands in the text, quotes included: a copy can replace just it.
  std::size_t valueBegin = 0;
  std::size_t valueEnd = 0;
};

// A block: `thing { ... }`, with where it stands in the text, from the first letter of its
// type to its closing brace, so a copy can replace exactly that block.
struct UdmfBlock {
  std::string type;  // lower-cased: "thing", "linedef", "sidedef", "vertex", "sector"
  std::size_t begin = 0;
  std::size_t end = 0;  // one past the closing brace
  std::vector<UdmfField> fields;
  // The field's value, or `fallback` when the block has none.
  std::string_view Value(std::string_view key, std::string_view fallback = {}) const;
  bool Has(std::string_view key) const;
};

struct UdmfResult {
  bool ok = false;
  std::string error;  // what is wrong and where ("line 12: ..."); empty when ok
  std::size_t blocks = 0;
};

// Reads a TEXTMAP, handing each global assignment (`namespace = "zdoom";` and the like) and
// each block to the callbacks as they are met, so memory stays at one block whatever the
// size of the text. Comments (`//` and `/* */`) are skipped. Broken text stops the reading
// with its line number; what was handed before stays handed. Never throws for any input.
UdmfResult ReadUdmf(std::string_view text, const std::function<void(const UdmfField&)>& global,
                    const std::function<void(const UdmfBlock&)>& block);

}  // namespace quillon::wad
