#pragma once
// StrokeSegment: strokes the straight segment (x1, y1)-(x2, y2) with the
// context's current stroke paint, width, line cap, transform, scissor and
// composite operation, as nvgBeginPath, nvgMoveTo, nvgLineTo and nvgStroke
// would, but without NanoVG's path machinery (command buffer, flattening,
// joins): the segment's strip (a fade quad at each end around the body) is
// built directly and handed to the render back end. The current path is
// left as it is. Segments with round caps take the ordinary path functions
// (which clear the current path). A segment shorter than NanoVG's point
// tolerance draws nothing, as in NanoVG.
//
// Thread: the NanoVG context's. Implemented next to NanoVG itself
// (nanovg_backend.cpp), whose internals it uses.
struct NVGcontext;

namespace iplug::igraphics {

void StrokeSegment(NVGcontext* ctx, float x1, float y1, float x2, float y2);

} // namespace iplug::igraphics
