// The Windows editor under Wine, seen and used through a private X server:
// the Windows build's editor host (editor_host.cpp) opens the bundle's
// editor in the host library's top-level HWND while its audio thread
// processes; this test sends it real X input with XTest (Wine turns it into
// WM_ mouse and key messages), takes screenshots through the X server and
// reads parameter values back through the host's commands. The cases share
// one Wine session and run in order.
//
// Wine 8 renders an OpenGL child window into an X window of its own, kept
// offscreen (redirected with XComposite), and copies it into the top-level
// window at each buffer swap; under Xvfb that copy does not reach the
// screen, so screenshots read the view's GL window itself: the window of
// the view's size under Wine's 1 x 1 offscreen parent.
#include <gtest/gtest.h>
// After GoogleTest: Xlib's macros (None, Bool) would break its headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "harness/editor_harness.h"
#include "tests/support/xvfb.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using iplug::igraphics::Image;
using testsupport::Xvfb;

// Editor pixels at 760 x 416 (as the Linux editor tests use them).
constexpr int kThresholdX = 50, kKnobY = 324, kReleaseX = 564;
constexpr int kFftBoxX = 660, kFooterY = 400;

std::string WineServer() {
  for (const char* path : {"/usr/lib/wine/wineserver64", "/usr/lib/wine/wineserver"})
    if (access(path, X_OK) == 0) return path;
  return "wineserver";
}

// Runs argv to its end with `env` added to the environment; its exit status.
int RunToEnd(std::vector<std::string> argv, const std::vector<std::string>& env) {
  std::vector<std::string> environment(env);
  for (char** e = environ; *e; ++e) environment.emplace_back(*e);
  std::vector<char*> args, envp;
  for (std::string& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  for (std::string& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), envp.data()) != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The Windows editor host under Wine, with its stdin and stdout as pipes.
class WineHost {
public:
  static std::unique_ptr<WineHost> Start(const std::string& display, std::string* error) {
    const std::vector<std::string> env = {"WINEPREFIX=" VARNOCK_EDITOR_WINEPREFIX};
    // A server left from an earlier run would still be tied to its X display.
    RunToEnd({WineServer(), "-k"}, env);
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) {
      *error = "cannot create pipes";
      return nullptr;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    for (int fd : {in[0], in[1], out[0], out[1]}) posix_spawn_file_actions_addclose(&actions, fd);
    std::vector<std::string> environment = {"DISPLAY=" + display, "VARNOCK_WINEPREFIX=" VARNOCK_EDITOR_WINEPREFIX};
    for (char** e = environ; *e; ++e)
      if (std::strncmp(*e, "DISPLAY=", 8) != 0) environment.emplace_back(*e);
    std::vector<char*> envp;
    for (std::string& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);
    const char* argv[] = {VARNOCK_WINE_RUN, VARNOCK_WINDOWS_EDITOR_HOST, VARNOCK_WINDOWS_BUNDLE, nullptr};
    std::unique_ptr<WineHost> host(new WineHost());
    const int rc = posix_spawn(&host->mPid, argv[0], &actions, nullptr, const_cast<char* const*>(argv), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    host->mIn = in[1];
    host->mOut = out[0];
    if (rc != 0) {
      host->mPid = -1;
      *error = "cannot start " VARNOCK_WINE_RUN;
      return nullptr;
    }
    return host;
  }

  ~WineHost() {
    if (mIn >= 0) close(mIn);                  // the host ends at the end of its input
    if (mOut >= 0) close(mOut);
    if (mPid > 0) {
      int status = 0;
      for (int i = 0; i < 100 && waitpid(mPid, &status, WNOHANG) == 0; ++i) std::this_thread::sleep_for(50ms);
      if (waitpid(mPid, &status, WNOHANG) == 0) {
        kill(mPid, SIGKILL);
        waitpid(mPid, &status, 0);
      }
    }
    RunToEnd({WineServer(), "-k"}, {"WINEPREFIX=" VARNOCK_EDITOR_WINEPREFIX});
  }

  // The next line the host prints; "" when none comes within `timeout`.
  std::string ReadLine(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
      const std::size_t end = mBuffer.find('\n');
      if (end != std::string::npos) {
        std::string line = mBuffer.substr(0, end);
        mBuffer.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      pollfd p{mOut, POLLIN, 0};
      if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) return {};
      char chunk[512];
      const ssize_t n = read(mOut, chunk, sizeof chunk);
      if (n <= 0) return {};
      mBuffer.append(chunk, static_cast<std::size_t>(n));
    }
  }

  // Sends a command and returns the host's answer.
  std::string Ask(const std::string& command, std::chrono::milliseconds timeout = 10s) {
    const std::string line = command + "\n";
    if (write(mIn, line.data(), line.size()) != static_cast<ssize_t>(line.size())) return {};
    return ReadLine(timeout);
  }

  // Ends the host with "quit"; its exit status (-1 when it did not end by itself).
  int Quit() {
    if (Ask("quit") != "bye") return -1;
    int status = 0;
    for (int i = 0; i < 100; ++i) {
      if (waitpid(mPid, &status, WNOHANG) == mPid) {
        mPid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(50ms);
    }
    return -1;
  }

private:
  WineHost() = default;
  pid_t mPid = -1;
  int mIn = -1, mOut = -1;
  std::string mBuffer;
};

// Where the view's client area is on the screen.
struct ViewArea {
  int x = 0, y = 0, width = 0, height = 0;
  bool valid = false;
};

bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 5s) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(30ms);
  }
}

