#pragma once
// IPlugAPIBase: what a plug-in class derives from, independent of the plug-in
// format. It holds the configuration record and the parameters, and offers the
// processing hooks and the editor delegate. A format wrapper (IPlugVST3)
// derives from it and translates host calls into these hooks.
//
// Lifecycle: construct (parameters created, hooks installed) -> the host sets
// up processing (sample rate, maximum block size): OnReset() -> ProcessBlock()
// per host call -> the host stops processing: OnReset() -> destroy.
//
// Threads: ProcessBlock() and OnReset() run on the thread the host processes
// on (the audio thread); they must not allocate, lock or log. OnParamChange()
// runs on whichever thread delivers the change. The editor delegate (the
// graphics hooks and the *FromUI calls) runs on the host's UI thread.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "framework/param.h"

namespace iplug {

namespace igraphics { class IGraphics; }

// What the framework needs to know of a plug-in, handed over by the
// plug-in's constructor. (The plug-in's identity reaches hosts through the
// factory's class information, framework/vst3/factory.h.)
struct Config {
  int nParams = 0;
  const char* channelIOStr = "2-2";            // "inputs-outputs" of the main busses
  int latency = 0;                             // samples, until the plug-in reports another
  // Largest latency the plug-in will ever report, in samples (0: `latency`).
  // The format wrapper sizes its bypass delay for it when the instance is
  // created, so a later latency report never allocates on the audio thread.
  int maxLatency = 0;
  bool plugHasUI = false;                      // the plug-in offers an editor view
  int plugWidth = 0;                           // editor size in pixels
  int plugHeight = 0;
  bool plugHostResize = false;                 // the host may resize the editor
};

// Builds a four-character code: MakeFourCC('V','r','n','k').
constexpr int MakeFourCC(char a, char b, char c, char d) {
  return static_cast<int>((static_cast<uint32_t>(static_cast<unsigned char>(a)) << 24) |
                          (static_cast<uint32_t>(static_cast<unsigned char>(b)) << 16) |
                          (static_cast<uint32_t>(static_cast<unsigned char>(c)) << 8) |
                          static_cast<uint32_t>(static_cast<unsigned char>(d)));
}

class IPlugAPIBase {
public:
  explicit IPlugAPIBase(const Config& config);
  virtual ~IPlugAPIBase();
  IPlugAPIBase(const IPlugAPIBase&) = delete;
  IPlugAPIBase& operator=(const IPlugAPIBase&) = delete;

  const Config& GetConfig() const { return mConfig; }
  // Channel counts of the main busses, parsed from Config::channelIOStr ("2-2").
  int NInChannels() const { return mNInChannels; }
  int NOutChannels() const { return mNOutChannels; }

  // ---- Parameters (created in the constructor, fixed afterwards) ----
  int NParams() const { return static_cast<int>(mParams.size()); }
  IParam* GetParam(int paramIdx);              // nullptr when out of range
  const IParam* GetParam(int paramIdx) const;

  // ---- Hooks a plug-in overrides ----
  // Audio thread. inputs/outputs hold the main busses' channels, nFrames each.
  // The default copies inputs to outputs.
  virtual void ProcessBlock(double** inputs, double** outputs, int nFrames);
  // Audio thread: processing was set up or stopped.
  virtual void OnReset() {}
  // Any thread: parameter paramIdx has a new value.
  virtual void OnParamChange(int paramIdx) { (void)paramIdx; }

  // ---- Processing context ----
  // Host sample rate in Hz and maximum block size in frames; 48000 and 1024
  // until the host sets up processing.
  double GetSampleRate() const { return mSampleRate; }
  int GetBlockSize() const { return mBlockSize; }
  int GetLatency() const { return mLatency.load(std::memory_order_relaxed); }
  // Reports a new latency in samples; the format wrapper tells the host.
  // Called from OnReset() or ProcessBlock(), on their thread.
  void SetLatency(int samples);

  // ---- Editor delegate (UI thread) ----
  // Creates the editor's graphics context; the framework owns the result.
  std::function<igraphics::IGraphics*()> mMakeGraphicsFunc;
  // Fills the graphics context with controls; called after creation (the
  // context has no controls yet) and again after every resize.
  std::function<void(igraphics::IGraphics*)> mLayoutFunc;

  // Editor size limits in pixels; until set, the configured size is the only one.
  void SetSizeConstraints(int widthLo, int widthHi, int heightLo, int heightHi);
  int GetMinWidth() const { return mMinWidth; }
  int GetMaxWidth() const { return mMaxWidth; }
  int GetMinHeight() const { return mMinHeight; }
  int GetMaxHeight() const { return mMaxHeight; }
  // Clamps a proposed editor size to the constraints, width first, then height.
  void ConstrainEditorSize(int& width, int& height) const;
  // Current editor size (initially plugWidth x plugHeight); the view updates it.
  int GetEditorWidth() const { return mEditorWidth; }
  int GetEditorHeight() const { return mEditorHeight; }
  void SetEditorSize(int width, int height) { mEditorWidth = width; mEditorHeight = height; }

  // An edit made in the editor: begin, send (stores the value, calls
  // OnParamChange, informs the host), end. Host-visible as one gesture.
  void BeginInformHostOfParamChangeFromUI(int paramIdx);
  void SendParameterValueFromUI(int paramIdx, double normalizedValue);
  void EndInformHostOfParamChangeFromUI(int paramIdx);

protected:
  // ---- Implemented by the format wrapper ----
  virtual void InformHostOfLatencyChange(int latency) { (void)latency; }
  virtual void BeginInformHostOfParamChange(int paramIdx) { (void)paramIdx; }
  virtual void InformHostOfParamChange(int paramIdx, double normalizedValue) { (void)paramIdx; (void)normalizedValue; }
  virtual void EndInformHostOfParamChange(int paramIdx) { (void)paramIdx; }

  // Set by the format wrapper when the host sets up processing.
  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
  void SetBlockSize(int blockSize) { mBlockSize = blockSize; }

private:
  Config mConfig;
  int mNInChannels = 0, mNOutChannels = 0;
  std::vector<std::unique_ptr<IParam>> mParams;
  double mSampleRate = 0.0;
  int mBlockSize = 0;
  std::atomic<int> mLatency{0};                // written by the audio thread, read by the host's UI thread
  int mMinWidth = 0, mMaxWidth = 0, mMinHeight = 0, mMaxHeight = 0;
  int mEditorWidth = 0, mEditorHeight = 0;
};

} // namespace iplug
