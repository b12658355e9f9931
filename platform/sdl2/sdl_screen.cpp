// The screen of the SDL2 display drivers, on the program's side. The program draws into a screen
// bitmap in memory; its row accessor marks the rows it hands out as changed, for the presenter
// to show on the host's next frame. Opening a mode checks the request against the desktop, makes
// the screen's memory and asks the presenter for its window; closing frees it again.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <mutex>
#include <new>
#include <thread>

#include "corvane/config.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "platform/sdl2/sdl_display.h"
#include "platform/sdl2/sdl_display_state.h"
#include "platform/sdl2/sdl_host.h"
#include "platform/sdl2/sdl_pixel_rows.h"

namespace corvane::sdl {
namespace {

// The drawing side's view of the row marks (the thread that draws, which opens and closes the
// mode).
struct drawing_marks {
  std::atomic<unsigned char> *rows = nullptr;
  int count = 0;
};
drawing_marks marks;

// Whether this thread holds the display's drawing lock: a drawing call takes it at its first row
// access and lets it go when it ends the access (the vtable's `release_line`).
thread_local bool holding_drawing_lock = false;

void take_drawing_lock() noexcept {
  if (holding_drawing_lock) return;
  display_state &d = display();
  while (d.presenter_waiting.load(std::memory_order_relaxed)) std::this_thread::yield();
  d.drawing.lock();
  holding_drawing_lock = true;
}

void let_go_of_drawing_lock() noexcept {
  if (!holding_drawing_lock) return;
  holding_drawing_lock = false;
  display().drawing.unlock();
}

unsigned char *mark_row_for_writing(bitmap *bmp, int row) noexcept {
  take_drawing_lock();
  // Sub-bitmaps of the screen share this accessor; their rows start at y_offset.
  const int screen_row = row + bmp->y_offset;
  if (screen_row >= 0 && screen_row < marks.count) {
    marks.rows[screen_row].store(1, std::memory_order_release);
  }
  return bmp->lines[row];
}

void end_screen_access(bitmap * /*bmp*/) noexcept { let_go_of_drawing_lock(); }

void free_screen_memory(display_state &d) noexcept {
  delete[] d.surface;
  delete[] d.changed_rows;
  delete[] d.converted;
  d.surface = nullptr;
  d.changed_rows = nullptr;
  d.converted = nullptr;
  marks = drawing_marks{};
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

// The screen's memory: pixels, row marks (all set) and the converted copy.
bool allocate_screen_memory(display_state &d, int width, int height, int depth) noexcept {
  const size_t row_bytes = static_cast<size_t>(width) * bytes_per_pixel_of_depth(depth);
  const size_t stride = (row_bytes + 3) & ~size_t{3};
  const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
  d.surface = new (std::nothrow) unsigned char[stride * static_cast<size_t>(height) + 4]();
  d.changed_rows = new (std::nothrow) std::atomic<unsigned char>[static_cast<size_t>(height) + 1];
  d.converted = new (std::nothrow) uint32_t[pixels + 1]();
  if (d.surface == nullptr || d.changed_rows == nullptr || d.converted == nullptr) {
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

// The state lives for the whole process and is never destroyed: the presenter thread and the
// exit handlers may still reach it while static objects are torn down.
display_state &display() noexcept {
  union never_destroyed {
    display_state state;
    never_destroyed() : state() {}
    ~never_destroyed() {}
  };
  static never_destroyed holder;
  return holder.state;
}

void mark_every_row(display_state &d) noexcept {
  for (int row = 0; row < d.height; ++row) d.changed_rows[row].store(1, std::memory_order_release);
}

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
  screen->vtable->release_line = end_screen_access;

  window_request window{};
  window.width = width;
  window.height = height;
  window.scale =
      request.fullscreen ? 1 : initial_window_scale(width, height, desktop.width, desktop.height);
  window.fullscreen = request.fullscreen;
  const char *no_vsync = config_get_string("graphics", "disable_vsync", nullptr);
  window.vsync =
      no_vsync == nullptr || (no_vsync[0] != 'y' && no_vsync[0] != 'Y' && no_vsync[0] != '1');
  if (!open_window(window)) {
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
  // A drawing call of this thread that left its row access open must not keep the host waiting.
  let_go_of_drawing_lock();
  display_state &d = display();
  const bool host_answered = close_window();
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

}  // namespace corvane::sdl
