// Saving and restoring the registered bitmaps across a display switch: drawing goes to a memory
// copy while away, sub-bitmaps follow their parent, and everything drawn comes back.
#include <gtest/gtest.h>

#include <vector>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/gfx.h"
#include "corvane/system.h"
#include "corvane/timer.h"
#include "gfx/switch_bitmap_tree.h"
#include "gfx/switch_pointer_hooks.h"
#include "support/manual_timer.h"
#include "support/test_system.h"
#include "timer/timer_internal.h"

namespace {

using namespace corvane::testing;

constexpr int width = 16;
constexpr int height = 8;

unsigned char pattern(int x, int y) { return static_cast<unsigned char>(1 + y * width + x); }

class SwitchBitmapCopiesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_test_system();
    ASSERT_EQ(start_with_test_system(), 0);
    surface.assign(width * height, 0);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) surface[y * width + x] = pattern(x, y);
    }
    screen = make_screen_bitmap(width, height, surface.data(), nullptr, 8, width);
    ASSERT_NE(screen, nullptr);
    screen_vtable = screen->vtable;
    register_switch_bitmap(screen, nullptr);
    sub = create_subbitmap(screen, 4, 2, 8, 4);
    ASSERT_NE(sub, nullptr);
    ASSERT_NE(corvane::switch_bitmaps, nullptr);
    ASSERT_NE(corvane::switch_bitmaps->children, nullptr);  // registered by create_subbitmap
  }
  void TearDown() override {
    if (display_switched_away() != 0) restore_switch_bitmaps();
    destroy_bitmap(sub);
    destroy_bitmap(screen);
    free_line_bank_table();
    shutdown_corvane();
  }

  unsigned char *surface_at(int x, int y) { return &surface[y * width + x]; }

  std::vector<unsigned char> surface;
  bitmap *screen = nullptr;
  bitmap *sub = nullptr;
  draw_vtable *screen_vtable = nullptr;
};

TEST_F(SwitchBitmapCopiesTest, DrawingWhileAwayGoesToACopyAndComesBack) {
  save_switch_bitmaps(SWITCH_PAUSE);
  ASSERT_NE(display_switched_away(), 0);
  EXPECT_NE(screen->lines[0], surface.data());
  EXPECT_EQ(screen->vtable, find_vtable(8));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) ASSERT_EQ(screen->lines[y][x], pattern(x, y)) << x << "," << y;
  }
  EXPECT_EQ(sub->vtable, screen->vtable);
  EXPECT_EQ(sub->lines[0], screen->lines[2] + 4);
  EXPECT_EQ(sub->lines[3], screen->lines[5] + 4);

  screen->lines[1][1] = 201;
  sub->lines[0][0] = 202;  // the screen's (4, 2)
  EXPECT_EQ(*surface_at(1, 1), pattern(1, 1));
  EXPECT_EQ(*surface_at(4, 2), pattern(4, 2));

  restore_switch_bitmaps();
  EXPECT_EQ(display_switched_away(), 0);
  EXPECT_EQ(screen->lines[0], surface.data());
  EXPECT_EQ(screen->vtable, screen_vtable);
  EXPECT_EQ(sub->vtable, screen_vtable);
  EXPECT_EQ(sub->lines[0], surface_at(4, 2));
  EXPECT_EQ(*surface_at(1, 1), 201);
  EXPECT_EQ(*surface_at(4, 2), 202);
  EXPECT_EQ(*surface_at(15, 7), pattern(15, 7));
}

TEST_F(SwitchBitmapCopiesTest, AmnesiaModesStartFromABlankCopy) {
  save_switch_bitmaps(SWITCH_BACKAMNESIA);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) ASSERT_EQ(screen->lines[y][x], 0);
  }
  screen->lines[3][3] = 77;
  restore_switch_bitmaps();
  EXPECT_EQ(*surface_at(3, 3), 77);
  EXPECT_EQ(*surface_at(0, 0), 0);
}

TEST_F(SwitchBitmapCopiesTest, ClipRectangleDoesNotLimitTheRestore) {
  set_clip_area(screen, 0, 0, 3, 3);
  save_switch_bitmaps(SWITCH_PAUSE);
  screen->lines[6][10] = 99;
  restore_switch_bitmaps();
  EXPECT_EQ(*surface_at(10, 6), 99);
  EXPECT_EQ(screen->clip_right, 4);
  EXPECT_EQ(screen->clip_bottom, 4);
}

TEST_F(SwitchBitmapCopiesTest, SavingTwiceKeepsTheFirstCopy) {
  save_switch_bitmaps(SWITCH_PAUSE);
  unsigned char *copy_row = screen->lines[0];
  save_switch_bitmaps(SWITCH_PAUSE);
  EXPECT_EQ(screen->lines[0], copy_row);
  restore_switch_bitmaps();
  EXPECT_EQ(screen->lines[0], surface.data());
  restore_switch_bitmaps();  // not away: nothing happens
  EXPECT_EQ(screen->lines[0], surface.data());
}

