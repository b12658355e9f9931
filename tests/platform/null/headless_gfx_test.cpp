// The headless graphics driver on its own: opening and closing the memory screen at every depth,
// refused depths and sizes, the virtual screen and scrolling, the retrace rhythm, and the
// screenshot written when the mode closes.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "corvane/color.h"
#include "corvane/config.h"
#include "corvane/gfx.h"
#include "corvane/png.h"
#include "corvane/system.h"
#include "platform/null/headless_gfx_driver.h"
#include "support/bitmap_compare.h"
#include "support/env_guard.h"
#include "support/test_system.h"

namespace {

using corvane::headless_gfx_driver;
using corvane::testing::bitmap_matches;
using corvane::testing::bitmap_ptr;
using corvane::testing::capture;
using corvane::testing::file_exists_on_disk;
using corvane::testing::paint;
using corvane::testing::random_image;
using corvane::testing::reference_image;
using corvane::testing::scoped_work_dir;

class HeadlessGfxTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(corvane::testing::start_with_test_system(), 0); }
  void TearDown() override {
    screenshot_.set(nullptr);  // closing at shutdown writes no screenshot
    set_color_depth(8);
    shutdown_corvane();
  }

  // Opens the driver directly and takes the screen back for closing, as the mode code does.
  bitmap *open(int width, int height, int depth, int virtual_width = 0, int virtual_height = 0) {
    return headless_gfx_driver.init(width, height, virtual_width, virtual_height, depth);
  }
  void close(bitmap *screen) {
    headless_gfx_driver.exit(screen);
    destroy_bitmap(screen);
  }

  corvane::testing::env_guard screenshot_{"CORVANE_SCREENSHOT", nullptr};
  scoped_work_dir dir_;
};

class HeadlessDepthTest : public HeadlessGfxTest, public ::testing::WithParamInterface<int> {};

TEST_P(HeadlessDepthTest, OpensALinearMemoryScreenOfTheDepth) {
  const int depth = GetParam();
  bitmap *screen = open(320, 200, depth);
  ASSERT_NE(screen, nullptr) << error_text;
  EXPECT_EQ(screen->width, 320);
  EXPECT_EQ(screen->height, 200);
  EXPECT_EQ(bitmap_color_depth(screen), depth);
  EXPECT_NE(screen->flags & BITMAP_FLAG_VIDEO, 0u);
  EXPECT_EQ(headless_gfx_driver.width, 320);
  EXPECT_EQ(headless_gfx_driver.height, 200);
  const int row = 320 * bytes_per_pixel_of_depth(depth);
  EXPECT_EQ(headless_gfx_driver.video_memory, row * 200);
  EXPECT_EQ(headless_gfx_driver.video_base, screen->lines[0]);
  for (int y = 1; y < 200; ++y) ASSERT_EQ(screen->lines[y] - screen->lines[y - 1], row);
  EXPECT_EQ(std::string(headless_gfx_driver.description),
            "Memory screen, " + std::to_string(depth) + " bpp");

  // The whole surface is writable and starts black.
  EXPECT_EQ(screen->vtable->get_pixel(screen, 319, 199), 0);
  screen->vtable->clear_to_color(screen, make_color_depth(depth, 255, 255, 255));
  screen->vtable->put_pixel(screen, 319, 199, 0);
  EXPECT_EQ(screen->vtable->get_pixel(screen, 319, 199), 0);
  close(screen);
  EXPECT_EQ(headless_gfx_driver.width, 0);
  EXPECT_EQ(headless_gfx_driver.video_memory, 0);
}

INSTANTIATE_TEST_SUITE_P(AllDepths, HeadlessDepthTest, ::testing::Values(8, 15, 16, 24, 32));

TEST_F(HeadlessGfxTest, RefusesDepthsWithoutPixelRoutines) {
  for (const int depth : {0, 1, 4, 12, 31, 64}) {
    error_text[0] = 0;
    EXPECT_EQ(open(320, 200, depth), nullptr) << depth;
    EXPECT_STREQ(error_text, "Unsupported color depth") << depth;
  }
}

