// The SDL2 mouse on SDL's "dummy" video driver: events handed to the display's queue (as the
// window system would) reach the mouse in screen-bitmap coordinates at window scales 1, 2 and 3,
// in a window with black bars and in full screen; buttons, wheel and movement counters (in the system pointer's units); events of
// another window; the range; the pointer drawn where the event happened (the dummy display has
// no cursors, so the mouse draws it); the cursor pictures; no display at all.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/config.h"
#include "corvane/draw.h"
#include "corvane/gfx.h"
#include "corvane/mouse.h"
#include "corvane/system.h"
#include "corvane/timer.h"
#include "platform/sdl2/sdl_cursor.h"
#include "platform/sdl2/sdl_display.h"
#include "platform/sdl2/sdl_drivers.h"
#include "platform/sdl2/sdl_host.h"
#include "support/bitmap_compare.h"
#include "support/env_guard.h"

namespace {

using corvane::sdl::run_on_host;

// Where a window point lands on a 320 x 200 screen presented at the largest whole multiple that
// fits, centred: the plain rule the player sees.
struct mapping {
  int scale, left, top;
  int x(int window_x) const { return std::clamp(floor_div(window_x - left, scale), 0, 319); }
  int y(int window_y) const { return std::clamp(floor_div(window_y - top, scale), 0, 199); }
  static int floor_div(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
};
mapping mapping_of(int window_width, int window_height) {
  const int scale = std::max(1, std::min(window_width / 320, window_height / 200));
  return {scale, (window_width - 320 * scale) / 2, (window_height - 200 * scale) / 2};
}

class SdlMouseTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr), 0); }
  void TearDown() override { shutdown_corvane(); }

  // Opens a 320 x 200 mode through a driver (the window at a given scale) and installs the mouse.
  void open(int driver_id, int window_scale = 0) {
    const std::string config = "[graphics]\nwindow_scale = " + std::to_string(window_scale) + "\n";
    use_config_data(config.data(), static_cast<int>(config.size()));
    set_color_depth(32);
    ASSERT_EQ(select_gfx_mode(driver_id, 320, 200, 0, 0), 0) << error_text;
    ASSERT_EQ(install_mouse(), 3) << error_text;
    EXPECT_EQ(current_mouse_driver, &corvane::sdl::mouse_input_driver);
    auto read = [&] {
      SDL_Window *window = corvane::sdl::display_window();
      window_ = SDL_GetWindowID(window);
      SDL_GetWindowSize(window, &width_, &height_);
    };
    ASSERT_TRUE(run_on_host(read));
  }

  void resize(int width, int height) {
    auto change = [&] { SDL_SetWindowSize(corvane::sdl::display_window(), width, height); };
    ASSERT_TRUE(run_on_host(change));
    corvane::sdl::wait_for_next_frame(1000);
    width_ = width;
    height_ = height;
  }

  // Hands an event to the display's queue on the host thread, as the window system does, and
  // waits until the host has dispatched it.
  static void deliver(SDL_Event event) {
    auto push = [&] { SDL_PushEvent(&event); };
    ASSERT_TRUE(run_on_host(push));
    corvane::sdl::wait_for_next_frame(1000);
  }
  // Events of the mode's own window unless another window id is given.
  static constexpr Uint32 own_window = 0xFFFFFFFFu;
  Uint32 id_of(Uint32 window) const { return window == own_window ? window_ : window; }

  void motion(int x, int y, int xrel = 0, int yrel = 0, Uint32 window = own_window) {
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = id_of(window);
    event.motion.x = x;
    event.motion.y = y;
    event.motion.xrel = xrel;
    event.motion.yrel = yrel;
    deliver(event);
  }
  void button(Uint8 which, bool down, Uint32 window = own_window) {
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = id_of(window);
    event.button.button = which;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    deliver(event);
  }
  void wheel(int y, bool flipped = false) {
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.windowID = window_;
    event.wheel.y = y;
    event.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
    deliver(event);
  }
  static std::pair<int, int> mickeys() {
    int dx = 0;
    int dy = 0;
    get_mouse_mickeys(&dx, &dy);
    return {dx, dy};
  }

  corvane::testing::env_guard video_driver_{"SDL_VIDEODRIVER", "dummy"};
  corvane::testing::env_guard render_driver_{"SDL_RENDER_DRIVER", "software"};
  Uint32 window_ = 0;
  int width_ = 0;
  int height_ = 0;
};

class SdlMouseScaleTest : public SdlMouseTest, public ::testing::WithParamInterface<int> {};

