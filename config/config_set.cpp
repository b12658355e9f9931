// The setters: a value replaces, removes or adds a 'key = value' line of the configuration that
// owns the key (through the section's hook when it has one). Numbers are formatted first.
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "config/config_internal.h"
#include "corvane/config.h"
#include "corvane/system.h"
#include "corvane/text.h"

namespace corvane::cfg {
namespace {

// A text as a configuration file can hold it: the file format has no quoting, so a line break
// inside a key or value would start new lines (even a "[section]") on the next read. The text is
// kept up to its first CR or LF; cut marks that something was dropped.
class single_line {
 public:
  explicit single_line(const char *text) noexcept : text_(text) {
    if (text == nullptr) return;
    const char *p = text;
    for (;;) {
      const char *at = p;
      const int c = current_next_char(&p);
      if (c == 0) return;
      if (c == '\r' || c == '\n') {
        cut_ = true;
        const auto bytes = static_cast<std::size_t>(at - text);
        owned_ = static_cast<char *>(std::malloc(bytes + static_cast<std::size_t>(terminator_width())));
        if (owned_ != nullptr) {
          std::memcpy(owned_, text, bytes);
          current_put_char(owned_ + bytes, 0);
        }
        text_ = owned_;
        return;
      }
    }
  }
  ~single_line() { std::free(owned_); }
  single_line(const single_line &) = delete;
  single_line &operator=(const single_line &) = delete;

  const char *text() const noexcept { return text_; }
  bool cut() const noexcept { return cut_; }
  bool failed() const noexcept { return cut_ && owned_ == nullptr; }

 private:
  const char *text_;
  char *owned_ = nullptr;
  bool cut_ = false;
};

constexpr int float_text_size = 256;

config_entry *last_entry(config *cfg) noexcept {
  config_entry *entry = cfg->head;
  while (entry != nullptr && entry->next != nullptr) entry = entry->next;
  return entry;
}

void append_entry(config *cfg, config_entry *entry) noexcept {
  if (config_entry *last = last_entry(cfg)) {
    last->next = entry;
  } else {
    cfg->head = entry;
  }
}

// Adds a key that the configuration does not hold yet. A key of the empty section goes to the top.
// Otherwise it goes behind the section's header and the lines that directly follow it, before the
// first blank line, the next section's header, or the end; a missing section is appended, after a
// blank line unless the last line is already blank.
bool add_entry(config *cfg, const char *section, const char *key, const char *value) noexcept {
  char *name = duplicate_text(key);
  if (name == nullptr) return false;
  char *data = duplicate_text(value);
  if (data == nullptr) {
    std::free(name);
    return false;
  }
  config_entry *entry = create_entry(name, data);
  if (entry == nullptr) return false;

  if (text_is_empty(section)) {
    entry->next = cfg->head;
    cfg->head = entry;
    return true;
  }

  config_entry *header = find_config_entry(cfg, nullptr, section, nullptr);
  if (header == nullptr) {
    const config_entry *last = last_entry(cfg);
    config_entry *blank = nullptr;
    if (last != nullptr && !text_is_empty(last->data)) {
      blank = create_entry(nullptr, nullptr);
      if (blank == nullptr) {
        destroy_entry(entry);
        return false;
      }
    }
    char *header_name = duplicate_text(section);
    header = header_name != nullptr ? create_entry(header_name, nullptr) : nullptr;
    if (header == nullptr) {
      if (blank != nullptr) destroy_entry(blank);
      destroy_entry(entry);
      return false;
    }
    if (blank != nullptr) append_entry(cfg, blank);
    append_entry(cfg, header);
  }

  // Stopping at the next header keeps the key inside its own section even when no blank line
  // separates the sections.
  config_entry *at = header;
  while (at->next != nullptr && !is_section_header(at->next->name) &&
         (!text_is_empty(at->next->name) || !text_is_empty(at->next->data))) {
    at = at->next;
  }
  entry->next = at->next;
  at->next = entry;
  return true;
}

}  // namespace
}  // namespace corvane::cfg

using namespace corvane::cfg;

extern "C" {

void config_set_string(const char *section, const char *key, const char *value) noexcept {
  prepare_config(1);
  const single_line section_line(section);
  if (section_line.failed()) {
    set_error_number(ENOMEM);
    return;
  }
  char bracketed[section_name_size];
  bracket_section_name(section_line.text(), bracketed);
  if (key == nullptr) return;
  if (const config_hook *hook = find_hook(bracketed)) {
    if (hook->string_setter != nullptr) hook->string_setter(key, value);
    return;
  }
  // Keys and values are stored up to their first line break; EINVAL tells the caller so.
  const single_line key_line(key);
  const single_line value_line(value);
  if (key_line.failed() || value_line.failed()) {
    set_error_number(ENOMEM);
    return;
  }
  if (section_line.cut() || key_line.cut() || value_line.cut()) set_error_number(EINVAL);
  key = key_line.text();
  value = value_line.text();
  if (key_line.cut() && text_is_empty(key)) return;

  config *cfg = nullptr;
  if (is_transient(bracketed, key)) {
    cfg = config_store.transient_config;
  } else {
    cfg = config_store.override_config != nullptr ? config_store.override_config
                                                  : config_store.main_config;
  }
  if (cfg == nullptr) return;

  config_entry *previous = nullptr;
  config_entry *entry = find_config_entry(cfg, bracketed, key, &previous);
  if (entry != nullptr) {
    if (text_is_empty(value)) {
      (previous != nullptr ? previous->next : cfg->head) = entry->next;
      destroy_entry(entry);
    } else {
      char *data = duplicate_text(value);
      if (data == nullptr) return;  // ENOMEM: the old value stays
      std::free(entry->data);
      entry->data = data;
    }
  } else {
    if (text_is_empty(value)) return;
    if (!add_entry(cfg, bracketed, key, value)) return;
  }
  cfg->dirty = -1;
}

void config_set_int(const char *section, const char *key, int value) noexcept {
  char text[number_text_size];
  format_text_bounded(text, number_text_size, config_literal("%d"), value);
  config_set_string(section, key, text);
}

void config_set_hex(const char *section, const char *key, int value) noexcept {
  if (value < 0) {
    config_set_string(section, key, config_literal("-1"));
    return;
  }
  char text[number_text_size];
  format_text_bounded(text, number_text_size, config_literal("%X"), value);
  config_set_string(section, key, text);
}

void config_set_float(const char *section, const char *key, float value) noexcept {
  // "%f" of a large float takes up to 48 characters (39 digits before the point): the buffer holds
  // any of them in any encoding, so that no value is stored cut short.
  char text[float_text_size];
  format_text_bounded(text, float_text_size, config_literal("%f"), static_cast<double>(value));
  config_set_string(section, key, text);
}

void config_set_id(const char *section, const char *key, int value) noexcept {
  if (value <= 255) {
    config_set_int(section, key, value);
    return;
  }
  // Up to four characters, most significant byte first, ending at the first 0 or space byte.
  char text[number_text_size];
  char *out = text;
  const auto id = static_cast<unsigned>(value);
  for (int shift = 24; shift >= 0; shift -= 8) {
    const int c = static_cast<int>((id >> shift) & 0xFFu);
    if (c == 0 || c == ' ') break;
    out += current_put_char(out, c);
  }
  current_put_char(out, 0);
  config_set_string(section, key, text);
}

}  // extern "C"
