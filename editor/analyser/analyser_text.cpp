#include "editor/analyser/analyser_text.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "editor/analyser/analyser_geometry.h"
#include "editor/value_text.h"

namespace varnock {

char* formatGridLabel(char* out, std::size_t size, double hz) {
  if (hz < 1000.0) return formatNumber(out, size, std::floor(hz), 0);
  return formatNumber(out, size, std::floor(hz / 1000.0), 0, false, "k");
}

char* formatGainGridLabel(char* out, std::size_t size, double gainDb) {
  return formatNumber(out, size, gainDb, 0, true, " dB");
}

char* formatHandleFrequency(char* out, std::size_t size, double hz) { return formatFrequency(out, size, hz, 1); }

char* formatMarkerText(char* out, std::size_t size, double hz, double amountDb, bool boost) {
  char frequency[kTextBufferSize];
  formatHandleFrequency(frequency, sizeof frequency, hz);
  std::snprintf(frequency + std::strlen(frequency), sizeof frequency - std::strlen(frequency), "  ");
  return formatNumber(out, size, boost ? amountDb : -amountDb, 1, true, " dB", frequency);
}

char* formatLiveAmount(char* out, std::size_t size, double amountDb, bool boost) {
  return formatNumber(out, size, boost ? amountDb : -amountDb, 1, true, " dB");
}

char* formatHeldPeak(char* out, std::size_t size, double amountDb, bool boost) {
  return formatNumber(out, size, boost ? amountDb : -amountDb, 1, true, "", "peak ");
}

char* formatCursorReadout(char* out, std::size_t size, double hz, double gainDb) {
  char frequency[kTextBufferSize];
  formatFrequency(frequency, sizeof frequency, hz, 2);
  std::snprintf(frequency + std::strlen(frequency), sizeof frequency - std::strlen(frequency), "   ");
  return formatNumber(out, size, gainDb, 1, true, " dB", frequency);
}

const char* modeWord(int modeIndex) {
  return modeIndex == kModeBoost ? "BOOST" : modeIndex == kModeTame ? "TAME" : "CUT";
}

const char* deltaBannerText(bool boost) {
  return boost ? "DELTA  -  HEARING THE ADDED SIGNAL" : "DELTA  -  HEARING THE REMOVED SIGNAL";
}

} // namespace varnock
