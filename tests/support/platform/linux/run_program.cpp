#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/support/run_program.h"

namespace testsupport {
namespace {

std::string slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

} // namespace

ProgramResult runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                         const std::filesystem::path& workingDir) {
  const std::filesystem::path outPath = workingDir / ".stdout", errPath = workingDir / ".stderr";
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(workingDir.c_str()) != 0) _exit(127);
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ProgramResult result;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = slurp(outPath);
  result.err = slurp(errPath);
  std::filesystem::remove(outPath);
  std::filesystem::remove(errPath);
  return result;
}

std::filesystem::path makeTempDirectory(const std::string& prefix) {
  std::string pattern = (std::filesystem::temp_directory_path() / (prefix + ".XXXXXX")).string();
  return mkdtemp(pattern.data());
}

} // namespace testsupport
