// The editor view's window on Windows: a child window of the host's "HWND"
// with a WGL context (double buffered, 24-bit colour, 8 stencil bits). It is
// the IGraphicsPlatform of the view's graphics context:
// - frames: a Win32 timer at the graphics' frame rate draws when anything is
//   dirty, WM_PAINT draws always; the GL context is current only while a
//   frame is drawn, and whoever had a context before gets it back, so a host
//   that draws with GL itself is not disturbed; buffers swap without waiting
//   for the vertical blank where WGL_EXT_swap_control allows it;
// - input: buttons (captured while held), double clicks (CS_DBLCLKS), the
//   wheel, Shift/Ctrl/Alt, the pointer leaving (TrackMouseEvent), Escape
//   (the window takes the keyboard focus when clicked; keys it does not use
//   go on to the host's window);
// - popup menus: the system's own (TrackPopupMenuEx), opened from the
//   message loop after the frame that asked for one;
// - the window class is registered with the module's HINSTANCE under a name
//   unique to that module, and unregistered when its last window goes.
#include <windows.h>
#include <windowsx.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "framework/platform/windows/wide_text.h"
#include "framework/graphics/gl_api.h"
#include "framework/vst3/module.h"
#include "framework/vst3/view_window.h"

namespace iplug::vst3 {
namespace {

using iplug::windows::Widen;

using igraphics::IGraphics;
using igraphics::IMouseMod;
using igraphics::IPopupMenu;
using igraphics::IRECT;

constexpr UINT_PTR kFrameTimer = 1;
// Posted by ShowPopupMenu(): the menu opens once the frame that asked for it is done.
constexpr UINT kShowMenuMessage = WM_APP + 1;

using SwapIntervalProc = BOOL(WINAPI*)(int);
using ExtensionsStringExtProc = const char*(WINAPI*)();
using ExtensionsStringArbProc = const char*(WINAPI*)(HDC);

// A WGL extension function of the current context (through void(*)(), the
// one cast between function pointer types that is not warned about).
template <class Proc> Proc WglFunction(const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(wglGetProcAddress(name)));
}

bool HasExtension(const char* list, const char* name) {
  if (!list) return false;
  const std::size_t n = std::strlen(name);
  for (const char* p = std::strstr(list, name); p; p = std::strstr(p + 1, name))
    if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0')) return true;
  return false;
}

// A menu entry's text: '&' would mark a mnemonic, so it is doubled.
std::wstring MenuText(const char* utf8) {
  std::wstring text;
  for (wchar_t c : Widen(utf8)) {
    text += c;
    if (c == L'&') text += L'&';
  }
  return text;
}

// The window class, one per loaded module, shared by its windows.
class WindowClass {
public:
  // Registers the class with the first window; its name, or nullptr on failure.
  static const wchar_t* Acquire(WNDPROC proc) {
    std::lock_guard<std::mutex> lock(sMutex);
    if (sUsers == 0) {
      const auto instance = static_cast<HINSTANCE>(ModuleBaseAddress());
      sName = L"IPlugViewWindow-" + std::to_wstring(reinterpret_cast<std::uintptr_t>(instance));
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof wc;
      wc.style = CS_DBLCLKS | CS_OWNDC;
      wc.lpfnWndProc = proc;
      wc.hInstance = instance;
      wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
      wc.lpszClassName = sName.c_str();
      if (!RegisterClassExW(&wc)) return nullptr;
    }
    ++sUsers;
    return sName.c_str();
  }
  static void Release() {
    std::lock_guard<std::mutex> lock(sMutex);
    if (sUsers > 0 && --sUsers == 0)
      UnregisterClassW(sName.c_str(), static_cast<HINSTANCE>(ModuleBaseAddress()));
  }

private:
  static inline std::mutex sMutex;
  static inline int sUsers = 0;
  static inline std::wstring sName;
};

IMouseMod ModFromKeys(WPARAM keys) {
  IMouseMod mod;
  mod.L = (keys & MK_LBUTTON) != 0;
  mod.R = (keys & MK_RBUTTON) != 0;
  mod.S = (keys & MK_SHIFT) != 0;
  mod.C = (keys & MK_CONTROL) != 0;
  mod.A = GetKeyState(VK_MENU) < 0;
  return mod;
}

class Win32ViewWindow final : public ViewWindow {
public:
  static std::unique_ptr<Win32ViewWindow> Create(HWND parent, IGraphics& graphics, int width, int height,
                                                 std::function<void(int, int)> onResizeRequest);
  ~Win32ViewWindow() override;
  Win32ViewWindow(const Win32ViewWindow&) = delete;
  Win32ViewWindow& operator=(const Win32ViewWindow&) = delete;

