// Searching strings of the current encoding for a character, a substring or any of a set of
// characters. Results point into the searched string.
#include "text/encoding_internal.h"

extern "C" {

char *text_find_char(const char *s, int c) noexcept {
  if (s == nullptr) return nullptr;
  const char *p = s;
  for (;;) {
    const char *start = p;
    const int found = current_next_char(&p);
    if (found == c) return const_cast<char *>(start);
    if (found == 0) return nullptr;
  }
}

char *text_find_last_char(const char *s, int c) noexcept {
  if (s == nullptr || c == 0) return nullptr;
  const char *last = nullptr;
  const char *p = s;
  for (;;) {
    const char *start = p;
    const int found = current_next_char(&p);
    if (found == 0) return const_cast<char *>(last);
    if (found == c) last = start;
  }
}

char *text_find(const char *s, const char *needle) noexcept {
  if (s == nullptr || needle == nullptr) return nullptr;
  const int needle_length = text_length(needle);
  const char *p = s;
  for (;;) {
    const char *start = p;
    if (current_next_char(&p) == 0) return nullptr;
    if (text_ncompare(start, needle, needle_length) == 0) return const_cast<char *>(start);
  }
}

char *text_find_any(const char *s, const char *set) noexcept {
  if (s == nullptr) return nullptr;
  const char *p = s;
  for (;;) {
    const char *start = p;
    const int c = current_next_char(&p);
    if (c == 0) return nullptr;
    if (corvane::set_contains(set, c)) return const_cast<char *>(start);
  }
}

}  // extern "C"
