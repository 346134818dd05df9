#include "wayland/compositor_session.h"

#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "x11/x_session.h"

namespace wayland_test {
namespace {

using x11_test::run_program;
using x11_test::settle;
using x11_test::start_program;
using x11_test::wait_for_exit;

// The first entry of `directory` whose name starts with `prefix` and is no lock file.
std::string entry_named(const std::string& directory, const std::string& prefix) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0 && !name.ends_with(".lock")) return name;
  }
  return {};
}

}  // namespace

Picture read_ppm(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string magic;
  int width = 0, height = 0, most = 0;
  file >> magic >> width >> height >> most;
  file.get();
  if (magic != "P6" || most != 255 || width <= 0 || height <= 0) return {};
  Picture picture{{width, height}, {}};
  picture.pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  std::vector<unsigned char> row(static_cast<std::size_t>(width) * 3);
  for (int y = 0; y < height && file.read(reinterpret_cast<char*>(row.data()), static_cast<std::streamsize>(row.size())); ++y) {
    for (std::size_t x = 0; x < row.size(); x += 3) {
      picture.pixels.push_back(std::uint32_t{row[x]} << 16 | std::uint32_t{row[x + 1]} << 8 | row[x + 2]);
    }
  }
  if (picture.pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) return {};
  return picture;
}

CompositorSession::CompositorSession(Compositor compositor, int scale) : compositor_kind_(compositor), scale_(scale) {
  char name[] = "/tmp/tablescope-wayland-XXXXXX";
  if (mkdtemp(name) == nullptr) {
    return;
  }
  const passwd* user = getpwnam("nobody");
  if (getuid() == 0 && (user == nullptr || chown(name, user->pw_uid, user->pw_gid) != 0)) {
    return;
  }
  directory_ = name;
  const platform::Size output{1920 * scale, 1080 * scale};
  std::vector<std::string> command;
  if (compositor == Compositor::Sway) {
    const std::string config = directory_ + "/sway.conf";
    std::ofstream(config) << "output HEADLESS-1 resolution " << output.width << "x" << output.height << " scale "
                          << scale << "\ndefault_floating_border none\nxwayland disable\n";
    command = {"env", "WLR_BACKENDS=headless", "WLR_RENDERER=pixman", "WLR_LIBINPUT_NO_DEVICES=1", "sway", "-c", config};
  } else {
    // No window manager: weston's window lies at the X screen's origin, its output's pixels the
    // screen's, with room to its right and below. The pointer waits there, where weston draws no
    // cursor over the windows, and comes into weston's window from there, which is how weston's
    // seat learns that the pointer is on its output.
    x_server_ = std::make_unique<x11_test::XSession>(x11_test::SessionSetup{{}, false, {}});
    if (!x_server_->ready() || run_program({"xdotool", "mousemove", std::to_string(weston_output.width + 100),
                                            std::to_string(weston_output.height + 40)}) != 0) {
      return;
    }
    // A plain background and no panel, so that the window's decorations stand out from the desktop.
    const std::string config = directory_ + "/weston.ini";
    std::ofstream(config) << "[shell]\nbackground-color=0xff" << std::hex << weston_background
                          << "\nbackground-image=\npanel-position=none\nlocking=false\n";
    command = {"weston", "--backend=x11-backend.so", "--use-pixman", "--debug", "-c", config,
               "--width=" + std::to_string(weston_output.width), "--height=" + std::to_string(weston_output.height),
               "--scale=" + std::to_string(scale), "--socket=wayland-tablescope"};
  }
  compositor_ = start_program(as_user(command), directory_ + "/compositor.log");
  if (!settle([&] { return !entry_named(directory_, "wayland-").empty(); })) {
    return;
  }
  socket_ = entry_named(directory_, "wayland-");
  if (compositor == Compositor::Sway) {
    settle([&] { return !entry_named(directory_, "sway-ipc.").empty(); });
    sway_socket_ = directory_ + "/" + entry_named(directory_, "sway-ipc.");
    devices_ = start_program(as_user({TABLESCOPE_VIRTUAL_DEVICES}), directory_ + "/devices.log");
    ready_ = settle([&] {
      const std::string inputs = output_of({"swaymsg", "-t", "get_inputs"});
      return inputs.find("\"pointer\"") != std::string::npos && inputs.find("\"keyboard\"") != std::string::npos;
    });
  } else {
    ready_ = true;
  }
}