  void Resize(int width, int height) override;
  int Width() const override { return mWidth; }
  int Height() const override { return mHeight; }
  bool MakeCurrent() override;
  void Present() override;
  void RequestResize(int width, int height) override;
  bool ShowPopupMenu(const IPopupMenu& menu, const IRECT& anchor, std::function<void(int)> done) override;

private:
  struct PendingMenu {
    const IPopupMenu* menu;
    IRECT anchor;
    std::function<void(int)> done;
  };

  Win32ViewWindow(IGraphics& graphics, std::function<void(int, int)> onResizeRequest)
      : mGraphics(graphics), mOnResizeRequest(std::move(onResizeRequest)) {}
  bool CreateContext();
  void RestorePreviousContext();
  void Redraw();
  void ButtonDown(int button, bool doubleClick, WPARAM keys, LPARAM position);
  void ButtonUp(int button, WPARAM keys, LPARAM position);
  void PointerLeftWhileIdle();
  void OpenPendingMenu();
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  IGraphics& mGraphics;
  std::function<void(int, int)> mOnResizeRequest;
  HWND mWindow = nullptr;                      // null once destroyed (by us or with the host's window)
  HDC mDC = nullptr;                           // the window's own DC (CS_OWNDC)
  HGLRC mContext = nullptr;
  bool mClassAcquired = false;
  // The context current before MakeCurrent(), made current again after the frame.
  HDC mPrevDC = nullptr;
  HGLRC mPrevContext = nullptr;
  int mWidth = 0, mHeight = 0;
  unsigned mButtons = 0;                       // MK_LBUTTON | MK_RBUTTON pressed in this window
  bool mTrackingLeave = false;
  bool mDrawing = false;
  std::optional<PendingMenu> mPendingMenu;
  bool mInMenu = false;
  // Cleared when the window object goes, which may happen inside a menu's modal loop.
  std::shared_ptr<bool> mAlive = std::make_shared<bool>(true);
};

std::unique_ptr<Win32ViewWindow> Win32ViewWindow::Create(HWND parent, IGraphics& graphics, int width, int height,
                                                         std::function<void(int, int)> onResizeRequest) {
  std::unique_ptr<Win32ViewWindow> window(new Win32ViewWindow(graphics, std::move(onResizeRequest)));
  const wchar_t* className = WindowClass::Acquire(&WindowProc);
  if (!className) return nullptr;
  window->mClassAcquired = true;
  window->mWidth = width;
  window->mHeight = height;
  CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, width, height,
                  parent, nullptr, static_cast<HINSTANCE>(ModuleBaseAddress()), window.get());
  if (!window->mWindow) return nullptr;        // WM_NCCREATE stored it
  window->mDC = GetDC(window->mWindow);
  if (!window->mDC || !window->CreateContext()) return nullptr;
  const int fps = graphics.FPS() > 0 ? graphics.FPS() : 30;
  if (!SetTimer(window->mWindow, kFrameTimer, static_cast<UINT>(1000 / fps), nullptr)) return nullptr;
  return window;
}

