#include "framework/param.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace iplug {

namespace {

// Smallest minimum an exponential shape accepts: ln(0) has no value.
constexpr double kMinExpValue = 1e-8;
constexpr int kMaxDisplayPrecision = 6;

std::string truncatedName(const char* text) {
  std::string s = text ? text : "";
  if (s.size() > static_cast<size_t>(IParam::kMaxNameLength)) s.resize(IParam::kMaxNameLength);
  return s;
}

// Decimals the step needs: how often it must be multiplied by 10 to become a
// whole number (0.1 -> 1, 0.01 -> 2), at most kMaxDisplayPrecision.
// A step of 0 or below (or not a number) needs none.
int displayPrecision(double step) {
  if (!(step > 0.0)) return 0;
  double scaled = step;
  int precision = 0;
  // Whole within rounding: 0.01 * 10 * 10 may land a hair off 1.
  auto isWhole = [](double x) { return x >= 0.5 && std::fabs(x - std::round(x)) <= 1e-9 * x; };
  while (precision < kMaxDisplayPrecision && !isWhole(scaled)) {
    scaled *= 10.0;
    ++precision;
  }
  return precision;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The longest leading decimal number of `text` (after leading blanks):
// [+|-] digits [. digits] [e|E [+|-] digits], or [+|-] . digits [...].
// Hexadecimal, "nan" and "inf" are not numbers. Independent of the C locale.
// Returns false when the text does not start with a number.
bool parseLeadingDecimal(const char* text, double& value) {
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  const char* mantissa = p;
  int digits = 0;
  while (isDigit(*p)) { ++p; ++digits; }
  if (*p == '.') {
    const char* afterPoint = p + 1;
    int fractionDigits = 0;
    while (isDigit(afterPoint[fractionDigits])) ++fractionDigits;
    if (digits + fractionDigits > 0) {
      p = afterPoint + fractionDigits;
      digits += fractionDigits;
    }
  }
  if (digits == 0) return false;
  bool negativeExponent = false;
  if (*p == 'e' || *p == 'E') {
    const char* q = p + 1;
    if (*q == '+' || *q == '-') {
      negativeExponent = *q == '-';
      ++q;
    }
    if (isDigit(*q)) {
      while (isDigit(*q)) ++q;
      p = q;
    }
  }
  double magnitude = 0.0;
  const std::from_chars_result r = std::from_chars(mantissa, p, magnitude, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range)
    magnitude = negativeExponent ? 0.0 : HUGE_VAL;   // constraining clamps it to the range
  else if (r.ec != std::errc())
    return false;
  value = negative ? -magnitude : magnitude;
  return true;
}

// Drops the minus sign of a printed number whose digits are all zero
// ("-0", "-0.0"): a value that is, or rounds to, zero shows no sign.
void dropMinusOfZero(char* text) {
  if (text[0] != '-') return;
  for (const char* p = text + 1; *p; ++p)
    if (*p != '0' && *p != '.') return;
  std::memmove(text, text + 1, std::strlen(text));
}

} // namespace

void IParam::InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                        const char* label, int flags, const char* group, EShape shape) {
  mType = kTypeDouble;
  mShape = shape;
  mName = truncatedName(name);
  mLabel = truncatedName(label);
  mGroup = group ? group : "";
  mMin = minVal;
  mMax = maxVal;
  mStep = step;
  mDefault = defaultVal;
  mFlags = flags;
  mDisplayTexts.clear();
  if (shape == kShapeExp) {
    const double lo = minVal > 0.0 ? minVal : kMinExpValue;
    mExpOffset = std::log(lo);
    mExpScale = std::log(maxVal / lo);
  }
  mDisplayPrecision = displayPrecision(step);
  mValue.store(Constrain(defaultVal), std::memory_order_relaxed);
}

