// Library start-up and shutdown: choosing the system driver, the version check, and taking every
// installed subsystem down again in reverse order.
#include <cerrno>
#include <cstdlib>

#include "core/exit_functions.h"
#include "core/internal.h"
#include "core/module_hooks.h"
#include "corvane/config.h"
#include "corvane/system.h"
#include "corvane/text.h"

// The identification string is made of the version numbers, as text, and the name of the host
// the library is built for, which the build passes in as CORVANE_HOST_NAME ("Linux").
#define CORVANE_TEXT_OF_TOKENS(value) #value
#define CORVANE_TEXT_OF(value) CORVANE_TEXT_OF_TOKENS(value)
#define CORVANE_VERSION_TEXT             \
  CORVANE_TEXT_OF(CORVANE_VERSION_MAJOR) \
  "." CORVANE_TEXT_OF(CORVANE_VERSION_MINOR) "." CORVANE_TEXT_OF(CORVANE_VERSION_PATCH)

namespace corvane {
extern bool errno_is_system;

void exit_handler() noexcept { shutdown_corvane(); }

namespace {

// Tries one entry of the system driver list: makes it current, names it and starts it.
bool try_system_driver(const driver_list_entry &entry) noexcept {
  auto *driver = static_cast<system_driver *>(entry.driver);
  current_system_driver = driver;
  driver->name = driver->description = translate_text(driver->ascii_label);
  if (driver->init != nullptr && driver->init() == 0) return true;
  current_system_driver = nullptr;
  return false;
}

}  // namespace
}  // namespace corvane

extern "C" {

system_driver *current_system_driver = nullptr;
int install_count = 0;
const char *corvane_id_string = "Corvane " CORVANE_VERSION_TEXT ", " CORVANE_HOST_NAME;
int screensaver_setting = 1;

int startup_corvane(int system_id, int *errno_pointer,
                    int (*exit_registrar)(void (*)(void))) noexcept {
  corvane::errno_is_system = (errno_pointer == nullptr);
  errno_location = errno_pointer != nullptr ? errno_pointer : &errno;

  if (corvane::start_palettes_hook != nullptr) corvane::start_palettes_hook();

  // Configuration loading may already ask the platform for paths.
  current_system_driver = static_cast<system_driver *>(system_driver_list[0].driver);
  reload_main_config();
  load_language_texts(nullptr);

  // Section and key names are library literals, looked up in the current encoding.
  char system_text[64];
  const char *system_name = corvane::literal("system", system_text, sizeof system_text);
  if (system_id == SYSTEM_AUTODETECT) {
    system_id = config_get_id(system_name, system_name, SYSTEM_AUTODETECT);
  }

  current_system_driver = nullptr;
  error_text[0] = 0;

  for (const driver_list_entry *entry = system_driver_list; entry->driver != nullptr; ++entry) {
    const bool wanted =
        (entry->id == system_id) || (system_id == SYSTEM_AUTODETECT && entry->autodetect != 0);
    if (!wanted) continue;
    if (corvane::try_system_driver(*entry)) break;
    if (system_id != SYSTEM_AUTODETECT) break;
  }
  if (current_system_driver == nullptr) return -1;

  (void)set_close_button_callback(nullptr);
  detect_cpu();
  char screensaver_text[64];
  system_name = corvane::literal("system", system_text, sizeof system_text);
  screensaver_setting = config_get_int(
      system_name,
      corvane::literal("disable_screensaver", screensaver_text, sizeof screensaver_text), 1);

  if (install_count == 0 && exit_registrar != nullptr) {
    exit_registrar(corvane::exit_handler);
  }
  ++install_count;
  return 0;
}

int startup_corvane_versioned(int system_id, int *errno_pointer,
                              int (*exit_registrar)(void (*)(void)), int version) noexcept {
  const int result = startup_corvane(system_id, errno_pointer, exit_registrar);
  if (result != 0) return result;

  const int major = (version >> 16) & 0xFF;
  const int minor = (version >> 8) & 0xFF;
  const int patch = version & 0xFF;
  if (major == CORVANE_VERSION_MAJOR && minor == CORVANE_VERSION_MINOR &&
      (patch == 0 || patch == 1)) {
    return 0;
  }
  format_text_bounded(error_text, ERROR_TEXT_SIZE,
                      translate_text("The detected dynamic Corvane library (%d.%d.%d) is not "
                                     "compatible with this program (%d.%d.%d)."),
                      CORVANE_VERSION_MAJOR, CORVANE_VERSION_MINOR, CORVANE_VERSION_PATCH, major,
                      minor, patch);
  return -1;
}

void shutdown_corvane(void) noexcept {
  while (corvane::exit_func_node *head = corvane::exit_func_head()) {
    void (*function)() = head->function;
    unregister_exit_func(function);
    function();
  }
  if (current_system_driver != nullptr) {
    if (current_system_driver->exit != nullptr) current_system_driver->exit();
    current_system_driver = nullptr;
  }
  if (scratch_buffer != nullptr) {
    std::free(scratch_buffer);
    scratch_buffer = nullptr;
    scratch_buffer_size = 0;
  }
}

}  // extern "C"
