// A program for the mouse on a real X display, driven from outside by check_mouse_on_display.sh:
// it opens a 320 x 200 window at twice the size, installs the mouse and reports on standard
// output what reaches it, one step at a time. Each step waits (at most ten seconds) for what the
// script does with the real pointer; a step that does not come ends the program with status 1.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "corvane.h"

namespace {

std::atomic<int> flags_seen{0};
void note_flags(int flags) { flags_seen.fetch_or(flags); }

int read(int &value) { return std::atomic_ref<int>(value).load(); }

void say(const char *text) {
  std::printf("%s\n", text);
  std::fflush(stdout);
}

template <class Condition>
void wait_for(const char *what, Condition condition) {
  for (int waited = 0; waited < 10000; waited += 10) {
    if (condition()) {
      say(what);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::printf("timeout waiting for %s: x %d y %d b %d z %d flags %d\n", what, read(mouse_x),
              read(mouse_y), read(mouse_b), read(mouse_z), flags_seen.load());
  std::fflush(stdout);
  std::exit(1);
}

int system_pointer_shown(int cursor) {
  if (select_mouse_cursor(cursor) != 0) return -1;
  return (gfx_capabilities & GFX_SYSTEM_CURSOR) != 0 ? 1 : 0;
}

}  // namespace

int main() {
  if (startup_corvane(SYSTEM_AUTODETECT, nullptr, std::atexit) != 0) return 2;
  const char config[] = "[graphics]\nwindow_scale = 2\n";
  use_config_data(config, static_cast<int>(sizeof config - 1));
  set_color_depth(32);
  if (select_gfx_mode(GFX_AUTODETECT_WINDOWED, 320, 200, 0, 0) != 0) {
    std::printf("no window: %s\n", error_text);
    return 2;
  }
  if (install_mouse() < 0) {
    std::printf("no mouse: %s\n", error_text);
    return 2;
  }
  clear_to_color(screen_bitmap, make_color(255, 255, 255));
  mouse_callback = note_flags;
  say("ready");

  // The pointer moved to window point (101, 61): pixel (50, 30) at twice the size.
  wait_for("at 50 30", [] { return read(mouse_x) == 50 && read(mouse_y) == 30; });
  int dx = 0;
  int dy = 0;
  get_mouse_mickeys(&dx, &dy);
  say("counting");
  // Moved by (20, -10) desktop pixels: (10, -5) screen pixels, and (20, -10) counted.
  wait_for("at 60 25", [] { return read(mouse_x) == 60 && read(mouse_y) == 25; });
  get_mouse_mickeys(&dx, &dy);
  std::printf("mickeys %d %d\n", dx, dy);
  std::fflush(stdout);

  flags_seen = 0;
  wait_for("left down", [] { return read(mouse_b) == MOUSE_BUTTON_LEFT; });
  wait_for("left up", [] { return read(mouse_b) == 0; });
  wait_for("right clicked", [] {
    return (flags_seen & (MOUSE_FLAG_RIGHT_DOWN | MOUSE_FLAG_RIGHT_UP)) ==
           (MOUSE_FLAG_RIGHT_DOWN | MOUSE_FLAG_RIGHT_UP);
  });
  wait_for("wheel up", [] { return read(mouse_z) == 1; });

  // Moving the pointer from the program warps the system's pointer; the warp's own event is not
  // movement.
  get_mouse_mickeys(&dx, &dy);
  position_mouse(100, 80);
  rest_ms(300);
  get_mouse_mickeys(&dx, &dy);
  std::printf("warped %d %d mickeys %d %d\n", read(mouse_x), read(mouse_y), dx, dy);
  std::fflush(stdout);
  // The script looks at the real pointer while the program still holds the display, and clicks
  // the middle button when it is done.
  flags_seen = 0;
  wait_for("middle clicked", [] {
    return (flags_seen & (MOUSE_FLAG_MIDDLE_DOWN | MOUSE_FLAG_MIDDLE_UP)) ==
           (MOUSE_FLAG_MIDDLE_DOWN | MOUSE_FLAG_MIDDLE_UP);
  });

  // The pointer shown on the screen is the window's own cursor, made from the sprite; the system
  // has an arrow, a busy pointer and an I-beam, and no question pointer.
  show_mouse(screen_bitmap);
  const int hardware = (gfx_capabilities & GFX_HW_CURSOR) != 0 ? 1 : 0;
  const int arrow = system_pointer_shown(MOUSE_CURSOR_ARROW);
  const int busy = system_pointer_shown(MOUSE_CURSOR_BUSY);
  const int edit = system_pointer_shown(MOUSE_CURSOR_EDIT);
  const int question = system_pointer_shown(MOUSE_CURSOR_QUESTION);
  std::printf("cursors %d %d %d %d %d\n", hardware, arrow, busy, edit, question);
  std::fflush(stdout);
  show_mouse(nullptr);
  say("done");
  return 0;
}
