// Reading numbers from strings of the current encoding through the C library's parsers: the
// string's first characters are converted to 8-bit text, parsed, and the end of the number is
// mapped back to a position in the caller's string.
#include <cstdlib>

#include "text/encoding_internal.h"

namespace corvane {
namespace {

constexpr int scratch_size = 64;

// Every character becomes exactly one byte of ASCII8, so a byte count of the scratch text is a
// character count of the source.
void to_scratch(const char *s, char (&scratch)[scratch_size]) noexcept {
  convert_text_into(s, ENCODING_CURRENT, scratch, ENCODING_ASCII8, scratch_size);
}

char *end_in_source(const char *s, const char *scratch, const char *scratch_end) noexcept {
  return const_cast<char *>(s) + text_offset(s, static_cast<int>(scratch_end - scratch));
}

}  // namespace
}  // namespace corvane

extern "C" {

long text_to_long(const char *s, char **end, int base) noexcept {
  if (s == nullptr) {
    if (end != nullptr) *end = nullptr;
    return 0;
  }
  char scratch[corvane::scratch_size];
  corvane::to_scratch(s, scratch);
  char *scratch_end = scratch;
  const long value = std::strtol(scratch, &scratch_end, base);
  if (end != nullptr) *end = corvane::end_in_source(s, scratch, scratch_end);
  return value;
}

double text_to_double(const char *s, char **end) noexcept {
  if (s == nullptr) {
    if (end != nullptr) *end = nullptr;
    return 0.0;
  }
  char scratch[corvane::scratch_size];
  corvane::to_scratch(s, scratch);
  char *scratch_end = scratch;
  const double value = std::strtod(scratch, &scratch_end);
  if (end != nullptr) *end = corvane::end_in_source(s, scratch, scratch_end);
  return value;
}

double text_to_float(const char *s) noexcept {
  if (s == nullptr) return 0.0;
  char scratch[corvane::scratch_size];
  corvane::to_scratch(s, scratch);
  return std::atof(scratch);
}

}  // extern "C"
