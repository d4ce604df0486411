#include "core/files/PrivateFolders.h"

#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <sys/stat.h>

#include <cerrno>
#endif

namespace quillon {

bool CreatePrivateFolders(const std::string& path) {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::path(path).lexically_normal();
  if (folder.has_parent_path() && !folder.has_filename()) folder = folder.parent_path();
  if (std::filesystem::is_directory(folder, error)) return true;
#ifdef _WIN32
  std::filesystem::create_directories(folder, error);
#else
  // Made with its mode rather than changed after, so it is never open to others.
  const std::filesystem::path parent = folder.parent_path();
  if (!parent.empty() && parent != folder && !CreatePrivateFolders(parent.string())) return false;
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
#endif
  return std::filesystem::is_directory(folder, error);
}

}  // namespace quillon
