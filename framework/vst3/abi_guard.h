#pragma once
// No C++ exception may cross into a host: the VST3 ABI is C-like, and a host
// built with another compiler (or none that knows our runtime) cannot catch
// one. Every entry point a host calls that can allocate or run plug-in code
// goes through Guarded(): the body's result comes back unchanged, a
// std::bad_alloc becomes kOutOfMemory and any other exception kInternalError
// (or the given fallback for entry points that do not return a tresult).
#include <new>

#include "pluginterfaces/base/funknown.h"

namespace iplug::vst3 {

template <class Body> Steinberg::tresult Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return Steinberg::kOutOfMemory;
  } catch (...) {
    return Steinberg::kInternalError;
  }
}

template <class Result, class Body> Result Guarded(Result fallback, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return fallback;
  }
}

} // namespace iplug::vst3
