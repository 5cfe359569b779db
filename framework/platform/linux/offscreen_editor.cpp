// OffscreenEditor: an EGL surfaceless OpenGL context (Mesa) rendering into
// our own framebuffer object, as the platform of an editor's IGraphics.
#include "framework/graphics/offscreen_editor.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "framework/plugin_base.h"

namespace iplug::igraphics {
namespace {

// The surfaceless display is one per process and stays initialised until the
// process ends: terminating it unloads Mesa's driver, and loading it again
// costs about 0.1 s for every editor a test or tool opens.
std::mutex gDisplayMutex;
EGLDisplay gDisplay = EGL_NO_DISPLAY;

EGLDisplay AcquireDisplay(std::string* error) {
  std::lock_guard<std::mutex> lock(gDisplayMutex);
  if (gDisplay != EGL_NO_DISPLAY) return gDisplay;
  // Pixels must not depend on the machine's GPU: Mesa's software rasteriser
  // (llvmpipe) is forced unless the environment already says otherwise.
  setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
  const char* extensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  if (!extensions || !std::strstr(extensions, "EGL_MESA_platform_surfaceless")) {
    *error = "EGL has no surfaceless platform (EGL_MESA_platform_surfaceless)";
    return EGL_NO_DISPLAY;
  }
  EGLDisplay display = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
    *error = "cannot initialise the EGL surfaceless display";
    return EGL_NO_DISPLAY;
  }
  gDisplay = display;
  return display;
}

// Framebuffer-object entry points (GL 3.0 / ARB_framebuffer_object).
struct FramebufferApi {
  PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
  PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
  PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
  PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
  PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
  PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
  PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;

  template <class Fn>
  static bool Load(Fn& fn, const char* name) {
    fn = reinterpret_cast<Fn>(eglGetProcAddress(name));
    return fn != nullptr;
  }
  bool LoadAll() {
    return Load(genFramebuffers, "glGenFramebuffers") && Load(deleteFramebuffers, "glDeleteFramebuffers") &&
           Load(bindFramebuffer, "glBindFramebuffer") &&
           Load(framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
           Load(checkFramebufferStatus, "glCheckFramebufferStatus") && Load(genRenderbuffers, "glGenRenderbuffers") &&
           Load(deleteRenderbuffers, "glDeleteRenderbuffers") && Load(bindRenderbuffer, "glBindRenderbuffer") &&
           Load(renderbufferStorage, "glRenderbufferStorage");
  }
};

} // namespace

// The GL context and framebuffer; the platform of the editor's IGraphics.
struct OffscreenEditor::Context : IGraphicsPlatform {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext context = EGL_NO_CONTEXT;
  FramebufferApi gl;
  GLuint fbo = 0, colour = 0, depthStencil = 0;
  int width = 0, height = 0;
  std::vector<std::string> urls;
  bool heldL = false, heldR = false;           // buttons pressed through injected input

  ~Context() override {
    if (context != EGL_NO_CONTEXT) {
      if (MakeCurrent()) DeleteFramebuffer();
      eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
      eglDestroyContext(display, context);
    }
  }

  bool Open(std::string* error) {
    display = AcquireDisplay(error);
    if (display == EGL_NO_DISPLAY) return false;
    if (!eglBindAPI(EGL_OPENGL_API)) {
      *error = "EGL cannot bind desktop OpenGL";
      return false;
    }
    const EGLint configAttribs[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttribs, &config, 1, &count) || count < 1) config = nullptr;
    context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT) {
      *error = "cannot create an EGL OpenGL context";
      return false;
    }
    if (!MakeCurrent()) {
      *error = "cannot make the EGL context current without a surface";
      return false;
    }
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (!renderer || !std::strstr(renderer, "llvmpipe")) {
      *error = std::string("the OpenGL renderer is not llvmpipe but ") + (renderer ? renderer : "unknown") +
               " (is LIBGL_ALWAYS_SOFTWARE overridden?)";
      return false;
    }
    if (!gl.LoadAll()) {
      *error = "OpenGL has no framebuffer objects";
      return false;
    }
    return true;
  }

  bool MakeCurrent() override {
    if (eglGetCurrentContext() != context &&
        !eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context))
      return false;
    if (fbo) gl.bindFramebuffer(GL_FRAMEBUFFER, fbo);
    return true;
  }

  void Present() override {}

  void RequestResize(int w, int h) override { ResizeFramebuffer(w, h); }

  bool OpenURL(const char* url) override {
    urls.emplace_back(url ? url : "");
    return true;
  }

  void DeleteFramebuffer() {
    if (fbo) gl.deleteFramebuffers(1, &fbo);
    if (colour) gl.deleteRenderbuffers(1, &colour);
    if (depthStencil) gl.deleteRenderbuffers(1, &depthStencil);
    fbo = colour = depthStencil = 0;
  }

  // RGBA8 colour and 24/8 depth-stencil of w x h pixels; the stencil is what
  // NanoVG fills and strokes with.
  bool ResizeFramebuffer(int w, int h) {
    if (w == width && h == height && fbo) return true;
    if (!MakeCurrent()) return false;
    DeleteFramebuffer();
    width = w;
    height = h;
    gl.genFramebuffers(1, &fbo);
    gl.genRenderbuffers(1, &colour);
    gl.genRenderbuffers(1, &depthStencil);
    gl.bindRenderbuffer(GL_RENDERBUFFER, colour);
    gl.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
    gl.bindRenderbuffer(GL_RENDERBUFFER, depthStencil);
    gl.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, w, h);
    gl.bindFramebuffer(GL_FRAMEBUFFER, fbo);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthStencil);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depthStencil);
    return gl.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  }

  // Adds the held button to injected input that names none.
  IMouseMod WithHeld(IMouseMod mod) const {
    if (!mod.L && !mod.R) {
      mod.L = heldL;
      mod.R = heldR;
    }
    return mod;
  }
};

