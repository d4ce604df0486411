#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillon {

// What is handed to the system to start an executable.
struct LaunchRequest {
  std::string File;  // full path, or a program name looked up on PATH
  // The parameter text as the user reads it. Without Arguments the launch splits it (Quick
  // Launch); a Test sets both, and its Arguments are what that text means, word for word.
  std::string Parameters;
  std::string Directory;  // working directory; empty: the launcher's own
  // The exact arguments; none: Parameters split as typed (SplitParameters).
  std::optional<std::vector<std::string>> Arguments;
  // Where the program's output goes, one log per start; empty: not logged or watched.
  std::string LogDirectory;
  // The name the user gave the program, for the log and the "stopped" notice.
  std::string Title;
  // What the look at the files found this port will not take, for the "stopped" notice.
  std::string Findings;

  bool operator==(const LaunchRequest&) const = default;
};

// What became of a request: started, or why not.
struct LaunchResult {
  std::string failure;   // empty: the program runs
  std::int64_t pid = 0;  // the process started, when known

  bool Started() const { return failure.empty(); }
  bool operator==(const LaunchResult&) const = default;
};

// How a started program ended.
struct LaunchEnd {
  bool bySignal = false;
  int code = 0;         // exit status, or the signal number
  std::string logPath;  // empty: not logged

  bool Failed() const { return bySignal || code != 0; }
};

}  // namespace quillon
