#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "canvas_fixture.h"
#include "present/drawing/primitives.h"
#include "present/drawing/text.h"

namespace present {
namespace {

bool all_bytes_are(const platform::Bitmap& bitmap, std::uint8_t value) {
  return std::all_of(bitmap.pixels(), bitmap.pixels() + bitmap.byte_size(),
                     [value](std::uint8_t byte) { return byte == value; });
}

TEST(MakeRgb, PacksRedGreenAndBlueFromTheLowByteUp) {
  EXPECT_EQ(make_rgb(100, 100, 150), 0x966464u);
  EXPECT_EQ(make_rgb(255, 0, 0), 0xFFu);
  EXPECT_EQ(make_rgb(0, 0, 255), 0xFF0000u);
  // Components are added, not masked.
  EXPECT_EQ(make_rgb(256, 0, 0), 0x100u);
}

TEST(MakeRgb, ReachesThePlatformAsTheSameColourWithoutItsAlpha) {
  EXPECT_EQ(to_pixel(make_rgb(255, 0, 0)), platform::rgb(255, 0, 0));
  EXPECT_EQ(to_pixel(make_rgb(10, 20, 30)), platform::rgb(10, 20, 30));
  EXPECT_EQ(to_pixel(0xFF000000u), platform::rgb(0, 0, 0));
  EXPECT_EQ(platform::value_of(platform::rgb(1, 2, 3)), 0x010203u);
}

TEST(PixelBlend, WeighsEachChannelAndTruncates) {
  const platform::Pixel label = platform::rgb(200, 200, 200);
  const platform::Pixel black = platform::rgb(0, 0, 0);
  EXPECT_EQ(platform::blend(label, black, 0), black);
  EXPECT_EQ(platform::blend(label, black, 255), label);
  EXPECT_EQ(platform::blend(label, black, 128), platform::rgb(100, 100, 100));
  EXPECT_EQ(platform::blend(label, black, 85), platform::rgb(66, 66, 66));
  // (255 x 128 + 10 x 127) / 255 = 132, 20 x 127 / 255 = 9, 30 x 127 / 255 = 14.
  EXPECT_EQ(platform::blend(platform::rgb(255, 0, 0), platform::rgb(10, 20, 30), 128), platform::rgb(132, 9, 14));
  // Only the three channels count.
  EXPECT_EQ(platform::blend(platform::Pixel{0xFF000000u | platform::value_of(label)}, black, 255), label);
}

class ImagesTest : public ::testing::Test {
 protected:
  void SetUp() override { start_presentation(); }
  void TearDown() override { end_presentation(); }
};

TEST_F(ImagesTest, ANewCanvasIsBlackBottomUpWithPaddedRows) {
  const std::intptr_t handle = create_image(0, 1024, 300);
  ASSERT_NE(handle, 0);
  EXPECT_EQ(image_handle(0), handle);
  const platform::Bitmap* bitmap = platform::find_bitmap(handle);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->stride(), 3072u);
  EXPECT_EQ(bitmap->byte_size(), 921600u);
  EXPECT_EQ(bitmap->depth(), 24);
  EXPECT_FALSE(bitmap->top_down());
  EXPECT_TRUE(all_bytes_are(*bitmap, 0));

  ASSERT_NE(create_image(1, 5, 2), 0);
  EXPECT_EQ(platform::find_bitmap(image_handle(1))->stride(), 16u);
  EXPECT_EQ(image_handle(2), 0);
}

TEST_F(ImagesTest, DepthsAreRaisedTo24And32BitImagesStartOpaqueUnlessAskedNotTo) {
  ASSERT_NE(create_image(0, 4, 4, 16), 0);
  EXPECT_EQ(platform::find_bitmap(image_handle(0))->depth(), 24);

  ASSERT_NE(create_image(1, 4, 4, 32), 0);
  const platform::Bitmap* opaque = platform::find_bitmap(image_handle(1));
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      std::uint32_t value = 0;
      std::memcpy(&value, opaque->row(y) + 4 * x, 4);
      EXPECT_EQ(value, 0xFF000000u);
    }
  }

  ASSERT_NE(create_image(2, 4, 4, 32 + transparent_start), 0);
  EXPECT_TRUE(all_bytes_are(*platform::find_bitmap(image_handle(2)), 0));

  EXPECT_EQ(create_image(3, 4, 4, 48), 0);
  EXPECT_EQ(image_handle(3), 0);
}

TEST_F(ImagesTest, ReusingANumberFreesTheOldImageAndFailuresLeaveTheSlotEmpty) {
  const std::intptr_t first = create_image(0, 8, 8);
  const std::intptr_t second = create_image(0, 16, 16);
  EXPECT_NE(second, first);
  EXPECT_EQ(platform::find_bitmap(first), nullptr);
  EXPECT_EQ(image_handle(0), second);

  EXPECT_EQ(create_image(0, 0, 10), 0);
  EXPECT_EQ(create_image(1, 10, -10), 0);
  EXPECT_EQ(create_image(2, 100000, 10), 0);
  EXPECT_EQ(image_handle(0), 0);
  EXPECT_EQ(platform::find_bitmap(second), nullptr);
  EXPECT_EQ(image_output(0), nullptr);

  // Every failure releases the image held under the number first: a zero width, a negative
  // height, a size the platform refuses.
  for (const auto& [width, height] : {std::pair{0, 10}, {10, -10}, {100000, 10}}) {
    const std::intptr_t held = create_image(3, 4, 4);
    ASSERT_NE(held, 0);
    EXPECT_EQ(create_image(3, width, height), 0) << width << " x " << height;
    EXPECT_EQ(image_handle(3), 0) << width << " x " << height;
    EXPECT_EQ(platform::find_bitmap(held), nullptr) << width << " x " << height;
  }
}

