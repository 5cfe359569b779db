#pragma once
// The plug-in's two editor hooks: graphics creation (a NanoVG context of
// 760 x 416 at 30 frames per second, scale 1.0) and layout (fonts, the one
// VarnockView covering the window, the corner resize handle; on later calls
// only the view's rectangle follows the new size). UI thread.
namespace iplug { class IPlugAPIBase; }

namespace varnock {

struct SpectralEngine;

constexpr int kEditorWidth = 760;
constexpr int kEditorHeight = 416;
constexpr int kEditorFps = 30;

// Sets plugin.mMakeGraphicsFunc and plugin.mLayoutFunc. Both capture the
// references, which must outlive every editor the plug-in opens (the plug-in
// object owns the engine).
void installEditorHooks(iplug::IPlugAPIBase& plugin, SpectralEngine& engine);

} // namespace varnock