std::unique_ptr<OffscreenEditor> OffscreenEditor::Open(IPlugAPIBase& delegate, std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  if (!delegate.mMakeGraphicsFunc) {
    *error = "the plug-in has no editor (no graphics-creation hook)";
    return nullptr;
  }
  std::unique_ptr<OffscreenEditor> editor(new OffscreenEditor());
  editor->mContext = std::make_unique<Context>();
  if (!editor->mContext->Open(error)) return nullptr;
  IGraphics* graphics = delegate.mMakeGraphicsFunc();
  if (!graphics) {
    *error = "the graphics-creation hook made no graphics context";
    return nullptr;
  }
  editor->mGraphics.reset(graphics);
  graphics->SetPlatform(editor->mContext.get());
  // A reopened editor comes back at the size it was left at.
  const int w = delegate.GetEditorWidth(), h = delegate.GetEditorHeight();
  if (w > 0 && h > 0) graphics->Resize(w, h);
  if (!editor->mContext->ResizeFramebuffer(graphics->Width(), graphics->Height())) {
    *error = "cannot create the framebuffer object";
    return nullptr;
  }
  if (delegate.mLayoutFunc) delegate.mLayoutFunc(graphics);
  return editor;
}

OffscreenEditor::~OffscreenEditor() {
  if (mGraphics) {
    if (mContext && mContext->MakeCurrent()) mGraphics->ReleaseGraphicsResources();
    mGraphics.reset();
  }
  mContext.reset();
}

void OffscreenEditor::Resize(int width, int height) {
  mGraphics->Resize(width, height);
  mContext->ResizeFramebuffer(mGraphics->Width(), mGraphics->Height());
}

void OffscreenEditor::DrawFrame(bool finish) {
  mContext->ResizeFramebuffer(mGraphics->Width(), mGraphics->Height());
  mGraphics->Draw();
  if (finish) Finish();
}

void OffscreenEditor::Finish() {
  if (mContext->MakeCurrent()) glFinish();
}

Image OffscreenEditor::ReadPixels() const {
  Image image;
  if (!mContext->MakeCurrent()) return image;
  const int w = mContext->width, h = mContext->height;
  std::vector<uint8_t> raw(static_cast<std::size_t>(w) * h * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, raw.data());
  image.width = w;
  image.height = h;
  image.rgba.resize(raw.size());
  const std::size_t rowBytes = static_cast<std::size_t>(w) * 4;
  for (int y = 0; y < h; ++y) {
    // GL's rows run bottom-up; the framebuffer holds premultiplied alpha.
    const uint8_t* src = raw.data() + rowBytes * static_cast<std::size_t>(h - 1 - y);
    uint8_t* dst = image.rgba.data() + rowBytes * static_cast<std::size_t>(y);
    for (int x = 0; x < w; ++x, src += 4, dst += 4) {
      const unsigned a = src[3];
      for (int c = 0; c < 3; ++c)
        dst[c] = a == 0 ? 0 : static_cast<uint8_t>(std::min(255u, (src[c] * 255u + a / 2) / a));
      dst[3] = static_cast<uint8_t>(a);
    }
  }
  return image;
}

void OffscreenEditor::MouseMove(float x, float y, const IMouseMod& mod) {
  mGraphics->OnMouseMove(x, y, mContext->WithHeld(mod));
}

void OffscreenEditor::MouseDown(float x, float y, const IMouseMod& mod) {
  IMouseMod m = mod;
  if (!m.L && !m.R) m.L = true;
  mContext->heldL = m.L;
  mContext->heldR = m.R;
  mGraphics->OnMouseDown(x, y, m);
}

void OffscreenEditor::MouseUp(float x, float y, const IMouseMod& mod) {
  const IMouseMod m = mContext->WithHeld(mod);
  mContext->heldL = mContext->heldR = false;
  mGraphics->OnMouseUp(x, y, m);
}

void OffscreenEditor::MouseDoubleClick(float x, float y, const IMouseMod& mod) {
  IMouseMod m = mod;
  if (!m.L && !m.R) m.L = true;
  mContext->heldL = m.L;
  mContext->heldR = m.R;
  mGraphics->OnMouseDblClick(x, y, m);
}

void OffscreenEditor::MouseWheel(float x, float y, float notches, const IMouseMod& mod) {
  mGraphics->OnMouseWheel(x, y, mod, notches);
}

void OffscreenEditor::MouseLeave() { mGraphics->OnMouseOut(); }

void OffscreenEditor::KeyDown(int virtualKey) { mGraphics->OnKeyDown(virtualKey); }

const std::vector<std::string>& OffscreenEditor::OpenedUrls() const { return mContext->urls; }

} // namespace iplug::igraphics
