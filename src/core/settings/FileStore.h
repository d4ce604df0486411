#pragma once

// Internal to the settings engine: raw file access for the INI cache.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quillon::filestore {

// Enough of a file's metadata to tell whether someone else changed it since we last read
// or wrote it.
struct FileStamp {
  enum class State : std::uint8_t { Unknown, Missing, Present };
  State state = State::Unknown;
  std::uint64_t size = 0;
  std::int64_t mtimeNs = 0;
  std::int64_t ctimeNs = 0;
  std::uint64_t inode = 0;
  std::uint64_t device = 0;
};

// An Unknown stamp matches nothing, so a file we could not examine is always looked at
// again.
bool SameFile(const FileStamp& a, const FileStamp& b);

FileStamp Stat(const std::filesystem::path& path);

struct ReadResult {
  enum class Status : std::uint8_t { Ok, Missing, Failed };
  Status status = Status::Failed;
  std::string bytes;  // exactly as stored, no text-mode conversion
  FileStamp stamp;    // of the file the bytes came from
};

// A failed read leaves errno saying why (EISDIR for a folder).
ReadResult ReadFile(const std::filesystem::path& path);

// Replaces the file with these bytes through a temporary file and a rename, so the old
// file stays whole when anything fails. Returns the stamp of the new file, or nullopt with
// errno saying why.
std::optional<FileStamp> WriteAtomically(const std::filesystem::path& path, std::string_view bytes);

// The same for a file given as pieces written one after another, so that a caller holding
// the text in pieces need not join them first.
std::optional<FileStamp> WriteAtomically(const std::filesystem::path& path,
                                         std::span<const std::string_view> pieces);

}  // namespace quillon::filestore
