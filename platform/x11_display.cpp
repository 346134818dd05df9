#include "platform/x11_display.h"

#include "platform/window_icon.h"
#include "platform/window_system.h"
#include "platform/x11_image.h"
#include "platform/x11_pixel_format.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace platform {
namespace {

// The program's own top-level windows. Another client may destroy one at any time; requests on it
// that were already on their way then fail, and its DestroyNotify, queued before those errors,
// closes it.
const std::map<::Window, platform::Window*>* own_windows = nullptr;

int on_x_error(::Display* display, XErrorEvent* event) {
  const bool about_a_window = event->error_code == BadWindow || event->error_code == BadDrawable;
  if (about_a_window && own_windows != nullptr && own_windows->contains(event->resourceid)) {
    return 0;
  }
  char text[256] = {};
  XGetErrorText(display, event->error_code, text, sizeof text);
  std::fprintf(stderr, "tablescope: the X server refused a request: %s (request %d.%d)\n", text,
               event->request_code, event->minor_code);
  std::_Exit(1);
}

int on_x_io_error(::Display*) {
  std::fputs("tablescope: lost the connection to the X display\n", stderr);
  std::_Exit(1);
}

// The Motif hints that window managers read for a window's functions and decorations.
struct MotifHints {
  unsigned long flags;
  unsigned long functions;
  unsigned long decorations;
  long input_mode;
  unsigned long status;
};
constexpr unsigned long motif_functions = 1, motif_decorations = 2;
constexpr unsigned long function_resize = 2, function_move = 4, function_minimize = 8, function_maximize = 16,
                        function_close = 32;
constexpr unsigned long decoration_border = 2, decoration_resize = 4, decoration_title = 8, decoration_menu = 16,
                        decoration_minimize = 32, decoration_maximize = 64;

std::string latin1_to_utf8(const std::string& text) {
  std::string utf8;
  for (const char character : text) {
    const auto code = static_cast<unsigned char>(character);
    if (code < 0x80) {
      utf8.push_back(static_cast<char>(code));
    } else {
      utf8.push_back(static_cast<char>(0xC0 | (code >> 6)));
      utf8.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return utf8;
}

Key key_of(KeySym symbol) {
  switch (symbol) {
    case XK_Tab:
    case XK_ISO_Left_Tab:
      return Key::Tab;
    case XK_space:
      return Key::Space;
    default:
      return Key::Other;
  }
}

std::int32_t modifiers_of(unsigned int state) {
  std::int32_t modifiers = NoModifier;
  if ((state & ShiftMask) != 0) modifiers |= Shift;
  if ((state & ControlMask) != 0) modifiers |= Control;
  if ((state & Mod1Mask) != 0) modifiers |= Alt;
  return modifiers;
}

// The Xft.dpi resource, where it is set to a sensible value.
std::optional<int> dpi_of_resources(const char* resources) {
  XrmInitialize();
  XrmDatabase database = XrmGetStringDatabase(resources);
  if (database == nullptr) {
    return std::nullopt;
  }
  std::optional<int> found;
  char* type = nullptr;
  XrmValue value{};
  if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != nullptr) {
    const double dpi = std::atof(value.addr);
    if (dpi >= 24 && dpi <= 960) {
      found = static_cast<int>(std::lround(dpi));
    }
  }
  XrmDestroyDatabase(database);
  return found;
}

class X11Display final : public Display {
 public:
  X11Display(::Display* x, std::string& error);
  ~X11Display() override;

  bool usable() const { return usable_; }

  Size screen_size() override { return screen_; }
  int dpi() override { return dpi_; }
  FrameExtents frame_extents(std::uint32_t style) override;
  Rect work_area() override;
  bool create_window(Window& window, Point outer_origin) override;
  bool resize_window(Window& window, Point outer_origin) override;
  void destroy_window(Window& window) override;
  void set_title(Window& window) override;
  void show(Window& window) override;
  void present(Window& window, const Rect& area) override;
  bool pump(bool wait, std::optional<std::chrono::milliseconds> limit) override;

 private:
  struct Native {
    ::Window xid = 0;
    GC gc = nullptr;
    std::unique_ptr<X11Image> image;
    bool centred = false;        // the program centred its frame on the screen, guessing the frame
    FrameExtents frame_guess;
    bool frame_known = false;    // the window manager has told the frame's extents
    bool managed = false;        // a window manager has taken the window (it set WM_STATE)
    bool destroyed = false;      // by another client
  };

  void intern_atoms();
  void request_frame_extents();
  void frame_extents_arrived(Window& window, Native& native);
  Native* native_of(const Window& window);
  void read_screen_size();
  bool read_dpi();
  std::unique_ptr<X11Image> make_image(Size size);
  void set_size_hints(::Window xid, Point outer_origin, Size size);
  void set_hints(Window& window, ::Window xid, Point outer_origin);
  bool handle(XEvent& event);
  using EventHandler = bool (X11Display::*)(XEvent&, Window&);
  using EventTable = std::array<EventHandler, LASTEvent>;
  static const EventTable& event_table();
  bool on_root_property(const XPropertyEvent& event);
  bool on_expose(XEvent& event, Window& window);
  bool on_configure(XEvent& event, Window& window);
  bool on_destroy(XEvent& event, Window& window);
  bool on_client_message(XEvent& event, Window& window);
  bool on_focus_in(XEvent& event, Window& window);
  bool on_focus_out(XEvent& event, Window& window);
  bool on_property(XEvent& event, Window& window);
  bool on_button(XEvent& event, Window& window);
  bool on_motion(XEvent& event, Window& window);
  bool on_key(XEvent& event, Window& window);
  Window* window_of(::Window xid);
  // A property's 32-bit values, at most `most`; none when it is absent or of another type.
  std::vector<long> property_values(::Window xid, Atom property, Atom type, long most);
  std::optional<FrameExtents> read_frame_extents(::Window xid);
  bool supported(Atom property);
  long window_state(::Window xid);

  ::Display* x_;
  int screen_number_;
  ::Window root_;
  Visual* visual_;
  int depth_;
  std::optional<PixelFormat> format_;
  bool usable_ = false;
  bool shm_ = false;
  Size screen_;
  int dpi_ = 96;
  std::optional<FrameExtents> frame_;
  ::Window frame_probe_ = 0;
  std::map<const Window*, Native> natives_;
  std::map<::Window, Window*> by_xid_;

  Atom wm_protocols_ = None, wm_delete_window_ = None, wm_state_ = None, net_wm_name_ = None,
       utf8_string_ = None, net_wm_pid_ = None, net_frame_extents_ = None, net_request_frame_extents_ = None,
       motif_wm_hints_ = None, net_wm_window_type_ = None, net_wm_window_type_normal_ = None,
       net_supporting_wm_check_ = None, net_supported_ = None,
       resource_manager_ = None, net_wm_icon_ = None, net_workarea_ = None;
};

X11Display::X11Display(::Display* x, std::string& error)
    : x_(x),
      screen_number_(DefaultScreen(x)),
      root_(RootWindow(x, DefaultScreen(x))),
      visual_(DefaultVisual(x, DefaultScreen(x))),
      depth_(DefaultDepth(x, DefaultScreen(x))) {
  XSetErrorHandler(on_x_error);
  XSetIOErrorHandler(on_x_io_error);
  format_ = true_colour_format(x_, visual_, depth_, error);
  if (!format_) {
    return;
  }
  intern_atoms();

  // Asked first, so that Xlib has nothing to complain about on a server without it.
  int opcode = 0, event_base = 0, error_base = 0;
  int major = 0, minor = 0;
  Bool pixmaps = False;
  shm_ = XQueryExtension(x_, "MIT-SHM", &opcode, &event_base, &error_base) == True &&
         XShmQueryVersion(x_, &major, &minor, &pixmaps) == True;
  // Only key presses repeat while a key is held, never a release.
  XkbSetDetectableAutoRepeat(x_, True, nullptr);
  read_screen_size();
  read_dpi();
  // The desktop's settings (colours, fonts) live in the root window's resources.
  XSelectInput(x_, root_, PropertyChangeMask);
  request_frame_extents();
  own_windows = &by_xid_;
  usable_ = true;
}

X11Display::~X11Display() {
  own_windows = nullptr;
  for (auto& [window, native] : natives_) {
    native.image.reset();
    XFreeGC(x_, native.gc);
    if (!native.destroyed) {
      XDestroyWindow(x_, native.xid);
    }
  }
  XCloseDisplay(x_);
}

void X11Display::read_screen_size() {
  screen_ = {DisplayWidth(x_, screen_number_), DisplayHeight(x_, screen_number_)};
  int event_base = 0, error_base = 0;
  if (!XRRQueryExtension(x_, &event_base, &error_base)) {
    return;
  }
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(x_, root_);
  if (resources == nullptr) {
    return;
  }
  // The primary monitor, else the first one that shows anything.
  std::vector<RRCrtc> candidates;
  if (const RROutput primary = XRRGetOutputPrimary(x_, root_)) {
    if (XRROutputInfo* output = XRRGetOutputInfo(x_, resources, primary)) {
      candidates.push_back(output->crtc);
      XRRFreeOutputInfo(output);
    }
  }
  candidates.insert(candidates.end(), resources->crtcs, resources->crtcs + resources->ncrtc);
  for (const RRCrtc crtc : candidates) {
    XRRCrtcInfo* info = crtc != 0 ? XRRGetCrtcInfo(x_, resources, crtc) : nullptr;
    if (info == nullptr) {
      continue;
    }
    const bool shows = info->mode != None && info->width > 0 && info->height > 0;
    if (shows) {
      screen_ = {static_cast<int>(info->width), static_cast<int>(info->height)};
    }
    XRRFreeCrtcInfo(info);
    if (shows) {
      break;
    }
  }
  XRRFreeScreenResources(resources);
}

// The desktop's resolution from its resources, 96 where it sets none; true when it changed. The
// resources are read from the root window each time: Xlib keeps only those it found at opening.
bool X11Display::read_dpi() {
  const int before = dpi_;
  dpi_ = 96;
  Atom type = None;
  int format = 0;
  unsigned long length = 0, after = 0;
  unsigned char* resources = nullptr;
  if (XGetWindowProperty(x_, root_, resource_manager_, 0, 1 << 20, False, XA_STRING, &type, &format, &length, &after,
                         &resources) == Success &&
      resources != nullptr && type == XA_STRING && format == 8) {
    dpi_ = dpi_of_resources(reinterpret_cast<const char*>(resources)).value_or(dpi_);
  }
  if (resources != nullptr) {
    XFree(resources);
  }
  return dpi_ != before;
}

std::vector<long> X11Display::property_values(::Window xid, Atom property, Atom type, long most) {
  Atom actual = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<long> values;
  if (XGetWindowProperty(x_, xid, property, 0, most, False, type, &actual, &format, &count, &after, &data) ==
          Success &&
      actual == type && format == 32 && data != nullptr) {
    // Xlib hands 32-bit values over as longs.
    const auto* longs = reinterpret_cast<const long*>(data);
    values.assign(longs, longs + count);
  }
  if (data != nullptr) {
    XFree(data);
  }
  return values;
}

// All the atoms in one round trip to the server rather than one each.
void X11Display::intern_atoms() {
  const std::pair<const char*, Atom*> wanted[] = {
      {"WM_PROTOCOLS", &wm_protocols_},
      {"WM_DELETE_WINDOW", &wm_delete_window_},
      {"WM_STATE", &wm_state_},
      {"_NET_WM_NAME", &net_wm_name_},
      {"UTF8_STRING", &utf8_string_},
      {"_NET_WM_PID", &net_wm_pid_},
      {"_NET_FRAME_EXTENTS", &net_frame_extents_},
      {"_NET_REQUEST_FRAME_EXTENTS", &net_request_frame_extents_},
      {"_MOTIF_WM_HINTS", &motif_wm_hints_},
      {"_NET_WM_WINDOW_TYPE", &net_wm_window_type_},
      {"_NET_WM_WINDOW_TYPE_NORMAL", &net_wm_window_type_normal_},
      {"_NET_SUPPORTING_WM_CHECK", &net_supporting_wm_check_},
      {"_NET_SUPPORTED", &net_supported_},
      {"RESOURCE_MANAGER", &resource_manager_},
      {"_NET_WM_ICON", &net_wm_icon_},
      {"_NET_WORKAREA", &net_workarea_},
  };
  constexpr int count = static_cast<int>(std::size(wanted));
  std::array<char*, count> names{};
  std::array<Atom, count> atoms{};
  for (int i = 0; i < count; ++i) {
    names[i] = const_cast<char*>(wanted[i].first);  // Xlib's signature lacks const; it only reads them
  }
  XInternAtoms(x_, names.data(), count, False, atoms.data());
  for (int i = 0; i < count; ++i) {
    *wanted[i].second = atoms[i];
  }
}

bool X11Display::supported(Atom property) {
  const std::vector<long> atoms = property_values(root_, net_supported_, XA_ATOM, 4096);
  return std::find(atoms.begin(), atoms.end(), static_cast<long>(property)) != atoms.end();
}

std::optional<FrameExtents> X11Display::read_frame_extents(::Window xid) {
  const std::vector<long> values = property_values(xid, net_frame_extents_, XA_CARDINAL, 4);
  if (values.size() != 4) {
    return std::nullopt;
  }
  return FrameExtents{static_cast<int>(values[0]), static_cast<int>(values[1]), static_cast<int>(values[2]),
                      static_cast<int>(values[3])};
}

// What the window manager will put around a window is asked of it with a window that is never
// shown, as soon as the display opens; the answer usually comes while the program loads its fonts.
// Nothing ever waits for it: some window managers answer late or never.
void X11Display::request_frame_extents() {
  const bool managed = !property_values(root_, net_supporting_wm_check_, XA_WINDOW, 1).empty();
  if (!managed || !supported(net_request_frame_extents_)) {
    return;
  }
  frame_probe_ = XCreateSimpleWindow(x_, root_, 0, 0, 100, 100, 0, 0, 0);
  const MotifHints hints{motif_functions | motif_decorations, 0,
                         decoration_border | decoration_title | decoration_menu | decoration_minimize, 0, 0};
  XChangeProperty(x_, frame_probe_, motif_wm_hints_, motif_wm_hints_, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&hints), 5);
  XEvent request{};
  request.xclient.type = ClientMessage;
  request.xclient.window = frame_probe_;
  request.xclient.message_type = net_request_frame_extents_;
  request.xclient.format = 32;
  XSendEvent(x_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &request);
  XFlush(x_);
}

// The frame the window manager has told of, or none yet: a window placed with a guess is moved
// when the real extents arrive.
FrameExtents X11Display::frame_extents(std::uint32_t style) {
  if ((style & style_title_bar) == 0) {
    return {};
  }
  if (!frame_ && frame_probe_ != 0) {
    frame_ = read_frame_extents(frame_probe_);
    XDestroyWindow(x_, frame_probe_);
    frame_probe_ = 0;
  }
  return frame_.value_or(FrameExtents{});
}

std::unique_ptr<X11Image> X11Display::make_image(Size size) {
  auto image = std::make_unique<X11Image>(x_, visual_, depth_, *format_);
  return image->make(size, shm_) ? std::move(image) : nullptr;
}

// The window manager's part of the desktop, less its panels, on the primary monitor.
Rect X11Display::work_area() {
  const Rect monitor = Rect::at({0, 0}, screen_);
  const std::vector<long> area = property_values(root_, net_workarea_, XA_CARDINAL, 4);
  if (area.size() != 4) {
    return monitor;
  }
  const Rect work = Rect::at({static_cast<int>(area[0]), static_cast<int>(area[1])},
                             {static_cast<int>(area[2]), static_cast<int>(area[3])})
                        .intersected(monitor);
  return work.empty() ? monitor : work;
}

// A fixed size: the inner area at its scale, neither smaller nor larger.
void X11Display::set_size_hints(::Window xid, Point outer_origin, Size size) {
  XSizeHints* size_hints = XAllocSizeHints();
  size_hints->flags = PPosition | USPosition | PMinSize | PMaxSize | PWinGravity;
  size_hints->x = outer_origin.x;
  size_hints->y = outer_origin.y;
  size_hints->min_width = size_hints->max_width = size.width;
  size_hints->min_height = size_hints->max_height = size.height;
  size_hints->win_gravity = NorthWestGravity;
  XSetWMNormalHints(x_, xid, size_hints);
  XFree(size_hints);
}

void X11Display::set_hints(Window& window, ::Window xid, Point outer_origin) {
  set_size_hints(xid, outer_origin, window.device_size());
  XWMHints* wm_hints = XAllocWMHints();
  wm_hints->flags = InputHint | StateHint;
  wm_hints->input = True;
  wm_hints->initial_state = NormalState;
  XClassHint* class_hint = XAllocClassHint();
  char instance_name[] = "tablescope";
  char class_name[] = "io.github.tablescope.Tablescope";  // the application id, as the desktop entry says
  class_hint->res_name = instance_name;
  class_hint->res_class = class_name;
  XSetWMProperties(x_, xid, nullptr, nullptr, nullptr, 0, nullptr, wm_hints, class_hint);
  XFree(wm_hints);
  XFree(class_hint);

  Atom protocols[] = {wm_delete_window_};
  XSetWMProtocols(x_, xid, protocols, 1);
  const long pid = static_cast<long>(getpid());
  XChangeProperty(x_, xid, net_wm_pid_, XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
  XChangeProperty(x_, xid, net_wm_window_type_, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&net_wm_window_type_normal_), 1);
  // Xlib takes the values of a 32-bit property as longs, whatever the width of long.
  const std::span<const std::uint32_t> icon = window_icon();
  const std::vector<long> icon_values(icon.begin(), icon.end());
  XChangeProperty(x_, xid, net_wm_icon_, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(icon_values.data()), static_cast<int>(icon_values.size()));

  // A fixed size: no resizing border and no maximize unless the style asks for them.
  MotifHints motif{motif_functions | motif_decorations, function_move, 0, 0, 0};
  if ((window.style & style_title_bar) != 0) motif.decorations |= decoration_border | decoration_title;
  if ((window.style & style_window_menu) != 0) {
    motif.decorations |= decoration_menu;
    motif.functions |= function_close;
  }
  if ((window.style & style_minimize_box) != 0) {
    motif.decorations |= decoration_minimize;
    motif.functions |= function_minimize;
  }
  if ((window.style & style_maximize_box) != 0) {
    motif.decorations |= decoration_maximize;
    motif.functions |= function_maximize;
  }
  if ((window.style & style_sizing_border) != 0) {
    motif.decorations |= decoration_resize;
    motif.functions |= function_resize;
  }
  XChangeProperty(x_, xid, motif_wm_hints_, motif_wm_hints_, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&motif), 5);
  set_title(window);
}

