// Persisted state and typed texts from hostile hosts: every truncation of a
// valid state, reads that fail part-way, random bytes, NaN and infinite
// doubles, odd bypass words, refused seeks and writes, hosts that flag good
// reads as errors, and random texts for every parameter. Parameters stay in
// their ranges, failure is reported exactly when the restore rule says so,
// and a following valid restore always works.
//
// The restore rule as a host sees it: the stream is read whole; each
// parameter that fits completely (8 bytes each) is set; after a stream too
// short for all 18 the bypass word is read from wherever a seek to -1 leaves
// the stream, otherwise from offset 144; an error status on that read means
// failure, anything else success with the bytes delivered (zeros for the rest).
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/memory_stream.h"
#include "tests/support/bundle_plugin.h"
#include "tests/support/reliability_rig.h"

namespace {

using namespace Steinberg;
using reliability::kParamRanges;
using reliability::ParamRange;
using reliability::kParams;
using reliability::SavedState;

// Two valid states that differ in every parameter and in the bypass word.
SavedState stateA() {
  return {{2, 18.5, 3.25, 12, 250, 150, 9000, 5, 0.5, 300, 75, -6.5, 1, 2, 7, 1.2, 4.5, 1}, 1};
}
SavedState stateB() {
  return {{1, 3, 20, 2, 40, 3000, 15000, 10, 15, 20, 30, 12, 0, 0, 3, 0.2, -3, 0}, 0};
}

tresult restore(vst3host::HostedPlugin& plugin, vst3host::MemoryStream& stream) {
  return plugin.component()->setState(&stream);
}

tresult restoreBytes(vst3host::HostedPlugin& plugin, const std::vector<uint8_t>& bytes) {
  vst3host::MemoryStream stream(bytes);
  return restore(plugin, stream);
}

// The instance holds `expected` exactly, and its controller shows the same values.
void expectHolds(vst3host::HostedPlugin& plugin, const SavedState& expected, const std::string& label) {
  const SavedState held = reliability::savedState(plugin);
  for (int i = 0; i < kParams; ++i) {
    const double v = expected.values[static_cast<size_t>(i)];
    ASSERT_EQ(held.values[static_cast<size_t>(i)], v) << label << ", parameter " << i;
    ASSERT_NEAR(plugin.normalizedValue(static_cast<Vst::ParamID>(i)),
                plugin.plainToNormalized(static_cast<Vst::ParamID>(i), v), 1e-12)
        << label << ", controller copy of parameter " << i;
  }
  ASSERT_EQ(held.bypass, expected.bypass) << label;
  ASSERT_EQ(plugin.normalizedValue(reliability::kBypassId), expected.bypass) << label;
}

// What an instance holding `before` holds after restoring the first
// `params` parameters of `source`, with bypass word `bypass`.
SavedState mixed(const SavedState& before, const SavedState& source, int params, int32_t bypass) {
  SavedState out = before;
  for (int i = 0; i < std::min(params, kParams); ++i) out.values[static_cast<size_t>(i)] = source.values[static_cast<size_t>(i)];
  out.bypass = bypass;
  return out;
}

TEST(StateRestore, EveryTruncationRestoresWhatFitsAndReportsSuccess) {
  const std::vector<uint8_t> full = reliability::encodeState(stateA());
  auto plugin = bundletest::makePlugin();
  for (int length = 0; length <= 160; ++length) {
    ASSERT_EQ(restoreBytes(*plugin, reliability::encodeState(stateB())), kResultOk);
    std::vector<uint8_t> bytes(full.begin(), full.begin() + std::min<long>(length, 148));
    bytes.resize(static_cast<size_t>(length), 0xA5);   // junk after the state is ignored
    ASSERT_EQ(restoreBytes(*plugin, bytes), kResultOk) << "length " << length;
    // The bypass word of stateA is 1; a partial word keeps the bytes delivered.
    const int32_t bypass = length >= 145 ? 1 : 0;
    expectHolds(*plugin, mixed(stateB(), stateA(), length / 8, bypass), "length " + std::to_string(length));
  }
  ASSERT_EQ(restoreBytes(*plugin, full), kResultOk);
  expectHolds(*plugin, stateA(), "valid restore after truncations");
}

TEST(StateRestore, ReadsFailingPartWayReportFailureAndKeepWhatWasRead) {
  auto plugin = bundletest::makePlugin();
  for (int limit = 0; limit <= 160; ++limit) {
    ASSERT_EQ(restoreBytes(*plugin, reliability::encodeState(stateB())), kResultOk);
    vst3host::MemoryStream stream(reliability::encodeState(stateA()));
    stream.failReadsAfter(limit);
    const tresult result = restore(*plugin, stream);
    if (limit < 148)
      EXPECT_NE(result, kResultOk) << "limit " << limit;
    else
      EXPECT_EQ(result, kResultOk) << "limit " << limit;
    // A failed restore keeps the parameters it set and leaves the bypass alone.
    const SavedState held = reliability::savedState(*plugin);
    for (int i = 0; i < kParams; ++i) {
      const bool restored = i < std::min(limit, 148) / 8;
      ASSERT_EQ(held.values[static_cast<size_t>(i)], (restored ? stateA() : stateB()).values[static_cast<size_t>(i)])
          << "limit " << limit << ", parameter " << i;
    }
    EXPECT_EQ(held.bypass, limit < 148 ? 0 : 1) << "limit " << limit;
  }
  ASSERT_EQ(restoreBytes(*plugin, reliability::encodeState(stateA())), kResultOk);
  expectHolds(*plugin, stateA(), "valid restore after failing reads");
}

TEST(StateRestore, RandomBytesNeverLeaveTheRanges) {
  reliability::reseed(808);
  auto plugin = bundletest::makePlugin();
  ASSERT_TRUE(bundletest::start(*plugin, 48000.0, 256));
  reliability::RawAudio audio(256);
  int tried = 0;
  for (; tried < 20000; ++tried) {
    std::vector<uint8_t> bytes(static_cast<size_t>(reliability::randomInt(0, 300)));
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(reliability::randomInt(0, 255));
    // Half the streams carry doubles from the awkward corners.
    if (tried % 2 == 1) {
      const double corners[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity(), 1e308, -1e308, -0.0,
                                std::numeric_limits<double>::denorm_min(), 0.5, 1.5, 2.5, -0.5};
      for (size_t at = 0; at + 8 <= bytes.size(); at += 8)
        std::memcpy(&bytes[at], &corners[reliability::randomInt(0, static_cast<int>(std::size(corners)) - 1)], 8);
    }
    ASSERT_EQ(restoreBytes(*plugin, bytes), kResultOk) << "stream " << tried;
    ASSERT_TRUE(reliability::stateWithinRanges(reliability::savedState(*plugin))) << "stream " << tried;
    if (tried % 100 == 0) {
      ASSERT_EQ(audio.process(plugin->processor(), 256, true), kResultOk);
      ASSERT_EQ(audio.nonFiniteOutputs(256), 0) << "stream " << tried;
    }
  }
  ASSERT_EQ(restoreBytes(*plugin, reliability::encodeState(stateA())), kResultOk);
  expectHolds(*plugin, stateA(), "valid restore after random bytes");
}

TEST(StateRestore, NonFiniteAndOutOfRangeDoublesAreIgnoredOrClamped) {
  const double inf = std::numeric_limits<double>::infinity();
  auto plugin = bundletest::makePlugin();
  for (int i = 0; i < kParams; ++i) {
    const ParamRange& range = kParamRanges[i];
    const std::pair<double, double> cases[] = {
        {std::numeric_limits<double>::quiet_NaN(), stateB().values[static_cast<size_t>(i)]},   // ignored
        {inf, range.max}, {-inf, range.min}, {1e308, range.max}, {-1e308, range.min},
    };
    for (const auto& [stored, expected] : cases) {
      ASSERT_EQ(restoreBytes(*plugin, reliability::encodeState(stateB())), kResultOk);
      SavedState state = stateB();
      state.values[static_cast<size_t>(i)] = stored;
      ASSERT_EQ(restoreBytes(*plugin, reliability::encodeState(state)), kResultOk);
      EXPECT_EQ(reliability::savedState(*plugin).values[static_cast<size_t>(i)], expected)
          << "parameter " << i << " stored as " << stored;
    }
  }
}

TEST(StateRestore, AnyBypassWordGivesOnOrOff) {
  auto plugin = bundletest::makePlugin();
  for (int32_t word : {INT_MIN, -5, -1, 0, 1, 2, 1000, INT_MAX}) {
    SavedState state = stateA();
    state.bypass = word;
    ASSERT_EQ(restoreBytes(*plugin, reliability::encodeState(state)), kResultOk);
    EXPECT_EQ(reliability::savedState(*plugin).bypass, word >= 1 ? 1 : 0) << word;
    EXPECT_EQ(plugin->normalizedValue(reliability::kBypassId), word >= 1 ? 1.0 : 0.0) << word;
  }
}

TEST(StateRestore, RefusedSeeksAndWritesAreSurvived) {
  auto plugin = bundletest::makePlugin();
  // With seeks refused the bypass word is read at the end of the stream,
  // where nothing is left: success, bypass off.
  vst3host::MemoryStream noSeeks(reliability::encodeState(stateA()));
  noSeeks.failSeeks(true);
  EXPECT_EQ(restore(*plugin, noSeeks), kResultOk);
  expectHolds(*plugin, mixed(stateA(), stateA(), kParams, 0), "seeks refused");

  vst3host::MemoryStream noWrites;
  noWrites.failWrites(true);
  EXPECT_NE(plugin->component()->getState(&noWrites), kResultOk);
  EXPECT_TRUE(noWrites.bytes().empty());

  EXPECT_NE(plugin->component()->setState(nullptr), kResultOk);
  EXPECT_NE(plugin->component()->getState(nullptr), kResultOk);
  ASSERT_EQ(restoreBytes(*plugin, reliability::encodeState(stateB())), kResultOk);
  expectHolds(*plugin, stateB(), "valid restore after refused seeks and writes");
}

// A host stream that returns an error status with every read that delivers
// bytes, as one host family does.
class ErrorFlaggingStream final : public IBStream {
 public:
  explicit ErrorFlaggingStream(std::vector<uint8_t> bytes) : inner_(std::move(bytes)) {}
  tresult PLUGIN_API read(void* buffer, int32 numBytes, int32* numBytesRead) override {
    int32 got = 0;
    inner_.read(buffer, numBytes, &got);
    if (numBytesRead) *numBytesRead = got;
    return got > 0 ? kResultFalse : kResultOk;
  }
  tresult PLUGIN_API write(void* buffer, int32 numBytes, int32* written) override {
    return inner_.write(buffer, numBytes, written);
  }
  tresult PLUGIN_API seek(int64 pos, int32 mode, int64* result) override { return inner_.seek(pos, mode, result); }
  tresult PLUGIN_API tell(int64* pos) override { return inner_.tell(pos); }
  tresult PLUGIN_API queryInterface(const TUID, void** obj) override {
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 PLUGIN_API addRef() override { return 1; }
  uint32 PLUGIN_API release() override { return 1; }

 private:
  vst3host::MemoryStream inner_;
};

TEST(StateRestore, HostsThatFlagGoodReadsAsErrorsGetWhatTheyDelivered) {
  const struct {
    const char* hostName;
    int restoredParams;   // the tolerant host family reads on past error statuses
  } hosts[] = {{"WaveLab Pro 12", kParams}, {"WaveLab Elements 12", 16}, {"varnock-host", 16}};
  for (const auto& host : hosts) {
    auto* context = new vst3host::HostContext(host.hostName);
    auto plugin = bundletest::makePlugin(context);
    context->release();
    ASSERT_EQ(restoreBytes(*plugin, reliability::encodeState(stateB())), kResultOk);
    ErrorFlaggingStream stream(reliability::encodeState(stateA()));
    // The bypass read itself is flagged, so every one of them reports failure.
    EXPECT_NE(plugin->component()->setState(&stream), kResultOk) << host.hostName;
    const SavedState held = reliability::savedState(*plugin);
    for (int i = 0; i < kParams; ++i)
      EXPECT_EQ(held.values[static_cast<size_t>(i)],
                (i < host.restoredParams ? stateA() : stateB()).values[static_cast<size_t>(i)])
          << host.hostName << ", parameter " << i;
    ASSERT_EQ(restoreBytes(*plugin, reliability::encodeState(stateA())), kResultOk);
    expectHolds(*plugin, stateA(), host.hostName);
  }
}

std::string randomText() {
  static const char* const kPieces[] = {"", "-", "+", ".", "e", "E", "1e999", "-1e999", "1e-999", "nan", "inf",
                                        "NaN", "-inf", "0x1p3", "Tame", "Cut", "Normal 1024", "On", "dB", " ",
                                        "\t", "\xff\xfe", "\xc3\xa9", "12.5", "00000000000000000000000001", "9",
                                        "Fast 512 ", "1,5", "1.5.5", "--3", "e5", ".e1", "1e", "1e+", "%s%n"};
  std::string text;
  const int parts = reliability::randomInt(0, 6);
  for (int p = 0; p < parts; ++p) {
    if (reliability::randomInt(0, 3) == 0)
      text += static_cast<char>(reliability::randomInt(1, 255));
    else
      text += kPieces[reliability::randomInt(0, static_cast<int>(std::size(kPieces)) - 1)];
  }
  if (reliability::randomInt(0, 50) == 0) text.append(300, '7');   // past the host's 128-unit string
  return text;
}

TEST(ParameterText, RandomTextsGiveValuesInRange) {
  reliability::reseed(909);
  auto plugin = bundletest::makePlugin();
  int tried = 0;
  for (; tried < 30000; ++tried) {
    const int pick = reliability::randomInt(0, kParams);
    const Vst::ParamID id = pick < kParams ? static_cast<Vst::ParamID>(pick) : reliability::kBypassId;
    const std::string text = randomText();
    double normalized = -1.0;
    if (!plugin->textToValue(id, text, &normalized)) continue;
    ASSERT_TRUE(normalized >= 0.0 && normalized <= 1.0) << "parameter " << id << ", text \"" << text << "\" gives "
                                                        << normalized;
  }
  EXPECT_EQ(tried, 30000);
}

}  // namespace
