#pragma once

#include <string>

namespace platform {

// How the desktop wants glyphs of a face drawn (fontconfig's settings for it).
struct RenderSettings {
  bool antialias = true;
  bool hinting = true;
  bool autohint = false;
  int hint_style = 1;  // 0 none, 1 slight, 2 medium, 3 full
  bool embolden = false;
};

struct FontFile {
  std::string path;
  int index = 0;
  RenderSettings settings;
};

// The installed face that best answers a face name, weight and slant at a pixel size, with the
// desktop's settings for it. "Arial" resolves to its metric-compatible substitute where Arial
// itself is absent. An empty path when there is no font at all.
FontFile match_font(const std::string& face, int weight, bool italic, double pixel_size);

}  // namespace platform
