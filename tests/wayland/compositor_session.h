#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/geometry.h"

namespace wayland_test {

// A picture in device pixels, 0x00RRGGBB, rows top-down.
struct Picture {
  platform::Size size;
  std::vector<std::uint32_t> pixels;
  std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y * size.width + x)]; }
};

enum class Compositor { Sway, Weston };

// The colour of weston's desktop behind the windows.
inline constexpr std::uint32_t weston_background = 0x203040;

// A headless compositor of its own with one output at a whole-number scale, run with every
// program it serves as an unprivileged user (sway refuses to run as root) in a private runtime
// directory. Under sway the seat has a pointer, which `swaymsg seat - cursor` moves, and a keyboard that
// wtype types on.
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
