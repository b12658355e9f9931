// Translated texts: the language configuration loaded from "<language>text.cfg" (alone or inside
// "language.dat"), and translate_text, which gives the translation of a library message -- or the
// message itself in the current encoding -- as a text that stays valid for the life of the process.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_set>
#include <utility>

#include "config/config_internal.h"
#include "corvane/config.h"
#include "corvane/file.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "text/format_arguments.h"

namespace corvane::cfg {
namespace {

// Every text translate_text hands out is kept here, once per distinct byte sequence, and never
// freed: driver names and messages point at them long after the configuration that produced
// them was reloaded or cleaned up. The set is reachable from a global, so leak checkers accept it.
std::mutex interned_texts_mutex;
std::unordered_set<std::string> *interned_texts = nullptr;

// The stored copy of a text in the current encoding, up to its first character 0 and terminated
// anew: the bytes that ended the text need not be zero bytes (a lone 0x80 reads as the character
// 0 in UTF-8); null when memory is short.
const char *intern_text(const char *text) noexcept {
  try {
    std::string copy(text, static_cast<std::size_t>(text_size(text)));
    copy.append(static_cast<std::size_t>(terminator_width()), '\0');
    std::lock_guard<std::mutex> lock(interned_texts_mutex);
    if (interned_texts == nullptr) interned_texts = new std::unordered_set<std::string>();
    return interned_texts->insert(std::move(copy)).first->data();
  } catch (...) {
    return nullptr;
  }
}

// The message converted into the current encoding: the message itself when no conversion is
// needed, otherwise malloc'd (*owned set). Null when memory is short.
const char *converted_message(const char *message, char **owned) noexcept {
  *owned = nullptr;
  if (conversion_needed(message, ENCODING_ASCII8, ENCODING_CURRENT) == 0) return message;
  const int size = converted_size(message, ENCODING_ASCII8, ENCODING_CURRENT);
  if (size <= 0) return nullptr;
  *owned = static_cast<char *>(std::malloc(static_cast<std::size_t>(size)));
  if (*owned == nullptr) return nullptr;
  convert_text_into(message, ENCODING_ASCII8, *owned, ENCODING_CURRENT, size);
  return *owned;
}

// The language configuration's own entry for a key, placed behind its "[language]" header (which
// is appended when missing) so that the next look-up of the section finds it.
const char *remember_translation(const char *section, char *key, const char *text) noexcept {
  config *&cfg = config_store.language_config;
  if (cfg == nullptr) cfg = create_config(nullptr);
  if (cfg == nullptr) {
    std::free(key);
    return nullptr;
  }
  char *data = duplicate_text(text);
  config_entry *entry = data != nullptr ? create_entry(key, data) : nullptr;
  if (entry == nullptr) {
    if (data == nullptr) std::free(key);
    return nullptr;
  }
  config_entry *header = find_config_entry(cfg, nullptr, section, nullptr);
  if (header == nullptr) {
    char *header_name = duplicate_text(section);
    header = header_name != nullptr ? create_entry(header_name, nullptr) : nullptr;
    if (header == nullptr) {
      destroy_entry(entry);
      return nullptr;
    }
    config_entry **tail = &cfg->head;
    while (*tail != nullptr) tail = &(*tail)->next;
    *tail = header;
  }
  entry->next = header->next;
  header->next = entry;
  return entry->data;
}

// Many messages are formats, and their callers pass the original's arguments: a translation that
// would read other arguments (one more "%s", a "%n") is ignored in favour of the original.
const char *checked_translation(const char *converted, const char *translation) noexcept {
  return corvane::format_arguments_match(converted, translation) ? translation : converted;
}

// The translation of a converted message and its key, as stored in a configuration or by a hook.
const char *find_translation(const char *converted, char *key) noexcept {
  const config_literal section("[language]");
  if (const config_hook *hook = find_hook(section); hook != nullptr && hook->string_getter) {
    if (const char *answer = hook->string_getter(key, converted)) {
      std::free(key);
      return checked_translation(converted, answer);
    }
  }
  for (const config *cfg :
       {config_store.override_config, config_store.main_config, config_store.language_config}) {
    if (const config_entry *entry = find_config_entry(cfg, section, key, nullptr)) {
      std::free(key);
      return checked_translation(converted, entry->data != nullptr ? entry->data : empty_string);
    }
  }
  return remember_translation(section, key, converted);
}

}  // namespace
}  // namespace corvane::cfg

using namespace corvane::cfg;

extern "C" {

void load_language_texts(const char *language) noexcept {
  destroy_config(&config_store.language_config);
  const config_literal section("system");
  const config_literal key("language");
  if (language != nullptr) config_set_string(section, key, language);

  const char *configured = config_get_string(section, key, nullptr);
  if (!text_is_empty(configured)) {
    char *lowered = duplicate_text(configured);
    if (lowered != nullptr) text_lower(lowered);
    if (lowered != nullptr) {
      // "en" looks for "entext.cfg"; a language already ending in "text" only gains ".cfg".
      const int length = text_length(lowered);
      const bool ends_in_text =
          length > 3 &&
          text_icompare(lowered + text_offset(lowered, length - 4), config_literal("text")) == 0;
      const config_literal suffix(ends_in_text ? ".cfg" : "text.cfg");
      const auto lowered_bytes = static_cast<std::size_t>(text_size(lowered));
      const auto suffix_bytes = static_cast<std::size_t>(text_size_z(suffix));
      auto *name = static_cast<char *>(std::malloc(lowered_bytes + suffix_bytes));
      if (name != nullptr) {
        std::memcpy(name, lowered, lowered_bytes);
        std::memcpy(name + lowered_bytes, suffix.text(), suffix_bytes);
        char path[config_path_size];
        const bool found =
            locate_resource(path, name, nullptr, config_literal("language.dat"), nullptr, nullptr,
                            nullptr, static_cast<int>(sizeof path)) == 0;
        std::free(name);
        std::free(lowered);
        if (found) {
          load_config_file(&config_store.language_config, path, nullptr);
          return;
        }
      } else {
        std::free(lowered);
        set_error_number(ENOMEM);
      }
    }
  }
  config_store.language_config = create_config(nullptr);
}

const char *translate_text(const char *message) noexcept {
  if (message == nullptr) return nullptr;
  char *owned = nullptr;
  const char *converted = converted_message(message, &owned);
  const char *result = nullptr;
  if (converted == nullptr) {
    set_error_number(ENOMEM);
    return empty_string;
  }

  if (current_system_driver == nullptr || config_store.cleaning_up) {
    // Not started (or shutting down): there is no configuration to ask, only the encoding.
    if (owned == nullptr) return message;
    result = intern_text(owned);
  } else {
    prepare_config(1);
    char *key = make_translation_key(converted);
    if (key != nullptr) {
      const char *translation = find_translation(converted, key);
      result = translation != nullptr ? intern_text(translation) : nullptr;
      // Without memory for the stored copy the configuration's own text is the best there is
      // (not the converted message, which is freed below).
      if (result == nullptr && translation != owned) result = translation;
    }
  }
  std::free(owned);
  if (result == nullptr) {
    set_error_number(ENOMEM);
    return empty_string;
  }
  return result;
}

}  // extern "C"
