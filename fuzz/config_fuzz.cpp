// Fuzz target "config": the input is configuration text. It is parsed as the main configuration;
// written back (to memory) and parsed again it must give the same lines; every key is read through
// every getter and config_get_argv; setters change existing keys (which the getters must then
// return) and add new ones; the listings run; and the changed configuration is written back and
// must again parse into the same lines.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "config/config_internal.h"
#include "corvane/config.h"
#include "corvane/packfile.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "fuzz_support.h"

namespace {

using corvane::cfg::config;
using corvane::cfg::config_entry;

constexpr const char *sentinel = "\x01unset";
constexpr size_t max_getter_keys = 64;

// A stream over the program's own operations that appends everything written to a string.
int sink_close(void *) { return 0; }
int sink_putc(void *userdata, int c) {
  static_cast<std::string *>(userdata)->push_back(static_cast<char>(c));
  return c & 0xFF;
}
long sink_write(void *userdata, const void *buffer, long count) {
  static_cast<std::string *>(userdata)->append(static_cast<const char *>(buffer),
                                               static_cast<size_t>(count));
  return count;
}
int sink_error(void *) { return 0; }

const packfile_ops sink_ops = {
    .close = sink_close,
    .getc = nullptr,
    .ungetc = nullptr,
    .read = nullptr,
    .putc = sink_putc,
    .write = sink_write,
    .seek = nullptr,
    .eof = nullptr,
    .error = sink_error,
};

std::string write_to_memory(const config *cfg) {
  std::string out;
  packfile *f = open_packfile_ops(&sink_ops, &out);
  FUZZ_CHECK(f != nullptr);
  FUZZ_CHECK(corvane::cfg::write_config_entries(cfg, f));
  FUZZ_CHECK(close_packfile(f) == 0);
  return out;
}

bool same_text(const char *a, const char *b, bool null_is_empty) {
  if (null_is_empty) {
    if (a == nullptr) a = "";
    if (b == nullptr) b = "";
  }
  if (a == nullptr || b == nullptr) return a == b;
  return std::strcmp(a, b) == 0;
}

// The lines written back parse into the same names and data (an added line's missing data reads
// back as empty).
void check_round_trip(const config *cfg) {
  const std::string written = write_to_memory(cfg);
  config *again = corvane::cfg::parse_config_data(written.data(), written.size(), nullptr);
  FUZZ_CHECK(again != nullptr);
  const config_entry *a = cfg->head;
  const config_entry *b = again->head;
  for (; a != nullptr && b != nullptr; a = a->next, b = b->next) {
    FUZZ_CHECK(same_text(a->name, b->name, false));
    FUZZ_CHECK(same_text(a->data, b->data, true));
  }
  FUZZ_CHECK(a == nullptr && b == nullptr);
  // Once written, writing again changes nothing.
  FUZZ_CHECK(write_to_memory(again) == written);
  corvane::cfg::free_config(again);
}

struct key_in_section {
  std::string section;
  std::string key;
};

// The keys of the parsed lines with the section each one is found in.
std::vector<key_in_section> keys_of(const config *cfg) {
  std::vector<key_in_section> keys;
  std::string section;
  for (const config_entry *e = cfg->head; e != nullptr && keys.size() < max_getter_keys;
       e = e->next) {
    if (e->name == nullptr) continue;
    if (corvane::cfg::is_section_header(e->name)) {
      section = e->name;
      continue;
    }
    keys.push_back({section, e->name});
  }
  return keys;
}

void read_every_way(const key_in_section &k) {
  const char *section = k.section.c_str();
  const char *key = k.key.c_str();
  const char *value = config_get_string(section, key, sentinel);
  FUZZ_CHECK(value != nullptr);
  const bool present = value != sentinel;
  if (present) FUZZ_CHECK(value[0] != 0);  // an empty value gives the default
  (void)config_get_int(section, key, 7);
  (void)config_get_hex(section, key, 7);
  (void)config_get_float(section, key, 7.0f);
  (void)config_get_id(section, key, 7);
  if (!present) {
    FUZZ_CHECK(config_get_int(section, key, 7) == 7);
    FUZZ_CHECK(config_get_id(section, key, 7) == 7);
  }
  int count = -1;
  char **argv = config_get_argv(section, key, &count);
  FUZZ_CHECK(count >= 0);
  FUZZ_CHECK((argv == nullptr) == (count == 0));
  if (present) FUZZ_CHECK(count <= text_length(config_get_string(section, key, sentinel)));
  for (int i = 0; i < count; ++i) {
    FUZZ_CHECK(argv[i] != nullptr);
    FUZZ_CHECK(text_length(argv[i]) >= 0);
  }
}

// Words made of letters, digits, "_", "." and "-": names that survive a write-back unchanged.
std::vector<std::string> clean_words(std::string_view input) {
  std::vector<std::string> words;
  std::string word;
  for (const char c : input) {
    const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '_' || c == '.' || c == '-';
    if (keep) {
      word += c;
    } else if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
    if (words.size() >= 12) break;
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

void change_existing(const key_in_section &k, const std::vector<std::string> &words, size_t n) {
  const char *section = k.section.c_str();
  const char *key = k.key.c_str();
  if (config_get_string(section, key, nullptr) == nullptr) return;
  switch (n % 4) {
    case 0: {
      const std::string value = words.empty() ? "value" : words[n % words.size()];
      config_set_string(section, key, value.c_str());
      const char *got = config_get_string(section, key, nullptr);
      FUZZ_CHECK(got != nullptr && value == got);
      break;
    }
    case 1: {
      const int value = static_cast<int>(n * 2654435761u);
      config_set_int(section, key, value);
      FUZZ_CHECK(config_get_int(section, key, 0) == value);
      break;
    }
    case 2: {
      const int value = static_cast<int>((n * 40503u) ^ 0x5A5A5Au) - 1000;
      config_set_hex(section, key, value);
      FUZZ_CHECK(config_get_hex(section, key, 0) == (value < 0 ? -1 : value));
      break;
    }
    default:
      config_set_id(section, key, CORVANE_ID('S', 'B', '1', '6'));
      FUZZ_CHECK(config_get_id(section, key, 0) == CORVANE_ID('S', 'B', '1', '6'));
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > 1 << 20) return 0;
  use_config_data(reinterpret_cast<const char *>(data), static_cast<int>(size));
  config *cfg = corvane::cfg::config_store.main_config;
  FUZZ_CHECK(cfg != nullptr);
  check_round_trip(cfg);

  const std::vector<key_in_section> keys = keys_of(cfg);
  for (const key_in_section &k : keys) read_every_way(k);

  // Existing keys take new values through every setter.
  const std::vector<std::string> words = clean_words(fuzz::as_text(data, size));
  for (size_t i = 0; i < keys.size() && i < 16; ++i) change_existing(keys[i], words, i);

  // New keys in named, empty, bracketed and transient sections.
  for (size_t i = 0; i + 2 < words.size(); i += 3) {
    const std::string section = i % 2 ? "[" + words[i] + "]" : words[i];
    config_set_string(section.c_str(), words[i + 1].c_str(), words[i + 2].c_str());
    config_set_string(nullptr, words[i + 1].c_str(), words[i + 2].c_str());
    config_set_string(("#" + words[i]).c_str(), words[i + 1].c_str(), words[i + 2].c_str());
    config_set_float(section.c_str(), words[i + 2].c_str(), 0.5f);
  }
  // Removing keys, and keys and sections taken from the text as they are.
  if (!keys.empty()) config_set_string(keys[0].section.c_str(), keys[0].key.c_str(), "");
  const std::string raw(fuzz::as_text(data, size).substr(0, 300));
  config_set_string(raw.c_str(), raw.c_str(), "raw");
  (void)config_get_string(raw.c_str(), raw.c_str(), nullptr);

  const char **names = nullptr;
  const int sections = config_list_sections(&names);
  FUZZ_CHECK(sections >= 0);
  for (int i = 0; i < sections; ++i) {
    const char **entries = nullptr;
    const int count = config_list_entries(names[i], &entries);
    FUZZ_CHECK(count >= 0 && (count == 0) == (entries == nullptr));
    config_free_list(&entries);
  }
  config_free_list(&names);

  cfg = corvane::cfg::config_store.main_config;
  FUZZ_CHECK(cfg != nullptr);
  (void)write_to_memory(cfg);
  config_cleanup();
  return 0;
}
