#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "platform/win32/backend.h"
#include "platform/window_system/window_system.h"
#include "tests/support/test_program.h"
#include "present/controls.h"
#include "present/drawing/drawing_session.h"
#include "present/events.h"
#include "present/drawing/images.h"
#include "present/presentation.h"
#include "present/drawing/primitives.h"
#include "support/layer_window_fixture.h"
#include "viewer/viewer.h"

namespace present {
namespace {

const std::wstring title(viewer::window_title.begin(), viewer::window_title.end());

// The viewer's window opened by this process on the Windows desktop, looked at through Win32.
class LayerOnWin32Test : public test_support::LayerWindowFixture {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_NO_FATAL_FAILURE(open_window_on(platform::open_win32_display(tests::test_program, error), error));
    // This process's only window, as the desktop finds it by its title.
    hwnd = FindWindowW(nullptr, title.c_str());
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(settle([&] { return IsWindowVisible(hwnd) && GetForegroundWindow() == hwnd; }));
  }

  // The window's inner area as the desktop shows it, 0x00RRGGBB, rows top-down.
  std::vector<std::uint32_t> capture(const RECT& area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    HDC window_device = GetDC(hwnd);
    HDC device = CreateCompatibleDC(window_device);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(device, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(device, bitmap);
    BitBlt(device, 0, 0, width, height, window_device, area.left, area.top, SRCCOPY);
    GdiFlush();
    std::vector<std::uint32_t> pixels(static_cast<const std::uint32_t*>(bits),
                                      static_cast<const std::uint32_t*>(bits) + width * height);
    for (std::uint32_t& pixel : pixels) {
      pixel &= 0xFFFFFF;
    }
    SelectObject(device, previous);
    DeleteObject(bitmap);
    DeleteDC(device);
    ReleaseDC(hwnd, window_device);
    return pixels;
  }

  // A message as the desktop would send it for the user's action.
  void post_key(WPARAM key, bool pressed) { PostMessageW(hwnd, pressed ? WM_KEYDOWN : WM_KEYUP, key, 0); }
  void post_click(const platform::Rect& bounds) {
    const LPARAM at = MAKELPARAM((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2);
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(hwnd, WM_LBUTTONUP, 0, at);
  }

  HWND hwnd = nullptr;
};

TEST_F(LayerOnWin32Test, TheWindowIsShownCentredWithItsTitleCaptionButtonsAndAFixedInnerArea) {
  wchar_t text[128] = {};
  GetWindowTextW(hwnd, text, 128);
  EXPECT_EQ(std::wstring(text), title);

  RECT inner{};
  GetClientRect(hwnd, &inner);
  EXPECT_EQ(inner.right - inner.left, 1044);
  EXPECT_EQ(inner.bottom - inner.top, 350);

  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_NE(style & WS_SYSMENU, 0);
  EXPECT_NE(style & WS_MINIMIZEBOX, 0);
  EXPECT_EQ(style & WS_MAXIMIZEBOX, 0);
  EXPECT_EQ(style & WS_THICKFRAME, 0);

  // Centred on the work area, frame and all, by the outer size the desktop gives this style.
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT outer{0, 0, 1044, 350};
  AdjustWindowRectEx(&outer, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, FALSE, 0);
  RECT placed{};
  GetWindowRect(hwnd, &placed);
  EXPECT_EQ(placed.right - placed.left, outer.right - outer.left);
  EXPECT_EQ(placed.left, ((work.right - work.left) - (outer.right - outer.left)) / 2);
  EXPECT_EQ(placed.top, ((work.bottom - work.top) - (outer.bottom - outer.top)) / 2);
}

TEST_F(LayerOnWin32Test, TheWindowShowsTheCanvasPixelsOnceThePictureIsSet) {
  start_drawing(image_output(viewer::page_canvas));
  for (int band = 0; band < 8; ++band) {
    fill_box(128 * band, 0, 128, 300, make_rgb(30 * band, 255 - 30 * band, 17 * band));
  }
  plot_pixel(1023, 0, make_rgb(255, 0, 0));
  plot_pixel(0, 299, make_rgb(0, 0, 255));
  stop_drawing();
  set_control_state(viewer::image_view, image_handle(viewer::page_canvas));

  // Worked out from the bands and the two pixels, not read from the canvas.
  std::vector<std::uint32_t> expected;
  for (int y = 0; y < 300; ++y) {
    for (int x = 0; x < 1024; ++x) {
      const std::uint32_t band = x / 128;
      expected.push_back((30 * band) << 16 | (255 - 30 * band) << 8 | 17 * band);
    }
  }
  expected[1023] = 0xFF0000;
  expected[299 * 1024] = 0x0000FF;
  EXPECT_TRUE(settle([&] { return capture({10, 10, 1034, 310}) == expected; }));
}

TEST_F(LayerOnWin32Test, AnUncoveredWindowShowsTheCanvasAsItIsNow) {
  const auto paint_canvas = [](Colour colour) {
    start_drawing(image_output(viewer::page_canvas));
    fill_box(0, 0, 1024, 300, colour);
    stop_drawing();
  };
  paint_canvas(make_rgb(0, 0, 255));
  set_control_state(viewer::image_view, image_handle(viewer::page_canvas));
  ASSERT_TRUE(settle([&] { return capture({10, 10, 1034, 310}) == std::vector<std::uint32_t>(1024 * 300, 0x0000FF); }));
  settle([] { return false; });  // the activation that follows showing, which paints everything

  // The canvas changes without the picture being told; then the desktop asks for the inner area
  // again, as when the window comes out from under another.
  paint_canvas(make_rgb(0, 255, 0));
  seen.clear();
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
  // Erased and painted again as an exposure is, which the layer reports.
  EXPECT_TRUE(settle([&] {
    return saw(RepaintEvent) && capture({10, 10, 1034, 310}) == std::vector<std::uint32_t>(1024 * 300, 0x00FF00);
  }));
}

// The desktop's own colours and settings, made unlike any default before the layer starts.
class LayerOnWin32DesktopTest : public LayerOnWin32Test {
 protected:
  void SetUp() override {
    const int element = COLOR_BTNFACE;
    saved_face = GetSysColor(element);
    const COLORREF face = RGB(10, 20, 30);
    SetSysColors(1, &element, &face);
    saved_time = GetDoubleClickTime();
    SetDoubleClickTime(1234);
    saved_drag = {GetSystemMetrics(SM_CXDRAG), GetSystemMetrics(SM_CYDRAG)};
    saved_double_click = {GetSystemMetrics(SM_CXDOUBLECLK), GetSystemMetrics(SM_CYDOUBLECLK)};
    set_metrics({7, 9}, {10, 12});
    LayerOnWin32Test::SetUp();
  }
  void TearDown() override {
    LayerOnWin32Test::TearDown();
    const int element = COLOR_BTNFACE;
    SetSysColors(1, &element, &saved_face);
    SetDoubleClickTime(saved_time);
    set_metrics(saved_drag, saved_double_click);
  }

  static void set_metrics(platform::Size drag, platform::Size double_click) {
    SystemParametersInfoW(SPI_SETDRAGWIDTH, static_cast<UINT>(drag.width), nullptr, 0);
    SystemParametersInfoW(SPI_SETDRAGHEIGHT, static_cast<UINT>(drag.height), nullptr, 0);
    SystemParametersInfoW(SPI_SETDOUBLECLKWIDTH, static_cast<UINT>(double_click.width), nullptr, 0);
    SystemParametersInfoW(SPI_SETDOUBLECLKHEIGHT, static_cast<UINT>(double_click.height), nullptr, 0);
  }

  COLORREF saved_face = 0;
  UINT saved_time = 0;
  platform::Size saved_drag;
  platform::Size saved_double_click;
};

TEST_F(LayerOnWin32DesktopTest, ColoursDragAndDoubleClickSettingsAreTheDesktops) {
  EXPECT_EQ(platform::system_colour(platform::SystemColour::ButtonFace), platform::rgb(10, 20, 30));
  const platform::SystemMetrics metrics = platform::system_metrics();
  EXPECT_EQ(metrics.drag_distance, (platform::Size{7, 9}));
  EXPECT_EQ(metrics.double_click_time, 1234u);
  // Half the rectangle that the desktop centres on the first press, either way.
  EXPECT_EQ(metrics.double_click_distance, (platform::Size{5, 6}));
  // The window's background beside the picture is the desktop's button face.
  EXPECT_TRUE(settle([&] { return capture({2, 2, 3, 3}) == std::vector<std::uint32_t>{0x0A141E}; }));
}

TEST_F(LayerOnWin32Test, ClicksKeysCloseMinimizeAndRestoreGiveTheirEvents) {
  settle([] { return false; });
  seen.clear();
  post_click(viewer::previous_button_area);
  EXPECT_TRUE(settle([&] { return saw(ControlEvent, viewer::previous_button); }));
  post_click(viewer::next_button_area);
  EXPECT_TRUE(settle([&] { return saw(ControlEvent, viewer::next_button); }));
  EXPECT_EQ(std::count(seen.begin(), seen.end(), std::make_pair(ControlEvent, viewer::previous_button)), 1);

  // "Next" has the focus from its click: Tab moves it to "Previous", the space bar clicks it.
  seen.clear();
  post_key(VK_TAB, true);
  post_key(VK_TAB, false);
  post_key(VK_SPACE, true);
  post_key(VK_SPACE, false);
  EXPECT_TRUE(settle([&] { return saw(ControlEvent, viewer::previous_button); }));
  EXPECT_FALSE(saw(ControlEvent, viewer::next_button));

  ShowWindow(hwnd, SW_MINIMIZE);
  EXPECT_TRUE(settle([&] { return saw(MinimizeEvent); }));
  seen.clear();
  ShowWindow(hwnd, SW_RESTORE);
  EXPECT_TRUE(settle([&] { return saw(SizeEvent); }));
  const auto restore = std::find(seen.begin(), seen.end(), std::make_pair(RestoreEvent, ObjectNumber{-1}));
  ASSERT_NE(restore, seen.end());
  ASSERT_NE(restore + 1, seen.end());
  EXPECT_EQ(*(restore + 1), std::make_pair(SizeEvent, ObjectNumber{-1}));

  PostMessageW(hwnd, WM_CLOSE, 0, 0);
  EXPECT_TRUE(settle([&] { return saw(CloseEvent); }));
  EXPECT_TRUE(IsWindow(hwnd));
  EXPECT_TRUE(IsWindowVisible(hwnd));
}

}  // namespace
}  // namespace present
