#pragma once
// UTF-8 text to the UTF-16 the Windows API takes ("W" functions). Windows only.
#include <windows.h>

#include <string>

namespace iplug::windows {

// The UTF-16 form of `utf8`; empty when it is not valid UTF-8.
inline std::wstring Widen(const char* utf8) {
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, wide.data(), length);
  wide.resize(static_cast<size_t>(length - 1));
  return wide;
}

} // namespace iplug::windows
