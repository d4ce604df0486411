#pragma once

#include <optional>
#include <string>
#include <vector>

#include "shell/LaunchRequest.h"

namespace quillon {

// One listed custom file: its name and where it lies, either its directory (ending in a
// separator) or its full path; only the part up to the last separator is used.
struct CustomFile {
  std::string name;
  std::string location;
};

// Everything the main window shows that goes into a test launch.
struct TestOptions {
  std::string portPath;
  std::optional<std::string> iwadFile;  // none: the port picks its own IWAD
  std::vector<CustomFile> files;
  bool warp = false;
  std::string warpText;
  std::string params;
  bool noMonsters = false;
  bool noMusic = false;
  bool noSound = false;
  bool openGL = false;
  bool noCD = false;
};

// The port started in its own directory, maximised, with the command line built from the
// options. Touches no control and no file.
LaunchRequest BuildTestLaunch(const TestOptions& options);

}  // namespace quillon
