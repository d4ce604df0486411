#include <iostream>

#include "check/QuillonCheck.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return quillon::check::RunCheck(args, std::cout, std::cerr);
}
