// Plain 8-bit string helpers used where text is bytes rather than encoded characters.
#include <cstring>

#include "corvane/system.h"
#include "corvane/text.h"

extern "C" {

int ascii_icompare(const char *s1, const char *s2) noexcept {
  const auto *a = reinterpret_cast<const unsigned char *>(s1);
  const auto *b = reinterpret_cast<const unsigned char *>(s2);
  for (;; ++a, ++b) {
    const int ca = char_to_lower(*a);
    const int cb = char_to_lower(*b);
    if (ca != cb) return ca - cb;
    if (*a == 0) return 0;
  }
}

char *ascii_copy(char *dest, const char *src, size_t size) noexcept {
  if (dest == nullptr || size == 0) return dest;
  size_t n = 0;
  if (src != nullptr) {
    while (n + 1 < size && src[n] != 0) ++n;
    std::memcpy(dest, src, n);
  }
  dest[n] = 0;
  return dest;
}

}  // extern "C"
