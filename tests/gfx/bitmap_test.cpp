// Bitmap records: memory bitmaps at every depth, sub-bitmaps and their family numbers, the clip
// rectangle, system bitmaps, the screen bitmap over linear and banked surfaces, and video bitmaps
// carved out of the screen.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <vector>

#include "corvane/color.h"
#include "corvane/draw.h"
#include "corvane/gfx.h"
#include "gfx/bitmap_internal.h"
#include "support/bitmap_compare.h"
#include "support/test_system.h"

namespace {

using corvane::testing::bitmap_matches;
using corvane::testing::bitmap_ptr;
using corvane::testing::capture;
using corvane::testing::make_bitmap;
using corvane::testing::paint;
using corvane::testing::random_image;
using corvane::testing::reference_image;

class MemoryBitmapTest : public ::testing::TestWithParam<int> {};

TEST_P(MemoryBitmapTest, RecordLinesAndClipRectangle) {
  const int depth = GetParam();
  bitmap_ptr bmp = make_bitmap(depth, 13, 5);
  ASSERT_NE(bmp, nullptr);
  EXPECT_EQ(bmp->width, 13);
  EXPECT_EQ(bmp->height, 5);
  EXPECT_EQ(bmp->clipping, -1);
  EXPECT_EQ(bmp->clip_left, 0);
  EXPECT_EQ(bmp->clip_right, 13);
  EXPECT_EQ(bmp->clip_top, 0);
  EXPECT_EQ(bmp->clip_bottom, 5);
  EXPECT_EQ(bmp->vtable, find_vtable(depth));
  EXPECT_EQ(bmp->flags, 0u);
  EXPECT_EQ(bmp->x_offset, 0);
  EXPECT_EQ(bmp->segment, 0);
  EXPECT_EQ(bmp->driver_data, nullptr);
  EXPECT_EQ(bmp->lines[0], bmp->pixels);
  const int bpp = bytes_per_pixel_of_depth(depth);
  for (int y = 1; y < 5; ++y) EXPECT_EQ(bmp->lines[y] - bmp->lines[y - 1], 13 * bpp);
  // The line table sits in the same allocation, right behind the record.
  EXPECT_EQ(reinterpret_cast<unsigned char *>(bmp->lines),
            reinterpret_cast<unsigned char *>(bmp.get()) + sizeof(bitmap));
  EXPECT_EQ(bmp->write_line(bmp.get(), 3), bmp->lines[3]);
}

TEST_P(MemoryBitmapTest, EmptyBitmapsAreMadeAndCleared) {
  const int depth = GetParam();
  for (const auto &size : {std::pair{0, 0}, std::pair{0, 4}, std::pair{4, 0}}) {
    bitmap_ptr bmp = make_bitmap(depth, size.first, size.second);
    ASSERT_NE(bmp, nullptr);
    clear_bitmap(bmp.get());
    set_clip_bounds(bmp.get(), -5, -5, 1000, 1000);
    EXPECT_EQ(bmp->clip_right, size.first);
    EXPECT_EQ(bmp->clip_bottom, size.second);
  }
}

TEST_P(MemoryBitmapTest, BadSizesGiveNull) {
  const int depth = GetParam();
  EXPECT_EQ(create_bitmap_at_depth(depth, -1, 4), nullptr);
  EXPECT_EQ(create_bitmap_at_depth(depth, 4, -1), nullptr);
  EXPECT_EQ(create_bitmap_at_depth(depth, INT_MAX, INT_MAX), nullptr);
  EXPECT_EQ(create_bitmap_at_depth(depth, 0, INT_MAX), nullptr);  // the line table alone
  EXPECT_EQ(create_bitmap_at_depth(depth, 70000, 70000), nullptr);
}

INSTANTIATE_TEST_SUITE_P(AllDepths, MemoryBitmapTest, ::testing::Values(8, 15, 16, 24, 32));

TEST(BitmapTest, UnknownDepthHasNoTable) {
  EXPECT_EQ(find_vtable(12), nullptr);
  EXPECT_EQ(create_bitmap_at_depth(12, 10, 10), nullptr);
  EXPECT_EQ(vtable_by_depth[5].vtable, nullptr);
  const int depths[] = {8, 15, 16, 24, 32};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(vtable_by_depth[i].depth, depths[i]);
}

TEST(BitmapTest, TwentyFourBitsHaveRoomForAWordReadOfTheLastPixel) {
  bitmap_ptr bmp = make_bitmap(24, 5, 3);
  bmp->vtable->put_pixel(bmp.get(), 4, 2, 0x123456);
  // The word's fourth byte lies past the last pixel, inside the block (the address sanitizer
  // checks that); its first three are the pixel in its stored order.
  unsigned char word[4];
  std::memcpy(word, bmp->lines[2] + 4 * 3, 4);
  EXPECT_EQ(word[0], 0x12);
  EXPECT_EQ(word[1], 0x34);
  EXPECT_EQ(word[2], 0x56);
}

TEST(BitmapTest, CreateBitmapUsesTheCurrentDepth) {
  set_color_depth(24);
  bitmap_ptr bmp(create_bitmap(3, 3));
  set_color_depth(8);
  ASSERT_NE(bmp, nullptr);
  EXPECT_EQ(bitmap_color_depth(bmp.get()), 24);
  EXPECT_EQ(bitmap_color_depth(nullptr), 0);
}

TEST(ClipTest, BoundsAreClampedToTheBitmap) {
  bitmap_ptr bmp = make_bitmap(8, 100, 50);
  bmp->clipping = 0;
  set_clip_bounds(bmp.get(), -5, -5, 1000, 1000);
  EXPECT_EQ(bmp->clip_left, 0);
  EXPECT_EQ(bmp->clip_right, 100);
  EXPECT_EQ(bmp->clip_top, 0);
  EXPECT_EQ(bmp->clip_bottom, 50);
  EXPECT_EQ(bmp->clipping, 0);  // left alone
  set_clip_bounds(bmp.get(), 200, 60, INT_MAX, INT_MIN);
  EXPECT_EQ(bmp->clip_left, 99);
  EXPECT_EQ(bmp->clip_top, 49);
  EXPECT_EQ(bmp->clip_right, 100);
  EXPECT_EQ(bmp->clip_bottom, 0);
}

TEST(ClipTest, AreaOrdersCornersAndFourZerosTurnClippingOff) {
  bitmap_ptr bmp = make_bitmap(8, 100, 50);
  set_clip_area(bmp.get(), 30, 40, 10, 5);
  EXPECT_EQ(bmp->clipping, -1);
  EXPECT_EQ(bmp->clip_left, 10);
  EXPECT_EQ(bmp->clip_right, 31);
  EXPECT_EQ(bmp->clip_top, 5);
  EXPECT_EQ(bmp->clip_bottom, 41);
  set_clip_area(bmp.get(), 0, 0, 0, 0);
  EXPECT_EQ(bmp->clipping, 0);
  EXPECT_EQ(bmp->clip_left, 0);
  EXPECT_EQ(bmp->clip_right, 100);
  EXPECT_EQ(bmp->clip_top, 0);
  EXPECT_EQ(bmp->clip_bottom, 50);
  set_clip_area(nullptr, 1, 2, 3, 4);
  set_clip_bounds(nullptr, 1, 2, 3, 4);
}

int clip_changes = 0;
TEST(ClipTest, TheTableIsToldOfChanges) {
  bitmap_ptr bmp = make_bitmap(16, 10, 10);
  draw_vtable table = *bmp->vtable;
  table.clip_changed = [](bitmap *) { ++clip_changes; };
  bmp->vtable = &table;
  set_clip_bounds(bmp.get(), 1, 1, 2, 2);
  set_clip_area(bmp.get(), 0, 0, 0, 0);
  EXPECT_EQ(clip_changes, 2);
  bitmap_ptr sub(create_subbitmap(bmp.get(), 0, 0, 5, 5));
  EXPECT_EQ(clip_changes, 3);
}

TEST(SubBitmapTest, CutAtTheParentsFarEdges) {
  bitmap_ptr parent = make_bitmap(8, 100, 100);
  parent->x_offset = 7;
  parent->y_offset = 3;
  bitmap_ptr sub(create_subbitmap(parent.get(), 90, 90, 20, 20));
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub->width, 10);
  EXPECT_EQ(sub->height, 10);
  EXPECT_EQ(sub->x_offset, 97);
  EXPECT_EQ(sub->y_offset, 93);
  EXPECT_EQ(sub->clipping, -1);
  EXPECT_EQ(sub->clip_left, 0);
  EXPECT_EQ(sub->clip_right, 10);
  EXPECT_EQ(sub->clip_top, 0);
  EXPECT_EQ(sub->clip_bottom, 10);
  EXPECT_EQ(sub->pixels, nullptr);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(sub->lines[i], parent->lines[90 + i] + 90);
}

