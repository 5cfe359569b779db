#include "tools/command_line.h"

namespace tools {

std::vector<std::string> utf8Arguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

} // namespace tools
