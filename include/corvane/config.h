/** @file
 * Corvane: configuration files, overrides, hooks and translated texts. */
#ifndef CORVANE_CONFIG_H
#define CORVANE_CONFIG_H

#include "corvane/base.h"

CORVANE_EXTERN_C_BEGIN

/* Every text below is in the current encoding. Section arguments may be null, empty, bare
 * ("mouse") or bracketed ("[mouse]"); keys and sections compare without regard to case. Keys that
 * begin with "#", and sections that begin with "[#", live in a transient configuration that is
 * never written to disk. */

/* ---- Configurations ------------------------------------------------------------------------ */

/** Registers config_cleanup and creates the transient configuration on first use; with load
 * nonzero and no main configuration, finds "corvane.cfg" (resource search, else next to the
 * program, where it will be written) and loads it. */
CORVANE_API void prepare_config(int load) CORVANE_NOEXCEPT;

/** Makes a file the main configuration; it is written back there when changed. A missing or empty
 * file gives an empty configuration that still remembers the file. A file that exists but cannot
 * be read (the error number says why; EFBIG above 256 MiB) gives an empty configuration that is
 * never written back, so that the file is not replaced. */
CORVANE_API void use_config_file(const char *filename) CORVANE_NOEXCEPT;

/** Makes length bytes of configuration text the main configuration (never written back). A
 * negative length counts as 0 and leaves EINVAL; ENOMEM when memory is short. */
CORVANE_API void use_config_data(const char *data, int length) CORVANE_NOEXCEPT;

/** Loads a second file whose entries take precedence over the main configuration (and receive the
 * setters' changes); null removes it. A missing or unreadable file is handled as by
 * use_config_file. */
CORVANE_API void use_override_config_file(const char *filename) CORVANE_NOEXCEPT;

/** Pushes the main configuration onto a stack of three (the oldest is dropped, after being written
 * back when changed); the next access loads "corvane.cfg" again. */
CORVANE_API void save_config_state(void) CORVANE_NOEXCEPT;

/** Drops the main configuration (written back when changed) and brings back the newest saved one. */
CORVANE_API void restore_config_state(void) CORVANE_NOEXCEPT;

/** Loads the main configuration again from its own file (changes are written back first). */
CORVANE_API void reload_main_config(void) CORVANE_NOEXCEPT;

/** Writes the main configuration, and the override configuration when one is loaded, to their
 * files now if they have changed, instead of only when the library shuts down. Each file is
 * written whole to a new file beside it, which then replaces it, so that a failed write leaves the
 * old file as it was. Returns 0 (also when nothing had changed or a configuration has no file),
 * or -1 with the error number set when a file could not be written: EROFS for a configuration
 * read from inside a data file ("file.dat#object"), or the system's reason. A configuration that
 * could not be written stays marked as changed and is tried again at shutdown. */
CORVANE_API int flush_config_file(void) CORVANE_NOEXCEPT;

/** Exit function: writes back every changed configuration and frees every configuration, hook and
 * the argument buffer of config_get_argv. */
CORVANE_API void config_cleanup(void) CORVANE_NOEXCEPT;

/* ---- Section hooks ------------------------------------------------------------------------- */

/** Makes the program's functions answer a section: the getters ask int_getter or string_getter
 * (with the key and the caller's default) and the setters call string_setter, instead of any
 * configuration. Attaching to a hooked section replaces its functions; attaching three nulls
 * removes the hook. When memory is short no hook is attached (ENOMEM). */
CORVANE_API void attach_config_hook(
    const char *section, int (*int_getter)(const char *name, int default_value),
    const char *(*string_getter)(const char *name, const char *default_value),
    void (*string_setter)(const char *name, const char *value)) CORVANE_NOEXCEPT;

/** -1 when a hook answers the section, else 0. */
CORVANE_API int config_section_hooked(const char *section) CORVANE_NOEXCEPT;

/* ---- Getters: a missing, empty or unparsable value gives the default ----------------------- */

/** The value text, owned by the configuration (valid until the key changes). */
CORVANE_API const char *config_get_string(const char *section, const char *key,
                                          const char *default_value) CORVANE_NOEXCEPT;
/** The value as an integer: decimal, "0x" hexadecimal or "0" octal; values beyond the int range
 * are clamped. */
