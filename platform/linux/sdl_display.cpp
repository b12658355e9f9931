// The screen of the SDL2 display drivers. The program draws into a screen bitmap in memory; its
// row accessor marks the rows it hands out as changed, and the host thread converts the changed
// rows into a streaming texture once a frame and presents it, scaled by whole multiples and
// centred between black bars.
#include "platform/linux/sdl_display.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <mutex>
#include <new>
#include <string>

#include "corvane/config.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "platform/linux/sdl_host.h"
#include "platform/linux/sdl_pixel_rows.h"
#include "platform/linux/unix_host.h"

namespace corvane::sdl {
namespace {

struct window_objects {
  SDL_Window *window = nullptr;
  SDL_Renderer *renderer = nullptr;
  SDL_Texture *texture = nullptr;
  bool cursor_hidden = false;
};

// The open display. Never destroyed, so that a host thread still running at process exit finds
// it intact.
struct display_state {
  // Guards everything but the row marks, which are atomic.
  std::mutex mutex;
  bool open = false;
  window_objects objects;    // used on the host thread only
  window_objects abandoned;  // left behind by a close that could not call SDL
  int width = 0;
  int height = 0;
  int depth = 0;
  int stride = 0;
  unsigned char *surface = nullptr;
  std::atomic<unsigned char> *changed_rows = nullptr;
  uint32_t *converted = nullptr;  // the texture's copy of the screen; null at 32 bits
  uint32_t palette[PALETTE_SIZE] = {};
  bool redraw = false;  // the whole frame must be drawn again
  bool vsync = false;
  char driver_name[64] = "";
};

display_state &display() {
  static display_state *state = new display_state;
  return *state;
}

// The drawing side's view of the row marks (the thread that draws, which opens and closes the
// mode). The rows touched since the last release are marked again once the drawing is done, so
// that a frame copied while a row was being drawn cannot leave the finished row unshown.
struct drawing_marks {
  std::atomic<unsigned char> *rows = nullptr;
  int count = 0;
  int touched_top = INT_MAX;
  int touched_bottom = -1;
};
drawing_marks marks;

unsigned char *mark_row_for_writing(bitmap *bmp, int row) noexcept {
  // Sub-bitmaps of the screen share this accessor; their rows start at y_offset.
  const int screen_row = row + bmp->y_offset;
  if (screen_row >= 0 && screen_row < marks.count) {
    marks.rows[screen_row].store(1, std::memory_order_release);
    marks.touched_top = std::min(marks.touched_top, screen_row);
    marks.touched_bottom = std::max(marks.touched_bottom, screen_row);
  }
  return bmp->lines[row];
}

void mark_rows_written(bitmap * /*bmp*/) noexcept {
  for (int row = marks.touched_top; row <= marks.touched_bottom; ++row) {
    marks.rows[row].store(1, std::memory_order_release);
  }
  marks.touched_top = INT_MAX;
  marks.touched_bottom = -1;
}

void mark_every_row(display_state &d) noexcept {
  for (int row = 0; row < d.height; ++row) d.changed_rows[row].store(1, std::memory_order_release);
}

void free_screen_memory(display_state &d) noexcept {
  delete[] d.surface;
  delete[] d.changed_rows;
  delete[] d.converted;
  d.surface = nullptr;
  d.changed_rows = nullptr;
  d.converted = nullptr;
  marks = drawing_marks{};
}

void destroy_objects(window_objects &objects) noexcept {
  if (objects.texture != nullptr) SDL_DestroyTexture(objects.texture);
  if (objects.renderer != nullptr) SDL_DestroyRenderer(objects.renderer);
  if (objects.window != nullptr) SDL_DestroyWindow(objects.window);
  if (objects.cursor_hidden) SDL_ShowCursor(SDL_ENABLE);
  if (objects.window != nullptr) SDL_EnableScreenSaver();
  objects = window_objects{};
}

// The rows that changed since the last frame, converted into the texture's layout.
struct changed_span {
  int first = -1;  // -1: nothing changed
  int last = -1;
  const void *pixels = nullptr;  // row `first` of the converted copy, or of the 32-bit screen
  int pitch = 0;
};

// Takes the changed rows and converts them (host thread, display locked). No SDL call is made
// with the lock held, so that a host stopped inside SDL for good (the display went away) leaves
// the display free for the program to close.
changed_span take_changed_rows(display_state &d) noexcept {
  changed_span span;
  for (int row = 0; row < d.height; ++row) {
    if (d.changed_rows[row].load(std::memory_order_relaxed) == 0) continue;
    if (d.changed_rows[row].exchange(0, std::memory_order_acquire) == 0) continue;
    if (d.converted != nullptr) {
      convert_row_to_xrgb(d.depth, d.surface + static_cast<size_t>(row) * d.stride,
                          d.converted + static_cast<size_t>(row) * d.width, d.width, d.palette);
    }
    if (span.first < 0) span.first = row;
    span.last = row;
  }
  if (span.first < 0) return span;
  if (d.converted != nullptr) {
    span.pixels = d.converted + static_cast<size_t>(span.first) * d.width;
    span.pitch = d.width * 4;
  } else {
    // 32-bit rows are already in the texture's layout.
    span.pixels = d.surface + static_cast<size_t>(span.first) * d.stride;
    span.pitch = d.stride;
  }
  return span;
}

// Host thread, display unlocked. The memory the span points into is freed only after the host
// has closed the window, so it stays valid here.
void upload(SDL_Texture *texture, int width, const changed_span &span) noexcept {
  if (span.first < 0) return;
  const SDL_Rect rect{0, span.first, width, span.last - span.first + 1};
  SDL_UpdateTexture(texture, &rect, span.pixels, span.pitch);
}

void draw_frame(SDL_Renderer *renderer, SDL_Texture *texture) noexcept {
  SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
  SDL_RenderClear(renderer);
  SDL_RenderCopy(renderer, texture, nullptr, nullptr);
}

struct window_request {
  int width;
  int height;
  int scale;
  bool fullscreen;
  bool vsync;
  window_objects made;
  bool vsync_active;
  char error[256];
};

void keep_sdl_error(window_request &request) noexcept {
  std::strncpy(request.error, SDL_GetError(), sizeof request.error - 1);
  request.error[sizeof request.error - 1] = 0;
}

// Host thread: makes the window, its renderer and the texture.
void create_window(window_request &request) noexcept {
  std::string title;
  try {
    title = unix_host::window_title();
  } catch (...) {
    title.clear();
  }
  const Uint32 flags = request.fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_RESIZABLE;
  window_objects &o = request.made;
  o.window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                              request.width * request.scale, request.height * request.scale, flags);
  if (o.window == nullptr) {
    keep_sdl_error(request);
    return;
  }
  const Uint32 sync = request.vsync ? SDL_RENDERER_PRESENTVSYNC : 0;
  o.renderer = SDL_CreateRenderer(o.window, -1, SDL_RENDERER_ACCELERATED | sync);
  if (o.renderer == nullptr) o.renderer = SDL_CreateRenderer(o.window, -1, SDL_RENDERER_SOFTWARE);
  if (o.renderer != nullptr) {
    o.texture = SDL_CreateTexture(o.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                  request.width, request.height);
  }
  if (o.texture == nullptr ||
      SDL_RenderSetLogicalSize(o.renderer, request.width, request.height) != 0) {
    keep_sdl_error(request);
    destroy_objects(o);
    return;
  }
  SDL_RenderSetIntegerScale(o.renderer, SDL_TRUE);
  SDL_SetTextureBlendMode(o.texture, SDL_BLENDMODE_NONE);
  SDL_SetTextureScaleMode(o.texture, SDL_ScaleModeNearest);
  if (request.fullscreen) {
    SDL_ShowCursor(SDL_DISABLE);
    o.cursor_hidden = true;
  } else {
    SDL_SetWindowMinimumSize(o.window, request.width, request.height);
  }
  // "disable_screensaver": 0 never, 1 in full screen (the default), 2 always.
  if (screensaver_setting >= (request.fullscreen ? 1 : 2)) {
    SDL_DisableScreenSaver();
  } else {
    SDL_EnableScreenSaver();
  }
  SDL_RendererInfo info;
  request.vsync_active =
      SDL_GetRendererInfo(o.renderer, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
}

bool read_desktop_on_host(desktop_info *info) noexcept {
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return false;
  info->width = mode.w;
  info->height = mode.h;
  const int bytes = SDL_BYTESPERPIXEL(mode.format);
  info->depth = bytes == 4 ? 32 : static_cast<int>(SDL_BITSPERPIXEL(mode.format));
  info->refresh_rate = mode.refresh_rate > 0 ? mode.refresh_rate : 0;
  return true;
}

void set_error_with_reason(const char *ascii_message, const char *utf8_reason) noexcept {
  char reason[256];
  convert_text_into(utf8_reason, ENCODING_UTF8, reason, ENCODING_CURRENT, sizeof reason);
  format_text_bounded(error_text, ERROR_TEXT_SIZE, translate_text(ascii_message), reason);
}

bool valid_depth(int depth) noexcept {
  return depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
}

// The screen's memory: pixels, row marks (all set) and, below 32 bits, the converted copy.
bool allocate_screen_memory(display_state &d, int width, int height, int depth) noexcept {
  const size_t row_bytes = static_cast<size_t>(width) * bytes_per_pixel_of_depth(depth);
  const size_t stride = (row_bytes + 3) & ~size_t{3};
  const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
  d.surface = new (std::nothrow) unsigned char[stride * static_cast<size_t>(height) + 4]();
  d.changed_rows = new (std::nothrow) std::atomic<unsigned char>[static_cast<size_t>(height) + 1];
  if (depth != 32) d.converted = new (std::nothrow) uint32_t[pixels + 1]();
  if (d.surface == nullptr || d.changed_rows == nullptr ||
      (depth != 32 && d.converted == nullptr)) {
    free_screen_memory(d);
    return false;
  }
  d.width = width;
  d.height = height;
  d.depth = depth;
  d.stride = static_cast<int>(stride);
  mark_every_row(d);
  return true;
}

}  // namespace

int initial_window_scale(int width, int height, int desktop_width, int desktop_height) noexcept {
  constexpr int largest_scale = 64;
  const int configured = config_get_int("graphics", "window_scale", 0);
  if (configured >= 1) return std::min(configured, largest_scale);
  if (width <= 0 || height <= 0 || desktop_width <= 0 || desktop_height <= 0) return 1;
  const int scale = std::min((desktop_width - desktop_width / 10) / width,
                             (desktop_height - desktop_height / 10) / height);
  return std::clamp(scale, 1, largest_scale);
}

bool query_desktop(desktop_info *info) noexcept {
  if (!acquire_video()) return false;
  desktop_info answer;
  bool known = false;
  auto read = [&] { known = read_desktop_on_host(&answer); };
  const bool ran = run_on_host(read);
  release_video();
  if (!ran || !known) return false;
  *info = answer;
  return true;
}

bitmap *open_display(gfx_driver *driver, const display_request &request) noexcept {
  int width = request.width;
  int height = request.height;
  if (width == 0 && height == 0) {
    width = 320;
    height = 200;
  }
  if (!valid_depth(request.depth)) {
    set_error_text("Unsupported color depth");
    return nullptr;
  }
  if (width <= 0 || height <= 0 || request.virtual_width > width ||
      request.virtual_height > height) {
    set_error_text("Resolution not supported");
    return nullptr;
  }
  if (!acquire_video()) return nullptr;

  desktop_info desktop;
  bool known = false;
  char reason[256] = "";
  auto read = [&] {
    known = read_desktop_on_host(&desktop);
    // SDL keeps its error text per thread.
    if (!known) std::strncpy(reason, SDL_GetError(), sizeof reason - 1);
  };
  if (!run_on_host(read) || !known) {
    set_error_with_reason("Cannot read the desktop mode: %s", reason);
    release_video();
    return nullptr;
  }
  // A mode the desktop cannot show whole (the window could not be seen, the full screen would
  // have to shrink it) is refused.
  if (width > desktop.width || height > desktop.height) {
    set_error_text("Resolution not supported");
    release_video();
    return nullptr;
  }

  display_state &d = display();
  {
    std::lock_guard<std::mutex> lock(d.mutex);
    if (d.open || d.surface != nullptr) {
      set_error_text("The display is already in use");
      release_video();
      return nullptr;
    }
    if (!allocate_screen_memory(d, width, height, request.depth)) {
      set_error_text("Not enough memory");
      release_video();
      return nullptr;
    }
    for (int i = 0; i < PALETTE_SIZE; ++i) d.palette[i] = xrgb_of_palette_entry(current_palette[i]);
  }

  bitmap *screen = make_screen_bitmap(width, height, d.surface, driver, request.depth, d.stride);
  if (screen == nullptr) {
    set_error_text("Not enough memory");
    std::lock_guard<std::mutex> lock(d.mutex);
    free_screen_memory(d);
    release_video();
    return nullptr;
  }
  screen->write_line = mark_row_for_writing;
  screen->vtable->release_line = mark_rows_written;

  window_request window{};
  window.width = width;
  window.height = height;
  window.scale =
      request.fullscreen ? 1 : initial_window_scale(width, height, desktop.width, desktop.height);
  window.fullscreen = request.fullscreen;
  const char *no_vsync = config_get_string("graphics", "disable_vsync", nullptr);
  window.vsync =
      no_vsync == nullptr || (no_vsync[0] != 'y' && no_vsync[0] != 'Y' && no_vsync[0] != '1');
  auto create = [&] {
    create_window(window);
    if (window.made.texture == nullptr) return;
    std::lock_guard<std::mutex> lock(d.mutex);
    d.objects = window.made;
    d.vsync = window.vsync_active;
    d.redraw = true;
    d.open = true;
    const char *name = SDL_GetCurrentVideoDriver();
    std::strncpy(d.driver_name, name != nullptr ? name : "", sizeof d.driver_name - 1);
  };
  if (!run_on_host(create) || window.made.texture == nullptr) {
    set_error_with_reason("Cannot open a window: %s", window.error);
    destroy_bitmap(screen);
    std::lock_guard<std::mutex> lock(d.mutex);
    free_screen_memory(d);
    release_video();
    return nullptr;
  }
  {
    std::lock_guard<std::mutex> lock(d.mutex);
    marks.rows = d.changed_rows;
    marks.count = d.height;
  }
  // Colours are packed from now on in the layout the texture takes.
  use_presentation_layout();
  driver->width = width;
  driver->height = height;
  set_refresh_rate_info(desktop.refresh_rate);
  driver->video_memory =
      static_cast<int>(std::min<size_t>(static_cast<size_t>(d.stride) * height, INT_MAX));
  return screen;
}

void close_display() noexcept {
  display_state &d = display();
  auto take_down = [&] {
    window_objects objects;
    {
      std::lock_guard<std::mutex> lock(d.mutex);
      d.open = false;
      objects = d.objects;
      d.objects = window_objects{};
      if (!host_may_tear_down()) {
        // Inside an event handler (which may be ending the process) SDL is left alone; the host
        // destroys the window when it gets back to its loop.
        d.abandoned = objects;
        return;
      }
    }
    destroy_objects(objects);
  };
  const bool host_answered = run_on_host(take_down);
  // A host that still runs but did not answer (a fatal signal is being handled) may be reading
  // the screen: its memory is left to the ending process.
  if (!host_answered && video_running()) return;
  {
    std::lock_guard<std::mutex> lock(d.mutex);
    d.open = false;
    free_screen_memory(d);
    d.width = 0;
    d.height = 0;
  }
  release_video();
}

void wait_for_presentation() noexcept {
  const int rate = desktop_refresh_rate() > 0 ? desktop_refresh_rate() : 60;
  wait_for_next_frame(3 * 1000 / rate + 10);
}

void load_palette(const rgb_entry *pal, int from, int to, int retrace) noexcept {
  if (pal == nullptr) return;
  if (retrace != 0) wait_for_presentation();
  from = std::max(from, 0);
  to = std::min(to, PALETTE_SIZE - 1);
  display_state &d = display();
  std::lock_guard<std::mutex> lock(d.mutex);
  for (int i = from; i <= to; ++i) d.palette[i] = xrgb_of_palette_entry(pal[i]);
  if (d.depth == 8 && d.changed_rows != nullptr) mark_every_row(d);
}

const char *video_driver_name() noexcept { return display().driver_name; }

bool present_changes() noexcept {
  display_state &d = display();
  std::unique_lock<std::mutex> lock(d.mutex);
  if (!d.open || d.objects.texture == nullptr) return false;
  const changed_span span = take_changed_rows(d);
  if (span.first < 0 && !d.redraw) return false;
  d.redraw = false;
  const window_objects objects = d.objects;
  const bool vsync = d.vsync;
  const int width = d.width;
  lock.unlock();
  upload(objects.texture, width, span);
  draw_frame(objects.renderer, objects.texture);
  SDL_RenderPresent(objects.renderer);
  return vsync;
}

void handle_window_event(const SDL_WindowEvent &event) noexcept {
  switch (event.event) {
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED: {
      display_state &d = display();
      std::lock_guard<std::mutex> lock(d.mutex);
      d.redraw = true;
      break;
    }
    default:
      break;
  }
}

void retitle_window() noexcept {
  SDL_Window *window = display_window();
  if (window == nullptr) return;
  try {
    SDL_SetWindowTitle(window, unix_host::window_title().c_str());
  } catch (...) {
    // Without memory for the title the window keeps its old one.
  }
}

void destroy_abandoned_window() noexcept {
  display_state &d = display();
  window_objects objects;
  {
    std::lock_guard<std::mutex> lock(d.mutex);
    objects = d.abandoned;
    d.abandoned = window_objects{};
    // The host is ending: the window of a display still open goes with it.
    if (!video_running()) {
      if (objects.window == nullptr) objects = d.objects;
      d.objects = window_objects{};
    }
  }
  if (objects.window != nullptr) destroy_objects(objects);
}

SDL_Window *display_window() noexcept {
  display_state &d = display();
  std::lock_guard<std::mutex> lock(d.mutex);
  return d.objects.window;
}

bool read_presented_frame(std::vector<uint32_t> *pixels, int *width, int *height) noexcept {
  bool ok = false;
  auto read = [&] {
    display_state &d = display();
    std::unique_lock<std::mutex> lock(d.mutex);
    if (!d.open || d.objects.texture == nullptr) return;
    const changed_span span = take_changed_rows(d);
    const window_objects objects = d.objects;
    const int screen_width = d.width;
    const int screen_height = d.height;
    lock.unlock();
    upload(objects.texture, screen_width, span);
    draw_frame(objects.renderer, objects.texture);
    int w = 0;
    int h = 0;
    if (SDL_GetRendererOutputSize(objects.renderer, &w, &h) != 0 || w <= 0 || h <= 0) return;
    try {
      pixels->assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    } catch (...) {
      return;
    }
    // The logical size would otherwise clip the read to the screen's area.
    SDL_RenderSetLogicalSize(objects.renderer, 0, 0);
    SDL_RenderSetViewport(objects.renderer, nullptr);
    ok = SDL_RenderReadPixels(objects.renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels->data(),
                              w * 4) == 0;
    SDL_RenderSetLogicalSize(objects.renderer, screen_width, screen_height);
    SDL_RenderSetIntegerScale(objects.renderer, SDL_TRUE);
    *width = w;
    *height = h;
  };
  return run_on_host(read) && ok;
}

}  // namespace corvane::sdl
