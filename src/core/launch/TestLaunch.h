#pragma once

#include <string>
#include <vector>

#include "core/launch/LaunchRequest.h"
#include "core/launch/PortFamily.h"
#include "core/settings/LaunchOptions.h"

namespace quillon {

// What a launch knows beyond the main window's options: the port's own dialect and
// parameters, the folder its saves go to, and the maps and graphics the loaded files hold.
// The default is a port of the Other family with nothing of its own: the line every port got
// before families.
struct TestContext {
  PortDialect dialect;
  std::string portParams;  // Port<n>Params, split as the additional parameters are
  std::string saveFolder;  // used while "Keep saves apart" is on and the family takes one
  // The map names the loaded files hold (IWAD included), in upper case: a family that takes
  // maps by name gets "+map" for one of these.
  std::vector<std::string> mapNames;
  // The custom files, by position in the list, that bring sprites or flats of their own.
  std::vector<bool> bringsGraphics;
  // The size of its window while "Windowed" is on, for a family that takes one; 0: its own.
  int windowWidth = 0;
  int windowHeight = 0;
};

// The value a family taking complevel words gives for a level ("9" -> "boom"); empty when
// the level has no word.
std::string_view ComplevelWord(std::string_view level);

// The port started in its own directory, maximised, with the command line built from the
// options in their command-line order, both as the text the user reads and as the exact
// argument list (a path is one argument whatever it holds; typed text is split as typed). `options`
// holds the port's path, and for the IWAD the entry's file (no value: the port picks its own IWAD).
// The custom files go on only while UseFiles is on. Touches no control and no file.
LaunchRequest BuildTestLaunch(const LaunchOptionValues& options,
                              const std::vector<CustomFile>& files,
                              const TestContext& context = {});

}  // namespace quillon
