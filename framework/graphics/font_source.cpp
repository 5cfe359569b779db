#include "framework/graphics/font_source.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "framework/graphics/embedded_fonts.h"
#include "framework/graphics/system_fonts.h"

namespace iplug::igraphics {
namespace {

uint32_t ReadU32(const unsigned char* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}
uint16_t ReadU16(const unsigned char* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
int16_t ReadS16(const unsigned char* p) { return static_cast<int16_t>(ReadU16(p)); }

// Offset of table `tag` in the font directory at `dirOffset`; 0 when absent
// or out of bounds (`need` bytes must fit).
std::size_t FindTable(const unsigned char* data, std::size_t size, std::size_t dirOffset, const char* tag,
                      std::size_t need) {
  if (dirOffset + 12 > size) return 0;
  const unsigned numTables = ReadU16(data + dirOffset + 4);
  for (unsigned i = 0; i < numTables; ++i) {
    const std::size_t record = dirOffset + 12 + 16 * std::size_t(i);
    if (record + 16 > size) return 0;
    if (std::memcmp(data + record, tag, 4) == 0) {
      const std::size_t offset = ReadU32(data + record + 8);
      return offset + need <= size && offset > 0 ? offset : 0;
    }
  }
  return 0;
}

std::shared_ptr<const std::vector<unsigned char>> ReadFile(const std::string& path) {
  std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
  if (!in) return nullptr;
  auto bytes = std::make_shared<std::vector<unsigned char>>(std::istreambuf_iterator<char>(in),
                                                            std::istreambuf_iterator<char>());
  return in.bad() || bytes->empty() ? nullptr : bytes;
}

} // namespace

float ReadLineHeightPerEm(const unsigned char* data, std::size_t size, int faceIndex) {
  if (!data || size < 12 || faceIndex < 0) return 0.f;
  std::size_t dir = 0;
  if (std::memcmp(data, "ttcf", 4) == 0) {
    const uint32_t numFonts = ReadU32(data + 8);
    const std::size_t entry = 12 + 4 * std::size_t(faceIndex);
    if (uint32_t(faceIndex) >= numFonts || entry + 4 > size) return 0.f;
    dir = ReadU32(data + entry);
  } else if (faceIndex != 0) {
    return 0.f;
  }
  const std::size_t head = FindTable(data, size, dir, "head", 54);
  const std::size_t hhea = FindTable(data, size, dir, "hhea", 36);
  if (!head || !hhea) return 0.f;
  const int unitsPerEm = ReadU16(data + head + 18);
  const int ascender = ReadS16(data + hhea + 4);
  const int descender = ReadS16(data + hhea + 6);
  if (unitsPerEm <= 0 || ascender - descender <= 0) return 0.f;
  return static_cast<float>(ascender - descender) / static_cast<float>(unitsPerEm);
}

FontData EmbeddedFontData(bool bold) {
  const EmbeddedFont font = EmbeddedSans(bold);
  FontData out;
  out.data = font.data;
  out.size = font.size;
  out.lineHeightPerEm = ReadLineHeightPerEm(font.data, font.size, 0);
  return out;
}

FontData ResolveFont(const char* family, ETextStyle style) {
  SystemFont found;
  if (family && *family && FindSystemFont(family, style, &found)) {
    if (auto bytes = found.bytes ? found.bytes : ReadFile(found.file)) {
      const float lineHeightPerEm = ReadLineHeightPerEm(bytes->data(), bytes->size(), found.faceIndex);
      if (lineHeightPerEm > 0.f && !found.file.empty()) {
        FontData out;
        out.fileBytes = bytes;
        out.data = bytes->data();
        out.size = bytes->size();
        out.faceIndex = found.faceIndex;
        out.file = found.file;
        out.lineHeightPerEm = lineHeightPerEm;
        return out;
      }
    }
  }
  return EmbeddedFontData(style == ETextStyle::Bold);
}

} // namespace iplug::igraphics