CompositorSession::~CompositorSession() {
  for (const pid_t process : {devices_, compositor_}) {
    if (process > 0) {
      kill(process, SIGKILL);
      wait_for_exit(process, std::chrono::seconds(5));
    }
  }
  if (!directory_.empty()) {
    std::error_code error;
    std::filesystem::remove_all(directory_, error);
  }
}

std::vector<std::string> CompositorSession::as_user(const std::vector<std::string>& arguments) const {
  // sway refuses to run as root; run by another user, the session is that user's.
  std::vector<std::string> command;
  if (getuid() == 0) command = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
  command.insert(command.end(), {"env", "-i", "PATH=/usr/bin:/bin", "HOME=" + directory_, "XDG_RUNTIME_DIR=" + directory_});
  if (!socket_.empty()) command.push_back("WAYLAND_DISPLAY=" + socket_);
  if (!sway_socket_.empty()) command.push_back("SWAYSOCK=" + sway_socket_);
  if (x_server_) command.push_back("DISPLAY=" + x_server_->display());
  command.insert(command.end(), arguments.begin(), arguments.end());
  return command;
}

// What the program says on standard output (swaymsg's answers) is of no interest.
bool CompositorSession::rescale(int scale) {
  if (run({"swaymsg", "output", "HEADLESS-1", "scale", std::to_string(scale)}) != 0) {
    return false;
  }
  scale_ = scale;
  return true;
}

int CompositorSession::run(const std::vector<std::string>& arguments) const {
  std::vector<std::string> quiet = {"sh", "-c", "exec \"$@\" > /dev/null", "sh"};
  quiet.insert(quiet.end(), arguments.begin(), arguments.end());
  return run_program(as_user(quiet));
}

std::string CompositorSession::output_of(const std::vector<std::string>& arguments) const {
  const std::string file = directory_ + "/output.txt";
  std::string line;
  for (const std::string& argument : arguments) line += " '" + argument + "'";
  run_program(as_user({"sh", "-c", "exec" + line + " > " + file}));
  std::ifstream stream(file);
  return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

// grim captures in device pixels; weston's screenshooter (allowed by --debug) writes a PNG into
// the directory it runs in, which ImageMagick turns into the same plain format.
Picture CompositorSession::screenshot() const {
  const std::string file = directory_ + "/screen.ppm";
  std::filesystem::remove(file);
  if (compositor_kind_ == Compositor::Sway) {
    run({"grim", "-t", "ppm", file});
  } else {
    run({"sh", "-c", "cd \"$0\" && rm -f wayland-screenshot*.png && weston-screenshooter && "
                     "convert wayland-screenshot*.png \"$1\"", directory_, file});
  }
  return read_ppm(file);
}

std::vector<std::uint32_t> in_blocks(const Picture& picture, const platform::Rect& area, int scale) {
  if (area.left < 0 || area.top < 0 || area.right > picture.size.width || area.bottom > picture.size.height) {
    return {};
  }
  std::vector<std::uint32_t> blocks;
  for (int y = area.top; y < area.bottom; y += scale) {
    for (int x = area.left; x < area.right; x += scale) {
      const std::uint32_t first = picture.at(x, y);
      for (int dy = 0; dy < scale; ++dy) {
        for (int dx = 0; dx < scale; ++dx) {
          if (picture.at(x + dx, y + dy) != first) return {};
        }
      }
      blocks.push_back(first);
    }
  }
  return blocks;
}

}  // namespace wayland_test
