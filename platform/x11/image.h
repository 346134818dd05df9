#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/geometry.h"
#include "platform/window_system/window.h"
#include "platform/x11/pixel_format.h"

namespace platform {

// How the server stores pixels of the visual: any true-colour visual will do. Nothing, with the
// reason in `error`, for other visuals (a palette of 256 colours, grey levels).
std::optional<PixelFormat> true_colour_format(::Display* x, const Visual* visual, int depth, std::string& error);

// The pixels of a top-level window's inner area on its way to the X server: the surface the
// window system paints into and the image the server is sent, shared with the server through
// MIT-SHM where it allows that. Where the visual stores pixels as the surface does, they are one
// store; otherwise each area is converted into the visual's format when it is sent.
//
// The surface holds a band of the window's rows. With shared memory the image holds several
// bands in turn: while the server reads one, the next is painted into another, and the program
// waits for the server only when it comes round to a band the server may not have read yet.
class X11Image {
 public:
  X11Image(::Display* x, Visual* visual, int depth, const PixelFormat& format) : x_(x), visual_(visual), depth_(depth), format_(format) {}
  ~X11Image();
  X11Image(const X11Image&) = delete;
  X11Image& operator=(const X11Image&) = delete;

  // Makes the stores for a surface of this size, in `bands` turns with shared memory; false
  // when not even unshared ones can be made.
  bool make(Size size, int bands, bool try_shared_memory);
  Surface surface();
  // Sends an area of the window (device pixels of its inner area) to it, from the surface, whose
  // first row holds the window's row `top`. Painting then goes on in surface().pixels, which may be
  // another band.
  void put(::Window target, GC gc, const Rect& area, int top);

 private:
  bool make_shared(Size size);
  std::uint8_t* band_data(int band) const;
  // Makes the next band the one painted into, once the server has read what was sent from it.
  void turn_band();

  ::Display* x_;
  Visual* visual_;
  int depth_;
  PixelFormat format_;
  Size size_;   // of one band
  int band_ = 0;  // the one painted into
  std::vector<unsigned long> sent_;  // one per band: the request that sent it, 0 once the server has read it
  XImage* image_ = nullptr;
  XShmSegmentInfo shm_{};
  bool shared_ = false;
  std::vector<std::uint32_t> own_store_;       // the image's pixels when they are not shared
  std::vector<Pixel> surface_pixels_;  // when the visual's format is not the surface's
};

}  // namespace platform
