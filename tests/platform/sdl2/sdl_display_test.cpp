// The SDL2 window and full-screen drivers on SDL's "dummy" video driver: what the host thread
// presents (read back from the renderer) for every depth, scaling and black bars, rows changed
// through the screen and its sub-bitmaps, the palette, the close button, the title, the mode
// checks, and the host thread's life.
#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/config.h"
#include "corvane/font.h"
#include "corvane/gfx.h"
#include "corvane/system.h"
#include "platform/sdl2/sdl_display.h"
#include "platform/sdl2/sdl_drivers.h"
#include "platform/sdl2/sdl_host.h"
#include "support/env_guard.h"

namespace {

using corvane::sdl::fullscreen_driver;
using corvane::sdl::window_driver;

// SDL's dummy display: 1024 x 768 at 32 bits, no window system.
constexpr int desktop_width = 1024;
constexpr int desktop_height = 768;

struct frame {
  std::vector<uint32_t> pixels;
  int width = 0;
  int height = 0;
  uint32_t at(int x, int y) const {
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] &
           0xFFFFFFu;
  }
};

frame presented() {
  frame f;
  EXPECT_TRUE(corvane::sdl::read_presented_frame(&f.pixels, &f.width, &f.height));
  return f;
}

uint32_t rgb(int r, int g, int b) {
  return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
         static_cast<uint32_t>(b);
}

// Every pixel of the scaled screen area at (left, top) is white except the rectangle (x1, y1) to
// (x2, y2) of screen pixels, which is black. Reports the first pixel that differs.
void expect_black_rectangle_on_white(const frame &f, int left, int top, int scale, int screen_w,
                                     int screen_h, int x1, int y1, int x2, int y2) {
  for (int y = 0; y < screen_h * scale; ++y) {
    for (int x = 0; x < screen_w * scale; ++x) {
      const int sx = x / scale;
      const int sy = y / scale;
      const bool inside = sx >= x1 && sx <= x2 && sy >= y1 && sy <= y2;
      const uint32_t expected = inside ? 0u : 0xFFFFFFu;
      if (f.at(left + x, top + y) != expected) {
        ADD_FAILURE() << "pixel (" << left + x << ", " << top + y << ") is " << std::hex
                      << f.at(left + x, top + y) << ", expected " << expected;
        return;
      }
    }
  }
}

// A filled rectangle, drawn with horizontal lines.
void fill_box(bitmap *bmp, int x1, int y1, int x2, int y2, int color) {
  for (int y = y1; y <= y2; ++y) bmp->vtable->draw_hline(bmp, x1, y, x2, color);
}

class SdlDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr), 0); }
  void TearDown() override {
    if (screen_ != nullptr) close();
    shutdown_corvane();
    EXPECT_FALSE(corvane::sdl::video_running());  // the last user stops the host
  }

  bitmap *open(gfx_driver &driver, int width, int height, int depth) {
    set_color_depth(depth);
    screen_ = driver.init(width, height, 0, 0, depth);
    driver_ = &driver;
    return screen_;
  }
  void close() {
    driver_->exit(screen_);
    destroy_bitmap(screen_);
    screen_ = nullptr;
  }

  corvane::testing::env_guard video_driver_{"SDL_VIDEODRIVER", "dummy"};
  corvane::testing::env_guard render_driver_{"SDL_RENDER_DRIVER", "software"};
  bitmap *screen_ = nullptr;
  gfx_driver *driver_ = nullptr;
};

TEST_F(SdlDisplayTest, GreetingAreaIsPresentedScaledInTheWindow) {
  bitmap *screen = open(window_driver, 320, 200, 32);
  ASSERT_NE(screen, nullptr) << error_text;
  EXPECT_EQ(window_driver.width, 320);
  EXPECT_EQ(window_driver.height, 200);
  EXPECT_EQ(bitmap_color_depth(screen), 32);
  EXPECT_NE(std::string(window_driver.description).find("32 bpp"), std::string::npos);

  screen->vtable->clear_to_color(screen, make_color(255, 255, 255));
  fill_box(screen, 108, 100, 211, 107, make_color(0, 0, 0));
  const frame f = presented();
  // The largest whole multiple leaving a tenth of the desktop free: 2 on 1024 x 768.
  ASSERT_EQ(f.width, 640);
  ASSERT_EQ(f.height, 400);
  expect_black_rectangle_on_white(f, 0, 0, 2, 320, 200, 108, 100, 211, 107);
}

