// Changing the case of a string in place, character by character; a character whose mapping has
// another width in the current encoding moves the rest of the string.
#include "text/encoding_internal.h"

namespace corvane {
namespace {

char *map_in_place(char *s, int (*mapping)(int)) noexcept {
  if (s == nullptr) return s;
  char *p = s;
  for (;;) {
    char *start = p;
    const int c = current_next_char_writable(&p);
    if (c == 0) break;
    const int mapped = mapping(c);
    if (mapped != c) {
      p = start + replace_character(start, static_cast<int>(p - start), mapped);
    }
  }
  return s;
}

}  // namespace
}  // namespace corvane

extern "C" {

char *text_lower(char *s) noexcept { return corvane::map_in_place(s, char_to_lower); }

char *text_upper(char *s) noexcept { return corvane::map_in_place(s, char_to_upper); }

}  // extern "C"
