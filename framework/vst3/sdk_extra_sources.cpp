// Two SDK sources the shared vst3sdk library leaves out but every user of
// EditController needs: the lock behind FObject's update handler, and the
// CPluginView base of the SDK's EditorView. Compiled into the framework so
// the module links with no undefined symbols.
#include "base/thread/source/flock.cpp"
#include "public.sdk/source/common/pluginview.cpp"
