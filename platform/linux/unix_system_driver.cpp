// The Linux host system driver 'UNIX': recursive pthread mutexes, the program's path from
// /proc/self/exe, the home and system directories for resources, messages on standard error (and
// in a box on the display the program uses), the desktop's depth and size, the safe mode, the
// host's driver lists, and fatal signals that shut the library down first.
#include <sched.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <mutex>

#include "config/path_text.h"
#include "corvane/text.h"
#include "corvane/timer.h"
#include "platform/linux/display_layer.h"
#include "platform/linux/unix_host.h"
#include "platform/null/headless_gfx_driver.h"

namespace corvane::unix_host {
namespace {

// The title and the callback live in fixed storage: the entry points that set them cannot fail
// for want of memory.
std::mutex host_state_mutex;
char title[WINDOW_TITLE_SIZE] = "";
void (*close_button_callback)() = nullptr;

// Copies UTF-8 text into a buffer of size bytes, always terminated; text that does not fit is cut
// before the character that would not fit whole.
void copy_bounded(char *buffer, std::size_t size, const char *text) noexcept {
  if (size == 0) return;
  std::size_t length = std::strlen(text);
  if (length >= size) {
    length = size - 1;
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  }
  std::memcpy(buffer, text, length);
  buffer[length] = 0;
}

// The program's name as the default window title.
void set_title_to_program_name() noexcept {
  char path[WINDOW_TITLE_SIZE];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  const char *name = "Corvane";
  if (length > 0) {
    path[length] = 0;
    const char *slash = std::strrchr(path, '/');
    name = slash != nullptr ? slash + 1 : path;
  }
  std::lock_guard<std::mutex> lock(host_state_mutex);
  copy_bounded(title, sizeof title, name);
}

int unix_init() {
  detect_utf8_locale();
  install_fatal_signal_handlers();
  set_title_to_program_name();
  std::lock_guard<std::mutex> lock(host_state_mutex);
  close_button_callback = nullptr;
  return 0;
}

void unix_exit() {
  remove_fatal_signal_handlers();
  std::lock_guard<std::mutex> lock(host_state_mutex);
  close_button_callback = nullptr;
}

void unix_get_executable_path(char *buffer, int size) {
  if (buffer == nullptr || size <= 0) return;
  char path[1024];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) {
    convert_text_into("./", ENCODING_ASCII8, buffer, ENCODING_CURRENT, size);
    return;
  }
  path[length] = 0;
  convert_text_into(path, get_file_name_encoding(), buffer, ENCODING_CURRENT, size);
}

void unix_set_window_title(const char *text) {
  if (text == nullptr) return;
  char utf8[WINDOW_TITLE_SIZE];
  convert_text_into(text, ENCODING_CURRENT, utf8, ENCODING_UTF8, sizeof utf8);
  {
    std::lock_guard<std::mutex> lock(host_state_mutex);
    copy_bounded(title, sizeof title, utf8);
  }
  const display_services *services = display_layer::services;
  if (services != nullptr && services->title_changed != nullptr) services->title_changed();
}

int unix_set_close_callback(void (*callback)()) {
  std::lock_guard<std::mutex> lock(host_state_mutex);
  close_button_callback = callback;
  return 0;
}

// Messages go to standard error, in UTF-8 when the locale is UTF-8 and folded to ASCII otherwise.
void unix_show_message(const char *text) {
  if (text == nullptr) return;
  char local[4096];
  const int target = get_file_name_encoding() == ENCODING_UTF8 ? ENCODING_UTF8 : ENCODING_CODEPAGE;
  convert_text_into(text, ENCODING_CURRENT, local, target, sizeof local);
  std::fputs(local, stderr);
  std::fflush(stderr);

  const display_services *services = display_layer::services;
  if (services != nullptr && services->message_box != nullptr) {
    char utf8[4096];
    convert_text_into(text, ENCODING_CURRENT, utf8, ENCODING_UTF8, sizeof utf8);
    char box_title[WINDOW_TITLE_SIZE];
    copy_window_title(box_title, sizeof box_title);
    services->message_box(box_title, utf8);
  }
}

int unix_get_desktop_depth() {
  const display_services *services = display_layer::services;
  if (services == nullptr || services->desktop_depth == nullptr) return -1;
  return services->desktop_depth();
}

int unix_get_desktop_size(int *width, int *height) {
  const display_services *services = display_layer::services;
  if (services == nullptr || services->desktop_size == nullptr) return -1;
  int w = 0;
  int h = 0;
  if (services->desktop_size(&w, &h) != 0) return -1;
  if (width != nullptr) *width = w;
  if (height != nullptr) *height = h;
  return 0;
}

// The safe mode is a small 8-bit window when a display can be reached, and otherwise the
// headless driver, which needs nothing.
void unix_get_safe_mode(int *driver_id, gfx_mode_entry *mode) {
  const display_services *services = display_layer::services;
  if (services != nullptr && services->safe_mode != nullptr &&
      services->safe_mode(driver_id, mode)) {
    return;
  }
  if (driver_id != nullptr) *driver_id = GFX_HEADLESS;
  if (mode != nullptr) *mode = gfx_mode_entry{.width = 320, .height = 200, .bpp = 8};
}

// Display switching is not something a Linux desktop takes away from a program: only the
// policy of running on in the background is offered.
int unix_set_switch_mode(int mode) { return mode == SWITCH_BACKGROUND ? 0 : -1; }

void unix_yield_cpu() { sched_yield(); }

}  // namespace

void copy_window_title(char *buffer, std::size_t size) noexcept {
  if (buffer == nullptr) return;
  std::lock_guard<std::mutex> lock(host_state_mutex);
  copy_bounded(buffer, size, title);
}

void (*close_callback())() {
  std::lock_guard<std::mutex> lock(host_state_mutex);
  return close_button_callback;
}

system_driver driver = {
    .id = SYSTEM_UNIX,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "Unix",
    .init = unix_init,
    .exit = unix_exit,
    .get_executable_path = unix_get_executable_path,
    .locate_resource_hook = corvane::locate_resource_in_standard_places,
    .set_window_title = unix_set_window_title,
    .set_close_callback = unix_set_close_callback,
    .show_message_op = unix_show_message,
    .set_switch_mode = unix_set_switch_mode,
    .get_desktop_depth = unix_get_desktop_depth,
    .get_desktop_size = unix_get_desktop_size,
    .get_safe_mode = unix_get_safe_mode,
    .yield_cpu = unix_yield_cpu,
    .mutex_create = mutex_create,
    .mutex_destroy = mutex_destroy,
    .mutex_lock = mutex_lock,
    .mutex_unlock = mutex_unlock,
    .list_gfx_drivers = list_gfx_drivers,
    .list_digi_drivers = list_digi_drivers,
    .list_midi_drivers = list_midi_drivers,
    .list_keyboard_drivers = list_keyboard_drivers,
    .list_mouse_drivers = list_mouse_drivers,
    .list_joystick_drivers = list_joystick_drivers,
};

}  // namespace corvane::unix_host
