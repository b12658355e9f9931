/* Corvane: text encodings, conversion, string operations and the formatter. */
#ifndef CORVANE_TEXT_H
#define CORVANE_TEXT_H

#include <stdarg.h>

#include "corvane/base.h"

CORVANE_EXTERN_C_BEGIN

#define ENCODING_ASCII8 CORVANE_ID('A', 'S', 'C', '8')
#define ENCODING_UTF8 CORVANE_ID('U', 'T', 'F', '8')
#define ENCODING_UNICODE16 CORVANE_ID('U', 'N', 'I', 'C')
#define ENCODING_CODEPAGE CORVANE_ID('A', 'S', 'C', 'P')
#define ENCODING_CURRENT CORVANE_ID('c', 'u', 'r', '.')

#define TEXT_SIZE_UNLIMITED 0x7FFFFFFF

/* Returns the string in the target encoding: the source itself when no conversion is needed,
 * otherwise buffer (or a static 1024-byte buffer when buffer is null) holding the conversion. */
CORVANE_API const char *convert_text(const char *s, int from, char *buffer, int to,
                                     int size) CORVANE_NOEXCEPT;

/* Writes the converted string into buffer (size bytes), always terminated. */
CORVANE_API void convert_text_into(const char *s, int from, char *buffer, int to,
                                   int size) CORVANE_NOEXCEPT;

/* Copies whole characters of src while they fit into size bytes with the terminator; returns
 * dest. */
CORVANE_API char *text_copy(char *dest, int size, const char *src) CORVANE_NOEXCEPT;

/* The simple lower-case mapping of a code point. */
CORVANE_API int char_to_lower(int c) CORVANE_NOEXCEPT;

/* Formats into buffer (size bytes, always terminated); returns the length of the full result. */
CORVANE_API int vformat_text(char *buffer, int size, const char *format,
                             va_list args) CORVANE_NOEXCEPT;
CORVANE_API int format_text_bounded(char *buffer, int size, const char *format,
                                    ...) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_TEXT_H */
