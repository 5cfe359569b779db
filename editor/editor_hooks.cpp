#include "editor/editor_hooks.h"

#include "editor/varnock_view.h"
#include "framework/editor_factory.h"
#include "framework/graphics/graphics.h"
#include "plugin/varnock.h"

namespace iplug {

using namespace igraphics;

void InstallEditor(IPlugAPIBase& delegate) {
  auto* plugin = dynamic_cast<varnock::Varnock*>(&delegate);
  if (plugin == nullptr) return;
  // The hooks capture the plug-in object, which outlives every editor it opens.
  plugin->mMakeGraphicsFunc = [plugin]() -> IGraphics* {
    return MakeGraphics(*plugin, varnock::kEditorWidth, varnock::kEditorHeight, varnock::kEditorFps, 1.f);
  };
  plugin->mLayoutFunc = [plugin](IGraphics* g) {
    const IRECT bounds(0.f, 0.f, static_cast<float>(g->Width()), static_cast<float>(g->Height()));
    if (g->NControls() == 0) {
      g->LoadFont("Arial", "Arial", ETextStyle::Normal);
      g->LoadFont("Arial-Bold", "Arial", ETextStyle::Bold);
      g->SetLayoutOnResize(true);
      g->AttachControl(new varnock::VarnockView(bounds, plugin->engine(), plugin->editorState(), *plugin), -1, "");
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

} // namespace iplug
