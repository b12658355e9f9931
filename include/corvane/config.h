/* Corvane: configuration files, overrides, hooks and translated texts. */
#ifndef CORVANE_CONFIG_H
#define CORVANE_CONFIG_H

#include "corvane/base.h"

CORVANE_EXTERN_C_BEGIN

CORVANE_API const char *config_get_string(const char *section, const char *key,
                                          const char *default_value) CORVANE_NOEXCEPT;
CORVANE_API int config_get_int(const char *section, const char *key,
                               int default_value) CORVANE_NOEXCEPT;
CORVANE_API int config_get_hex(const char *section, const char *key,
                               int default_value) CORVANE_NOEXCEPT;
CORVANE_API float config_get_float(const char *section, const char *key,
                                   float default_value) CORVANE_NOEXCEPT;
CORVANE_API int config_get_id(const char *section, const char *key,
                              int default_value) CORVANE_NOEXCEPT;
/* The value split into arguments; the array stays valid until the next call. */
CORVANE_API char **config_get_argv(const char *section, const char *key,
                                   int *argument_count) CORVANE_NOEXCEPT;

CORVANE_API void config_set_string(const char *section, const char *key,
                                   const char *value) CORVANE_NOEXCEPT;
CORVANE_API void config_set_int(const char *section, const char *key, int value) CORVANE_NOEXCEPT;
CORVANE_API void config_set_hex(const char *section, const char *key, int value) CORVANE_NOEXCEPT;
CORVANE_API void config_set_float(const char *section, const char *key,
                                  float value) CORVANE_NOEXCEPT;
CORVANE_API void config_set_id(const char *section, const char *key, int value) CORVANE_NOEXCEPT;

/* Loads the main configuration again from its own file. */
CORVANE_API void reload_main_config(void) CORVANE_NOEXCEPT;

/* Loads the translations of a language (null: the configured one). */
CORVANE_API void load_language_texts(const char *language) CORVANE_NOEXCEPT;

/* The translation of a library message (plain ASCII) in the current encoding; the message itself,
 * converted, when there is no translation. The same message always returns the same text. */
CORVANE_API const char *translate_text(const char *message) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_CONFIG_H */
