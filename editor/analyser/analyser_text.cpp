#include "editor/analyser/analyser_text.h"

#include <cmath>
#include <cstdio>

#include "editor/analyser/analyser_geometry.h"

namespace varnock {

namespace {
constexpr double kCursorZeroDb = 0.05;   // a cursor gain closer to 0 reads "0.0 dB"
}

char* formatGridLabel(char* out, std::size_t size, double hz) {
  if (hz < 1000.0)
    std::snprintf(out, size, "%d", static_cast<int>(hz));
  else
    std::snprintf(out, size, "%dk", static_cast<int>(hz / 1000.0));
  return out;
}

char* formatGainGridLabel(char* out, std::size_t size, double gainDb) {
  std::snprintf(out, size, gainDb > 0.0 ? "+%.0f dB" : "%.0f dB", gainDb);
  return out;
}

char* formatHandleFrequency(char* out, std::size_t size, double hz) {
  if (hz < 1000.0)
    std::snprintf(out, size, "%.0f Hz", hz);
  else
    std::snprintf(out, size, "%.1f kHz", hz / 1000.0);
  return out;
}

char* formatMarkerText(char* out, std::size_t size, double hz, double amountDb, bool boost) {
  char frequency[kTextBufferSize];
  formatHandleFrequency(frequency, sizeof frequency, hz);
  std::snprintf(out, size, boost ? "%s  +%.1f dB" : "%s  -%.1f dB", frequency, amountDb);
  return out;
}

char* formatLiveAmount(char* out, std::size_t size, double amountDb, bool boost) {
  std::snprintf(out, size, boost ? "+%.1f dB" : "-%.1f dB", amountDb);
  return out;
}

char* formatHeldPeak(char* out, std::size_t size, double amountDb, bool boost) {
  std::snprintf(out, size, boost ? "peak +%.1f" : "peak -%.1f", amountDb);
  return out;
}

char* formatCursorReadout(char* out, std::size_t size, double hz, double gainDb) {
  char frequency[kTextBufferSize];
  if (hz < 1000.0)
    std::snprintf(frequency, sizeof frequency, "%.0f Hz", hz);
  else
    std::snprintf(frequency, sizeof frequency, "%.2f kHz", hz / 1000.0);
  char gain[kTextBufferSize];
  if (std::fabs(gainDb) < kCursorZeroDb)
    std::snprintf(gain, sizeof gain, "0.0 dB");
  else
    std::snprintf(gain, sizeof gain, gainDb > 0.0 ? "+%.1f dB" : "%.1f dB", gainDb);
  std::snprintf(out, size, "%s   %s", frequency, gain);
  return out;
}

const char* modeWord(int modeIndex) {
  return modeIndex == kModeBoost ? "BOOST" : modeIndex == kModeTame ? "TAME" : "CUT";
}

const char* deltaBannerText(bool boost) {
  return boost ? "DELTA  -  HEARING THE ADDED SIGNAL" : "DELTA  -  HEARING THE REMOVED SIGNAL";
}

} // namespace varnock
