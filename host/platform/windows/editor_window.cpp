// The editor window on Windows: a top-level window with a caption and a
// sizing border whose client area is the view's "HWND" parent, the thread's
// message queue as the run loop, and input sent with SendInput.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>

#include "host/editor_window.h"

namespace vst3host {
namespace {

using Clock = std::chrono::steady_clock;
using Steinberg::kResultFalse;
using Steinberg::kResultOk;
using Steinberg::kResultTrue;
using Steinberg::tresult;
using Steinberg::uint32;

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr wchar_t kClassName[] = L"Vst3HostEditorWindow";

bool iidIs(const Steinberg::TUID iid, const Steinberg::TUID other) {
  return Steinberg::FUnknownPrivate::iidEqual(iid, other);
}

HWND asWindow(std::uintptr_t handle) { return reinterpret_cast<HWND>(handle); }

// Gives the parent a client area of width x height.
void sizeClientArea(HWND window, int width, int height) {
  RECT frame{0, 0, std::max(1, width), std::max(1, height)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

bool registerClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = kClassName;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

INPUT mouseInput(DWORD flags, LONG data = 0) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  input.mi.mouseData = static_cast<DWORD>(data);
  return input;
}

}  // namespace

// The frame given to the view. Reference counted, since the view may hold
// it; once the window is gone it answers nothing.
class EditorWindow::Frame final : public Steinberg::IPlugFrame {
 public:
  explicit Frame(EditorWindow* owner) : owner_(owner) {}
  void detach() { owner_ = nullptr; }

  tresult PLUGIN_API resizeView(Steinberg::IPlugView* view, Steinberg::ViewRect* newSize) override {
    if (!owner_ || !view || !newSize) return kResultFalse;
    ++resizeViewCalls;
    lastRequest = *newSize;
    if (refuse) return kResultFalse;
    sizeClientArea(asWindow(owner_->parent_), newSize->getWidth(), newSize->getHeight());
    Steinberg::ViewRect rect = *newSize;
    return view->onSize(&rect) == kResultTrue ? kResultTrue : kResultFalse;
  }

  tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override {
    if (!obj) return Steinberg::kInvalidArgument;
    if (iidIs(iid, Steinberg::IPlugFrame_iid) || iidIs(iid, Steinberg::FUnknown_iid)) {
      *obj = static_cast<Steinberg::IPlugFrame*>(this);
      addRef();
      return kResultOk;
    }
    *obj = nullptr;
    return Steinberg::kNoInterface;
  }
  uint32 PLUGIN_API addRef() override { return ++refs_; }
  uint32 PLUGIN_API release() override {
    const uint32 left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  int resizeViewCalls = 0;
  Steinberg::ViewRect lastRequest;
  bool refuse = false;

 private:
  ~Frame() = default;
  std::atomic<uint32> refs_{1};
  EditorWindow* owner_;
};

std::unique_ptr<EditorWindow> EditorWindow::open(const char*, std::string* error) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!registerClass(instance)) {
    *error = "cannot register the editor window class";
    return nullptr;
  }
  RECT frame{0, 0, 100, 100};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  HWND window = CreateWindowExW(0, kClassName, L"Editor", kStyle, 0, 0, frame.right - frame.left,
                                frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
  if (!window) {
    *error = "cannot create the editor window";
    return nullptr;
  }
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  std::unique_ptr<EditorWindow> editor(new EditorWindow());
  editor->parent_ = reinterpret_cast<std::uintptr_t>(window);
  editor->frame_ = new Frame(editor.get());
  return editor;
}

EditorWindow::~EditorWindow() {
  close();
  if (frame_) {
    frame_->detach();
    frame_->release();
  }
  if (parent_) DestroyWindow(asWindow(parent_));
}

bool EditorWindow::attach(Steinberg::IPlugView* view, std::string* error) {
  if (!view || view_) {
    *error = view ? "a view is already attached" : "no view";
    return false;
  }
  if (view->isPlatformTypeSupported(Steinberg::kPlatformTypeHWND) != kResultTrue) {
    *error = "the view does not support HWND";
    return false;
  }
  view->addRef();
  view_ = view;
  view->setFrame(frame_);
  Steinberg::ViewRect size;
  if (view->getSize(&size) == kResultTrue && size.getWidth() > 0 && size.getHeight() > 0)
    sizeClientArea(asWindow(parent_), size.getWidth(), size.getHeight());
  if (view->attached(asWindow(parent_), Steinberg::kPlatformTypeHWND) != kResultTrue) {
    *error = "the view refused attached()";
    view->setFrame(nullptr);
    view->release();
    view_ = nullptr;
    return false;
  }
  return true;
}

bool EditorWindow::resize(int width, int height, int* outWidth, int* outHeight) {
  if (!view_) return false;
  Steinberg::ViewRect rect(0, 0, width, height);
  if (view_->canResize() == kResultTrue) view_->checkSizeConstraint(&rect);
  sizeClientArea(asWindow(parent_), rect.getWidth(), rect.getHeight());
  if (outWidth) *outWidth = rect.getWidth();
  if (outHeight) *outHeight = rect.getHeight();
  return view_->onSize(&rect) == kResultTrue;
}

bool EditorWindow::pumpOnce(int timeoutMs) {
  MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(std::max(0, timeoutMs)), QS_ALLINPUT,
                              MWMO_INPUTAVAILABLE);
  // The messages queued now: ones that handling them queues wait for the next call.
  int handled = 0;
  MSG message;
  for (int left = static_cast<int>(GetQueueStatus(QS_ALLINPUT) >> 16) + 1;
       left > 0 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); --left) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
    ++handled;
  }
  return handled > 0;
}

