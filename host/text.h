#pragma once
// Text conversions at the VST3 boundary: the SDK's String128 and other
// char16 strings are UTF-16; the host library speaks UTF-8 std::string.
#include <string>
#include <string_view>

#include "pluginterfaces/base/ftypes.h"

namespace vst3host {

// Converts at most `maxUnits` UTF-16 code units, stopping at the first 0.
// Unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(const Steinberg::char16* text, size_t maxUnits);

// Writes `text` into `out` (room for `capacity` units including the final 0),
// cutting it short at a whole character when it does not fit. Invalid UTF-8
// bytes become U+FFFD.
void utf8ToUtf16(std::string_view text, Steinberg::char16* out, size_t capacity);

std::u16string utf8ToUtf16(std::string_view text);

}  // namespace vst3host
