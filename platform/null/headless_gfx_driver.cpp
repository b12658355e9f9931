// The headless graphics driver 'HDLS': the screen is a plain block of memory of any depth, wrapped
// as a linear screen bitmap. Nothing shows it; programs draw, scroll and wait for the retrace as
// they would on a display (the retrace is paced to 60 Hz on the monotonic clock), and when the mode
// closes the screen can be written to a PNG file.
#include "platform/null/headless_gfx_driver.h"

#include <time.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/internal.h"
#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/config.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "file/file_io.h"
#include "gfx/png_internal.h"

namespace corvane {
namespace {

constexpr int64_t ns_per_second = 1000000000;
constexpr int64_t retrace_period_ns = ns_per_second / HEADLESS_REFRESH_RATE;

// The largest side of a screen: far beyond any display, small enough that every row offset and
// the whole surface stay within int.
constexpr int max_screen_side = 32768;

struct headless_state {
  unsigned char *surface = nullptr;
  bitmap *screen = nullptr;
  int scroll_x = 0;
  int scroll_y = 0;
  // What write_palette loaded: the colours an 8-bit screen "shows".
  palette shown_palette{};
  int64_t retrace_epoch_ns = 0;
  char description[256] = {};
};

headless_state state;

int64_t monotonic_ns() noexcept {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * ns_per_second + now.tv_nsec;
}

bool supported_depth(int depth) noexcept {
  return depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
}

void set_description(int depth) noexcept {
  char ascii[64];
  std::snprintf(ascii, sizeof ascii, "Memory screen, %d bpp", depth);
  const char *text = literal(ascii, state.description, static_cast<int>(sizeof state.description));
  if (text != state.description) {
    std::snprintf(state.description, sizeof state.description, "%s", text);
  }
  headless_gfx_driver.description = state.description;
}

bitmap *headless_init(int width, int height, int virtual_width, int virtual_height,
                      int depth) noexcept {
  if (!supported_depth(depth) || find_vtable(depth) == nullptr) {
    set_error_text("Unsupported color depth");
    return nullptr;
  }
  if (width == 0 && height == 0) {
    width = 320;
    height = 200;
  }
  if (width <= 0 || height <= 0 || virtual_width < 0 || virtual_height < 0 ||
      width > max_screen_side || height > max_screen_side || virtual_width > max_screen_side ||
      virtual_height > max_screen_side) {
    set_error_text("Resolution not supported");
    return nullptr;
  }
  // A larger virtual size gives a screen bitmap that scroll moves the visible window across.
  const int surface_width = virtual_width > width ? virtual_width : width;
  const int surface_height = virtual_height > height ? virtual_height : height;
  const int64_t stride = int64_t{surface_width} * bytes_per_pixel_of_depth(depth);
  // One spare byte lets a 32-bit read of the last 24-bit pixel stay inside the block.
  const int64_t bytes = stride * surface_height + 1;
  if (bytes > INT_MAX) {
    set_error_text("Resolution not supported");
    return nullptr;
  }

  auto *surface = static_cast<unsigned char *>(std::calloc(1, static_cast<size_t>(bytes)));
  if (surface == nullptr) {
    set_error_text("Not enough memory");
    set_error_number(ENOMEM);
    return nullptr;
  }
  bitmap *screen = make_screen_bitmap(surface_width, surface_height, surface, &headless_gfx_driver,
                                      depth, static_cast<int>(stride));
  if (screen == nullptr) {
    std::free(surface);
    set_error_text("Not enough memory");
    set_error_number(ENOMEM);
    return nullptr;
  }

  state.surface = surface;
  state.screen = screen;
  state.scroll_x = 0;
  state.scroll_y = 0;
  std::memcpy(state.shown_palette, current_palette, sizeof(palette));
  state.retrace_epoch_ns = monotonic_ns();
  headless_gfx_driver.width = width;
  headless_gfx_driver.height = height;
  headless_gfx_driver.video_memory = static_cast<int>(bytes - 1);
  set_description(depth);
  set_refresh_rate_info(HEADLESS_REFRESH_RATE);
  return screen;
}

// The file the screen is written to when the mode closes: the environment wins over the
// configuration, so that one run can ask for a picture without touching the configuration file.
bool screenshot_file_name(char *buffer, int size) noexcept {
  char name[64];
  if (get_environment_text(literal("CORVANE_SCREENSHOT", name, sizeof name), buffer, size)) {
    return true;
  }
  char section[64];
  char key[64];
  const char *configured = config_get_string(literal("graphics", section, sizeof section),
                                             literal("screenshot", key, sizeof key), nullptr);
  if (configured == nullptr || configured[0] == 0) return false;
  const size_t length = std::strlen(configured);
  if (length >= static_cast<size_t>(size)) return false;
  std::memcpy(buffer, configured, length + 1);
  return true;
}

// Writes the whole screen bitmap (a virtual screen included). A failure is told on standard error
// and leaves error_text as it was: closing a mode is not a request that can fail.
void write_screenshot(bitmap *screen) noexcept {
  char file_name[1024];
  if (screen == nullptr || !screenshot_file_name(file_name, static_cast<int>(sizeof file_name))) {
    return;
  }
  char saved_error[ERROR_TEXT_SIZE];
  std::memcpy(saved_error, error_text, sizeof saved_error);
  const int saved_errno = errno;
  if (save_bitmap_region_png(file_name, screen, 0, 0, screen->width, screen->height,
                             state.shown_palette) != 0) {
    std::fprintf(stderr, "Corvane: cannot write the screenshot %s: %s\n", file_name, error_text);
    std::fflush(stderr);
  }
  std::memcpy(error_text, saved_error, sizeof saved_error);
  errno = saved_errno;
}

void headless_exit(bitmap *screen) noexcept {
  write_screenshot(screen != nullptr ? screen : state.screen);
  std::free(state.surface);
  state.surface = nullptr;
  state.screen = nullptr;
  headless_gfx_driver.width = 0;
  headless_gfx_driver.height = 0;
  headless_gfx_driver.video_memory = 0;
}

int headless_scroll(int x, int y) noexcept {
  if (state.screen == nullptr || x < 0 || y < 0 ||
      x > state.screen->width - headless_gfx_driver.width ||
      y > state.screen->height - headless_gfx_driver.height) {
    return -1;
  }
  state.scroll_x = x;
  state.scroll_y = y;
  return 0;
}

// Sleeps until the next 60 Hz tick counted from the moment the mode opened, so that a program
// that waits once a frame runs at the rate of a real display however long it drew.
void headless_wait_retrace() noexcept {
  const int64_t now = monotonic_ns();
  const int64_t since = now - state.retrace_epoch_ns;
  const int64_t next = state.retrace_epoch_ns + (since / retrace_period_ns + 1) * retrace_period_ns;
  timespec until{};
  until.tv_sec = static_cast<time_t>(next / ns_per_second);
  until.tv_nsec = static_cast<long>(next % ns_per_second);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
  }
}

void headless_write_palette(const rgb_entry *pal, int from, int to, int retrace) noexcept {
  if (pal == nullptr) return;
  if (from < 0) from = 0;
  if (to > PALETTE_SIZE - 1) to = PALETTE_SIZE - 1;
  if (retrace != 0) headless_wait_retrace();
  for (int i = from; i <= to; ++i) state.shown_palette[i] = pal[i];
}

// Any size at any depth can be opened; these are the usual display sizes, offered to programs
// that let the player choose.
gfx_mode_list *headless_list_modes() noexcept {
  static constexpr int sizes[][2] = {{320, 200}, {320, 240},  {640, 400},  {640, 480},
                                     {800, 600}, {1024, 768}, {1280, 720}, {1920, 1080}};
  static constexpr int depths[] = {8, 15, 16, 24, 32};
  constexpr int count = static_cast<int>(sizeof sizes / sizeof sizes[0]) *
                        static_cast<int>(sizeof depths / sizeof depths[0]);
  auto *list = static_cast<gfx_mode_list *>(std::malloc(sizeof(gfx_mode_list)));
  auto *modes = static_cast<gfx_mode_entry *>(std::malloc(sizeof(gfx_mode_entry) * count));
  if (list == nullptr || modes == nullptr) {
    std::free(list);
    std::free(modes);
    return nullptr;
  }
  int n = 0;
  for (const auto &size : sizes) {
    for (const int depth : depths) modes[n++] = gfx_mode_entry{size[0], size[1], depth};
  }
  list->count = count;
  list->modes = modes;
  return list;
}

}  // namespace

gfx_driver headless_gfx_driver = {
    .id = GFX_HEADLESS,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "Headless",
    .init = headless_init,
    .exit = headless_exit,
    .scroll = headless_scroll,
    .wait_retrace = headless_wait_retrace,
    .write_palette = headless_write_palette,
    .list_modes = headless_list_modes,
    .width = 0,
    .height = 0,
    .linear = -1,
    .bank_size = 0,
    .bank_granularity = 0,
    .video_memory = 0,
    .video_base = nullptr,
    .windowed = -1,
};

}  // namespace corvane
