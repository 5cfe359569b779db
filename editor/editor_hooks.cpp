#include "editor/editor_hooks.h"

#include "editor/varnock_view.h"
#include "framework/graphics/graphics.h"
#include "framework/plugin_base.h"

namespace varnock {

using namespace iplug::igraphics;

void installEditorHooks(iplug::IPlugAPIBase& plugin, SpectralEngine& engine) {
  plugin.mMakeGraphicsFunc = [&plugin]() -> IGraphics* {
    return MakeGraphics(plugin, kEditorWidth, kEditorHeight, kEditorFps, 1.f);
  };
  plugin.mLayoutFunc = [&plugin, &engine](IGraphics* g) {
    const IRECT bounds(0.f, 0.f, static_cast<float>(g->Width()), static_cast<float>(g->Height()));
    if (g->NControls() == 0) {
      g->LoadFont("Arial", "Arial", ETextStyle::Normal);
      g->LoadFont("Arial-Bold", "Arial", ETextStyle::Bold);
      g->SetLayoutOnResize(true);
      g->AttachControl(new VarnockView(bounds, engine, plugin), -1, "");
      const IColor black(255, 0, 0, 0);
      g->AttachCornerResizer(EUIResizerMode::Size, true, IColor(10, 0, 0, 0), black, black, 20.f);
      return;
    }
    // The view was attached first; the next frame lays out for the new size.
    IControl* view = g->GetControl(0);
    view->SetTargetAndDrawRECTs(bounds);
    view->OnResize();
  };
}

} // namespace varnock
