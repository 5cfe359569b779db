// libFuzzer target: a typed text to a parameter value. The first byte picks
// the parameter (0..17, or the host's bypass parameter); the rest is the
// text, in UTF-8 (invalid bytes included), as a host passes it through the
// edit controller. The normalised result is within 0..1 and the plain value
// the plug-in then holds is within its range; the text of that value is
// produced without fault.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "tests/fuzz/fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  vst3host::HostedPlugin& plugin = fuzzhost::plugin();
  const int pick = data[0] % (fuzzhost::kParams + 1);
  const Steinberg::Vst::ParamID id = pick < fuzzhost::kParams ? static_cast<Steinberg::Vst::ParamID>(pick) : 0x10000;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  double normalized = 0.0;
  if (!plugin.textToValue(id, text, &normalized)) return 0;
  fuzzhost::require(normalized >= 0.0 && normalized <= 1.0, "a text gave a normalised value outside 0..1");
  fuzzhost::require(plugin.setNormalizedValue(id, normalized), "the controller refused its own value");
  std::string shown;
  fuzzhost::require(plugin.valueToText(id, normalized, &shown), "the value has no text");
  fuzzhost::checkParameterRanges(plugin);
  return 0;
}
