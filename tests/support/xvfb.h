#pragma once
// A private X server for tests that open real windows: Xvfb on a display
// number it finds free, with one 1280 x 1024 x 24 screen, no TCP listener and no
// reset when the last client leaves. The server is stopped (and reaped) when
// the object goes. A test without the Xvfb binary should skip, not fail: see
// Start()'s `missing`.
#include <sys/types.h>

#include <memory>
#include <string>

namespace testsupport {

class Xvfb {
public:
  // Starts the server and waits until it accepts connections. Null and
  // *error on failure; *missing is set when there is no Xvfb on PATH.
  static std::unique_ptr<Xvfb> Start(std::string* error, bool* missing);
  ~Xvfb();
  Xvfb(const Xvfb&) = delete;
  Xvfb& operator=(const Xvfb&) = delete;

  const std::string& DisplayName() const { return mDisplay; }   // ":N"

private:
  Xvfb() = default;
  pid_t mPid = -1;
  std::string mDisplay;
};

} // namespace testsupport