TEST_P(SdlMouseScaleTest, PositionsButtonsWheelAndMickeysInScreenPixels) {
  const int scale = GetParam();
  open(corvane::sdl::GFX_SDL_WINDOW, scale);
  ASSERT_EQ(width_, 320 * scale);
  const mapping map = mapping_of(width_, height_);
  for (const auto &[wx, wy] : std::vector<std::pair<int, int>>{
           {50 * scale + scale - 1, 30 * scale}, {0, 0}, {width_ - 1, height_ - 1}}) {
    motion(wx, wy);
    EXPECT_EQ(mouse_x, map.x(wx)) << wx;
    EXPECT_EQ(mouse_y, map.y(wy)) << wy;
  }

  mickeys();
  motion(100, 100, 3 * scale, -scale);
  motion(101, 100, 3 * scale, 0);
  // Counted as the system's pointer moved, whatever the scale.
  EXPECT_EQ(mickeys(), (std::pair<int, int>{6 * scale, -scale}));
  EXPECT_EQ(mickeys(), (std::pair<int, int>{0, 0}));

  button(SDL_BUTTON_LEFT, true);
  EXPECT_EQ(mouse_b, MOUSE_BUTTON_LEFT);
  button(SDL_BUTTON_RIGHT, true);
  button(SDL_BUTTON_MIDDLE, true);
  button(SDL_BUTTON_X1, true);
  EXPECT_EQ(mouse_b, MOUSE_BUTTON_LEFT | MOUSE_BUTTON_RIGHT | MOUSE_BUTTON_MIDDLE | 8);
  button(SDL_BUTTON_LEFT, false);
  button(SDL_BUTTON_X1, false);
  EXPECT_EQ(mouse_b, MOUSE_BUTTON_RIGHT | MOUSE_BUTTON_MIDDLE);

  wheel(2);
  EXPECT_EQ(mouse_z, 2);
  wheel(3, true);
  EXPECT_EQ(mouse_z, -1);
}

INSTANTIATE_TEST_SUITE_P(WholeMultiples, SdlMouseScaleTest, ::testing::Values(1, 2, 3));

TEST_F(SdlMouseTest, BlackBarsAreTheEdgeAndMovementCountsThere) {
  open(corvane::sdl::GFX_SDL_WINDOW, 2);
  resize(700, 430);
  const mapping map = mapping_of(700, 430);
  ASSERT_EQ(map.left, 30);
  ASSERT_EQ(map.top, 15);
  for (const auto &[wx, wy] : std::vector<std::pair<int, int>>{
           {30 + 2 * 10 + 1, 15 + 2 * 20}, {5, 100}, {699, 429}, {30, 15}, {29, 14}}) {
    motion(wx, wy);
    EXPECT_EQ(mouse_x, map.x(wx)) << wx << ", " << wy;
    EXPECT_EQ(mouse_y, map.y(wy)) << wx << ", " << wy;
  }
  mickeys();
  motion(690, 200, 8, 0);
  motion(698, 200, 8, 0);
  EXPECT_EQ(mouse_x, 319);
  EXPECT_EQ(mickeys(), (std::pair<int, int>{16, 0}));
}

TEST_F(SdlMouseTest, FullScreenMapsThroughItsBars) {
  open(corvane::sdl::GFX_SDL_FULLSCREEN);
  const mapping map = mapping_of(width_, height_);
  ASSERT_EQ(map.scale, 3);  // 1024 x 768
  motion(32 + 3 * 100 + 2, 84 + 3 * 50);
  EXPECT_EQ(mouse_x, 100);
  EXPECT_EQ(mouse_y, 50);
  motion(10, 10);
  EXPECT_EQ(mouse_x, 0);
  EXPECT_EQ(mouse_y, 0);
}

TEST_F(SdlMouseTest, InputOutsideTheWindowLeavesTheValuesAlone) {
  open(corvane::sdl::GFX_SDL_WINDOW, 1);
  motion(40, 50);
  button(SDL_BUTTON_LEFT, true);
  mickeys();
  motion(90, 90, 5, 5, 0);  // no window has the pointer
  motion(90, 90, 5, 5, window_ + 1);
  button(SDL_BUTTON_RIGHT, true, 0);
  EXPECT_EQ(mouse_x, 40);
  EXPECT_EQ(mouse_y, 50);
  EXPECT_EQ(mouse_b, MOUSE_BUTTON_LEFT);
  EXPECT_EQ(mickeys(), (std::pair<int, int>{0, 0}));
  // The release of a press the window took counts wherever it happens.
  button(SDL_BUTTON_LEFT, false, 0);
  EXPECT_EQ(mouse_b, 0);

  // Leaving the window lets go of buttons the system no longer holds.
  button(SDL_BUTTON_RIGHT, true);
  SDL_Event leave{};
  leave.type = SDL_WINDOWEVENT;
  leave.window.event = SDL_WINDOWEVENT_LEAVE;
  leave.window.windowID = window_;
  deliver(leave);
  EXPECT_EQ(mouse_b, 0);
}

