// Choosing the file-name encoding from the locale variables of the environment.
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "corvane/text.h"

namespace corvane {
namespace {

const char *non_empty_variable(const char *name) noexcept {
  const char *value = std::getenv(name);
  return (value != nullptr && value[0] != 0) ? value : nullptr;
}

}  // namespace
}  // namespace corvane

extern "C" {

void detect_utf8_locale(void) noexcept {
  const char *value = corvane::non_empty_variable("LC_ALL");
  if (value == nullptr) value = corvane::non_empty_variable("LC_CTYPE");
  if (value == nullptr) value = std::getenv("LANG");
  if (value == nullptr) return;
  for (const char *name : {"utf8", "UTF-8", "utf-8", "UTF8"}) {
    if (std::strstr(value, name) != nullptr) {
      set_file_name_encoding(ENCODING_UTF8);
      return;
    }
  }
}

}  // extern "C"
