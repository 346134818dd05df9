// Fonts under configurations other than this machine's own: a user's rules, no fonts at all, and
// a damaged font file that fontconfig's cache still lists.
//
// Every test sets fontconfig's environment before it makes a font configuration; fonts made
// through the window system find their faces afresh once it has stopped.

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/graphics_state.h"
#include "platform/graphics/glyphs.h"
#include "platform/headless/backend.h"
#include "platform/text/font_match.h"
#include "platform/window_system/window_system.h"
#include "present/drawing/images.h"
#include "viewer/viewer.h"

namespace {

namespace fs = std::filesystem;

const fs::path liberation = "/usr/share/fonts/truetype/liberation";

class FontConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "tablescope-fonts-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder = pattern;
    // Nothing of the person running the tests may leak in.
    setenv("HOME", folder.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (folder / "cache").c_str(), 1);
    unsetenv("FONTCONFIG_FILE");
    platform::set_display_dpi(96);
  }
  // What a test started ends here too, also when an assertion stopped the test half-way.
  void TearDown() override {
    viewer::shut_down_viewer(state);
    platform::stop_window_system();
    fs::remove_all(folder);
  }

  void write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
  }

  static std::string config(const std::string& body) {
    return "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>\n" + body +
           "</fontconfig>\n";
  }

  // The best face the desktop's whole configuration gives for "Arial" at 11 pixels, asked of
  // fontconfig directly.
  static platform::FontFile desktop_choice() {
    FcConfig* config = FcInitLoadConfigAndFonts();
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("Arial:pixelsize=11:scalable=true"));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    platform::FontFile file;
    FcChar8* path = nullptr;
    FcBool antialias = FcTrue;
    FcPatternGetString(match, FC_FILE, 0, &path);
    file.path = reinterpret_cast<const char*>(path);
    FcPatternGetInteger(match, FC_INDEX, 0, &file.index);
    FcPatternGetBool(match, FC_ANTIALIAS, 0, &antialias);
    file.settings.antialias = antialias == FcTrue;
    FcPatternGetInteger(match, FC_HINT_STYLE, 0, &file.settings.hint_style);
    FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    return file;
  }

  static std::vector<platform::FontFile> offers(const platform::FontQuery& query, std::size_t wanted) {
    std::vector<platform::FontFile> files;
    platform::FontConfiguration configuration;
    configuration.match(query, [&](const platform::FontFile& file) {
      files.push_back(file);
      return files.size() == wanted;
    });
    return files;
  }

  // The grey levels of "Hg" written in the font.
  static std::vector<int> levels(platform::FontHandle font) {
    auto cell = platform::Bitmap::make(40, -20, 24);
    std::vector<int> seen(256, 0);
    if (!platform::write_text(font, "Hg", *cell, 0, 0)) {
      return seen;
    }
    for (int y = 0; y < 20; ++y) {
      for (int x = 0; x < 40; ++x) {
        ++seen[cell->row(y)[3 * x]];
      }
    }
    return seen;
  }

  static int greys(const std::vector<int>& seen) {
    int count = 0;
    for (int level = 1; level < 255; ++level) {
      count += seen[static_cast<std::size_t>(level)] > 0 ? 1 : 0;
    }
    return count;
  }

  // "Arial" at 8 points on a 96-dpi desktop: 11 pixels.
  static platform::FontHandle arial_font() {
    platform::FontRequest request;
    request.face = "Arial";
    request.height = -11;
    return platform::create_font(request);
  }

  // The face offered first is Liberation Sans, with the settings fontconfig itself gives it.
  static void expect_the_desktops_choice(const std::vector<platform::FontFile>& files) {
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].path, (liberation / "LiberationSans-Regular.ttf").string());
    const platform::FontFile desktop = desktop_choice();
    EXPECT_EQ(files[0].path, desktop.path);
    EXPECT_EQ(files[0].settings.antialias, desktop.settings.antialias);
    EXPECT_EQ(files[0].settings.hint_style, desktop.settings.hint_style);
  }

  fs::path folder;
  viewer::ViewerState state;  // its heap outlives the layer, whatever becomes of the test
  const platform::FontQuery arial{"Arial", 400, false, 11};
};