TEST(SubBitmapTest, FamilyNumbersAndFlags) {
  bitmap_ptr parent = make_bitmap(8, 10, 10);
  parent->flags |= BITMAP_FLAG_NEW_SUB_CLEAR;
  const uint32_t family = corvane::next_family_number;
  EXPECT_EQ(family, 1u);  // each test runs in a process of its own
  bitmap_ptr first(create_subbitmap(parent.get(), 1, 1, 3, 3));
  bitmap_ptr second(create_subbitmap(parent.get(), 2, 2, 3, 3));
  EXPECT_EQ(parent->flags & BITMAP_FAMILY_MASK, 1u);
  EXPECT_EQ(first->flags, 0x20000001u);
  EXPECT_EQ(second->flags, 0x20000001u);
  bitmap_ptr nested(create_subbitmap(first.get(), 1, 1, 1, 1));
  EXPECT_EQ(nested->flags, 0x20000001u);
  EXPECT_EQ(nested->x_offset, 2);
  bitmap_ptr other = make_bitmap(8, 4, 4);
  bitmap_ptr other_sub(create_subbitmap(other.get(), 0, 0, 1, 1));
  EXPECT_EQ(other->flags & BITMAP_FAMILY_MASK, 2u);
}

TEST(SubBitmapTest, FamilyCounterWrapsPastZero) {
  corvane::next_family_number = BITMAP_FAMILY_MASK;
  bitmap_ptr a = make_bitmap(8, 4, 4);
  bitmap_ptr a_sub(create_subbitmap(a.get(), 0, 0, 1, 1));
  EXPECT_EQ(a->flags & BITMAP_FAMILY_MASK, BITMAP_FAMILY_MASK);
  EXPECT_EQ(corvane::next_family_number, 1u);
}