class SdlDisplayDepthTest : public SdlDisplayTest, public ::testing::WithParamInterface<int> {};

TEST_P(SdlDisplayDepthTest, ColoursOfEveryDepthArePresentedExactly) {
  const int depth = GetParam();
  bitmap *screen = open(window_driver, 64, 40, depth);
  ASSERT_NE(screen, nullptr) << error_text;
  if (depth == 8) {
    palette pal = {};
    pal[1] = rgb_entry{63, 0, 0, 0};
    pal[2] = rgb_entry{0, 63, 0, 0};
    pal[3] = rgb_entry{0, 0, 63, 0};
    pal[4] = rgb_entry{21, 42, 63, 0};
    window_driver.write_palette(pal, 0, 255, 0);
  }
  const int colors[] = {
      depth == 8 ? 1 : make_color(255, 0, 0), depth == 8 ? 2 : make_color(0, 255, 0),
      depth == 8 ? 3 : make_color(0, 0, 255), depth == 8 ? 4 : make_color(85, 170, 255)};
  const uint32_t expected[] = {
      rgb(255, 0, 0), rgb(0, 255, 0), rgb(0, 0, 255),
      depth == 8 ? rgb(SCALE_6_TO_8[21], SCALE_6_TO_8[42], 255)
                 : rgb(get_red(colors[3]), get_green(colors[3]), get_blue(colors[3]))};
  screen->vtable->clear_to_color(screen, 0);
  for (int i = 0; i < 4; ++i) screen->vtable->put_pixel(screen, 10 + i, 20 + i, colors[i]);
  const frame f = presented();
  const int scale = f.width / 64;
  ASSERT_GE(scale, 1);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(f.at((10 + i) * scale, (20 + i) * scale), expected[i]);
    EXPECT_EQ(f.at((10 + i) * scale + scale - 1, (20 + i) * scale + scale - 1), expected[i]);
  }
  EXPECT_EQ(f.at(0, 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(AnyDepth, SdlDisplayDepthTest, ::testing::Values(8, 15, 16, 24, 32));

TEST_F(SdlDisplayTest, OnlyChangedRowsNeedToReachTheTexture) {
  bitmap *screen = open(window_driver, 320, 200, 16);
  ASSERT_NE(screen, nullptr) << error_text;
  screen->vtable->clear_to_color(screen, make_color(255, 255, 255));
  frame f = presented();
  EXPECT_EQ(f.at(20, 100), 0xFFFFFFu);

  // The texture keeps what it had: a row that the accessor failed to mark would stay white.
  screen->vtable->put_pixel(screen, 10, 50, make_color(0, 0, 0));
  bitmap *sub = create_subbitmap(screen, 30, 120, 50, 50);
  ASSERT_NE(sub, nullptr);
  fill_box(sub, 5, 5, 6, 5, make_color(0, 0, 0));
  f = presented();
  EXPECT_EQ(f.at(20, 100), 0u);
  EXPECT_EQ(f.at(22, 100), 0xFFFFFFu);
  EXPECT_EQ(f.at(70, 250), 0u);  // (35, 125) on the screen
  EXPECT_EQ(f.at(72, 250), 0u);  // (36, 125)
  EXPECT_EQ(f.at(70, 248), 0xFFFFFFu);
  destroy_bitmap(sub);
}

TEST_F(SdlDisplayTest, HostPresentsChangesByItself) {
  bitmap *screen = open(window_driver, 320, 200, 32);
  ASSERT_NE(screen, nullptr) << error_text;
  const uint64_t before = corvane::sdl::frames_completed();
  window_driver.wait_retrace();
  EXPECT_GT(corvane::sdl::frames_completed(), before);
  screen->vtable->put_pixel(screen, 5, 5, make_color(255, 255, 255));
  // Two frames later the host has uploaded the row itself and no mark is left.
  window_driver.wait_retrace();
  window_driver.wait_retrace();
  const frame f = presented();
  EXPECT_EQ(f.at(10, 10), 0xFFFFFFu);
}

TEST_F(SdlDisplayTest, PaletteChangeRedrawsEveryRowOfAnEightBitScreen) {
  bitmap *screen = open(window_driver, 320, 200, 8);
  ASSERT_NE(screen, nullptr) << error_text;
  palette pal = {};
  pal[5] = rgb_entry{63, 0, 0, 0};
  window_driver.write_palette(pal, 0, 255, -1);
  screen->vtable->clear_to_color(screen, 5);
  EXPECT_EQ(presented().at(300, 300), rgb(255, 0, 0));
  pal[5] = rgb_entry{0, 0, 63, 0};
  window_driver.write_palette(pal, 5, 5, -1);
  const frame f = presented();
  EXPECT_EQ(f.at(300, 300), rgb(0, 0, 255));
  EXPECT_EQ(f.at(0, 0), rgb(0, 0, 255));
  // Entries outside the range given are not touched; a range past the ends is cut.
  pal[5] = rgb_entry{0, 63, 0, 0};
  window_driver.write_palette(pal, 6, 300, 0);
  window_driver.write_palette(pal, -10, 4, 0);
  EXPECT_EQ(presented().at(300, 300), rgb(0, 0, 255));
}

TEST_F(SdlDisplayTest, WindowScaleKeyOverridesTheFit) {
  const char settings[] = "[graphics]\nwindow_scale = 3\n";
  use_config_data(settings, static_cast<int>(sizeof settings - 1));
  ASSERT_NE(open(window_driver, 320, 200, 8), nullptr) << error_text;
  const frame f = presented();
  EXPECT_EQ(f.width, 960);
  EXPECT_EQ(f.height, 600);
}

TEST(SdlWindowScale, LargestMultipleLeavingATenthFree) {
  // Without the library started the key reads as its default.
  EXPECT_EQ(corvane::sdl::initial_window_scale(320, 200, 1280, 1024), 3);
  EXPECT_EQ(corvane::sdl::initial_window_scale(320, 200, 1920, 1080), 4);
  EXPECT_EQ(corvane::sdl::initial_window_scale(320, 200, 3840, 2160), 9);
  EXPECT_EQ(corvane::sdl::initial_window_scale(640, 480, 640, 480), 1);  // too big still opens
  EXPECT_EQ(corvane::sdl::initial_window_scale(320, 200, 0, 0), 1);      // desktop not known
  EXPECT_EQ(corvane::sdl::initial_window_scale(1, 1, 100000, 100000), 64);
}

TEST_F(SdlDisplayTest, FullScreenScalesToTheDesktopBetweenBlackBars) {
  bitmap *screen = open(fullscreen_driver, 320, 200, 32);
  ASSERT_NE(screen, nullptr) << error_text;
  EXPECT_EQ(fullscreen_driver.windowed, 0);
  screen->vtable->clear_to_color(screen, make_color(255, 255, 255));
  fill_box(screen, 108, 100, 211, 107, make_color(0, 0, 0));
  const frame f = presented();
  ASSERT_EQ(f.width, desktop_width);
  ASSERT_EQ(f.height, desktop_height);
  // 3 x 320 by 3 x 200, centred: bars of 32 columns and 84 rows.
  expect_black_rectangle_on_white(f, 32, 84, 3, 320, 200, 108, 100, 211, 107);
  EXPECT_EQ(f.at(31, 400), 0u);
  EXPECT_EQ(f.at(992, 400), 0u);
  EXPECT_EQ(f.at(500, 83), 0u);
  EXPECT_EQ(f.at(500, 684), 0u);
}

TEST_F(SdlDisplayTest, FullScreenListsTheDisplaysModes) {
  gfx_mode_list *modes = fullscreen_driver.list_modes();
  ASSERT_NE(modes, nullptr);
  ASSERT_GE(modes->count, 1);
  EXPECT_EQ(modes->modes[0].width, desktop_width);
  EXPECT_EQ(modes->modes[0].height, desktop_height);
  EXPECT_EQ(modes->modes[0].bpp, 32);
  std::free(modes->modes);
  std::free(modes);
  EXPECT_FALSE(corvane::sdl::video_running());  // the question did not keep SDL up
}

TEST_F(SdlDisplayTest, ModesTheDriversCannotShowAreRefused) {
  error_text[0] = 0;
  EXPECT_EQ(window_driver.init(320, 200, 0, 0, 12), nullptr);
  EXPECT_STREQ(error_text, "Unsupported color depth");
  EXPECT_EQ(window_driver.init(desktop_width + 1, 200, 0, 0, 8), nullptr);
  EXPECT_STREQ(error_text, "Resolution not supported");
  error_text[0] = 0;
  EXPECT_EQ(fullscreen_driver.init(320, desktop_height + 1, 0, 0, 32), nullptr);
  EXPECT_STREQ(error_text, "Resolution not supported");
  error_text[0] = 0;
  EXPECT_EQ(window_driver.init(320, 200, 640, 200, 8), nullptr);  // no scrolling
  EXPECT_STREQ(error_text, "Resolution not supported");
  error_text[0] = 0;
  EXPECT_EQ(window_driver.init(-320, 200, 0, 0, 8), nullptr);
  EXPECT_STREQ(error_text, "Resolution not supported");
  EXPECT_FALSE(corvane::sdl::video_running());  // nothing left open
  // 0 x 0 asks for the smallest mode.
  ASSERT_NE(open(window_driver, 0, 0, 8), nullptr) << error_text;
  EXPECT_EQ(window_driver.width, 320);
  EXPECT_EQ(window_driver.height, 200);
}

std::atomic<int> close_requests{0};
void count_close_request() { ++close_requests; }

TEST_F(SdlDisplayTest, CloseButtonCallsTheCallbackAndKeepsTheWindow) {
  ASSERT_NE(open(window_driver, 320, 200, 8), nullptr) << error_text;
  ASSERT_EQ(set_close_button_callback(count_close_request), 0);
  Uint32 window_id = 0;
  auto find_id = [&] { window_id = SDL_GetWindowID(corvane::sdl::display_window()); };
  ASSERT_TRUE(corvane::sdl::run_on_host(find_id));
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.event = SDL_WINDOWEVENT_CLOSE;
  event.window.windowID = window_id;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
  for (int i = 0; i < 200 && close_requests == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(close_requests, 1);
  bool still_open = false;
  auto check = [&] { still_open = corvane::sdl::display_window() != nullptr; };
  ASSERT_TRUE(corvane::sdl::run_on_host(check));
  EXPECT_TRUE(still_open);
}

TEST_F(SdlDisplayTest, TitleFollowsTheProgram) {
  ASSERT_NE(open(window_driver, 320, 200, 8), nullptr) << error_text;
  std::string title;
  auto read_title = [&] { title = SDL_GetWindowTitle(corvane::sdl::display_window()); };
  ASSERT_TRUE(corvane::sdl::run_on_host(read_title));
  EXPECT_EQ(title, "platform_tests");
  current_system_driver->set_window_title("Caf\xC3\xA9");
  ASSERT_TRUE(corvane::sdl::run_on_host(read_title));
  EXPECT_EQ(title, "Caf\xC3\xA9");
}

TEST_F(SdlDisplayTest, WaitRetraceReturnsWithoutADisplay) {
  const auto start = std::chrono::steady_clock::now();
  window_driver.wait_retrace();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));
}

TEST_F(SdlDisplayTest, ModeSelectionChoosesTheWindowFirst) {
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), 0) << error_text;
  EXPECT_EQ(current_gfx_driver, &window_driver);
  ASSERT_NE(screen_bitmap, nullptr);
  apply_palette(desktop_palette);
  screen_bitmap->vtable->clear_to_color(screen_bitmap, make_color(255, 255, 255));
  draw_text_centred(screen_bitmap, default_font, "Hello, world!", 160, 100, make_color(0, 0, 0),
                    -1);
  const frame f = presented();
  ASSERT_EQ(f.width, 640);
  // The greeting's glyphs lie within its cells: columns 108-211, rows 100-107.
  int black = 0;
  for (int y = 0; y < f.height; ++y) {
    for (int x = 0; x < f.width; ++x) {
      if (f.at(x, y) != 0) continue;
      ++black;
      ASSERT_TRUE(x / 2 >= 108 && x / 2 <= 211 && y / 2 >= 100 && y / 2 <= 107) << x << "," << y;
    }
  }
  EXPECT_GT(black, 100);
  // Back to text mode: the window goes, and with it the host.
  ASSERT_EQ(select_gfx_mode(TEXT_MODE, 0, 0, 0, 0), 0);
  EXPECT_FALSE(corvane::sdl::video_running());
}

