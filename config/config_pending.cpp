// Placeholder configuration: every getter answers its default and messages stay untranslated,
// until configuration files are read.
#include "corvane/config.h"

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

void reload_main_config(void) noexcept {}

void load_language_texts(const char * /*language*/) noexcept {}

const char *translate_text(const char *message) noexcept { return message; }

}  // extern "C"
