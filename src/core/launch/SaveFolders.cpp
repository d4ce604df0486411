#include "core/launch/SaveFolders.h"

#include "core/files/PathHelpers.h"

namespace quillon {

std::string SafeFolderName(std::string_view name) {
  std::string safe;
  safe.reserve(name.size());
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    safe += (c == '/' || c == '\\' || c == ':' || byte < 0x20 || byte == 0x7f) ? '_' : c;
  }
  if (safe.empty() || safe.front() == '.') safe.insert(safe.begin(), '_');
  return safe;
}

std::string SaveFolderFor(std::string_view root, std::string_view firstPwadName,
                          std::string_view portName) {
  std::string project(firstPwadName);
  if (const auto dot = project.rfind('.'); dot != std::string::npos && dot > 0) {
    project.resize(dot);
  }
  if (project.empty()) project = "no-pwad";
  std::string folder = JoinPath(root, SafeFolderName(project));
  folder = JoinPath(folder, SafeFolderName(portName));
  folder += '/';
  return folder;
}

}  // namespace quillon
