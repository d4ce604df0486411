#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

inline constexpr std::size_t kLogsKept = 20;
inline constexpr std::size_t kNoticeLines = 40;

// "20261207-081530-042 Chocolate Doom.log": the start time first, so that the names sort
// oldest first; characters a file name should not hold become '_'. At most `maxBytes`
// bytes (the folder's NAME_MAX): a long name is shortened, never inside a UTF-8 character.
std::string LogFileName(std::string_view stamp, std::string_view portName, std::size_t maxBytes);

// Of the log names in a folder, those to delete so that `keep` remain (the oldest go first).
// Only names of LogFileName's form count: the user's own files, logs among them, are never
// touched.
std::vector<std::string> LogsToRemove(std::vector<std::string> names, std::size_t keep);

// The last `count` lines of a text, without their line ends; a last line without an end
// counts.
std::vector<std::string> LastLines(std::string_view text, std::size_t count);

// What the "stopped" notice reads of a log, at most: the end of its last bytes.
inline constexpr std::size_t kNoticeTailBytes = 64 * 1024;
// A longer line is shown shortened, with "… [N bytes cut]" where its rest was.
inline constexpr std::size_t kNoticeLineBytes = 240;

// Lines of the tail that read like an engine's fatal error come first in the notice, at
// most this many (the last ones), each after kCauseMark, then an empty line.
inline constexpr std::size_t kNoticeCauses = 5;
inline constexpr std::string_view kCauseMark = "\xE2\x96\xB6 ";  // "▶ "

// The lines the notice shows of `tail`, a log's last bytes, with `bytesBefore` bytes of the
// program's output before them: the cause lines, then the last lines as they were. A line
// that began before the tail is left out, unless it is the only one, when its end is shown
// after "[N bytes cut] …".
std::vector<std::string> NoticeLines(std::string_view tail, unsigned long long bytesBefore);

// How a port ended, as the notice says it: "It ended with exit status 255." or
// "It was ended by signal 9 (Killed)."
std::string DescribeEnd(bool bySignal, int code, std::string_view signalName);

// "0.4 seconds", "12 seconds", "3 minutes 5 seconds", "1 hour 2 minutes".
std::string DescribeDuration(long long milliseconds);

}  // namespace quillon
