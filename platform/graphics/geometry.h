#pragma once

#include <algorithm>

namespace platform {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// Left and top inside, right and bottom just outside.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  static Rect at(Point origin, Size size) {
    return {origin.x, origin.y, origin.x + size.width, origin.y + size.height};
  }
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  Point origin() const { return {left, top}; }
  Size size() const { return {width(), height()}; }
  bool empty() const { return right <= left || bottom <= top; }
  bool contains(Point point) const { return point.x >= left && point.x < right && point.y >= top && point.y < bottom; }
  Rect moved(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  Rect intersected(const Rect& other) const {
    return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
            std::min(bottom, other.bottom)};
  }
  // The smallest rectangle holding both; an empty rectangle adds nothing.
  Rect united(const Rect& other) const {
    if (empty()) {
      return other;
    }
    if (other.empty()) {
      return *this;
    }
    return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
            std::max(bottom, other.bottom)};
  }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// The sizes of a top-level window's frame around its inner area.
struct FrameExtents {
  int left = 0;
  int right = 0;
  int top = 0;
  int bottom = 0;
  friend bool operator==(const FrameExtents&, const FrameExtents&) = default;
};

}  // namespace platform
