// A fake graphics driver for the tests: init makes a memory surface and wraps it with
// make_screen_bitmap, so that modes open, draw and close without a display. Four independent
// fakes exist (each with operations of its own), handed out through the test system's graphics
// driver list. What each one does is set by its fields; what it was asked is counted.
#ifndef CORVANE_TESTS_SUPPORT_TEST_GFX_DRIVER_H
#define CORVANE_TESTS_SUPPORT_TEST_GFX_DRIVER_H

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/gfx.h"

namespace corvane::testing {

inline constexpr int TEST_GFX_DRIVER_COUNT = 4;

// What a fake was asked to do.
struct test_gfx_calls {
  int init = 0;
  int exit = 0;
  int scroll = 0;
  int request_scroll = 0;
  int enable_triple_buffer = 0;
  int write_palette = 0;
  int drawing_mode_changed = 0;
  int list_modes = 0;
  int acquire = 0;
  int release = 0;
  int wait_retrace = 0;
  int poll_scroll = 0;
  int deepest_acquire = 0;  // largest number of acquires held at once
  // Arguments of the last init.
  int init_width = 0;
  int init_height = 0;
  int init_virtual_width = 0;
  int init_virtual_height = 0;
  int init_depth = 0;
  // The screen bitmap the last exit was given.
  bitmap *exit_screen = nullptr;
  // Scroll positions in the order asked, by scroll and request_scroll.
  std::vector<std::pair<int, int>> scrolls;
  std::vector<std::pair<int, int>> requested_scrolls;
  // Bitmaps handed to show_video_bitmap and request_video_bitmap, in order.
  std::vector<bitmap *> shown_bitmaps;
  std::vector<bitmap *> requested_bitmaps;
  // The order of the display operations: "wait_retrace", "scroll", "request_scroll", "show",
  // "request".
  std::vector<std::string> order;
};

struct test_gfx_driver {
  // The record the library sees.
  gfx_driver driver{};

  // ---- Behaviour ----
  bool fail_init = false;
  std::string failure_text;  // put into error_text when init fails (nothing when empty)
  int surface_depth = 0;     // 0: the depth init is asked for
  int row_padding = 0;       // bytes added to every surface row
  int scroll_result = 0;     // returned by scroll and request_scroll
  int flip_result = 0;       // returned by show_video_bitmap and request_video_bitmap
  int poll_result = 0;       // returned by poll_scroll
  bool triple_buffer_gives_request_scroll = false;  // enable_triple_buffer installs request_scroll
  bool counted_screen_locks = false;                // the screen's acquire and release count calls
  bool list_modes_fails = false;                    // list_modes returns null
  std::vector<gfx_mode_entry> modes;                // what list_modes hands out, in this order

  // ---- Record ----
  test_gfx_calls calls;
  std::vector<unsigned char> surface;  // the pixels of the last mode opened
  bitmap *screen = nullptr;            // the screen bitmap while the mode is open
  int held_acquires = 0;

  // Operations that are absent until a test asks for them.
  void give_scroll();
  void give_request_scroll();
  void give_enable_triple_buffer();
  void give_list_modes();
  void give_wait_retrace();
  void give_show_video_bitmap();
  void give_request_video_bitmap();
  void give_poll_scroll();

  // The operations behind the record, called through the trampolines of each fake.
  bitmap *init(int width, int height, int virtual_width, int virtual_height, int depth);
  void exit(bitmap *screen_to_close);
};

// Fake number index (0 to TEST_GFX_DRIVER_COUNT - 1). Its id is 'TGF0' + index, its label
// "Test graphics <index>"; it is full-screen (windowed 0) with init, exit, write_palette and
// drawing_mode_changed, until a test changes it.
test_gfx_driver &test_gfx(int index);

// Gives every fake its defaults and clears its record; the surface of an open mode is kept until
// the mode closes.
void reset_test_gfx_drivers();

// Hands the fakes out as the test system's graphics driver list, in the order given, with the
// autodetect flag set (or not). Call after reset_test_system() or start_with_test_system().
void use_test_gfx_drivers(std::initializer_list<test_gfx_driver *> drivers, bool autodetect = true);

// The same with an autodetect flag per driver.
void use_test_gfx_driver_list(std::initializer_list<std::pair<test_gfx_driver *, bool>> entries);

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_SUPPORT_TEST_GFX_DRIVER_H
