// Opening a web address with the default browser on Windows: ShellExecuteW
// with the "open" verb hands the address to the registered handler; nothing
// runs in a shell, so the address is one argument whatever it holds.
#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string>

#include "framework/platform/windows/wide_text.h"
#include "framework/graphics/graphics.h"

namespace iplug::igraphics {
namespace {

using iplug::windows::Widen;

// Only web and mail addresses are handed to the desktop.
bool IsWebAddress(const char* url) {
  return url && (_strnicmp(url, "http://", 7) == 0 || _strnicmp(url, "https://", 8) == 0 ||
                 _strnicmp(url, "mailto:", 7) == 0);
}

} // namespace

bool IGraphicsPlatform::OpenURL(const char* url) {
  if (!IsWebAddress(url)) return false;
  const std::wstring wide = Widen(url);
  if (wide.empty()) return false;
  // ShellExecuteW reports success with a value above 32.
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

} // namespace iplug::igraphics
