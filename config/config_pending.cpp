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

const char *translate_text(const char *message) noexcept { return message; }

}  // extern "C"
