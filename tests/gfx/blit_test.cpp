// The copy and masked blits of every depth, and the public blit and masked_blit: clipping of both
// rectangles, overlap within one surface, and which table slot serves which pair of bitmaps.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "corvane/color.h"
#include "support/bitmap_compare.h"

namespace {

using corvane::testing::bitmap_matches;
using corvane::testing::bitmap_ptr;
using corvane::testing::make_bitmap;
using corvane::testing::mask_color_of;
using corvane::testing::paint;
using corvane::testing::random_image;
using corvane::testing::reference_image;

// The public blit's clipping, pixel by pixel: a destination pixel inside the clip rectangle takes
// the source pixel at the same offset when that lies inside the source.
void reference_blit(const reference_image &source, reference_image &dest, int clip_left,
                    int clip_top, int clip_right, int clip_bottom, int sx, int sy, int dx, int dy,
                    int w, int h, bool masked) {
  for (int ty = std::max(clip_top, 0); ty < std::min(clip_bottom, dest.height); ++ty) {
    for (int tx = std::max(clip_left, 0); tx < std::min(clip_right, dest.width); ++tx) {
      const int64_t x = int64_t{tx} - dx, y = int64_t{ty} - dy;
      if (x < 0 || y < 0 || x >= w || y >= h) continue;
      const int64_t fx = sx + x, fy = sy + y;
      if (fx < 0 || fy < 0 || fx >= source.width || fy >= source.height) continue;
      const uint32_t value = source.at(static_cast<int>(fx), static_cast<int>(fy));
      if (masked && value == mask_color_of(source.depth)) continue;
      dest.at(tx, ty) = value;
    }
  }
}

class BlitDepthTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    depth_ = GetParam();
    rng_.seed(static_cast<unsigned>(depth_));
  }
  int depth_ = 8;
  std::mt19937 rng_;
};

TEST_P(BlitDepthTest, CopySlotsMoveRectanglesExactly) {
  bitmap_ptr source = make_bitmap(depth_, 70, 9);
  bitmap_ptr dest = make_bitmap(depth_, 80, 12);
  const reference_image from = random_image(70, 9, depth_, rng_);
  reference_image to = random_image(80, 12, depth_, rng_);
  paint(source.get(), from);
  paint(dest.get(), to);
  dest->vtable->blit_from_memory(source.get(), dest.get(), 3, 1, 7, 2, 65, 8);
  reference_blit(from, to, 0, 0, 80, 12, 3, 1, 7, 2, 65, 8, false);
  EXPECT_TRUE(bitmap_matches(dest.get(), to));
  dest->vtable->blit_copy_backward(source.get(), dest.get(), 0, 0, 1, 0, 33, 9);
  reference_blit(from, to, 0, 0, 80, 12, 0, 0, 1, 0, 33, 9, false);
  EXPECT_TRUE(bitmap_matches(dest.get(), to));
}

TEST_P(BlitDepthTest, MaskedSlotSkipsMaskPixels) {
  bitmap_ptr source = make_bitmap(depth_, 67, 7);
  bitmap_ptr dest = make_bitmap(depth_, 70, 9);
  const reference_image from = random_image(67, 7, depth_, rng_, 0.4);
  reference_image to = random_image(70, 9, depth_, rng_);
  paint(source.get(), from);
  paint(dest.get(), to);
  dest->vtable->blit_masked(source.get(), dest.get(), 1, 1, 2, 1, 66, 6);
  reference_blit(from, to, 0, 0, 70, 9, 1, 1, 2, 1, 66, 6, true);
  EXPECT_TRUE(bitmap_matches(dest.get(), to));
}

TEST_P(BlitDepthTest, BackwardCopyOntoItselfOneRowLower) {
  bitmap_ptr bmp = make_bitmap(depth_, 20, 10);
  const reference_image image = random_image(20, 10, depth_, rng_);
  paint(bmp.get(), image);
  reference_image expected = image;
  for (int y = 1; y < 10; ++y) {
    for (int x = 0; x < 20; ++x) expected.at(x, y) = image.at(x, y - 1);
  }
  bmp->vtable->blit_copy_backward(bmp.get(), bmp.get(), 0, 0, 0, 1, 20, 9);
  EXPECT_TRUE(bitmap_matches(bmp.get(), expected));

  // The forward copy repeats the first row downwards instead.
  paint(bmp.get(), image);
  bmp->vtable->blit_from_memory(bmp.get(), bmp.get(), 0, 0, 0, 1, 20, 9);
  for (int y = 1; y < 10; ++y) {
    for (int x = 0; x < 20; ++x) expected.at(x, y) = image.at(x, 0);
  }
  EXPECT_TRUE(bitmap_matches(bmp.get(), expected));
}

