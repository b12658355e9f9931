// Splitting a string into tokens separated by any of a set of delimiter characters, in place:
// each delimiter that ends a token is replaced by the terminator, so a delimiter wider than the
// terminator shrinks the string.
#include "text/encoding_internal.h"

extern "C" {

char *text_tokenize(char *s, const char *set, char **position) noexcept {
  if (position == nullptr) return nullptr;
  if (s == nullptr) s = *position;
  if (s == nullptr) return nullptr;

  char *p = s;
  for (;;) {
    char *start = p;
    const int c = current_next_char_writable(&p);
    if (c == 0) {
      *position = nullptr;
      return nullptr;
    }
    if (!corvane::set_contains(set, c)) {
      p = start;
      break;
    }
  }

  char *token = p;
  for (;;) {
    char *start = p;
    const int c = current_next_char_writable(&p);
    if (c == 0) {
      *position = nullptr;
      return token;
    }
    if (corvane::set_contains(set, c)) {
      const int width = corvane::replace_character(start, static_cast<int>(p - start), 0);
      *position = start + width;
      return token;
    }
  }
}

}  // extern "C"
