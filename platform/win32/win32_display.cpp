#include "platform/win32/backend.h"

#include <windows.h>
#include <windowsx.h>

#include <chrono>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/button_look.h"
#include "platform/win32/native_values.h"

namespace platform {
namespace {

using namespace win32;

class Win32Display;
Win32Display* current_display = nullptr;

LRESULT CALLBACK window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

class Win32Display final : public NativeDisplay {
 public:
  Win32Display(HINSTANCE instance, std::wstring window_class) : instance_(instance), window_class_(std::move(window_class)) {
    HDC screen = GetDC(nullptr);
    if (screen != nullptr) {
      dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
      ReleaseDC(nullptr, screen);
    }
    current_display = this;
  }
  ~Win32Display() override {
    for (const auto& [window, native] : natives_) {
      DestroyWindow(native.hwnd);
    }
    current_display = nullptr;
  }
  Win32Display(const Win32Display&) = delete;
  Win32Display& operator=(const Win32Display&) = delete;

  Rect monitor() override {
    const std::optional<MONITORINFO> info = primary_monitor();
    return info ? rect_of(info->rcMonitor)
                : Rect::at({0, 0}, {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  }

  // The primary monitor less the task bar.
  std::optional<Rect> work_area() override {
    const std::optional<MONITORINFO> info = primary_monitor();
    return info ? std::optional<Rect>(rect_of(info->rcWork)) : std::nullopt;
  }

  int dpi() override { return dpi_; }

  FrameExtents frame_extents(std::uint32_t style) override {
    RECT outer{0, 0, 0, 0};
    AdjustWindowRectEx(&outer, native_style(style), FALSE, 0);
    return {-outer.left, outer.right, -outer.top, outer.bottom};
  }

  std::optional<NativeWindow> create_window(const WindowNode& window) override {
    const Size size = window.device_size();
    Native& native = natives_[&window];
    native.pixels.assign(static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height), Pixel{});
    const Point outer_origin = outer_origin_of(window, window.bounds().origin());
    const Size outer = outer_size(window);
    const HWND hwnd = CreateWindowExW(0, window_class_.c_str(), widen(window.text()).c_str(), native_style(window.style()),
                                      outer_origin.x, outer_origin.y, outer.width, outer.height, nullptr, nullptr,
                                      instance_, nullptr);
    if (hwnd == nullptr) {
      natives_.erase(&window);
      return std::nullopt;
    }
    native.hwnd = hwnd;
    by_handle_[hwnd] = &window;
    return NativeWindow{reinterpret_cast<std::uintptr_t>(hwnd),
                        {size, native.pixels.data(), static_cast<std::size_t>(size.width)}};
  }

  std::optional<Surface> resize_window(const WindowNode& window, Point inner_origin) override {
    const auto found = natives_.find(&window);
    if (found == natives_.end()) {
      return std::nullopt;
    }
    Native& native = found->second;
    const Size size = window.device_size();
    std::vector<Pixel> pixels(static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height), Pixel{});
    const Point outer_origin = outer_origin_of(window, inner_origin);
    const Size outer = outer_size(window);
    if (!SetWindowPos(native.hwnd, nullptr, outer_origin.x, outer_origin.y, outer.width, outer.height,
                      SWP_NOZORDER | SWP_NOACTIVATE)) {
      return std::nullopt;
    }
    native.pixels = std::move(pixels);
    return Surface{size, native.pixels.data(), static_cast<std::size_t>(size.width)};
  }