TEST_P(BlitDepthTest, PublicBlitClipsBothRectangles) {
  const reference_image from = random_image(30, 20, depth_, rng_);
  const reference_image base = random_image(25, 18, depth_, rng_);
  bitmap_ptr source = make_bitmap(depth_, 30, 20);
  bitmap_ptr dest = make_bitmap(depth_, 25, 18);
  paint(source.get(), from);
  // (sx, sy, dx, dy, w, h): negative source corner, destination left of and above the clip
  // rectangle, running past every edge, entirely outside, and zero or negative sizes.
  const int cases[][6] = {{-5, -3, 4, 2, 20, 12},
                          {2, 1, -3, -4, 28, 30},
                          {10, 5, 20, 15, 40, 40},
                          {0, 0, 0, 0, 30, 20},
                          {29, 19, 2, 2, 5, 5},
                          {30, 0, 0, 0, 5, 5},
                          {0, 0, 40, 0, 5, 5},
                          {0, 0, 3, 3, 0, 5},
                          {0, 0, 3, 3, -4, 5},
                          {-40, 0, 0, 0, 20, 5},
                          {4, 4, 3, 3, 2147483647, 2147483647}};
  for (const auto &c : cases) {
    for (bool masked : {false, true}) {
      paint(dest.get(), base);
      set_clip_area(dest.get(), 2, 3, 21, 14);
      reference_image expected = base;
      reference_blit(from, expected, 2, 3, 22, 15, c[0], c[1], c[2], c[3], c[4], c[5], masked);
      (masked ? masked_blit : blit)(source.get(), dest.get(), c[0], c[1], c[2], c[3], c[4], c[5]);
      EXPECT_TRUE(bitmap_matches(dest.get(), expected))
          << (masked ? "masked " : "") << "case " << c[0] << "," << c[1] << " -> " << c[2] << ","
          << c[3] << " size " << c[4] << "x" << c[5];
    }
  }
}

TEST_P(BlitDepthTest, OverlappingBlitsWithinOneBitmapActAsIfThroughACopy) {
  const reference_image image = random_image(24, 16, depth_, rng_);
  bitmap_ptr bmp = make_bitmap(depth_, 24, 16);
  for (int dy = -3; dy <= 3; ++dy) {
    for (int dx = -5; dx <= 5; dx += 5) {
      paint(bmp.get(), image);
      reference_image expected = image;
      reference_blit(image, expected, 0, 0, 24, 16, 6, 5, 6 + dx, 5 + dy, 12, 8, false);
      blit(bmp.get(), bmp.get(), 6, 5, 6 + dx, 5 + dy, 12, 8);
      EXPECT_TRUE(bitmap_matches(bmp.get(), expected)) << "shift " << dx << "," << dy;
    }
  }
}

TEST_P(BlitDepthTest, WholeWidthBlitsMoveEveryRowOnce) {
  const reference_image image = random_image(24, 16, depth_, rng_);
  // Whole rows scrolled up and down within one bitmap, where the rows lie back to back, through
  // the public blit (which takes the backward slot for downward moves).
  bitmap_ptr bmp = make_bitmap(depth_, 24, 16);
  for (int dy : {-3, -1, 1, 3}) {
    paint(bmp.get(), image);
    reference_image expected = image;
    reference_blit(image, expected, 0, 0, 24, 16, 0, 4, 0, 4 + dy, 24, 9, false);
    blit(bmp.get(), bmp.get(), 0, 4, 0, 4 + dy, 24, 9);
    EXPECT_TRUE(bitmap_matches(bmp.get(), expected)) << "scroll " << dy;
  }
  // Onto a whole-width sub-bitmap (rows back to back) and onto a narrower one (rows a parent's
  // width apart, which a single move would smear across the parent).
  const reference_image from = random_image(12, 10, depth_, rng_);
  bitmap_ptr source = make_bitmap(depth_, 12, 10);
  paint(source.get(), from);
  for (int parent_width : {12, 24}) {
    bitmap_ptr parent = make_bitmap(depth_, parent_width, 16);
    const reference_image base = random_image(parent_width, 16, depth_, rng_);
    paint(parent.get(), base);
    bitmap_ptr sub = bitmap_ptr(create_subbitmap(parent.get(), 0, 3, 12, 10));
    blit(source.get(), sub.get(), 0, 0, 0, 0, 12, 10);
    reference_image expected = base;
    reference_blit(from, expected, 0, 0, parent_width, 16, 0, 0, 0, 3, 12, 10, false);
    EXPECT_TRUE(bitmap_matches(parent.get(), expected)) << "parent width " << parent_width;
  }
}

