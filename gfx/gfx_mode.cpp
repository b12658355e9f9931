// Opening and closing graphics modes: the safe mode, tearing down the current mode, choosing and
// starting a driver, and the state drawing relies on once a mode is open (capabilities, vsync,
// palette, dialog colours); the exit function and the refresh-rate report.
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "core/exit_functions.h"
#include "core/internal.h"
#include "core/module_hooks.h"
#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/config.h"
#include "corvane/draw.h"
#include "corvane/gfx.h"
#include "corvane/system.h"
#include "corvane/timer.h"
#include "gfx/gfx_mode_internal.h"

namespace corvane {
namespace {

constexpr int LITERAL_SIZE = 64;
constexpr int LOWEST_KNOWN_RATE = 40;
constexpr int HIGHEST_KNOWN_RATE = 200;

void lock_display_switch(int lock, int foreground) noexcept {
  const system_driver *sys = current_system_driver;
  if (sys != nullptr && sys->lock_display_switch != nullptr)
    sys->lock_display_switch(lock, foreground);
}

void restore_console() noexcept {
  const system_driver *sys = current_system_driver;
  if (sys != nullptr && sys->restore_console != nullptr) sys->restore_console();
}

// Destroys every video bitmap of the mode. A bitmap the driver made without the video flag is
// not found by destroy_bitmap's list search, so its node is taken out here.
void destroy_video_bitmaps() noexcept {
  while (video_bitmap_list != nullptr) {
    video_bitmap_node *head = video_bitmap_list;
    bitmap *bmp = head->bmp;
    if (bmp != nullptr && (bmp->flags & BITMAP_FLAG_VIDEO) != 0) destroy_bitmap(bmp);
    if (video_bitmap_list != head) continue;
    video_bitmap_list = head->next;
    const bool driver_made = head->x < 0;
    std::free(head);
    if (driver_made && current_gfx_driver != nullptr &&
        current_gfx_driver->free_video_bitmap != nullptr) {
      current_gfx_driver->free_video_bitmap(bmp);
    } else {
      destroy_bitmap(bmp);
    }
  }
}

// The mouse pointer shown on the display goes before the display does.
void hide_pointer_on_display() noexcept {
  const mouse_pointer_hooks *hooks = mouse_pointer_hook.load(std::memory_order_acquire);
  if (hooks == nullptr || hooks->shown_on == nullptr || hooks->show_on == nullptr) return;
  bitmap *shown = hooks->shown_on();
  if (shown != nullptr && (shown == screen_bitmap || (shown->flags & BITMAP_FLAG_VIDEO) != 0))
    hooks->show_on(nullptr);
}

void close_current_mode() noexcept {
  hide_pointer_on_display();
  if (mode_change_listener != nullptr && mode_change_listener->mode_closing != nullptr)
    mode_change_listener->mode_closing(nullptr);
  destroy_video_bitmaps();

  bitmap *screen = screen_bitmap;
  // Leave a banked surface at bank 0 for whoever uses the display next.
  if (screen->height > 0) {
    if (screen->read_line != nullptr) screen->read_line(screen, 0);
    if (screen->write_line != nullptr) screen->write_line(screen, 0);
    if (screen->vtable != nullptr && screen->vtable->release_line != nullptr)
      screen->vtable->release_line(screen);
  }
  gfx_driver *driver = current_gfx_driver;
  if (driver != nullptr) {
    if (driver->scroll != nullptr) driver->scroll(0, 0);
    if (driver->exit != nullptr) driver->exit(screen);
  }
  destroy_bitmap(screen);
  current_gfx_driver = nullptr;
  screen_bitmap = nullptr;
}

// Finds and starts a driver for the request; screen_bitmap tells whether one started.
void start_driver_for(int driver_id, const gfx_mode_request &request, bool allow_config) noexcept {
  const driver_list_entry *list = gfx_driver_list();
  if (driver_id == GFX_AUTODETECT || driver_id == GFX_AUTODETECT_FULLSCREEN ||
      driver_id == GFX_AUTODETECT_WINDOWED) {
    bool found = false;
    if (allow_config) {
      if (driver_id != GFX_AUTODETECT_WINDOWED)
        found = start_configured_driver(list, "gfx_card", driver_id, request);
      if (!found && driver_id != GFX_AUTODETECT_FULLSCREEN)
        found = start_configured_driver(list, "gfx_cardw", driver_id, request);
    }
    // A configured driver that failed is not replaced by another one behind the user's back.
    if (!found) autodetect_gfx_driver(list, driver_id, request);
    return;
  }
  auto *driver = static_cast<gfx_driver *>(find_driver_in_list(list, driver_id));
  if (driver != nullptr) start_gfx_driver(driver, request);
}

bool vsync_disabled_by_config() noexcept {
  char section_buffer[LITERAL_SIZE];
  char key_buffer[LITERAL_SIZE];
  const char *value =
      config_get_string(literal("graphics", section_buffer, LITERAL_SIZE),
                        literal("disable_vsync", key_buffer, LITERAL_SIZE), nullptr);
  return value != nullptr && (value[0] == 'y' || value[0] == 'Y' || value[0] == '1');
}

// Everything drawing relies on once the driver has made the screen bitmap.
void set_up_new_mode() noexcept {
  gfx_driver *driver = current_gfx_driver;
  bitmap *screen = screen_bitmap;

  if (screen->width > driver->width || screen->height > driver->height) {
    if (driver->scroll != nullptr) gfx_capabilities |= GFX_CAN_SCROLL;
    if (driver->request_scroll != nullptr || driver->request_video_bitmap != nullptr)
      gfx_capabilities |= GFX_CAN_TRIPLE_BUFFER;
  }
  wait_for_retrace = vsync_disabled_by_config() ? 0 : -1;

  if (driver->drawing_mode_changed != nullptr && !display_switched_away())
    driver->drawing_mode_changed(draw_mode, draw_pattern, pattern_x_anchor, pattern_y_anchor);

  clear_bitmap(screen);
  for (int i = 0; i < PALETTE_SIZE; ++i) palette_color_tables[0][i] = static_cast<uint32_t>(i);
  apply_palette(desktop_palette);

  if (current_color_depth == 8) {
    dialog_fg_color = 255;
    dialog_mid_color = 8;
    dialog_bg_color = 0;
  } else {
    dialog_fg_color = make_color(0, 0, 0);
    dialog_mid_color = make_color(128, 128, 128);
    dialog_bg_color = make_color(255, 255, 255);
  }

  if (mode_change_listener != nullptr && mode_change_listener->mode_opened != nullptr)
    mode_change_listener->mode_opened();
  register_switch_bitmap(screen, nullptr);
  // The mouse pointer takes the new screen as its range, at the new depth.
  const mouse_pointer_hooks *pointer_hooks = mouse_pointer_hook.load(std::memory_order_acquire);
  if (pointer_hooks != nullptr && pointer_hooks->mode_opened != nullptr)
    pointer_hooks->mode_opened();
}

}  // namespace

bool is_known_depth(int depth) noexcept {
  return depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
}

}  // namespace corvane

