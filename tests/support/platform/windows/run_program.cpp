#include <windows.h>

#include <atomic>
#include <fstream>
#include <sstream>

#include "tests/support/run_program.h"

namespace testsupport {
namespace {

std::wstring widen(const std::string& utf8) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  std::wstring wide(length > 0 ? static_cast<size_t>(length) : 1, L'\0');
  if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), length);
  wide.resize(wide.size() - 1);
  return wide;
}

// One argument quoted so that the C runtime's splitting gives it back:
// backslashes double only before a quote or the closing quote.
void appendQuoted(std::wstring& line, const std::wstring& argument) {
  line += L'"';
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(2 * backslashes, L'\\');
  line += L'"';
}

HANDLE createOutput(const std::filesystem::path& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

// A console program's text output, with the C runtime's CRLF line ends back to LF.
std::string slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream stream;
  stream << in.rdbuf();
  std::string text = stream.str(), lines;
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lines += text[i];
  return lines;
}

} // namespace

ProgramResult runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                         const std::filesystem::path& workingDir) {
  const std::filesystem::path outPath = workingDir / ".stdout", errPath = workingDir / ".stderr";
  std::wstring line;
  appendQuoted(line, program.wstring());
  for (const std::string& argument : args) {
    line += L' ';
    appendQuoted(line, widen(argument));
  }
  HANDLE out = createOutput(outPath), err = createOutput(errPath);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = INVALID_HANDLE_VALUE;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  ProgramResult result;
  // Under a loaded Wine a process start can fail for a moment; a few tries
  // tell that apart from a program that cannot start at all.
  bool started = false;
  DWORD startError = 0;
  for (int attempt = 0; attempt < 3 && !started; ++attempt) {
    if (attempt > 0) Sleep(200);
    started = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, workingDir.c_str(),
                             &startup, &process) != 0;
    if (!started) startError = GetLastError();
  }
  if (started) {
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    if (GetExitCodeProcess(process.hProcess, &code)) result.status = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(out);
  CloseHandle(err);
  result.out = slurp(outPath);
  result.err = started ? slurp(errPath) : "cannot start " + program.string() + ": error " + std::to_string(startError);
  std::filesystem::remove(outPath);
  std::filesystem::remove(errPath);
  return result;
}

std::filesystem::path makeTempDirectory(const std::string& prefix) {
  static std::atomic<unsigned> counter{0};
  for (;;) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
        (prefix + "." + std::to_string(GetCurrentProcessId()) + "." + std::to_string(counter++));
    if (CreateDirectoryW(dir.c_str(), nullptr)) return dir;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
  }
}

} // namespace testsupport
