// Conversion between encodings: whether a string needs converting, the size of its conversion,
// and the bounded conversion itself, which always ends on a whole character and a terminator.
#include <algorithm>
#include <climits>
#include <cstring>

#include "text/encoding_internal.h"

namespace corvane {
namespace {

constexpr int static_buffer_size = 1024;
constexpr int unrepresentable_char = '^';

// Each thread gets its own buffer for convert_text without a buffer, so that conversions on
// different threads cannot overwrite each other's results.
thread_local char static_buffer[static_buffer_size];

// True when ASCII bytes of the source can be copied to the target as they are.
bool ascii_passes_through(const encoding_info &from, const encoding_info &to) noexcept {
  return reads_ascii_as_bytes(from.next_char) && writes_ascii_as_bytes(to);
}

int resolved_id(int id) noexcept { return id == ENCODING_CURRENT ? get_text_encoding() : id; }

}  // namespace
}  // namespace corvane

extern "C" {

int conversion_needed(const char *s, int from, int to) noexcept {
  from = corvane::resolved_id(from);
  to = corvane::resolved_id(to);
  if (from == to) return 0;
  if (from != ENCODING_ASCII8 && from != ENCODING_UTF8) return -1;
  if (to != ENCODING_ASCII8 && to != ENCODING_UTF8) return -1;
  if (s == nullptr) return 0;
  const std::size_t length = std::strlen(s);
  return corvane::ascii_prefix_length(s, length) == length ? 0 : -1;
}

int converted_size(const char *s, int from, int to) noexcept {
  const encoding_info *source = corvane::resolve_encoding(from);
  const encoding_info *target = corvane::resolve_encoding(to);
  if (source == nullptr || target == nullptr || source->id == 0 || target->id == 0) return 0;
  if (s == nullptr) s = corvane::empty_text;

  long long size = target->code_width(0);
  const char *p = s;
  if (corvane::ascii_passes_through(*source, *target)) {
    const char *end = s + std::strlen(s);
    while (p < end) {
      if (static_cast<unsigned char>(*p) < 0x80) {
        const std::size_t run = corvane::ascii_prefix_length(p, static_cast<std::size_t>(end - p));
        p += run;
        size += static_cast<long long>(run);
        continue;
      }
      const int c = source->next_char(&p);
      if (c == 0) break;
      size += target->code_width(target->char_ok(c) ? c : corvane::unrepresentable_char);
    }
  } else {
    while (const int c = source->next_char(&p)) {
      size += target->code_width(target->char_ok(c) ? c : corvane::unrepresentable_char);
      if (size > INT_MAX) return INT_MAX;
    }
  }
  return static_cast<int>(std::min<long long>(size, INT_MAX));
}

void convert_text_into(const char *s, int from, char *buffer, int to, int size) noexcept {
  const encoding_info *source = corvane::resolve_encoding(from);
  const encoding_info *target = corvane::resolve_encoding(to);
  if (source == nullptr || target == nullptr || source->id == 0 || target->id == 0) return;
  if (buffer == nullptr || size <= 0) return;
  if (s == nullptr) s = corvane::empty_text;

  const int terminator_width = target->code_width(0);
  if (size < terminator_width) {
    // No room for a whole terminator: leave the bytes there are zeroed rather than stale.
    std::memset(buffer, 0, static_cast<std::size_t>(size));
    return;
  }
  int room = size - terminator_width;
  int position = 0;
  const char *p = s;
  const bool ascii_runs = corvane::ascii_passes_through(*source, *target);
  for (;;) {
    const unsigned lead = static_cast<unsigned char>(*p);
    if (ascii_runs && lead != 0 && lead < 0x80) {
      // ASCII bytes mean themselves on both sides: copy a run of them at once.
      const std::size_t readable = strnlen(p, static_cast<std::size_t>(room));
      const std::size_t run = corvane::copy_ascii_prefix(buffer + position, p, readable);
      if (run > 0) {
        p += run;
        position += static_cast<int>(run);
        room -= static_cast<int>(run);
        continue;
      }
    }
    int c = source->next_char(&p);
    if (c == 0) break;
    if (!target->char_ok(c)) c = corvane::unrepresentable_char;
    const int width = target->code_width(c);
    if (width > room) break;
    room -= width;
    position += target->put_char(buffer + position, c);
  }
  target->put_char(buffer + position, 0);
}

const char *convert_text(const char *s, int from, char *buffer, int to, int size) noexcept {
  if (conversion_needed(s, from, to) == 0) return s;
  if (buffer == nullptr) {
    buffer = corvane::static_buffer;
    size = corvane::static_buffer_size;
  }
  const encoding_info *source = corvane::resolve_encoding(from);
  const encoding_info *target = corvane::resolve_encoding(to);
  if (source == nullptr || target == nullptr || source->id == 0 || target->id == 0 ||
      size < target->code_width(0)) {
    // Nothing can be converted into the buffer: hand back an empty string, never stale bytes.
    return corvane::empty_text;
  }
  convert_text_into(s, from, buffer, to, size);
  return buffer;
}

}  // extern "C"