bool Win32ViewWindow::CreateContext() {
  PIXELFORMATDESCRIPTOR wanted{};
  wanted.nSize = sizeof wanted;
  wanted.nVersion = 1;
  wanted.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  wanted.iPixelType = PFD_TYPE_RGBA;
  wanted.cColorBits = 24;
  wanted.cStencilBits = 8;
  wanted.iLayerType = PFD_MAIN_PLANE;
  const int format = ChoosePixelFormat(mDC, &wanted);
  PIXELFORMATDESCRIPTOR got{};
  if (format == 0 || !DescribePixelFormat(mDC, format, sizeof got, &got)) return false;
  const DWORD needed = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  if ((got.dwFlags & needed) != needed || got.cStencilBits < 8 || got.cColorBits < 24) return false;
  if (!SetPixelFormat(mDC, format, &got)) return false;
  mContext = wglCreateContext(mDC);
  if (!mContext || !MakeCurrent()) return false;
  // Functions beyond OpenGL 1.1 come from the context; without them nothing can be drawn.
  const bool loaded = igraphics::LoadGLFunctions();
  if (loaded) {
    // No waiting for the vertical blank: a swap must never block the host's UI thread.
    const char* extensions = nullptr;
    if (auto ext = WglFunction<ExtensionsStringExtProc>("wglGetExtensionsStringEXT"))
      extensions = ext();
    if (!HasExtension(extensions, "WGL_EXT_swap_control"))
      if (auto arb = WglFunction<ExtensionsStringArbProc>("wglGetExtensionsStringARB"))
        extensions = arb(mDC);
    if (HasExtension(extensions, "WGL_EXT_swap_control"))
      if (auto swapInterval = WglFunction<SwapIntervalProc>("wglSwapIntervalEXT"))
        swapInterval(0);
  }
  RestorePreviousContext();
  return loaded;
}

Win32ViewWindow::~Win32ViewWindow() {
  *mAlive = false;
  mPendingMenu.reset();
  if (mInMenu) EndMenu();
  if (mWindow) KillTimer(mWindow, kFrameTimer);
  RestorePreviousContext();
  if (mContext) {
    if (wglGetCurrentContext() == mContext) wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(mContext);
  }
  if (mWindow) {
    if (mDC) ReleaseDC(mWindow, mDC);
    SetWindowLongPtrW(mWindow, GWLP_USERDATA, 0);   // no more messages reach this object
    DestroyWindow(mWindow);
  }
  if (mClassAcquired) WindowClass::Release();
}

bool Win32ViewWindow::MakeCurrent() {
  if (!mDC || !mContext) return false;
  HGLRC current = wglGetCurrentContext();
  if (current == mContext) return true;
  mPrevContext = current;
  mPrevDC = current ? wglGetCurrentDC() : nullptr;
  if (wglMakeCurrent(mDC, mContext)) return true;
  mPrevContext = nullptr;
  mPrevDC = nullptr;
  return false;
}

void Win32ViewWindow::RestorePreviousContext() {
  if (!mContext || wglGetCurrentContext() != mContext) return;
  if (!mPrevContext || !mPrevDC || !wglMakeCurrent(mPrevDC, mPrevContext)) wglMakeCurrent(nullptr, nullptr);
  mPrevContext = nullptr;
  mPrevDC = nullptr;
}

void Win32ViewWindow::Present() {
  SwapBuffers(mDC);
  RestorePreviousContext();
}

