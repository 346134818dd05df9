#pragma once

#include <stdint.h>

enum {
  window_width = 1044,
  window_height = 350,
  picture_width = 1024,
  picture_height = 300,
  window_grey = 0xF0F0F0,
  divider_grey = 0x646464,
  label_grey = 200
};

// The page's picture without its traces (they cost microseconds), drawn at `dpi`; the caller frees it.
uint32_t *draw_picture(double dpi);
