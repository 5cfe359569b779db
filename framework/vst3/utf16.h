#pragma once
// Text conversion between the framework's UTF-8 strings and the UTF-16
// strings of the VST3 interfaces (String128 and friends). Pure functions,
// any thread; invalid input bytes become U+FFFD, nothing throws.
#include <string>

#include "pluginterfaces/base/ftypes.h"

namespace iplug::vst3 {

// Writes `utf8` into `dest` (capacity `destSize` char16 units, including the
// terminating zero), truncated at a character boundary when it does not fit.
void CopyUtf8ToUtf16(const char* utf8, Steinberg::char16* dest, int destSize);

// The UTF-8 form of a zero-terminated UTF-16 string (at most maxUnits units).
std::string Utf16ToUtf8(const Steinberg::char16* utf16, int maxUnits = 1 << 16);

} // namespace iplug::vst3
