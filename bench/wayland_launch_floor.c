// The least a C program can do to show Tablescope's first page on Wayland: libwayland-client,
// xdg-shell, one wl_shm buffer, fontconfig and FreeType, no toolkit and no decorations of its
// own. It maps a 1044x350 toplevel, draws the floor picture (fonts read after the map, as the X11
// floor does), and shows it at (10, 10) on the window's grey once the compositor has configured
// the toplevel. It runs until it is closed or killed.

#define _GNU_SOURCE
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "floor_picture.h"
#include "xdg-shell-client-protocol.h"

struct floor {
  struct wl_compositor *compositor;
  struct wl_shm *shm;
  struct xdg_wm_base *shell;
  struct wl_surface *surface;
  uint32_t *picture;
  int closed;
};

static void ping(void *data, struct xdg_wm_base *shell, uint32_t serial) {
  (void)data;
  xdg_wm_base_pong(shell, serial);
}
static const struct xdg_wm_base_listener shell_listener = {ping};

static void global(void *data, struct wl_registry *registry, uint32_t name, const char *interface, uint32_t version) {
  struct floor *floor = data;
  (void)version;
  if (strcmp(interface, wl_compositor_interface.name) == 0) {
    floor->compositor = wl_registry_bind(registry, name, &wl_compositor_interface, 1);
  } else if (strcmp(interface, wl_shm_interface.name) == 0) {
    floor->shm = wl_registry_bind(registry, name, &wl_shm_interface, 1);
  } else if (strcmp(interface, xdg_wm_base_interface.name) == 0) {
    floor->shell = wl_registry_bind(registry, name, &xdg_wm_base_interface, 1);
    xdg_wm_base_add_listener(floor->shell, &shell_listener, floor);
  }
}
static void global_remove(void *data, struct wl_registry *registry, uint32_t name) {
  (void)data, (void)registry, (void)name;
}
static const struct wl_registry_listener registry_listener = {global, global_remove};

static struct wl_buffer *page_buffer(struct floor *floor) {
  const int stride = window_width * 4;
  const size_t size = (size_t)stride * window_height;
  int fd = memfd_create("launch-floor", MFD_CLOEXEC);
  if (fd < 0 || ftruncate(fd, (off_t)size) != 0) {
    return NULL;
  }
  uint32_t *pixels = mmap(NULL, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (pixels == MAP_FAILED) {
    close(fd);
    return NULL;
  }
  for (int y = 0; y < window_height; ++y) {
    for (int x = 0; x < window_width; ++x) {
      const int px = x - 10, py = y - 10;
      const int inside = px >= 0 && px < picture_width && py >= 0 && py < picture_height;
      pixels[y * window_width + x] = inside ? floor->picture[py * picture_width + px] : window_grey;
    }
  }
  struct wl_shm_pool *pool = wl_shm_create_pool(floor->shm, fd, (int32_t)size);
  struct wl_buffer *buffer =
      wl_shm_pool_create_buffer(pool, 0, window_width, window_height, stride, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  close(fd);
  return buffer;
}

static void configure(void *data, struct xdg_surface *xdg_surface, uint32_t serial) {
  struct floor *floor = data;
  xdg_surface_ack_configure(xdg_surface, serial);
  struct wl_buffer *buffer = page_buffer(floor);
  if (buffer != NULL) {
    wl_surface_attach(floor->surface, buffer, 0, 0);
    wl_surface_damage(floor->surface, 0, 0, window_width, window_height);
  }
  wl_surface_commit(floor->surface);
}
static const struct xdg_surface_listener surface_listener = {configure};

static void toplevel_configure(void *data, struct xdg_toplevel *toplevel, int32_t width, int32_t height,
                               struct wl_array *states) {
  (void)data, (void)toplevel, (void)width, (void)height, (void)states;
}
static void toplevel_close(void *data, struct xdg_toplevel *toplevel) {
  (void)toplevel;
  ((struct floor *)data)->closed = 1;
}
// Events of later versions of xdg-shell than the one bound: never sent.
static void toplevel_bounds(void *data, struct xdg_toplevel *toplevel, int32_t width, int32_t height) {
  (void)data, (void)toplevel, (void)width, (void)height;
}
static void toplevel_capabilities(void *data, struct xdg_toplevel *toplevel, struct wl_array *capabilities) {
  (void)data, (void)toplevel, (void)capabilities;
}
static const struct xdg_toplevel_listener toplevel_listener = {toplevel_configure, toplevel_close, toplevel_bounds,
                                                               toplevel_capabilities};

int main(void) {
  struct floor floor = {0};
  struct wl_display *display = wl_display_connect(NULL);
  if (display == NULL) {
    fputs("wayland_launch_floor: no compositor\n", stderr);
    return 1;
  }
  wl_registry_add_listener(wl_display_get_registry(display), &registry_listener, &floor);
  wl_display_roundtrip(display);
  if (floor.compositor == NULL || floor.shm == NULL || floor.shell == NULL) {
    fputs("wayland_launch_floor: the compositor lacks wl_compositor, wl_shm or xdg_wm_base\n", stderr);
    return 1;
  }
  floor.surface = wl_compositor_create_surface(floor.compositor);
  struct xdg_surface *xdg_surface = xdg_wm_base_get_xdg_surface(floor.shell, floor.surface);
  xdg_surface_add_listener(xdg_surface, &surface_listener, &floor);
  struct xdg_toplevel *toplevel = xdg_surface_get_toplevel(xdg_surface);
  xdg_toplevel_add_listener(toplevel, &toplevel_listener, &floor);
  xdg_toplevel_set_title(toplevel, "Launch floor");
  xdg_toplevel_set_app_id(toplevel, "launch_floor");
  xdg_toplevel_set_min_size(toplevel, window_width, window_height);
  xdg_toplevel_set_max_size(toplevel, window_width, window_height);
  wl_surface_commit(floor.surface);
  wl_display_flush(display);
  floor.picture = draw_picture(96.0);
  while (!floor.closed && wl_display_dispatch(display) >= 0) {
  }
  free(floor.picture);
  wl_display_disconnect(display);
  return 0;
}