TEST_F(SwitchBitmapCopiesTest, SubBitmapMadeWhileAwayFollowsItsParentBack) {
  save_switch_bitmaps(SWITCH_PAUSE);
  bitmap *late = create_subbitmap(screen, 2, 5, 4, 2);
  ASSERT_NE(late, nullptr);
  late->lines[1][0] = 55;  // the screen's (2, 6)
  restore_switch_bitmaps();
  EXPECT_EQ(late->lines[0], surface_at(2, 5));
  EXPECT_EQ(*surface_at(2, 6), 55);
  destroy_bitmap(late);
}

TEST_F(SwitchBitmapCopiesTest, ForgettingBitmapsWhileAwayGivesThemTheirSurfaceBack) {
  save_switch_bitmaps(SWITCH_PAUSE);
  bitmap *kept_sub = create_subbitmap(screen, 0, 0, 2, 2);
  ASSERT_NE(kept_sub, nullptr);
  unregister_switch_bitmap(sub);
  EXPECT_EQ(sub->lines[0], surface_at(4, 2));
  unregister_switch_bitmap(screen);
  EXPECT_EQ(screen->lines[0], surface.data());
  EXPECT_EQ(screen->vtable, screen_vtable);
  EXPECT_EQ(kept_sub->lines[1], surface_at(0, 1));
  EXPECT_EQ(corvane::switch_bitmaps, nullptr);
  restore_switch_bitmaps();
  destroy_bitmap(kept_sub);
}

bitmap *pointer_bitmap = nullptr;
std::vector<bitmap *> pointer_shown_on;
bitmap *shown_on() { return pointer_bitmap; }
void show_on(bitmap *bmp) { pointer_shown_on.push_back(bmp); }
const corvane::switch_pointer_hooks pointer_hooks{shown_on, show_on};

TEST_F(SwitchBitmapCopiesTest, PointerOnTheScreenIsHiddenWhileBitmapsAreCopied) {
  corvane::set_switch_pointer_hooks(&pointer_hooks);
  pointer_bitmap = screen;
  save_switch_bitmaps(SWITCH_PAUSE);
  restore_switch_bitmaps();
  EXPECT_EQ(pointer_shown_on, (std::vector<bitmap *>{nullptr, screen, nullptr, screen}));

  // A pointer on a memory bitmap is not in the way.
  pointer_shown_on.clear();
  bitmap *memory = create_bitmap_at_depth(8, 4, 4);
  pointer_bitmap = memory;
  save_switch_bitmaps(SWITCH_PAUSE);
  restore_switch_bitmaps();
  EXPECT_TRUE(pointer_shown_on.empty());
  corvane::set_switch_pointer_hooks(nullptr);
  destroy_bitmap(memory);
}

int palette_writes = 0;
void count_palette_write(const rgb_entry *, int, int, int) { ++palette_writes; }

TEST_F(SwitchBitmapCopiesTest, EightBitScreenGetsItsPaletteAgain) {
  the_test_system().driver.write_palette_range = count_palette_write;
  screen_bitmap = screen;
  save_switch_bitmaps(SWITCH_PAUSE);
  palette_writes = 0;
  restore_switch_bitmaps();
  screen_bitmap = nullptr;
  EXPECT_EQ(palette_writes, 1);
}

// The timer system counts as not installed while the copies are drawn back, and as installed
// again afterwards.
std::vector<int> installed_while_pointer_moved;
bitmap *pointer_on_screen() { return pointer_bitmap; }
void note_timer_state(bitmap *) {
  installed_while_pointer_moved.push_back(corvane::timer_installed.load());
}
const corvane::switch_pointer_hooks timer_watch{pointer_on_screen, note_timer_state};

TEST_F(SwitchBitmapCopiesTest, TimerCountsAsNotInstalledWhileBitmapsComeBack) {
  give_test_system_mutexes();
  the_test_system().timer_drivers = manual_timer_list();
  ASSERT_EQ(install_timer_system(), 0);
  pointer_bitmap = screen;
  corvane::set_switch_pointer_hooks(&timer_watch);
  save_switch_bitmaps(SWITCH_PAUSE);
  restore_switch_bitmaps();
  corvane::set_switch_pointer_hooks(nullptr);
  // Hidden and shown again around the save, then around the restore.
  EXPECT_EQ(installed_while_pointer_moved, (std::vector<int>{-1, -1, 0, 0}));
  EXPECT_EQ(corvane::timer_installed.load(), -1);
}

}  // namespace
