#include "platform/wayland/shm_buffer.h"

#include <sys/mman.h>
#include <unistd.h>

namespace platform {

std::unique_ptr<ShmBuffer> ShmBuffer::make(wl_shm* shm, wl_event_queue* releases, Size size) {
  const int stride = size.width * 4;
  const std::size_t bytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(size.height);
  const int fd = memfd_create("window-pixels", MFD_CLOEXEC);
  if (fd < 0) {
    return nullptr;
  }
  void* memory = ftruncate(fd, static_cast<off_t>(bytes)) == 0
                     ? mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                     : MAP_FAILED;
  if (memory == MAP_FAILED) {
    close(fd);
    return nullptr;
  }
  std::unique_ptr<ShmBuffer> made(new ShmBuffer);
  made->words_ = static_cast<std::uint32_t*>(memory);
  made->bytes_ = bytes;
  wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(bytes));
  // The window's pixels are 0x00RRGGBB words, painted here directly: the format XRGB8888 reads them
  // as they are.
  made->buffer_ = wl_shm_pool_create_buffer(pool, 0, size.width, size.height, stride, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  close(fd);
  wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(made->buffer_), releases);
  static const wl_buffer_listener listener{&ShmBuffer::released};
  wl_buffer_add_listener(made->buffer_, &listener, made.get());
  return made;
}

ShmBuffer::~ShmBuffer() {
  if (buffer_ != nullptr) {
    wl_buffer_destroy(buffer_);
  }
  munmap(words_, bytes_);
}

void ShmBuffer::released(void* data, wl_buffer*) { static_cast<ShmBuffer*>(data)->busy_ = false; }

}  // namespace platform
