// Bounded copies of strings in the current encoding: copy, concatenation, their counted forms and
// duplication. Only whole characters are copied and the result is terminated, except where
// text_ncopy is asked for no limit (it then behaves like strncpy).
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "corvane/system.h"
#include "text/encoding_internal.h"

namespace corvane {
namespace {

// Copies characters from src while they fit into room bytes and fewer than limit have been
// copied. Returns the bytes written; copied receives the number of characters.
int copy_characters(const char *src, char *dest, int room, int limit, int &copied) noexcept {
  const bool byte_runs = reads_ascii_as_bytes(current_next_char) && current_writes_ascii_as_bytes();
  // In ASCII8 every byte but 0 copies as itself; elsewhere only the bytes below 0x80 do.
  const unsigned run_limit = current_is_ascii8() ? 0x100u : 0x80u;
  int position = 0;
  copied = 0;
  const char *p = src;
  while (copied < limit) {
    const unsigned lead = static_cast<unsigned char>(*p);
    if (byte_runs && lead != 0 && lead < run_limit) {
      const auto reach = static_cast<std::size_t>(std::min(room, limit - copied));
      const std::size_t readable = strnlen(p, reach);
      std::size_t run = readable;
      if (run_limit == 0x80u) {
        run = copy_ascii_prefix(dest + position, p, readable);
      } else {
        std::memmove(dest + position, p, readable);
      }
      if (run > 0) {
        p += run;
        position += static_cast<int>(run);
        room -= static_cast<int>(run);
        copied += static_cast<int>(run);
        continue;
      }
    }
    const int c = current_next_char(&p);
    if (c == 0) break;
    const int width = current_code_width(c);
    if (width > room) break;
    room -= width;
    position += current_put_char(dest + position, c);
    ++copied;
  }
  return position;
}

// Zeroes a buffer too small for a whole terminator, so that it holds no stale text.
void clear_small_buffer(char *dest, int size) noexcept {
  std::memset(dest, 0, static_cast<std::size_t>(size));
}

}  // namespace
}  // namespace corvane

extern "C" {

char *text_copy(char *dest, int size, const char *src) noexcept {
  if (dest == nullptr || size <= 0) return dest;
  if (src == nullptr) src = corvane::empty_text;
  const int terminator_width = current_code_width(0);
  if (size < terminator_width) {
    corvane::clear_small_buffer(dest, size);
    return dest;
  }
  int copied = 0;
  const int written = corvane::copy_characters(src, dest, size - terminator_width, INT_MAX, copied);
  current_put_char(dest + written, 0);
  return dest;
}

char *text_concat(char *dest, int size, const char *src) noexcept {
  if (dest == nullptr || size <= 0) return dest;
  const int used = text_size(dest);
  // A text that already fills the buffer (or more) is left as it is.
  if (used > size - current_code_width(0)) return dest;
  return text_copy(dest + used, size - used, src) - used;
}

char *text_ncopy(char *dest, int size, const char *src, int n) noexcept {
  if (dest == nullptr || size <= 0) return dest;
  if (src == nullptr) src = corvane::empty_text;
  const bool unlimited = (size == TEXT_SIZE_UNLIMITED);
  const int terminator_width = current_code_width(0);
  if (size < terminator_width) {
    corvane::clear_small_buffer(dest, size);
    return dest;
  }
  if (n < 1) {
    current_put_char(dest, 0);
    return dest;
  }
  int room = unlimited ? INT_MAX : size - terminator_width;
  int copied = 0;
  int position = corvane::copy_characters(src, dest, room, n, copied);
  room -= position;
  // Pad with zero characters up to n characters in all, as far as the room allows.
  for (; copied < n && terminator_width <= room; ++copied) {
    position += current_put_char(dest + position, 0);
    room -= terminator_width;
  }
  if (!unlimited) current_put_char(dest + position, 0);
  return dest;
}

char *text_nconcat(char *dest, int size, const char *src, int n) noexcept {
  if (dest == nullptr || size <= 0) return dest;
  if (src == nullptr) src = corvane::empty_text;
  const int used = text_size(dest);
  const int terminator_width = current_code_width(0);
  if (used > size - terminator_width) return dest;
  int copied = 0;
  const int written =
      n < 1 ? 0
            : corvane::copy_characters(src, dest + used, size - used - terminator_width, n, copied);
  current_put_char(dest + used + written, 0);
  return dest;
}

char *text_duplicate(const char *s, void *(*allocator)(size_t)) noexcept {
  if (s == nullptr) s = corvane::empty_text;
  if (allocator == nullptr) allocator = std::malloc;
  const int size = text_size(s);
  const auto bytes =
      static_cast<std::size_t>(size) + static_cast<std::size_t>(current_code_width(0));
  auto *copy = static_cast<char *>(allocator(bytes));
  if (copy == nullptr) {
    set_error_number(ENOMEM);
    return nullptr;
  }
  std::memcpy(copy, s, static_cast<std::size_t>(size));
  current_put_char(copy + size, 0);
  return copy;
}

}  // extern "C"
