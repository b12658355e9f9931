// config_get_argv: a value split into arguments, in place, inside a buffer that is kept (and
// grown) across calls, with an array of pointers to the arguments.
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "config/config_internal.h"
#include "corvane/config.h"
#include "corvane/system.h"
#include "corvane/text.h"

namespace corvane::cfg {
namespace {

// Makes the argument buffer hold at least size bytes. On failure the buffer is gone.
bool grow_argv_buffer(std::size_t size) noexcept {
  auto &store = config_store;
  if (size <= store.argv_buffer_size) return true;
  // Grow by half again as much when that is more, so that slowly growing values do not
  // reallocate every time; a growth that would wrap around falls back to the size asked for.
  std::size_t wanted = store.argv_buffer_size + store.argv_buffer_size / 2;
  if (wanted < store.argv_buffer_size || wanted < size) wanted = size;
  store.argv_buffer = static_cast<char *>(realloc_or_free(store.argv_buffer, wanted));
  store.argv_buffer_size = store.argv_buffer != nullptr ? wanted : 0;
  return store.argv_buffer != nullptr;
}

// Overwrites the character at p (width bytes wide) with a terminator.
void terminate_at(char *p, std::ptrdiff_t width) noexcept {
  if (current_code_width(0) <= width) current_put_char(p, 0);
}

// The growing list of argument pointers being collected.
class argument_list {
 public:
  ~argument_list() { std::free(items_); }
  argument_list() = default;
  argument_list(const argument_list &) = delete;
  argument_list &operator=(const argument_list &) = delete;

  bool add(char *argument) noexcept {
    if (count_ == capacity_) {
      const std::size_t capacity = capacity_ == 0 ? 8 : capacity_ * 2;
      if (capacity > SIZE_MAX / sizeof(char *)) return false;
      auto *grown = static_cast<char **>(std::realloc(items_, capacity * sizeof(char *)));
      if (grown == nullptr) return false;
      items_ = grown;
      capacity_ = capacity;
    }
    items_[count_++] = argument;
    return true;
  }

  std::size_t count() const noexcept { return count_; }
  char **release() noexcept {
    char **items = items_;
    items_ = nullptr;
    count_ = capacity_ = 0;
    return items;
  }

 private:
  char **items_ = nullptr;
  std::size_t count_ = 0;
  std::size_t capacity_ = 0;
};

// Splits the terminated text in place. White space between arguments becomes terminators; a
// quoted argument ("'" or '"') runs to its matching quote (or the end), both quotes becoming
// terminators; a "#" where an argument would begin ends the list.
bool split_arguments(char *text, argument_list &arguments) noexcept {
  char *p = text;
  for (;;) {
    char *at = p;
    int c = current_next_char_writable(&p);
    while (c != 0 && char_is_space(c)) {
      terminate_at(at, p - at);
      at = p;
      c = current_next_char_writable(&p);
    }
    if (c == 0 || c == '#') return true;

    if (c == '\'' || c == '"') {
      const int quote = c;
      terminate_at(at, p - at);
      if (!arguments.add(p)) return false;
      for (;;) {
        at = p;
        c = current_next_char_writable(&p);
        if (c == 0) return true;  // an unmatched quote runs to the end of the value
        if (c == quote) {
          terminate_at(at, p - at);
          break;
        }
      }
    } else {
      if (!arguments.add(at)) return false;
      for (;;) {
        at = p;
        c = current_next_char_writable(&p);
        if (c == 0) return true;
        if (char_is_space(c)) {
          terminate_at(at, p - at);
          break;
        }
      }
    }
  }
}

}  // namespace
}  // namespace corvane::cfg

using namespace corvane::cfg;

extern "C" {

char **config_get_argv(const char *section, const char *key, int *argument_count) noexcept {
  int unused = 0;
  int &count = argument_count != nullptr ? *argument_count : unused;
  count = 0;
  const char *value = config_get_string(section, key, nullptr);
  if (value == nullptr) return nullptr;

  auto &store = config_store;
  std::free(store.argv_array);
  store.argv_array = nullptr;

  // The value may belong to a hook of the program; it is copied whole before it is cut up.
  const auto size =
      static_cast<std::size_t>(text_size(value)) + static_cast<std::size_t>(terminator_width());
  if (!grow_argv_buffer(size)) {
    set_error_number(ENOMEM);
    return nullptr;
  }
  std::memcpy(store.argv_buffer, value, size);

  const int first = first_char(store.argv_buffer);
  if (first == 0 || first == '#') return nullptr;

  argument_list arguments;
  if (!split_arguments(store.argv_buffer, arguments)) {
    set_error_number(ENOMEM);
    return nullptr;
  }
  if (arguments.count() == 0) return nullptr;
  // The count is an int: a value would need more than 2^31 bytes to hold more arguments.
  count = static_cast<int>(arguments.count());
  store.argv_array = arguments.release();
  return store.argv_array;
}

}  // extern "C"