CORVANE_API int config_get_int(const char *section, const char *key,
                               int default_value) CORVANE_NOEXCEPT;
/** The value read as hexadecimal; a value that does not fit yields -1, unless it is exactly
 * "7FFFFFFF". */
CORVANE_API int config_get_hex(const char *section, const char *key,
                               int default_value) CORVANE_NOEXCEPT;
/** The value as a decimal floating-point number; a value beyond the range of float gives an
 * infinity of its sign. */
CORVANE_API float config_get_float(const char *section, const char *key,
                                   float default_value) CORVANE_NOEXCEPT;
/** A number, or a four-character id made of the first four characters in upper case (missing
 * ones are spaces): "sb16" gives 'SB16', "ab" gives 'AB  '. */
CORVANE_API int config_get_id(const char *section, const char *key,
                              int default_value) CORVANE_NOEXCEPT;
/** The value split into arguments at white space ("'" or '"' quote an argument, "#" where an
 * argument would begin ends the list). The array and its strings stay valid until the next call
 * or config_cleanup. Null with a count of 0 when there are none (ENOMEM when memory is short). */
CORVANE_API char **config_get_argv(const char *section, const char *key,
                                   int *argument_count) CORVANE_NOEXCEPT;

/* ---- Setters: a null or empty value removes the key ---------------------------------------- */
/* The file format has no quoting: a section name, key or value is stored only up to its first
 * line break (CR or LF), and a setter that cut one leaves the error number EINVAL (a key that
 * would be empty is not stored). Write-back only ever replaces a regular file (a symbolic link to
 * one is written through to its target); for anything else it writes nothing and leaves EINVAL
 * (EISDIR for a directory). */

/** Stores a text as the value of a key (in the override configuration when one is loaded, else in
 * the main one; a hooked section goes to its hook). A null or empty value removes the key. Leaves
 * EINVAL when a line break cut the text, ENOMEM when memory is short (nothing is stored then). */
CORVANE_API void config_set_string(const char *section, const char *key,
                                   const char *value) CORVANE_NOEXCEPT;
/** Stores an integer as decimal digits, through config_set_string. */
CORVANE_API void config_set_int(const char *section, const char *key, int value) CORVANE_NOEXCEPT;
/** Stores an integer as upper-case hexadecimal digits without a prefix; negative values are
 * written as "-1". Through config_set_string. */
CORVANE_API void config_set_hex(const char *section, const char *key, int value) CORVANE_NOEXCEPT;
/** Stores a number with six decimals ("%f"), through config_set_string. */
CORVANE_API void config_set_float(const char *section, const char *key,
                                  float value) CORVANE_NOEXCEPT;
/** Stores a four-character id: values above 255 as up to four characters (ending at the first 0 or space byte), others as a
 * decimal number. */
CORVANE_API void config_set_id(const char *section, const char *key, int value) CORVANE_NOEXCEPT;

/* ---- Listing ------------------------------------------------------------------------------- */

/** The keys of a section in the override and main configurations, each name once. *names must be
 * null or a list from an earlier call; it receives an array (null when there are none) whose
 * strings belong to the configurations. Returns the count; 0 with a null list (ENOMEM) when memory
 * is short. */
CORVANE_API int config_list_entries(const char *section, const char ***names) CORVANE_NOEXCEPT;

/** The bracketed section headers of the override and main configurations, each once, as for
 * config_list_entries. Returns the count; 0 with a null list (ENOMEM) when memory is short. */
CORVANE_API int config_list_sections(const char ***names) CORVANE_NOEXCEPT;

/** Frees a list and sets *names to null. */
CORVANE_API void config_free_list(const char ***names) CORVANE_NOEXCEPT;

/* ---- Translated texts ---------------------------------------------------------------------- */

/** Loads the translations of a language (stored as "language" in section "system"; null: the
 * configured one) from "<language>text.cfg", alone or inside "language.dat". Without either, or
 * when memory is short (ENOMEM), messages stay untranslated. */
CORVANE_API void load_language_texts(const char *language) CORVANE_NOEXCEPT;

/** The translation of a library message (plain ASCII) in the current encoding; the message itself,
 * converted, when there is no translation. The same message always returns the same text, which
 * stays valid for the life of the process. An empty text (ENOMEM) when memory is short; null for
 * a null message. */
CORVANE_API const char *translate_text(const char *message) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_CONFIG_H */
