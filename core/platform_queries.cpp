// Questions the library forwards to the system driver: the program's own path and the close
// callback.
#include "core/internal.h"
#include "corvane/system.h"
#include "corvane/text.h"

extern "C" {

void query_executable_path(char *buffer, int size) noexcept {
  if (buffer == nullptr || size <= 0) return;
  if (current_system_driver != nullptr && current_system_driver->get_executable_path != nullptr) {
    current_system_driver->get_executable_path(buffer, size);
    return;
  }
  convert_text_into("./", ENCODING_ASCII8, buffer, ENCODING_CURRENT, size);
}

int set_close_button_callback(void (*callback)(void)) noexcept {
  if (current_system_driver != nullptr && current_system_driver->set_close_callback != nullptr) {
    return current_system_driver->set_close_callback(callback);
  }
  return -1;
}

}  // extern "C"
