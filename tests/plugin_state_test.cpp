// The persisted state as a host stores and restores it: 18 little-endian
// doubles in parameter order and a 32-bit bypass word, restored from short,
// long, failing and odd streams.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/host_context.h"
#include "host/memory_stream.h"
#include "pluginterfaces/base/ibstream.h"
#include "tests/support/bundle_plugin.h"

namespace {

using namespace Steinberg;
using bundletest::makePlugin;

// Plain defaults in parameter order.
const double kDefaults[18] = {0, 12, 6, 8, 60, 1000, 18000, 2, 1, 60, 100, 0, 0, 1, 0, 0.33, 0, 0};

std::vector<uint8_t> stateBytes(const double (&values)[18], int32_t bypassWord) {
  std::vector<uint8_t> bytes(148);
  for (int i = 0; i < 18; ++i) {
    uint64_t bits;
    std::memcpy(&bits, &values[i], 8);
    for (int b = 0; b < 8; ++b) bytes[static_cast<size_t>(8 * i + b)] = static_cast<uint8_t>(bits >> (8 * b));
  }
  for (int b = 0; b < 4; ++b)
    bytes[static_cast<size_t>(144 + b)] = static_cast<uint8_t>(static_cast<uint32_t>(bypassWord) >> (8 * b));
  return bytes;
}

double doubleAt(const std::vector<uint8_t>& bytes, size_t offset) {
  uint64_t bits = 0;
  for (int b = 0; b < 8; ++b) bits |= static_cast<uint64_t>(bytes[offset + static_cast<size_t>(b)]) << (8 * b);
  double v;
  std::memcpy(&v, &bits, 8);
  return v;
}

// A state in which every parameter differs from its default.
const double kChanged[18] = {2, 3.5, 10, 4, 200, 250, 9000, 5, 7.5, 300, 40, -3, 1, 2, 6, 0.8, 1.5, 1};

double plain(vst3host::HostedPlugin& plugin, int index) {
  const auto id = static_cast<Vst::ParamID>(index);
  return plugin.normalizedToPlain(id, plugin.normalizedValue(id));
}

void expectPlainValues(vst3host::HostedPlugin& plugin, const double (&values)[18], int from = 0, int to = 18) {
  for (int i = from; i < to; ++i) EXPECT_NEAR(plain(plugin, i), values[i], 1e-9 * std::fabs(values[i]) + 1e-12) << i;
}

// The parts of a test stream that only reads: it lives on the stack (no
// reference counting), writes nothing and tells its position.
class ReadOnlyTestStream : public IBStream {
public:
  explicit ReadOnlyTestStream(std::vector<uint8_t> bytes) : mBytes(std::move(bytes)) {}
  tresult PLUGIN_API write(void*, int32, int32*) override { return kResultFalse; }
  tresult PLUGIN_API tell(int64* pos) override {
    if (pos) *pos = mPos;
    return kResultOk;
  }
  tresult PLUGIN_API queryInterface(const TUID, void** obj) override {
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 PLUGIN_API addRef() override { return 1; }
  uint32 PLUGIN_API release() override { return 1; }

protected:
  std::vector<uint8_t> mBytes;
  int64 mPos = 0;
};

// A host stream that reports an error status on every full 128-byte read
// while still delivering the bytes; shorter reads succeed.
class ErrorOnFullReads final : public ReadOnlyTestStream {
public:
  using ReadOnlyTestStream::ReadOnlyTestStream;
  tresult PLUGIN_API read(void* buffer, int32 numBytes, int32* numBytesRead) override {
    const int64 n = std::max<int64>(0, std::min<int64>(numBytes, static_cast<int64>(mBytes.size()) - mPos));
    if (n > 0) std::memcpy(buffer, mBytes.data() + mPos, static_cast<size_t>(n));
    mPos += n;
    if (numBytesRead) *numBytesRead = static_cast<int32>(n);
    return numBytes == 128 && n > 0 ? kResultFalse : kResultOk;
  }
  tresult PLUGIN_API seek(int64 pos, int32 mode, int64* result) override {
    if (mode != kIBSeekSet || pos < 0) return kResultFalse;
    mPos = pos;
    if (result) *result = pos;
    return kResultOk;
  }
};

// ---- Saving ----

TEST(PluginStateSave, NewInstanceSaves148BytesOfDefaults) {
  auto plugin = makePlugin();
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(plugin->getState(&bytes));
  ASSERT_EQ(bytes.size(), 148u);
  EXPECT_EQ(doubleAt(bytes, 8), 12.0);     // Depth
  EXPECT_EQ(doubleAt(bytes, 120), 0.33);   // Width
  for (int i = 0; i < 18; ++i) EXPECT_EQ(doubleAt(bytes, static_cast<size_t>(8 * i)), kDefaults[i]) << i;
  EXPECT_EQ(bytes[144] | bytes[145] | bytes[146] | bytes[147], 0);
  EXPECT_EQ(bytes, stateBytes(kDefaults, 0));
}

TEST(PluginStateSave, RefusedWriteIsReported) {
  auto plugin = makePlugin();
  vst3host::MemoryStream stream;
  stream.failWrites(true);
  EXPECT_FALSE(plugin->getState(stream));
}

// ---- Restoring complete states ----

TEST(PluginStateRestore, RoundTripIntoAnotherInstance) {
  auto source = makePlugin();
  ASSERT_TRUE(source->setState(stateBytes(kChanged, 0)));
  std::vector<uint8_t> saved;
  ASSERT_TRUE(source->getState(&saved));
  EXPECT_EQ(saved, stateBytes(kChanged, 0));

  auto target = makePlugin();
  ASSERT_TRUE(target->setState(saved));
  expectPlainValues(*target, kChanged);
  std::vector<uint8_t> again;
  ASSERT_TRUE(target->getState(&again));
  EXPECT_EQ(again, saved);
}

TEST(PluginStateRestore, DefaultStateBringsBackEveryDefault) {
  auto plugin = makePlugin();
  ASSERT_TRUE(plugin->setState(stateBytes(kChanged, 1)));
  ASSERT_TRUE(plugin->setState(stateBytes(kDefaults, 0)));
  expectPlainValues(*plugin, kDefaults);
  EXPECT_EQ(plugin->normalizedValue(65536), 0.0);
}

TEST(PluginStateRestore, BypassWordRestoresBypass) {
  auto plugin = makePlugin();
  ASSERT_TRUE(plugin->setState(stateBytes(kDefaults, 1)));
  EXPECT_EQ(plugin->normalizedValue(65536), 1.0);
  std::vector<uint8_t> saved;
  ASSERT_TRUE(plugin->getState(&saved));
  EXPECT_EQ(saved[144], 1);
}

TEST(PluginStateRestore, BytesAfterTheStateAreIgnored) {
  auto plugin = makePlugin();
  std::vector<uint8_t> bytes = stateBytes(kChanged, 0);
  bytes.insert(bytes.end(), 40, 0x7F);
  ASSERT_TRUE(plugin->setState(bytes));
  expectPlainValues(*plugin, kChanged);
  EXPECT_EQ(plugin->normalizedValue(65536), 0.0);
}

// ---- Short streams ----

TEST(PluginStateRestore, HundredBytesSetTheFirstTwelveParameters) {
  auto plugin = makePlugin();
  std::vector<uint8_t> bytes = stateBytes(kChanged, 0);
  bytes.resize(100);
  vst3host::MemoryStream stream(bytes);
  // The seek to -1 is refused, the bypass read at the end delivers nothing: success, bypass off.
  EXPECT_TRUE(plugin->setState(stream));
  expectPlainValues(*plugin, kChanged, 0, 12);
  expectPlainValues(*plugin, kDefaults, 12, 18);
  EXPECT_EQ(plugin->normalizedValue(65536), 0.0);
}

// After a reported failure the parameters keep what was read (the audio
// path and the next save use them); the controller's copies are not updated.
void expectSavedValues(vst3host::HostedPlugin& plugin, const double (&values)[18], int from, int to) {
  std::vector<uint8_t> saved;
  ASSERT_TRUE(plugin.getState(&saved));
  for (int i = from; i < to; ++i) EXPECT_EQ(doubleAt(saved, static_cast<size_t>(8 * i)), values[i]) << i;
}

TEST(PluginStateRestore, ShortStreamWithFailingReadReportsFailure) {
  auto plugin = makePlugin();
  std::vector<uint8_t> bytes = stateBytes(kChanged, 0);
  bytes.resize(100);
  vst3host::MemoryStream stream(bytes);
  stream.failReadsAfter(99);
  EXPECT_FALSE(plugin->setState(stream));
  expectSavedValues(*plugin, kChanged, 0, 12);
  expectSavedValues(*plugin, kDefaults, 12, 18);
  expectPlainValues(*plugin, kDefaults);
}

TEST(PluginStateRestore, From144To147BytesRestoreAllEighteen) {
  for (size_t size : {144u, 147u}) {
    auto plugin = makePlugin();
    std::vector<uint8_t> bytes = stateBytes(kChanged, 1);
    bytes.resize(size);
    EXPECT_TRUE(plugin->setState(bytes)) << size;
    expectPlainValues(*plugin, kChanged);
    // 147 bytes still carry the low byte of the bypass word.
    EXPECT_EQ(plugin->normalizedValue(65536), size == 147u ? 1.0 : 0.0) << size;
  }
}

TEST(PluginStateRestore, EmptyStreamChangesNothingAndSucceeds) {
  auto plugin = makePlugin();
  ASSERT_TRUE(plugin->setState(stateBytes(kChanged, 0)));
  EXPECT_TRUE(plugin->setState(std::vector<uint8_t>{}));
  expectPlainValues(*plugin, kChanged);
}

// ---- Failing and odd streams ----

TEST(PluginStateRestore, FailingBypassReadReportsFailureButKeepsParameters) {
  auto plugin = makePlugin();
  vst3host::MemoryStream stream(stateBytes(kChanged, 0));
  stream.failReadsAfter(144);
  EXPECT_FALSE(plugin->setState(stream));
  expectSavedValues(*plugin, kChanged, 0, 18);
}

TEST(PluginStateRestore, ReadErrorWithDataEndsReadingForOrdinaryHosts) {
  for (const char* host : {"varnock-host", "WaveLab Elements 11"}) {
    auto* context = new vst3host::HostContext(host);
    auto plugin = makePlugin(context);
    context->release();
    ErrorOnFullReads stream(stateBytes(kChanged, 0));
    EXPECT_TRUE(plugin->component()->setState(&stream) == kResultOk) << host;
    expectPlainValues(*plugin, kChanged, 0, 16);   // the first 128 bytes only
    expectPlainValues(*plugin, kDefaults, 16, 18);
  }
}

TEST(PluginStateRestore, WavelabHostKeepsReadingThroughErrors) {
  auto* context = new vst3host::HostContext("WaveLab Pro 12");
  auto plugin = makePlugin(context);
  context->release();
  ErrorOnFullReads stream(stateBytes(kChanged, 1));
  EXPECT_EQ(plugin->component()->setState(&stream), kResultOk);
  expectPlainValues(*plugin, kChanged);
  EXPECT_EQ(plugin->normalizedValue(65536), 1.0);
}

// A broken host stream that never runs dry: every read delivers the state again.
class EndlessStream final : public ReadOnlyTestStream {
public:
  using ReadOnlyTestStream::ReadOnlyTestStream;
  tresult PLUGIN_API read(void* buffer, int32 numBytes, int32* numBytesRead) override {
    auto* out = static_cast<uint8_t*>(buffer);
    for (int32 i = 0; i < numBytes; ++i) out[i] = mBytes[static_cast<size_t>(mPos++ % 148)];
    if (numBytesRead) *numBytesRead = numBytes;
    return kResultOk;
  }
  tresult PLUGIN_API seek(int64 pos, int32, int64*) override {
    mPos = pos < 0 ? 0 : pos;
    return kResultOk;
  }
};

TEST(PluginStateRestore, StreamThatNeverEndsStillRestores) {
  auto plugin = makePlugin();
  EndlessStream stream(stateBytes(kChanged, 1));
  EXPECT_EQ(plugin->component()->setState(&stream), kResultOk);
  expectPlainValues(*plugin, kChanged);
  EXPECT_EQ(plugin->normalizedValue(65536), 1.0);
}

TEST(PluginStateRestore, StoredNaNKeepsValueAndInfinitiesClamp) {
  auto plugin = makePlugin();
  double values[18];
  std::copy(std::begin(kDefaults), std::end(kDefaults), values);
  values[1] = std::numeric_limits<double>::quiet_NaN();   // Depth
  values[11] = std::numeric_limits<double>::infinity();   // Trim
  values[16] = -std::numeric_limits<double>::infinity();  // Tilt
  ASSERT_TRUE(plugin->setState(stateBytes(kChanged, 0)));
  ASSERT_TRUE(plugin->setState(stateBytes(values, 0)));
  EXPECT_EQ(plain(*plugin, 1), kChanged[1]);
  EXPECT_EQ(plain(*plugin, 11), 24.0);
  EXPECT_EQ(plain(*plugin, 16), -6.0);
  std::vector<uint8_t> saved;
  ASSERT_TRUE(plugin->getState(&saved));
  for (int i = 0; i < 18; ++i) EXPECT_TRUE(std::isfinite(doubleAt(saved, static_cast<size_t>(8 * i)))) << i;
}

TEST(PluginStateRestore, OutOfRangeValuesClampAndListsRound) {
  auto plugin = makePlugin();
  double values[18];
  std::copy(std::begin(kDefaults), std::end(kDefaults), values);
  values[0] = 1.5;       // Mode: Tame
  values[5] = 5.0;       // Freq Low: 20 Hz
  values[13] = -7.0;     // Resolution: Fast 512
  values[10] = 250.0;    // Mix: 100 %
  ASSERT_TRUE(plugin->setState(stateBytes(values, 0)));
  EXPECT_EQ(plain(*plugin, 0), 2.0);
  EXPECT_NEAR(plain(*plugin, 5), 20.0, 1e-9);
  EXPECT_EQ(plain(*plugin, 13), 0.0);
  EXPECT_EQ(plain(*plugin, 10), 100.0);
}

TEST(PluginStateRestore, NullStreamIsRefused) {
  auto plugin = makePlugin();
  EXPECT_NE(plugin->component()->setState(nullptr), kResultOk);
  EXPECT_NE(plugin->component()->getState(nullptr), kResultOk);
}

} // namespace
