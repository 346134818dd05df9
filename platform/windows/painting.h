#pragma once

#include "platform/graphics/paint_context.h"
#include "platform/windows/messages.h"
#include "platform/windows/window.h"

namespace platform {

// Opens painting of what is marked on the window: erasing first where that was asked for
// (an EraseBackground message that carries the context), and unmarks it.
PaintContext begin_paint(Window& window);
// Paints the children under the painted area and shows the result.
void end_paint(Window& window, const PaintContext& context);

// The context that an EraseBackground message carries.
PaintContext& erase_context(const Message& message);

}  // namespace platform
