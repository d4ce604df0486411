#pragma once

#include <string>
#include <string_view>

namespace quillon {

// Paths may come from Windows-era files, so both '\' and '/' count as separators.

// Up to and including the last separator; empty when there is none.
std::string DirectoryOf(std::string_view path);
// The same, as a view of `path`.
std::string_view DirectoryPartOf(std::string_view path);

// After the last separator; the whole text when there is none.
std::string FileNameOf(std::string_view path);

// After the last '.', in lower case (ASCII letters only); the whole text in lower case
// when it holds no '.'.
std::string ExtensionOf(std::string_view name);
// ExtensionOf(name) == extension, for an extension in lower case, without a copy.
bool HasExtension(std::string_view name, std::string_view extension);

// The text with its ASCII letters in lower or upper case; other bytes as they are.
std::string AsciiLower(std::string_view text);
std::string AsciiUpper(std::string_view text);

// Joins a directory and a name with the native separator unless dir already ends in one.
std::string JoinPath(std::string_view dir, std::string_view name);

}  // namespace quillon