TEST_F(SdlMouseTest, RangeKeepsEventsIn) {
  open(corvane::sdl::GFX_SDL_WINDOW, 1);
  set_mouse_range(200, 150, 100, 50);
  EXPECT_EQ(mouse_x, 160);  // the centre was inside
  motion(10, 10);
  EXPECT_EQ(mouse_x, 100);
  EXPECT_EQ(mouse_y, 50);
  motion(300, 190);
  EXPECT_EQ(mouse_x, 200);
  EXPECT_EQ(mouse_y, 150);
  position_mouse(5000, -5000);
  EXPECT_EQ(mouse_x, 200);
  EXPECT_EQ(mouse_y, 50);
}

// The dummy display makes no cursors: the pointer is drawn on the screen instead, and it is
// drawn where the event put it on the window, black bars and all.
TEST_F(SdlMouseTest, PointerIsDrawnWhereThePlayerPointed) {
  open(corvane::sdl::GFX_SDL_WINDOW, 2);
  resize(700, 430);
  const int grey = make_color(128, 128, 128);
  clear_to_color(screen_bitmap, grey);
  show_mouse(screen_bitmap);
  EXPECT_EQ(gfx_capabilities & GFX_HW_CURSOR, 0);
  const int wx = 30 + 2 * 77 + 1;
  const int wy = 15 + 2 * 45;
  motion(wx, wy);
  rest_ms(50);  // the polling handler moves the pointer
  std::vector<uint32_t> pixels;
  int width = 0;
  int height = 0;
  ASSERT_TRUE(corvane::sdl::read_presented_frame(&pixels, &width, &height));
  ASSERT_EQ(width, 700);
  const auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * 700 + x] & 0xFFFFFF; };
  EXPECT_EQ(at(wx, wy), 0xFFFFFFu) << "the arrow's focus pixel is white";
  EXPECT_EQ(at(wx - 2, wy - 2), 0u) << "the outline left of and above it is black";
  EXPECT_EQ(at(wx - 6, wy), static_cast<uint32_t>(grey) & 0xFFFFFFu) << "and left of that the screen";
  EXPECT_EQ(select_mouse_cursor(MOUSE_CURSOR_EDIT), 0);  // no I-beam here: the arrow again
  EXPECT_EQ(gfx_capabilities & GFX_SYSTEM_CURSOR, 0);
  show_mouse(nullptr);
}

TEST_F(SdlMouseTest, CursorPictureIsTheSpriteScaledWithAClearMask) {
  set_color_depth(16);
  corvane::testing::bitmap_ptr sprite = corvane::testing::make_bitmap(16, 2, 1);
  corvane::testing::set_raw_pixel(sprite.get(), 0, 0, MASK_COLOR_16);
  corvane::testing::set_raw_pixel(sprite.get(), 1, 0,
                                  static_cast<uint32_t>(make_color_depth(16, 255, 0, 200)));
  const uint32_t pink = 0xFF000000u | (static_cast<uint32_t>(SCALE_5_TO_8[31]) << 16) |
                        static_cast<uint32_t>(SCALE_5_TO_8[200 >> 3]);
  const std::vector<uint32_t> scaled = corvane::sdl::cursor_pixels(sprite.get(), 3);
  ASSERT_EQ(scaled.size(), 6u * 3u);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 6; ++x) EXPECT_EQ(scaled[y * 6 + x], x < 3 ? 0u : pink) << x << "," << y;
  }
  // The hot spot is the middle of the focus pixel's block.
  EXPECT_EQ(corvane::sdl::scaled_hot_spot(1, 1), 1);
  EXPECT_EQ(corvane::sdl::scaled_hot_spot(1, 3), 4);
}

TEST_F(SdlMouseTest, NoDisplayNoMouse) {
  corvane::testing::env_guard unreachable("SDL_VIDEODRIVER", "no-such-display");
  EXPECT_EQ(install_mouse(), -1);
  EXPECT_EQ(current_mouse_driver, nullptr);
  EXPECT_EQ(std::string(error_text).rfind("Cannot reach a display", 0), 0u) << error_text;
  EXPECT_EQ(poll_mouse(), -1);
}

}  // namespace
