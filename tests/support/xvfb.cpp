#include "tests/support/xvfb.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
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

constexpr auto kStartTimeout = std::chrono::seconds(15);

bool OnPath(const char* program) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "");
  std::string dir;
  while (std::getline(dirs, dir, ':'))
    if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
  return false;
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
  // The server picks a free display number itself (its lock files make that
  // safe against test processes starting servers at the same time) and
  // writes it to the pipe once it accepts connections.
  int fds[2];
  if (pipe(fds) != 0) {
    *error = "cannot create a pipe";
    return nullptr;
  }
  fcntl(fds[0], F_SETFD, FD_CLOEXEC);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const std::string displayFd = std::to_string(fds[1]);
  // -noreset: without it the server resets whenever its last client
  // disconnects and refuses connections meanwhile, between two tests.
  const char* argv[] = {"Xvfb", "-displayfd", displayFd.c_str(), "-screen", "0", "1280x1024x24",
                        "-nolisten", "tcp", "-noreset", nullptr};
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, "Xvfb", &actions, nullptr, const_cast<char* const*>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    *error = "cannot start Xvfb";
    return nullptr;
  }
  std::string number;
  const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
  while (number.find('\n') == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{fds[0], POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
    char buf[32];
    const ssize_t n = read(fds[0], buf, sizeof buf);
    if (n <= 0) break;                         // the server exited
    number.append(buf, static_cast<std::size_t>(n));
  }
  close(fds[0]);
  if (number.find('\n') == std::string::npos) {
    Stop(pid);
    *error = "Xvfb did not report a display";
    return nullptr;
  }
  std::unique_ptr<Xvfb> server(new Xvfb());
  server->mPid = pid;
  server->mDisplay = number.substr(0, number.find('\n'));
  server->mDisplay.insert(server->mDisplay.begin(), ':');
  if (Display* dpy = XOpenDisplay(server->mDisplay.c_str())) {
    XCloseDisplay(dpy);
    return server;
  }
  *error = "cannot connect to Xvfb " + server->mDisplay;
  return nullptr;
}

Xvfb::~Xvfb() { Stop(mPid); }

} // namespace testsupport
