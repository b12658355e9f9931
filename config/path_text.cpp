// Fixed-buffer name building in the current encoding, and small text helpers of the file-name
// code.
#include "config/path_text.h"

#include <cstring>

#include "core/internal.h"
#include "corvane/text.h"

namespace corvane {

text_builder::text_builder(char *buffer, int size) noexcept
    : buffer_(buffer), size_(size), ok_(buffer != nullptr && size >= current_code_width(0)) {
  if (ok_) current_put_char(buffer_, 0);
}

bool text_builder::reserve(int bytes) noexcept {
  if (!ok_) return false;
  if (bytes < 0 || used_ + bytes + current_code_width(0) > size_) {
    ok_ = false;
    return false;
  }
  return true;
}

text_builder &text_builder::add_bytes(const char *text, int bytes) noexcept {
  if (text == nullptr || !reserve(bytes)) return *this;
  std::memmove(buffer_ + used_, text, static_cast<size_t>(bytes));
  used_ += bytes;
  current_put_char(buffer_ + used_, 0);
  return *this;
}

text_builder &text_builder::add(const char *text) noexcept {
  if (text == nullptr) return *this;
  return add_bytes(text, text_size(text));
}

text_builder &text_builder::add_char(int c) noexcept {
  if (!reserve(current_code_width(c))) return *this;
  used_ += current_put_char(buffer_ + used_, c);
  current_put_char(buffer_ + used_, 0);
  return *this;
}

text_builder &text_builder::add_ascii(const char *ascii) noexcept {
  char converted[128];
  return add(literal(ascii, converted, sizeof converted));
}

text_builder &text_builder::add_replacing_dots(const char *text) noexcept {
  if (text == nullptr) return *this;
  const char *p = text;
  for (int c = current_next_char(&p); c != 0 && ok_; c = current_next_char(&p)) {
    add_char(c == '.' ? '_' : c);
  }
  return *this;
}

bool text_is_empty(const char *text) noexcept {
  return text == nullptr || current_get_char(text) == 0;
}

int last_char(const char *text) noexcept {
  if (text == nullptr) return 0;
  int last = 0;
  const char *p = text;
  for (int c = current_next_char(&p); c != 0; c = current_next_char(&p)) last = c;
  return last;
}

bool copy_whole(char *dest, int size, const char *text) noexcept {
  if (dest == nullptr || text == nullptr) return false;
  if (text_size_z(text) > size) return false;
  std::memmove(dest, text, static_cast<size_t>(text_size_z(text)));
  return true;
}

}  // namespace corvane