bool X11Display::create_window(Window& window, Point outer_origin) {
  const Size size = window.device_size();
  XSetWindowAttributes attributes{};
  attributes.background_pixmap = None;
  attributes.bit_gravity = NorthWestGravity;
  attributes.event_mask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                          PointerMotionMask | StructureNotifyMask | FocusChangeMask | PropertyChangeMask;
  const ::Window xid = XCreateWindow(x_, root_, outer_origin.x, outer_origin.y, static_cast<unsigned>(size.width),
                                     static_cast<unsigned>(size.height), 0, CopyFromParent, InputOutput, visual_,
                                     CWBackPixmap | CWBitGravity | CWEventMask, &attributes);
  if (xid == 0) {
    return false;
  }
  std::unique_ptr<X11Image> image = make_image(size);
  if (!image) {
    XDestroyWindow(x_, xid);
    return false;
  }
  Native& native = natives_[&window];
  native.xid = xid;
  native.image = std::move(image);
  native.gc = XCreateGC(x_, xid, 0, nullptr);
  native.frame_guess = window.frame;
  native.centred = outer_origin == centred_origin(window.bounds.size(), window.style);
  set_hints(window, xid, outer_origin);
  window.native = xid;
  window.surface = native.image->surface();
  by_xid_[xid] = &window;
  return true;
}

