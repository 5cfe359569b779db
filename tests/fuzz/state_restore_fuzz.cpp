// libFuzzer target: state restore. The first byte chooses how the host's
// stream misbehaves (nothing, reads failing past the position in the second
// byte, refused seeks); the rest is the stream. After every input each
// parameter is finite and in its range, the controller shows the values the
// plug-in holds, and a valid state restores exactly.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "host/memory_stream.h"
#include "tests/fuzz/fuzz_host.h"

namespace {

// A valid state with every parameter away from its default, bypass on.
std::vector<uint8_t> validState() {
  const double values[fuzzhost::kParams] = {2, 18.5, 3.25, 12, 250, 150, 9000, 5, 0.5,
                                            300, 75, -6.5, 1, 2, 7, 1.2, 4.5, 1};
  std::vector<uint8_t> bytes(148);
  std::memcpy(bytes.data(), values, sizeof values);
  const int32_t bypass = 1;
  std::memcpy(bytes.data() + 144, &bypass, sizeof bypass);
  return bytes;
}

// The controller's normalised values agree with the plug-in's own values
// after a successful restore.
void checkControllerFollows(vst3host::HostedPlugin& plugin) {
  std::vector<uint8_t> bytes;
  fuzzhost::require(plugin.getState(&bytes), "the state could not be saved");
  for (int i = 0; i < fuzzhost::kParams; ++i) {
    double plain;
    std::memcpy(&plain, bytes.data() + 8 * i, sizeof plain);
    const auto id = static_cast<Steinberg::Vst::ParamID>(i);
    fuzzhost::require(std::fabs(plugin.normalizedValue(id) - plugin.plainToNormalized(id, plain)) < 1e-9,
                      "the controller does not show a restored value");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  vst3host::HostedPlugin& plugin = fuzzhost::plugin();
  const uint8_t control = data[0];
  vst3host::MemoryStream stream(std::vector<uint8_t>(data + 2, data + size));
  switch (control & 3) {
    case 1: stream.failReadsAfter(data[1]); break;
    case 2: stream.failSeeks(true); break;
    default: break;
  }
  const bool restored = plugin.component()->setState(&stream) == Steinberg::kResultOk;
  fuzzhost::checkParameterRanges(plugin);
  if (restored) checkControllerFollows(plugin);

  static const std::vector<uint8_t> valid = validState();
  fuzzhost::require(plugin.setState(valid), "a valid state was refused after a hostile one");
  std::vector<uint8_t> saved;
  fuzzhost::require(plugin.getState(&saved) && saved == valid, "a valid state did not restore exactly");
  return 0;
}
