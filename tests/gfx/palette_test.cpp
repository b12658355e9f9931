// The palette state: the nearest-colour search against a brute-force search, the desktop palette,
// applying, reading and selecting palettes, the lazily rebuilt per-depth tables, and the
// 5-bit colour index table.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/gfx.h"
#include "support/test_system.h"

namespace {

int distance(const rgb_entry &e, int r, int g, int b) {
  const auto sq = [](int d) { return d * d; };
  // Differences wrap within 7 bits, as the weight tables do.
  const auto wrapped = [](int d) {
    d &= 127;
    return d < 64 ? d : 128 - d;
  };
  return sq(wrapped(e.r - r)) * 900 + sq(wrapped(e.g - g)) * 3481 + sq(wrapped(e.b - b)) * 121;
}

int brute_force_nearest(const rgb_entry *pal, int r, int g, int b) {
  const int first = (r == 63 && g == 0 && b == 63) ? 0 : 1;
  int best = first;
  for (int i = first + 1; i < 256; ++i) {
    if (distance(pal[i], r, g, b) < distance(pal[best], r, g, b)) best = i;
  }
  return best;
}

TEST(NearestColorTest, AgreesWithABruteForceSearchIncludingTies) {
  std::mt19937 rng(21);
  for (int round = 0; round < 40; ++round) {
    palette pal;
    // Few distinct values make many ties and duplicates; later rounds spread out.
    const unsigned spread = round < 20 ? 4u : 64u;
    for (auto &e : pal) {
      e = rgb_entry{static_cast<unsigned char>((rng() % spread) * (64 / spread)),
                    static_cast<unsigned char>((rng() % spread) * (64 / spread)),
                    static_cast<unsigned char>((rng() % spread) * (64 / spread)), 0};
    }
    if (round % 3 == 0) pal[0] = rgb_entry{63, 0, 63, 0};
    for (int q = 0; q < 300; ++q) {
      const int r = static_cast<int>(rng() % 64), g = static_cast<int>(rng() % 64),
                b = static_cast<int>(rng() % 64);
      ASSERT_EQ(nearest_palette_index(pal, r, g, b), brute_force_nearest(pal, r, g, b))
          << "round " << round << " colour " << r << "," << g << "," << b;
    }
    ASSERT_EQ(nearest_palette_index(pal, 63, 0, 63), brute_force_nearest(pal, 63, 0, 63));
  }
}

TEST(NearestColorTest, EqualDistancesGoToTheLowerIndex) {
  palette pal{};
  for (auto &e : pal) e = rgb_entry{0, 63, 0, 0};
  pal[7] = rgb_entry{10, 20, 30, 0};
  pal[3] = rgb_entry{14, 20, 30, 0};
  EXPECT_EQ(nearest_palette_index(pal, 12, 20, 30), 3);
  EXPECT_EQ(nearest_palette_index(nullptr, 1, 2, 3), 0);
}

TEST(NearestColorTest, DesktopPaletteAfterStartUp) {
  // The stored values alone: entries 16-255 black.
  palette stored{};
  std::memcpy(stored, desktop_palette, 16 * sizeof(rgb_entry));
  EXPECT_EQ(nearest_palette_index(stored, 63, 63, 63), 11);

  ASSERT_EQ(startup_corvane(SYSTEM_NONE, nullptr, nullptr), 0);
  EXPECT_EQ(nearest_palette_index(desktop_palette, 63, 63, 63), 16);
  EXPECT_EQ(nearest_palette_index(desktop_palette, 63, 0, 63), 5);
  EXPECT_EQ(nearest_palette_index(desktop_palette, 0, 0, 0), 15);
  shutdown_corvane();
}

int writes = 0, last_from = -1, last_to = -1, last_vsync = 0, reads = 0;
void record_write(const rgb_entry *, int from, int to, int vsync) {
  ++writes;
  last_from = from;
  last_to = to;
  last_vsync = vsync;
}

TEST(PaletteTest, ApplyRangeUpdatesTheTablesAndTellsTheSystemDriver) {
  ASSERT_EQ(corvane::testing::start_with_test_system(), 0);
  system_driver &driver = corvane::testing::the_test_system().driver;
  driver.write_palette_range = record_write;
  driver.read_hardware_colors = [] { ++reads; };

  set_color_depth(16);
  palette pal{};
  for (int i = 0; i < 256; ++i) {
    pal[i] = rgb_entry{static_cast<unsigned char>(i & 63), static_cast<unsigned char>(i >> 2),
                       static_cast<unsigned char>(63 - (i & 63)), 0};
  }
  apply_palette(pal);
  EXPECT_EQ(writes, 1);
  EXPECT_EQ(last_from, 0);
  EXPECT_EQ(last_to, 255);
  EXPECT_EQ(last_vsync, -1);
  EXPECT_EQ(palette_tables_stale, ~(1u << 15));
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(palette_color[i],
              static_cast<uint32_t>(make_color_depth(
                  16, SCALE_6_TO_8[pal[i].r], SCALE_6_TO_8[pal[i].g], SCALE_6_TO_8[pal[i].b])));
  }