bool X11Display::resize_window(Window& window, Point outer_origin) {
  const auto found = natives_.find(&window);
  if (found == natives_.end()) {
    return false;
  }
  const Size size = window.device_size();
  std::unique_ptr<X11Image> image = make_image(size);
  if (!image) {
    return false;
  }
  Native& native = found->second;
  native.image = std::move(image);
  window.surface = native.image->surface();
  set_size_hints(native.xid, outer_origin, size);
  XMoveResizeWindow(x_, native.xid, outer_origin.x, outer_origin.y, static_cast<unsigned>(size.width),
                    static_cast<unsigned>(size.height));
  XFlush(x_);
  return true;
}

void X11Display::destroy_window(Window& window) {
  const auto found = natives_.find(&window);
  if (found == natives_.end()) {
    return;
  }
  Native& native = found->second;
  by_xid_.erase(native.xid);
  native.image.reset();
  XFreeGC(x_, native.gc);
  if (!native.destroyed) {
    XDestroyWindow(x_, native.xid);
  }
  XFlush(x_);
  natives_.erase(found);
  window.surface = {};
}

void X11Display::set_title(Window& window) {
  const auto found = natives_.find(&window);
  if (found == natives_.end()) {
    return;
  }
  const ::Window xid = found->second.xid;
  // STRING is ISO 8859-1, as the title is; _NET_WM_NAME wants UTF-8.
  XChangeProperty(x_, xid, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(window.text.data()), static_cast<int>(window.text.size()));
  const std::string utf8 = latin1_to_utf8(window.text);
  XChangeProperty(x_, xid, net_wm_name_, utf8_string_, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
}

void X11Display::show(Window& window) {
  const auto found = natives_.find(&window);
  if (found == natives_.end()) {
    return;
  }
  // A window manager activates a new window as its focus rules say; without one, a click does.
  XMapRaised(x_, found->second.xid);
  XFlush(x_);
}

void X11Display::present(Window& window, const Rect& area) {
  const auto found = natives_.find(&window);
  if (found != natives_.end() && !found->second.destroyed) {
    found->second.image->put(found->second.xid, found->second.gc, area);
  }
}

Window* X11Display::window_of(::Window xid) {
  const auto found = by_xid_.find(xid);
  return found != by_xid_.end() ? found->second : nullptr;
}

long X11Display::window_state(::Window xid) {
  const std::vector<long> state = property_values(xid, wm_state_, wm_state_, 2);
  return state.empty() ? WithdrawnState : state.front();
}

X11Display::Native* X11Display::native_of(const Window& window) {
  const auto found = natives_.find(&window);
  return found != natives_.end() ? &found->second : nullptr;
}

// One small function per kind of event, looked up by the event's type.
const X11Display::EventTable& X11Display::event_table() {
  static const EventTable table = [] {
    EventTable handlers{};
    handlers[Expose] = &X11Display::on_expose;
    handlers[ConfigureNotify] = &X11Display::on_configure;
    handlers[DestroyNotify] = &X11Display::on_destroy;
    handlers[ClientMessage] = &X11Display::on_client_message;
    handlers[FocusIn] = &X11Display::on_focus_in;
    handlers[FocusOut] = &X11Display::on_focus_out;
    handlers[PropertyNotify] = &X11Display::on_property;
    handlers[ButtonPress] = &X11Display::on_button;
    handlers[ButtonRelease] = &X11Display::on_button;
    handlers[MotionNotify] = &X11Display::on_motion;
    handlers[KeyPress] = &X11Display::on_key;
    handlers[KeyRelease] = &X11Display::on_key;
    return handlers;
  }();
  return table;
}

bool X11Display::handle(XEvent& event) {
  if (event.type == MappingNotify) {
    XRefreshKeyboardMapping(&event.xmapping);
    return false;
  }
  if (event.type == PropertyNotify && event.xproperty.window == root_) {
    return on_root_property(event.xproperty);
  }
  Window* window = window_of(event.xany.window);
  if (window == nullptr || event.type < 0 || event.type >= LASTEvent) {
    return false;
  }
  const EventHandler handler = event_table()[static_cast<std::size_t>(event.type)];
  return handler != nullptr && (this->*handler)(event, *window);
}

bool X11Display::on_root_property(const XPropertyEvent& event) {
  if (event.atom != resource_manager_) {
    return false;
  }
  if (read_dpi()) {
    input::resolution_changed();
  }
  input::colour_scheme_changed();
  return true;
}

// The surface covers the layout; whatever size a window manager forces on the window, the rest
// shows the window's background.
bool X11Display::on_expose(XEvent& event, Window& window) {
  const XExposeEvent& expose = event.xexpose;
  const Rect area = Rect::at({expose.x, expose.y}, {expose.width, expose.height});
  input::exposed(window, area);
  Native* native = native_of(window);
  const Size layout = window.device_size();
  const Rect beyond_right{layout.width, area.top, area.right, area.bottom};
  const Rect beyond_bottom{area.left, layout.height, std::min(area.right, layout.width), area.bottom};
  XSetForeground(x_, native->gc, window.window_class->background);
  for (const Rect& part : {beyond_right.intersected(area), beyond_bottom.intersected(area)}) {
    if (!part.empty()) {
      XFillRectangle(x_, native->xid, native->gc, part.left, part.top, static_cast<unsigned>(part.width()),
                     static_cast<unsigned>(part.height()));
    }
  }
  return true;
}

bool X11Display::on_configure(XEvent& event, Window& window) {
  const XConfigureEvent& configure = event.xconfigure;
  Point origin{configure.x, configure.y};
  if (!configure.send_event) {
    // A real event gives the position in the frame; where the inner area is on the screen is
    // asked of the server.
    ::Window child = 0;
    XTranslateCoordinates(x_, configure.window, root_, 0, 0, &origin.x, &origin.y, &child);
  }
  input::moved(window, origin);
  return true;
}

// Destroyed by another client: the program ends as after a close.
bool X11Display::on_destroy(XEvent&, Window& window) {
  native_of(window)->destroyed = true;
  input::close_requested(window);
  return true;
}

bool X11Display::on_client_message(XEvent& event, Window& window) {
  if (event.xclient.message_type == wm_protocols_ &&
      static_cast<Atom>(event.xclient.data.l[0]) == wm_delete_window_) {
    input::close_requested(window);
  }
  return true;
}

bool X11Display::on_focus_in(XEvent& event, Window& window) {
  if (event.xfocus.detail != NotifyPointer && event.xfocus.detail != NotifyInferior) {
    input::activation(window, true);
  }
  return true;
}

bool X11Display::on_focus_out(XEvent& event, Window& window) {
  if (event.xfocus.detail != NotifyPointer && event.xfocus.detail != NotifyInferior &&
      event.xfocus.mode != NotifyGrab) {
    input::activation(window, false);
  }
  return true;
}

bool X11Display::on_property(XEvent& event, Window& window) {
  Native& native = *native_of(window);
  if (native.destroyed) {
    return false;
  }
  if (event.xproperty.atom == wm_state_) {
    const long state = window_state(native.xid);
    native.managed = native.managed || state != WithdrawnState;
    if (state == IconicState || state == NormalState) {
      input::state_changed(window, state == IconicState);
    }
  } else if (event.xproperty.atom == net_frame_extents_) {
    frame_extents_arrived(window, native);
  }
  return true;
}

// The window manager sets the frame's extents when it frames the window, before anyone can drag
// it by that frame: the first ones re-centre a window centred with a wrong guess; later ones only
// record the frame.
void X11Display::frame_extents_arrived(Window& window, Native& native) {
  const auto extents = read_frame_extents(native.xid);
  if (!extents) {
    return;
  }
  window.frame = *extents;
  frame_ = *extents;
  const bool first = !native.frame_known;
  native.frame_known = true;
  if (!first || !native.centred || *extents == native.frame_guess) {
    return;
  }
  const Point origin = centred_origin(window.bounds.size(), window.style);
  XMoveWindow(x_, native.xid, origin.x, origin.y);
}

bool X11Display::on_button(XEvent& event, Window& window) {
  const XButtonEvent& press = event.xbutton;
  if (press.button > 3) {
    return false;  // the wheel
  }
  const Native& native = *native_of(window);
  if (press.type == ButtonPress && !native.managed && !native.destroyed) {
    // No window manager gives the keyboard to the window that is clicked: it takes it itself.
    XSetInputFocus(x_, native.xid, RevertToParent, press.time);
  }
  const MouseButton button = press.button == 1   ? MouseButton::Left
                             : press.button == 3 ? MouseButton::Right
                                                 : MouseButton::Middle;
  input::button(window, button, press.type == ButtonPress, {press.x, press.y}, static_cast<std::uint32_t>(press.time));
  return true;
}

bool X11Display::on_motion(XEvent& event, Window& window) {
  // Only the latest position of a burst of moves matters.
  while (XCheckTypedWindowEvent(x_, event.xmotion.window, MotionNotify, &event)) {
  }
  input::pointer_moved(window, {event.xmotion.x, event.xmotion.y}, static_cast<std::uint32_t>(event.xmotion.time));
  return true;
}

bool X11Display::on_key(XEvent& event, Window& window) {
  input::key(window, key_of(XLookupKeysym(&event.xkey, 0)), event.type == KeyPress, modifiers_of(event.xkey.state));
  return true;
}

bool X11Display::pump(bool wait, std::optional<std::chrono::milliseconds> limit) {
  XFlush(x_);
  bool reported = false;
  for (;;) {
    while (XPending(x_) > 0) {
      XEvent event;
      XNextEvent(x_, &event);
      reported = handle(event) || reported;
    }
    if (!wait || reported) {
      return reported || !wait;
    }
    // Sleeps in the kernel until the server sends something: no processor time while idle.
    pollfd descriptor{ConnectionNumber(x_), POLLIN, 0};
    const int timeout = limit ? static_cast<int>(std::min<std::int64_t>(limit->count(), 1 << 30)) : -1;
    const int ready = poll(&descriptor, 1, timeout);
    if (ready == 0) {
      return false;
    }
    if (ready > 0 && (descriptor.revents & (POLLHUP | POLLERR)) != 0) {
      on_x_io_error(x_);
    }
    // Reads what arrived; a broken connection ends in the I/O error handler.
    XEventsQueued(x_, QueuedAfterReading);
    if (limit) {
      // One wait with a limit: what came is reported, or nothing was.
      while (XPending(x_) > 0) {
        XEvent event;
        XNextEvent(x_, &event);
        reported = handle(event) || reported;
      }
      return reported;
    }
  }
}

}  // namespace

std::unique_ptr<Display> open_x11_display(std::string& error) {
  ::Display* x = XOpenDisplay(nullptr);
  if (x == nullptr) {
    const char* name = std::getenv("DISPLAY");
    error = name == nullptr || *name == '\0' ? "no X display is set (DISPLAY is empty)"
                                             : std::string("cannot open the X display \"") + name + "\"";
    return nullptr;
  }
  auto display = std::make_unique<X11Display>(x, error);
  if (!display->usable()) {
    return nullptr;
  }
  return display;
}

}  // namespace platform
