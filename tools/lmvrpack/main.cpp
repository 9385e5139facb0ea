// lmvrpack: the vendor's packing tool for the installer's payload.
#include <iostream>
#include <string>
#include <vector>

#include "tools/lmvrpack/command_line.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return lmvrpack::RunCommandLine(arguments, std::cout, std::cerr);
}
