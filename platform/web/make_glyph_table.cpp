// Renders the glyphs the page draws into the web build's glyph table (glyph_table.h), a C++
// source. A program for the build machine, built and run while the web build is: it draws with
// the build machine's FreeType and the code the Linux build draws with, the face asked for being
// the font file given with Debian's default settings, so that the page's glyphs are the Linux
// build's pixel for pixel.
//   make_glyph_table <font file> <output .cpp> <pixels>:<characters>...

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/text/font_file_stream.h"
#include "platform/text/font_match.h"
#include "platform/text/freetype_font.h"

namespace platform {
namespace {

std::string font_path;

}  // namespace

// Every face asked for is the font file given, as the browser has no other.
struct FontConfiguration::Read {};

FontConfiguration::FontConfiguration() = default;
FontConfiguration::~FontConfiguration() = default;

void end_fontconfig() {}

bool FontConfiguration::match(const FontQuery& query, const std::function<bool(const FontFile&)>& accept) {
  FontFile file{font_path, 0, RenderSettings{}};
  // Where fontconfig finds no bold face it asks for a synthetic one.
  file.settings.embolden = query.weight >= 600;
  return accept(file);
}

}  // namespace platform

namespace {

struct SizeRequest {
  int pixels = 0;
  std::set<unsigned char> characters;
};

bool parse_size(const std::string& argument, SizeRequest& size) {
  const std::size_t colon = argument.find(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == argument.size()) {
    return false;
  }
  char* end = nullptr;
  const long pixels = std::strtol(argument.c_str(), &end, 10);
  if (end != argument.c_str() + colon || pixels < 1 || pixels > platform::freetype::max_pixel_height) {
    return false;
  }
  size.pixels = static_cast<int>(pixels);
  size.characters.insert(argument.begin() + static_cast<std::ptrdiff_t>(colon) + 1, argument.end());
  return true;
}

// Writes the glyphs of every size, the coverage of all of them as one list of bytes.
bool write_table(FT_Library library, const std::vector<SizeRequest>& sizes, std::ostringstream& out) {
  FT_Face face = nullptr;
  if (FT_New_Face(library, platform::font_path.c_str(), 0, &face) != 0) {
    return false;
  }
  const std::string family = face->family_name != nullptr ? face->family_name : "";
  const int units_per_em = face->units_per_EM;
  const int cell_units = face->ascender - face->descender;
  FT_Done_Face(face);

  platform::FontConfiguration configuration;
  std::ostringstream glyphs;
  std::ostringstream table;
  std::vector<std::uint8_t> coverage;
  for (const SizeRequest& size : sizes) {
    platform::FontRequest request;
    request.face = family;
    request.height = -size.pixels;
    platform::freetype::Font font(request);
    if (!font.load(library, configuration)) {
      return false;
    }
    glyphs << "constexpr TableGlyph glyphs_" << size.pixels << "[] = {\n";
    for (const unsigned char character : size.characters) {
      const platform::freetype::Glyph& glyph = font.glyph(character);
      glyphs << "    {" << int{character} << ", " << glyph.left << ", " << glyph.top << ", " << glyph.width << ", "
             << glyph.rows << ", " << glyph.advance << ", " << coverage.size() << "},\n";
      coverage.insert(coverage.end(), glyph.coverage.begin(), glyph.coverage.end());
    }
    glyphs << "};\n";
    table << "    {" << size.pixels << ", " << font.ascent() << ", " << font.line_height() - font.ascent() << ", "
          << font.line_thickness() << ", " << font.underline_row() << ", " << font.strike_row() << ", glyphs_"
          << size.pixels << "},\n";
  }

  out << "// Made by make_glyph_table from " << family << " while the program was built; do not edit.\n"
      << "#include \"platform/web/glyph_table.h\"\n\n"
      << "namespace platform::web {\nnamespace {\n\n"
      << "constexpr std::uint8_t coverage[] = {";
  for (std::size_t index = 0; index < coverage.size(); ++index) {
    out << (index % 24 == 0 ? "\n    " : " ") << int{coverage[index]} << ',';
  }
  out << "\n};\n\n"
      << glyphs.str() << "\nconstexpr TableSize sizes[] = {\n"
      << table.str() << "};\n\n}  // namespace\n\n"
      << "const GlyphTable glyph_table{\"" << family << "\", " << units_per_em << ", " << cell_units
      << ", sizes, coverage};\n\n}  // namespace platform::web\n";
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: make_glyph_table <font file> <output .cpp> <pixels>:<characters>...\n");
    return 2;
  }
  platform::font_path = argv[1];
  std::vector<SizeRequest> sizes;
  for (int index = 3; index < argc; ++index) {
    SizeRequest size;
    if (!parse_size(argv[index], size) || (!sizes.empty() && size.pixels <= sizes.back().pixels)) {
      std::fprintf(stderr, "make_glyph_table: \"%s\" is not <pixels>:<characters>, larger than the size before\n",
                   argv[index]);
      return 2;
    }
    sizes.push_back(size);
  }
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) {
    std::fprintf(stderr, "make_glyph_table: FreeType could not be started\n");
    return 1;
  }
  // Written only once whole: a failed run leaves no table behind.
  std::ostringstream table;
  const bool rendered = write_table(library, sizes, table);
  FT_Done_FreeType(library);
  std::ofstream out;
  if (rendered) {
    out.open(argv[2], std::ios::binary);
    out << table.str();
    out.close();
  }
  if (!rendered || !out) {
    std::fprintf(stderr, "make_glyph_table: could not render %s into %s\n", argv[1], argv[2]);
    return 1;
  }
  return 0;
}
