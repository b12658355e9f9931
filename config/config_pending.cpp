// Placeholder configuration: every getter answers its default and messages stay untranslated
// (only converted into the current encoding), until configuration files are read.
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <utility>

#include "corvane/config.h"
#include "corvane/text.h"

namespace corvane {
namespace {

// Converted messages, kept for the life of the process: driver names and error texts point at
// them, and the same message in the same encoding always gives the same text.
std::mutex converted_messages_mutex;
std::map<std::pair<int, std::string>, std::unique_ptr<char[]>> converted_messages;

}  // namespace
}  // namespace corvane

extern "C" {

const char *config_get_string(const char * /*section*/, const char * /*key*/,
                              const char *default_value) noexcept {
  return default_value;
}

int config_get_int(const char * /*section*/, const char * /*key*/, int default_value) noexcept {
  return default_value;
}

int config_get_id(const char * /*section*/, const char * /*key*/, int default_value) noexcept {
  return default_value;
}

int config_get_hex(const char *, const char *, int default_value) noexcept { return default_value; }

float config_get_float(const char *, const char *, float default_value) noexcept {
  return default_value;
}

char **config_get_argv(const char *, const char *, int *argument_count) noexcept {
  if (argument_count != nullptr) *argument_count = 0;
  return nullptr;
}

void config_set_string(const char *, const char *, const char *) noexcept {}
void config_set_int(const char *, const char *, int) noexcept {}
void config_set_hex(const char *, const char *, int) noexcept {}
void config_set_float(const char *, const char *, float) noexcept {}
void config_set_id(const char *, const char *, int) noexcept {}

void reload_main_config(void) noexcept {}

void load_language_texts(const char * /*language*/) noexcept {}

const char *translate_text(const char *message) noexcept {
  if (message == nullptr) return nullptr;
  const int encoding = get_text_encoding();
  if (conversion_needed(message, ENCODING_ASCII8, encoding) == 0) return message;
  try {
    std::lock_guard<std::mutex> lock(corvane::converted_messages_mutex);
    auto &stored = corvane::converted_messages[{encoding, std::string(message)}];
    if (!stored) {
      const int size = converted_size(message, ENCODING_ASCII8, encoding);
      if (size <= 0) return message;
      stored.reset(new (std::nothrow) char[static_cast<std::size_t>(size)]);
      if (!stored) return message;
      convert_text_into(message, ENCODING_ASCII8, stored.get(), encoding, size);
    }
    return stored.get();
  } catch (...) {
    return message;  // no memory for the map: the message unconverted is the best there is
  }
}

}  // extern "C"
