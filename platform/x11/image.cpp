#include "platform/x11/image.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include "platform/x11/errors.h"
#include "platform/x11/xlib.h"

namespace platform {
namespace {

const char* visual_class_name(int visual_class) {
  switch (visual_class) {
    case StaticGray:
      return "StaticGray";
    case GrayScale:
      return "GrayScale";
    case StaticColor:
      return "StaticColor";
    case PseudoColor:
      return "PseudoColor";
    case DirectColor:
      return "DirectColor";
    default:
      return "TrueColor";
  }
}

}  // namespace

std::optional<PixelFormat> true_colour_format(::Display* x, const Visual* visual, int depth, std::string& error) {
  const std::string described = std::to_string(depth) + "-bit " + visual_class_name(visual->c_class);
  if (visual->c_class != TrueColor) {
    error = "the X display shows no true colour (its visual is " + described + ")";
    return std::nullopt;
  }
  int bits_per_pixel = 0;
  int count = 0;
  if (XPixmapFormatValues* formats = xlib().XListPixmapFormats(x, &count)) {
    for (int index = 0; index < count; ++index) {
      if (formats[index].depth == depth) {
        bits_per_pixel = formats[index].bits_per_pixel;
      }
    }
    xlib().XFree(formats);
  }
  auto format = PixelFormat::true_colour(visual->red_mask, visual->green_mask, visual->blue_mask, bits_per_pixel,
                                         ImageByteOrder(x) == MSBFirst);
  if (!format) {
    error = "the X display stores its " + described + " pixels in a way this program cannot write (" +
            std::to_string(bits_per_pixel) + " bits a pixel)";
  }
  return format;
}

X11Image::~X11Image() {
  if (image_ == nullptr) {
    return;
  }
  if (shared_) {
    xlib().XShmDetach(x_, &shm_);
    xlib().XSync(x_, False);
    shmdt(shm_.shmaddr);
  }
  image_->data = nullptr;  // not Xlib's to free
  XDestroyImage(image_);
}

bool X11Image::make_shared(Size size) {
  image_ = xlib().XShmCreateImage(x_, visual_, static_cast<unsigned>(depth_), ZPixmap, nullptr, &shm_,
                                  static_cast<unsigned>(size.width), static_cast<unsigned>(size.height));
  if (image_ == nullptr) {
    return false;
  }
  const std::size_t bytes = static_cast<std::size_t>(image_->bytes_per_line) * static_cast<std::size_t>(size.height);
  shm_.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  void* address = shm_.shmid >= 0 ? shmat(shm_.shmid, nullptr, 0) : reinterpret_cast<void*>(-1);
  if (address != reinterpret_cast<void*>(-1)) {
    shm_.shmaddr = image_->data = static_cast<char*>(address);
    shm_.readOnly = False;
    // Attaching fails on servers that cannot reach the client's memory (a remote display): that
    // is told by an error, which is caught here instead of ending the program.
    XErrorRoutes& routes = x_error_routes();
    routes.tried_request_failed = false;
    routes.tried_request = NextRequest(x_);
    xlib().XShmAttach(x_, &shm_);
    xlib().XSync(x_, False);
    routes.tried_request = 0;
    const bool attach_error = routes.tried_request_failed;
    // Marked for removal now; it goes when both sides have detached.
    shmctl(shm_.shmid, IPC_RMID, nullptr);
    if (!attach_error) {
      shared_ = true;
      return true;
    }
    shmdt(address);
  } else if (shm_.shmid >= 0) {
    shmctl(shm_.shmid, IPC_RMID, nullptr);
  }
  image_->data = nullptr;
  XDestroyImage(image_);
  image_ = nullptr;
  return false;
}

bool X11Image::make(Size size, int bands, bool try_shared_memory) {
  size_ = size;
  if (!try_shared_memory || !make_shared({size.width, size.height * bands})) {
    // Without shared memory the pixels travel with each request, and one band will do.
    bands = 1;
    image_ = xlib().XCreateImage(x_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0, nullptr,
                                 static_cast<unsigned>(size.width), static_cast<unsigned>(size.height), 32, 0);
    if (image_ == nullptr) {
      return false;
    }
    const std::size_t bytes = static_cast<std::size_t>(image_->bytes_per_line) * static_cast<std::size_t>(size.height);
    own_store_.assign((bytes + 3) / 4, 0);
    image_->data = reinterpret_cast<char*>(own_store_.data());
  }
  sent_.assign(static_cast<std::size_t>(bands), 0);
  if (!format_.is_surface_format()) {
    surface_pixels_.assign(static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height), Pixel{});
  }
  return true;
}

std::uint8_t* X11Image::band_data(int band) const {
  return reinterpret_cast<std::uint8_t*>(image_->data) +
         static_cast<std::size_t>(image_->bytes_per_line) * static_cast<std::size_t>(size_.height * band);
}

Surface X11Image::surface() {
  if (format_.is_surface_format()) {
    return {size_, reinterpret_cast<Pixel*>(band_data(band_)), static_cast<std::size_t>(image_->bytes_per_line / 4)};
  }
  return {size_, surface_pixels_.data(), static_cast<std::size_t>(size_.width)};
}

void X11Image::put(::Window target, GC gc, const Rect& area, int top) {
  const Rect shown = area.moved(0, -top).intersected(Rect::at({0, 0}, size_));
  if (shown.empty()) {
    return;
  }
  if (!format_.is_surface_format()) {
    format_.convert(surface_pixels_.data(), static_cast<std::size_t>(size_.width), shown, band_data(band_),
                    static_cast<std::size_t>(image_->bytes_per_line));
  }
  const auto width = static_cast<unsigned>(shown.width());
  const auto height = static_cast<unsigned>(shown.height());
  if (shared_) {
    // The server reads the pixels from shared memory, and reports when it has.
    xlib().XShmPutImage(x_, target, gc, image_, shown.left, size_.height * band_ + shown.top, shown.left,
                        shown.top + top, width, height, True);
    sent_[static_cast<std::size_t>(band_)] = NextRequest(x_) - 1;
    xlib().XFlush(x_);
    turn_band();
  } else {
    xlib().XPutImage(x_, target, gc, image_, shown.left, shown.top, shown.left, shown.top + top, width, height);
    xlib().XFlush(x_);
  }
}

void X11Image::turn_band() {
  band_ = (band_ + 1) % static_cast<int>(sent_.size());
  const unsigned long sent = sent_[static_cast<std::size_t>(band_)];
  if (sent != 0 && LastKnownRequestProcessed(x_) < sent) {
    // The server's report may already be waiting on the connection; read it without blocking.
    xlib().XEventsQueued(x_, QueuedAfterReading);
    if (LastKnownRequestProcessed(x_) < sent) {
      xlib().XSync(x_, False);
    }
  }
  sent_[static_cast<std::size_t>(band_)] = 0;
}

}  // namespace platform
