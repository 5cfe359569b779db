// Font lookup on Windows: the system's font folder (%WINDIR%\Fonts), where
// the registry's font list ("HKLM\SOFTWARE\Microsoft\Windows NT\
// CurrentVersion\Fonts") names each installed face, e.g. "Arial Bold
// (TrueType)" = "arialbd.ttf". A value whose name is the family plus the
// style's word ("", "Bold", "Italic") and "(TrueType)" or "(OpenType)"
// gives the file.
#include <windows.h>

#include <string>

#include "framework/graphics/system_fonts.h"

namespace iplug::igraphics {
namespace {

std::wstring Widen(const char* utf8) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), length);
  wide.resize(static_cast<size_t>(length - 1));
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string utf8(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, utf8.data(), length, nullptr, nullptr);
  utf8.resize(static_cast<size_t>(length - 1));
  return utf8;
}

std::wstring FontsFolder() {
  wchar_t windows[MAX_PATH];
  const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::wstring(windows) + L"\\Fonts\\";
}

// The registry's file name for `face` ("Arial Bold"), or empty.
std::wstring RegisteredFile(const std::wstring& face) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", 0, KEY_READ,
                    &key) != ERROR_SUCCESS)
    return {};
  std::wstring file;
  for (const wchar_t* kind : {L" (TrueType)", L" (OpenType)"}) {
    wchar_t value[MAX_PATH] = {};
    DWORD bytes = sizeof value - sizeof(wchar_t);
    DWORD type = 0;
    const std::wstring name = face + kind;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
      file = value;
      break;
    }
  }
  RegCloseKey(key);
  return file;
}

} // namespace

bool FindSystemFont(const char* family, ETextStyle style, std::string* file, int* faceIndex) {
  if (!family || !*family) return false;
  std::wstring face = Widen(family);
  if (style == ETextStyle::Bold) face += L" Bold";
  if (style == ETextStyle::Italic) face += L" Italic";
  std::wstring path = RegisteredFile(face);
  if (path.empty()) return false;
  if (path.find(L'\\') == std::wstring::npos) path = FontsFolder() + path;   // a bare name lives in the font folder
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  *file = Narrow(path);
  *faceIndex = 0;
  return !file->empty();
}

} // namespace iplug::igraphics
