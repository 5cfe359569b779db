#include <windows.h>

#include <string>

#include "host/shared_library.h"

namespace vst3host {
namespace {

std::wstring widen(const std::string& utf8) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), length);
  wide.resize(static_cast<size_t>(length - 1));
  return wide;
}

std::string lastErrorText() {
  const DWORD code = GetLastError();
  char text[256] = {};
  if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                     sizeof text, nullptr) == 0)
    return "error " + std::to_string(code);
  std::string message(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
    message.pop_back();
  return message;
}

}  // namespace

const char* const kBundleArchitectureFolder = "x86_64-win";
const char* const kBundleLibrarySuffix = ".vst3";

std::unique_ptr<SharedLibrary> SharedLibrary::open(const std::string& path, std::string* error) {
  // No error dialog boxes for a library that cannot be loaded.
  const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE module = LoadLibraryW(widen(path).c_str());
  const std::string reason = module ? std::string() : lastErrorText();
  SetErrorMode(previousMode);
  if (!module) {
    if (error) *error = "cannot load " + path + ": " + reason;
    return nullptr;
  }
  return std::unique_ptr<SharedLibrary>(new SharedLibrary(module));
}

SharedLibrary::~SharedLibrary() { FreeLibrary(static_cast<HMODULE>(handle_)); }

void* SharedLibrary::symbol(const char* name) const {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

}  // namespace vst3host