void IParam::InitEnum(const char* name, int defaultVal, const std::vector<const char*>& texts, int flags,
                      const char* group) {
  InitDouble(name, defaultVal, 0.0, texts.empty() ? 0.0 : static_cast<double>(texts.size() - 1), 1.0, "",
             flags, group, kShapeLinear);
  mType = kTypeEnum;
  for (const char* t : texts) mDisplayTexts.emplace_back(t ? t : "");
  mValue.store(Constrain(defaultVal), std::memory_order_relaxed);
}

void IParam::Set(double v) {
  if (std::isnan(v)) return;
  mValue.store(Constrain(v), std::memory_order_relaxed);
}

double IParam::Constrain(double v) const {
  if (mType == kTypeEnum) v = std::round(v);   // halves away from zero
  if (v < mMin) v = mMin;
  if (v > mMax) v = mMax;
  return v;
}

double IParam::ToNormalized(double plain) const {
  double n = UnclampedNormalized(plain);
  if (n < 0.0) n = 0.0;
  if (n > 1.0) n = 1.0;
  return n;
}

double IParam::UnclampedNormalized(double plain) const {
  if (mShape == kShapeExp) return plain > 0.0 && mExpScale != 0.0 ? (std::log(plain) - mExpOffset) / mExpScale : 0.0;
  const double range = mMax - mMin;
  return range != 0.0 ? (plain - mMin) / range : 0.0;
}

double IParam::FromNormalized(double normalized) const {
  const double plain = mShape == kShapeExp ? std::exp(mExpOffset + normalized * mExpScale)
                                           : mMin + normalized * (mMax - mMin);
  if (!std::isfinite(plain) || plain == 0.0) return plain;
  // The mapping back is not exact: ToNormalized(1000) on 20..20000 gives an n
  // whose plain value computes as 999.9999999999998. Many neighbouring
  // doubles share that n, so among them the one with the fewest significant
  // decimal digits is taken: a value written in decimal (a default, a preset
  // entry, a whole-hertz drag) comes back exactly, and any other value moves
  // by a few units in the last place at most, never to a step.
  static constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8,
                                      1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16};
  constexpr int kMaxDigits = 15;
  const int leading = static_cast<int>(std::floor(std::log10(std::fabs(plain))));   // exponent of the first digit
  for (int digits = 1; digits <= kMaxDigits; ++digits) {
    // Rounds to `digits` significant digits; a power of ten in the divisor keeps
    // the result the correctly rounded double of the decimal.
    const int decimals = digits - 1 - leading;
    if (decimals > 16 || decimals < -16) break;
    const double candidate = decimals >= 0 ? std::round(plain * kPow10[decimals]) / kPow10[decimals]
                                           : std::round(plain / kPow10[-decimals]) * kPow10[-decimals];
    if (UnclampedNormalized(candidate) == normalized) return candidate;
  }
  return plain;
}

void IParam::GetDisplay(double plain, char* out, int outSize) const {
  if (!out || outSize <= 0) return;
  // A NaN would be ignored by Set(), so it shows the value that stays.
  const double v = Constrain(std::isnan(plain) ? Value() : plain);
  if (mType == kTypeEnum) {
    const char* text = GetDisplayText(static_cast<int>(v));
    std::snprintf(out, static_cast<size_t>(outSize), "%s", text ? text : "");
    return;
  }
  if (mDisplayPrecision == 0)
    std::snprintf(out, static_cast<size_t>(outSize), "%.0f", std::round(v));
  else
    std::snprintf(out, static_cast<size_t>(outSize), "%.*f", mDisplayPrecision, v);
  dropMinusOfZero(out);
}

double IParam::StringToValue(const char* text) const {
  if (!text) text = "";
  for (int i = 0; i < NDisplayTexts(); ++i)
    if (mDisplayTexts[static_cast<size_t>(i)] == text) return Constrain(i);
  double value = 0.0;
  if (mType == kTypeDouble && parseLeadingDecimal(text, value)) return Constrain(value);
  return Constrain(0.0);
}

const char* IParam::GetDisplayText(int value) const {
  if (value < 0 || value >= NDisplayTexts()) return nullptr;
  return mDisplayTexts[static_cast<size_t>(value)].c_str();
}

} // namespace iplug
