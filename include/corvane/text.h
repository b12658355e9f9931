/** @file
 * Corvane: text encodings, conversion, string operations and the formatter.
 *
 * Every string that crosses the library's interface is zero-terminated text in the process-wide
 * current encoding (UTF-8 at start). Index arguments count characters; sizes count bytes and
 * include the terminator. */
#ifndef CORVANE_TEXT_H
#define CORVANE_TEXT_H

#include <stdarg.h>
#include <stddef.h>

#include "corvane/base.h"

CORVANE_EXTERN_C_BEGIN

/* ---- Encodings ------------------------------------------------------------------------------ */

/** Plain 8-bit text: each byte is the code point of the same value. */
#define ENCODING_ASCII8 CORVANE_ID('A', 'S', 'C', '8')
/** UTF-8. */
#define ENCODING_UTF8 CORVANE_ID('U', 'T', 'F', '8')
/** One 16-bit unit per character in the machine's byte order, without surrogate pairs. */
#define ENCODING_UNICODE16 CORVANE_ID('U', 'N', 'I', 'C')
/** One byte per character through codepage_table and codepage_extras. */
#define ENCODING_CODEPAGE CORVANE_ID('A', 'S', 'C', 'P')
/** Not an encoding: wherever an id is taken it stands for the current encoding. */
#define ENCODING_CURRENT CORVANE_ID('c', 'u', 'r', '.')

/** A size that means "no limit". */
#define TEXT_SIZE_UNLIMITED 0x7FFFFFFF

/** The operations of one encoding. */
typedef struct encoding_info {
  int id;                           /**< 0 marks a free record */
  int (*get_char)(const char *s);   /**< the code point at s */
  int (*next_char)(const char **s); /**< the code point at *s; moves *s past it */
  int (*put_char)(char *s, int c);  /**< writes c at s; returns the bytes written */
  int (*char_width)(const char *s); /**< bytes of the character at s */
  int (*code_width)(int c);         /**< bytes that c takes in this encoding */
  int (*char_ok)(int c);            /**< nonzero when the encoding can hold c */
  int max_width;                    /**< most bytes of one character */
} encoding_info;

/** One approximation of ENCODING_CODEPAGE: a code point that codepage_table does not hold and the
 * byte written for it. */
typedef struct codepage_extra {
  uint16_t code_point; /**< the code point; 0 ends the table */
  uint16_t byte_value; /**< the byte written for it */
} codepage_extra;

/** The code point of every byte value of ENCODING_CODEPAGE (read-only): bytes 0-127 are
 * themselves, 128-255 are '^'. */
extern CORVANE_API const uint16_t codepage_table[256];
/** The 191 one-byte approximations of ENCODING_CODEPAGE (read-only) that fold Latin-1 and Latin
 * Extended-A letters to plain ASCII, ended by a pair whose code point is 0. */
extern CORVANE_API const codepage_extra codepage_extras[];

/* The operations of the current encoding, kept in variables so that string code needs no lookup;
 * each is the operation of the same name of encoding_info. */
/** The code point at s, in the current encoding. */
extern CORVANE_API int (*current_get_char)(const char *s);
/** The code point at *s, in the current encoding; moves *s past it. */
extern CORVANE_API int (*current_next_char)(const char **s);
/** current_next_char on a writable string pointer. */
extern CORVANE_API int (*current_next_char_writable)(char **s);
/** Writes c at s in the current encoding; returns the bytes written. */
extern CORVANE_API int (*current_put_char)(char *s, int c);
/** Bytes of the character at s, in the current encoding. */
extern CORVANE_API int (*current_char_width)(const char *s);
/** Bytes that c takes in the current encoding. */
extern CORVANE_API int (*current_code_width)(int c);
/** Nonzero when the current encoding can hold c. */
extern CORVANE_API int (*current_char_ok)(int c);

/** The record of an encoding (ENCODING_CURRENT allowed; 0 finds the first free record), or null. */
CORVANE_API encoding_info *find_encoding_info(int id) CORVANE_NOEXCEPT;

/** Makes an encoding current; an unknown id changes nothing. */
CORVANE_API void set_text_encoding(int id) CORVANE_NOEXCEPT;
/** The id of the current encoding. */
CORVANE_API int get_text_encoding(void) CORVANE_NOEXCEPT;

/** Adds (or replaces) an encoding in one of the four free records; a full table ignores it. An id
 * of 0 or ENCODING_CURRENT, a null operation or a max_width below 1 is refused with EINVAL. */
