#include "present/layer.h"

#include <memory>

#include "platform/window_system/window_system.h"
#include "present/drawing/drawing_session.h"
#include "present/presentation.h"
#include "present/drawing/text.h"

namespace present {
namespace {

std::unique_ptr<Layer>& running_layer() {
  static std::unique_ptr<Layer> instance;
  return instance;
}

void release_image(ImageRecord& record) { release_image_bitmap(record.handle); }
void release_font(FontRecord& record) { platform::delete_font(record.handle); }

constexpr std::size_t image_step = 16;
constexpr std::size_t font_step = 16;
constexpr std::size_t control_step = 50;
constexpr std::size_t window_step = 16;

}  // namespace

Layer::Layer(std::pmr::memory_resource* layer_heap)
    : heap(layer_heap),
      images(image_step, release_image, layer_heap),
      fonts(font_step, release_font, layer_heap),
      events(layer_heap),
      controls(control_step, release_control, layer_heap),
      windows(window_step, close_window, layer_heap) {}

Layer* layer() { return running_layer().get(); }

void start_presentation(std::pmr::memory_resource* heap) {
  end_presentation();
  running_layer() = std::make_unique<Layer>(heap);
  if (platform::window_system_running()) {
    layer()->control_list.font = platform::stock_font(platform::StockFont::DefaultGui);
  }
}

void end_presentation() {
  Layer* running = layer();
  if (running == nullptr) {
    return;
  }
  stop_drawing();
  drop_kept_text_buffer();
  running->windows.release_all();
  running->fonts.release_all();
  running->images.release_all();
  running_layer().reset();
}

}  // namespace present
