#include "plugin/varnock.h"

#include "framework/editor_factory.h"
#include "plugin/param_table.h"
#include "plugin/params.h"

namespace varnock {

namespace {

iplug::Config makeConfig() {
  iplug::Config c;
  c.nParams = kNumParams;
  c.channelIOStr = "2-2";
  c.latency = 1024;                            // the default Resolution's FFT size
  c.maxLatency = SpectralEngine::kMaxFftSize;
  c.plugHasUI = true;
  c.plugWidth = 760;
  c.plugHeight = 416;
  c.plugHostResize = true;
  return c;
}

} // namespace

Varnock::Varnock() : IPlugVST3(makeConfig()) {
  mEngine.paramSnapshot = defaultEngineParams();
  initParams(*this);
  iplug::InstallEditor(*this);
  SetSizeConstraints(kMinEditorWidth, kMaxEditorWidth, kMinEditorHeight, kMaxEditorHeight);
}

void Varnock::OnParamChange(int) { paramsChanged.exchange(true); }

void Varnock::snapshotRead() {
  mEngine.paramSnapshot = makeEngineParams([this](ParamIndex index) { return GetParam(index)->Value(); });
}

void Varnock::reportLatencyIfChanged() {
  if (mEngine.fftSize == reportedLatency) return;
  reportedLatency = mEngine.fftSize;
  SetLatency(reportedLatency);
}

void Varnock::fullResetAtHostRate() {
  const double sampleRate = GetSampleRate();
  lastSampleRate = sampleRate;
  snapshotRead();
  fullReset(mEngine, sampleRate);
  paramsChanged.exchange(false);
  initialised = true;
  reportLatencyIfChanged();
}

void Varnock::OnReset() { fullResetAtHostRate(); }

void Varnock::ProcessBlock(double** inputs, double** outputs, int nFrames) {
  // An unordered comparison (a NaN rate) counts as a change.
  if (!initialised || !(GetSampleRate() == lastSampleRate)) fullResetAtHostRate();
  if (paramsChanged.exchange(false)) {
    snapshotRead();
    coefficientPass(mEngine);
  }
  reportLatencyIfChanged();
  if (nFrames > 0) processSamples(mEngine, inputs, outputs, nFrames);
}

} // namespace varnock
