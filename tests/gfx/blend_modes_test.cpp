// The blenders: the thirteen modes at 15, 16 and 24 bits and the alpha hooks against the
// arithmetic written out here from its definition, over random colours and weights and under
// several component layouts; the edges of the mix, the fixed blenders, the dissolve generator and
// the setters. Only the public hooks are called, so any inner form of a blender that computes the
// same values passes.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "corvane/blend.h"
#include "corvane/color.h"
#include "corvane/draw.h"
#include "corvane/gfx.h"

namespace {

// ---- The model ------------------------------------------------------------------------------

// The mix by its definition, step by step in 64 bits and then cut to 32 (the definition's
// arithmetic wraps at 32 bits; its shifts are logical). The weight is already 0-256 here.
uint32_t wrap(uint64_t v) { return static_cast<uint32_t>(v & 0xFFFFFFFFu); }

uint32_t model_mix24_weighted(uint32_t c, uint32_t y, uint64_t weight) {
  const uint32_t rb_difference = wrap(uint64_t{c & 0xFF00FF} + 0x100000000u - (y & 0xFF00FF));
  const uint32_t rb = wrap(y + (wrap(weight * rb_difference) >> 8)) & 0xFF00FF;
  const uint32_t g_difference = wrap(uint64_t{c & 0xFF00} + 0x100000000u - (y & 0xFF00));
  const uint32_t g = wrap((y & 0xFF00) + (wrap(weight * g_difference) >> 8)) & 0xFF00;
  return rb | g;
}

uint32_t model_mix24(uint32_t c, uint32_t y, uint32_t n) {
  return model_mix24_weighted(c, y, n != 0 ? uint64_t{n} + 1 : 0);
}

// 15 and 16 bits: the value is spread so that green lies in the upper half-word.
uint32_t model_mix_packed(uint32_t c, uint32_t y, uint32_t n, uint32_t spread, uint32_t low,
                          uint32_t high) {
  const uint64_t k = n != 0 ? (uint64_t{n} + 1) / 8 : 0;
  const auto spread_out = [spread](uint32_t v) {
    return ((v & 0xFFFF) | wrap(uint64_t{v} * 65536)) & spread;
  };
  const uint32_t cs = spread_out(c);
  const uint32_t ys = spread_out(y);
  const uint32_t r = wrap(ys + (wrap(k * wrap(uint64_t{cs} + 0x100000000u - ys)) >> 5));
  return (r & low) | ((r >> 16) & high);
}

struct layout {
  int depth;
  int rs, gs, bs;  // component shifts
};

struct rgb {
  uint32_t r, g, b;
};

rgb unpack(const layout &l, uint32_t v) {
  if (l.depth == 15) {
    return {uint32_t(SCALE_5_TO_8[(v >> l.rs) & 31]), uint32_t(SCALE_5_TO_8[(v >> l.gs) & 31]),
            uint32_t(SCALE_5_TO_8[(v >> l.bs) & 31])};
  }
  if (l.depth == 16) {
    return {uint32_t(SCALE_5_TO_8[(v >> l.rs) & 31]), uint32_t(SCALE_6_TO_8[(v >> l.gs) & 63]),
            uint32_t(SCALE_5_TO_8[(v >> l.bs) & 31])};
  }
  return {(v >> l.rs) & 255, (v >> l.gs) & 255, (v >> l.bs) & 255};
}

uint32_t pack(const layout &l, rgb c) {
  if (l.depth == 15) return ((c.r >> 3) << l.rs) | ((c.g >> 3) << l.gs) | ((c.b >> 3) << l.bs);
  if (l.depth == 16) return ((c.r >> 3) << l.rs) | ((c.g >> 2) << l.gs) | ((c.b >> 3) << l.bs);
  return (c.r << l.rs) | (c.g << l.gs) | (c.b << l.bs);
}

uint32_t model_mix(const layout &l, uint32_t c, uint32_t y, uint32_t n) {
  if (l.depth == 15) return model_mix_packed(c, y, n, 0x3E07C1F, 0x7C1F, 0x3E0);
  if (l.depth == 16) return model_mix_packed(c, y, n, 0x7E0F81F, 0xF81F, 0x7E0);
  return model_mix24(c, y, n);
}

uint32_t component_rule(int mode, uint32_t x, uint32_t y, uint32_t n) {
  switch (mode) {
    case 1:
      return x;
    case 3:
      return x > y ? x - y : 0;
    case 5:
      return x > y ? x - y : y - x;
    case 7:
      return x + ((y * n) >> 8);
    case 9:
      return 255 - x;
    case 11:
      return (x * y) >> 8;
    case 13:
      return 255 - (((255 - x) * (255 - y)) >> 8);
    default:
      return 0;
  }
}

// Which HSV fields a mode moves: 1 hue, 2 saturation, 4 value.
unsigned hsv_fields(int mode) {
  switch (mode) {
    case 4:
      return 3;
    case 8:
      return 1;
    case 10:
      return 4;
    case 12:
      return 2;
    default:
      return 0;
  }
}

// Every mode but dissolve (6), which needs the generator's state.
uint32_t model_blend(const layout &l, int mode, uint32_t x, uint32_t y, uint32_t n) {
  const rgb a = unpack(l, x);
  const rgb b = unpack(l, y);
  if (mode == 2) {
    const auto add = [n](uint32_t xc, uint32_t yc) { return std::min(255u, yc + ((xc * n) >> 8)); };
    return pack(l, {add(a.r, b.r), add(a.g, b.g), add(a.b, b.b)});
  }
  if (const unsigned fields = hsv_fields(mode)) {
    float h1, s1, v1, h2, s2, v2;
    rgb_to_hsv(int(a.r), int(a.g), int(a.b), &h1, &s1, &v1);
    rgb_to_hsv(int(b.r), int(b.g), int(b.b), &h2, &s2, &v2);
    const float f = static_cast<float>(n);
    if (fields & 1) h1 = h1 + (h2 - h1) * f * 0.003921569f;
    if (fields & 2) s1 = s1 + (s2 - s1) * f * 0.003921569f;
    if (fields & 4) v1 = v1 + (v2 - v1) * f * 0.003921569f;
    int r, g, bl;
    hsv_to_rgb(h1, s1, v1, &r, &g, &bl);
    return pack(l, {uint32_t(r), uint32_t(g), uint32_t(bl)});
  }
  const rgb c = {component_rule(mode, a.r, b.r, n), component_rule(mode, a.g, b.g, n),
                 component_rule(mode, a.b, b.b, n)};
  return model_mix(l, pack(l, c), y, n);
}

// ---- Layouts ---------------------------------------------------------------------------------

// The component layouts the tests run under.
enum class layouts {
  red_low,   // the default: red in the low bits everywhere
  red_high,  // red in the high bits everywhere
  swapped,   // 32 bits red high, 15, 16 and 24 bits red low
  unusual,   // 15-bit green not in the middle, 32-bit green and blue exchanged
};

// Sets the component shifts of 15, 16, 24 and 32 bits: red lowest (the default) or highest.
void use_layouts(bool red_high) {
  if (red_high) {
    red_shift_15 = 10, green_shift_15 = 5, blue_shift_15 = 0;
    red_shift_16 = 11, green_shift_16 = 5, blue_shift_16 = 0;
    red_shift_24 = 16, green_shift_24 = 8, blue_shift_24 = 0;
    red_shift_32 = 16, green_shift_32 = 8, blue_shift_32 = 0;
  } else {
    red_shift_15 = 0, green_shift_15 = 5, blue_shift_15 = 10;
    red_shift_16 = 0, green_shift_16 = 5, blue_shift_16 = 11;
    red_shift_24 = 0, green_shift_24 = 8, blue_shift_24 = 16;
    red_shift_32 = 0, green_shift_32 = 8, blue_shift_32 = 16;
  }
  alpha_shift_32 = 24;
}

void use_layouts(layouts which) {
  use_layouts(which == layouts::red_high || which == layouts::swapped);
  if (which == layouts::swapped) {
    std::swap(red_shift_15, blue_shift_15);
    std::swap(red_shift_16, blue_shift_16);
    std::swap(red_shift_24, blue_shift_24);
  } else if (which == layouts::unusual) {
    red_shift_15 = 5, green_shift_15 = 0;
    green_shift_32 = 16, blue_shift_32 = 8;
  }
}

layout current_layout(int depth) {
  if (depth == 15) return {15, red_shift_15, green_shift_15, blue_shift_15};
  if (depth == 16) return {16, red_shift_16, green_shift_16, blue_shift_16};
  return {24, red_shift_24, green_shift_24, blue_shift_24};
}

uint32_t value_limit(int depth) { return depth == 15 ? 0x7FFF : depth == 16 ? 0xFFFF : 0xFFFFFF; }

void (*const setters[14])(int, int, int, int) = {nullptr,
                                                 select_mix_blend,
                                                 select_add_blend,
                                                 select_subtract_blend,
                                                 select_hue_sat_blend,
                                                 select_difference_blend,
                                                 select_dissolve_blend,
                                                 select_dodge_blend,
                                                 select_hue_blend,
                                                 select_invert_blend,
                                                 select_value_blend,
                                                 select_multiply_blend,
                                                 select_saturation_blend,
                                                 select_screen_blend};

blender_func hook_of(int depth) {
  return depth == 15 ? blend_hook15 : depth == 16 ? blend_hook16 : blend_hook24;
}

class BlendLayoutTest : public ::testing::TestWithParam<layouts> {
 protected:
  void SetUp() override { use_layouts(GetParam()); }
  void TearDown() override { use_layouts(false); }
  unsigned seed(unsigned base) const { return base + 10 * static_cast<unsigned>(GetParam()); }
};

// Every mode except dissolve, at every depth, over random colours and weights (the weights include
// the ends 0, 1, 7, 128, 254 and 255).
TEST_P(BlendLayoutTest, ModesFollowTheirArithmetic) {
  std::mt19937 rng(seed(11));
  const uint32_t weights[] = {0, 1, 6, 7, 8, 127, 128, 200, 254, 255};
  for (int mode = 1; mode <= 13; ++mode) {
    if (mode == 6) continue;
    setters[mode](0, 0, 0, 0);
    EXPECT_EQ(blend_hook32, blend_hook24) << "mode " << mode;
    for (const int depth : {15, 16, 24}) {
      const blender_func hook = hook_of(depth);
      ASSERT_NE(hook, nullptr);
      const layout l = current_layout(depth);
      for (int i = 0; i < 400; ++i) {
        const uint32_t x = rng() & value_limit(depth);
        const uint32_t y = rng() & value_limit(depth);
        const uint32_t n = i < 10 ? weights[i] : rng() & 255;
        ASSERT_EQ(hook(x, y, n), model_blend(l, mode, x, y, n))
            << "mode " << mode << " depth " << depth << " x " << std::hex << x << " y " << y
            << " n " << std::dec << n;
      }
    }
  }
}

// The 32-bit alpha blender and the alpha hooks chosen for the layouts in force agree with the
// arithmetic: the source's components are moved to the destination's layout by the shifts, and
// the source's alpha byte (+1 when not 0) weighs them over the destination.
TEST_P(BlendLayoutTest, AlphaHooksFollowTheSourceAlpha) {
  std::mt19937 rng(seed(21));
  select_alpha_blend();
  EXPECT_EQ(blend_hook15, blender_zero);
  EXPECT_EQ(blend_hook16, blender_zero);
  EXPECT_EQ(blend_hook24, blender_zero);
  for (int i = 0; i < 2000; ++i) {
    uint32_t x = rng();
    if (i % 7 == 0) x &= 0x00FFFFFF;  // alpha 0
    if (i % 7 == 1) x |= 0xFF000000;  // alpha 255
    const uint32_t a = x >> 24;
    const uint32_t n = rng() & 255;  // ignored
    const rgb c = {(x >> red_shift_32) & 255, (x >> green_shift_32) & 255,
                   (x >> blue_shift_32) & 255};
    const uint32_t y24 = rng() & 0xFFFFFF;
    const uint32_t y32 = rng();
    const uint32_t y15 = rng() & 0x7FFF;
    const uint32_t y16 = rng() & 0xFFFF;

    const uint32_t weight = a != 0 ? a + 1 : 0;
    ASSERT_EQ(blend_hook32(x, y32, n), model_mix24_weighted(x, y32, weight))
        << std::hex << x << " " << y32;
    ASSERT_EQ(alpha_hook24(x, y24, n),
              model_mix24_weighted(pack(current_layout(24), c), y24, weight))
        << std::hex << x << " " << y24;
    // 15 and 16 bits: components and alpha reduced, then the packed mix with n = alpha.
    const layout l15 = current_layout(15);
    const layout l16 = current_layout(16);
    const uint32_t c15 = ((c.r >> 3) << l15.rs) | ((c.g >> 3) << l15.gs) | ((c.b >> 3) << l15.bs);
    const uint32_t c16 = ((c.r >> 3) << l16.rs) | ((c.g >> 2) << l16.gs) | ((c.b >> 3) << l16.bs);
    ASSERT_EQ(alpha_hook15(x, y15, n), model_mix(l15, c15, y15, a)) << std::hex << x;
    ASSERT_EQ(alpha_hook16(x, y16, n), model_mix(l16, c16, y16, a)) << std::hex << x;
  }
}

std::string layout_name(const ::testing::TestParamInfo<layouts> &info) {
  switch (info.param) {
    case layouts::red_low:
      return "RedLow";
    case layouts::red_high:
      return "RedHigh";
    case layouts::swapped:
      return "Swapped";
    default:
      return "Unusual";
  }
}

INSTANTIATE_TEST_SUITE_P(Layouts, BlendLayoutTest,
                         ::testing::Values(layouts::red_low, layouts::red_high, layouts::swapped,
                                           layouts::unusual),
                         layout_name);

// ---- The edges of the mix ----------------------------------------------------------------------

// The mix is mode 1, reached through the hooks.
TEST(Mix, WeightZeroKeepsTheDestinationAndFullWeightGivesTheColour) {
  select_mix_blend(0, 0, 0, 0);
  std::mt19937 rng(1);
  for (int i = 0; i < 5000; ++i) {
    const uint32_t c = rng();
    const uint32_t y = rng();
    EXPECT_EQ(blend_hook24(c & 0xFFFFFF, y & 0xFFFFFF, 0), y & 0xFFFFFF);
    EXPECT_EQ(blend_hook32(c, y, 255), c & 0xFFFFFF);
    EXPECT_EQ(blend_hook15(c & 0x7FFF, y & 0x7FFF, 0), y & 0x7FFF);
    EXPECT_EQ(blend_hook15(c & 0x7FFF, y & 0x7FFF, 255), c & 0x7FFF);
    EXPECT_EQ(blend_hook16(c & 0xFFFF, y & 0xFFFF, 0), y & 0xFFFF);
    EXPECT_EQ(blend_hook16(c & 0xFFFF, y & 0xFFFF, 255), c & 0xFFFF);
  }
}

TEST(Mix, FifteenBitWeightsBelowSevenChangeNothing) {
  select_mix_blend(0, 0, 0, 0);
  // (n + 1) >> 3 is 0 for n from 1 to 6; n = 7 is the weight 1 of 32, which takes each field of
  // white one step toward black (31 + floor(-31 / 32) = 30; 63 + floor(-63 / 32) = 61).
  for (uint32_t n = 1; n <= 6; ++n) {
    EXPECT_EQ(blend_hook15(0, 0x7FFF, n), 0x7FFFu) << n;
    EXPECT_EQ(blend_hook16(0, 0xFFFF, n), 0xFFFFu) << n;
  }
  EXPECT_EQ(blend_hook15(0, 0x7FFF, 7), (30u << 10) | (30u << 5) | 30u);
  EXPECT_EQ(blend_hook16(0, 0xFFFF, 7), (30u << 11) | (61u << 5) | 30u);
}

TEST(Mix, HalfWeightLandsBetween) {
  select_mix_blend(0, 0, 0, 0);
  // n = 127: n' = 128, half of each difference.
  EXPECT_EQ(blend_hook24(0x102030, 0x305070, 127), 0x203850u);
  // The destination's green bits ride along in the red-and-blue sum and carry into blue.
  EXPECT_EQ(blend_hook24(0xFF00FF, 0x00FF00, 127), 0x807F7Fu);
}

// ---- Fixed blenders and special cases -----------------------------------------------------------

TEST(FixedBlenders, ZeroAndWriteAlpha) {
  EXPECT_EQ(blender_zero(0xFFFFFFFF, 0x12345678, 255), 0u);
  EXPECT_EQ(blend_write_alpha(0x80, 0x123456, 0), 0x80123456u);
  EXPECT_EQ(blend_write_alpha(0x80, 0xFF123456, 99), 0x80123456u);
}

TEST(FixedBlenders, AddingWhiteToWhiteStaysWhite) {
  select_add_blend(0, 0, 0, 255);
  EXPECT_EQ(blend_hook15(0x7FFF, 0x7FFF, 255), 0x7FFFu);
  EXPECT_EQ(blend_hook16(0xFFFF, 0xFFFF, 255), 0xFFFFu);
  EXPECT_EQ(blend_hook24(0xFFFFFF, 0xFFFFFF, 255), 0xFFFFFFu);
  EXPECT_EQ(blend_hook24(0x000000, 0x102030, 255), 0x102030u);  // adding black
}

TEST(FixedBlenders, DodgeCarriesIntoTheNeighbouringField) {
  use_layouts(false);
  select_dodge_blend(0, 0, 0, 255);
  // Red 255 at bit 0 plus 255 * 255 >> 8: 509, whose ninth bit lands in green.
  EXPECT_EQ(blend_hook24(0x0000FF, 0x0000FF, 255), 0x0001FDu);
}

TEST(FixedBlenders, InvertAtFullWeightInverts) {
  select_invert_blend(0, 0, 0, 0);
  EXPECT_EQ(blend_hook24(0x123456, 0xABCDEF, 255), 0xEDCBA9u);
}

// Recovers the generator's seed from three consecutive outputs: only the low 16 bits are unknown.
std::vector<uint32_t> seeds_matching(uint32_t v1, uint32_t v2, uint32_t v3) {
  std::vector<uint32_t> seeds;
  for (uint32_t low = 0; low < 65536; ++low) {
    const uint32_t s1 = (v1 << 16) | low;
    const uint32_t s2 = s1 * 0x41C64E6Du + 0x41C67EA6u;
    const uint32_t s3 = s2 * 0x41C64E6Du + 0x41C67EA6u;
    if ((s2 >> 16) == v2 && (s3 >> 16) == v3) seeds.push_back(s3);
  }
  return seeds;
}

TEST(Dissolve, GeneratorStartsFromZero) {
  // A process of its own: no other call has advanced the seed.
  const uint32_t s1 = 0x41C67EA6u;
  const uint32_t s2 = s1 * 0x41C64E6Du + 0x41C67EA6u;
  EXPECT_EQ(blender_random(), s1 >> 16);
  EXPECT_EQ(blender_random(), s2 >> 16);
}

TEST(Dissolve, PicksTheSourceWhenTheWeightBeatsTheRandomByte) {
  const uint32_t v1 = blender_random();
  const uint32_t v2 = blender_random();
  const uint32_t v3 = blender_random();
  const std::vector<uint32_t> seeds = seeds_matching(v1, v2, v3);
  ASSERT_EQ(seeds.size(), 1u) << "outputs that no seed of the rule explains";
  uint32_t seed = seeds[0];
  select_dissolve_blend(0, 0, 0, 0);
  std::mt19937 rng(9);
  int chosen = 0;
  for (int i = 0; i < 2000; ++i) {
    const uint32_t n = rng() & 255;
    const uint32_t x = 0x111111;
    const uint32_t y = 0x222222;
    uint32_t expected = x;
    if (n != 255) {
      seed = seed * 0x41C64E6Du + 0x41C67EA6u;
      expected = n > ((seed >> 16) & 255) ? x : y;
    }
    const blender_func hook = i % 3 == 0 ? blend_hook15 : i % 3 == 1 ? blend_hook16 : blend_hook24;
    ASSERT_EQ(hook(x, y, n), expected) << "call " << i << " n " << n;
    chosen += expected == x;
  }
  EXPECT_GT(chosen, 500);
  EXPECT_LT(chosen, 1500);
  // Weight 255 always takes the source, weight 0 never.
  for (int i = 0; i < 300; ++i) {
    EXPECT_EQ(blend_hook24(1, 2, 255), 1u);
    EXPECT_EQ(blend_hook24(1, 2, 0), 2u);
  }
}

// ---- Setters ----------------------------------------------------------------------------------

uint32_t test_blender(uint32_t x, uint32_t, uint32_t) { return x; }
uint32_t other_blender(uint32_t, uint32_t y, uint32_t) { return y; }

TEST(BlendSetters, SetBlendHooksFillsEveryHookAndPacksTheColour) {
  use_layouts(false);
  set_blend_hooks(test_blender, other_blender, test_blender, 0xF8, 0xFC, 0x08, 77);
  EXPECT_EQ(blend_hook15, test_blender);
  EXPECT_EQ(blend_hook16, other_blender);
  EXPECT_EQ(blend_hook24, test_blender);
  EXPECT_EQ(blend_hook32, test_blender);
  EXPECT_EQ(alpha_hook15, blender_zero);
  EXPECT_EQ(alpha_hook16, blender_zero);
  EXPECT_EQ(alpha_hook24, blender_zero);
  EXPECT_EQ(blend_weight, 77);
  EXPECT_EQ(blend_color15, (0x1Fu << 0) | (0x1Fu << 5) | (0x01u << 10));
  EXPECT_EQ(blend_color16, (0x1Fu << 0) | (0x3Fu << 5) | (0x01u << 11));
  EXPECT_EQ(blend_color24, 0x08FCF8u);
  EXPECT_EQ(blend_color32, 0x08FCF8u);

  use_layouts(true);
  set_blend_hooks_ex(test_blender, test_blender, other_blender, other_blender, test_blender,
                     other_blender, test_blender, 0x10, 0x20, 0x30, 5);
  EXPECT_EQ(blend_hook24, other_blender);
  EXPECT_EQ(blend_hook32, other_blender);
  EXPECT_EQ(alpha_hook15, test_blender);
  EXPECT_EQ(alpha_hook16, other_blender);
  EXPECT_EQ(alpha_hook24, test_blender);
  EXPECT_EQ(blend_color24, 0x102030u);
  EXPECT_EQ(blend_color15, (0x02u << 10) | (0x04u << 5) | 0x06u);
  EXPECT_EQ(blend_weight, 5);
  use_layouts(false);
}

struct driver_calls {
  int count = 0;
  int mode = -1, r = -1, g = -1, b = -1, a = -1;
};
driver_calls calls;

void count_blender_change(int mode, int r, int g, int b, int a) {
  ++calls.count;
  calls = {calls.count, mode, r, g, b, a};
}

TEST(BlendSetters, ModeSettersTellTheDriverTheirNumber) {
  gfx_driver driver{};
  driver.blender_changed = count_blender_change;
  current_gfx_driver = &driver;
  set_draw_mode(MODE_XOR, nullptr, 0, 0);
  for (int mode = 1; mode <= 13; ++mode) {
    calls = {};
    setters[mode](10 + mode, 20, 30, 40 + mode);
    EXPECT_EQ(calls.count, 1);
    EXPECT_EQ(calls.mode, mode);
    EXPECT_EQ(calls.r, 10 + mode);
    EXPECT_EQ(calls.a, 40 + mode);
    EXPECT_EQ(blend_weight, 40 + mode);
    EXPECT_EQ(blend_hook32, blend_hook24);
  }
  EXPECT_EQ(draw_mode, MODE_XOR);  // a blend mode never changes the drawing mode

  calls = {};
  select_alpha_blend();
  EXPECT_EQ(calls.count, 1);
  EXPECT_EQ(calls.mode, 14);
  EXPECT_EQ(calls.r + calls.g + calls.b + calls.a, 0);

  calls = {};
  select_write_alpha_blend();
  EXPECT_EQ(calls.count, 0);
  EXPECT_EQ(blend_hook32, blend_write_alpha);
  EXPECT_EQ(blend_hook24, blender_zero);
  EXPECT_EQ(alpha_hook15, blender_zero);
  EXPECT_EQ(blend_weight, 0);

  current_gfx_driver = nullptr;
  set_draw_mode(MODE_SOLID, nullptr, 0, 0);
  // Without a driver the setters still install their hooks.
  use_layouts(false);
  select_screen_blend(0, 0, 0, 9);
  EXPECT_EQ(blend_hook24(0x204060, 0x806040, 9),
            model_blend(current_layout(24), 13, 0x204060, 0x806040, 9));
}

}  // namespace