TEST_P(BlitDepthTest, OverlapBetweenSubBitmapsOfOneParent) {
  const reference_image image = random_image(32, 20, depth_, rng_);
  bitmap_ptr parent = make_bitmap(depth_, 32, 20);
  paint(parent.get(), image);
  bitmap_ptr left = bitmap_ptr(create_subbitmap(parent.get(), 2, 4, 20, 14));
  bitmap_ptr right = bitmap_ptr(create_subbitmap(parent.get(), 6, 2, 20, 14));
  // left (1, 1) is parent (3, 5); right (0, 0) is parent (6, 2): the source lies lower.
  blit(left.get(), right.get(), 1, 1, 0, 0, 15, 12);
  reference_image expected = image;
  reference_blit(image, expected, 0, 0, 32, 20, 3, 5, 6, 2, 15, 12, false);
  EXPECT_TRUE(bitmap_matches(parent.get(), expected));
  // And back the other way, where the source lies higher.
  paint(parent.get(), image);
  blit(right.get(), left.get(), 0, 0, 1, 1, 15, 12);
  expected = image;
  reference_blit(image, expected, 0, 0, 32, 20, 6, 2, 3, 5, 15, 12, false);
  EXPECT_TRUE(bitmap_matches(parent.get(), expected));
}

TEST_P(BlitDepthTest, MaskedBlitBetweenDepthsDrawsNothing) {
  const int other = depth_ == 8 ? 32 : 8;
  bitmap_ptr source = make_bitmap(other, 8, 8);
  bitmap_ptr dest = make_bitmap(depth_, 8, 8);
  paint(source.get(), random_image(8, 8, other, rng_));
  const reference_image before = random_image(8, 8, depth_, rng_);
  paint(dest.get(), before);
  masked_blit(source.get(), dest.get(), 0, 0, 0, 0, 8, 8);
  EXPECT_TRUE(bitmap_matches(dest.get(), before));
}

INSTANTIATE_TEST_SUITE_P(AllDepths, BlitDepthTest, ::testing::Values(8, 15, 16, 24, 32));

TEST(BlitTest, ANullBitmapOnEitherSideChangesNothing) {
  std::mt19937 rng(3);
  bitmap_ptr bmp = make_bitmap(8, 4, 4);
  const reference_image image = random_image(4, 4, 8, rng);
  paint(bmp.get(), image);
  blit(nullptr, bmp.get(), 0, 0, 0, 0, 4, 4);
  blit(bmp.get(), nullptr, 0, 0, 0, 0, 4, 4);
  masked_blit(nullptr, bmp.get(), 0, 0, 0, 0, 4, 4);
  masked_blit(bmp.get(), nullptr, 0, 0, 0, 0, 4, 4);
  clear_bitmap(nullptr);
  EXPECT_TRUE(bitmap_matches(bmp.get(), image));
}

// A display whose write window is backed by memory only as far as the blit writes: a row's first
// `open` pixels lie at the end of a page, and the page after it is neither readable nor writable.
class write_only_window {
 public:
  explicit write_only_window(size_t open_bytes)
      : page_(static_cast<size_t>(sysconf(_SC_PAGESIZE))) {
    void *base =
        mmap(nullptr, 2 * page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) return;
    base_ = static_cast<unsigned char *>(base);
    if (mprotect(base_ + page_, page_, PROT_NONE) != 0) return;
    row_ = base_ + page_ - open_bytes;
  }
  ~write_only_window() {
    if (base_ != nullptr) munmap(base_, 2 * page_);
  }
  write_only_window(const write_only_window &) = delete;
  write_only_window &operator=(const write_only_window &) = delete;
  unsigned char *row() const { return row_; }

 private:
  size_t page_;
  unsigned char *base_ = nullptr;
  unsigned char *row_ = nullptr;
};

unsigned char *window_row = nullptr;
unsigned char *window_line(bitmap *, int) { return window_row; }

