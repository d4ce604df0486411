#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace quillon::check {

// quillon-check's whole run: reads the arguments (without the program's name), analyses
// each file, writes the table or the JSON to `out` and faults to `err`. Returns the exit
// status: 0 every file was checked, 1 a --require'd port fails on some file, 2 the command
// line is wrong or a file cannot be opened.
int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace quillon::check
