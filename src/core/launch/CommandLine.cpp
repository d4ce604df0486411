#include "core/launch/CommandLine.h"

namespace quillon {

namespace {
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// '~', '#' and '=' are left out: some shells treat them specially at the start of a word.
bool IsShellSafe(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("_-+/.,:@%").find(c) != std::string_view::npos;
}
}  // namespace

std::vector<std::string> SplitParameters(std::string_view text) {
  std::vector<std::string> arguments;
  std::string current;
  bool quoted = false;
  bool started = false;  // a quoted "" is an argument of its own, though empty
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      if (text.substr(i, 3) == "\"\"\"") {
        current += '"';
        started = true;
        i += 2;
      } else {
        quoted = !quoted;
        started = true;
      }
    } else if (!quoted && IsBlank(c)) {
      if (started) arguments.push_back(std::move(current));
      current.clear();
      started = false;
    } else {
      current += c;
      started = true;
    }
  }
  if (started) arguments.push_back(std::move(current));
  return arguments;
}

std::string QuoteForShell(std::string_view argument) {
  bool safe = !argument.empty();
  for (const char c : argument) safe = safe && IsShellSafe(c);
  if (safe) return std::string(argument);
  std::string out = "'";
  for (const char c : argument) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  out += '\'';
  return out;
}

std::string ShellCommandLine(std::string_view directory, std::string_view program,
                             const std::vector<std::string>& arguments) {
  std::string line;
  if (!directory.empty()) {
    line += "cd ";
    line += QuoteForShell(directory);
    line += " && ";
  }
  line += QuoteForShell(program);
  for (const std::string& argument : arguments) {
    line += ' ';
    line += QuoteForShell(argument);
  }
  return line;
}

void CommandLineParts::Switch(std::string_view shown) {
  text += shown;
  const auto first = shown.find_first_not_of(' ');
  if (first != std::string_view::npos) {
    arguments.emplace_back(shown.substr(first, shown.find_last_not_of(' ') - first + 1));
  }
}

void CommandLineParts::Path(std::string_view path) {
  text.append("\"").append(path).append("\"");
  arguments.emplace_back(path);
}

void CommandLineParts::Typed(std::string_view typed) {
  text += typed;
  for (std::string& part : SplitParameters(typed)) arguments.push_back(std::move(part));
}

}  // namespace quillon
