#include "platform/font_match.h"

#include <fontconfig/fontconfig.h>

#include <memory>

namespace platform {
namespace {

struct PatternDeleter {
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

int fontconfig_weight(int weight) { return weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR; }

bool get_bool(FcPattern* pattern, const char* key, bool fallback) {
  FcBool value = FcFalse;
  return FcPatternGetBool(pattern, key, 0, &value) == FcResultMatch ? value == FcTrue : fallback;
}

}  // namespace

FontFile match_font(const std::string& face, int weight, bool italic, double pixel_size) {
  FontFile result;
  if (FcInit() != FcTrue) {
    return result;
  }
  Pattern pattern(FcPatternCreate());
  if (!pattern) {
    return result;
  }
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, fontconfig_weight(weight));
  FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddDouble(pattern.get(), FC_PIXEL_SIZE, pixel_size);
  FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());

  FcResult outcome = FcResultNoMatch;
  Pattern match(FcFontMatch(nullptr, pattern.get(), &outcome));
  FcChar8* path = nullptr;
  if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &path) != FcResultMatch) {
    return result;
  }
  result.path = reinterpret_cast<const char*>(path);
  FcPatternGetInteger(match.get(), FC_INDEX, 0, &result.index);
  result.settings.antialias = get_bool(match.get(), FC_ANTIALIAS, true);
  result.settings.hinting = get_bool(match.get(), FC_HINTING, true);
  result.settings.autohint = get_bool(match.get(), FC_AUTOHINT, false);
  result.settings.embolden = get_bool(match.get(), FC_EMBOLDEN, false);
  FcPatternGetInteger(match.get(), FC_HINT_STYLE, 0, &result.settings.hint_style);
  return result;
}

}  // namespace platform
