#include "platform/text/font_match.h"

#include <fontconfig/fontconfig.h>

#include <memory>
#include <optional>
#include <vector>

namespace platform {
namespace {

struct PatternDeleter {
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

struct FontSetDeleter {
  void operator()(FcFontSet* set) const { FcFontSetDestroy(set); }
};
using FontSet = std::unique_ptr<FcFontSet, FontSetDeleter>;

// The desktop's configuration with its rules and fonts. FcInit would also parse every file of
// fontconfig's template folder, for their descriptions only, and so take half as long again.
// Where the desktop's files are missing or will not parse (fontconfig has said why, once), the
// fonts are found as fontconfig's own fallback finds them, without reading those files again.
FcConfig* load_configuration() {
  FcConfig* config = FcConfigCreate();
  if (config == nullptr) {
    return nullptr;
  }
  if (FcConfigParseAndLoad(config, nullptr, FcTrue) == FcTrue && FcConfigBuildFonts(config) == FcTrue) {
    return config;
  }
  FcConfigDestroy(config);
  constexpr char fallback[] =
      "<fontconfig>"
      "<dir>/usr/share/fonts</dir><dir prefix=\"xdg\">fonts</dir><dir>~/.fonts</dir>"
      "<cachedir>/var/cache/fontconfig</cachedir><cachedir prefix=\"xdg\">fontconfig</cachedir>"
      "<include ignore_missing=\"yes\">/usr/share/fontconfig/conf.avail/30-metric-aliases.conf</include>"
      "</fontconfig>";
  config = FcConfigCreate();
  if (config != nullptr &&
      FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(fallback), FcTrue) == FcTrue &&
      FcConfigBuildFonts(config) == FcTrue) {
    return config;
  }
  if (config != nullptr) {
    FcConfigDestroy(config);
  }
  return nullptr;
}

int fontconfig_weight(int weight) { return weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR; }

bool get_bool(FcPattern* pattern, const char* key, bool fallback) {
  FcBool value = FcFalse;
  return FcPatternGetBool(pattern, key, 0, &value) == FcResultMatch ? value == FcTrue : fallback;
}

std::optional<FontFile> font_file(FcPattern* font) {
  FcChar8* path = nullptr;
  if (font == nullptr || FcPatternGetString(font, FC_FILE, 0, &path) != FcResultMatch) {
    return std::nullopt;
  }
  FontFile file;
  FcChar8* end = path;
  while (*end != 0) {
    ++end;
  }
  file.path.assign(path, end);
  FcPatternGetInteger(font, FC_INDEX, 0, &file.index);
  file.settings.antialias = get_bool(font, FC_ANTIALIAS, true);
  file.settings.hinting = get_bool(font, FC_HINTING, true);
  file.settings.autohint = get_bool(font, FC_AUTOHINT, false);
  file.settings.embolden = get_bool(font, FC_EMBOLDEN, false);
  FcPatternGetInteger(font, FC_HINT_STYLE, 0, &file.settings.hint_style);
  return file;
}

}  // namespace

struct FontConfiguration::Read {
  Read() : config(load_configuration()) {}
  Read(const Read&) = delete;
  Read& operator=(const Read&) = delete;
  ~Read() {
    if (config != nullptr) {
      FcConfigDestroy(config);
    }
  }
  FcConfig* config;
};

FontConfiguration::FontConfiguration() = default;
FontConfiguration::~FontConfiguration() = default;

namespace {
bool fontconfig_shared = false;
}  // namespace

void share_fontconfig() { fontconfig_shared = true; }

void end_fontconfig() {
  if (!fontconfig_shared) {
    FcFini();
  }
}

bool FontConfiguration::match(const FontQuery& query, const std::function<bool(const FontFile&)>& accept) {
  if (!read_) {
    read_ = std::make_unique<Read>();
  }
  FcConfig* config = read_->config;
  Pattern pattern(FcPatternCreate());
  if (config == nullptr || !pattern) {
    return false;
  }
  std::vector<FcChar8> family(query.face.begin(), query.face.end());
  family.push_back(0);
  FcPatternAddString(pattern.get(), FC_FAMILY, family.data());
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, fontconfig_weight(query.weight));
  FcPatternAddInteger(pattern.get(), FC_SLANT, query.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddDouble(pattern.get(), FC_PIXEL_SIZE, query.pixel_size);
  FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
  FcConfigSubstitute(config, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());

  FcResult outcome = FcResultNoMatch;
  const Pattern best(FcFontMatch(config, pattern.get(), &outcome));
  const std::optional<FontFile> first = font_file(best.get());
  if (first && accept(*first)) {
    return true;
  }
  // The best face would not load (a damaged or vanished file the cache still lists): offer the
  // others in fontconfig's order of preference.
  const FontSet sorted(FcFontSort(config, pattern.get(), FcFalse, nullptr, &outcome));
  for (int i = 0; sorted && i < sorted->nfont; ++i) {
    const Pattern prepared(FcFontRenderPrepare(config, pattern.get(), sorted->fonts[i]));
    const std::optional<FontFile> file = font_file(prepared.get());
    if (file && !(first && file->path == first->path && file->index == first->index) && accept(*file)) {
      return true;
    }
  }
  return false;
}

}  // namespace platform
