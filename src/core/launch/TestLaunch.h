#pragma once

#include <vector>

#include "core/launch/LaunchRequest.h"
#include "core/settings/LaunchOptions.h"

namespace quillon {

// The port started in its own directory, maximised, with the command line built from the
// options in their command-line order, both as the text the user reads and as the exact
// argument list (a path is one argument whatever it holds; typed text is split as typed). `options`
// holds the port's path, and for the IWAD the entry's file (no value: the port picks its own IWAD).
// The custom files go on only while UseFiles is on. Touches no control and no file.
LaunchRequest BuildTestLaunch(const LaunchOptionValues& options,
                              const std::vector<CustomFile>& files);

}  // namespace quillon