// Once the counter comes round again, a number still held by a living parent is skipped: two
// unrelated bitmaps never count as one surface. A destroyed parent's number is free again.
TEST(SubBitmapTest, FamilyNumbersStayUniqueAfterTheCounterWraps) {
  bitmap_ptr held = make_bitmap(8, 4, 4);
  bitmap_ptr held_sub(create_subbitmap(held.get(), 0, 0, 2, 2));
  ASSERT_EQ(held->flags & BITMAP_FAMILY_MASK, 1u);
  corvane::next_family_number = 1;  // as after 2^25 - 1 further parents
  bitmap_ptr fresh = make_bitmap(8, 4, 4);
  bitmap_ptr fresh_sub(create_subbitmap(fresh.get(), 0, 0, 2, 2));
  EXPECT_EQ(fresh->flags & BITMAP_FAMILY_MASK, 2u);
  clear_to_color(held.get(), 7);
  clear_to_color(fresh.get(), 0);
  blit(held_sub.get(), fresh_sub.get(), 0, 0, 0, 0, 2, 2);
  EXPECT_EQ(get_pixel(fresh.get(), 1, 1), 7);

  held_sub.reset();
  held.reset();
  corvane::next_family_number = 1;
  bitmap_ptr again = make_bitmap(8, 4, 4);
  bitmap_ptr again_sub(create_subbitmap(again.get(), 0, 0, 1, 1));
  EXPECT_EQ(again->flags & BITMAP_FAMILY_MASK, 1u);
}

TEST(SubBitmapTest, NegativeCornersAreCutSoNothingLandsBeforeTheParent) {
  const int depths[] = {8, 16, 24, 32};
  for (int depth : depths) {
    bitmap_ptr parent = make_bitmap(depth, 20, 12);
    std::mt19937 rng(5);
    paint(parent.get(), random_image(20, 12, depth, rng));
    bitmap_ptr sub(create_subbitmap(parent.get(), -5, -3, 15, 10));
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->width, 10);
    EXPECT_EQ(sub->height, 7);
    EXPECT_EQ(sub->x_offset, 0);
    EXPECT_EQ(sub->y_offset, 0);
    EXPECT_EQ(sub->lines[0], parent->lines[0]);
    // Filling the whole sub-bitmap changes exactly its rectangle of the parent.
    reference_image expected = capture(parent.get());
    sub->clipping = 0;
    sub->vtable->clear_to_color(sub.get(), 1);
    for (int y = 0; y < 7; ++y) {
      for (int x = 0; x < 10; ++x) expected.at(x, y) = 1;
    }
    EXPECT_TRUE(bitmap_matches(parent.get(), expected)) << depth;
  }
}