// 0xRRGGBB of an opaque editor colour given as 0..1 channels, converted as the editor does.
uint32_t Rgb(double r, double g, double b) {
  auto byte = [](double c) { return static_cast<uint32_t>(c * 255.0 + 0.5); };
  return byte(r) << 16 | byte(g) << 8 | byte(b);
}

bool Near(uint32_t a, uint32_t b, int tolerance = 2) {
  for (int shift : {0, 8, 16}) {
    const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    if (d > tolerance || d < -tolerance) return false;
  }
  return true;
}

// Wine creates and destroys X windows while the test walks the window tree:
// a window gone between listing and asking is not an error of the test
// (Xlib's default handler would end the program).
int IgnoreVanishedWindow(Display*, XErrorEvent* error) {
  if (error->error_code == BadWindow || error->error_code == BadDrawable || error->error_code == BadMatch) return 0;
  std::fprintf(stderr, "X error %d (request %d)\n", error->error_code, error->request_code);
  return 0;
}

class WindowsEditor : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    bool missing = false;
    server = Xvfb::Start(&setupError, &missing);
    if (!server) return;
    XSetErrorHandler(IgnoreVanishedWindow);
    display = XOpenDisplay(server->DisplayName().c_str());
    int eventBase, errorBase, major, minor;
    if (!display || !XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
      setupError = "no X connection with XTest";
      return;
    }
    host = WineHost::Start(server->DisplayName(), &setupError);
    if (!host) return;
    // The first start of a new Wine prefix sets it up first.
    const std::string first = host->ReadLine(120s);
    if (first != "ready") {
      setupError = "the editor host did not start: \"" + first + "\"";
      host.reset();
    }
  }
  static void TearDownTestSuite() {
    if (host) {
      EXPECT_EQ(host->Quit(), 0) << "the editor host ends cleanly";
    }
    host.reset();
    if (display) XCloseDisplay(display);
    display = nullptr;
    server.reset();
  }

  void SetUp() override { ASSERT_TRUE(host) << setupError; }

  static ViewArea Where() {
    std::istringstream answer(host->Ask("where"));
    std::string word;
    ViewArea area;
    answer >> word >> area.x >> area.y >> area.width >> area.height;
    area.valid = word == "where" && !answer.fail();
    return area;
  }
  static double Value(const std::string& title) {
    const std::string answer = host->Ask("value " + title);
    const std::string prefix = "value " + title + " ";
    return answer.rfind(prefix, 0) == 0 ? std::atof(answer.c_str() + prefix.size()) : -1.0;
  }
  static long long Blocks() {
    const std::string answer = host->Ask("blocks");
    return answer.rfind("blocks ", 0) == 0 ? std::atoll(answer.c_str() + 7) : -1;
  }

  // A popup window Wine shows for a menu: a viewable override-redirect window on the root.
  static ViewArea MenuWindow() {
    Window root = 0, parent = 0, *tops = nullptr;
    unsigned int count = 0;
    ViewArea menu;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &tops, &count)) return menu;
    for (unsigned int i = 0; i < count && !menu.valid; ++i) {
      XWindowAttributes a;
      if (XGetWindowAttributes(display, tops[i], &a) && a.override_redirect && a.map_state == IsViewable &&
          a.width > 8 && a.height > 8)
        menu = {a.x, a.y, a.width, a.height, true};
    }
    if (tops) XFree(tops);
    return menu;
  }

  // The X window Wine draws the view's GL frames into: width x height, under
  // a 1 x 1 parent window; 0 when there is none.
  static Window ViewDrawable(int width, int height) {
    Window root = 0, parent = 0, *tops = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &tops, &count)) return 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
      XWindowAttributes top;
      if (!XGetWindowAttributes(display, tops[i], &top) || top.width != 1 || top.height != 1) continue;
      Window* children = nullptr;
      unsigned int n = 0;
      if (!XQueryTree(display, tops[i], &root, &parent, &children, &n)) continue;
      for (unsigned int j = 0; j < n && !found; ++j) {
        XWindowAttributes a;
        if (XGetWindowAttributes(display, children[j], &a) && a.c_class == InputOutput && a.width == width &&
            a.height == height && a.map_state == IsViewable)
          found = children[j];
      }
      if (children) XFree(children);
    }
    if (tops) XFree(tops);
    return found;
  }

  // The view's pixels (an empty image when the view has no GL window).
  static Image Screenshot(const ViewArea& area) {
    Image image;
    const Window drawable = ViewDrawable(area.width, area.height);
    if (!drawable) return image;
    XImage* x = XGetImage(display, drawable, 0, 0, static_cast<unsigned>(area.width),
                          static_cast<unsigned>(area.height), AllPlanes, ZPixmap);
    if (!x) return image;
    image.width = area.width;
    image.height = area.height;
    image.rgba.resize(static_cast<std::size_t>(area.width) * area.height * 4);
    for (int y = 0; y < area.height; ++y)
      for (int i = 0; i < area.width; ++i) {
        const unsigned long p = XGetPixel(x, i, y);   // a 24-bit TrueColor window: 0xRRGGBB
        uint8_t* out = &image.rgba[(static_cast<std::size_t>(y) * area.width + i) * 4];
        out[0] = static_cast<uint8_t>(p >> 16);
        out[1] = static_cast<uint8_t>(p >> 8);
        out[2] = static_cast<uint8_t>(p);
        out[3] = 0xFF;
      }
    XDestroyImage(x);
    return image;
  }
  // 0xRRGGBB of the view's pixel (x, y); 0xFFFFFFFF without a picture.
  static uint32_t PixelAt(const Image& image, int x, int y) {
    return image.rgba.empty() ? 0xFFFFFFFFu : image.Pixel(x, y) >> 8;
  }
  static void Save(const Image& image, const char* name) {
    std::string error;
    image.SavePng((std::string(name) + ".png").c_str(), &error);
  }

  // Real input through the X server, in the view's pixels.
  static void Move(const ViewArea& area, int x, int y) {
    XTestFakeMotionEvent(display, DefaultScreen(display), area.x + x, area.y + y, CurrentTime);
    XSync(display, False);
  }
  static void Button(int button, bool down) {
    XTestFakeButtonEvent(display, static_cast<unsigned>(button), down ? True : False, CurrentTime);
    XSync(display, False);
  }
  static void Key(KeySym keysym) {
    const KeyCode code = XKeysymToKeycode(display, keysym);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    XSync(display, False);
  }
  // A drag as a hand makes it: press, a few steps, release.
  static void Drag(const ViewArea& area, int x, int y, int dx, int dy) {
    Move(area, x, y);
    std::this_thread::sleep_for(50ms);
    Button(1, true);
    std::this_thread::sleep_for(50ms);
    for (int step = 1; step <= 5; ++step) {
      Move(area, x + dx * step / 5, y + dy * step / 5);
      std::this_thread::sleep_for(30ms);
    }
    Button(1, false);
  }

  static std::unique_ptr<Xvfb> server;
  static Display* display;
  static std::unique_ptr<WineHost> host;
  static std::string setupError;
};