CORVANE_API void register_text_encoding(int id, int (*get_char)(const char *s),
                                        int (*next_char)(const char **s),
                                        int (*put_char)(char *s, int c),
                                        int (*char_width)(const char *s), int (*code_width)(int c),
                                        int (*char_ok)(int c), int max_width) CORVANE_NOEXCEPT;

/** Most bytes a character of the encoding takes; 0 for an unknown id. */
CORVANE_API int encoding_max_width(int id) CORVANE_NOEXCEPT;

/** The encoding in which file names are handed to the platform (ENCODING_ASCII8 at start). */
CORVANE_API void set_file_name_encoding(int id) CORVANE_NOEXCEPT;
/** The encoding in which file names are handed to the platform. */
CORVANE_API int get_file_name_encoding(void) CORVANE_NOEXCEPT;

/** Makes file names UTF-8 when the locale variables (LC_ALL, LC_CTYPE, LANG) name UTF-8. */
CORVANE_API void detect_utf8_locale(void) CORVANE_NOEXCEPT;

/* ---- Conversion ----------------------------------------------------------------------------- */

/** 0 when the bytes of s are already valid in the target encoding, -1 otherwise. */
CORVANE_API int conversion_needed(const char *s, int from, int to) CORVANE_NOEXCEPT;

/** Bytes the converted string takes, terminator included; 0 for an unknown id. */
CORVANE_API int converted_size(const char *s, int from, int to) CORVANE_NOEXCEPT;

/** Writes the converted string into buffer (size bytes): always terminated, cut on a whole
 * character; characters the target cannot hold become '^'. */
CORVANE_API void convert_text_into(const char *s, int from, char *buffer, int to,
                                   int size) CORVANE_NOEXCEPT;

/** The string in the target encoding: s itself when no conversion is needed, otherwise buffer (or
 * a 1024-byte buffer of the calling thread when buffer is null, whatever size says) holding the
 * conversion; an empty string when nothing can be converted (unknown id, size too small). Treat
 * the result as read-only. */
CORVANE_API const char *convert_text(const char *s, int from, char *buffer, int to,
                                     int size) CORVANE_NOEXCEPT;

/* ---- String operations (current encoding) --------------------------------------------------- */

/** Characters before the terminator. A null string counts as empty throughout. */
CORVANE_API int text_length(const char *s) CORVANE_NOEXCEPT;
/** Bytes before the terminator. */
CORVANE_API int text_size(const char *s) CORVANE_NOEXCEPT;
/** Bytes including the terminator. */
CORVANE_API int text_size_z(const char *s) CORVANE_NOEXCEPT;
/** Byte offset of character index. A negative index counts from the end (-1 is the last
 * character; anything before the first gives 0); an index past the end gives the terminator's. */
CORVANE_API int text_offset(const char *s, int index) CORVANE_NOEXCEPT;
/** The code point at index (0 at or past the end). */
CORVANE_API int text_get_at(const char *s, int index) CORVANE_NOEXCEPT;
/** Replaces the character at index with c, moving the rest when the widths differ; returns the
 * change in bytes. The terminator is never replaced (0 is returned). */
CORVANE_API int text_set_at(char *s, int index, int c) CORVANE_NOEXCEPT;
/** Inserts c before the character at index (appends past the end); returns its width. The
 * caller provides the room. */
CORVANE_API int text_insert(char *s, int index, int c) CORVANE_NOEXCEPT;
/** Removes the character at index; returns minus its width (0 at the terminator). */
CORVANE_API int text_remove(char *s, int index) CORVANE_NOEXCEPT;
/** Copies whole characters of src into dest (size bytes) and terminates; returns dest. A size
 * too small for a terminator writes only zero bytes. */
CORVANE_API char *text_copy(char *dest, int size, const char *src) CORVANE_NOEXCEPT;
/** Appends src behind the text of dest within size bytes, always terminated; returns dest. */
CORVANE_API char *text_concat(char *dest, int size, const char *src) CORVANE_NOEXCEPT;
/** Copies at most n characters, pads with zero characters up to n as far as size allows, then
 * terminates -- except with size TEXT_SIZE_UNLIMITED, where (like strncpy) no terminator follows
 * n copied characters. n below 1 writes only the terminator. Returns dest. */
CORVANE_API char *text_ncopy(char *dest, int size, const char *src, int n) CORVANE_NOEXCEPT;
/** Appends at most n characters of src within size bytes, always terminated; returns dest. */
CORVANE_API char *text_nconcat(char *dest, int size, const char *src, int n) CORVANE_NOEXCEPT;
/** A copy of s in memory from allocator (malloc when null); null and ENOMEM when it fails. */
CORVANE_API char *text_duplicate(const char *s, void *(*allocator)(size_t)) CORVANE_NOEXCEPT;
/** Compares code point by code point; returns the difference at the first unequal pair, 0 when
 * equal. */