TEST_F(HeadlessGfxTest, SizeZeroMeansTheDefaultModeAndBadSizesAreRefused) {
  bitmap *screen = open(0, 0, 8);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(screen->width, 320);
  EXPECT_EQ(screen->height, 200);
  close(screen);

  const int bad[][4] = {
      {-1, 200, 0, 0}, {320, 0, 0, 0}, {40000, 200, 0, 0}, {320, 200, -5, 0}, {320, 200, 0, 40000}};
  for (const auto &size : bad) {
    error_text[0] = 0;
    EXPECT_EQ(open(size[0], size[1], 32, size[2], size[3]), nullptr) << size[0] << "x" << size[1];
    EXPECT_STREQ(error_text, "Resolution not supported");
  }
  // 30000 x 30000 at 32 bits is past 2 GiB of surface.
  EXPECT_EQ(open(30000, 30000, 32), nullptr);
  EXPECT_STREQ(error_text, "Resolution not supported");
}

TEST_F(HeadlessGfxTest, VirtualScreenScrollsWithinItsBounds) {
  bitmap *screen = open(320, 200, 16, 640, 300);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(screen->width, 640);
  EXPECT_EQ(screen->height, 300);
  EXPECT_EQ(headless_gfx_driver.width, 320);
  EXPECT_EQ(headless_gfx_driver.height, 200);
  EXPECT_EQ(headless_gfx_driver.scroll(320, 100), 0);
  EXPECT_EQ(headless_gfx_driver.scroll(0, 0), 0);
  EXPECT_EQ(headless_gfx_driver.scroll(321, 0), -1);
  EXPECT_EQ(headless_gfx_driver.scroll(0, 101), -1);
  EXPECT_EQ(headless_gfx_driver.scroll(-1, 0), -1);
  close(screen);

  // A virtual size smaller than the mode gives just the mode.
  screen = open(320, 200, 16, 100, 100);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(screen->width, 320);
  EXPECT_EQ(screen->height, 200);
  close(screen);
}

TEST_F(HeadlessGfxTest, RetraceWaitsKeepASixtyHertzRhythm) {
  bitmap *screen = open(320, 200, 8);
  ASSERT_NE(screen, nullptr);
  timespec start{};
  timespec end{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  for (int i = 0; i < 3; ++i) headless_gfx_driver.wait_retrace();
  clock_gettime(CLOCK_MONOTONIC, &end);
  const int64_t elapsed_ns =
      (int64_t{end.tv_sec} - start.tv_sec) * 1000000000 + (end.tv_nsec - start.tv_nsec);
  // Each wait sleeps to a later tick than the one before (the first to a tick after the start),
  // so three of them cannot end before two whole periods have passed.
  EXPECT_GE(elapsed_ns, 2 * (1000000000 / corvane::HEADLESS_REFRESH_RATE));
  close(screen);
}

TEST_F(HeadlessGfxTest, ListsItsModesAtEveryDepth) {
  gfx_mode_list *list = headless_gfx_driver.list_modes();
  ASSERT_NE(list, nullptr);
  ASSERT_GT(list->count, 0);
  bool found_demo_mode = false;
  for (int i = 0; i < list->count; ++i) {
    const gfx_mode_entry &mode = list->modes[i];
    EXPECT_GT(mode.width, 0);
    EXPECT_GT(mode.height, 0);
    EXPECT_NE(find_vtable(mode.bpp), nullptr);
    if (mode.width == 320 && mode.height == 200 && mode.bpp == 8) found_demo_mode = true;
  }
  EXPECT_TRUE(found_demo_mode);
  free(list->modes);
  free(list);
}

// ---- Screenshots ----------------------------------------------------------------------------

class HeadlessScreenshotTest : public HeadlessGfxTest, public ::testing::WithParamInterface<int> {};

TEST_P(HeadlessScreenshotTest, ClosingTheModeWritesTheScreen) {
  const int depth = GetParam();
  screenshot_.set(dir_.file("shot.png").c_str());
  bitmap *screen = open(64, 48, depth);
  ASSERT_NE(screen, nullptr);
  std::mt19937 rng(static_cast<unsigned>(depth));
  reference_image image = random_image(64, 48, depth, rng);
  for (uint32_t &pixel : image.pixels) {
    if (depth == 15) pixel &= 0x7FFF;
    if (depth == 32) pixel &= 0xFFFFFF;
  }
  paint(screen, image);
  close(screen);
  ASSERT_TRUE(file_exists_on_disk(dir_.file("shot.png")));

  set_color_depth(depth);
  bitmap_ptr shot(load_bitmap_png(dir_.file("shot.png").c_str(), nullptr));
  ASSERT_NE(shot, nullptr) << error_text;
  EXPECT_TRUE(bitmap_matches(shot.get(), image));
}

INSTANTIATE_TEST_SUITE_P(AllDepths, HeadlessScreenshotTest, ::testing::Values(8, 15, 16, 24, 32));

TEST_F(HeadlessGfxTest, EightBitScreenshotShowsThePaletteLastWritten) {
  screenshot_.set(dir_.file("eight.png").c_str());
  bitmap *screen = open(16, 16, 8);
  ASSERT_NE(screen, nullptr);
  palette shown{};
  for (int i = 0; i < 256; ++i) {
    shown[i] =
        rgb_entry{static_cast<unsigned char>(i % 64), static_cast<unsigned char>(63 - i % 64),
                  static_cast<unsigned char>(i / 4), 0};
  }
  headless_gfx_driver.write_palette(shown, 0, 255, 0);
  // A later partial write changes only its range.
  const rgb_entry red = {63, 0, 0, 0};
  palette one_red{};
  one_red[7] = red;
  headless_gfx_driver.write_palette(one_red, 7, 7, 0);
  shown[7] = red;
  reference_image image(16, 16, 8);
  for (int i = 0; i < 256; ++i) image.at(i % 16, i / 16) = static_cast<uint32_t>(i);
  paint(screen, image);
  close(screen);

  palette back{};
  bitmap_ptr shot(load_bitmap_png(dir_.file("eight.png").c_str(), back));
  ASSERT_NE(shot, nullptr) << error_text;
  EXPECT_TRUE(bitmap_matches(shot.get(), image));
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(back[i].r, shown[i].r) << i;
    EXPECT_EQ(back[i].g, shown[i].g) << i;
    EXPECT_EQ(back[i].b, shown[i].b) << i;
  }
}

