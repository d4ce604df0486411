#include "core/launch/ProgramLookup.h"

#include "core/files/PathHelpers.h"

namespace quillon {

namespace {
bool IsNative(const FileFacts& facts) {
  return facts.head.starts_with(
             "\x7f"
             "ELF") ||
         facts.head.starts_with("#!");
}

ResolvedProgram Failure(std::string_view reason) {
  ResolvedProgram result;
  result.failure = reason;
  return result;
}
}  // namespace

std::optional<std::string> FindOnPath(std::string_view name, std::string_view pathVar,
                                      const FileProbe& probe) {
  while (!pathVar.empty()) {
    const auto colon = pathVar.find(':');
    const std::string_view entry = pathVar.substr(0, colon);
    pathVar = colon == std::string_view::npos ? std::string_view() : pathVar.substr(colon + 1);
    if (entry.empty()) continue;
    std::string candidate(entry);
    if (candidate.back() != '/') candidate += '/';
    candidate += name;
    const FileFacts facts = probe(candidate);
    if (facts.exists && !facts.isDirectory && facts.executable) return candidate;
  }
  return std::nullopt;
}

std::string AbsolutePath(std::string_view path, std::string_view currentDir) {
  if (path.empty() || path.front() == '/') return std::string(path);
  while (path.starts_with("./")) {
    path.remove_prefix(2);
    while (path.starts_with('/')) path.remove_prefix(1);
  }
  if (path == ".") path = {};
  std::string out(currentDir);
  if (out.empty() || out.back() != '/') out += '/';
  out += path;
  return out;
}

ResolvedProgram ResolveProgram(const std::string& file, std::vector<std::string> arguments,
                               const std::string& directory, std::string_view pathVar,
                               const FileProbe& probe, std::string_view currentDir) {
  if (file.empty()) return Failure(kNoPathGiven);

  std::string path = file;
  std::string workDir = directory;
  FileFacts facts = probe(path);
  if ((!facts.exists || facts.isDirectory) && file.find('/') == std::string::npos) {
    const auto found = FindOnPath(file, pathVar, probe);
    if (!found) return Failure(kNotOnPath);
    facts = probe(*found);
    path = AbsolutePath(*found, currentDir);
    workDir = DirectoryOf(path);
  }
  if (!facts.exists) return Failure(kNotFound);
  if (facts.isDirectory) return Failure(kIsFolder);

  ResolvedProgram result;
  result.directory = workDir;
  if (ExtensionOf(FileNameOf(path)) == "exe" && !IsNative(facts)) {
    const auto wine = FindOnPath("wine", pathVar, probe);
    if (!wine) return Failure(kWineMissing);
    result.program = AbsolutePath(*wine, currentDir);
    arguments.insert(arguments.begin(), path);
  } else {
    if (!facts.executable) return Failure(kNotExecutable);
    result.program = path;
  }
  result.arguments = std::move(arguments);
  return result;
}

}  // namespace quillon
