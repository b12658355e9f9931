// State of the Linux host that its drivers share: the window title, the close callback, the
// fatal-signal handling, the host's driver lists and the services of the display layer. The
// system driver owns it; display drivers read it.
#ifndef CORVANE_PLATFORM_LINUX_UNIX_HOST_H
#define CORVANE_PLATFORM_LINUX_UNIX_HOST_H

#include <cstddef>

#include "corvane/gfx.h"
#include "corvane/system.h"

namespace corvane::unix_host {

// The host system driver's id, 'UNIX'.
inline constexpr int SYSTEM_UNIX = CORVANE_ID('U', 'N', 'I', 'X');

// The host system driver.
extern system_driver driver;

// Room for the window title in UTF-8, terminator included; longer titles are cut.
inline constexpr std::size_t WINDOW_TITLE_SIZE = 1024;

// Copies the window title (UTF-8: the program's name until the program sets another) into buffer,
// bounded to size bytes and always terminated.
void copy_window_title(char *buffer, std::size_t size) noexcept;

// The function the window's close button calls, or null.
void (*close_callback())();

// Fatal signals shut the library down (restoring the display and the terminal) before they take
// their normal effect. install remembers the previous handlers; remove puts them back.
void install_fatal_signal_handlers() noexcept;
void remove_fatal_signal_handlers() noexcept;

// What a display layer offers the system driver. Every member may be null.
struct display_services {
  // Bits per pixel of the desktop, or -1 when no display can be reached.
  int (*desktop_depth)();
  // Size of the desktop; 0, or -1 when no display can be reached.
  int (*desktop_size)(int *width, int *height);
  // Fills in a graphics driver and mode that can be shown here; false when it knows none.
  bool (*safe_mode)(int *driver_id, gfx_mode_entry *mode);
  // Shows a message (UTF-8) in a box when the program already uses a real display.
  void (*message_box)(const char *utf8_title, const char *utf8_text);
  // The window title changed.
  void (*title_changed)();
  // A fatal signal is being handled: waits for the display layer become bounded, and the display
  // is let go of even when its users did not release it.
  void (*begin_signal_shutdown)();
  void (*finish_signal_shutdown)();
};

// A function that puts the terminal back as it was, or null. The fatal-signal handler calls it
// before anything else, so that the terminal is usable even when the shutdown cannot finish; it
// must be async-signal-safe.
void set_terminal_restorer(void (*restore)() noexcept) noexcept;

// The host's drivers of each family in autodetection order: the display layer's first, then the
// host's own. The timer family has no list here and falls back on its built-in one.
driver_list_entry *list_gfx_drivers() noexcept;
driver_list_entry *list_digi_drivers() noexcept;
driver_list_entry *list_midi_drivers() noexcept;
driver_list_entry *list_keyboard_drivers() noexcept;
driver_list_entry *list_mouse_drivers() noexcept;
driver_list_entry *list_joystick_drivers() noexcept;

// Recursive mutexes on pthreads.
void *mutex_create() noexcept;
void mutex_destroy(void *mutex) noexcept;
void mutex_lock(void *mutex) noexcept;
void mutex_unlock(void *mutex) noexcept;

}  // namespace corvane::unix_host

#endif  // CORVANE_PLATFORM_LINUX_UNIX_HOST_H
