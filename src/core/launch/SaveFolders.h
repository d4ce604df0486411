#pragma once

#include <string>
#include <string_view>

namespace quillon {

// A name as one folder of a path: separators, control characters and a leading dot become
// '_', so no name climbs out of its parent or hides; an empty name is "_".
std::string SafeFolderName(std::string_view name);

// Where a port saves while saves are kept apart: one folder a map project (the first
// enabled PWAD's name without its extension, or "no-pwad"), in it one a port (its list
// name), under `root`. Ends in a separator.
std::string SaveFolderFor(std::string_view root, std::string_view firstPwadName,
                          std::string_view portName);

}  // namespace quillon
