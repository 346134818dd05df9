#include "support/reference_page.h"

#include <gtest/gtest.h>

#include <memory>

#include "wavedata/decode_waves.h"

namespace reference {
namespace {

// The reference stands in for the rules in other tests, so it is held to the cases the rules
// work out by hand.
TEST(ReferencePage, TheFirstSegmentsOfTheInstrumentsFirstPageAndTheDividers) {
  auto bank = std::make_unique<wavedata::SampleBank>();
  wavedata::decode_waves(wavedata::eprom_image, *bank);
  const ReferencePage page(*bank, 0);
  for (int y = 151; y <= 166; ++y) {
    EXPECT_EQ(page.pixel(0, y), y == 151 ? rgb(255, 0, 0) : rgb(100, 100, 150)) << y;
  }
  for (int y = 167; y <= 194; ++y) {
    EXPECT_EQ(page.pixel(1, y), y == 182 ? rgb(255, 0, 0) : rgb(100, 100, 150)) << y;
  }
  for (int y = 195; y <= 208; ++y) {
    EXPECT_EQ(page.pixel(2, y), y == 208 ? rgb(255, 0, 0) : rgb(100, 100, 150)) << y;
  }
  EXPECT_EQ(page.pixel(0, 150), rgb(100, 100, 100));
  EXPECT_EQ(page.pixel(0, 167), rgb(100, 100, 100));
  EXPECT_EQ(page.pixel(1, 166), 0u);
  EXPECT_EQ(page.pixel(0, 0), rgb(100, 100, 100));
  EXPECT_EQ(page.pixel(0, 299), rgb(100, 100, 100));
  EXPECT_EQ(page.pixel(128, 299), rgb(100, 100, 100));
  EXPECT_EQ(page.pixel(1, 0), 0u);
}

TEST(ReferencePage, AZeroBankLiesFlatAndRedOnRowTwenty) {
  const auto bank = std::make_unique<wavedata::SampleBank>();
  const ReferencePage page(*bank, 30);
  for (int x = 0; x < 1024; ++x) {
    EXPECT_EQ(page.pixel(x, 20), rgb(255, 0, 0)) << x;
    EXPECT_EQ(page.pixel(x, 21), x % 128 == 0 ? rgb(100, 100, 100) : 0u) << x;
  }
}

TEST(ReferencePage, ComparesEveryPixelOutsideTheLabelCellsAndOnlyShadesInside) {
  const auto bank = std::make_unique<wavedata::SampleBank>();
  const ReferencePage page(*bank, 30);
  std::vector<std::uint32_t> picture;
  for (int y = 0; y < ReferencePage::height; ++y) {
    for (int x = 0; x < ReferencePage::width; ++x) {
      picture.push_back(page.pixel(x, y));
    }
  }
  EXPECT_EQ(page.difference(picture), "");
  // (130, 10) lies left of column 1's wave-number cell, which starts at x 228.
  picture[10 * 1024 + 130] = rgb(200, 200, 200);
  EXPECT_EQ(page.difference(picture), "1 pixels differ, the first at (130, 10): shown 0xC8C8C8, expected 0x000000");
  picture[10 * 1024 + 130] = 0;
  picture[10 * 1024 + 230] = rgb(120, 120, 120);
  picture[290 * 1024 + 133] = rgb(200, 200, 200);
  EXPECT_EQ(page.difference(picture), "");
  picture[290 * 1024 + 133] = rgb(201, 201, 201);
  EXPECT_EQ(page.difference(picture),
            "1 pixels differ, the first at (133, 290) in a label cell: 0xC9C9C9 is no shade of the label grey");
  picture[290 * 1024 + 133] = rgb(0, 0, 100);
  EXPECT_NE(page.difference(picture), "");
  picture.pop_back();
  EXPECT_EQ(page.difference(picture), "the picture has 307199 pixels, not 307200");
}

}  // namespace
}  // namespace reference
