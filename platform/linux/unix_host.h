// State of the Linux host that its drivers share: the window title, the close callback and the
// fatal-signal handling. The system driver owns it; display drivers read it.
#ifndef CORVANE_PLATFORM_LINUX_UNIX_HOST_H
#define CORVANE_PLATFORM_LINUX_UNIX_HOST_H

#include <string>

#include "corvane/system.h"

namespace corvane::unix_host {

// The host system driver, 'UNIX'.
extern system_driver driver;

// The window title in UTF-8: the program's name until the program sets another.
std::string window_title();

// The function the window's close button calls, or null.
void (*close_callback())();

// A function that puts the terminal back as it was, or null. The fatal-signal handler calls it
// before anything else, so that the terminal is usable even when the shutdown cannot finish; it
// must be async-signal-safe.
void set_terminal_restorer(void (*restore)() noexcept) noexcept;

// Fatal signals shut the library down (restoring the display and the terminal) before they take
// their normal effect. install remembers the previous handlers; remove puts them back.
void install_fatal_signal_handlers() noexcept;
void remove_fatal_signal_handlers() noexcept;

// The graphics and keyboard drivers of this host, in autodetection order.
extern driver_list_entry gfx_driver_list[];
extern driver_list_entry keyboard_driver_list[];

// Recursive mutexes on pthreads.
void *mutex_create() noexcept;
void mutex_destroy(void *mutex) noexcept;
void mutex_lock(void *mutex) noexcept;
void mutex_unlock(void *mutex) noexcept;

}  // namespace corvane::unix_host

#endif  // CORVANE_PLATFORM_LINUX_UNIX_HOST_H
