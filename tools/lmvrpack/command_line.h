// lmvrpack's command line: the arguments of each command (build, pack, list, verify,
// check, template, winget) read, checked and handed to it (commands.h), and the help.
#pragma once
#include <ostream>
#include <string>
#include <vector>

namespace lmvrpack {

// Runs one command line (without the program name). The exit status: 0 when all is
// well, 1 when the product or the stub is refused or the payload has problems, 2 for
// a usage error.
int RunCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace lmvrpack
