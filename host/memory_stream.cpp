#include "host/memory_stream.h"

#include <algorithm>
#include <cstring>

using namespace Steinberg;

namespace vst3host {

void MemoryStream::truncate(int64 size) {
  if (size >= 0 && size < static_cast<int64>(bytes_.size())) bytes_.resize(static_cast<size_t>(size));
}

tresult PLUGIN_API MemoryStream::read(void* buffer, int32 numBytes, int32* numBytesRead) {
  if (numBytesRead) *numBytesRead = 0;
  if (numBytes < 0 || (!buffer && numBytes > 0)) return kInvalidArgument;
  const int64 size = static_cast<int64>(bytes_.size());
  int64 end = std::min(position_ + numBytes, std::max(size, position_));
  bool faulted = false;
  if (readLimit_ != kNoLimit && end > readLimit_) {
    end = std::max(position_, readLimit_);
    faulted = true;
  }
  const int64 count = end - position_;
  if (count > 0) std::memcpy(buffer, bytes_.data() + position_, static_cast<size_t>(count));
  position_ = end;
  if (numBytesRead) *numBytesRead = static_cast<int32>(count);
  return faulted ? kResultFalse : kResultOk;
}

tresult PLUGIN_API MemoryStream::write(void* buffer, int32 numBytes, int32* numBytesWritten) {
  if (numBytesWritten) *numBytesWritten = 0;
  if (failWrites_) return kResultFalse;
  if (numBytes < 0 || (!buffer && numBytes > 0)) return kInvalidArgument;
  const size_t end = static_cast<size_t>(position_) + static_cast<size_t>(numBytes);
  if (end > bytes_.size()) bytes_.resize(end, 0);
  if (numBytes > 0) std::memcpy(bytes_.data() + position_, buffer, static_cast<size_t>(numBytes));
  position_ = static_cast<int64>(end);
  if (numBytesWritten) *numBytesWritten = numBytes;
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::seek(int64 pos, int32 mode, int64* result) {
  if (failSeeks_) return kResultFalse;
  int64 target = pos;
  if (mode == kIBSeekCur)
    target = position_ + pos;
  else if (mode == kIBSeekEnd)
    target = static_cast<int64>(bytes_.size()) + pos;
  else if (mode != kIBSeekSet)
    return kInvalidArgument;
  if (target < 0) return kResultFalse;
  position_ = target;
  if (result) *result = position_;
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::tell(int64* pos) {
  if (!pos) return kInvalidArgument;
  *pos = position_;
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::getStreamSize(int64& size) {
  size = static_cast<int64>(bytes_.size());
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::setStreamSize(int64 size) {
  if (size < 0) return kInvalidArgument;
  bytes_.resize(static_cast<size_t>(size), 0);
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::queryInterface(const TUID iid, void** obj) {
  if (!obj) return Steinberg::kInvalidArgument;
  if (FUnknownPrivate::iidEqual(iid, FUnknown::iid)) {
    *obj = static_cast<IBStream*>(this);
    addRef();
    return kResultOk;
  }
  if (answerInterface<IBStream>(iid, this, obj) || answerInterface<ISizeableStream>(iid, this, obj))
    return kResultOk;
  *obj = nullptr;
  return kNoInterface;
}

}  // namespace vst3host
