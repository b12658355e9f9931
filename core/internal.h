// Internal interface of the core: helpers that every module of the library uses but that are not
// part of the public C interface.
#ifndef CORVANE_CORE_INTERNAL_H
#define CORVANE_CORE_INTERNAL_H

#include <cstdarg>

#include "corvane/system.h"
#include "corvane/text.h"

namespace corvane {

// Converts a library literal (7-bit ASCII) into the current encoding. The result is the literal
// itself when no conversion is needed, otherwise buffer.
inline const char *literal(const char *ascii, char *buffer, int size) noexcept {
  return convert_text(ascii, ENCODING_ASCII8, buffer, ENCODING_CURRENT, size);
}

// The library's exit handler, handed to the exit registrar once per process.
void exit_handler() noexcept;

}  // namespace corvane

#endif  // CORVANE_CORE_INTERNAL_H
