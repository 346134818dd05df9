#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "platform/graphics/graphics_state.h"
#include "platform/graphics/glyphs.h"
#include "platform/graphics/handle_table.h"
#include "platform/win32/native_values.h"

// On Windows the glyphs come from GDI: a font is made with CreateFont, and a text is written white
// on black by ExtTextOut into a device-independent bitmap, from which it is copied.
namespace platform {
namespace {

constexpr int default_pixel_height = 12;

using win32::widen;

std::string narrow(const wchar_t* text) {
  std::string result;
  for (; *text != L'\0'; ++text) {
    result.push_back(*text < 256 ? static_cast<char>(*text) : '?');
  }
  return result;
}

// A black 24-bit scratch bitmap, rows top-down, selected into a memory device that texts are
// written into. It grows as texts need and is kept for the next text.
class Scratch {
 public:
  Scratch() : device_(CreateCompatibleDC(nullptr)) {
    SetBkMode(device_, OPAQUE);
    SetBkColor(device_, RGB(0, 0, 0));
    SetTextColor(device_, RGB(255, 255, 255));
    SetTextAlign(device_, TA_TOP | TA_LEFT | TA_NOUPDATECP);
  }
  ~Scratch() {
    if (device_ != nullptr) {
      SelectObject(device_, GetStockObject(SYSTEM_FONT));
      DeleteDC(device_);
    }
    if (bitmap_ != nullptr) {
      DeleteObject(bitmap_);
    }
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  HDC device() const { return device_; }

  // A cleared area of at least this size; false when none can be made.
  bool clear(int width, int height) {
    if (width > width_ || height > height_) {
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof info.bmiHeader;
      info.bmiHeader.biWidth = std::max(width, width_);
      info.bmiHeader.biHeight = -std::max(height, height_);
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 24;
      info.bmiHeader.biCompression = BI_RGB;
      void* bits = nullptr;
      HBITMAP bitmap = CreateDIBSection(device_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
      if (bitmap == nullptr) {
        return false;
      }
      SelectObject(device_, bitmap);
      if (bitmap_ != nullptr) {
        DeleteObject(bitmap_);
      }
      bitmap_ = bitmap;
      bits_ = static_cast<std::uint8_t*>(bits);
      width_ = info.bmiHeader.biWidth;
      height_ = -info.bmiHeader.biHeight;
      stride_ = bitmap_stride(width_, 24);
    }
    GdiFlush();
    for (int row = 0; row < height; ++row) {
      std::memset(row_pixels(row), 0, static_cast<std::size_t>(width) * 3);
    }
    return true;
  }

  // Row y of the written text, once GDI has finished writing.
  const std::uint8_t* row(int y) const { return bits_ + static_cast<std::size_t>(y) * stride_; }

 private:
  std::uint8_t* row_pixels(int y) { return bits_ + static_cast<std::size_t>(y) * stride_; }

  HDC device_;
  HBITMAP bitmap_ = nullptr;
  std::uint8_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  std::size_t stride_ = 0;
};

class Font {
 public:
  Font(HFONT font, const FontRequest& request, bool stock) : font_(font), request_(request), stock_(stock) {}
  ~Font() {
    if (!stock_) {
      DeleteObject(font_);
    }
  }
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  HFONT handle() const { return font_; }
  const FontRequest& request() const { return request_; }

 private:
  HFONT font_;
  FontRequest request_;
  bool stock_;
};

struct GlyphSystem {
  FontTable<Font> fonts;  // the stock fonts by kind and resolution
  Scratch scratch;
};

GlyphSystem& glyph_system() { return ProcessState<GlyphSystem>::get(); }

// What the text covers once written: its cell (advance width by line height) and, around it, room
// for glyph parts that reach past the cell (italic slants, overhanging letters) on either side.
struct Written {
  TextExtent cell;
  int margin = 0;
};

// The advance width and line height of the text in the font, which is left selected in `device`.
std::optional<TextExtent> measure_in(HDC device, const Font& font, const std::wstring& wide) {
  SelectObject(device, font.handle());
  TEXTMETRICW metrics{};
  SIZE size{};
  if (!GetTextMetricsW(device, &metrics) ||
      !GetTextExtentPoint32W(device, wide.c_str(), static_cast<int>(wide.size()), &size)) {
    return std::nullopt;
  }
  return TextExtent{static_cast<int>(size.cx), static_cast<int>(metrics.tmHeight)};
}

std::optional<Written> write_to_scratch(Font& font, std::string_view text) {
  Scratch& scratch = glyph_system().scratch;
  HDC device = scratch.device();
  const std::wstring wide = widen(text);
  const std::optional<TextExtent> extent = measure_in(device, font, wide);
  if (!extent) {
    return std::nullopt;
  }
  Written written{*extent, extent->height};
  if (!scratch.clear(written.cell.width + 2 * written.margin, written.cell.height)) {
    return std::nullopt;
  }
  const RECT cell{written.margin, 0, written.margin + written.cell.width, written.cell.height};
  if (!ExtTextOutW(device, written.margin, 0, ETO_OPAQUE, &cell, wide.c_str(), static_cast<UINT>(wide.size()),
                   nullptr)) {
    return std::nullopt;
  }
  GdiFlush();
  return written;
}

// The resolution GDI's stock fonts are made for.
int screen_dpi() {
  static const int dpi = [] {
    HDC screen = GetDC(nullptr);
    const int found = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) {
      ReleaseDC(nullptr, screen);
    }
    return found;
  }();
  return dpi;
}

FontRequest request_of(HFONT font) {
  LOGFONTW description{};
  GetObjectW(font, sizeof description, &description);
  FontRequest request;
  request.face = narrow(description.lfFaceName);
  request.height = static_cast<int>(description.lfHeight);
  request.weight = static_cast<int>(description.lfWeight);
  request.italic = description.lfItalic != 0;
  request.underline = description.lfUnderline != 0;
  request.strike_out = description.lfStrikeOut != 0;
  request.quality = description.lfQuality;
  return request;
}

}  // namespace

// GDI's font mapper gives every font some face: there is never a fallback to tell of.
void set_font_report(FontReport) {}

void end_glyphs() { ProcessState<GlyphSystem>::end(); }

FontHandle create_font(const FontRequest& request) {
  const std::wstring face = widen(request.face);
  if (face.size() >= LF_FACESIZE) {
    return 0;
  }
  HFONT font = CreateFontW(request.height != 0 ? request.height : -default_pixel_height, 0, 0, 0, request.weight,
                           request.italic, request.underline, request.strike_out, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, static_cast<DWORD>(request.quality), DEFAULT_PITCH | FF_DONTCARE,
                           face.c_str());
  if (font == nullptr) {
    return 0;
  }
  return glyph_system().fonts.add(std::make_unique<Font>(font, request, false));
}

bool delete_font(FontHandle font) { return glyph_system().fonts.remove(font); }

FontHandle stock_font(StockFont which) { return stock_font(which, display_dpi()); }

// GDI's own stock font where it is made for this resolution, else the same face and style at the
// size this resolution gives it.
FontHandle stock_font(StockFont which, int dpi) {
  GlyphSystem& system = glyph_system();
  FontHandle& handle = system.fonts.stock(which, dpi);
  if (handle != 0) {
    return handle;
  }
  const auto stock = static_cast<HFONT>(GetStockObject(which == StockFont::System ? SYSTEM_FONT : DEFAULT_GUI_FONT));
  if (stock == nullptr) {
    return 0;
  }
  if (dpi == screen_dpi()) {
    handle = system.fonts.add(std::make_unique<Font>(stock, request_of(stock), true));
    return handle;
  }
  LOGFONTW description{};
  GetObjectW(stock, sizeof description, &description);
  description.lfHeight = MulDiv(description.lfHeight, dpi, screen_dpi());
  description.lfWidth = 0;
  HFONT font = CreateFontIndirectW(&description);
  if (font != nullptr) {
    handle = system.fonts.add(std::make_unique<Font>(font, request_of(font), false));
  }
  return handle;
}

const FontRequest* font_request(FontHandle font) {
  const Font* found = glyph_system().fonts.find(font);
  return found != nullptr ? &found->request() : nullptr;
}

std::optional<TextExtent> measure_text(FontHandle font, std::string_view text) {
  Font* found = glyph_system().fonts.find(font);
  if (found == nullptr) {
    return std::nullopt;
  }
  return measure_in(glyph_system().scratch.device(), *found, widen(text));
}

std::optional<TextExtent> write_text(FontHandle font, std::string_view text, Bitmap& target, int x, int y) {
  Font* found = glyph_system().fonts.find(font);
  if (found == nullptr) {
    return std::nullopt;
  }
  const auto written = write_to_scratch(*found, text);
  if (!written) {
    return std::nullopt;
  }
  const Scratch& scratch = glyph_system().scratch;
  const int pixel_size = target.pixel_size();
  const int margin = written->margin;
  const long first_column = std::max(0L, long{x} - margin);
  const long last_column = std::min(long{target.width()}, long{x} + written->cell.width + margin);
  const long first_row = std::max(0L, long{y});
  const long last_row = std::min(long{target.height()}, long{y} + written->cell.height);
  for (long row = first_row; row < last_row; ++row) {
    const std::uint8_t* source = scratch.row(static_cast<int>(row - y)) + (first_column - x + margin) * 3;
    std::uint8_t* pixel = target.row(static_cast<int>(row)) + first_column * pixel_size;
    for (long column = first_column; column < last_column; ++column, source += 3, pixel += pixel_size) {
      // The cell is opaque; outside it only the glyph parts that reach out are written, and
      // where they meet what is there the brighter pixel wins.
      const bool in_cell = column >= x && column < x + written->cell.width;
      if (in_cell || source[0] + source[1] + source[2] > pixel[0] + pixel[1] + pixel[2]) {
        std::memcpy(pixel, source, 3);
      }
    }
  }
  return written->cell;
}

void trace_text(FontHandle font, std::string_view text, int x, int y,
                const std::function<void(int x, int y, std::uint8_t coverage)>& paint) {
  Font* found = glyph_system().fonts.find(font);
  if (found == nullptr) {
    return;
  }
  const auto written = write_to_scratch(*found, text);
  if (!written) {
    return;
  }
  const Scratch& scratch = glyph_system().scratch;
  const int columns = written->cell.width + 2 * written->margin;
  for (int row = 0; row < written->cell.height; ++row) {
    const std::uint8_t* pixel = scratch.row(row);
    for (int column = 0; column < columns; ++column, pixel += 3) {
      // Sub-pixel smoothing colours the edges; their coverage is the mean of the three.
      const int coverage = (pixel[0] + pixel[1] + pixel[2]) / 3;
      if (coverage != 0) {
        paint(x + column - written->margin, y + row, static_cast<std::uint8_t>(coverage));
      }
    }
  }
}

}  // namespace platform
