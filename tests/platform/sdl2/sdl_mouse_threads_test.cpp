// The SDL2 mouse across threads, as it runs for real (and under ThreadSanitizer): window events
// reach the mouse on the display's host thread while the program reads the values, moves and
// scares the pointer, and the polling handler draws it on the timer thread. Every event counts
// exactly once, the last one holds, and the bitmap the pointer was drawn on gets its picture back.
#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>

#include "corvane/bitmap.h"
#include "corvane/config.h"
#include "corvane/gfx.h"
#include "corvane/mouse.h"
#include "corvane/system.h"
#include "corvane/timer.h"
#include "platform/sdl2/sdl_display.h"
#include "platform/sdl2/sdl_drivers.h"
#include "platform/sdl2/sdl_host.h"
#include "support/bitmap_compare.h"
#include "support/env_guard.h"

namespace {

using namespace corvane::testing;

int read(int &value) { return std::atomic_ref<int>(value).load(std::memory_order_relaxed); }

// The wheel only turns forwards here: no update may take mouse_z back, not even one that the
// program's moves of the pointer cause while wheel events arrive. Each thread that runs the
// callback keeps its own highest value: successive reads on one thread never go back unless the
// value did, whereas a value another thread read may be newer than this thread's read of a moment
// before.
thread_local int highest_z = 0;
std::atomic<int> wheel_went_back{0};
void watch_wheel(int) {
  const int z = read(mouse_z);
  if (z < highest_z) ++wheel_went_back;
  if (z > highest_z) highest_z = z;
}

TEST(SdlMouseThreadsTest, HostInputProgramAndHandlerMeetWithoutHarm) {
  const env_guard video("SDL_VIDEODRIVER", "dummy");
  const env_guard render("SDL_RENDER_DRIVER", "software");
  ASSERT_EQ(startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr), 0);
  const char config[] = "[graphics]\nwindow_scale = 2\n";
  use_config_data(config, static_cast<int>(sizeof config - 1));
  set_color_depth(16);
  ASSERT_EQ(select_gfx_mode(corvane::sdl::GFX_SDL_WINDOW, 320, 200, 0, 0), 0) << error_text;
  ASSERT_EQ(install_mouse(), 3) << error_text;
  Uint32 window = 0;
  auto read_window = [&] { window = SDL_GetWindowID(corvane::sdl::display_window()); };
  ASSERT_TRUE(corvane::sdl::run_on_host(read_window));

  bitmap_ptr bmp = make_bitmap(16, 320, 200);
  std::mt19937 rng(3);
  const reference_image background = random_image(320, 200, 16, rng);
  paint(bmp.get(), background);
  show_mouse(bmp.get());
  std::atomic_ref<void (*)(int)>(mouse_callback).store(watch_wheel);

  // Motion over the whole window, left presses and releases, and wheel steps; the last event
  // puts the pointer on screen pixel (77, 45) with the button up.
  std::atomic<int> wheel_steps{0};
  std::atomic<bool> done{false};
  std::thread sender([&] {
    std::mt19937 moves(9);
    for (int i = 0; i < 3000; ++i) {
      SDL_Event event{};
      if (i % 3 == 0) {
        event.type = SDL_MOUSEMOTION;
        event.motion.windowID = window;
        event.motion.x = static_cast<int>(moves() % 640);
        event.motion.y = static_cast<int>(moves() % 400);
      } else if (i % 3 == 1) {
        event.type = (i / 3) % 2 == 0 ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.windowID = window;
        event.button.button = SDL_BUTTON_LEFT;
      } else {
        event.type = SDL_MOUSEWHEEL;
        event.wheel.windowID = window;
        event.wheel.y = 1;
      }
      if (SDL_PushEvent(&event) == 1 && event.type == SDL_MOUSEWHEEL) ++wheel_steps;
      if (i % 32 == 0) std::this_thread::yield();
    }
    SDL_Event last{};
    last.type = SDL_MOUSEBUTTONUP;
    last.button.windowID = window;
    last.button.button = SDL_BUTTON_LEFT;
    EXPECT_EQ(SDL_PushEvent(&last), 1);
    last = SDL_Event{};
    last.type = SDL_MOUSEMOTION;
    last.motion.windowID = window;
    last.motion.x = 2 * 77 + 1;
    last.motion.y = 2 * 45;
    EXPECT_EQ(SDL_PushEvent(&last), 1);
    done = true;
  });

  for (int reads = 1; !done; ++reads) {
    const int x = read(mouse_x);
    const int y = read(mouse_y);
    EXPECT_TRUE(x >= 0 && x < 320 && y >= 0 && y < 200) << x << ", " << y;
    EXPECT_EQ(read(mouse_b) & ~MOUSE_BUTTON_LEFT, 0);
    if (reads % 500 == 0) position_mouse(reads % 320, reads % 200);
    if (reads % 200 == 0) {
      scare_mouse();
      unscare_mouse();
    }
  }
  sender.join();
  const auto settled = [&] {
    return read(mouse_z) == wheel_steps.load() && read(mouse_x) == 77 && read(mouse_y) == 45 &&
           read(mouse_b) == 0;
  };
  for (int waited = 0; waited < 2000 && !settled(); ++waited) rest_ms(1);
  // The host thread still runs: everything it writes is read atomically.
  EXPECT_EQ(read(mouse_x), 77);
  EXPECT_EQ(read(mouse_y), 45);
  EXPECT_EQ(read(mouse_b), 0);
  EXPECT_EQ(read(mouse_z), wheel_steps.load());
  std::atomic_ref<void (*)(int)>(mouse_callback).store(nullptr);
  EXPECT_EQ(wheel_went_back.load(), 0);

  rest_ms(30);  // the handler draws the last position
  show_mouse(nullptr);
  EXPECT_TRUE(bitmap_matches(bmp.get(), background));
  shutdown_corvane();
}

}  // namespace
