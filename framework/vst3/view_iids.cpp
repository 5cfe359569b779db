// The interface IDs of the editor view and its frame. The SDK sources in the
// build declare them but define them nowhere; a module that uses them needs
// exactly one definition, here.
#include "pluginterfaces/gui/iplugview.h"

namespace Steinberg {
DEF_CLASS_IID(IPlugView)
DEF_CLASS_IID(IPlugFrame)
} // namespace Steinberg
