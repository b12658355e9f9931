// The library-wide error text and error-number location.
#include <cerrno>

#include "core/internal.h"
#include "corvane/config.h"
#include "corvane/text.h"

namespace corvane {
// True while errno_location points at the starting thread's errno because the program gave no
// location of its own. Error numbers then go to the calling thread's own errno, so that threads
// of the library never write into another thread's errno.
bool errno_is_system = true;
}  // namespace corvane

extern "C" {

char error_text[ERROR_TEXT_SIZE] = "";
int *errno_location = nullptr;

void set_error_number(int number) noexcept {
  if (errno_location != nullptr && !corvane::errno_is_system) {
    *errno_location = number;
  } else {
    errno = number;
  }
}

int get_error_number(void) noexcept {
  if (errno_location != nullptr && !corvane::errno_is_system) return *errno_location;
  return errno;
}

void set_error_text(const char *ascii_message) noexcept {
  if (ascii_message == nullptr) {
    error_text[0] = 0;
    return;
  }
  text_copy(error_text, ERROR_TEXT_SIZE, translate_text(ascii_message));
}

void set_error_text_if_empty(const char *ascii_message) noexcept {
  if (error_text[0] == 0) set_error_text(ascii_message);
}

}  // extern "C"