std::unique_ptr<Xvfb> WindowsEditor::server;
Display* WindowsEditor::display = nullptr;
std::unique_ptr<WineHost> WindowsEditor::host;
std::string WindowsEditor::setupError;

TEST_F(WindowsEditor, DrawsTheSameFrameAsLinux) {
  const ViewArea area = Where();
  ASSERT_TRUE(area.valid);
  EXPECT_EQ(area.width, 760);
  EXPECT_EQ(area.height, 416);
  Image shot;
  ASSERT_TRUE(Eventually([&] {
    shot = Screenshot(area);
    return Near(PixelAt(shot, 5, 5), Rgb(0.10, 0.105, 0.13));
  })) << "no editor frame: " << std::hex << PixelAt(shot, 5, 5);
  Save(shot, "wine_editor");
  varnock::EditorHarness native;
  std::string error;
  ASSERT_TRUE(native.open(760, 416, &error)) << error;
  native.frame();
  const Image reference = native.image();
  // Header, knob panel and footer are the same pixels; the analyser and the
  // depth knob's live ring show the audio that the Windows host processes.
  int same = 0, differ = 0, live = 0;
  for (int y = 0; y < 416; ++y)
    for (int x = 0; x < 760; ++x) {
      const bool equal = Near(PixelAt(shot, x, y), reference.Pixel(x, y) >> 8, 8);
      const bool analyser = y >= 52 && y < 294;
      const bool depthRing = y >= 294 && y < 380 && x >= 368 && x < 448;
      if (analyser)
        live += !equal;
      else if (!depthRing)
        (equal ? same : differ) += 1;
    }
  EXPECT_EQ(differ, 0) << "of " << same + differ << " pixels outside the analyser (see wine_editor.png)";
  EXPECT_GT(live, 2000) << "the analyser shows the processed signal";
}

