#pragma once
// What the fuzz targets share: the code under test hosted in-process and
// created once per fuzzing process, the parameter ranges a host is promised,
// and checks that stop the run with the broken invariant named.
//
// The instance is Varnock's parameter set (plugin/params.cpp) on the
// framework's VST3 wrapper: everything state restore and text parsing run
// through, built with clang's coverage instrumentation. The spectral engine
// is left out (its vector code is GCC's), so audio passes through unchanged.
#include <memory>

#include "host/hosted_plugin.h"

namespace fuzzhost {

constexpr int kParams = 18;

// The instance every input is fed to; created on first use.
vst3host::HostedPlugin& plugin();

// Aborts (so the fuzzer keeps the input) when a parameter's plain value is
// not finite, outside its range or, for a list parameter, not whole.
void checkParameterRanges(vst3host::HostedPlugin& plugin);

// Aborts with `what` when `condition` is false.
void require(bool condition, const char* what);

}  // namespace fuzzhost
