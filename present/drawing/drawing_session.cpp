#include "present/drawing/drawing_session.h"

#include <memory>

#include "present/layer.h"
#include "present/drawing/pixel_operations.h"
#include "present/drawing/text.h"

namespace present {
DrawingSession* current_session() {
  Layer* running = layer();
  return running != nullptr ? running->session.get() : nullptr;
}


DrawingSession* image_output(ObjectNumber number) {
  Layer* running = layer();
  if (running == nullptr) {
    return nullptr;
  }
  const ImageRecord* record = running->images.find(number);
  platform::Bitmap* bitmap = record != nullptr ? platform::find_bitmap(record->handle) : nullptr;
  if (bitmap == nullptr || bitmap->top_down()) {
    return nullptr;
  }
  const DrawingOperations* operations = operations_for_pixel_size(bitmap->pixel_size());
  if (operations == nullptr) {
    return nullptr;
  }
  stop_drawing();
  auto session = std::make_unique<DrawingSession>();
  session->width = bitmap->width();
  session->height = bitmap->height();
  session->pixel_store = bitmap->pixels();
  session->stride = bitmap->stride();
  session->pixel_size = bitmap->pixel_size();
  session->image = record->handle;
  session->operations = operations;
  session->front = unpack_colour(session->front_cache);
  session->back = unpack_colour(session->back_cache);
  session->text_blend = &running->text_blend;
  running->session = std::move(session);
  return running->session.get();
}

bool start_drawing(DrawingSession* output) {
  if (output == nullptr || output != current_session()) {
    return false;
  }
  if (output->pixel_store == nullptr) {
    stop_drawing();
    return false;
  }
  if (output->text_device) {
    // Begun again: the text buffer of the first beginning goes where a session's end puts it.
    keep_text_buffer(output->text_device->buffer);
  }
  output->text_device.emplace();
  set_drawing_font(stock_system_font);
  return true;
}

void stop_drawing() {
  DrawingSession* session = current_session();
  if (session == nullptr) {
    return;
  }
  if (session->text_device) {
    keep_text_buffer(session->text_device->buffer);
  }
  if (session->owns_image) {
    platform::delete_bitmap(session->image);
  }
  layer()->session.reset();
}

void release_image_bitmap(platform::BitmapHandle image) {
  DrawingSession* session = current_session();
  if (session != nullptr && session->image == image) {
    session->owns_image = true;
  } else {
    platform::delete_bitmap(image);
  }
}

void use_front_colour(DrawingSession& session, Colour colour) {
  if (colour != session.front_cache) {
    session.front_cache = colour;
    session.front = unpack_colour(colour);
  }
}

}  // namespace present
