// The getters: a value is looked up through the section's hook, else in the override
// configuration, then in the transient or main configuration, and parsed as a string, a number,
// a float or a four-character id. A missing, empty or unparsable value gives the caller's default.
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>

#include "config/config_internal.h"
#include "corvane/config.h"
#include "corvane/text.h"

namespace corvane::cfg {
namespace {

// Values beyond the range of int are clamped, as the C library's strtol clamps to the range of a
// 32-bit long.
int clamp_to_int(long value) noexcept {
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

// Parses the number at the start of s; false when there is none. The C library's errno (ERANGE on
// overflow) is left as the caller had it: a getter never fails.
bool parse_long(const char *s, int base, int *value, char **end) noexcept {
  const int saved_errno = errno;
  char *stop = nullptr;
  const long parsed = text_to_long(s, &stop, base);
  errno = saved_errno;
  if (end != nullptr) *end = stop;
  if (stop == s) return false;
  *value = clamp_to_int(parsed);
  return true;
}

int parse_int(const char *s, int default_value) noexcept {
  int value = 0;
  if (text_is_empty(s) || !parse_long(s, 0, &value, nullptr)) return default_value;
  return value;
}

const char *lookup_value(const char *section, const char *key, const char *default_value) noexcept {
  if (key == nullptr) return default_value;
  if (config_store.override_config != nullptr) {
    // Found here, an empty value hides the main configuration's.
    if (const config_entry *entry =
            find_config_entry(config_store.override_config, section, key, nullptr)) {
      return text_is_empty(entry->data) ? default_value : entry->data;
    }
  }
  const config *cfg =
      is_transient(section, key) ? config_store.transient_config : config_store.main_config;
  const config_entry *entry = find_config_entry(cfg, section, key, nullptr);
  if (entry == nullptr || text_is_empty(entry->data)) return default_value;
  return entry->data;
}

}  // namespace
}  // namespace corvane::cfg

using namespace corvane::cfg;

extern "C" {

const char *config_get_string(const char *section, const char *key,
                              const char *default_value) noexcept {
  prepare_config(1);
  char bracketed[section_name_size];
  bracket_section_name(section, bracketed);
  if (const config_hook *hook = find_hook(bracketed)) {
    if (hook->string_getter == nullptr || key == nullptr) return default_value;
    return hook->string_getter(key, default_value);
  }
  return lookup_value(bracketed, key, default_value);
}

int config_get_int(const char *section, const char *key, int default_value) noexcept {
  prepare_config(1);
  char bracketed[section_name_size];
  bracket_section_name(section, bracketed);
  if (const config_hook *hook = find_hook(bracketed)) {
    if (key == nullptr) return default_value;
    if (hook->int_getter != nullptr) return hook->int_getter(key, default_value);
    if (hook->string_getter != nullptr) {
      return parse_int(hook->string_getter(key, nullptr), default_value);
    }
    return default_value;
  }
  return parse_int(lookup_value(bracketed, key, nullptr), default_value);
}

int config_get_hex(const char *section, const char *key, int default_value) noexcept {
  const char *s = config_get_string(section, key, nullptr);
  int value = 0;
  if (text_is_empty(s) || !parse_long(s, 16, &value, nullptr)) return default_value;
  // INT_MAX is also what a value too large for 32 bits clamps to; only the text of INT_MAX
  // itself stands for it, anything larger is -1.
  if (value == INT_MAX && text_icompare(s, config_literal("7FFFFFFF")) != 0) return -1;
  return value;
}

float config_get_float(const char *section, const char *key, float default_value) noexcept {
  const char *s = config_get_string(section, key, nullptr);
  if (text_is_empty(s)) return default_value;
  const int saved_errno = errno;
  char *end = nullptr;
  const double value = text_to_double(s, &end);
  errno = saved_errno;
  if (end == s) return default_value;
  // A finite double beyond the range of float has no float value: it becomes an infinity.
  if (value > static_cast<double>(FLT_MAX)) return HUGE_VALF;
  if (value < -static_cast<double>(FLT_MAX)) return -HUGE_VALF;
  return static_cast<float>(value);
}

int config_get_id(const char *section, const char *key, int default_value) noexcept {
  const char *s = config_get_string(section, key, nullptr);
  if (text_is_empty(s)) return default_value;
  int number = 0;
  char *end = nullptr;
  if (parse_long(s, 0, &number, &end) && first_char(end) == 0) return number;

  unsigned id = 0;
  const char *p = s;
  for (int i = 0; i < 4; ++i) {
    int c = current_get_char(p);
    if (c == 0) {
      c = ' ';
    } else {
      current_next_char(&p);
      c = char_to_upper(c);
    }
    id = (id << 8) | (static_cast<unsigned>(c) & 0xFFu);
  }
  return static_cast<int>(id);
}

}  // extern "C"
