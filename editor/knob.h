#pragma once
// Knob: a rotary control for one parameter, drawn and handled in one call
// per frame. Drag up/down (Shift = fine), scroll, double-click or Ctrl+press
// to reset. The travel t in 0..1 spans 270 degrees from -135 to +135.
// UI thread only.
#include "plugin/param_index.h"

namespace varnock {

class VarnockView;

// How the value under a knob is printed. Ranges ("below 10") apply to the
// value as printed, and a value that prints as zero has no sign.
enum ValueFormat : int {
  kFormatDb = 0,             // "6.0 dB"
  kFormatMs = 1,             // "5.2 ms" below 10, else "12 ms"
  kFormatHz = 2,             // "440 Hz" below 1000, else "1.0 kHz"
  kFormatPercent = 3,        // "100 %"
  kFormatInteger = 4,        // "2"
  kFormatSignedDb = 5,       // "+2.5 dB", "0.0 dB", "-3.0 dB"; also any unknown format
  kFormatOctaves = 6,        // "0.33 oct"
  kFormatSignedDbPerOct = 7, // "+1.5 dB/oct", "0.0 dB/oct", "-1.0 dB/oct"
};

struct KnobDef {
  int id;                    // widget id 1..10 (activeId while dragged, double-click detection)
  double x, y;               // centre, design pixels
  ParamIndex param;
  double minValue, maxValue, defaultValue;   // the knob's own range and reset value, plain units
  bool logTaper;             // equal ratios per turn
  double step;               // written values are rounded to multiples of it
  bool bipolar;              // the value arc starts at 12 o'clock
  const char* label;
  int format;                // ValueFormat
  const char* helpText;
  double radius;             // ring radius, design pixels
  bool liveRing = false;     // outer ring of the live processing amount (Depth)
  double liveAmount = 0.0;   // 0..1 shown by the live ring
};

// Value <-> travel t (0..1) with the knob's range and taper; travel clamped.
double knobTravel(const KnobDef& knobDef, double value);
double knobValue(const KnobDef& knobDef, double travel);

// Writes the text of `value` in `format` into out (at most outSize - 1 characters).
void formatKnobValue(int format, double value, char* out, int outSize);

// Draws and handles one knob; writes its parameter through editParam.
void knob(VarnockView& view, const KnobDef& knobDef);

} // namespace varnock
