#pragma once
// The analyser's texts, formatted into caller buffers (no allocation). Every
// function writes a terminated string of at most size - 1 characters and
// returns `out`. 32 characters hold each of them; kTextBufferSize is the size
// the analyser uses. Numbers are printed through editor/value_text.h: a sign
// or unit follows the value as printed, and a value that prints as zero has
// no sign ("0.0 dB", "peak 0.0"). Pure functions; any thread.
#include <cstddef>

namespace varnock {

inline constexpr std::size_t kTextBufferSize = 64;

// Frequency grid label: "50", "500", "1k", "10k" (whole hertz below 1 kHz, whole kilohertz above).
char* formatGridLabel(char* out, std::size_t size, double hz);
// Gain grid label: "+6 dB" for boosts, "-6 dB" for cuts, no decimals.
char* formatGainGridLabel(char* out, std::size_t size, double gainDb);
// Range handle label and marker frequency: "250 Hz", "1.2 kHz".
char* formatHandleFrequency(char* out, std::size_t size, double hz);
// Peak marker: "<frequency>  +3.2 dB" in Boost, "<frequency>  -3.2 dB" otherwise (amountDb >= 0).
char* formatMarkerText(char* out, std::size_t size, double hz, double amountDb, bool boost);
// Live amount: "+2.5 dB" in Boost, "-2.5 dB" otherwise (amountDb >= 0); "0.0 dB" for none.
char* formatLiveAmount(char* out, std::size_t size, double amountDb, bool boost);
// Held peak: "peak +2.5" in Boost, "peak -2.5" otherwise; "peak 0.0" for none.
char* formatHeldPeak(char* out, std::size_t size, double amountDb, bool boost);
// Cursor readout: "440 Hz   -3.1 dB", "1.25 kHz   +2.0 dB", "0.0 dB" for a gain that prints as zero.
char* formatCursorReadout(char* out, std::size_t size, double hz, double gainDb);

// "BOOST", "TAME" or "CUT".
const char* modeWord(int modeIndex);
// The banner shown while Delta is on.
const char* deltaBannerText(bool boost);

} // namespace varnock
