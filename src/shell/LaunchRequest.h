#pragma once

#include <string>

namespace quillon {

// What is handed to the system to start an executable or open a document.
struct LaunchRequest {
  enum class Show { Normal = 1, Maximized = 3 };

  std::string File;        // full path
  std::string Parameters;  // one text, passed on unchanged
  std::string Directory;   // working directory; empty: the launcher's own
  Show ShowMode = Show::Normal;

  bool operator==(const LaunchRequest&) const = default;
};

}  // namespace quillon
