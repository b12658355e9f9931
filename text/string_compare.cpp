// Comparing strings of the current encoding code point by code point, exactly or through
// char_to_lower, over the whole strings or at most n characters.
#include <climits>

#include "text/encoding_internal.h"

namespace corvane {
namespace {

int same_case(int c) noexcept { return c; }

// Compares at most limit characters, each through fold; returns the difference of the first
// unequal pair.
int compare_characters(const char *s1, const char *s2, int limit, int (*fold)(int)) noexcept {
  if (s1 == nullptr) s1 = empty_text;
  if (s2 == nullptr) s2 = empty_text;
  const char *a = s1;
  const char *b = s2;
  if (fold == same_case && reads_ascii_as_bytes(current_next_char)) {
    // Equal bytes below 0x80 are equal whole characters.
    while (limit > 0 && *a == *b && *a != 0 && static_cast<unsigned char>(*a) < 0x80) {
      ++a;
      ++b;
      --limit;
    }
  }
  for (; limit > 0; --limit) {
    const int c1 = fold(current_next_char(&a));
    const int c2 = fold(current_next_char(&b));
    if (c1 != c2) return code_point_difference(c1, c2);
    if (c1 == 0) return 0;
  }
  return 0;
}

int lower_case(int c) noexcept { return char_to_lower(c); }

}  // namespace
}  // namespace corvane

extern "C" {

int text_compare(const char *s1, const char *s2) noexcept {
  return corvane::compare_characters(s1, s2, INT_MAX, corvane::same_case);
}

int text_ncompare(const char *s1, const char *s2, int n) noexcept {
  return corvane::compare_characters(s1, s2, n, corvane::same_case);
}

int text_icompare(const char *s1, const char *s2) noexcept {
  return corvane::compare_characters(s1, s2, INT_MAX, corvane::lower_case);
}

int text_nicompare(const char *s1, const char *s2, int n) noexcept {
  return corvane::compare_characters(s1, s2, n, corvane::lower_case);
}

}  // extern "C"