TEST_F(WindowsEditor, KnobDragAndWheelChangeParameters) {
  const ViewArea area = Where();
  ASSERT_TRUE(area.valid);
  ASSERT_EQ(Value("Threshold"), 6.0);
  Drag(area, kThresholdX, kKnobY, 0, -60);
  EXPECT_TRUE(Eventually([] { return Value("Threshold") > 6.0; })) << Value("Threshold");
  ASSERT_EQ(Value("Release"), 60.0);
  Move(area, kReleaseX, kKnobY);
  Button(4, true);
  Button(4, false);
  EXPECT_TRUE(Eventually([] { return Value("Release") == 67.0; })) << "one notch up: " << Value("Release");
}

TEST_F(WindowsEditor, NativeMenuChoosesWithKeysOrPointerAndEscapeDismisses) {
  const ViewArea area = Where();
  ASSERT_TRUE(area.valid);
  ASSERT_EQ(Value("Resolution"), 1.0);
  auto openMenu = [&] {
    Move(area, kFftBoxX, kFooterY);
    Button(1, true);
    Button(1, false);
    return Eventually([] { return MenuWindow().valid; });
  };
  ASSERT_TRUE(openMenu()) << "the system's menu opens as a window of its own";
  Key(XK_Escape);
  EXPECT_TRUE(Eventually([] { return !MenuWindow().valid; }));
  EXPECT_EQ(Value("Resolution"), 1.0) << "Escape chooses nothing";

  ASSERT_TRUE(openMenu());
  Key(XK_Down);                                // the first entry: Fast 512
  Key(XK_Return);
  EXPECT_TRUE(Eventually([] { return Value("Resolution") == 0.0; })) << Value("Resolution");

  ASSERT_TRUE(openMenu());
  const ViewArea menu = MenuWindow();
  EXPECT_GE(menu.y, area.y + 411 - 2) << "below the box it belongs to";
  Move({menu.x, menu.y, menu.width, menu.height, true}, menu.width / 2, menu.height * 5 / 6);   // the third of three entries
  Button(1, true);
  Button(1, false);
  EXPECT_TRUE(Eventually([] { return Value("Resolution") == 2.0; })) << Value("Resolution");
}

TEST_F(WindowsEditor, HostResizeAndCornerHandleResizeTheView) {
  EXPECT_EQ(host->Ask("resize 1000 600"), "size 1000 600");
  ViewArea area = Where();
  ASSERT_TRUE(area.valid);
  EXPECT_EQ(area.width, 1000);
  EXPECT_EQ(area.height, 600);
  Image shot;
  EXPECT_TRUE(Eventually([&] {
    shot = Screenshot(area);
    return Near(PixelAt(shot, 5, 5), Rgb(0.10, 0.105, 0.13)) && Near(PixelAt(shot, 5, 594), Rgb(0.10, 0.105, 0.13));
  })) << "header and footer bands of the larger editor";
  Drag(area, area.width - 6, area.height - 6, 40, 30);
  EXPECT_TRUE(Eventually([] { return Where().width == 1040; }));
  // The view asked the host through resizeView at each step of the drag, the last time for the end size.
  std::istringstream requests(host->Ask("requests"));
  std::string word;
  int calls = 0, width = 0, height = 0;
  requests >> word >> calls >> width >> height;
  EXPECT_GE(calls, 1);
  EXPECT_EQ(width, 1040);
  EXPECT_EQ(height, 630);
  area = Where();
  EXPECT_EQ(area.height, 630);
  EXPECT_EQ(host->Ask("resize 760 416"), "size 760 416");
}

TEST_F(WindowsEditor, ClosesAndReopensWhileAudioIsProcessed) {
  const long long before = Blocks();
  EXPECT_EQ(host->Ask("close"), "closed");
  EXPECT_EQ(host->Ask("where"), "where none");
  EXPECT_TRUE(Eventually([&] { return Blocks() > before + 5; })) << "audio goes on without the editor";
  EXPECT_EQ(host->Ask("open"), "opened");
  const ViewArea area = Where();
  ASSERT_TRUE(area.valid);
  Image shot;
  EXPECT_TRUE(Eventually([&] {
    shot = Screenshot(area);
    return Near(PixelAt(shot, 5, 5), Rgb(0.10, 0.105, 0.13));
  }));
  const long long reopened = Blocks();
  EXPECT_TRUE(Eventually([&] { return Blocks() > reopened + 5; }));
}

} // namespace
