#include "framework/vst3/utf16.h"

#include <cstdint>

namespace iplug::vst3 {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one UTF-8 sequence starting at p; advances p past it.
char32_t decodeUtf8(const unsigned char*& p) {
  const unsigned char lead = *p++;
  if (lead < 0x80) return lead;
  int extra;
  char32_t cp;
  if ((lead & 0xE0) == 0xC0) { extra = 1; cp = lead & 0x1F; }
  else if ((lead & 0xF0) == 0xE0) { extra = 2; cp = lead & 0x0F; }
  else if ((lead & 0xF8) == 0xF0) { extra = 3; cp = lead & 0x07; }
  else return kReplacement;
  for (int i = 0; i < extra; ++i) {
    if ((*p & 0xC0) != 0x80) return kReplacement;   // truncated sequence: stop before the next lead byte
    cp = (cp << 6) | (*p++ & 0x3F);
  }
  static constexpr char32_t kMinForLength[4] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMinForLength[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
  return cp;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

} // namespace

void CopyUtf8ToUtf16(const char* utf8, Steinberg::char16* dest, int destSize) {
  if (!dest || destSize <= 0) return;
  int n = 0;
  if (utf8) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8);
    while (*p) {
      const char32_t cp = decodeUtf8(p);
      const int units = cp >= 0x10000 ? 2 : 1;
      if (n + units > destSize - 1) break;
      if (units == 2) {
        const char32_t v = cp - 0x10000;
        dest[n++] = static_cast<Steinberg::char16>(0xD800 + (v >> 10));
        dest[n++] = static_cast<Steinberg::char16>(0xDC00 + (v & 0x3FF));
      } else {
        dest[n++] = static_cast<Steinberg::char16>(cp);
      }
    }
  }
  dest[n] = 0;
}

std::string Utf16ToUtf8(const Steinberg::char16* utf16, int maxUnits) {
  std::string out;
  if (!utf16) return out;
  for (int i = 0; i < maxUnits && utf16[i]; ++i) {
    char32_t cp = static_cast<char16_t>(utf16[i]);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < maxUnits) {
      const char32_t low = static_cast<char16_t>(utf16[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      } else {
        cp = kReplacement;
      }
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    appendUtf8(out, cp);
  }
  return out;
}

} // namespace iplug::vst3
