#include "export/picture/page_picture.h"

#include "page/render_page.h"
#include "platform/graphics/bitmap.h"
#include "present/fonts.h"
#include "present/drawing/images.h"
#include "present/presentation.h"

namespace exporter {
namespace {

constexpr int canvas_width = 1024;
constexpr int canvas_height = 300;

// The canvas is kept blue-green-red; a picture is red-green-blue.
RgbPicture copy_canvas(const platform::Bitmap& canvas) {
  RgbPicture picture{canvas.width(), canvas.height(), {}};
  picture.pixels.reserve(static_cast<std::size_t>(canvas.width() * canvas.height() * 3));
  for (int y = 0; y < canvas.height(); ++y) {
    const std::uint8_t* row = canvas.row(y);
    for (int x = 0; x < canvas.width(); ++x) {
      const std::uint8_t* pixel = row + canvas.pixel_size() * x;
      picture.pixels.insert(picture.pixels.end(), {pixel[2], pixel[1], pixel[0]});
    }
  }
  return picture;
}

}  // namespace

RgbPicture page_picture(const wavedata::SampleBank& bank, int page) {
  present::start_presentation();
  RgbPicture picture;
  if (present::create_image(0, canvas_width, canvas_height) != 0) {
    const auto font = present::load_font(present::assign_number, "Arial", 8);
    page::render_page(bank, page, font);
    picture = copy_canvas(*platform::find_bitmap(present::image_handle(0)));
  }
  present::end_presentation();
  return picture;
}

}  // namespace exporter
