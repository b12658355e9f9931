// The system's description of an error number, in the current encoding.
#include <cstring>

#include "text/encoding_internal.h"

namespace corvane {
namespace {

constexpr int error_string_size = 1024;

// Each thread keeps its own result, so a description cannot change under another thread's feet.
thread_local char error_string_buffer[error_string_size];

// strerror_r comes in two forms; both are accepted.
[[maybe_unused]] const char *pick_description(int result, const char *buffer) noexcept {
  return result == 0 ? buffer : "Unknown error";
}
[[maybe_unused]] const char *pick_description(const char *result,
                                              const char * /*buffer*/) noexcept {
  return result != nullptr ? result : "Unknown error";
}

}  // namespace
}  // namespace corvane

extern "C" {

const char *text_error_string(int error_number) noexcept {
  char description[256] = "";
  const char *text = corvane::pick_description(
      strerror_r(error_number, description, sizeof description), description);
  convert_text_into(text, ENCODING_ASCII8, corvane::error_string_buffer, ENCODING_CURRENT,
                    corvane::error_string_size);
  return corvane::error_string_buffer;
}

}  // extern "C"
