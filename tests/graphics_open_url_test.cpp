// Opening a web address: offscreen editors record it; the desktop platform
// starts xdg-open with the address as one argument, without a shell, and
// leaves no child behind. A stand-in xdg-open on PATH records what it got.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "framework/graphics/offscreen_editor.h"
#include "tests/support/test_delegate.h"

namespace {

using iplug::igraphics::IGraphics;
using iplug::igraphics::IGraphicsPlatform;
using iplug::igraphics::IRECT;
using iplug::igraphics::OffscreenEditor;
using testsupport::RecordingControl;
using testsupport::TestDelegate;

// A platform with no GL context, for the desktop OpenURL.
struct DesktopPlatform : IGraphicsPlatform {
  bool MakeCurrent() override { return false; }
  void Present() override {}
};

TEST(OpenUrl, OffscreenEditorRecordsAddressesAndLaunchesNothing) {
  TestDelegate delegate;
  delegate.onLayout = [](IGraphics& g, bool first) {
    if (first)
      g.AttachControl(new RecordingControl(IRECT(0, 0, 400, 300), [](IGraphics&, RecordingControl& c) {
        if (c.drawCount == 1) c.GetUI()->OpenURL("https://example.org/varnock");
      }));
  };
  std::string error;
  auto editor = OffscreenEditor::Open(delegate, &error);
  ASSERT_TRUE(editor) << error;
  editor->DrawFrame();
  ASSERT_EQ(editor->OpenedUrls().size(), 1u);
  EXPECT_EQ(editor->OpenedUrls()[0], "https://example.org/varnock");
}

// PATH leads to a directory whose xdg-open writes its arguments, one per
// line, to a file; the original PATH comes back afterwards.
class DesktopOpenUrl : public ::testing::Test {
protected:
  void SetUp() override {
    char dirTemplate[] = "/tmp/varnock-openurl-XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    dir = dirTemplate;
    record = dir + "/args";
    const std::string script = dir + "/xdg-open";
    std::ofstream(script) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" << record << ".tmp\"\nmv \""
                          << record << ".tmp\" \"" << record << "\"\n";
    chmod(script.c_str(), 0755);
    const char* path = std::getenv("PATH");
    oldPath = path ? path : "";
    setenv("PATH", (dir + ":" + oldPath).c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", oldPath.c_str(), 1);
    std::remove(record.c_str());
    std::remove((dir + "/xdg-open").c_str());
    rmdir(dir.c_str());
  }
  // The recorded arguments once the stand-in has run (empty after 5 s).
  std::string Recorded() {
    for (int i = 0; i < 500; ++i) {
      std::ifstream in(record);
      if (in) {
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "";
  }

  std::string dir, record, oldPath;
  DesktopPlatform platform;
};

TEST_F(DesktopOpenUrl, AddressReachesXdgOpenAsOneUntouchedArgument) {
  const char* url = "https://example.org/a b?q=1;echo $HOME&x=`id`";
  EXPECT_TRUE(platform.OpenURL(url));
  EXPECT_EQ(Recorded(), std::string(url) + "\n");
}

TEST_F(DesktopOpenUrl, LeavesNoChildProcessBehind) {
  ASSERT_TRUE(platform.OpenURL("https://example.org/"));
  ASSERT_FALSE(Recorded().empty());
  int status = 0;
  errno = 0;
  EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1) << "nothing left to reap";
  EXPECT_EQ(errno, ECHILD);
}

TEST_F(DesktopOpenUrl, OnlyWebAndMailAddressesAreOpened) {
  EXPECT_FALSE(platform.OpenURL("file:///etc/passwd"));
  EXPECT_FALSE(platform.OpenURL("--help"));
  EXPECT_FALSE(platform.OpenURL(""));
  EXPECT_FALSE(platform.OpenURL(nullptr));
  EXPECT_TRUE(platform.OpenURL("mailto:someone@example.org"));
  EXPECT_EQ(Recorded(), "mailto:someone@example.org\n") << "only the mail address was launched";
}

TEST_F(DesktopOpenUrl, MissingXdgOpenFailsQuietly) {
  setenv("PATH", "/nonexistent-dir", 1);
  EXPECT_FALSE(platform.OpenURL("https://example.org/"));
}

} // namespace
