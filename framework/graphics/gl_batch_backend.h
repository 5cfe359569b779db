#pragma once
// A NanoVG render back end for OpenGL 2.1 / GLSL 1.20 that batches draw calls.
//
// NanoVG's stock GL back end issues GL draws per sub-path with a uniform
// upload per call; a software rasteriser pays for every draw on the calling
// thread. This back end draws the same pixels with far fewer draws:
// - solid fills of one convex path (rectangles, circles, triangles) with their
//   anti-aliasing fringe, solid strokes (without the stencil pass: every
//   stroke blends once per covering triangle) and atlas text are turned into
//   indexed triangle lists whose vertices carry the colour and the coverage
//   slope, so consecutive calls with the same blend mode and texture append
//   to one batch, drawn with one glDrawElements at the next state change or
//   at the end of the frame;
// - fills that need the stencil (several sub-paths or a concave outline) end
//   the batch and take three draws for all their sub-paths together: the
//   non-zero winding count, the fringe outside it, and a cover quad;
// - gradient and image paints and scissored calls are drawn one per call
//   with their paint in uniforms, as the stock back end draws everything.
// Textures (the font atlas included) are handled as the stock GL2 back end
// handles them. Commands are recorded while the frame is built and sent to
// GL in nvgEndFrame, as the stock back end does; the frame's vertices and
// indices are uploaded once, into buffers that keep their storage.
//
// Thread: the thread on which the GL context used at creation is current.
// Owner: the caller; delete the context with DeleteBatchedNanoVG while that
// GL context is current.
struct NVGcontext;

namespace iplug::igraphics {

// A NanoVG context drawing into the current GL context; without antialias
// no anti-aliasing fringes are made. Null when the GL context cannot compile
// the programs.
NVGcontext* CreateBatchedNanoVG(bool antialias);
void DeleteBatchedNanoVG(NVGcontext* context);

// While from < to, every stroke of `context` is drawn once at each
// whole-pixel vertical offset from `from` to `to`, in that order; a straight
// segment's copies cost one quad (their coverages are composed in the
// shader). False, and nothing set, for a context of another back end. Set it
// back to (0, 0) after the strokes.
bool SetBatchedStrokeCopies(NVGcontext* context, int from, int to);

// What the last nvgEndFrame sent to GL.
struct BatchFrameStats {
  int drawCalls = 0;     // GL draw calls (each one glDrawElements)
  int vertices = 0;      // vertices uploaded
  int indices = 0;       // triangle indices uploaded (3 per triangle)
};
// The statistics of `context`'s last frame; zeros for a context of another back end.
BatchFrameStats LastBatchFrameStats(NVGcontext* context);

} // namespace iplug::igraphics
