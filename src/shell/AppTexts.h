#pragma once

namespace quillon {

// Texts every window shares.
inline constexpr const char* kAppTitle = "Quillon 2.01";
inline constexpr const char* kIniErrorText = "Error reading from INI file.";

}  // namespace quillon

namespace quillon {
inline constexpr const char* kListFullText =
    "This list is full: Quillon keeps at most 32766 entries in a list.";
}  // namespace quillon
