#include "core/launch/PortLog.h"

#include <algorithm>

namespace quillon {

namespace {
std::string Count(long long n, std::string_view unit) {
  std::string out = std::to_string(n);
  out += ' ';
  out += unit;
  if (n != 1) out += 's';
  return out;
}
}  // namespace

std::string LogFileName(std::string_view stamp, std::string_view portName) {
  std::string name(stamp);
  name += ' ';
  for (const char c : portName) {
    const bool unsafe = c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == ':' ||
                        c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|';
    name += unsafe ? '_' : c;
  }
  if (portName.empty() || portName.front() == '.') name += "port";
  name += ".log";
  return name;
}

std::vector<std::string> LogsToRemove(std::vector<std::string> names, std::size_t keep) {
  std::erase_if(names, [](const std::string& name) { return !name.ends_with(".log"); });
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
  if (milliseconds < 10'000) {
    const long long tenths = (milliseconds + 50) / 100;
    std::string out = std::to_string(tenths / 10) + '.' + std::to_string(tenths % 10);
    return out + " seconds";
  }
  const long long seconds = milliseconds / 1000;
  if (seconds < 60) return Count(seconds, "second");
  if (seconds < 3600) {
    return Count(seconds / 60, "minute") + ' ' + Count(seconds % 60, "second");
  }
  return Count(seconds / 3600, "hour") + ' ' + Count(seconds / 60 % 60, "minute");
}

}  // namespace quillon
