// Internal interface of the fonts: glyph lookup with the replacement character, and the range
// operations written once over the kind of range (monochrome glyph records or glyph bitmaps).
#ifndef CORVANE_GFX_FONT_INTERNAL_H
#define CORVANE_GFX_FONT_INTERNAL_H

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <new>

#include "corvane/bitmap.h"
#include "corvane/font.h"

namespace corvane {

// The code point whose glyph stands in for missing ones: '^'.
inline constexpr int MISSING_GLYPH = 0x5E;

// The built-in font: its destroy operation must leave it alone.
bool is_built_in_font(const font *f) noexcept;

// The font's draw position after an advance, or false when it would leave the int range (the
// rest of the text is then off any bitmap).
inline bool advance_position(int &x, int advance) noexcept {
  const int64_t next = int64_t{x} + advance;
  if (next > INT_MAX || next < INT_MIN) return false;
  x = static_cast<int>(next);
  return true;
}

// y + (font height - glyph height) / 2: the top of a glyph centred in the line; false when it
// leaves the int range.
inline bool centred_glyph_top(int y, int font_height, int glyph_height, int &top) noexcept {
  const int64_t value = int64_t{y} + (int64_t{font_height} - glyph_height) / 2;
  if (value > INT_MAX || value < INT_MIN) return false;
  top = static_cast<int>(value);
  return true;
}

// Calls the bitmap's acquire and release around a group of drawing calls.
class acquired_bitmap {
 public:
  explicit acquired_bitmap(bitmap *bmp) noexcept : bmp_(bmp) {
    if (bmp_ != nullptr && bmp_->vtable != nullptr && bmp_->vtable->acquire != nullptr)
      bmp_->vtable->acquire(bmp_);
  }
  ~acquired_bitmap() {
    if (bmp_ != nullptr && bmp_->vtable != nullptr && bmp_->vtable->release != nullptr)
      bmp_->vtable->release(bmp_);
  }
  acquired_bitmap(const acquired_bitmap &) = delete;
  acquired_bitmap &operator=(const acquired_bitmap &) = delete;