TEST_F(FontConfigTest, TheDesktopsOwnRulesChooseTheFaceAndItsSmoothing) {
  // Debian's defaults: Liberation Sans stands in for Arial, smoothed, slightly hinted.
  const std::vector<platform::FontFile> files = offers(arial, 1);
  ASSERT_NO_FATAL_FAILURE(expect_the_desktops_choice(files));
  EXPECT_EQ(files[0].index, 0);
  EXPECT_TRUE(files[0].settings.antialias);
  EXPECT_TRUE(files[0].settings.hinting);
  EXPECT_EQ(files[0].settings.hint_style, FC_HINT_SLIGHT);

  // 11 pixels: the face's ascent and descent rounded up.
  const platform::FontHandle font = arial_font();
  EXPECT_EQ(platform::measure_text(font, "H")->height, 13);
  EXPECT_GT(greys(levels(font)), 10);
  platform::delete_font(font);
}

TEST_F(FontConfigTest, AUsersRulesTurnSmoothingOffAndHintingUp) {
  write(folder / "config/fontconfig/fonts.conf",
        config("<match target=\"font\">\n"
               "  <edit name=\"antialias\" mode=\"assign\"><bool>false</bool></edit>\n"
               "  <edit name=\"hintstyle\" mode=\"assign\"><const>hintfull</const></edit>\n"
               "</match>\n"));
  const std::vector<platform::FontFile> files = offers(arial, 1);
  ASSERT_NO_FATAL_FAILURE(expect_the_desktops_choice(files));
  EXPECT_FALSE(files[0].settings.antialias);
  EXPECT_EQ(files[0].settings.hint_style, FC_HINT_FULL);

  // Unsmoothed glyphs are black and white only.
  const platform::FontHandle font = arial_font();
  const std::vector<int> seen = levels(font);
  EXPECT_EQ(greys(seen), 0);
  EXPECT_GT(seen[255], 20);
  platform::delete_font(font);
}

TEST_F(FontConfigTest, WithoutAnyFontTheProgramSaysSoOnceAndRunsWithoutText) {
  write(folder / "empty.conf", config(""));
  setenv("FONTCONFIG_FILE", (folder / "empty.conf").c_str(), 1);
  platform::start_window_system(std::make_unique<platform::HeadlessDisplay>(platform::Size{1920, 1080}));
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(viewer::start_viewer(state));
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(said,
            "tablescope: no font could be loaded for \"Arial\" nor any other face; texts are left out "
            "(install the Debian package fonts-liberation)\n");

  // The page is there, with its grey dividers, and its label rows hold no grey but theirs: the
  // trace is blue-grey and its points red, while a label's pixels would be grey levels.
  const platform::Bitmap& canvas = *platform::find_bitmap(present::image_handle(0));
  EXPECT_EQ(canvas.row(295)[3 * 128], 100);
  for (const int top : {0, 280}) {
    for (int y = top; y < top + 14; ++y) {
      for (int x = 0; x < 1024; ++x) {
        const std::uint8_t* pixel = canvas.row(y) + 3 * x;
        const bool grey = pixel[0] == pixel[1] && pixel[1] == pixel[2];
        ASSERT_TRUE(!grey || pixel[0] == 0 || (pixel[0] == 100 && x % 128 == 0)) << x << "," << y;
      }
    }
  }
  EXPECT_FALSE(platform::measure_text(platform::stock_font(platform::StockFont::DefaultGui), "Next"));
}

TEST_F(FontConfigTest, AFaceThatWillNotLoadGivesWayToTheNextOneOffered) {
  // Two faces, listed in a cache made while both were whole; then the one Arial resolves to is cut
  // short, as when a file is damaged after the cache was made.
  const fs::path fonts = folder / "fonts";
  fs::create_directories(fonts);
  fs::copy_file(liberation / "LiberationSans-Regular.ttf", fonts / "LiberationSans-Regular.ttf");
  fs::copy_file(liberation / "LiberationSerif-Regular.ttf", fonts / "LiberationSerif-Regular.ttf");
  write(folder / "fonts.conf",
        config("<dir>" + fonts.string() + "</dir>\n<cachedir>" + (folder / "cache").string() +
               "</cachedir>\n<include ignore_missing=\"yes\">/usr/share/fontconfig/conf.avail/30-metric-aliases.conf"
               "</include>\n"));
  setenv("FONTCONFIG_FILE", (folder / "fonts.conf").c_str(), 1);
  FcConfig* caching = FcInitLoadConfigAndFonts();
  ASSERT_NE(caching, nullptr);
  FcConfigDestroy(caching);
  fs::resize_file(fonts / "LiberationSans-Regular.ttf", 1000);

  const std::vector<platform::FontFile> files = offers(arial, 2);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].path, (fonts / "LiberationSans-Regular.ttf").string());
  EXPECT_EQ(files[1].path, (fonts / "LiberationSerif-Regular.ttf").string());

  ::testing::internal::CaptureStderr();
  const platform::FontHandle font = arial_font();
  const auto extent = platform::measure_text(font, "Hg");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  ASSERT_TRUE(extent);
  EXPECT_GT(extent->width, 0);
  EXPECT_GT(greys(levels(font)), 10);
  platform::delete_font(font);
}

