#include "editor/value_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace varnock {

namespace {

// Room for any number the editor shows (and far more) in fixed notation.
constexpr int kDigitsCapacity = 96;

// `value` in fixed notation with `decimals` places, rounded from its exact
// binary value (as printf rounds), independent of the C locale; a printed
// zero loses its minus sign. False when it does not fit.
bool printFixed(char (&digits)[kDigitsCapacity], double value, int decimals) {
  const std::to_chars_result r =
      std::to_chars(digits, digits + kDigitsCapacity - 1, value, std::chars_format::fixed, decimals);
  if (r.ec != std::errc()) return false;
  *r.ptr = '\0';
  if (digits[0] == '-' && std::strspn(digits + 1, "0.") == std::strlen(digits + 1))
    std::memmove(digits, digits + 1, std::strlen(digits));
  return true;
}

} // namespace

double roundedForDisplay(double value, int decimals) {
  char digits[kDigitsCapacity];
  if (!std::isfinite(value) || !printFixed(digits, value, decimals)) return value;
  double shown = value;
  std::from_chars(digits, digits + std::strlen(digits), shown);
  return shown + 0.0;   // -0.0 + 0.0 is +0.0
}

char* formatNumber(char* out, std::size_t size, double value, int decimals, bool plusAboveZero,
                   const char* suffix, const char* prefix) {
  if (out == nullptr || size == 0) return out;
  char digits[kDigitsCapacity];
  if (!std::isfinite(value) || !printFixed(digits, value, decimals))
    std::snprintf(digits, sizeof digits, "%g", value);
  const bool plus = plusAboveZero && digits[0] != '-' && roundedForDisplay(value, decimals) > 0.0;
  std::snprintf(out, size, "%s%s%s%s", prefix != nullptr ? prefix : "", plus ? "+" : "", digits,
                suffix != nullptr ? suffix : "");
  return out;
}

char* formatFrequency(char* out, std::size_t size, double hz, int kiloDecimals) {
  if (roundedForDisplay(hz, 0) < 1000.0) return formatNumber(out, size, hz, 0, false, " Hz");
  return formatNumber(out, size, hz / 1000.0, kiloDecimals, false, " kHz");
}

} // namespace varnock
