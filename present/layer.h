#pragma once

#include <memory>
#include <memory_resource>

#include "platform/graphics/geometry.h"
#include "present/controls.h"
#include "present/drawing/drawing_session.h"
#include "present/events.h"
#include "present/fonts.h"
#include "present/drawing/images.h"
#include "present/registry.h"
#include "present/windows.h"

namespace present {

// Everything the presentation layer holds between start_presentation and end_presentation.
struct Layer {
  explicit Layer(std::pmr::memory_resource* heap);

  std::pmr::memory_resource* heap;
  // Declared so that, destroyed in reverse, windows and their controls go before fonts and images.
  Registry<ImageRecord> images;
  Registry<FontRecord> fonts;
  EventQueue events;
  CurrentEvent current;
  CurrentEvent snapshot;  // taken when wait_event returns; event_control reads it
  ControlList control_list;
  platform::Size drag_distance;   // read when the first picture is made
  bool swallow_right_up = false;  // the next right release ends a right double click
  Registry<ControlRecord> controls;
  Registry<WindowRecord> windows;
  std::unique_ptr<DrawingSession> session;  // the current one, if any
  // The text buffer of the last session, kept for the next: every page opens a session, and a new
  // buffer of an image's width would be allocated and cleared each time.
  platform::BitmapHandle spare_text_buffer = 0;
  TextBlend text_blend;
};

// The running layer, or nullptr outside start_presentation ... end_presentation.
Layer* layer();

}  // namespace present
