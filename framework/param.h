#pragma once
// IParam: one automatable value of a plug-in. Hosts see a normalised value
// 0..1; everything else in the plug-in uses the plain value in its units.
//
// Two kinds: continuous (a double in [min, max]; the step sets only the display
// precision, the value is not quantised) and list (a whole number 0..n-1 shown
// by one text per value). Two shapes map plain to normalised values: linear,
// and exponential v = min * (max / min)^n.
//
// Threads: Init*() runs once in the plug-in's constructor; afterwards the
// definition is immutable and any thread may read it. The value is one double
// stored and loaded atomically, written by the audio thread (automation) and
// the UI thread (editor, presets, state restore, controller-side sets).
#include <atomic>
#include <string>
#include <vector>

namespace iplug {

class IParam {
public:
  enum EParamType { kTypeDouble, kTypeEnum };
  enum EShape { kShapeLinear, kShapeExp };
  enum EFlags { kFlagsNone = 0, kFlagCannotAutomate = 0x1 };
  static constexpr int kMaxNameLength = 31;    // name and unit label, characters

  IParam() = default;
  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  // Continuous parameter. `label` is the unit ("dB", "ms", "" ...).
  void InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                  const char* label = "", int flags = kFlagsNone, const char* group = "",
                  EShape shape = kShapeLinear);
  // List parameter of texts.size() values 0..n-1; its unit label is empty.
  void InitEnum(const char* name, int defaultVal, const std::vector<const char*>& texts,
                int flags = kFlagsNone, const char* group = "");

  // ---- Value (any thread) ----
  double Value() const { return mValue.load(std::memory_order_relaxed); }
  // Stores Constrain(v). A NaN leaves the value unchanged; +/-Inf clamp to the ends.
  void Set(double v);
  void SetNormalized(double n) { Set(FromNormalized(n)); }
  double GetNormalized() const { return ToNormalized(Value()); }
  void SetToDefault() { Set(mDefault); }

  // ---- Conversions (pure) ----
  // List values round to the nearest whole number (halves away from zero),
  // then every value is clamped to [min, max]. NaN stays NaN.
  double Constrain(double v) const;
  // Plain to normalised, clamped to [0, 1]. 1000 Hz on exp 20..20000 gives 0.566323.
  double ToNormalized(double plain) const;
  // Normalised to plain (not constrained). 0.5 on exp 20..20000 gives 632.456 Hz.
  // Round trip: FromNormalized(ToNormalized(v)) gives back exactly a v in
  // range written with few decimals (a default, a preset entry, a whole-hertz
  // frequency; up to about 11 significant digits), where the formula alone
  // misses by a few units in the last place (1000 Hz came back as
  // 999.9999999999998). Other values come back as the formula gives them,
  // give or take a few units in the last place.
  double FromNormalized(double normalized) const;

  // Display text of `plain` (or of the current value): a list parameter's text,
  // else the number with the display precision ("%d" of the rounded value for
  // precision 0, "%.*f" otherwise; a zero never shows a minus sign).
  void GetDisplay(double plain, char* out, int outSize) const;
  void GetDisplay(char* out, int outSize) const { GetDisplay(Value(), out, outSize); }
  // Text typed by a user to a constrained plain value: a matching list text
  // gives its value; a continuous parameter takes the longest leading decimal
  // number (0 when there is none; "nan" and "inf" are not numbers); an
  // unmatched list text gives 0.
  double StringToValue(const char* text) const;

  // ---- Definition (immutable after Init) ----
  EParamType Type() const { return mType; }
  EShape Shape() const { return mShape; }
  const char* GetName() const { return mName.c_str(); }
  const char* GetLabel() const { return mLabel.c_str(); }
  const char* GetGroup() const { return mGroup.c_str(); }
  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  double GetStep() const { return mStep; }
  double GetDefault(bool normalized = false) const { return normalized ? ToNormalized(mDefault) : mDefault; }
  int GetDisplayPrecision() const { return mDisplayPrecision; }
  bool GetCanAutomate() const { return (mFlags & kFlagCannotAutomate) == 0; }
  int NDisplayTexts() const { return static_cast<int>(mDisplayTexts.size()); }
  const char* GetDisplayText(int value) const;   // nullptr when out of range
  // Host step count: 0 for continuous parameters, n - 1 for lists.
  int GetStepCount() const { return mType == kTypeEnum ? NDisplayTexts() - 1 : 0; }

private:
  // ToNormalized without the clamp to [0, 1].
  double UnclampedNormalized(double plain) const;

  EParamType mType = kTypeDouble;
  EShape mShape = kShapeLinear;
  std::string mName, mLabel, mGroup;
  double mMin = 0.0, mMax = 1.0, mDefault = 0.0, mStep = 1.0;
  int mDisplayPrecision = 0;
  int mFlags = kFlagsNone;
  double mExpOffset = 0.0, mExpScale = 1.0;      // ln(min), ln(max / min)
  std::vector<std::string> mDisplayTexts;
  std::atomic<double> mValue{0.0};
};

} // namespace iplug