void Win32ViewWindow::Resize(int width, int height) {
  if (width <= 0 || height <= 0 || !mWindow) return;
  mWidth = width;
  mHeight = height;
  SetWindowPos(mWindow, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  InvalidateRect(mWindow, nullptr, FALSE);
}

void Win32ViewWindow::RequestResize(int width, int height) {
  if (mOnResizeRequest)
    mOnResizeRequest(width, height);
  else
    Resize(width, height);
}

void Win32ViewWindow::Redraw() {
  if (mDrawing) return;
  mDrawing = true;
  mGraphics.Draw();
  RestorePreviousContext();                    // also when the frame was abandoned half-way
  mDrawing = false;
}

bool Win32ViewWindow::ShowPopupMenu(const IPopupMenu& menu, const IRECT& anchor, std::function<void(int)> done) {
  if (!mWindow) return false;
  // A request that has not opened yet is answered as dismissed.
  if (mPendingMenu) {
    std::function<void(int)> previous = std::move(mPendingMenu->done);
    mPendingMenu.reset();
    previous(-1);
  }
  if (!PostMessageW(mWindow, kShowMenuMessage, 0, 0)) return false;
  mPendingMenu = PendingMenu{&menu, anchor, std::move(done)};
  return true;
}

void Win32ViewWindow::OpenPendingMenu() {
  if (!mPendingMenu || mInMenu) return;
  PendingMenu request = std::move(*mPendingMenu);
  mPendingMenu.reset();
  HMENU menu = CreatePopupMenu();
  if (!menu) {
    request.done(-1);
    return;
  }
  for (int i = 0; i < request.menu->NItems(); ++i) {
    const IPopupMenu::Item* item = request.menu->GetItem(i);
    if (item->GetIsSeparator()) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING;
    if (item->GetChecked()) flags |= MF_CHECKED;
    if (!item->GetEnabled() || (item->GetFlags() & IPopupMenu::Item::kTitle)) flags |= MF_GRAYED;
    // Command ids start at 1: TrackPopupMenuEx answers 0 for "nothing chosen".
    AppendMenuW(menu, flags, static_cast<UINT_PTR>(i) + 1, MenuText(item->GetText()).c_str());
  }
  // Below the anchor, or above it when the screen has no room: the anchor stays uncovered.
  RECT exclude{static_cast<LONG>(request.anchor.L), static_cast<LONG>(request.anchor.T),
               static_cast<LONG>(request.anchor.R), static_cast<LONG>(request.anchor.B)};
  MapWindowPoints(mWindow, nullptr, reinterpret_cast<POINT*>(&exclude), 2);
  TPMPARAMS params{};
  params.cbSize = sizeof params;
  params.rcExclude = exclude;
  // The press that led to the menu ends inside the menu's own loop.
  const bool pressHeld = mButtons != 0;
  std::shared_ptr<bool> alive = mAlive;
  mInMenu = true;
  const BOOL command = TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_VERTICAL |
                                                  TPM_LEFTBUTTON | TPM_NONOTIFY,
                                        exclude.left, exclude.bottom, mWindow, &params);
  DestroyMenu(menu);
  if (!*alive) return;                         // the view closed while the menu was open
  mInMenu = false;
  if (pressHeld && mButtons != 0) {
    POINT p{};
    GetCursorPos(&p);
    ScreenToClient(mWindow, &p);
    IMouseMod mod;
    mod.L = (mButtons & MK_LBUTTON) != 0;
    mod.R = (mButtons & MK_RBUTTON) != 0;
    mButtons = 0;
    if (GetCapture() == mWindow) ReleaseCapture();
    mGraphics.OnMouseUp(static_cast<float>(p.x), static_cast<float>(p.y), mod);
  }
  request.done(command > 0 ? command - 1 : -1);
  // A menu asked for while this one was open opens now.
  if (*alive && mPendingMenu && !PostMessageW(mWindow, kShowMenuMessage, 0, 0)) {
    std::function<void(int)> dropped = std::move(mPendingMenu->done);
    mPendingMenu.reset();
    dropped(-1);
  }
}

void Win32ViewWindow::ButtonDown(int button, bool doubleClick, WPARAM keys, LPARAM position) {
  const float x = static_cast<float>(GET_X_LPARAM(position)), y = static_cast<float>(GET_Y_LPARAM(position));
  if (GetFocus() != mWindow) SetFocus(mWindow);
  if (mButtons == 0) SetCapture(mWindow);
  mButtons |= button;
  IMouseMod mod = ModFromKeys(keys);
  mod.L = button == MK_LBUTTON;
  mod.R = button == MK_RBUTTON;
  if (doubleClick)
    mGraphics.OnMouseDblClick(x, y, mod);
  else
    mGraphics.OnMouseDown(x, y, mod);
}

void Win32ViewWindow::ButtonUp(int button, WPARAM keys, LPARAM position) {
  if (!(mButtons & button)) return;            // pressed elsewhere, or already ended by a menu
  mButtons &= ~static_cast<unsigned>(button);
  if (mButtons == 0 && GetCapture() == mWindow) ReleaseCapture();
  // As on other platforms, the modifiers of a release still hold its button.
  IMouseMod mod = ModFromKeys(keys | static_cast<WPARAM>(button));
  mGraphics.OnMouseUp(static_cast<float>(GET_X_LPARAM(position)), static_cast<float>(GET_Y_LPARAM(position)), mod);
  if (mButtons == 0) PointerLeftWhileIdle();
}

// A drag that ended outside the window: the pointer left while it was captured.
void Win32ViewWindow::PointerLeftWhileIdle() {
  POINT p{};
  RECT client{};
  if (!GetCursorPos(&p) || !ScreenToClient(mWindow, &p) || !GetClientRect(mWindow, &client)) return;
  if (!PtInRect(&client, p)) {
    mTrackingLeave = false;
    mGraphics.OnMouseOut();
  }
}

