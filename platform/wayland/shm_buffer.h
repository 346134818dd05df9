#pragma once

#include <wayland-client.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/graphics/geometry.h"
#include "platform/graphics/pixel.h"

namespace platform {

// One buffer of pixels shared with the compositor: a wl_buffer over memory mapped from an anonymous
// file. The compositor reads it from the commit that shows it until it releases it.
class ShmBuffer {
 public:
  // Nothing where the memory or the buffer cannot be had. The buffer's release is told on `releases`.
  static std::unique_ptr<ShmBuffer> make(wl_shm* shm, wl_event_queue* releases, Size size);
  ~ShmBuffer();
  ShmBuffer(const ShmBuffer&) = delete;
  ShmBuffer& operator=(const ShmBuffer&) = delete;

  wl_buffer* buffer() const { return buffer_; }
  std::uint32_t* words() const { return words_; }
  bool busy() const { return busy_; }
  void attached() { busy_ = true; }

  // What was painted in the other buffer since this one last held all the window's pixels.
  Rect stale;

 private:
  ShmBuffer() = default;
  static void released(void* data, wl_buffer* buffer);

  wl_buffer* buffer_ = nullptr;
  std::uint32_t* words_ = nullptr;  // ARGB8888, as the compositor reads them
  std::size_t bytes_ = 0;
  bool busy_ = false;
};

}  // namespace platform