TEST(SubBitmapTest, CornersPastTheParentGiveAnEmptyBitmap) {
  bitmap_ptr parent = make_bitmap(8, 10, 10);
  bitmap_ptr right(create_subbitmap(parent.get(), 50, 2, 5, 5));
  ASSERT_NE(right, nullptr);
  EXPECT_EQ(right->width, 0);
  bitmap_ptr left(create_subbitmap(parent.get(), -50, 2, 5, 5));
  ASSERT_NE(left, nullptr);
  EXPECT_EQ(left->width, 0);
  EXPECT_EQ(left->height, 5);
  left->vtable->draw_hline(left.get(), -10, 0, 10, 1);
  left->vtable->put_pixel(left.get(), 0, 0, 1);
  EXPECT_EQ(create_subbitmap(nullptr, 0, 0, 1, 1), nullptr);
  EXPECT_EQ(create_subbitmap(parent.get(), 0, 0, -1, 1), nullptr);
  bitmap_ptr huge(create_subbitmap(parent.get(), INT_MAX, INT_MAX, INT_MAX, INT_MAX));
  ASSERT_NE(huge, nullptr);
  EXPECT_EQ(huge->width, 0);
}

TEST(SubBitmapTest, PlanarParentsDivideTheColumn) {
  bitmap_ptr parent = make_bitmap(8, 40, 4);
  parent->flags |= BITMAP_FLAG_PLANAR;
  bitmap_ptr sub(create_subbitmap(parent.get(), 13, 1, 8, 2));
  EXPECT_EQ(sub->lines[0], parent->lines[1] + 3);
  EXPECT_NE(sub->flags & BITMAP_FLAG_PLANAR, 0u);
}

int acquires = 0, releases = 0, hook_calls = 0;
TEST(SubBitmapTest, HooksAndLocksAroundCreation) {
  bitmap_ptr parent = make_bitmap(32, 10, 10);
  draw_vtable table = *parent->vtable;
  table.acquire = [](bitmap *) { ++acquires; };
  table.release = [](bitmap *) {
    EXPECT_EQ(hook_calls, 1);  // released after the created hook
    ++releases;
  };
  table.subbitmap_created_hook = [](bitmap *sub, bitmap *p) {
    EXPECT_EQ(sub->width, 4);
    EXPECT_NE(p, nullptr);
    ++hook_calls;
  };
  parent->vtable = &table;
  bitmap_ptr sub(create_subbitmap(parent.get(), 1, 1, 4, 4));
  EXPECT_EQ(acquires, 1);
  EXPECT_EQ(releases, 1);
  EXPECT_EQ(sub->vtable, &table);

  static bitmap *replacement = nullptr;
  bitmap_ptr stand_in = make_bitmap(32, 1, 1);
  replacement = stand_in.get();
  table.create_subbitmap_hook = [](bitmap *, int, int, int, int) { return replacement; };
  EXPECT_EQ(create_subbitmap(parent.get(), 0, 0, 2, 2), replacement);
}

// The system driver's bitmap operations.
int created = 0, destroyed = 0, sub_created = 0;
TEST(SystemDriverBitmapTest, OverridesAndNotifications) {
  ASSERT_EQ(corvane::testing::start_with_test_system(), 0);
  system_driver &driver = corvane::testing::the_test_system().driver;
  driver.bitmap_created = [](bitmap *) { ++created; };
  driver.subbitmap_created = [](bitmap *, bitmap *) { ++sub_created; };
  driver.destroy_bitmap_override = [](bitmap *) {
    ++destroyed;
    return 0;
  };
  bitmap *bmp = create_bitmap_at_depth(8, 4, 4);
  bitmap *sub = create_subbitmap(bmp, 0, 0, 2, 2);
  destroy_bitmap(sub);
  destroy_bitmap(bmp);
  destroy_bitmap(nullptr);  // ignored before anything is asked
  EXPECT_EQ(created, 1);
  EXPECT_EQ(sub_created, 1);
  EXPECT_EQ(destroyed, 2);

  static draw_vtable custom{};
  custom.color_depth = 12;
  driver.find_vtable_override = [](int depth) { return depth == 12 ? &custom : nullptr; };
  EXPECT_EQ(find_vtable(12), &custom);
  EXPECT_EQ(find_vtable(16), vtable_by_depth[2].vtable);

  driver.create_bitmap_override = [](int, int, int) -> bitmap * { return nullptr; };
  EXPECT_EQ(create_bitmap_at_depth(8, 4, 4), nullptr);
  shutdown_corvane();
}

