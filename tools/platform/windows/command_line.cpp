#include <windows.h>
#include <shellapi.h>

#include "tools/command_line.h"

namespace tools {

std::vector<std::string> utf8Arguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string text(length > 0 ? static_cast<size_t>(length) : 1, '\0');
    if (length > 0) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text.data(), length, nullptr, nullptr);
    text.resize(text.size() - 1);
    arguments.push_back(text);
  }
  LocalFree(wide);
  return arguments;
}

} // namespace tools
