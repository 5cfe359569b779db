// What the VST3 SDK subset leaves undefined but every user of its edit
// controller and editor-view classes needs: the lock behind FObject's update
// handler, the CPluginView base class, and the interface IDs of the editor
// view and its frame (declared by the SDK, defined nowhere in this subset).
// Compiled into the vst3sdk library, so it links on its own.
#include "base/thread/source/flock.cpp"
#include "public.sdk/source/common/pluginview.cpp"

namespace Steinberg {
DEF_CLASS_IID(IPlugView)
DEF_CLASS_IID(IPlugFrame)
} // namespace Steinberg
