// Opening a web address with the desktop's browser: xdg-open is started with
// posix_spawnp (no shell, so the address is one argument whatever it holds)
// from a short-lived intermediate child. The intermediate exits at once and
// is reaped here; xdg-open is then re-parented to init, so the host neither
// waits for the browser nor collects a zombie, and no SIGCHLD handler of the
// host is touched. Failures are silent: the call returns false.
#include <fcntl.h>
#include <spawn.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "framework/graphics/graphics.h"

extern char** environ;

namespace iplug::igraphics {
namespace {

// Only web and mail addresses are handed to the desktop.
bool IsWebAddress(const char* url) {
  return url && (strncasecmp(url, "http://", 7) == 0 || strncasecmp(url, "https://", 8) == 0 ||
                 strncasecmp(url, "mailto:", 7) == 0);
}

} // namespace

bool IGraphicsPlatform::OpenURL(const char* url) {
  if (!IsWebAddress(url)) return false;
  // Everything that allocates happens before fork().
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
  if (posix_spawn_file_actions_init(&actions) != 0) return false;
  if (posix_spawnattr_init(&attr) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return false;
  }
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
  char program[] = "xdg-open";
  char* argv[] = {program, const_cast<char*>(url), nullptr};

  bool launched = false;
  const pid_t child = fork();
  if (child == 0) {
    pid_t browser = 0;
    const int rc = posix_spawnp(&browser, program, &actions, &attr, argv, environ);
    _exit(rc == 0 ? 0 : 1);
  }
  if (child > 0) {
    int status = 0;
    pid_t waited;
    do {
      waited = waitpid(child, &status, 0);
    } while (waited < 0 && errno == EINTR);
    launched = waited == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  return launched;
}

} // namespace iplug::igraphics
