#include "harness/editor_harness.h"

#include <algorithm>

#include "editor/varnock_view.h"
#include "plugin/varnock.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"

namespace varnock {

using namespace Steinberg;
using iplug::igraphics::IMouseMod;

namespace {
IMouseMod pressed(IMouseMod mod) {
  mod.L = true;
  return mod;
}
} // namespace

IMouseMod withShift() {
  IMouseMod mod;
  mod.S = true;
  return mod;
}

IMouseMod withCtrl() {
  IMouseMod mod;
  mod.C = true;
  return mod;
}

EditorHarness::EditorHarness()
    : mPlugin(new Varnock()), mContext(new vst3host::HostContext()),
      mHandler(new vst3host::RecordingComponentHandler()) {
  mPlugin->initialize(mContext);
  mPlugin->setComponentHandler(mHandler);
}

EditorHarness::~EditorHarness() {
  close();
  if (mProcessing) {
    mPlugin->setProcessing(false);
    mPlugin->setActive(false);
  }
  mPlugin->setComponentHandler(nullptr);
  mPlugin->terminate();
  mPlugin->release();
  mHandler->release();
  mContext->release();
}

SpectralEngine& EditorHarness::engine() { return mPlugin->engine(); }
EditorState& EditorHarness::editorState() { return mPlugin->editorState(); }

void EditorHarness::setParam(int paramIndex, double plainValue) {
  iplug::IParam* param = mPlugin->GetParam(paramIndex);
  if (param == nullptr) return;
  param->Set(plainValue);
  mPlugin->OnParamChange(paramIndex);
}

bool EditorHarness::setParamByName(const std::string& name, double plainValue) {
  for (int i = 0; i < mPlugin->NParams(); ++i) {
    if (name == mPlugin->GetParam(i)->GetName()) {
      setParam(i, plainValue);
      return true;
    }
  }
  return false;
}

double EditorHarness::param(int paramIndex) const { return mPlugin->GetParam(paramIndex)->Value(); }

int EditorHarness::gestureCount(int paramIndex) const {
  using Kind = vst3host::HandlerEvent::Kind;
  const std::vector<vst3host::HandlerEvent> all = mHandler->events();
  int count = 0;
  for (size_t i = 0; i + 2 < all.size(); ++i) {
    const bool gesture = all[i].kind == Kind::BeginEdit && all[i + 1].kind == Kind::PerformEdit &&
                         all[i + 2].kind == Kind::EndEdit && all[i].id == all[i + 1].id && all[i].id == all[i + 2].id;
    if (gesture && (paramIndex < 0 || static_cast<int>(all[i].id) == paramIndex)) ++count;
  }
  return count;
}

bool EditorHarness::startProcessing(double sampleRate, int maxBlockFrames) {
  Vst::ProcessSetup setup{Vst::kRealtime, Vst::kSample32, maxBlockFrames, sampleRate};
  if (mPlugin->setupProcessing(setup) != kResultOk) return false;
  mPlugin->activateBus(Vst::kAudio, Vst::kInput, 0, true);
  mPlugin->activateBus(Vst::kAudio, Vst::kOutput, 0, true);
  if (mPlugin->setActive(true) != kResultOk) return false;
  mBuffers.setup({2}, {2}, maxBlockFrames, Vst::kSample32);
  mMaxBlockFrames = maxBlockFrames;
  mProcessing = mPlugin->setProcessing(true) == kResultOk;
  return mProcessing;
}

void EditorHarness::process(const float* left, const float* right, int frames) {
  for (int offset = 0; offset < frames; offset += mMaxBlockFrames) {
    const int n = std::min(mMaxBlockFrames, frames - offset);
    const float* channels[2] = {left + offset, right + offset};
    mBuffers.writeInput(0, channels, n);
    Vst::ProcessData data;
    data.processMode = Vst::kRealtime;
    data.symbolicSampleSize = Vst::kSample32;
    data.numSamples = n;
    data.numInputs = 1;
    data.numOutputs = 1;
    data.inputs = mBuffers.inputs();
    data.outputs = mBuffers.outputs();
    mPlugin->process(data);
  }
}

bool EditorHarness::open(int width, int height, std::string* error) {
  std::string message;
  mEditor = iplug::igraphics::OffscreenEditor::Open(*mPlugin, &message);
  if (!mEditor) {
    if (error != nullptr) *error = message;
    return false;
  }
  if (width != mEditor->Graphics().Width() || height != mEditor->Graphics().Height()) mEditor->Resize(width, height);
  view().setClock([this]() { return mTime; });
  return true;
}

void EditorHarness::close() { mEditor.reset(); }

VarnockView& EditorHarness::view() {
  return *static_cast<VarnockView*>(mEditor->Graphics().GetControl(0));
}

void EditorHarness::nextFrame() {
  mTime += 1.0 / 30.0;
  frame();
}

void EditorHarness::move(double x, double y, const IMouseMod& mod) {
  mEditor->MouseMove(static_cast<float>(x), static_cast<float>(y), mod);
}

void EditorHarness::drag(double x, double y, const IMouseMod& mod) {
  mEditor->MouseMove(static_cast<float>(x), static_cast<float>(y), pressed(mod));
}

void EditorHarness::press(double x, double y, const IMouseMod& mod) {
  mEditor->MouseDown(static_cast<float>(x), static_cast<float>(y), pressed(mod));
}

void EditorHarness::release(double x, double y, const IMouseMod& mod) {
  mEditor->MouseUp(static_cast<float>(x), static_cast<float>(y), mod);
}

void EditorHarness::wheel(double x, double y, double notches, const IMouseMod& mod) {
  mEditor->MouseWheel(static_cast<float>(x), static_cast<float>(y), static_cast<float>(notches), mod);
}

void EditorHarness::click(double x, double y, const IMouseMod& mod) {
  press(x, y, mod);
  frame();
  release(x, y, mod);
  frame();
}

} // namespace varnock
