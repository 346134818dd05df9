#pragma once

#include <functional>
#include <memory>
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

struct FontQuery {
  std::string face;
  int weight = 400;
  bool italic = false;
  double pixel_size = 12;
};

// The desktop's font configuration: its rules and its fonts, read from fontconfig's files (as the
// environment names them at the time) when the first font is matched.
class FontConfiguration {
 public:
  FontConfiguration();
  FontConfiguration(const FontConfiguration&) = delete;
  FontConfiguration& operator=(const FontConfiguration&) = delete;
  ~FontConfiguration();

  // Offers the installed faces that answer the query to `accept`, best first, each with the
  // desktop's settings for it, until `accept` takes one; returns whether one was taken. "Arial"
  // resolves to its metric-compatible substitute where Arial itself is absent.
  bool match(const FontQuery& query, const std::function<bool(const FontFile&)>& accept);

 private:
  struct Read;  // what was read of the desktop's configuration, once it has been
  std::unique_ptr<Read> read_;
};

// Gives back what fontconfig keeps for the whole process (its caches), once no FontConfiguration
// is left; not once another library of the process uses fontconfig too.
void end_fontconfig();

// Another library of the process uses fontconfig as well (libdecor's plugin, through pango), and
// may hold its caches to the end: they are not given back from under it.
void share_fontconfig();

}  // namespace platform
