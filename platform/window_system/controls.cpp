#include "platform/window_system/controls.h"

#include <cassert>
#include <string>

#include "platform/graphics/glyphs.h"
#include "platform/graphics/scale.h"
#include "platform/window_system/seam.h"
#include "platform/window_system/system_state.h"
#include "platform/window_system/window_system.h"

namespace platform {
namespace {

// A flat, conventional look: a light face with a grey border, blue when focused or pressed.
constexpr Pixel face_colour = rgb(0xE1, 0xE1, 0xE1);
constexpr Pixel border_colour = rgb(0xAD, 0xAD, 0xAD);
constexpr Pixel focused_border_colour = rgb(0x00, 0x78, 0xD7);
constexpr Pixel pressed_face_colour = rgb(0xCC, 0xE4, 0xF7);
constexpr Pixel pressed_border_colour = rgb(0x00, 0x54, 0x99);

struct ButtonState : WindowState::ControlState {
  bool tracking = false;    // the primary button went down on the button and is still held
  bool pointer_in = false;  // while tracking: the pointer is over the button
  bool space_down = false;
};

struct PictureState : WindowState::ControlState {
  BitmapHandle image = 0;
};

template <typename State>
State& control_state(WindowNode& window) {
  if (!state_of(window).control) {
    state_of(window).control = std::make_unique<State>();
  }
  assert(dynamic_cast<State*>(state_of(window).control.get()) != nullptr && "a control keeps the state of its own kind");
  return static_cast<State&>(*state_of(window).control);
}

Rect whole(const WindowNode& window) { return Rect::at({0, 0}, window.bounds().size()); }

// The desktop's own look where the display offers one, else a flat conventional one.
void paint_button_face(PaintContext& paint, const Rect& area, const ButtonLook& look) {
  if (const auto face = display()->button_face(scaled(area, paint.scale()).size(), look)) {
    paint.draw_device_bitmap(*face, area.origin());
    return;
  }
  paint.fill(area, look.pressed ? pressed_face_colour : face_colour);
  paint.frame(area, look.pressed ? pressed_border_colour : look.focused ? focused_border_colour : border_colour);
  if (look.focused) {
    paint.dotted_frame({area.left + 3, area.top + 3, area.right - 3, area.bottom - 3}, system_colour(SystemColour::ButtonText));
  }
}

void paint_button(WindowNode& button) {
  PaintContext paint = begin_paint(button);
  const Rect area = whole(button);
  const bool pressed = button_pressed(button);
  paint_button_face(paint, area, {pressed, focus() == &button, button.enabled()});
  const Rect caption = pressed ? area.moved(1, 1) : area;
  const Pixel text_colour = system_colour(state_of(button).enabled ? SystemColour::ButtonText : SystemColour::GrayText);
  const FontHandle font = stock_font(StockFont::DefaultGui, text_dpi(paint.scale()));
  paint.draw_text(font, state_of(button).text, caption, text_colour);
  end_paint(button, paint);
}

void click(WindowNode& button) { send(button.parent(), MessageCode::Command, ControlNotice{notify_clicked, button.id()}); }

std::intptr_t push_button_handler(const Message& message) {
  WindowNode& button = *message.window;
  ButtonState& state = control_state<ButtonState>(button);
  switch (message.code) {
    case MessageCode::Paint:
      paint_button(button);
      return 0;
    case MessageCode::EraseBackground:
      return 1;  // the button paints all of itself
    case MessageCode::LeftDown:
    case MessageCode::LeftDoubleClick:
      // A double click is a second press: each press and release is one click.
      set_focus(&button);
      set_capture(&button);
      state.tracking = true;
      state.pointer_in = true;
      invalidate(button, std::nullopt, false);
      return 0;
    case MessageCode::MouseMove:
      if (state.tracking) {
        const bool inside = whole(button).contains(message.as<Point>());
        if (inside != state.pointer_in) {
          state.pointer_in = inside;
          invalidate(button, std::nullopt, false);
        }
      }
      return 0;
    case MessageCode::LeftUp:
      if (state.tracking) {
        const bool inside = whole(button).contains(message.as<Point>());
        state.tracking = false;
        release_capture();
        invalidate(button, std::nullopt, false);
        if (inside) {
          click(button);
        }
      }
      return 0;
    case MessageCode::CaptureLost:
      if (state.tracking) {
        state.tracking = false;
        invalidate(button, std::nullopt, false);
      }
      return 0;
    case MessageCode::KeyDown:
      if (message.as<KeyStroke>().key == Key::Space && !state.space_down) {
        state.space_down = true;
        invalidate(button, std::nullopt, false);
      }
      return 0;
    case MessageCode::KeyUp:
      if (message.as<KeyStroke>().key == Key::Space && state.space_down) {
        state.space_down = false;
        invalidate(button, std::nullopt, false);
        click(button);
      }
      return 0;
    case MessageCode::KillFocus:
      state.space_down = false;
      invalidate(button, std::nullopt, false);
      return 0;
    case MessageCode::SetFocus:
    case MessageCode::ColourSchemeChanged:
      invalidate(button, std::nullopt, false);
      return 0;
    default:
      return default_handling(message);
  }
}

std::intptr_t picture_handler(const Message& message) {
  WindowNode& picture = *message.window;
  switch (message.code) {
    case MessageCode::Paint: {
      PaintContext paint = begin_paint(picture);
      const Bitmap* bitmap = find_bitmap(control_state<PictureState>(picture).image);
      // Whatever an opaque image does not cover shows the background; an image with an alpha
      // channel is laid over it.
      const bool opaque = bitmap != nullptr && bitmap->depth() == 24;
      const Size image = opaque ? Size{bitmap->width(), bitmap->height()} : Size{};
      const Pixel background = picture.window_class()->background;
      paint.fill({image.width, 0, picture.bounds().width(), picture.bounds().height()}, background);
      paint.fill({0, image.height, image.width, picture.bounds().height()}, background);
      if (bitmap != nullptr) {
        paint.draw_bitmap(*bitmap, {0, 0});
      }
      end_paint(picture, paint);
      return 0;
    }
    case MessageCode::EraseBackground:
      return 1;  // painting covers every pixel
    case MessageCode::LeftDown:
      if ((picture.style() & style_notify) != 0) {
        send(picture.parent(), MessageCode::Command, ControlNotice{notify_clicked, picture.id()});
      }
      return 0;
    case MessageCode::LeftDoubleClick:
      if ((picture.style() & style_notify) != 0) {
        send(picture.parent(), MessageCode::Command, ControlNotice{notify_double_clicked, picture.id()});
      }
      return 0;
    default:
      return default_handling(message);
  }
}

}  // namespace

void register_built_in_controls() {
  const Pixel face = system_colour(SystemColour::ButtonFace);
  register_class({std::string(push_button_class), face, true, push_button_handler});
  register_class({std::string(picture_class), face, true, picture_handler});
}

void set_picture_image(WindowNode& picture, BitmapHandle image) { control_state<PictureState>(picture).image = image; }

bool button_pressed(const WindowNode& button) {
  const auto* state = dynamic_cast<const ButtonState*>(state_of(button).control.get());
  return state != nullptr && ((state->tracking && state->pointer_in) || state->space_down);
}

}  // namespace platform