int EditorWindow::eventHandlerCount() const { return 0; }
int EditorWindow::timerCount() const { return 0; }
int EditorWindow::resizeViewCalls() const { return frame_->resizeViewCalls; }
Steinberg::ViewRect EditorWindow::lastResizeViewRequest() const { return frame_->lastRequest; }
void EditorWindow::setRefuseResizeView(bool refuse) { frame_->refuse = refuse; }

std::uintptr_t EditorWindow::viewWindow() const {
  return reinterpret_cast<std::uintptr_t>(GetWindow(asWindow(parent_), GW_CHILD));
}

void EditorWindow::parentSize(int* width, int* height) const {
  RECT client{};
  GetClientRect(asWindow(parent_), &client);
  *width = client.right;
  *height = client.bottom;
}

void EditorWindow::viewWindowSize(int* width, int* height) const {
  *width = *height = 0;
  RECT client{};
  if (HWND child = asWindow(viewWindow()); child && GetClientRect(child, &client)) {
    *width = client.right;
    *height = client.bottom;
  }
}

uint32_t EditorWindow::viewPixel(int x, int y) const {
  HWND child = asWindow(viewWindow());
  if (!child) return 0;
  POINT p{x, y};
  ClientToScreen(child, &p);
  HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  if (colour == CLR_INVALID) return 0;
  return (uint32_t(GetRValue(colour)) << 16) | (uint32_t(GetGValue(colour)) << 8) | uint32_t(GetBValue(colour));
}

void EditorWindow::movePointer(int x, int y) {
  HWND target = viewWindow() ? asWindow(viewWindow()) : asWindow(parent_);
  POINT p{x, y};
  ClientToScreen(target, &p);
  SetCursorPos(p.x, p.y);
}

void EditorWindow::pressButton(int button) {
  INPUT input = button == 1   ? mouseInput(MOUSEEVENTF_LEFTDOWN)
                : button == 3 ? mouseInput(MOUSEEVENTF_RIGHTDOWN)
                : button == 4 ? mouseInput(MOUSEEVENTF_WHEEL, WHEEL_DELTA)
                : button == 5 ? mouseInput(MOUSEEVENTF_WHEEL, -WHEEL_DELTA)
                              : mouseInput(0);
  if (input.mi.dwFlags) SendInput(1, &input, sizeof input);
}

void EditorWindow::releaseButton(int button) {
  INPUT input = button == 1 ? mouseInput(MOUSEEVENTF_LEFTUP) : button == 3 ? mouseInput(MOUSEEVENTF_RIGHTUP) : mouseInput(0);
  if (input.mi.dwFlags) SendInput(1, &input, sizeof input);
}

void EditorWindow::key(unsigned long code, bool down) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = static_cast<WORD>(code);
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &input, sizeof input);
}

}  // namespace vst3host
