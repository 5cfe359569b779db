#pragma once
// IParameterChanges and IParamValueQueue as a host hands them to process():
// per parameter a queue of (sample offset, normalised value) points, kept in
// offset order. All storage is reserved at construction, so adding points
// and clearing between blocks never allocates; what does not fit is refused.
//
// Owned by value by their user (HostedPlugin); addRef/release do not delete,
// so a plug-in must not keep a reference past the process() call, as the
// VST3 contract says. One thread at a time (the audio thread while processing).
#include <vector>

#include "pluginterfaces/vst/ivstparameterchanges.h"

namespace vst3host {

class ParamValueQueue final : public Steinberg::Vst::IParamValueQueue {
 public:
  explicit ParamValueQueue(int maxPoints);

  void reset(Steinberg::Vst::ParamID id);

  Steinberg::Vst::ParamID PLUGIN_API getParameterId() override { return id_; }
  Steinberg::int32 PLUGIN_API getPointCount() override { return count_; }
  Steinberg::tresult PLUGIN_API getPoint(Steinberg::int32 index, Steinberg::int32& sampleOffset,
                                         Steinberg::Vst::ParamValue& value) override;
  // Inserts in offset order; a point at an offset already present replaces
  // its value. kResultFalse when the queue is full.
  Steinberg::tresult PLUGIN_API addPoint(Steinberg::int32 sampleOffset, Steinberg::Vst::ParamValue value,
                                         Steinberg::int32& index) override;

  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
  Steinberg::uint32 PLUGIN_API release() override { return 1; }

 private:
  struct Point {
    Steinberg::int32 sampleOffset;
    Steinberg::Vst::ParamValue value;
  };
  Steinberg::Vst::ParamID id_ = 0;
  Steinberg::int32 count_ = 0;
  std::vector<Point> points_;  // capacity maxPoints, size fixed
};

class ParameterChanges final : public Steinberg::Vst::IParameterChanges {
 public:
  static constexpr int kDefaultMaxParameters = 256;
  static constexpr int kDefaultMaxPointsPerParameter = 64;

  explicit ParameterChanges(int maxParameters = kDefaultMaxParameters,
                            int maxPointsPerParameter = kDefaultMaxPointsPerParameter);

  // Adds one point for `id`; false when the parameter or point capacity is exhausted.
  bool add(Steinberg::Vst::ParamID id, Steinberg::int32 sampleOffset, Steinberg::Vst::ParamValue value);
  // Empties every queue; the storage stays.
  void clear() { used_ = 0; }
  // The queue for `id`, or null when there is none.
  ParamValueQueue* find(Steinberg::Vst::ParamID id);

  Steinberg::int32 PLUGIN_API getParameterCount() override { return used_; }
  Steinberg::Vst::IParamValueQueue* PLUGIN_API getParameterData(Steinberg::int32 index) override;
  // Returns the existing queue for `id`, or a fresh one; null when all are in use.
  Steinberg::Vst::IParamValueQueue* PLUGIN_API addParameterData(const Steinberg::Vst::ParamID& id,
                                                                Steinberg::int32& index) override;

  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
  Steinberg::uint32 PLUGIN_API release() override { return 1; }

 private:
  std::vector<ParamValueQueue> queues_;  // size fixed at construction
  Steinberg::int32 used_ = 0;
};

}  // namespace vst3host
