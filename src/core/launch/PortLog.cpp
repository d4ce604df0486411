#include "core/launch/PortLog.h"

#include <algorithm>
#include <utility>

namespace quillon {

namespace {

constexpr std::string_view kLogEnding = ".log";
constexpr std::string_view kEllipsis = "\xE2\x80\xA6";

bool IsContinuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// How many of text's first `limit` bytes to keep so that no UTF-8 character is split.
std::size_t WholeCharsWithin(std::string_view text, std::size_t limit) {
  if (limit >= text.size()) return text.size();
  while (limit > 0 && IsContinuation(text[limit])) --limit;
  return limit;
}

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "yyyyMMdd-HHmmss-zzz", optionally followed by "-<n>" for a second log in the same
// millisecond.
bool IsStamp(std::string_view text) {
  if (text.size() < 19 || text[8] != '-' || text[15] != '-') return false;
  if (!AllDigits(text.substr(0, 8)) || !AllDigits(text.substr(9, 6)) ||
      !AllDigits(text.substr(16, 3))) {
    return false;
  }
  const std::string_view rest = text.substr(19);
  return rest.empty() || (rest.size() >= 2 && rest[0] == '-' && AllDigits(rest.substr(1)));
}

// A log we made: "<stamp> <name>.log" with a name of at least one character.
bool IsOwnLogName(std::string_view name) {
  if (!name.ends_with(kLogEnding)) return false;
  name.remove_suffix(kLogEnding.size());
  const auto blank = name.find(' ');
  return blank != std::string_view::npos && blank + 1 < name.size() &&
         IsStamp(name.substr(0, blank));
}

// Appended piece by piece: GCC 12 sees a false overlap in "[" + std::string at -O2.
std::string BytesCut(unsigned long long n) {
  std::string text = "[";
  text += std::to_string(n);
  text += n == 1 ? " byte cut]" : " bytes cut]";
  return text;
}

// What engines print when they give up, lower case: their I_Error messages ("W_GetNumForName:
// MAP33 not found!", "W_AddFile: couldn't open …"), PrBoom+'s and dsda-doom's signal handler,
// dsda-doom's crash report, and what the C library says of a fatal signal.
constexpr std::string_view kCausePatterns[] = {"i_error",
                                               "not found",
                                               "couldn't open",
                                               "could not open",
                                               "error:",
                                               "segmentation fault",
                                               "signal 11",
                                               "aborted",
                                               "exiting on signal",
                                               "the game has crashed"};

bool IsWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// A pattern counts as a whole word: "signal 11" is not in "signal 110".
bool LooksLikeCause(std::string_view line) {
  std::string lower(line);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  for (const std::string_view pattern : kCausePatterns) {
    for (auto at = lower.find(pattern); at != std::string::npos; at = lower.find(pattern, at + 1)) {
      const std::size_t end = at + pattern.size();
      const bool startsWord = at == 0 || !IsWordChar(lower[at - 1]) || !IsWordChar(pattern[0]);
      const bool endsWord =
          end == lower.size() || !IsWordChar(lower[end]) || !IsWordChar(pattern.back());
      if (startsWord && endsWord) return true;
    }
  }
  return false;
}

void Shorten(std::string& line) {
  if (line.size() <= kNoticeLineBytes) return;
  const std::size_t keep = WholeCharsWithin(line, kNoticeLineBytes);
  const std::size_t cut = line.size() - keep;
  line.resize(keep);
  line += kEllipsis;
  line += ' ';
  line += BytesCut(cut);
}

std::string Count(long long n, std::string_view unit) {
  std::string out = std::to_string(n);
  out += ' ';
  out += unit;
  if (n != 1) out += 's';
  return out;
}
}  // namespace

std::string LogFileName(std::string_view stamp, std::string_view portName, std::size_t maxBytes) {
  std::string safe;
  for (const char c : portName) {
    const bool unsafe = c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == ':' ||
                        c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|';
    safe += unsafe ? '_' : c;
  }
  if (portName.empty() || portName.front() == '.') safe += "port";
  // At least one character of the name stays, so the rotation still knows the log.
  const std::size_t fixed = stamp.size() + 1 + kLogEnding.size();
  const std::size_t room = maxBytes > fixed ? maxBytes - fixed : 0;
  std::size_t keep = WholeCharsWithin(safe, room);
  if (keep == 0) {
    keep = 1;
    while (keep < safe.size() && IsContinuation(safe[keep])) ++keep;
  }
  std::string name(stamp);
  name += ' ';
  name.append(safe, 0, keep);
  name += kLogEnding;
  return name;
}

std::vector<std::string> LogsToRemove(std::vector<std::string> names, std::size_t keep) {
  // The folder may hold the user's own files, logs among them: only names we give count.
  std::erase_if(names, [](const std::string& name) { return !IsOwnLogName(name); });
  if (names.size() <= keep) return {};
  std::sort(names.begin(), names.end());
  names.resize(names.size() - keep);
  return names;
}

std::vector<std::string> LastLines(std::string_view text, std::size_t count) {
  std::vector<std::string> lines;
  if (text.ends_with('\n')) text.remove_suffix(1);
  while (lines.size() < count && !text.empty()) {
    const auto end = text.rfind('\n');
    std::string_view line = end == std::string_view::npos ? text : text.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    text = text.substr(0, end);
    if (text.empty()) lines.emplace_back();  // the text began with an empty line
  }
  if (lines.size() > count) lines.resize(count);
  std::reverse(lines.begin(), lines.end());
  return lines;
}

std::vector<std::string> NoticeLines(std::string_view tail, unsigned long long bytesBefore) {
  if (bytesBefore > 0) {
    const auto lineEnd = tail.find('\n');
    if (lineEnd == std::string_view::npos || lineEnd + 1 == tail.size()) {
      // One line longer than the tail: only its end is known, and that is where a port
      // says why it stopped.
      std::string_view line = tail.substr(0, lineEnd);
      if (line.ends_with('\r')) line.remove_suffix(1);
      std::size_t from = line.size() > kNoticeLineBytes ? line.size() - kNoticeLineBytes : 0;
      while (from < line.size() && IsContinuation(line[from])) ++from;
      return {BytesCut(bytesBefore + from) + ' ' + std::string(kEllipsis) +
              std::string(line.substr(from))};
    }
    tail.remove_prefix(lineEnd + 1);  // the rest of a line whose start we did not read
  }
  // The cause may lie well before the last lines, under a driver's noise: the whole tail
  // is searched, and the last matches kept, as a port's fatal error comes near its end.
  std::vector<std::string> out;
  for (std::string_view rest = tail; !rest.empty();) {
    const auto end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (!LooksLikeCause(line)) continue;
    if (out.size() == kNoticeCauses) out.erase(out.begin());
    out.emplace_back(line);
  }
  for (std::string& line : out) {
    Shorten(line);
    line.insert(0, kCauseMark);
  }
  if (!out.empty()) out.emplace_back();
  for (std::string& line : LastLines(tail, kNoticeLines)) {
    Shorten(line);
    out.push_back(std::move(line));
  }
  return out;
}

std::string DescribeEnd(bool bySignal, int code, std::string_view signalName) {
  if (!bySignal) return "It ended with exit status " + std::to_string(code) + ".";
  std::string out = "It was ended by signal " + std::to_string(code);
  if (!signalName.empty()) {
    out += " (";
    out += signalName;
    out += ')';
  }
  out += '.';
  return out;
}

std::string DescribeDuration(long long milliseconds) {
  if (milliseconds < 0) milliseconds = 0;
  // Rounded once, to the unit shown, and the form chosen by the rounded value: 9.96 s
  // reads "10 seconds", never "10.0 seconds"; 59.6 s reads "1 minute 0 seconds".
  const long long tenths = (milliseconds + 50) / 100;
  if (tenths < 100) {
    return std::to_string(tenths / 10) + '.' + std::to_string(tenths % 10) + " seconds";
  }
  const long long seconds = (milliseconds + 500) / 1000;
  if (seconds < 60) return Count(seconds, "second");
  if (seconds < 3600) {
    return Count(seconds / 60, "minute") + ' ' + Count(seconds % 60, "second");
  }
  const long long minutes = (milliseconds + 30'000) / 60'000;
  return Count(minutes / 60, "hour") + ' ' + Count(minutes % 60, "minute");
}

}  // namespace quillon
