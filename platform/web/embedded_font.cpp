// For the web build's tests, which draw texts of every size and style: in the browser there is
// neither fontconfig nor a font folder, so every face asked for ("Arial", the stock fonts'
// sans-serif) is the one compiled in, drawn with Debian's default settings as the Linux build
// draws it.

#include <string>

#include "platform/text/font_file_stream.h"
#include "platform/text/font_match.h"
#include "platform/web/embedded_face.h"

namespace platform {
namespace {

constexpr const char* embedded_path = "embedded:LiberationSans-Regular.ttf";

}  // namespace

// Nothing is read: the one face is compiled in.
struct FontConfiguration::Read {};

FontConfiguration::FontConfiguration() = default;
FontConfiguration::~FontConfiguration() = default;

// Nothing of fontconfig's to give back.
void end_fontconfig() {}

bool FontConfiguration::match(const FontQuery& query, const std::function<bool(const FontFile&)>& accept) {
  FontFile file{embedded_path, 0, RenderSettings{}};
  // Where fontconfig finds no bold face it asks for a synthetic one.
  file.settings.embolden = query.weight >= 600;
  return accept(file);
}

// A stream without a read function is one that FreeType reads from memory.
std::unique_ptr<FontFileStream> FontFileStream::open(const std::string& path) {
  if (path != embedded_path) {
    return nullptr;
  }
  std::unique_ptr<FontFileStream> opened(new FontFileStream());
  opened->stream_.base = const_cast<unsigned char*>(embedded_face.data());
  opened->stream_.size = static_cast<unsigned long>(embedded_face.size());
  return opened;
}

FontFileStream::~FontFileStream() = default;

}  // namespace platform