TEST_F(SdlDisplayTest, ConfiguredFullScreenAndTheSafeMode) {
  const char settings[] = "[graphics]\ngfx_card = SDLF\n";
  use_config_data(settings, static_cast<int>(sizeof settings - 1));
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), 0) << error_text;
  EXPECT_EQ(current_gfx_driver, &fullscreen_driver);
  EXPECT_EQ(presented().width, desktop_width);
  // Windowed only: the window, whatever the configuration says for full screen.
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT_WINDOWED, 320, 200, 0, 0), 0) << error_text;
  EXPECT_EQ(current_gfx_driver, &window_driver);
  // The safe mode is the 8-bit window.
  set_color_depth(32);
  ASSERT_EQ(select_gfx_mode(GFX_SAFE, 320, 200, 0, 0), 0) << error_text;
  EXPECT_EQ(current_gfx_driver, &window_driver);
  gfx_mode_list *modes = get_mode_list(fullscreen_driver.id);
  ASSERT_NE(modes, nullptr);
  EXPECT_GE(modes->count, 1);
  free_mode_list(modes);
}

TEST_F(SdlDisplayTest, TooLargeAModeFailsWithTheReason) {
  const char settings[] = "[graphics]\ngfx_card = SDLW\n";
  use_config_data(settings, static_cast<int>(sizeof settings - 1));
  EXPECT_EQ(select_gfx_mode(GFX_AUTODETECT, 4000, 3000, 0, 0), -1);
  EXPECT_STREQ(error_text, "Resolution not supported");
  EXPECT_EQ(current_gfx_driver, nullptr);
}

