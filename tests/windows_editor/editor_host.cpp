// A Windows host for the editor test that runs under Wine: loads the bundle
// named by its argument, processes a test signal on an audio thread the whole
// time, opens the plug-in's editor in the host library's top-level window
// and answers commands read from stdin, one line for each on stdout:
//   where           "where X Y W H": the view window's client area on the
//                   screen and its size ("where none" without a view)
//   value TITLE     "value TITLE PLAIN": the parameter's plain value
//   resize W H      "size W H": a host resize, the size the view accepted
//   requests        "requests N W H": resizeView calls from the view, last size
//   blocks          "blocks N": audio blocks processed so far
//   close, open     "closed", "opened" (or "error ...")
//   quit            "bye"
// It prints "ready" once the editor is open, and "error ..." when it fails.
#include <windows.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <deque>
#include <iostream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "host/editor_window.h"
#include "host/hosted_plugin.h"
#include "host/module.h"

namespace {

constexpr double kSampleRate = 48000.0;
constexpr int kBlock = 512;

void reply(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

// Lines from stdin, read on a thread of their own so the UI thread keeps
// pumping. It lives until the process ends (its thread may still be reading).
class CommandReader {
 public:
  CommandReader() : thread_([this] { read(); }) { thread_.detach(); }
  bool next(std::string* line) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (lines_.empty()) return false;
    *line = lines_.front();
    lines_.pop_front();
    return true;
  }
  bool ended() const { return ended_; }

 private:
  void read() {
    std::string line;
    while (std::getline(std::cin, line)) {
      while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
      std::lock_guard<std::mutex> lock(mutex_);
      lines_.push_back(line);
    }
    ended_ = true;
  }
  std::mutex mutex_;
  std::deque<std::string> lines_;
  std::atomic<bool> ended_{false};
  std::thread thread_;
};

// Bursts of a falling tone over soft noise, so the analyser has something to show.
class AudioThread {
 public:
  explicit AudioThread(vst3host::HostedPlugin& plugin) : plugin_(plugin), thread_([this] { run(); }) {}
  ~AudioThread() {
    stop_ = true;
    thread_.join();
  }
  long long blocks() const { return blocks_; }

 private:
  void run() {
    std::vector<float> in(kBlock), outL(kBlock), outR(kBlock);
    const float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {outL.data(), outR.data()};
    unsigned noise = 12345;
    double phase = 0.0;
    long long frame = 0;
    while (!stop_) {
      for (int i = 0; i < kBlock; ++i, ++frame) {
        const double t = std::fmod(frame / kSampleRate, 1.0);
        const double frequency = 3000.0 - 2500.0 * t;
        phase += 2.0 * 3.14159265358979 * frequency / kSampleRate;
        noise = noise * 1664525u + 1013904223u;
        const double hiss = (static_cast<double>(noise >> 8) / 16777216.0 - 0.5) * 0.05;
        in[static_cast<size_t>(i)] = static_cast<float>((t < 0.5 ? 0.5 * std::sin(phase) : 0.0) + hiss);
      }
      plugin_.process(ins, outs, kBlock);
      ++blocks_;
      Sleep(static_cast<DWORD>(1000.0 * kBlock / kSampleRate));
    }
  }
  vst3host::HostedPlugin& plugin_;
  std::atomic<bool> stop_{false};
  std::atomic<long long> blocks_{0};
  std::thread thread_;
};

class Host {
 public:
  bool start(const std::string& bundle, std::string* error) {
    module_ = vst3host::loadModule(bundle, error);
    if (!module_) return false;
    const vst3host::ClassDescription* effect = module_->factory().findClass("Audio Module Class");
    if (!effect) {
      *error = "the bundle has no audio effect";
      return false;
    }
    plugin_ = vst3host::HostedPlugin::create(module_->factory(), effect->id, error);
    if (!plugin_) return false;
    vst3host::ProcessingSetup setup;
    setup.sampleRate = kSampleRate;
    setup.maxBlockFrames = kBlock;
    if (!plugin_->setupProcessing(setup, error) || !plugin_->setActive(true) || !plugin_->setProcessing(true)) {
      if (error->empty()) *error = "the plug-in refused to start processing";
      return false;
    }
    audio_ = std::make_unique<AudioThread>(*plugin_);
    window_ = vst3host::EditorWindow::open(nullptr, error);
    return window_ && openView(error);
  }

  void stop() {
    if (window_) window_->close();
    window_.reset();
    releaseView();
    audio_.reset();
    plugin_.reset();
    module_.reset();
  }

  void run(CommandReader& commands) {
    for (;;) {
      window_->pumpOnce(5);
      std::string line;
      while (commands.next(&line))
        if (!answer(line)) return;
      if (commands.ended()) return;
    }
  }

 private:
  bool openView(std::string* error) {
    view_ = plugin_->controller()->createView("editor");
    if (!view_) {
      *error = "the controller has no editor";
      return false;
    }
    if (!window_->attach(view_, error)) return false;
    window_->runFor(200);
    return true;
  }
  void releaseView() {
    if (view_) view_->release();
    view_ = nullptr;
  }

  // False on "quit".
  bool answer(const std::string& line) {
    std::istringstream in(line);
    std::string command;
    in >> command;
    std::ostringstream out;
    if (command == "quit") {
      reply("bye");
      return false;
    }
    if (command == "where") {
      const HWND view = reinterpret_cast<HWND>(window_->viewWindow());
      RECT client{};
      POINT origin{0, 0};
      if (view && GetClientRect(view, &client) && ClientToScreen(view, &origin))
        out << "where " << origin.x << ' ' << origin.y << ' ' << client.right << ' ' << client.bottom;
      else
        out << "where none";
    } else if (command == "value") {
      std::string title;
      std::getline(in >> std::ws, title);
      Steinberg::Vst::ParamID id = 0;
      if (plugin_->findParameter(title, &id))
        out << "value " << title << ' ' << plugin_->normalizedToPlain(id, plugin_->normalizedValue(id));
      else
        out << "error no parameter " << title;
    } else if (command == "resize") {
      int width = 0, height = 0, gotWidth = 0, gotHeight = 0;
      in >> width >> height;
      if (window_->resize(width, height, &gotWidth, &gotHeight)) {
        window_->runFor(100);
        out << "size " << gotWidth << ' ' << gotHeight;
      } else {
        out << "error resize";
      }
    } else if (command == "requests") {
      const Steinberg::ViewRect last = window_->lastResizeViewRequest();
      out << "requests " << window_->resizeViewCalls() << ' ' << last.getWidth() << ' ' << last.getHeight();
    } else if (command == "blocks") {
      out << "blocks " << audio_->blocks();
    } else if (command == "close") {
      window_->close();
      releaseView();
      out << "closed";
    } else if (command == "open") {
      std::string error;
      if (openView(&error))
        out << "opened";
      else
        out << "error " << error;
    } else {
      out << "error unknown command " << command;
    }
    reply(out.str());
    return true;
  }

  std::unique_ptr<vst3host::Module> module_;
  std::unique_ptr<vst3host::HostedPlugin> plugin_;
  std::unique_ptr<AudioThread> audio_;
  std::unique_ptr<vst3host::EditorWindow> window_;
  Steinberg::IPlugView* view_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    reply("error usage: editor_host BUNDLE");
    return 2;
  }
  Host host;
  std::string error;
  if (!host.start(argv[1], &error)) {
    reply("error " + error);
    host.stop();
    return 1;
  }
  reply("ready");
  auto* commands = new CommandReader();
  host.run(*commands);
  host.stop();
  return 0;
}