 private:
  bitmap *bmp_;
};

// Draws text with the font's render_char, one character after the other, inside one acquire of
// the bitmap (the render operation of every kind).
void render_text(const font *f, const char *text, int color, int background, bitmap *bmp, int x,
                 int y) noexcept;

// Sum of the font's char_length over the text, kept within the int range.
int measure_text(const font *f, const char *text) noexcept;

// Fills width x height pixels from (x, y) with a colour (fill_rect, or a run of lines when the
// table has none); an empty rectangle draws nothing.
void fill_text_background(bitmap *bmp, int x, int y, int width, int height, int color) noexcept;

// ---- Ranges, written once for both kinds -------------------------------------------------------
//
// Kind is a small policy type: the range type, its glyph type, and copy and free operations for
// one glyph (copy returns null when memory is short; a null glyph copies as null).

template <class Kind>
typename Kind::range *first_range(const font *f) noexcept {
  return f != nullptr ? static_cast<typename Kind::range *>(f->ranges) : nullptr;
}

// The glyph of a code point: the first range holding it; else the replacement character's; else
// null. An empty slot in a range counts as missing.
template <class Kind>
typename Kind::glyph *find_glyph(const font *f, int code_point) noexcept {
  for (int attempt = 0; attempt < 2; ++attempt) {
    for (auto *r = first_range<Kind>(f); r != nullptr; r = r->next) {
      if (code_point >= r->first && code_point < r->last_plus_one) {
        auto *glyph = r->glyphs[code_point - r->first];
        if (glyph != nullptr) return glyph;
        break;
      }
    }
    code_point = MISSING_GLYPH;
  }
  return nullptr;
}

template <class Kind>
int count_ranges(const font *f) noexcept {
  int count = 0;
  for (auto *r = first_range<Kind>(f); r != nullptr; r = r->next) ++count;
  return count > 0 ? count : -1;
}

template <class Kind>
typename Kind::range *range_at(const font *f, int index) noexcept {
  if (index < 0) return nullptr;
  auto *r = first_range<Kind>(f);
  for (; r != nullptr && index > 0; r = r->next) --index;
  return r;
}

template <class Kind>
int range_begin(const font *f, int index) noexcept {
  auto *r = index == -1 ? first_range<Kind>(f) : range_at<Kind>(f, index);
  return r != nullptr ? r->first : -1;
}

template <class Kind>
int range_end(const font *f, int index) noexcept {
  typename Kind::range *r = nullptr;
  if (index == -1) {
    for (auto *it = first_range<Kind>(f); it != nullptr; it = it->next) r = it;
  } else {
    r = range_at<Kind>(f, index);
  }
  return r != nullptr ? r->last_plus_one - 1 : -1;
}

template <class Kind>
int transpose(font *f, int offset) noexcept {
  if (f == nullptr) return -1;
  // Checked first, so that a font is moved completely or not at all.
  for (auto *r = first_range<Kind>(f); r != nullptr; r = r->next) {
    const int64_t first = int64_t{r->first} + offset;
    const int64_t end = int64_t{r->last_plus_one} + offset;
    if (first < INT_MIN || end > INT_MAX) return -1;
  }
  for (auto *r = first_range<Kind>(f); r != nullptr; r = r->next) {
    r->first += offset;
    r->last_plus_one += offset;
  }
  return 0;
}

// Frees one range with its glyphs.
template <class Kind>
void free_range(typename Kind::range *r) noexcept {
  if (r == nullptr) return;
  if (r->glyphs != nullptr) {
    const int64_t count = int64_t{r->last_plus_one} - r->first;
    for (int64_t i = 0; i < count; ++i) Kind::free_glyph(r->glyphs[i]);
  }
  std::free(r->glyphs);
  std::free(r);
}

template <class Kind>
void free_ranges(typename Kind::range *r) noexcept {
  while (r != nullptr) {
    auto *next = r->next;
    free_range<Kind>(r);
    r = next;
  }
}

template <class Kind>
void destroy(font *f) noexcept {
  if (f == nullptr || is_built_in_font(f)) return;
  free_ranges<Kind>(first_range<Kind>(f));
  std::free(f);
}

// A new range holding copies of the glyphs of code points first to last (inclusive) of source;
// null when memory is short.
template <class Kind>
typename Kind::range *copy_range(const typename Kind::range *source, int first, int last) noexcept {
  using range = typename Kind::range;
  using glyph = typename Kind::glyph;
  auto *r = static_cast<range *>(std::calloc(1, sizeof(range)));
  if (r == nullptr) return nullptr;
  const int64_t count64 = int64_t{last} - first + 1;
  const auto count = static_cast<size_t>(count64 > 0 ? count64 : 0);
  r->first = first;
  r->last_plus_one = first + static_cast<int>(count);
  r->glyphs = static_cast<glyph **>(std::calloc(count > 0 ? count : 1, sizeof(glyph *)));
  if (r->glyphs == nullptr) {
    std::free(r);
    return nullptr;
  }
  for (size_t i = 0; i < count; ++i) {
    const glyph *g = source->glyphs[static_cast<size_t>(first - source->first) + i];
    if (g == nullptr) continue;
    r->glyphs[i] = Kind::copy_glyph(g);
    if (r->glyphs[i] == nullptr) {
      free_range<Kind>(r);
      return nullptr;
    }
  }
  return r;
}

// A new, empty font record like f (same height and operations).
inline font *new_font_like(const font *f, int height) noexcept {
  auto *result = static_cast<font *>(std::calloc(1, sizeof(font)));
  if (result == nullptr) return nullptr;
  result->height = height;
  result->font_ops = f->font_ops;
  return result;
}

template <class Kind>
font *extract_range(const font *f, int first, int last) noexcept {
  if (f == nullptr) return nullptr;
  auto *head = first_range<Kind>(f);
  font *result = new_font_like(f, f->height);
  if (result == nullptr || head == nullptr) return result;

  int font_first = head->first;
  int font_last = head->last_plus_one - 1;
  for (auto *r = head; r != nullptr; r = r->next) {
    if (r->first < font_first) font_first = r->first;
    if (r->last_plus_one - 1 > font_last) font_last = r->last_plus_one - 1;
  }
  if (first == -1 || first < font_first) first = font_first;
  if (last == -1 || last > font_last) last = font_last;
  if (first > last) return result;

  typename Kind::range *ranges = nullptr;
  typename Kind::range **tail = &ranges;
  for (auto *r = head; r != nullptr; r = r->next) {
    const int r_last = r->last_plus_one - 1;
    if (r->last_plus_one <= r->first || r->first > last || r_last < first) continue;
    auto *copy =
        copy_range<Kind>(r, r->first > first ? r->first : first, r_last < last ? r_last : last);
    if (copy == nullptr) {
      free_ranges<Kind>(ranges);
      std::free(result);
      return nullptr;
    }
    *tail = copy;
    tail = &copy->next;
  }
  result->ranges = ranges;
  return result;
}

// Copies of the ranges of a and b in one list, ordered by first code point (a's first on ties).
template <class Kind>
font *merge(const font *a, const font *b) noexcept {
  using range = typename Kind::range;
  if (a == nullptr || b == nullptr) return nullptr;
  font *result = new_font_like(a, a->height > b->height ? a->height : b->height);
  if (result == nullptr) return nullptr;
  range *ranges = nullptr;
  for (const font *source : {a, b}) {
    for (auto *r = first_range<Kind>(source); r != nullptr; r = r->next) {
      if (r->last_plus_one <= r->first) continue;
      range *copy = copy_range<Kind>(r, r->first, r->last_plus_one - 1);
      if (copy == nullptr) {
        free_ranges<Kind>(ranges);
        std::free(result);
        return nullptr;
      }
      // Behind every range that does not start later.
      range **at = &ranges;
      while (*at != nullptr && (*at)->first <= copy->first) at = &(*at)->next;
      copy->next = *at;
      *at = copy;
    }
  }
  result->ranges = ranges;
  return result;
}

}  // namespace corvane

#endif  // CORVANE_GFX_FONT_INTERNAL_H
