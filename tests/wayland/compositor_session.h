#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/geometry.h"
#include "x11/x_session.h"

namespace wayland_test {

// A picture in device pixels, 0x00RRGGBB, rows top-down.
struct Picture {
  platform::Size size;
  std::vector<std::uint32_t> pixels;
  std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y * size.width + x)]; }
};

enum class Compositor { Sway, Weston };

// weston's output, a window of that size on an X screen of 1920 x 1080.
inline constexpr platform::Size weston_output{1600, 1000};

// The colour of weston's desktop behind the windows.
inline constexpr std::uint32_t weston_background = 0x203040;

// A compositor of its own with one output at a whole-number scale, run with every program it
// serves as an unprivileged user (sway refuses to run as root) in a private runtime directory.
// sway is headless; its seat has a pointer, which `swaymsg seat - cursor` moves, and a keyboard
// that wtype types on. weston shows its output in a window of a private X server, from whose
// pointer (moved by xdotool, in the output's pixels) its seat takes the pointer's input.
class CompositorSession {
 public:
  CompositorSession(Compositor compositor, int scale);
  ~CompositorSession();
  CompositorSession(const CompositorSession&) = delete;
  CompositorSession& operator=(const CompositorSession&) = delete;

  bool ready() const { return ready_; }
  pid_t compositor_pid() const { return compositor_; }
  int scale() const { return scale_; }
  // Under sway: sets the output's scale, its mode kept; false when sway refuses.
  bool rescale(int scale);

  // A command line that runs a program as the session's user, with the session's environment.
  std::vector<std::string> as_user(const std::vector<std::string>& arguments) const;
  // Runs a program to its end as the session's user; its exit code.
  int run(const std::vector<std::string>& arguments) const;
  // What a program run as the session's user writes on standard output.
  std::string output_of(const std::vector<std::string>& arguments) const;
  // The whole output, in device pixels; empty when it could not be had.
  Picture screenshot() const;

 private:
  Compositor compositor_kind_;
  int scale_;
  std::string directory_;
  std::string socket_;
  std::string sway_socket_;
  std::unique_ptr<x11_test::XSession> x_server_;  // weston's
  pid_t compositor_ = -1;
  pid_t devices_ = -1;
  bool ready_ = false;
};

// A binary PPM file's picture; empty where the file is not one.
Picture read_ppm(const std::string& path);

// The part of a picture in `area`, each block of scale x scale pixels read as one pixel when all
// of its pixels are alike; empty when a block is not, or the area is not wholly in the picture.
std::vector<std::uint32_t> in_blocks(const Picture& picture, const platform::Rect& area, int scale);

}  // namespace wayland_test