// A broken configuration file makes fontconfig say so, once; the fonts are found as fontconfig
// finds them without one.
TEST_F(FontConfigTest, ABrokenConfigurationIsToldOfOnce) {
  write(folder / "broken.conf", "<fontconfig><broken");
  setenv("FONTCONFIG_FILE", (folder / "broken.conf").c_str(), 1);
  ::testing::internal::CaptureStderr();
  const std::vector<platform::FontFile> files = offers(arial, 1);
  const std::string said = ::testing::internal::GetCapturedStderr();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].path, (liberation / "LiberationSans-Regular.ttf").string());
  EXPECT_NE(said.find("broken.conf"), std::string::npos) << said;
  std::istringstream lines(said);
  std::set<std::string> seen;
  for (std::string line; std::getline(lines, line);) {
    EXPECT_TRUE(seen.insert(line).second) << "said twice: " << line;
  }
}

// With only a face of bitmaps, 10 pixels high, every font the program makes is drawn in it at that
// size: the labels' "Arial" at 11 pixels and the buttons' captions alike; the user is told once
// what was asked and what is drawn.
TEST_F(FontConfigTest, AFaceOfBitmapsDrawsEveryFontAtItsNearestSize) {
  std::string boxes =
      "STARTFONT 2.1\nFONT -test-boxes-medium-r-normal--10-100-75-75-c-60-iso8859-1\nSIZE 10 75 75\n"
      "FONTBOUNDINGBOX 6 10 0 -2\nSTARTPROPERTIES 6\nFAMILY_NAME \"Boxes\"\nPIXEL_SIZE 10\nFONT_ASCENT 8\n"
      "FONT_DESCENT 2\nCHARSET_REGISTRY \"ISO8859\"\nCHARSET_ENCODING \"1\"\nENDPROPERTIES\nCHARS 95\n";
  for (int code = 32; code < 127; ++code) {
    boxes += "STARTCHAR c" + std::to_string(code) + "\nENCODING " + std::to_string(code) +
             "\nSWIDTH 600 0\nDWIDTH 6 0\nBBX 6 10 0 -2\nBITMAP\n";
    for (int row = 0; row < 10; ++row) {
      boxes += code == 32 ? "00\n" : "FC\n";
    }
    boxes += "ENDCHAR\n";
  }
  write(folder / "fonts/boxes.bdf", boxes + "ENDFONT\n");
  write(folder / "fonts.conf", config("<dir>" + (folder / "fonts").string() + "</dir>\n<cachedir>" +
                                      (folder / "cache").string() + "</cachedir>\n"));
  setenv("FONTCONFIG_FILE", (folder / "fonts.conf").c_str(), 1);
  platform::start_window_system(std::make_unique<platform::HeadlessDisplay>(platform::Size{1920, 1080}));
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(viewer::start_viewer(state));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "tablescope: no font could be loaded for \"Arial\" at 11 pixels; texts are drawn in \"Boxes\" at 10 "
            "pixels (install the Debian package fonts-liberation)\n");
  // The first column's offset label, from (5, 280): boxes wholly in the labels' grey.
  const platform::Bitmap& canvas = *platform::find_bitmap(present::image_handle(0));
  int lit = 0;
  for (int y = 280; y < 294; ++y) {
    for (int x = 5; x < 30; ++x) {
      lit += canvas.row(y)[3 * x] == 200 ? 1 : 0;
    }
  }
  EXPECT_GT(lit, 20);
  // The captions' font at the screen's resolution: six pixels a character.
  const platform::FontHandle caption = platform::stock_font(platform::StockFont::DefaultGui, 96);
  ASSERT_TRUE(platform::measure_text(caption, "Next"));
  EXPECT_EQ(platform::measure_text(caption, "Next")->width, 24);
}

}  // namespace