  palette grey{};
  for (auto &e : grey) e = rgb_entry{20, 20, 20, 0};
  apply_palette_range(grey, 250, 400, 0);  // clamped to 255
  EXPECT_EQ(last_from, 250);
  EXPECT_EQ(last_to, 255);
  EXPECT_EQ(std::memcmp(&current_palette[250], &grey[250], 6 * sizeof(rgb_entry)), 0);
  EXPECT_EQ(std::memcmp(&current_palette[249], &pal[249], sizeof(rgb_entry)), 0);
  apply_palette_range(grey, 10, 5, 0);  // empty
  apply_palette_range(nullptr, 0, 255, 0);
  EXPECT_EQ(writes, 2);

  palette back{};
  read_palette_range(back, 248, 255);
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(back[248].r, pal[248].r);
  EXPECT_EQ(back[255].g, 20);
  EXPECT_EQ(back[0].g, 0);  // outside the range: untouched
  set_color_depth(8);
  shutdown_corvane();
}

TEST(PaletteTest, APartialRangeBringsAStaleTableWhollyUpToDate) {
  palette red{};
  for (auto &e : red) e = rgb_entry{63, 0, 0, 0};
  apply_palette(red);  // at 8 bits: the 32-bit table is stale
  set_color_depth(32);
  palette blue{};
  blue[0] = rgb_entry{0, 0, 63, 0};
  apply_palette_range(blue, 0, 0, 0);
  // The whole 32-bit table is now marked fresh, so all of it must hold the palette.
  EXPECT_EQ(palette_color[0], 0xFF0000u);
  EXPECT_EQ(palette_table_for_depth(32)[200], 0x0000FFu);
  set_color_depth(8);
}

int driver_palette_writes = 0;
TEST(PaletteTest, WithAModeOnlyAnEightBitScreenGetsThePalette) {
  gfx_driver driver{};
  driver.linear = -1;
  driver.write_palette = [](const rgb_entry *, int, int, int) { ++driver_palette_writes; };
  std::vector<unsigned char> memory(64 * 64 * 4);
  current_gfx_driver = &driver;
  screen_bitmap = make_screen_bitmap(64, 64, memory.data(), &driver, 8, 64);
  apply_palette(desktop_palette);
  EXPECT_EQ(driver_palette_writes, 1);
  destroy_bitmap(screen_bitmap);
  screen_bitmap = make_screen_bitmap(64, 64, memory.data(), &driver, 32, 256);
  apply_palette(desktop_palette);
  EXPECT_EQ(driver_palette_writes, 1);
  destroy_bitmap(screen_bitmap);
  screen_bitmap = nullptr;
  current_gfx_driver = nullptr;
  free_line_bank_table();
}

TEST(PaletteTest, DepthTablesAreRebuiltOnlyAfterAChange) {
  palette pal{};
  pal[1] = rgb_entry{63, 0, 0, 0};
  apply_palette(pal);  // at 8 bits: every other depth is stale
  const uint32_t *table = palette_table_for_depth(16);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table[1], 0x001Fu);
  EXPECT_EQ(palette_tables_stale & (1u << 15), 0u);
  // Without a palette operation the table is not rebuilt: a direct change goes unseen.
  current_palette[1] = rgb_entry{0, 63, 0, 0};
  EXPECT_EQ(palette_table_for_depth(16)[1], 0x001Fu);
  select_palette(current_palette);
  EXPECT_EQ(palette_table_for_depth(16)[1], 0x07E0u);
  EXPECT_EQ(palette_table_for_depth(8), nullptr);
  EXPECT_EQ(palette_table_for_depth(12), nullptr);
  EXPECT_EQ(palette_table_for_depth(24)[1], 0x00FF00u);
}