// A graphics driver over a plain block of memory.
struct fake_display {
  gfx_driver driver{};
  std::vector<unsigned char> memory;
  bitmap *screen = nullptr;

  fake_display(int width, int height, int depth) {
    driver.id = CORVANE_ID('F', 'A', 'K', 'E');
    driver.linear = -1;
    const int stride = width * bytes_per_pixel_of_depth(depth);
    memory.assign(static_cast<size_t>(stride) * height + 4, 0);
    screen = make_screen_bitmap(width, height, memory.data(), &driver, depth, stride);
    current_gfx_driver = &driver;
    screen_bitmap = screen;
  }
  ~fake_display() {
    while (video_bitmap_list != nullptr) destroy_bitmap(video_bitmap_list->bmp);
    destroy_bitmap(screen);
    current_gfx_driver = nullptr;
    screen_bitmap = nullptr;
    free_line_bank_table();
  }
};

TEST(ScreenBitmapTest, LinearSurface) {
  fake_display display(64, 10, 16);
  bitmap *screen = display.screen;
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(screen->flags, BITMAP_FLAG_VIDEO);
  EXPECT_EQ(display.driver.video_base, display.memory.data());
  EXPECT_NE(screen->vtable, find_vtable(16));  // a private copy the driver may change
  EXPECT_EQ(screen->vtable->put_pixel, find_vtable(16)->put_pixel);
  for (int y = 0; y < 10; ++y) {
    EXPECT_EQ(screen->lines[y], display.memory.data() + y * 128);
    EXPECT_EQ(line_bank_table[y], 0);
  }
  EXPECT_EQ(last_read_bank, -1);
  EXPECT_EQ(last_write_bank, -1);
  clear_bitmap(screen);
  screen->vtable->put_pixel(screen, 3, 2, 0x1234);
  EXPECT_EQ(screen->vtable->get_pixel(screen, 3, 2), 0x1234);
}

TEST(ScreenBitmapTest, BankedSurfaceRowsRestartInTheWindow) {
  gfx_driver driver{};
  driver.linear = 0;
  driver.bank_size = 1000;
  driver.bank_granularity = 1000;
  std::vector<unsigned char> window(1000);
  // Rows of 300 bytes: three fit a bank, the fourth (bytes 900-1199) crosses into the next.
  bitmap *screen = make_screen_bitmap(300, 8, window.data(), &driver, 8, 300);
  ASSERT_NE(screen, nullptr);
  const long expected_offsets[] = {0, 300, 600, -100, 200, 500, -200, 100};
  const int expected_banks[] = {0, 0, 0, 1, 1, 1, 2, 2};
  const auto base = reinterpret_cast<uintptr_t>(window.data());
  for (int y = 0; y < 8; ++y) {
    EXPECT_EQ(static_cast<long>(reinterpret_cast<uintptr_t>(screen->lines[y]) - base),
              expected_offsets[y])
        << y;
    EXPECT_EQ(line_bank_table[y], expected_banks[y]) << y;
  }
  destroy_bitmap(screen);
  driver.bank_granularity = 0;
  EXPECT_EQ(make_screen_bitmap(300, 8, window.data(), &driver, 8, 300), nullptr);
  EXPECT_EQ(make_screen_bitmap(300, 8, window.data(), &driver, 12, 300), nullptr);
  free_line_bank_table();
}

TEST(VideoBitmapTest, NeedsAMode) { EXPECT_EQ(create_video_bitmap(10, 10), nullptr); }

