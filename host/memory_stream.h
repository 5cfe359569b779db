#pragma once
// An IBStream over bytes in memory: readable, writable, seekable and
// sizeable, for plug-in state. Fault hooks let tests play a broken host
// stream: reads that stop at a byte position, a truncated buffer, refused
// writes and seeks.
//
// Reference counted: `new MemoryStream` holds one reference for its creator;
// a stack or member instance is also fine as long as no plug-in keeps a
// reference past the call it was handed the stream in. One thread at a time.
#include <cstdint>
#include <vector>

#include "host/ref_count.h"
#include "pluginterfaces/base/ibstream.h"

namespace vst3host {

class MemoryStream final : public Steinberg::IBStream, public Steinberg::ISizeableStream {
 public:
  static constexpr Steinberg::int64 kNoLimit = -1;

  MemoryStream() = default;
  explicit MemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  const std::vector<uint8_t>& bytes() const { return bytes_; }
  Steinberg::int64 position() const { return position_; }
  void rewind() { position_ = 0; }

  // Fault hooks. A read that would pass byte position `limit` delivers the
  // bytes before it and returns kResultFalse (kNoLimit: no fault).
  void failReadsAfter(Steinberg::int64 limit) { readLimit_ = limit; }
  // Writes deliver nothing and return kResultFalse.
  void failWrites(bool fail) { failWrites_ = fail; }
  // Seeks leave the position alone and return kResultFalse.
  void failSeeks(bool fail) { failSeeks_ = fail; }
  // Drops every byte from `size` on; the position stays (it may then lie past the end).
  void truncate(Steinberg::int64 size);

  // IBStream. Reading at or past the end delivers 0 bytes with kResultOk;
  // writing past the end fills the gap with zeros.
  Steinberg::tresult PLUGIN_API read(void* buffer, Steinberg::int32 numBytes,
                                     Steinberg::int32* numBytesRead) override;
  Steinberg::tresult PLUGIN_API write(void* buffer, Steinberg::int32 numBytes,
                                      Steinberg::int32* numBytesWritten) override;
  Steinberg::tresult PLUGIN_API seek(Steinberg::int64 pos, Steinberg::int32 mode,
                                     Steinberg::int64* result) override;
  Steinberg::tresult PLUGIN_API tell(Steinberg::int64* pos) override;

  // ISizeableStream.
  Steinberg::tresult PLUGIN_API getStreamSize(Steinberg::int64& size) override;
  Steinberg::tresult PLUGIN_API setStreamSize(Steinberg::int64 size) override;

  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  VST3HOST_REFCOUNT_METHODS

 private:
  RefCount refCount_;
  std::vector<uint8_t> bytes_;
  Steinberg::int64 position_ = 0;
  Steinberg::int64 readLimit_ = kNoLimit;
  bool failWrites_ = false;
  bool failSeeks_ = false;
};

}  // namespace vst3host
