#include "host/text.h"

namespace vst3host {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes one character starting at text[pos] and advances pos past it.
char32_t decodeUtf8(std::string_view text, size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos++]);
  if (lead < 0x80) return lead;
  int extra = 0;
  char32_t c = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    c = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    c = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    c = lead & 0x07;
  } else {
    return kReplacement;
  }
  for (int i = 0; i < extra; ++i) {
    if (pos >= text.size()) return kReplacement;
    const auto next = static_cast<unsigned char>(text[pos]);
    if ((next & 0xC0) != 0x80) return kReplacement;
    c = (c << 6) | (next & 0x3F);
    ++pos;
  }
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return kReplacement;
  return c;
}

}  // namespace

std::string utf16ToUtf8(const Steinberg::char16* text, size_t maxUnits) {
  std::string out;
  if (!text) return out;
  for (size_t i = 0; i < maxUnits && text[i] != 0; ++i) {
    char32_t c = static_cast<char16_t>(text[i]);
    if (c >= 0xD800 && c <= 0xDBFF) {
      const bool paired = i + 1 < maxUnits && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
      if (paired) {
        c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
        ++i;
      } else {
        c = kReplacement;
      }
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      c = kReplacement;
    }
    appendUtf8(out, c);
  }
  return out;
}

std::u16string utf8ToUtf16(std::string_view text) {
  std::u16string out;
  size_t pos = 0;
  while (pos < text.size()) {
    const char32_t c = decodeUtf8(text, pos);
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

void utf8ToUtf16(std::string_view text, Steinberg::char16* out, size_t capacity) {
  if (capacity == 0) return;
  const std::u16string wide = utf8ToUtf16(text);
  size_t n = 0;
  while (n < wide.size() && n + 1 < capacity) {
    const bool highSurrogate = wide[n] >= 0xD800 && wide[n] <= 0xDBFF;
    if (highSurrogate && n + 2 >= capacity) break;  // keep the pair together
    out[n] = wide[n];
    ++n;
    if (highSurrogate) {
      out[n] = wide[n];
      ++n;
    }
  }
  out[n] = 0;
}

}  // namespace vst3host
