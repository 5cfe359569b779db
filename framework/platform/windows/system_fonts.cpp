// Font lookup on Windows through GDI: a font of the family and style is
// created and selected into a memory DC; GDI's font mapper answers every
// request with some face, so the face name it chose (GetTextFaceW) must be
// the asked family, and the face's own style (its OS/2 weight and head
// macStyle bits) the asked style, not a substitute or a synthesised bold.
// GetFontData then hands out the font file's bytes. A face that lives in a
// collection (.ttc) comes as the whole collection file, with the index of
// the face whose table directory GDI reports for the selected font.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/platform/windows/wide_text.h"
#include "framework/graphics/system_fonts.h"

namespace iplug::igraphics {
namespace {

using iplug::windows::Widen;

// GetFontData's tag for a whole collection file: 'ttcf' read as a little-endian DWORD.
constexpr DWORD kCollectionTag = 0x66637474;
constexpr int kQueryHeight = -64;              // any size: the file is the same for all

using Bytes = std::vector<unsigned char>;

uint32_t ReadU32(const unsigned char* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}
uint16_t ReadU16(const unsigned char* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

// GetFontData for `table` (0: the font file) of the font selected in `dc`; empty when GDI has none.
Bytes FontData(HDC dc, DWORD table) {
  const DWORD size = GetFontData(dc, table, 0, nullptr, 0);
  if (size == GDI_ERROR || size == 0) return {};
  Bytes bytes(size);
  if (GetFontData(dc, table, 0, bytes.data(), size) != size) return {};
  return bytes;
}

// The face's table directory (offset table and table records) as GDI reports it.
Bytes TableDirectory(HDC dc) {
  unsigned char header[12];
  if (GetFontData(dc, 0, 0, header, sizeof header) != sizeof header) return {};
  Bytes directory(12 + 16 * std::size_t(ReadU16(header + 4)));
  if (GetFontData(dc, 0, 0, directory.data(), static_cast<DWORD>(directory.size())) != directory.size()) return {};
  return directory;
}

// The index of the face in collection `file` whose table directory is `directory`; -1 when none.
int FaceInCollection(const Bytes& file, const Bytes& directory) {
  if (file.size() < 12 || std::memcmp(file.data(), "ttcf", 4) != 0 || directory.empty()) return -1;
  const uint32_t faces = ReadU32(file.data() + 8);
  for (uint32_t i = 0; i < faces && 12 + 4 * std::size_t(i) + 4 <= file.size(); ++i) {
    const std::size_t offset = ReadU32(file.data() + 12 + 4 * std::size_t(i));
    if (offset + directory.size() <= file.size() &&
        std::memcmp(file.data() + offset, directory.data(), directory.size()) == 0)
      return static_cast<int>(i);
  }
  return -1;
}

// The style the face itself declares: bold from its OS/2 weight class (head
// macStyle without one), italic from head macStyle.
bool FaceHasStyle(HDC dc, ETextStyle style) {
  const Bytes head = FontData(dc, 0x64616568);   // 'head'
  if (head.size() < 46) return false;
  const uint16_t macStyle = ReadU16(head.data() + 44);
  bool bold = (macStyle & 1) != 0;
  const bool italic = (macStyle & 2) != 0;
  const Bytes os2 = FontData(dc, 0x322F534F);    // 'OS/2'
  if (os2.size() >= 6) bold = ReadU16(os2.data() + 4) >= FW_SEMIBOLD;
  switch (style) {
    case ETextStyle::Bold: return bold && !italic;
    case ETextStyle::Italic: return !bold && italic;
    case ETextStyle::Normal: break;
  }
  return !bold && !italic;
}

struct MemoryDC {
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = nullptr;
  HGDIOBJ previous = nullptr;
  ~MemoryDC() {
    if (previous) SelectObject(dc, previous);
    if (font) DeleteObject(font);
    if (dc) DeleteDC(dc);
  }
};

} // namespace

bool FindSystemFont(const char* family, ETextStyle style, SystemFont* font) {
  if (!family || !*family) return false;
  const std::wstring wanted = Widen(family);
  if (wanted.empty() || wanted.size() >= LF_FACESIZE) return false;
  LOGFONTW request{};
  request.lfHeight = kQueryHeight;
  request.lfWeight = style == ETextStyle::Bold ? FW_BOLD : FW_NORMAL;
  request.lfItalic = style == ETextStyle::Italic;
  request.lfCharSet = DEFAULT_CHARSET;
  request.lfOutPrecision = OUT_TT_ONLY_PRECIS;   // TrueType/OpenType outlines only
  wcsncpy(request.lfFaceName, wanted.c_str(), LF_FACESIZE - 1);

  MemoryDC memory;
  if (!memory.dc) return false;
  memory.font = CreateFontIndirectW(&request);
  if (!memory.font) return false;
  memory.previous = SelectObject(memory.dc, memory.font);
  wchar_t face[LF_FACESIZE] = {};
  if (GetTextFaceW(memory.dc, LF_FACESIZE, face) <= 0 || _wcsicmp(face, wanted.c_str()) != 0) return false;
  if (!FaceHasStyle(memory.dc, style)) return false;

  int faceIndex = 0;
  Bytes bytes = FontData(memory.dc, kCollectionTag);
  if (!bytes.empty()) {
    faceIndex = FaceInCollection(bytes, TableDirectory(memory.dc));
    if (faceIndex < 0) return false;
  } else {
    bytes = FontData(memory.dc, 0);
    if (bytes.empty()) return false;
  }
  font->bytes = std::make_shared<const Bytes>(std::move(bytes));
  font->file = "GDI:" + std::string(family) + (style == ETextStyle::Bold ? " Bold" : style == ETextStyle::Italic ? " Italic" : "");
  font->faceIndex = faceIndex;
  return true;
}

} // namespace iplug::igraphics
