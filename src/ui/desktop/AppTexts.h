#pragma once

namespace quillon {

// Texts every window shares.
inline constexpr const char* kAppTitle = "Quillon 2.01";
inline constexpr const char* kIniErrorText = "Error reading from INI file.";

}  // namespace quillon