TEST_F(SdlDisplayTest, DisplayReopensAfterClosing) {
  ASSERT_NE(open(window_driver, 320, 200, 8), nullptr) << error_text;
  close();
  EXPECT_FALSE(corvane::sdl::video_running());
  bitmap *screen = open(fullscreen_driver, 160, 100, 24);
  ASSERT_NE(screen, nullptr) << error_text;
  screen->vtable->clear_to_color(screen, make_color(0, 255, 0));
  EXPECT_EQ(presented().at(512, 384), rgb(0, 255, 0));
}

// The program draws without pause while the host presents on its own thread: the host still
// completes frames (drawing cannot starve it), and the window ends with the last picture drawn.
// Under ThreadSanitizer this also shows that the host never reads a row while it is drawn.
TEST_F(SdlDisplayTest, DrawingWithoutPauseStillReachesTheWindow) {
  bitmap *screen = open(window_driver, 320, 200, 32);
  ASSERT_NE(screen, nullptr) << error_text;
  const uint64_t start = corvane::sdl::frames_completed();
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  int step = 0;
  while (corvane::sdl::frames_completed() < start + 4 &&
         std::chrono::steady_clock::now() < give_up) {
    screen->vtable->clear_to_color(screen, make_color(step & 255, 0, 0));
    fill_box(screen, step % 300, 20, step % 300 + 19, 60, make_color(0, 0, 255));
    ++step;
  }
  EXPECT_GE(corvane::sdl::frames_completed(), start + 4) << "after " << step << " pictures";
  screen->vtable->clear_to_color(screen, make_color(255, 255, 255));
  fill_box(screen, 100, 50, 139, 89, make_color(0, 0, 0));
  expect_black_rectangle_on_white(presented(), 0, 0, 2, 320, 200, 100, 50, 139, 89);
}

}  // namespace
