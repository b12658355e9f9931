// Line-oriented text on streams: reading a line byte by byte into the current encoding, and
// writing text as UTF-8.
#include <cerrno>
#include <cstdlib>

#include "corvane/packfile.h"
#include "corvane/system.h"
#include "corvane/text.h"

extern "C" {

char *packfile_read_line(char *buffer, int size, packfile *f) noexcept {
  if (buffer == nullptr || size <= 0 || f == nullptr) {
    set_error_number(EINVAL);
    return nullptr;
  }
  set_error_number(0);
  const int terminator = current_code_width(0);
  if (size < terminator) {
    set_error_number(ERANGE);
    return nullptr;
  }
  int used = 0;
  int c = packfile_getc(f);
  if (c < 0) {
    current_put_char(buffer, 0);
    return nullptr;
  }
  while (c >= 0) {
    if (c == '\n') break;
    if (c == '\r') {
      const int next = packfile_getc(f);
      if (next >= 0 && next != '\n') packfile_ungetc(next, f);
      break;
    }
    if (used + current_code_width(c) + terminator > size) {
      // The line goes on beyond the buffer: keep what fits and leave the rest for the next call.
      // A buffer that cannot take even one character would make no progress at all.
      packfile_ungetc(c, f);
      current_put_char(buffer + used, 0);
      if (used == 0) {
        set_error_number(ERANGE);
        return nullptr;
      }
      return buffer;
    }
    used += current_put_char(buffer + used, c);
    c = packfile_getc(f);
  }
  current_put_char(buffer + used, 0);
  return get_error_number() != 0 ? nullptr : buffer;
}

int packfile_write_text(const char *text, packfile *f) noexcept {
  if (text == nullptr || f == nullptr) {
    set_error_number(EINVAL);
    return -1;
  }
  const char *utf8 = text;
  char *converted = nullptr;
  if (conversion_needed(text, ENCODING_CURRENT, ENCODING_UTF8) != 0) {
    const int size = converted_size(text, ENCODING_CURRENT, ENCODING_UTF8);
    if (size <= 0) {
      set_error_number(EINVAL);
      return -1;
    }
    converted = static_cast<char *>(std::malloc(static_cast<size_t>(size)));
    if (converted == nullptr) {
      set_error_number(ENOMEM);
      return -1;
    }
    convert_text_into(text, ENCODING_CURRENT, converted, ENCODING_UTF8, size);
    utf8 = converted;
  }
  long length = 0;
  while (utf8[length] != 0) ++length;
  const long written = packfile_write(utf8, length, f);
  std::free(converted);
  if (written != length || packfile_error(f)) {
    if (get_error_number() == 0) set_error_number(EFAULT);
    return -1;
  }
  return 0;
}

}  // extern "C"