extern "C" {

gfx_driver *current_gfx_driver = nullptr;
bitmap *screen_bitmap = nullptr;
int gfx_capabilities = 0;
int wait_for_retrace = -1;
int gfx_mode_count = 0;
int safe_mode_active = 0;
int screen_split_height = 0;
int gfx_first_use = -1;
int dialog_fg_color = 255;
int dialog_mid_color = 8;
int dialog_bg_color = 0;
int current_refresh_rate = 0;
gfx_mode_listener *mode_change_listener = nullptr;

int select_gfx_mode(int driver_id, int width, int height, int virtual_width,
                    int virtual_height) noexcept {
  ++gfx_mode_count;
  if (driver_id != GFX_SAFE)
    return open_gfx_mode(driver_id, width, height, virtual_width, virtual_height, -1);

  const system_driver *sys = current_system_driver;
  if (sys != nullptr && sys->get_safe_mode != nullptr) {
    char saved_error[ERROR_TEXT_SIZE];
    std::memcpy(saved_error, error_text, ERROR_TEXT_SIZE);
    int safe_driver = 0;
    gfx_mode_entry safe_mode{};
    sys->get_safe_mode(&safe_driver, &safe_mode);
    if (open_gfx_mode(safe_driver, width, height, 0, 0, -1) == 0) return 0;
    std::memcpy(error_text, saved_error, ERROR_TEXT_SIZE);
    // A system driver that leaves the depth unset must not leave the library at depth 0.
    if (corvane::is_known_depth(safe_mode.bpp)) set_color_depth(safe_mode.bpp);
    if (open_gfx_mode(safe_driver, safe_mode.width, safe_mode.height, 0, 0, -1) == 0) return 0;
  } else {
    safe_mode_active = 1;
    const int result = open_gfx_mode(GFX_AUTODETECT, width, height, 0, 0, -1);
    safe_mode_active = 0;
    if (result == 0) return 0;
  }

  open_gfx_mode(TEXT_MODE, 0, 0, 0, 0, 0);
  char format_buffer[8];
  show_message(corvane::literal("%s\n", format_buffer, sizeof format_buffer),
               translate_text("Fatal error: unable to set GFX_SAFE"));
  return -1;
}

int open_gfx_mode(int driver_id, int width, int height, int virtual_width, int virtual_height,
                  int allow_config) noexcept {
  using namespace corvane;
  if (gfx_first_use != 0) {
    const system_driver *sys = current_system_driver;
    if (sys != nullptr && sys->save_console != nullptr) sys->save_console();
    corvane::register_library_exit_func(shutdown_gfx, "shutdown_gfx");
    gfx_first_use = 0;
  }
  lock_display_switch(-1, -1);

  simulate_retrace_mode(0);
  screen_split_height = 0;
  if (screen_bitmap != nullptr) close_current_mode();
  current_gfx_driver = nullptr;
  gfx_capabilities = 0;
  set_refresh_rate_info(0);

  if (driver_id == TEXT_MODE) {
    restore_console();
    free_line_bank_table();
    lock_display_switch(0, 0);
    return 0;
  }

  error_text[0] = 0;
  start_driver_for(driver_id, gfx_mode_request{width, height, virtual_width, virtual_height},
                   allow_config != 0);

  if (screen_bitmap == nullptr) {
    current_gfx_driver = nullptr;
    set_error_text_if_empty("Unable to find a suitable graphics driver");
    lock_display_switch(0, 0);
    return -1;
  }

  set_up_new_mode();
  lock_display_switch(0, 0);
  return 0;
}

void shutdown_gfx(void) noexcept {
  if (screen_bitmap != nullptr) select_gfx_mode(TEXT_MODE, 0, 0, 0, 0);
  corvane::restore_console();
  unregister_exit_func(shutdown_gfx);
  gfx_first_use = -1;
}

void set_refresh_rate_info(int rate) noexcept {
  if (rate < corvane::LOWEST_KNOWN_RATE || rate > corvane::HIGHEST_KNOWN_RATE) rate = 0;
  current_refresh_rate = rate;
  // The timer thread reads the period while it counts retraces.
  const int period = rate != 0 ? TIMER_TICKS_PER_SECOND / rate : DEFAULT_VSYNC_SPEED;
  std::atomic_ref<int>(vsync_speed).store(period, std::memory_order_relaxed);
}

}  // extern "C"
