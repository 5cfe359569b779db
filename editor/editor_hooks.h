#pragma once
// Varnock's editor hooks, installed by iplug::InstallEditor() (declared by
// the framework in framework/editor_factory.h, defined here): graphics
// creation (a NanoVG context of 760 x 416 at 30 frames per second, scale 1.0)
// and layout (fonts, the one VarnockView covering the window, the corner
// resize handle; on later calls only the view's rectangle follows the new
// size). UI thread.
namespace varnock {

constexpr int kEditorWidth = 760;
constexpr int kEditorHeight = 416;
constexpr int kEditorFps = 30;

} // namespace varnock
