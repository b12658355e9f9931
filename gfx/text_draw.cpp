// Drawing text: at a position, right-aligned, centred, justified between two columns, and the
// formatted and legacy variants of each.
#include <cstdarg>
#include <cstdint>
#include <cstdlib>

#include "core/internal.h"
#include "corvane/font.h"
#include "corvane/text.h"
#include "gfx/font_internal.h"

namespace corvane {
namespace {

// Formatted text is cut to this many bytes, terminator included.
constexpr int FORMAT_BUFFER_SIZE = 512;
// At most this many words are spread by draw_text_justified.
constexpr int MAX_JUSTIFIED_WORDS = 128;

void render(bitmap *bmp, const font *f, const char *text, int x, int y, int color,
            int background) noexcept {
  if (bmp == nullptr || f == nullptr || text == nullptr || f->font_ops == nullptr ||
      f->font_ops->render == nullptr) {
    return;
  }
  f->font_ops->render(f, text, color, background, bmp, x, y);
}

// x moved left by an amount, kept within the int range.
int moved_left(int x, int amount) noexcept {
  const int64_t value = int64_t{x} - amount;
  if (value < INT32_MIN) return INT32_MIN;
  if (value > INT32_MAX) return INT32_MAX;
  return static_cast<int>(value);
}

void draw_justified(bitmap *bmp, const font *f, const char *text, int x1, int x2, int y,
                    int largest_gap, int color, int background) noexcept {
  if (bmp == nullptr || f == nullptr || text == nullptr) return;
  char *copy = text_duplicate(text, nullptr);
  if (copy == nullptr) {
    // Without memory for the words the text is still drawn, unjustified.
    render(bmp, f, text, x1, y, color, background);
    return;
  }
  char separator_buffer[16];
  const char *separators = literal(" \t\n\r", separator_buffer, sizeof separator_buffer);

  const char *words[MAX_JUSTIFIED_WORDS];
  int widths[MAX_JUSTIFIED_WORDS];
  int count = 0;
  int64_t total = 0;
  char *position = nullptr;
  for (char *word = text_tokenize(copy, separators, &position);
       word != nullptr && count < MAX_JUSTIFIED_WORDS;
       word = text_tokenize(nullptr, separators, &position)) {
    words[count] = word;
    widths[count] = text_width(f, word);
    total += widths[count];
    ++count;
  }

  const int64_t gap = (int64_t{x2} - x1) - total;
  if (gap > 0 && gap <= largest_gap && count >= 2) {
    const float space = static_cast<float>(gap) / static_cast<float>(count - 1);
    float x = static_cast<float>(x1);
    for (int i = 0; i < count; ++i) {
      render(bmp, f, words[i], static_cast<int>(x), y, color, background);
      x += space + static_cast<float>(widths[i]);
    }
  } else {
    render(bmp, f, text, x1, y, color, background);
  }
  std::free(copy);
}

// Formats into buffer; an empty text when there is no format.
void format_into(char (&buffer)[FORMAT_BUFFER_SIZE], const char *format, va_list args) noexcept {
  buffer[0] = 0;
  if (format != nullptr) vformat_text(buffer, FORMAT_BUFFER_SIZE, format, args);
}

}  // namespace
}  // namespace corvane

extern "C" {

void draw_text(bitmap *bmp, const font *f, const char *text, int x, int y, int color,
               int background) noexcept {
  corvane::render(bmp, f, text, x, y, color, background);
}

void draw_text_right(bitmap *bmp, const font *f, const char *text, int x, int y, int color,
                     int background) noexcept {
  corvane::render(bmp, f, text, corvane::moved_left(x, text_width(f, text)), y, color, background);
}

void draw_text_centred(bitmap *bmp, const font *f, const char *text, int x, int y, int color,
                       int background) noexcept {
  corvane::render(bmp, f, text, corvane::moved_left(x, text_width(f, text) / 2), y, color,
                  background);
}

void draw_text_justified(bitmap *bmp, const font *f, const char *text, int x1, int x2, int y,
                         int largest_gap, int color, int background) noexcept {
  corvane::draw_justified(bmp, f, text, x1, x2, y, largest_gap, color, background);
}

void draw_textf(bitmap *bmp, const font *f, int x, int y, int color, int background,
                const char *format, ...) noexcept {
  char text[corvane::FORMAT_BUFFER_SIZE];
  va_list args;
  va_start(args, format);
  corvane::format_into(text, format, args);
  va_end(args);
  draw_text(bmp, f, text, x, y, color, background);
}

void draw_textf_right(bitmap *bmp, const font *f, int x, int y, int color, int background,
                      const char *format, ...) noexcept {
  char text[corvane::FORMAT_BUFFER_SIZE];
  va_list args;
  va_start(args, format);
  corvane::format_into(text, format, args);
  va_end(args);
  draw_text_right(bmp, f, text, x, y, color, background);
}

void draw_textf_centred(bitmap *bmp, const font *f, int x, int y, int color, int background,
                        const char *format, ...) noexcept {
  char text[corvane::FORMAT_BUFFER_SIZE];
  va_list args;
  va_start(args, format);
  corvane::format_into(text, format, args);
  va_end(args);
  draw_text_centred(bmp, f, text, x, y, color, background);
}

void draw_textf_justified(bitmap *bmp, const font *f, int x1, int x2, int y, int largest_gap,
                          int color, int background, const char *format, ...) noexcept {
  char text[corvane::FORMAT_BUFFER_SIZE];
  va_list args;
  va_start(args, format);
  corvane::format_into(text, format, args);
  va_end(args);
  draw_text_justified(bmp, f, text, x1, x2, y, largest_gap, color, background);
}

void draw_textf_legacy(bitmap *bmp, const font *f, int x, int y, int color, const char *format,
                       ...) noexcept {
  char text[corvane::FORMAT_BUFFER_SIZE];
  va_list args;
  va_start(args, format);
  corvane::format_into(text, format, args);
  va_end(args);
  draw_text(bmp, f, text, x, y, color, legacy_text_background);
}

void draw_textf_right_legacy(bitmap *bmp, const font *f, int x, int y, int color,
                             const char *format, ...) noexcept {
  char text[corvane::FORMAT_BUFFER_SIZE];
  va_list args;
  va_start(args, format);
  corvane::format_into(text, format, args);
  va_end(args);
  draw_text_right(bmp, f, text, x, y, color, legacy_text_background);
}

void draw_textf_centred_legacy(bitmap *bmp, const font *f, int x, int y, int color,
                               const char *format, ...) noexcept {
  char text[corvane::FORMAT_BUFFER_SIZE];
  va_list args;
  va_start(args, format);
  corvane::format_into(text, format, args);
  va_end(args);
  draw_text_centred(bmp, f, text, x, y, color, legacy_text_background);
}

void draw_textf_justified_legacy(bitmap *bmp, const font *f, int x1, int x2, int y, int largest_gap,
                                 int color, const char *format, ...) noexcept {
  char text[corvane::FORMAT_BUFFER_SIZE];
  va_list args;
  va_start(args, format);
  corvane::format_into(text, format, args);
  va_end(args);
  draw_text_justified(bmp, f, text, x1, x2, y, largest_gap, color, legacy_text_background);
}

}  // extern "C"
