#pragma once
// Running a built program the way a user does, for the tests of command-line
// tools: in a given working directory, with its output captured. On Windows
// the arguments travel as a UTF-16 command line quoted the way the C runtime
// splits it, so any argument (spaces, quotes, non-ASCII) arrives unchanged.
#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

struct ProgramResult {
  int status = -1;  // exit status, or -1 when the program did not exit normally
  std::string out, err;
};

// Runs `program` with `args` (UTF-8) in `workingDir`; stdout and stderr go
// through files in that directory, which are removed again.
ProgramResult runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                         const std::filesystem::path& workingDir);

// A new, empty directory of its own under the system's temporary folder.
std::filesystem::path makeTempDirectory(const std::string& prefix);

} // namespace testsupport