CORVANE_API int text_compare(const char *s1, const char *s2) CORVANE_NOEXCEPT;
/** text_compare over at most n characters (n below 1: 0). */
CORVANE_API int text_ncompare(const char *s1, const char *s2, int n) CORVANE_NOEXCEPT;
/** text_compare of the char_to_lower values. */
CORVANE_API int text_icompare(const char *s1, const char *s2) CORVANE_NOEXCEPT;
/** text_icompare over at most n characters (n below 1: 0). */
CORVANE_API int text_nicompare(const char *s1, const char *s2, int n) CORVANE_NOEXCEPT;
/** Lowers the case in place, character by character (the string may shrink); returns s. */
CORVANE_API char *text_lower(char *s) CORVANE_NOEXCEPT;
/** Raises the case in place, character by character (the string may shrink); returns s. */
CORVANE_API char *text_upper(char *s) CORVANE_NOEXCEPT;
/** The first c in s (c = 0: the terminator), or null. */
CORVANE_API char *text_find_char(const char *s, int c) CORVANE_NOEXCEPT;
/** The last c in s, or null (also for c = 0). */
CORVANE_API char *text_find_last_char(const char *s, int c) CORVANE_NOEXCEPT;
/** The first occurrence of needle in s, or null; an empty s gives null even for an empty
 * needle. */
CORVANE_API char *text_find(const char *s, const char *needle) CORVANE_NOEXCEPT;
/** The first character of s that occurs in set, or null. */
CORVANE_API char *text_find_any(const char *s, const char *set) CORVANE_NOEXCEPT;
/** The next token of s (null: continue from *position) delimited by characters of set. The
 * delimiter behind the token is replaced by the terminator and *position points past it; null
 * when no token is left. */
CORVANE_API char *text_tokenize(char *s, const char *set, char **position) CORVANE_NOEXCEPT;
/** An integer parsed by the C library's strtol from the first 63 characters of s; *end, when
 * asked for, points behind the number in s. */
CORVANE_API long text_to_long(const char *s, char **end, int base) CORVANE_NOEXCEPT;
/** A number parsed by the C library's strtod from the first 63 characters of s; *end, when asked
 * for, points behind the number in s. */
CORVANE_API double text_to_double(const char *s, char **end) CORVANE_NOEXCEPT;
/** A number parsed by the C library's atof from the first 63 characters of s. */
CORVANE_API double text_to_float(const char *s) CORVANE_NOEXCEPT;
/** The system's text for an error number, in the current encoding (a buffer of the calling
 * thread, overwritten by its next call). */
CORVANE_API const char *text_error_string(int error_number) CORVANE_NOEXCEPT;

/* ---- Character classes (code points) -------------------------------------------------------- */

/** True for 9-13, 32, U+1680, U+2000-U+200A, U+2028, U+202F and U+3000. */
CORVANE_API int char_is_space(int c) CORVANE_NOEXCEPT;
/** Simple Unicode case mappings over Latin, Greek, Cyrillic, Armenian, Georgian (lower-casing
 * only), Latin Extended Additional, Greek Extended, Roman numerals and circled letters; every
 * other code point maps to itself. */
CORVANE_API int char_to_lower(int c) CORVANE_NOEXCEPT;
/** The upper-case form of c by the same simple mappings (none for Georgian); other code points
 * map to themselves. */
CORVANE_API int char_to_upper(int c) CORVANE_NOEXCEPT;

/* ---- The formatter -------------------------------------------------------------------------- */

/** Formats into buffer (at most size bytes, terminator included, always terminated; nothing is
 * written when size cannot hold a terminator) in the current encoding; returns the number of
 * characters of the complete, uncut result. Conversions: d i D u U o x X p c s n e E f g G with
 * the flags - + space # 0, widths and precisions (also as *), and the length modifiers h (int),
 * l (long), ll and L (long long; L reads a long double for floating conversions). An unknown
 * conversion character is written as a literal. */
CORVANE_API int vformat_text(char *buffer, int size, const char *format,
                             va_list args) CORVANE_NOEXCEPT;
/** vformat_text of the arguments without a size limit: buffer must hold the whole result. */
CORVANE_API int format_text(char *buffer, const char *format, ...) CORVANE_NOEXCEPT;
/** vformat_text of the arguments within size bytes. */
CORVANE_API int format_text_bounded(char *buffer, int size, const char *format,
                                    ...) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_TEXT_H */