// masked_blit must not read the destination through the write accessor, nor store the pixels it
// leaves alone: here the window ends where the source's mask pixels begin.
TEST_P(BlitDepthTest, MaskedBlitWritesOnlyTheVisiblePixelsThroughTheWriteWindow) {
  constexpr int visible = 8, width = 16;
  const int bytes = bytes_per_pixel_of_depth(depth_);
  reference_image image = random_image(width, 1, depth_, rng_);
  for (int x = 0; x < width; ++x) {
    if (x >= visible) {
      image.at(x, 0) = mask_color_of(depth_);
    } else if (image.at(x, 0) == mask_color_of(depth_)) {
      image.at(x, 0) ^= 1;
    }
  }
  bitmap_ptr source = make_bitmap(depth_, width, 1);
  paint(source.get(), image);
  const write_only_window window(static_cast<size_t>(visible * bytes));
  ASSERT_NE(window.row(), nullptr);
  bitmap_ptr dest = make_bitmap(depth_, width, 1);
  window_row = window.row();
  dest->write_line = window_line;
  EXPECT_EXIT(
      {
        masked_blit(source.get(), dest.get(), 0, 0, 0, 0, width, 1);
        const bool copied =
            std::memcmp(window.row(), source->lines[0], static_cast<size_t>(visible * bytes)) == 0;
        std::exit(copied ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

// Copy slots that record which one was called, in private tables.
int last_slot = 0;
bitmap *last_slot_owner = nullptr;
template <int Slot>
void recording_slot(bitmap *source, bitmap *dest, int, int, int, int, int, int) {
  last_slot = Slot;
  last_slot_owner = (Slot == 32 || Slot == 34) ? source : dest;
}

struct recording_bitmap {
  bitmap_ptr bmp;
  draw_vtable table{};
  explicit recording_bitmap(uint32_t kind_flags) : bmp(make_bitmap(16, 8, 8)) {
    table = *bmp->vtable;
    table.blit_from_memory = recording_slot<31>;
    table.blit_to_memory = recording_slot<32>;
    table.blit_from_system = recording_slot<33>;
    table.blit_to_system = recording_slot<34>;
    table.blit_to_self = recording_slot<35>;
    table.blit_to_self_forward = recording_slot<36>;
    table.blit_copy_backward = recording_slot<37>;
    bmp->vtable = &table;
    bmp->flags |= kind_flags;
  }
};

TEST(BlitSlotTest, DifferentSurfacesChooseBySourceAndDestinationKinds) {
  const uint32_t memory = 0, system = BITMAP_FLAG_SYSTEM, video = BITMAP_FLAG_VIDEO;
  struct expectation {
    uint32_t source, dest;
    int slot;
    bool source_table;
  } const cases[] = {
      {video, video, 35, false}, {system, video, 33, false},  {memory, video, 31, false},
      {video, memory, 32, true}, {system, memory, 32, true},  {memory, memory, 35, false},
      {video, system, 34, true}, {system, system, 35, false}, {memory, system, 31, false},
  };
  for (const auto &c : cases) {
    recording_bitmap source(c.source);
    recording_bitmap dest(c.dest);
    last_slot = 0;
    blit(source.bmp.get(), dest.bmp.get(), 0, 0, 0, 0, 4, 4);
    EXPECT_EQ(last_slot, c.slot) << std::hex << c.source << " -> " << c.dest;
    EXPECT_EQ(last_slot_owner, c.source_table ? source.bmp.get() : dest.bmp.get());
  }
}

TEST(BlitSlotTest, OneSurfaceChoosesByOverlapAndDirection) {
  recording_bitmap r(0);
  bitmap *bmp = r.bmp.get();
  const int cases[][3] = {
      // dest x, dest y, slot: apart, source lower, same row to the right, source higher, same
      // row to the left.
      {4, 4, 35},
      {1, 0, 37},
      {0, 1, 37},
  };
  for (const auto &c : cases) {
    last_slot = 0;
    blit(bmp, bmp, 0, 0, c[0], c[1], 4, 4);
    EXPECT_EQ(last_slot, c[2]) << c[0] << "," << c[1];
  }
  last_slot = 0;
  blit(bmp, bmp, 2, 2, 1, 2, 4, 4);  // same row, source to the right
  EXPECT_EQ(last_slot, 36);
  last_slot = 0;
  blit(bmp, bmp, 2, 2, 3, 0, 4, 4);  // source lower
  EXPECT_EQ(last_slot, 36);
  last_slot = 0;
  blit(bmp, bmp, 2, 2, 2, 2, 4, 4);  // in place: nothing
  EXPECT_EQ(last_slot, 0);
}

TEST(BlitSlotTest, SameSurfaceFlagGoesThroughATemporary) {
  recording_bitmap r(BITMAP_FLAG_SAME_SURFACE_TEMP);
  last_slot = 0;
  blit(r.bmp.get(), r.bmp.get(), 0, 0, 1, 1, 4, 4);
  // Into the temporary with the source's slot 32, out of it with the destination's slot 31.
  EXPECT_EQ(last_slot, 31);
}

TEST(BlitSlotTest, DifferentDepthsUseTheDestinationsConverter) {
  bitmap_ptr source = make_bitmap(8, 4, 4);
  recording_bitmap dest(0);
  int calls = 0;
  static int *counter = nullptr;
  counter = &calls;
  dest.table.blit_convert = [](bitmap *, bitmap *, int, int, int, int, int, int) { ++*counter; };
  blit(source.get(), dest.bmp.get(), 0, 0, 0, 0, 4, 4);
  EXPECT_EQ(calls, 1);
}

}  // namespace