TEST_F(ImagesTest, AnAssignedNumberFindsItsImage) {
  const std::intptr_t number = create_image(assign_number, 10, 10);
  ASSERT_NE(number, 0);
  const platform::BitmapHandle handle = image_handle(number);
  ASSERT_NE(platform::find_bitmap(handle), nullptr);
  EXPECT_EQ(platform::find_bitmap(handle)->width(), 10);
  end_presentation();
  EXPECT_EQ(platform::find_bitmap(handle), nullptr);
}

TEST_F(ImagesTest, EndingTheLayerFreesEveryImageAndEndsTheSession) {
  create_image(0, 8, 8);
  const platform::BitmapHandle handle = image_handle(0);
  ASSERT_TRUE(start_drawing(image_output(0)));
  end_presentation();
  EXPECT_EQ(platform::find_bitmap(handle), nullptr);
  EXPECT_EQ(current_session(), nullptr);
  EXPECT_EQ(create_image(0, 8, 8), 0);
  EXPECT_EQ(image_handle(0), 0);
}

TEST_F(ImagesTest, SessionsBeginOnlyOnImagesAndDrawingWithoutOneDoesNothing) {
  EXPECT_EQ(image_output(0), nullptr);
  EXPECT_FALSE(start_drawing(nullptr));
  create_image(0, 8, 8);
  const platform::Bitmap& image = *platform::find_bitmap(image_handle(0));
  fill_box(0, 0, 8, 8, make_rgb(255, 255, 255));
  draw_line(0, 0, 7, 7, make_rgb(255, 255, 255));
  plot_pixel(1, 1, make_rgb(255, 255, 255));
  EXPECT_EQ(draw_text(2, 0, "H", make_rgb(255, 255, 255)), 2);
  EXPECT_TRUE(all_bytes_are(image, 0));

  DrawingSession* session = image_output(0);
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(current_session(), session);
  EXPECT_EQ(session->width, 8);
  EXPECT_EQ(session->stride, 24u);
  EXPECT_EQ(session->pixel_size, 3);
  EXPECT_EQ(session->front_colour, 0xFFFFFFFFu);
  EXPECT_EQ(session->back_colour, 0xFF000000u);
  EXPECT_EQ(session->front.inverse_alpha, 255);
  // Created but not begun: the primitives find the session; text has no device to render in yet.
  EXPECT_EQ(draw_text(0, 0, "H", make_rgb(255, 255, 255)), 0);
  EXPECT_TRUE(all_bytes_are(image, 0));
  fill_box(0, 0, 8, 8, make_rgb(255, 255, 255));
  EXPECT_TRUE(all_bytes_are(image, 0xFF));
  draw_line(0, 0, 7, 0, make_rgb(0, 0, 0));
  plot_pixel(0, 7, make_rgb(0, 0, 0));
  EXPECT_EQ(image.row(0)[3 * 7], 0);
  EXPECT_EQ(image.row(7)[0], 0);
  EXPECT_EQ(image.row(7)[3], 0xFF);
  stop_drawing();
  EXPECT_EQ(current_session(), nullptr);
  stop_drawing();
}

TEST_F(ImagesTest, ReplacingOrReleasingTheImageOfTheCurrentSessionNeverFreesItsPixelsUnderIt) {
  create_image(0, 8, 8);
  const platform::BitmapHandle drawn_on = image_handle(0);
  ASSERT_TRUE(start_drawing(image_output(0)));

  const std::intptr_t replacement = create_image(0, 8, 8);
  ASSERT_NE(replacement, 0);
  EXPECT_EQ(image_handle(0), replacement);
  // The session keeps drawing into the image it was opened on, which lives until it ends.
  fill_box(0, 0, 100, 100, make_rgb(255, 255, 255));
  draw_line(-5, -5, 20, 20, make_rgb(1, 2, 3));
  plot_pixel(3, 3, make_rgb(4, 5, 6));
  EXPECT_GT(draw_text(0, 0, "H", make_rgb(255, 255, 255)), 0);
  ASSERT_NE(platform::find_bitmap(drawn_on), nullptr);
  EXPECT_TRUE(all_bytes_are(*platform::find_bitmap(replacement), 0));
  stop_drawing();
  EXPECT_EQ(platform::find_bitmap(drawn_on), nullptr);

  // A failed replacement empties the slot the same way, and so does ending the layer.
  ASSERT_TRUE(start_drawing(image_output(0)));
  EXPECT_EQ(create_image(0, 8, -8), 0);
  EXPECT_EQ(image_handle(0), 0);
  fill_box(0, 0, 8, 8, make_rgb(255, 255, 255));
  EXPECT_NE(platform::find_bitmap(replacement), nullptr);
  stop_drawing();
  EXPECT_EQ(platform::find_bitmap(replacement), nullptr);

  create_image(1, 8, 8);
  const platform::BitmapHandle last = image_handle(1);
  ASSERT_TRUE(start_drawing(image_output(1)));
  end_presentation();
  EXPECT_EQ(platform::find_bitmap(last), nullptr);
  fill_box(0, 0, 8, 8, make_rgb(255, 255, 255));
}

}  // namespace
}  // namespace present