  void place_window(const WindowNode& window, Point inner_origin) override {
    if (const HWND hwnd = handle_of(window)) {
      const Point outer_origin = outer_origin_of(window, inner_origin);
      SetWindowPos(hwnd, nullptr, outer_origin.x, outer_origin.y, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
    }
  }

  void destroy_window(const WindowNode& window) override {
    const auto found = natives_.find(&window);
    if (found == natives_.end()) {
      return;
    }
    const HWND hwnd = found->second.hwnd;
    // Nothing the window says while it goes is input any more.
    by_handle_.erase(hwnd);
    DestroyWindow(hwnd);
    natives_.erase(found);
  }

  void set_title(const WindowNode& window) override {
    if (const HWND hwnd = handle_of(window)) {
      SetWindowTextW(hwnd, widen(window.text()).c_str());
    }
  }

  // Shown where it was made, which is its place from now on: the window's own moves before it was
  // known here were not reported.
  void show(const WindowNode& window) override {
    if (const HWND hwnd = handle_of(window)) {
      ShowWindow(hwnd, SW_SHOWNORMAL);
      SetForegroundWindow(hwnd);
      POINT origin{0, 0};
      ClientToScreen(hwnd, &origin);
      input::moved(*window_of(hwnd), {origin.x, origin.y});
    }
  }

  Pixel* present(const WindowNode& window, const Rect& area) override {
    if (const HWND hwnd = handle_of(window)) {
      HDC device = GetDC(hwnd);
      show_pixels(device, window, area);
      ReleaseDC(hwnd, device);
    }
    return window.surface().pixels;
  }

  std::optional<Pixel> system_colour(SystemColour which) override {
    const int index = which == SystemColour::ButtonFace   ? COLOR_BTNFACE
                      : which == SystemColour::ButtonText ? COLOR_BTNTEXT
                                                          : COLOR_GRAYTEXT;
    const COLORREF colour = GetSysColor(index);
    return rgb(GetRValue(colour), GetGValue(colour), GetBValue(colour));
  }

  std::optional<SystemMetrics> system_metrics() override {
    SystemMetrics metrics;
    metrics.drag_distance = {GetSystemMetrics(SM_CXDRAG), GetSystemMetrics(SM_CYDRAG)};
    metrics.double_click_time = GetDoubleClickTime();
    // The desktop names the whole rectangle that a second press may land in, centred on the first.
    metrics.double_click_distance = {GetSystemMetrics(SM_CXDOUBLECLK) / 2, GetSystemMetrics(SM_CYDOUBLECLK) / 2};
    return metrics;
  }

  std::unique_ptr<Bitmap> button_face(Size size, const ButtonLook& look) override { return buttons_.face(size, look); }

  bool pump(bool wait, std::optional<std::chrono::milliseconds> limit) override {
    reported_ = false;
    dispatch_waiting();
    if (!wait) {
      return true;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = limit ? Clock::now() + *limit : Clock::time_point::max();
    while (!reported_) {
      DWORD timeout = INFINITE;
      if (limit) {
        const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (remaining <= 0) {
          return false;
        }
        timeout = static_cast<DWORD>(remaining);
      }
      // Sleeps until a message comes: no processor time while the user does nothing.
      if (MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_TIMEOUT) {
        return false;
      }
      dispatch_waiting();
    }
    return true;
  }

  LRESULT handle(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

 private:
  struct Native {
    HWND hwnd = nullptr;
    std::vector<Pixel> pixels;  // 0x00RRGGBB is a 32-bit DIB's blue-green-red-reserved
  };

  static Rect rect_of(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

  static Point outer_origin_of(const WindowNode& window, Point inner_origin) {
    return {inner_origin.x - window.frame().left, inner_origin.y - window.frame().top};
  }

  static Size outer_size(const WindowNode& window) {
    const Size inner = window.device_size();
    const FrameExtents& frame = window.frame();
    return {inner.width + frame.left + frame.right, inner.height + frame.top + frame.bottom};
  }

  HWND handle_of(const WindowNode& window) const {
    const auto found = natives_.find(&window);
    return found != natives_.end() ? found->second.hwnd : nullptr;
  }

  const WindowNode* window_of(HWND hwnd) const {
    const auto found = by_handle_.find(hwnd);
    return found != by_handle_.end() ? found->second : nullptr;
  }

  void dispatch_waiting() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&message);
    }
  }

  // The rows of the area as a top-down bitmap of their own, so that its origin is unambiguous.
  // The primary monitor is the one that holds the desktop's origin.
  static std::optional<MONITORINFO> primary_monitor() {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info)) {
      return std::nullopt;
    }
    return info;
  }

