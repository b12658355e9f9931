// State of the Linux host that its drivers share: the window title, the close callback, the
// fatal-signal handling, the host's driver lists and the services of the display layer. The
// system driver owns it; display drivers read it.
#ifndef CORVANE_PLATFORM_LINUX_UNIX_HOST_H
#define CORVANE_PLATFORM_LINUX_UNIX_HOST_H

#include <string>

#include "corvane/gfx.h"
#include "corvane/system.h"

namespace corvane::unix_host {

// The host system driver, 'UNIX'.
extern system_driver driver;

// The window title in UTF-8: the program's name until the program sets another.
std::string window_title();

// The function the window's close button calls, or null.
void (*close_callback())();

// Fatal signals shut the library down (restoring the display and the terminal) before they take
// their normal effect. install remembers the previous handlers; remove puts them back.
void install_fatal_signal_handlers() noexcept;
void remove_fatal_signal_handlers() noexcept;

// What a display layer (SDL2, when it is built) offers the system driver. Every member may be
// null.
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

// The display layer's services, or null when the library is built without one.
extern const display_services *const host_display_services;

// The graphics and keyboard drivers of this host, in autodetection order.
extern driver_list_entry gfx_driver_list[];
extern driver_list_entry keyboard_driver_list[];

// The mode asked for by a request for the safe mode.
void get_safe_mode(int *driver_id, gfx_mode_entry *mode) noexcept;

// Recursive mutexes on pthreads.
void *mutex_create() noexcept;
void mutex_destroy(void *mutex) noexcept;
void mutex_lock(void *mutex) noexcept;
void mutex_unlock(void *mutex) noexcept;

}  // namespace corvane::unix_host

#endif  // CORVANE_PLATFORM_LINUX_UNIX_HOST_H
