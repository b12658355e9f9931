// Internal interface of the text module: the operations of the built-in encodings, the helpers
// that string code shares, and the tests for fast byte-level paths.
#ifndef CORVANE_TEXT_ENCODING_INTERNAL_H
#define CORVANE_TEXT_ENCODING_INTERNAL_H

#include <cstddef>

#include "corvane/text.h"

namespace corvane {

// ---- Built-in encodings --------------------------------------------------------------------

int utf8_get_char(const char *s) noexcept;
int utf8_next_char(const char **s) noexcept;
int utf8_next_char_writable(char **s) noexcept;
int utf8_put_char(char *s, int c) noexcept;
int utf8_char_width(const char *s) noexcept;
int utf8_code_width(int c) noexcept;
int utf8_char_ok(int c) noexcept;

int ascii8_get_char(const char *s) noexcept;
int ascii8_next_char(const char **s) noexcept;
int ascii8_next_char_writable(char **s) noexcept;
int ascii8_put_char(char *s, int c) noexcept;
int ascii8_char_width(const char *s) noexcept;
int ascii8_code_width(int c) noexcept;
int ascii8_char_ok(int c) noexcept;

int unicode16_get_char(const char *s) noexcept;
int unicode16_next_char(const char **s) noexcept;
int unicode16_next_char_writable(char **s) noexcept;
int unicode16_put_char(char *s, int c) noexcept;
int unicode16_char_width(const char *s) noexcept;
int unicode16_code_width(int c) noexcept;
int unicode16_char_ok(int c) noexcept;

int codepage_get_char(const char *s) noexcept;
int codepage_next_char(const char **s) noexcept;
int codepage_next_char_writable(char **s) noexcept;
int codepage_put_char(char *s, int c) noexcept;
int codepage_char_width(const char *s) noexcept;
int codepage_code_width(int c) noexcept;
int codepage_char_ok(int c) noexcept;

// ---- Byte-level fast paths -----------------------------------------------------------------

// Number of leading bytes of s[0, length) that are below 0x80.
std::size_t ascii_prefix_length(const char *s, std::size_t length) noexcept;

// Copies the leading bytes of s[0, length) that are below 0x80 to dest and returns how many.
// Destinations below an overlapping source are copied correctly.
std::size_t copy_ascii_prefix(char *dest, const char *s, std::size_t length) noexcept;

// True when the reader is a built-in one under which every byte below 0x80 is one character with
// that code point (UTF-8, ASCII8 and the codepage).
bool reads_ascii_as_bytes(int (*next_char)(const char **)) noexcept;

// True when the reader is a built-in 8-bit one: every byte is one character and only the byte 0
// reads as the terminator (ASCII8 and the codepage).
bool reads_bytes_as_characters(int (*next_char)(const char **)) noexcept;

// True when the encoding's writing operations are built-in ones that store every code point
// below 0x80 as that one byte.
bool writes_ascii_as_bytes(const encoding_info &encoding) noexcept;

// The same question for the current encoding's writing operations.
bool current_writes_ascii_as_bytes() noexcept;

// True when the current encoding is the built-in ASCII8, where every byte is one character.
bool current_is_ascii8() noexcept;

// ---- Helpers shared by the string operations -----------------------------------------------

// An empty string in every encoding (enough zero bytes for any terminator).
extern const char empty_text[8];

// The bytes the current encoding's next_char steps over for the character at s (0 for the
// terminator). Unlike char_width it never steps past a terminator inside a broken sequence.
int current_char_span(const char *s) noexcept;

// Bytes before the terminator of s under next_char, which may differ from strlen for broken or
// overlong UTF-8. Null counts as an empty string.
int text_size_of(const char *s, int (*next_char)(const char **)) noexcept;

// Replaces the character of span bytes at `at` with c in the current encoding, moving the rest of
// the string (and writing a fresh terminator behind it) when the widths differ. Returns the
// width written for c.
int replace_character(char *at, int span, int c) noexcept;

// True when c (never 0) is one of the characters of set; a null set is empty.
bool set_contains(const char *set, int c) noexcept;

// The difference a - b clamped to int, for comparisons of code points of any value.
int code_point_difference(int a, int b) noexcept;

// The record of an encoding after replacing ENCODING_CURRENT, or null.
const encoding_info *resolve_encoding(int id) noexcept;

}  // namespace corvane

#endif  // CORVANE_TEXT_ENCODING_INTERNAL_H
