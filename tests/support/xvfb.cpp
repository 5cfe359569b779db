#include "tests/support/xvfb.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

extern char** environ;

namespace testsupport {
namespace {

constexpr int kFirstDisplay = 90;
constexpr int kDisplayRange = 400;
constexpr int kAttempts = 20;
constexpr auto kStartTimeout = std::chrono::seconds(15);

bool OnPath(const char* program) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "");
  std::string dir;
  while (std::getline(dirs, dir, ':'))
    if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
  return false;
}

bool DisplayInUse(int n) {
  struct stat st;
  const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
  const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
  return stat(lock.c_str(), &st) == 0 || stat(socket.c_str(), &st) == 0;
}

void Stop(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  int status = 0;
  for (int i = 0; i < 100; ++i) {                // up to 5 s for a clean exit
    if (waitpid(pid, &status, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
}

} // namespace

std::unique_ptr<Xvfb> Xvfb::Start(std::string* error, bool* missing) {
  *missing = !OnPath("Xvfb");
  if (*missing) {
    *error = "Xvfb is not installed";
    return nullptr;
  }
  // Parallel test processes start at different numbers.
  int n = kFirstDisplay + static_cast<int>(getpid() % kDisplayRange);
  for (int attempt = 0; attempt < kAttempts; ++attempt, ++n) {
    if (DisplayInUse(n)) continue;
    std::string display = std::to_string(n);
    display.insert(display.begin(), ':');
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    // -noreset: without it the server resets whenever its last client
    // disconnects and refuses connections meanwhile, between two tests.
    const char* argv[] = {"Xvfb", display.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset", nullptr};
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, "Xvfb", &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
      *error = "cannot start Xvfb";
      return nullptr;
    }
    // Wait until it accepts connections, or exits (another server took the number).
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    bool exited = false;
    while (std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) {
        exited = true;
        break;
      }
      if (Display* dpy = XOpenDisplay(display.c_str())) {
        XCloseDisplay(dpy);
        std::unique_ptr<Xvfb> server(new Xvfb());
        server->mPid = pid;
        server->mDisplay = display;
        return server;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!exited) {
      Stop(pid);
      *error = "Xvfb " + display + " did not accept connections in time";
      return nullptr;
    }
  }
  *error = "no free display number for Xvfb";
  return nullptr;
}

Xvfb::~Xvfb() { Stop(mPid); }

} // namespace testsupport
