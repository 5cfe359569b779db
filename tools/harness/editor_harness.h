#pragma once
// EditorHarness: a Varnock instance hosted in-process the way a VST3 host
// drives it (initialize with a host context, a recording component handler,
// setupProcessing / setActive / setProcessing / process on the object's own
// interfaces), with its editor opened offscreen. Time and input are injected:
// the view's clock reads the harness time, and mouse events go through the
// graphics context exactly as a window delivers them. Used by the editor
// tests and by the varnock-snapshot tool. One thread.
#include <memory>
#include <string>
#include <vector>

#include "framework/graphics/offscreen_editor.h"
#include "host/component_handler.h"
#include "host/host_context.h"
#include "host/process_buffers.h"

namespace varnock {

class Varnock;
class VarnockView;
struct SpectralEngine;
struct EditorState;

class EditorHarness {
public:
  EditorHarness();                             // constructs and initialises the plug-in
  ~EditorHarness();                            // closes the editor, stops processing, releases the plug-in
  EditorHarness(const EditorHarness&) = delete;
  EditorHarness& operator=(const EditorHarness&) = delete;

  Varnock& plugin() { return *mPlugin; }
  SpectralEngine& engine();
  EditorState& editorState();

  // ---- Parameters, as the host sets them (plain values; OnParamChange runs) ----
  void setParam(int paramIndex, double plainValue);
  // By parameter name ("Depth", "UI Size", ...); false when no parameter has that name.
  bool setParamByName(const std::string& name, double plainValue);
  double param(int paramIndex) const;

  // ---- Host-informing edits seen by the component handler ----
  std::vector<vst3host::HandlerEvent> events() const { return mHandler->events(); }
  void clearEvents() { mHandler->clear(); }
  // Complete begin/perform/end gestures recorded so far for parameter id (-1: any).
  int gestureCount(int paramIndex = -1) const;

  // ---- Audio (stereo float blocks through IAudioProcessor::process) ----
  bool startProcessing(double sampleRate, int maxBlockFrames);
  // Processes `frames` frames (any count; split into maxBlockFrames pieces).
  void process(const float* left, const float* right, int frames);

  // ---- Editor ----
  // Opens the editor offscreen (760 x 416 first, then resized to the size if
  // it differs); false and *error when no offscreen GL context is available.
  bool open(int width = 760, int height = 416, std::string* error = nullptr);
  void close();
  bool isOpen() const { return mEditor != nullptr; }
  iplug::igraphics::OffscreenEditor& editor() { return *mEditor; }
  VarnockView& view();
  void resize(int width, int height) { mEditor->Resize(width, height); }

  // Time seen by the view's clock, seconds.
  void setTime(double seconds) { mTime = seconds; }
  double time() const { return mTime; }
  // Draws one frame at the current time (and advances nothing).
  void frame() { mEditor->DrawFrame(); }
  // Advances the time by 1/30 s and draws a frame.
  void nextFrame();
  iplug::igraphics::Image image() const { return mEditor->ReadPixels(); }

  // ---- Input (editor pixels) ----
  void move(double x, double y, const iplug::igraphics::IMouseMod& mod = {});
  // A move with the left button held (delivered as a drag to the pressed control).
  void drag(double x, double y, const iplug::igraphics::IMouseMod& mod = {});
  void press(double x, double y, const iplug::igraphics::IMouseMod& mod = {});
  void release(double x, double y, const iplug::igraphics::IMouseMod& mod = {});
  void wheel(double x, double y, double notches, const iplug::igraphics::IMouseMod& mod = {});
  void leave() { mEditor->MouseLeave(); }
  // press, frame, release, frame at the current time.
  void click(double x, double y, const iplug::igraphics::IMouseMod& mod = {});

private:
  Varnock* mPlugin = nullptr;                  // one reference, released by the destructor
  vst3host::HostContext* mContext = nullptr;
  vst3host::RecordingComponentHandler* mHandler = nullptr;
  std::unique_ptr<iplug::igraphics::OffscreenEditor> mEditor;
  vst3host::ProcessBuffers mBuffers;
  int mMaxBlockFrames = 0;
  bool mProcessing = false;
  double mTime = 0.0;
};

// Modifier sets for the input calls.
iplug::igraphics::IMouseMod withShift();
iplug::igraphics::IMouseMod withCtrl();

} // namespace varnock