TEST(PaletteTest, SelectAndUnselect) {
  set_color_depth(24);
  palette first{}, second{};
  first[5] = rgb_entry{63, 0, 0, 0};
  second[5] = rgb_entry{0, 0, 63, 0};
  apply_palette(first);
  EXPECT_EQ(palette_color[5], 0x0000FFu);
  select_palette(second);
  EXPECT_EQ(std::memcmp(saved_palette, first, sizeof(palette)), 0);
  EXPECT_EQ(current_palette[5].b, 63);
  EXPECT_EQ(palette_color[5], 0xFF0000u);
  unselect_palette();
  EXPECT_EQ(current_palette[5].r, 63);
  EXPECT_EQ(palette_color[5], 0x0000FFu);
  set_color_depth(8);
}

std::vector<int> progress;
TEST(RgbIndexTableTest, FillsEveryCellAndReportsProgressExactly256Times) {
  std::mt19937 rng(4);
  palette pal;
  for (auto &e : pal) {
    e = rgb_entry{static_cast<unsigned char>(rng() % 64), static_cast<unsigned char>(rng() % 64),
                  static_cast<unsigned char>(rng() % 64), 0};
  }
  pal[0] = rgb_entry{63, 0, 63, 0};
  std::vector<unsigned char> table(32768, 0xEE);
  build_rgb_index_table(table.data(), pal, [](int step) { progress.push_back(step); });
  ASSERT_EQ(progress.size(), 256u);
  for (int k = 0; k < 256; ++k) ASSERT_EQ(progress[static_cast<size_t>(k)], k);

  // Palette 0 is the mask colour: it owns (31, 0, 31) and nothing else.
  EXPECT_EQ(table[(31 << 10) | 31], 0);
  int zeros = 0;
  for (unsigned char cell : table) zeros += (cell == 0);
  EXPECT_EQ(zeros, 1);

  // The cell of the first entry to claim it keeps that entry or goes to a strictly closer one;
  // most cells get the nearest entry.
  std::vector<bool> claimed(32768, false);
  for (int i = 1; i < 256; ++i) {
    const int r = pal[i].r >> 1, g = pal[i].g >> 1, b = pal[i].b >> 1;
    const auto cell = static_cast<size_t>((r << 10) | (g << 5) | b);
    if (claimed[cell]) continue;
    claimed[cell] = true;
    EXPECT_LE(distance(pal[table[cell]], 2 * r, 2 * g, 2 * b),
              distance(pal[i], 2 * r, 2 * g, 2 * b));
  }
  int exact = 0;
  for (int cell = 0; cell < 32768; ++cell) {
    const int r = (cell >> 10) * 2, g = ((cell >> 5) & 31) * 2, b = (cell & 31) * 2;
    if (cell == ((31 << 10) | 31)) continue;
    const int nearest = nearest_palette_index(pal, r, g, b);
    if (distance(pal[table[static_cast<size_t>(cell)]], r, g, b) == distance(pal[nearest], r, g, b))
      ++exact;
  }
  EXPECT_GT(exact, 32768 * 8 / 10);
}

TEST(RgbIndexTableTest, OneColourFillsTheWholeCube) {
  palette pal{};  // every entry black: one seed
  progress.clear();
  std::vector<unsigned char> table(32768);
  build_rgb_index_table(table.data(), pal, [](int step) { progress.push_back(step); });
  EXPECT_EQ(progress.size(), 256u);
  EXPECT_EQ(progress.back(), 255);
  for (unsigned char cell : table) ASSERT_EQ(cell, 1);
  build_rgb_index_table(nullptr, pal, nullptr);
  build_rgb_index_table(table.data(), nullptr, nullptr);
}

}  // namespace
