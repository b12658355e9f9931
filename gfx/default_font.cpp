// The built-in 8x8 font. Its glyphs are kept as pictures in default_font_glyphs.inc and packed
// into glyph records while compiling: a row that is not eight '#' or '.' characters, a glyph out
// of order or a changed 'A' stops the build.
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "corvane/font.h"
#include "gfx/font_internal.h"

namespace corvane {
namespace {

constexpr int GLYPH_SIZE = 8;

struct glyph_picture {
  int code_point;
  std::array<const char *, GLYPH_SIZE> rows;
};

constexpr glyph_picture pictures[] = {
#define CORVANE_GLYPH(code_point, r0, r1, r2, r3, r4, r5, r6, r7) \
  {code_point, {r0, r1, r2, r3, r4, r5, r6, r7}},
#include "gfx/default_font_glyphs.inc"
#undef CORVANE_GLYPH
};

// The four ranges: first code point and number of glyphs.
struct range_span {
  int first;
  int count;
};
constexpr std::array<range_span, 4> spans = {{{0x20, 96}, {0xA1, 95}, {0x100, 128}, {0x20AC, 1}}};

constexpr size_t GLYPH_COUNT = 96 + 95 + 128 + 1;
static_assert(std::size(pictures) == GLYPH_COUNT, "the font holds 320 glyphs");

// The code point that picture i must have.
consteval bool pictures_in_order() {
  size_t i = 0;
  for (const range_span &span : spans) {
    for (int k = 0; k < span.count; ++k, ++i) {
      if (pictures[i].code_point != span.first + k) return false;
    }
  }
  return i == GLYPH_COUNT;
}
static_assert(pictures_in_order(), "glyph pictures follow the four ranges in order");

// A packed glyph in the layout of mono_glyph with its eight rows. The glyph records are kept in a
// union with mono_glyph, so that the ranges can point at them as glyph records: the two share
// their size fields, and the rows are read as bytes.
struct packed_glyph {
  int16_t glyph_width;
  int16_t glyph_height;
  unsigned char rows[GLYPH_SIZE];
};
static_assert(offsetof(packed_glyph, glyph_width) == offsetof(mono_glyph, glyph_width));
static_assert(offsetof(packed_glyph, glyph_height) == offsetof(mono_glyph, glyph_height));
static_assert(offsetof(packed_glyph, rows) == offsetof(mono_glyph, data));

union glyph_record {
  packed_glyph packed;
  mono_glyph record;
};

consteval unsigned char pack_row(const char *row) {
  unsigned int bits = 0;
  for (int i = 0; i < GLYPH_SIZE; ++i) {
    if (row[i] == '#') {
      bits |= 0x80u >> i;
    } else if (row[i] != '.') {
      throw "a glyph row holds eight '#' or '.' characters";
    }
  }
  if (row[GLYPH_SIZE] != 0) throw "a glyph row is eight pixels wide";
  return static_cast<unsigned char>(bits);
}

consteval std::array<glyph_record, GLYPH_COUNT> pack_glyphs() {
  std::array<glyph_record, GLYPH_COUNT> packed{};
  for (size_t i = 0; i < GLYPH_COUNT; ++i) {
    packed[i].packed.glyph_width = GLYPH_SIZE;
    packed[i].packed.glyph_height = GLYPH_SIZE;
    for (int r = 0; r < GLYPH_SIZE; ++r) packed[i].packed.rows[r] = pack_row(pictures[i].rows[r]);
  }
  return packed;
}

constexpr std::array<glyph_record, GLYPH_COUNT> packed_glyphs = pack_glyphs();

consteval bool capital_a_is_unchanged() {
  constexpr unsigned char expected[GLYPH_SIZE] = {0x30, 0x78, 0xCC, 0xCC, 0xFC, 0xCC, 0xCC, 0x00};
  const packed_glyph &a = packed_glyphs['A' - 0x20].packed;
  for (int r = 0; r < GLYPH_SIZE; ++r) {
    if (a.rows[r] != expected[r]) return false;
  }
  return true;
}
static_assert(capital_a_is_unchanged(), "'A' keeps its published pattern");

// The glyph records as the ranges see them, set up while compiling. Nothing writes through them.
template <size_t... I>
consteval std::array<mono_glyph *, GLYPH_COUNT> glyph_pointers(std::index_sequence<I...>) {
  return {const_cast<mono_glyph *>(&packed_glyphs[I].record)...};
}
constinit std::array<mono_glyph *, GLYPH_COUNT> glyphs =
    glyph_pointers(std::make_index_sequence<GLYPH_COUNT>{});

mono_range euro_range = {0x20AC, 0x20AD, &glyphs[96 + 95 + 128], nullptr};
mono_range latin_extended_a_range = {0x100, 0x180, &glyphs[96 + 95], &euro_range};
mono_range latin1_range = {0xA1, 0x100, &glyphs[96], &latin_extended_a_range};
mono_range ascii_range = {0x20, 0x80, &glyphs[0], &latin1_range};

font built_in_font = {&ascii_range, GLYPH_SIZE, &mono_font_ops};

}  // namespace

bool is_built_in_font(const font *f) noexcept { return f == &built_in_font; }

}  // namespace corvane

extern "C" {

font *default_font = &corvane::built_in_font;

}  // extern "C"
