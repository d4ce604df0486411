#pragma once

#include <string>
#include <vector>

#include "shell/TestLaunch.h"

namespace quillon {

// The arguments a test launch hands the port, in the order of its parameter text: one per
// IWAD, file, warp number, free parameter and switch. Paths are never split or joined, so a
// blank or a '"' in a path reaches the port as it is.
std::vector<std::string> BuildTestArguments(const TestOptions& options);

}  // namespace quillon