TEST(VideoBitmapTest, BandsAreFilledLeftToRightWithSixteenPixelSteps) {
  fake_display display(100, 60, 8);
  bitmap *a = create_video_bitmap(20, 30);
  bitmap *b = create_video_bitmap(20, 10);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(a->x_offset, 0);
  EXPECT_EQ(a->y_offset, 0);
  EXPECT_EQ(b->x_offset, 32);
  EXPECT_EQ(b->y_offset, 0);
  EXPECT_NE(a->flags & BITMAP_FLAG_VIDEO, 0u);
  EXPECT_NE(a->flags & BITMAP_FLAG_SUB, 0u);
  // 60 wide does not fit right of b (52 + 60 > 100): it goes below b's bottom edge.
  bitmap *c = create_video_bitmap(60, 10);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->x_offset, 32);
  EXPECT_EQ(c->y_offset, 10);
  // The list is sorted by row.
  int last_y = -1;
  int count = 0;
  for (video_bitmap_node *node = video_bitmap_list; node != nullptr; node = node->next, ++count) {
    EXPECT_GE(node->y, last_y);
    last_y = node->y;
  }
  EXPECT_EQ(count, 3);
  EXPECT_EQ(create_video_bitmap(101, 1), nullptr);
  EXPECT_EQ(create_video_bitmap(-1, 1), nullptr);
}

TEST(VideoBitmapTest, RememberedFailureSkipsHopelessSearches) {
  fake_display display(320, 400, 8);
  bitmap *band = create_video_bitmap(320, 250);
  ASSERT_NE(band, nullptr);
  EXPECT_EQ(create_video_bitmap(200, 200), nullptr);
  EXPECT_EQ(corvane::failed_video_width, 200);
  EXPECT_EQ(corvane::failed_video_height, 200);
  // 300 x 300 fails at once; 100 x 300 is still searched and, failing, is remembered.
  EXPECT_EQ(create_video_bitmap(300, 300), nullptr);
  EXPECT_EQ(corvane::failed_video_width, 200);
  EXPECT_EQ(create_video_bitmap(100, 300), nullptr);
  EXPECT_EQ(corvane::failed_video_width, 100);
  EXPECT_EQ(corvane::failed_video_height, 300);
  bitmap *small = create_video_bitmap(100, 100);
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(small->y_offset, 250);
  // Freeing room relaxes the remembered failure.
  destroy_bitmap(band);
  EXPECT_EQ(corvane::failed_video_width, 2 * 100 + 320);
  EXPECT_EQ(corvane::failed_video_height, 2 * 300 + 250);
  bitmap *again = create_video_bitmap(200, 200);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->y_offset, 0);
  EXPECT_EQ(again->x_offset, 0);
}

int driver_frees = 0;
bitmap *driver_made = nullptr;
TEST(VideoBitmapTest, DriverMadeBitmapsGoBackToTheDriver) {
  fake_display display(64, 64, 32);
  display.driver.make_video_bitmap = [](int w, int h) {
    driver_made = create_bitmap_at_depth(32, w, h);
    driver_made->flags |= BITMAP_FLAG_VIDEO;
    return driver_made;
  };
  display.driver.free_video_bitmap = [](bitmap *bmp) {
    ++driver_frees;
    bmp->flags = 0;
    destroy_bitmap(bmp);
  };
  bitmap *bmp = create_video_bitmap(8, 8);
  ASSERT_EQ(bmp, driver_made);
  ASSERT_NE(video_bitmap_list, nullptr);
  EXPECT_EQ(video_bitmap_list->x, -1);
  EXPECT_EQ(video_bitmap_list->y, -1);
  EXPECT_EQ(video_bitmap_list->width, 0);
  destroy_bitmap(bmp);
  EXPECT_EQ(driver_frees, 1);
  EXPECT_EQ(video_bitmap_list, nullptr);
}

int system_frees = 0;
TEST(SystemBitmapTest, DriverOrMarkedMemoryBitmap) {
  EXPECT_EQ(create_system_bitmap(4, 4), nullptr);  // no mode
  fake_display display(16, 16, 8);
  bitmap_ptr marked(create_system_bitmap(4, 4));
  ASSERT_NE(marked, nullptr);
  EXPECT_EQ(marked->flags, BITMAP_FLAG_SYSTEM);
  EXPECT_EQ(bitmap_color_depth(marked.get()), current_color_depth);
  display.driver.free_system_bitmap = [](bitmap *bmp) {
    ++system_frees;
    bmp->flags = 0;
    destroy_bitmap(bmp);
  };
  destroy_bitmap(marked.release());
  EXPECT_EQ(system_frees, 1);
}

}  // namespace
