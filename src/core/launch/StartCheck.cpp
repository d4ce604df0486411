#include "core/launch/StartCheck.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "core/files/PathHelpers.h"
#include "core/launch/CommandLine.h"
#include "core/wad/MapNames.h"

namespace quillon {

namespace {

std::optional<int> Number(const std::string& word) {
  if (word.empty() || word.size() > 2 || !std::all_of(word.begin(), word.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c));
      })) {
    return std::nullopt;
  }
  return std::stoi(word);
}

}  // namespace

std::optional<std::string> WarpMapName(std::string_view typed, bool episodes) {
  const std::vector<std::string> words = SplitParameters(typed);
  if (words.size() == 1 && wad::ParseMapName(words[0])) return AsciiUpper(words[0]);
  char name[16];
  if (words.size() == 1 && !episodes) {
    const auto map = Number(words[0]);
    if (!map || *map == 0) return std::nullopt;
    std::snprintf(name, sizeof name, "MAP%02d", *map);
    return std::string(name);
  }
  if (words.size() == 2 && episodes) {
    const auto episode = Number(words[0]);
    const auto map = Number(words[1]);
    if (!episode || !map || *episode < 1 || *episode > 9 || *map < 1 || *map > 9) {
      return std::nullopt;
    }
    std::snprintf(name, sizeof name, "E%dM%d", *episode, *map);
    return std::string(name);
  }
  return std::nullopt;
}

std::vector<std::string> StartProblems(const StartFacts& facts) {
  std::vector<std::string> problems;
  for (const StartFacts::File& file : facts.files) {
    if (!file.description.broken) continue;
    const std::string& what = file.description.text;
    if (what == "file not found") {
      problems.push_back(file.path + " is not there any more.");
    } else if (what == "file cannot be read") {
      problems.push_back(file.path + " cannot be read.");
    } else {
      problems.push_back(file.path + " is not a WAD file.");
    }
  }
  if (facts.iwadEntry && !facts.iwadFound) {
    problems.push_back("The IWAD " + *facts.iwadEntry +
                       " is neither in the port's folder nor in any folder the ports search.");
  }
  if (facts.warpMap && facts.maps &&
      std::find(facts.maps->begin(), facts.maps->end(), *facts.warpMap) == facts.maps->end()) {
    problems.push_back("No loaded file holds the map " + *facts.warpMap + " that warp goes to.");
  }
  return problems;
}

std::string StartProblemsQuestion(std::string_view portName,
                                  const std::vector<std::string>& problems) {
  std::string text = "Before starting ";
  text.append(portName).append(problems.size() == 1 ? ", this looks wrong:"
                                                    : ", these look wrong:");
  text += "\r\n";
  for (const std::string& problem : problems) text.append("\r\n- ").append(problem);
  text += "\r\n\r\nTest Anyway starts the port as it is; Cancel starts nothing.";
  return text;
}

}  // namespace quillon