LRESULT Win32ViewWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kFrameTimer && mGraphics.IsDirty()) Redraw();
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(mWindow, &paint);
      Redraw();
      EndPaint(mWindow, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;                                // every frame covers the whole window
    case kShowMenuMessage:
      OpenPendingMenu();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      ButtonDown(MK_LBUTTON, message == WM_LBUTTONDBLCLK, wParam, lParam);
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      ButtonDown(MK_RBUTTON, message == WM_RBUTTONDBLCLK, wParam, lParam);
      return 0;
    case WM_LBUTTONUP:
      ButtonUp(MK_LBUTTON, wParam, lParam);
      return 0;
    case WM_RBUTTONUP:
      ButtonUp(MK_RBUTTON, wParam, lParam);
      return 0;
    case WM_CAPTURECHANGED:
      // Another window took the pointer during a drag: the drag ends where it was.
      if (reinterpret_cast<HWND>(lParam) != mWindow && mButtons != 0 && !mInMenu) {
        POINT p{};
        GetCursorPos(&p);
        ScreenToClient(mWindow, &p);
        IMouseMod mod;
        mod.L = (mButtons & MK_LBUTTON) != 0;
        mod.R = (mButtons & MK_RBUTTON) != 0;
        mButtons = 0;
        mGraphics.OnMouseUp(static_cast<float>(p.x), static_cast<float>(p.y), mod);
      }
      return 0;
    case WM_MOUSEMOVE:
      if (!mTrackingLeave) {
        TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, mWindow, 0};
        mTrackingLeave = TrackMouseEvent(&track) != FALSE;
      }
      mGraphics.OnMouseMove(static_cast<float>(GET_X_LPARAM(lParam)), static_cast<float>(GET_Y_LPARAM(lParam)),
                            ModFromKeys(wParam));
      return 0;
    case WM_MOUSELEAVE:
      mTrackingLeave = false;
      if (mButtons == 0) mGraphics.OnMouseOut();   // a captured drag reports it at the release
      return 0;
    case WM_MOUSEWHEEL: {
      // The wheel's position is in screen coordinates.
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ScreenToClient(mWindow, &p);
      const float notches = static_cast<float>(GET_WHEEL_DELTA_WPARAM(wParam)) / WHEEL_DELTA;
      mGraphics.OnMouseWheel(static_cast<float>(p.x), static_cast<float>(p.y),
                             ModFromKeys(GET_KEYSTATE_WPARAM(wParam)), notches);
      return 0;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE && mGraphics.OnKeyDown(igraphics::kVK_ESCAPE)) return 0;
      [[fallthrough]];
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
      // Keys the editor does not use are the host's (its shortcuts keep working).
      if (HWND parent = GetParent(mWindow)) return SendMessageW(parent, message, wParam, lParam);
      break;
    case WM_DESTROY:
      KillTimer(mWindow, kFrameTimer);
      return 0;
    case WM_NCDESTROY:
      // Destroyed with the host's window: its DC went with it.
      SetWindowLongPtrW(mWindow, GWLP_USERDATA, 0);
      mWindow = nullptr;
      mDC = nullptr;
      return 0;
    default:
      break;
  }
  return DefWindowProcW(mWindow, message, wParam, lParam);
}

LRESULT CALLBACK Win32ViewWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Win32ViewWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->mWindow = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32ViewWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  // Editor code runs here; nothing it throws may reach the host's message loop.
  try {
    return self->Handle(message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

} // namespace

const char* ViewWindow::PlatformType() { return "HWND"; }

std::unique_ptr<ViewWindow> ViewWindow::Open(void* parent, Steinberg::IPlugFrame*, igraphics::IGraphics& graphics,
                                             int width, int height, std::function<void(int, int)> onResizeRequest) {
  const auto parentWindow = static_cast<HWND>(parent);
  if (!parentWindow || !IsWindow(parentWindow) || width <= 0 || height <= 0) return nullptr;
  return Win32ViewWindow::Create(parentWindow, graphics, width, height, std::move(onResizeRequest));
}

} // namespace iplug::vst3
