#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/geometry.h"
#include "platform/window.h"
#include "platform/x11_pixel_format.h"

namespace platform {

// How the server stores pixels of the visual: any true-colour visual will do. Nothing, with the
// reason in `error`, for other visuals (a palette of 256 colours, grey levels).
std::optional<PixelFormat> true_colour_format(::Display* x, const Visual* visual, int depth, std::string& error);

// The pixels of a top-level window's inner area on its way to the X server: the surface the
// window system paints into and the image the server is sent, shared with the server through
// MIT-SHM where it allows that. Where the visual stores pixels as the surface does, they are one
// store; otherwise each area is converted into the visual's format when it is sent.
class X11Image {
 public:
  X11Image(::Display* x, Visual* visual, int depth, const PixelFormat& format) : x_(x), visual_(visual), depth_(depth), format_(format) {}
  ~X11Image();
  X11Image(const X11Image&) = delete;
  X11Image& operator=(const X11Image&) = delete;

  // Makes the stores for a surface of this size; false when not even unshared ones can be made.
  bool make(Size size, bool try_shared_memory);
  Surface surface();
  // Sends an area of the surface to a drawable, and with shared memory waits until the server has
  // read it, so that painting may go on.
  void put(::Window target, GC gc, const Rect& area);

 private:
  bool make_shared(Size size);

  ::Display* x_;
  Visual* visual_;
  int depth_;
  PixelFormat format_;
  Size size_;
  XImage* image_ = nullptr;
  XShmSegmentInfo shm_{};
  bool shared_ = false;
  std::vector<std::uint32_t> own_store_;       // the image's pixels when they are not shared
  std::vector<std::uint32_t> surface_pixels_;  // when the visual's format is not the surface's
};

}  // namespace platform
