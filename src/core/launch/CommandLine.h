#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// Splits a typed parameter text into arguments without any shell: blanks separate, a '"'
// starts or ends a quoted stretch in which blanks are kept, and three '"' in a row stand
// for one literal '"'. Nothing is expanded.
std::vector<std::string> SplitParameters(std::string_view text);

// One argument as a POSIX shell reads it back unchanged: left bare when it holds only
// characters no shell treats specially, otherwise in single quotes.
std::string QuoteForShell(std::string_view argument);

// "cd 'dir' && 'program' 'arg' ..." on one line: pasted into a terminal it runs the same
// program with the same arguments in the same folder. No "cd" when the folder is empty.
std::string ShellCommandLine(std::string_view directory, std::string_view program,
                             const std::vector<std::string>& arguments);

// A command line built as the text the user reads and as the exact argument list, side by
// side from the same pieces.
struct CommandLineParts {
  std::string text;
  std::vector<std::string> arguments;

  // A switch as the text shows it (" -warp "), and as its own argument ("-warp").
  void Switch(std::string_view shown);
  // A path: quoted in the text, one argument whatever it holds.
  void Path(std::string_view path);
  // Typed text: as typed in the text, split as typed into arguments.
  void Typed(std::string_view typed);
};

}  // namespace quillon
