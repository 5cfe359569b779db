#pragma once
// A cursor over SVG text for numbers, flags and separators. Numbers follow
// the SVG grammar (sign, digits, fraction, exponent; "1.5.5" is two numbers)
// and are read without the C library, whose decimal point follows the locale.
// Internal to the SVG parser.
#include <cmath>
#include <cstddef>

namespace iplug::igraphics {

class SvgScanner {
public:
  SvgScanner(const char* data, std::size_t size) : mP(data), mEnd(data + size) {}

  bool AtEnd() const { return mP >= mEnd; }
  char Peek() const { return AtEnd() ? '\0' : *mP; }
  char Next() { return AtEnd() ? '\0' : *mP++; }
  const char* Position() const { return mP; }

  static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  static bool IsCommand(char c) {
    switch (c | 0x20) {
      case 'm': case 'l': case 'h': case 'v': case 'c': case 's': case 'q': case 't': case 'a': case 'z':
        return true;
      default:
        return false;
    }
  }

  void SkipSpace() {
    while (!AtEnd() && IsSpace(*mP)) ++mP;
  }
  void SkipSpaceAndComma() {
    SkipSpace();
    if (!AtEnd() && *mP == ',') {
      ++mP;
      SkipSpace();
    }
  }
  // True when a number starts here.
  bool AtNumber() const {
    if (AtEnd()) return false;
    const char c = *mP;
    if (IsDigit(c)) return true;
    const char* q = mP;
    if (c == '+' || c == '-') ++q;
    if (q < mEnd && *q == '.') ++q;
    return q < mEnd && IsDigit(*q);
  }

  // Reads a number and the separator after it; false (nothing consumed) if none.
  bool Number(float& out) {
    SkipSpaceAndComma();
    if (!AtNumber()) return false;
    bool negative = false;
    if (*mP == '+' || *mP == '-') negative = *mP++ == '-';
    double value = 0.0;
    int fractionDigits = 0;
    while (!AtEnd() && IsDigit(*mP)) value = value * 10.0 + (*mP++ - '0');
    if (!AtEnd() && *mP == '.') {
      ++mP;
      while (!AtEnd() && IsDigit(*mP)) {
        value = value * 10.0 + (*mP++ - '0');
        ++fractionDigits;
      }
    }
    int exponent = 0;
    if (!AtEnd() && (*mP == 'e' || *mP == 'E')) {
      // An exponent needs digits; "2em" is the number 2 and a unit.
      const char* q = mP + 1;
      bool expNegative = false;
      if (q < mEnd && (*q == '+' || *q == '-')) expNegative = *q++ == '-';
      if (q < mEnd && IsDigit(*q)) {
        while (q < mEnd && IsDigit(*q)) {
          if (exponent < 1000) exponent = exponent * 10 + (*q - '0');
          ++q;
        }
        if (expNegative) exponent = -exponent;
        mP = q;
      }
    }
    value *= std::pow(10.0, exponent - fractionDigits);
    out = static_cast<float>(negative ? -value : value);
    if (!std::isfinite(out)) return false;
    SkipSpaceAndComma();
    return true;
  }

  // An arc flag: a single 0 or 1, with or without separators around it.
  bool Flag(bool& out) {
    SkipSpaceAndComma();
    if (AtEnd() || (*mP != '0' && *mP != '1')) return false;
    out = *mP++ == '1';
    SkipSpaceAndComma();
    return true;
  }

private:
  const char* mP;
  const char* mEnd;
};

} // namespace iplug::igraphics
