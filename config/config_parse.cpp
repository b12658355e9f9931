// The configuration file grammar: text is cut into lines (CR, LF, CR LF and LF CR each end one),
// and every line becomes one entry -- a 'key = value' line, a section header, or a blank or
// comment line kept exactly as it was read so that it is written back unchanged.
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "config/config_internal.h"
#include "corvane/system.h"
#include "corvane/text.h"

namespace corvane::cfg {
namespace {

constexpr std::size_t initial_line_size = 256;

// The characters that end a key.
bool ends_key(int c) noexcept { return c == 0 || char_is_space(c) || c == '=' || c == '#'; }

// Appends entries to a configuration in file order.
class entry_appender {
 public:
  explicit entry_appender(config *cfg) noexcept : tail_(&cfg->head) {}

  bool append(char *name, char *data) noexcept {
    config_entry *entry = create_entry(name, data);
    if (entry == nullptr) return false;
    *tail_ = entry;
    tail_ = &entry->next;
    return true;
  }

 private:
  config_entry **tail_;
};

// Turns one terminated line into an entry.
bool add_line(entry_appender &out, const char *line, std::size_t line_bytes) noexcept {
  // Leading white space; a line of nothing else is kept whole.
  const char *key = line;
  for (;;) {
    const char *p = key;
    const int c = current_next_char(&p);
    if (c == 0 || !char_is_space(c)) break;
    key = p;
  }
  const char *key_end = key;
  for (;;) {
    const char *p = key_end;
    if (ends_key(current_next_char(&p))) break;
    key_end = p;
  }
  if (key_end == key) {
    // Blank lines, and lines whose first visible character is "#" or "=" (comments), are kept as
    // they were read, leading white space included.
    char *data = duplicate_bytes(line, line_bytes);
    return data != nullptr && out.append(nullptr, data);
  }

  // The value begins after every white space and "=" that follows the key, and loses its
  // trailing white space. A "#" here belongs to the value: there are no trailing comments.
  const char *value = key_end;
  for (;;) {
    const char *p = value;
    const int c = current_next_char(&p);
    if (c == 0 || !(char_is_space(c) || c == '=')) break;
    value = p;
  }
  const char *value_end = value;
  for (const char *p = value;;) {
    const int c = current_next_char(&p);
    if (c == 0) break;
    if (!char_is_space(c)) value_end = p;
  }

  char *name = duplicate_bytes(key, static_cast<std::size_t>(key_end - key));
  if (name == nullptr) return false;
  char *data = duplicate_bytes(value, static_cast<std::size_t>(value_end - value));
  if (data == nullptr) {
    std::free(name);
    return false;
  }
  return out.append(name, data);
}

// The line being collected: grows by doubling, always with room for a terminator behind it.
class line_buffer {
 public:
  explicit line_buffer(std::size_t terminator_room) noexcept : room_(terminator_room) {}
  ~line_buffer() { std::free(bytes_); }
  line_buffer(const line_buffer &) = delete;
  line_buffer &operator=(const line_buffer &) = delete;

  bool append(const char *source, std::size_t count) noexcept {
    if (!reserve(used_ + count)) return false;
    std::memcpy(bytes_ + used_, source, count);
    used_ += count;
    return true;
  }

  // Terminates the line and returns it.
  char *finish() noexcept {
    if (!reserve(used_)) return nullptr;
    std::memset(bytes_ + used_, 0, room_);
    return bytes_;
  }

  std::size_t used() const noexcept { return used_; }
  void clear() noexcept { used_ = 0; }

 private:
  bool reserve(std::size_t bytes) noexcept {
    if (bytes_ != nullptr && bytes + room_ <= size_) return true;
    std::size_t size = size_ == 0 ? initial_line_size : size_;
    while (bytes + room_ > size) {
      if (size > SIZE_MAX / 2) return false;
      size *= 2;
    }
    auto *grown = static_cast<char *>(std::realloc(bytes_, size));
    if (grown == nullptr) return false;
    bytes_ = grown;
    size_ = size;
    return true;
  }

  char *bytes_ = nullptr;
  std::size_t size_ = 0;
  std::size_t used_ = 0;
  std::size_t room_;
};

}  // namespace

config *parse_config_data(const char *data, std::size_t length, const char *filename) noexcept {
  if (data == nullptr) length = 0;
  config *cfg = create_config(filename);
  if (cfg == nullptr) return nullptr;

  // The text is decoded from a copy padded with zero bytes, so that a character cut short by the
  // end of the data is read from the padding and never from beyond the caller's bytes.
  const int max_width = encoding_max_width(ENCODING_CURRENT);
  const auto padding = static_cast<std::size_t>(max_width > 0 ? max_width : 1) + 4;
  char *text = nullptr;
  if (length <= SIZE_MAX - padding) text = static_cast<char *>(std::malloc(length + padding));
  line_buffer line(padding);
  entry_appender out(cfg);
  bool ok = (text != nullptr);
  if (ok) {
    if (length > 0) std::memcpy(text, data, length);
    std::memset(text + length, 0, padding);
  }

  std::size_t pos = 0;
  while (ok && pos < length) {
    line.clear();
    while (pos < length) {
      const char *start = text + pos;
      const char *next = start;
      const int c = current_next_char(&next);
      std::size_t width = next > start ? static_cast<std::size_t>(next - start) : 1;
      if (width > length - pos) width = length - pos;
      pos += width;
      if (c == '\r' || c == '\n') {
        if (pos < length) {
          const char *after = text + pos;
          const int pair = current_next_char(&after);
          if ((c == '\r' && pair == '\n') || (c == '\n' && pair == '\r')) {
            const auto pair_width = static_cast<std::size_t>(after - (text + pos));
            pos = pair_width < length - pos ? pos + pair_width : length;
          }
        }
        break;
      }
      // A NUL character would end the line's text early; it is dropped so that the rest of the
      // line is kept.
      if (c == 0) continue;
      if (!line.append(start, width)) {
        ok = false;
        break;
      }
    }
    if (!ok) break;
    const char *terminated = line.finish();
    ok = terminated != nullptr && add_line(out, terminated, line.used());
  }

  std::free(text);
  if (!ok) {
    // Out of memory: the lines read so far are dropped.
    free_config(cfg);
    set_error_number(ENOMEM);
    return nullptr;
  }
  return cfg;
}

}  // namespace corvane::cfg
