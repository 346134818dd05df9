// The floor programs' picture: 1024x300 pixels, 0x00RRGGBB, with the page's grey dividers and its
// 24 labels in "Arial" 8 points at the given resolution, fonts read when it is drawn.

#include "floor_picture.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <math.h>
#include <stdio.h>
#include <stdlib.h>

static FT_Face load_label_face(FT_Library library, double pixel_size, FT_Int32 *load_flags) {
  FcPattern *pattern = FcNameParse((const FcChar8 *)"Arial");
  FcPatternAddDouble(pattern, FC_PIXEL_SIZE, pixel_size);
  FcConfigSubstitute(NULL, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern *match = FcFontMatch(NULL, pattern, &result);
  FcPatternDestroy(pattern);
  FcChar8 *file = NULL;
  int index = 0;
  FT_Face face = NULL;
  if (match != NULL && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcBool antialias = FcTrue;
    FcPatternGetBool(match, FC_ANTIALIAS, 0, &antialias);
    int hint_style = FC_HINT_SLIGHT;
    FcPatternGetInteger(match, FC_HINT_STYLE, 0, &hint_style);
    *load_flags = FT_LOAD_RENDER | (hint_style == FC_HINT_SLIGHT ? FT_LOAD_TARGET_LIGHT : 0) |
                 (antialias ? 0 : FT_LOAD_TARGET_MONO);
    if (FT_New_Face(library, (const char *)file, index, &face) == 0) {
      FT_Set_Pixel_Sizes(face, 0, (FT_UInt)pixel_size);
    }
  }
  if (match != NULL) {
    FcPatternDestroy(match);
  }
  return face;
}

static void draw_label(FT_Face face, FT_Int32 load_flags, const char *text, int x, int y, uint32_t *pixels) {
  int baseline = y + (int)((face->size->metrics.ascender + 63) >> 6);
  int pen = x;
  for (; *text != 0; ++text) {
    if (FT_Load_Char(face, (unsigned char)*text, load_flags) != 0) {
      continue;
    }
    FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap *bitmap = &slot->bitmap;
    for (unsigned row = 0; row < bitmap->rows; ++row) {
      for (unsigned column = 0; column < bitmap->width; ++column) {
        int px = pen + slot->bitmap_left + (int)column;
        int py = baseline - slot->bitmap_top + (int)row;
        if (px < 0 || px >= picture_width || py < 0 || py >= picture_height) {
          continue;
        }
        const unsigned char *line = bitmap->buffer + (long)row * bitmap->pitch;
        unsigned coverage = bitmap->pixel_mode == FT_PIXEL_MODE_MONO
                                ? ((line[column >> 3] >> (7 - (column & 7))) & 1) * 255
                                : line[column];
        uint32_t level = coverage * label_grey / 255;
        pixels[py * picture_width + px] = level << 16 | level << 8 | level;
      }
    }
    pen += (int)((slot->advance.x + 32) >> 6);
  }
}

uint32_t *draw_picture(double dpi) {
  uint32_t *pixels = calloc(picture_width * picture_height, 4);
  for (int column = 0; column < 8; ++column) {
    for (int y = 0; y < picture_height; ++y) {
      pixels[y * picture_width + column * 128] = divider_grey;
    }
  }
  FT_Library library = NULL;
  if (!FcInit() || FT_Init_FreeType(&library) != 0) {
    return pixels;
  }
  FT_Int32 load_flags = FT_LOAD_RENDER;
  FT_Face face = load_label_face(library, round(8 * dpi / 72), &load_flags);
  if (face == NULL) {
    return pixels;
  }
  for (int column = 0; column < 8; ++column) {
    int left = column * 128;
    int offset = 768 + column * 64;
    char text[16];
    snprintf(text, sizeof text, "%Xh", offset);
    draw_label(face, load_flags, text, left + 5, 280, pixels);
    snprintf(text, sizeof text, "%dd", offset);
    draw_label(face, load_flags, text, left + 80, 280, pixels);
    snprintf(text, sizeof text, "%03d", column);
    draw_label(face, load_flags, text, left + 100, 0, pixels);
  }
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  return pixels;
}

