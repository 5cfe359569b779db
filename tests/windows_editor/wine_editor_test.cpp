// The Windows editor under Wine, seen and used through a private X server:
// the Windows build's editor host (editor_host.cpp) opens the bundle's
// editor in the host library's top-level HWND while its audio thread
// processes; this test sends it real X input with XTest (Wine turns it into
// WM_ mouse and key messages), takes screenshots of the view's area from the
// root window and reads parameter values back through the host's commands.
// The cases share one Wine session and run in order.
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

class WindowsEditor : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    bool missing = false;
    server = Xvfb::Start(&setupError, &missing);
    if (!server) return;
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

  // The screen's pixels over the view's area.
  static Image Screenshot(const ViewArea& area) {
    Image image;
    XImage* x = XGetImage(display, DefaultRootWindow(display), area.x, area.y, static_cast<unsigned>(area.width),
                          static_cast<unsigned>(area.height), AllPlanes, ZPixmap);
    if (!x) return image;
    image.width = area.width;
    image.height = area.height;
    image.rgba.resize(static_cast<std::size_t>(area.width) * area.height * 4);
    for (int y = 0; y < area.height; ++y)
      for (int i = 0; i < area.width; ++i) {
        const unsigned long p = XGetPixel(x, i, y);   // a 24-bit TrueColor screen: 0xRRGGBB
        uint8_t* out = &image.rgba[(static_cast<std::size_t>(y) * area.width + i) * 4];
        out[0] = static_cast<uint8_t>(p >> 16);
        out[1] = static_cast<uint8_t>(p >> 8);
        out[2] = static_cast<uint8_t>(p);
        out[3] = 0xFF;
      }
    XDestroyImage(x);
    return image;
  }
  static uint32_t PixelAt(const ViewArea& area, int x, int y) {
    const Image one = Screenshot({area.x + x, area.y + y, 1, 1, true});
    return one.rgba.empty() ? 0xFFFFFFFFu : one.Pixel(0, 0) >> 8;
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
  const uint32_t header = Rgb(0.10, 0.105, 0.13);
  ASSERT_TRUE(Eventually([&] { return Near(PixelAt(area, 5, 5), header); })) << std::hex << PixelAt(area, 5, 5);
  std::this_thread::sleep_for(300ms);
  const Image shot = Screenshot(area);
  Save(shot, "wine_editor");
  varnock::EditorHarness native;
  std::string error;
  ASSERT_TRUE(native.open(760, 416, &error)) << error;
  native.frame();
  const Image reference = native.image();
  Save(reference, "wine_editor_reference");
  int differ = 0;
  Image diff = reference;
  for (int y = 0; y < 416; ++y)
    for (int x = 0; x < 760; ++x) {
      const bool d = !Near(shot.Pixel(x, y) >> 8, reference.Pixel(x, y) >> 8, 8);
      differ += d;
      uint8_t* p = &diff.rgba[(static_cast<std::size_t>(y) * 760 + x) * 4];
      p[0] = p[1] = p[2] = d ? 255 : 0;
    }
  Save(diff, "wine_editor_diff");
  EXPECT_EQ(differ, 0);
}

} // namespace
