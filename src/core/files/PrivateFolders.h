#pragma once

#include <string>

namespace quillon {

// Makes the folder and every missing folder above it readable by the user alone (0700),
// as the XDG base directory rules ask of the folders a program creates; folders that exist
// keep their mode. True when the folder exists afterwards.
bool CreatePrivateFolders(const std::string& path);

}  // namespace quillon
