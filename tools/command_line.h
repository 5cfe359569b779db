#pragma once
// A program's command-line arguments as UTF-8 text: on Linux argv as given,
// on Windows the wide command line converted (argv there is in the ANSI code
// page, which cannot hold every file name).
#include <string>
#include <vector>

namespace tools {

std::vector<std::string> utf8Arguments(int argc, char** argv);

} // namespace tools
