// IPlugVST3: the persisted state (UI thread).
//
// Layout, little-endian, no header: the plain value of every parameter as an
// IEEE 754 double in index order, then the bypass state as a 32-bit integer
// (1 bypassed, 0 not). For 18 parameters that is 148 bytes.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "framework/vst3/iplug_vst3.h"
#include "framework/vst3/abi_guard.h"
#include "pluginterfaces/base/ibstream.h"

namespace iplug {

using namespace Steinberg;

namespace {

constexpr int32 kReadPieceBytes = 128;
// Reading stops here even if the host's stream keeps delivering: only the
// first bytes carry the state, and a broken stream must not hang the restore.
constexpr size_t kMaxStateBytes = 1 << 16;

void putLE64(uint64_t v, unsigned char* p) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

uint64_t getLE64(const unsigned char* p) {
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v |= static_cast<uint64_t>(p[i]) << (8 * i);
  return v;
}

// Appends pieces of the stream until a read delivers nothing (or
// kMaxStateBytes have arrived). A read that delivers bytes with an error
// status ends the reading too, unless the host keeps returning errors with
// good data (`tolerateErrors`).
std::vector<unsigned char> readWholeStream(IBStream& stream, bool tolerateErrors) {
  std::vector<unsigned char> data;
  unsigned char piece[kReadPieceBytes];
  while (data.size() < kMaxStateBytes) {
    int32 numRead = 0;
    const tresult result = stream.read(piece, kReadPieceBytes, &numRead);
    if (numRead <= 0) break;
    if (numRead > kReadPieceBytes) numRead = kReadPieceBytes;
    data.insert(data.end(), piece, piece + numRead);
    if (result != kResultOk && !tolerateErrors) break;
  }
  return data;
}

} // namespace

tresult PLUGIN_API IPlugVST3::getState(IBStream* state) {
  return vst3::Guarded([&]() -> tresult {
    if (!state) return kInvalidArgument;
    std::vector<unsigned char> bytes(static_cast<size_t>(NParams()) * 8 + 4);
    for (int i = 0; i < NParams(); ++i) {
      const double v = GetParam(i)->Value();
      uint64_t bits;
      std::memcpy(&bits, &v, sizeof bits);
      putLE64(bits, bytes.data() + 8 * i);
    }
    const uint32_t bypass = IsBypassed() ? 1u : 0u;
    for (int i = 0; i < 4; ++i) bytes[static_cast<size_t>(NParams()) * 8 + static_cast<size_t>(i)] =
        static_cast<unsigned char>(bypass >> (8 * i));
    int32 written = 0;
    const tresult result = state->write(bytes.data(), static_cast<int32>(bytes.size()), &written);
    return result == kResultOk && written == static_cast<int32>(bytes.size()) ? kResultOk : kResultFalse;
  });
}

tresult PLUGIN_API IPlugVST3::setState(IBStream* state) {
  return vst3::Guarded([&]() -> tresult {
    if (!state) return kInvalidArgument;
    // One host family reports an error status on reads that did deliver data.
    const bool tolerateErrors = mHostNameLower.find("wavelab") != std::string::npos &&
                                mHostNameLower.find("wavelab elements") == std::string::npos;
    const std::vector<unsigned char> data = readWholeStream(*state, tolerateErrors);

    // Parameters that fit completely; the rest keep their values. After a
    // short stream the position is -1, so the bypass read below comes from
    // wherever the host's seek to -1 leaves the stream.
    int64 pos = 0;
    for (int i = 0; i < NParams(); ++i) {
      if (static_cast<int64>(data.size()) - pos < 8) {
        pos = -1;
        break;
      }
      const uint64_t bits = getLE64(data.data() + pos);
      double v;
      std::memcpy(&v, &bits, sizeof v);
      GetParam(i)->Set(v);
      pos += 8;
    }
    for (int i = 0; i < NParams(); ++i) OnParamChange(i);

    state->seek(pos, IBStream::kIBSeekSet, nullptr);
    unsigned char word[4] = {0, 0, 0, 0};
    int32 numRead = 0;
    if (state->read(word, 4, &numRead) != kResultOk) return kResultFalse;
    const int32_t bypassWord = static_cast<int32_t>(static_cast<uint32_t>(word[0]) | static_cast<uint32_t>(word[1]) << 8 |
                                                    static_cast<uint32_t>(word[2]) << 16 |
                                                    static_cast<uint32_t>(word[3]) << 24);

    // The controller's copies follow the restored values. An open editor reads
    // the parameters every frame, so nothing has to be pushed to it.
    for (int i = 0; i < NParams(); ++i)
      if (Vst::Parameter* parameter = getParameterObject(static_cast<Vst::ParamID>(i)))
        parameter->setNormalized(GetParam(i)->GetNormalized());
    const double bypassNormalized = std::fmin(std::fmax(static_cast<double>(bypassWord), 0.0), 1.0);
    if (Vst::Parameter* bypass = getParameterObject(kBypassParamID)) bypass->setNormalized(bypassNormalized);
    mBypassed.store(bypassNormalized > 0.5, std::memory_order_relaxed);
    return kResultOk;
  });
}

} // namespace iplug