  static void show_pixels(HDC device, const WindowNode& window, const Rect& area) {
    const Surface& surface = window.surface();
    const Rect shown = area.intersected(Rect::at({0, 0}, surface.size));
    if (shown.empty() || surface.pixels == nullptr) {
      return;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(surface.stride);
    info.bmiHeader.biHeight = -shown.height();
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const Pixel* rows = surface.pixels + static_cast<std::size_t>(shown.top) * surface.stride;
    SetDIBitsToDevice(device, shown.left, shown.top, static_cast<DWORD>(shown.width()),
                      static_cast<DWORD>(shown.height()), shown.left, 0, 0, static_cast<UINT>(shown.height()), rows,
                      &info, DIB_RGB_COLORS);
  }

  void pointer_button(HWND hwnd, const WindowNode& window, MouseButton button, bool pressed, LPARAM lparam) {
    // Held buttons keep the pointer's input coming here even off the window, so that every press
    // has its release.
    if (pressed && GetCapture() != hwnd) {
      SetCapture(hwnd);
    }
    input::button(window, button, pressed, point_of(lparam), static_cast<std::uint32_t>(GetMessageTime()));
    const bool any_held = (GetKeyState(VK_LBUTTON) < 0) || (GetKeyState(VK_RBUTTON) < 0) || (GetKeyState(VK_MBUTTON) < 0);
    if (!pressed && !any_held && GetCapture() == hwnd) {
      ReleaseCapture();
    }
  }

  HINSTANCE instance_;
  std::wstring window_class_;  // the class every window of the program is made in
  int dpi_ = 96;
  bool reported_ = false;
  std::map<const WindowNode*, Native> natives_;
  std::map<HWND, const WindowNode*> by_handle_;
  ButtonLookPainter buttons_;
};

LRESULT Win32Display::handle(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  const WindowNode* window = window_of(hwnd);
  if (window == nullptr) {
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  switch (message) {
    case WM_PAINT: {
      // The surface is shown at once, for a desktop that moves the window in a loop of its own;
      // the area is then painted again from its windows, as an exposure, so that a picture shows
      // its image's pixels as they are now.
      PAINTSTRUCT paint;
      HDC device = BeginPaint(hwnd, &paint);
      const Rect area{paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right, paint.rcPaint.bottom};
      show_pixels(device, *window, area);
      EndPaint(hwnd, &paint);
      if (!area.empty()) {
        reported_ = true;
        input::exposed(*window, area);
      }
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the exposure that WM_PAINT reports erases and paints every pixel of its area
    case WM_CLOSE:
      reported_ = true;
      input::close_requested(*window);
      return 0;  // the window system decides when the window goes
    case WM_ACTIVATE:
      reported_ = true;
      input::activation(*window, LOWORD(wparam) != WA_INACTIVE);
      break;
    case WM_SIZE:
      if (wparam == SIZE_MINIMIZED || wparam == SIZE_RESTORED) {
        reported_ = true;
        input::state_changed(*window, wparam == SIZE_MINIMIZED);
      }
      return 0;
    case WM_MOVE:
      // A minimized window is parked far off the screen: that is no move.
      if (!IsIconic(hwnd)) {
        reported_ = true;
        input::moved(*window, point_of(lparam));
      }
      return 0;
    case WM_MOUSEMOVE:
      reported_ = true;
      input::pointer_moved(*window, point_of(lparam), static_cast<std::uint32_t>(GetMessageTime()));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      reported_ = true;
      pointer_button(hwnd, *window, MouseButton::Left, message == WM_LBUTTONDOWN, lparam);
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      reported_ = true;
      pointer_button(hwnd, *window, MouseButton::Right, message == WM_RBUTTONDOWN, lparam);
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
      reported_ = true;
      input::key(*window, key_of(wparam), message == WM_KEYDOWN, held_modifiers());
      return 0;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      // Alt with a key: reported, and left to the desktop too (Alt+F4, the window menu).
      reported_ = true;
      input::key(*window, key_of(wparam), message == WM_SYSKEYDOWN, held_modifiers());
      break;
    case WM_THEMECHANGED:
      buttons_.reopen_theme();
      reported_ = true;
      input::colour_scheme_changed();
      return 0;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
      reported_ = true;
      input::colour_scheme_changed();
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (current_display != nullptr) {
    return current_display->handle(hwnd, message, wparam, lparam);
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace

std::unique_ptr<NativeDisplay> open_win32_display(const ProgramIdentity& identity, std::string& error) {
  if (current_display != nullptr) {
    error = "the Windows desktop is already open";
    return nullptr;
  }
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = window_procedure;
  window_class.hInstance = instance;
  std::wstring class_name = widen(identity.window_class);
  window_class.hIcon = identity.icon_resource != 0 ? LoadIconW(instance, MAKEINTRESOURCEW(identity.icon_resource)) : nullptr;
  if (window_class.hIcon == nullptr) {
    window_class.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  }
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = class_name.c_str();
  if (RegisterClassExW(&window_class) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    error = "could not register a window class";
    return nullptr;
  }
  return std::make_unique<Win32Display>(instance, std::move(class_name));
}

}  // namespace platform
