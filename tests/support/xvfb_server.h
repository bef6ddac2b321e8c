// A virtual X server of a test's own for the display tests: Xvfb picks a free
// display number itself (-displayfd), the start is bounded in time, and the
// server ends with the test. Also the person's hands (xdotool) and the
// screenshot (xwd) read back as 0x00RRGGBB pixels.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <X11/Xlib.h>

extern char** environ;

namespace testsupport {

class XvfbServer {
 public:
  XvfbServer() = default;
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;
  ~XvfbServer() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }

  // False, with the reason, when no server came up within ten seconds.
  bool Start(std::string* why) {
    int ends[2];
    if (pipe(ends) != 0) return *why = "no pipe for Xvfb", false;
    const std::string fd = std::to_string(ends[1]);
    // -noreset: the server keeps its state (and takes connections) when its
    // last client goes, as between the steps of a test.
    std::vector<std::string> words = {"Xvfb",         "-displayfd", fd,    "-screen", "0",
                                      "1280x1024x24", "-nolisten",  "tcp", "-noreset"};
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, ends[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int failed = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    if (failed) {
      close(ends[0]);
      pid_ = -1;
      return *why = "Xvfb cannot be started (is it installed? tools/deps.sh installs it)", false;
    }
    std::string number;
    pollfd wait{ends[0], POLLIN, 0};
    while (number.find('\n') == std::string::npos && poll(&wait, 1, 10000) > 0) {
      char bytes[16];
      const ssize_t n = read(ends[0], bytes, sizeof bytes);
      if (n <= 0) break;
      number.append(bytes, static_cast<size_t>(n));
    }
    close(ends[0]);
    if (number.find('\n') == std::string::npos) return *why = "Xvfb did not name its display in time", false;
    display_ = ":" + number.substr(0, number.find('\n'));
    // A key a tool leaves held must not type on by itself into later tests.
    if (::Display* x = XOpenDisplay(display_.c_str())) {
      XAutoRepeatOff(x);
      XCloseDisplay(x);
    }
    return true;
  }

  const std::string& display() const { return display_; }

  // Runs a command against this display, at most `seconds` long; its exit code.
  int Run(const std::string& command, int seconds = 20) const {
    const std::string line = "DISPLAY=" + display_ + " timeout " + std::to_string(seconds) + " " + command;
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

// Gives each key symbol a key of its own on the server's keyboard, as a
// Japanese layout has its kana: a typing tool then types them without
// remapping a key for each, which a busy program could read too late.
inline bool MapKeySymbols(const std::string& display, const std::vector<unsigned long>& keySymbols) {
  ::Display* x = XOpenDisplay(display.c_str());
  if (!x) return false;
  int low = 0, high = 0, perCode = 0;
  XDisplayKeycodes(x, &low, &high);
  KeySym* map = XGetKeyboardMapping(x, static_cast<KeyCode>(low), high - low + 1, &perCode);
  size_t next = 0;
  for (int code = high; code >= low && next < keySymbols.size(); --code) {
    bool empty = true;
    for (int i = 0; i < perCode; ++i) empty = empty && map[(code - low) * perCode + i] == NoSymbol;
    if (!empty) continue;
    KeySym symbols[2] = {keySymbols[next], keySymbols[next]};
    XChangeKeyboardMapping(x, code, 2, symbols, 1);
    ++next;
  }
  XFree(map);
  XSync(x, False);
  XCloseDisplay(x);
  return next == keySymbols.size();
}

// The same for characters by their Unicode code points.
inline bool MapCharacters(const std::string& display, const std::vector<unsigned long>& codePoints) {
  std::vector<unsigned long> symbols;
  for (const unsigned long c : codePoints) symbols.push_back(0x01000000ul | c);
  return MapKeySymbols(display, symbols);
}

struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top down
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// An xwd file of a 24- or 32-bit true-colour window; false for anything else.
inline bool ReadXwd(const std::string& path, Screenshot* shot) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  const std::string bytes = content.str();
  if (bytes.size() < 100) return false;
  auto word = [&](size_t index) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + index * 4;
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
  };
  const uint32_t headerSize = word(0), width = word(4), height = word(5), byteOrder = word(7);
  const uint32_t bitsPerPixel = word(11), bytesPerLine = word(12), colours = word(19);
  if (bitsPerPixel != 32) return false;
  const size_t start = headerSize + static_cast<size_t>(colours) * 12;
  if (bytes.size() < start + static_cast<size_t>(bytesPerLine) * height) return false;
  shot->width = static_cast<int>(width);
  shot->height = static_cast<int>(height);
  shot->pixels.resize(static_cast<size_t>(width) * height);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + start + y * bytesPerLine + x * 4;
      const uint32_t value = byteOrder == 0
                                 ? (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0]
                                 : (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
      shot->pixels[static_cast<size_t>(y) * width + x] = value & 0x00FFFFFFu;  // red, green, blue masks of TrueColor
    }
  }
  return true;
}

}  // namespace testsupport