TEST_F(HeadlessGfxTest, VirtualScreenIsWrittenWhole) {
  screenshot_.set(dir_.file("virtual.png").c_str());
  bitmap *screen = open(32, 20, 24, 48, 40);
  ASSERT_NE(screen, nullptr);
  std::mt19937 rng(11);
  paint(screen, random_image(48, 40, 24, rng));
  const reference_image image = capture(screen);
  close(screen);
  set_color_depth(24);
  bitmap_ptr shot(load_bitmap_png(dir_.file("virtual.png").c_str(), nullptr));
  ASSERT_NE(shot, nullptr);
  EXPECT_TRUE(bitmap_matches(shot.get(), image));
}

TEST_F(HeadlessGfxTest, ConfigurationNamesTheScreenshotAndTheEnvironmentWins) {
  const std::string config = "[graphics]\nscreenshot = " + dir_.file("configured.png") + "\n";
  use_config_data(config.data(), static_cast<int>(config.size()));
  bitmap *screen = open(32, 20, 32);
  ASSERT_NE(screen, nullptr);
  close(screen);
  EXPECT_TRUE(file_exists_on_disk(dir_.file("configured.png")));

  screenshot_.set(dir_.file("from_env.png").c_str());
  screen = open(32, 20, 32);
  ASSERT_NE(screen, nullptr);
  close(screen);
  EXPECT_TRUE(file_exists_on_disk(dir_.file("from_env.png")));
  EXPECT_EQ(corvane::testing::read_file(dir_.file("from_env.png")).size(),
            corvane::testing::read_file(dir_.file("configured.png")).size());
}

TEST_F(HeadlessGfxTest, NoScreenshotUnlessAsked) {
  bitmap *screen = open(32, 20, 32);
  ASSERT_NE(screen, nullptr);
  close(screen);
  screenshot_.set("");  // empty counts as unset
  screen = open(32, 20, 32);
  ASSERT_NE(screen, nullptr);
  close(screen);
  EXPECT_FALSE(file_exists_on_disk(dir_.file("shot.png")));
}

TEST_F(HeadlessGfxTest, FailedScreenshotIsToldOnStandardErrorAndChangesNoError) {
  screenshot_.set(dir_.file("missing/dir/shot.png").c_str());
  bitmap *screen = open(32, 20, 16);
  ASSERT_NE(screen, nullptr);
  set_error_text("earlier reason");
  ::testing::internal::CaptureStderr();
  close(screen);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("cannot write the screenshot"), std::string::npos) << said;
  EXPECT_NE(said.find("missing/dir/shot.png"), std::string::npos) << said;
  EXPECT_NE(said.find("Cannot create the PNG file"), std::string::npos) << said;
  EXPECT_STREQ(error_text, "earlier reason");
}

}  // namespace
