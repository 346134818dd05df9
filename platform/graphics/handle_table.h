#pragma once

#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>

#include "platform/graphics/glyphs.h"

// The tables the glyph sources keep their fonts in, and the state they keep for the process.

namespace platform {

// Objects handed out to callers as plain integers, the way a desktop system hands out handles.
// Every lookup is checked, so a stale or made-up handle finds nothing instead of memory it must
// not touch. Handles are never reused within a run.
template <typename Object>
class HandleTable {
 public:
  using Handle = std::intptr_t;

  Handle add(std::unique_ptr<Object> object) {
    const Handle handle = next_++;
    objects_.emplace(handle, std::move(object));
    return handle;
  }

  Object* find(Handle handle) const {
    const auto found = objects_.find(handle);
    return found == objects_.end() ? nullptr : found->second.get();
  }

  bool remove(Handle handle) { return objects_.erase(handle) != 0; }

  std::size_t size() const { return objects_.size(); }

 private:
  // Starting well away from 0 and small numbers keeps handles apart from object numbers in tests
  // and in a debugger.
  Handle next_ = 0x10000;
  std::unordered_map<Handle, std::unique_ptr<Object>> objects_;
};

// A glyph source's state for the whole process: made when first asked for, ended with the window
// system (end_glyphs), so that a window system started afterwards finds its fonts afresh.
template <typename State>
class ProcessState {
 public:
  static State& get() {
    if (!slot()) slot() = std::make_unique<State>();
    return *slot();
  }
  static bool made() { return slot() != nullptr; }
  static void end() { slot().reset(); }

 private:
  static std::unique_ptr<State>& slot() {
    static std::unique_ptr<State> state;
    return state;
  }
};

// The fonts a glyph source has made, under their handles, and the stock fonts among them: made
// once for each kind and size (or resolution), and never deleted by the program.
template <typename Font>
class FontTable {
 public:
  FontHandle add(std::unique_ptr<Font> font) { return fonts_.add(std::move(font)); }
  Font* find(FontHandle handle) const { return fonts_.find(handle); }

  bool remove(FontHandle font) {
    for (const auto& [kind, stock] : stock_) {
      if (font == stock) {
        return false;
      }
    }
    return fonts_.remove(font);
  }

  // Where the stock font of this kind and size is kept; 0 until it is made.
  FontHandle& stock(StockFont which, int size) { return stock_[{which, size}]; }

 private:
  HandleTable<Font> fonts_;
  std::map<std::pair<StockFont, int>, FontHandle> stock_;
};

// The desktop's sans-serif face as the stock fonts have it: 10 points bold for the system font,
// 9 points for controls, at `dpi`.
inline FontRequest stock_font_request(StockFont which, int dpi) {
  const int points = which == StockFont::System ? 10 : 9;
  FontRequest request;
  request.face = "sans-serif";
  request.height = -static_cast<int>(std::lround(points * dpi / 72.0));
  request.weight = which == StockFont::System ? 700 : 400;
  return request;
}

}  // namespace platform
