#pragma once

#include <malloc.h>

#include <cstddef>

namespace test_support {

// The bytes that the C library's heap has handed out and not taken back.
inline std::size_t heap_in_use() {
#ifdef _WIN32
  std::size_t used = 0;
  _HEAPINFO entry{};
  while (_heapwalk(&entry) == _HEAPOK) {
    if (entry._useflag == _USEDENTRY) {
      used += entry._size;
    }
  }
  return used;
#elif defined(__EMSCRIPTEN__)
  // The web build's dlmalloc keeps the older interface only.
  return static_cast<std::size_t>(mallinfo().uordblks);
#else
  return mallinfo2().uordblks;
#endif
}

}  // namespace test_support
