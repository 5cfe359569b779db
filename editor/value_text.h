#pragma once
// Numbers as the editor prints them. Every number text of the editor goes
// through these, so a value is rounded once, to the precision it is shown
// with, before anything is decided from it (which unit, which sign), and a
// number that prints as zero never carries a minus sign. Pure functions; any
// thread; no allocation.
#include <cstddef>

namespace varnock {

// The value a text of `decimals` places shows: `value` rounded as printf
// rounds it (from its exact binary value), a negative zero made positive.
double roundedForDisplay(double value, int decimals);

// Writes `prefix`, the number with `decimals` places and `suffix` into out
// (at most size - 1 characters) and returns out. The number is rounded as
// roundedForDisplay does and printed with a '.' whatever the C locale; with
// `plusAboveZero` a number above zero gets a '+'. "-0.0" never appears:
// -0.04 with one decimal prints "0.0".
char* formatNumber(char* out, std::size_t size, double value, int decimals, bool plusAboveZero = false,
                   const char* suffix = "", const char* prefix = "");

// A frequency: whole hertz below 1 kHz, else kilohertz with `kiloDecimals`
// places ("250 Hz", "1.0 kHz"). The unit is chosen from the rounded value,
// so 999.6 Hz reads "1.0 kHz", not "1000 Hz".
char* formatFrequency(char* out, std::size_t size, double hz, int kiloDecimals);

} // namespace varnock
