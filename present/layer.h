#pragma once

#include <memory_resource>

#include "present/fonts.h"
#include "present/images.h"
#include "present/registry.h"

namespace present {

// Everything the presentation layer holds between start_presentation and end_presentation.
struct Layer {
  explicit Layer(std::pmr::memory_resource* heap);

  std::pmr::memory_resource* heap;
  Registry<ImageRecord> images;
  Registry<FontRecord> fonts;
};

// The running layer, or nullptr outside start_presentation ... end_presentation.
Layer* layer();

}  // namespace present
