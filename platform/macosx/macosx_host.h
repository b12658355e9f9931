// The Mac OS X application host as its drivers see it: the state the host keeps for the system
// driver, the display drivers and the input drivers, the window driver's part of the event loop,
// and the parts of the host that the system driver calls. Plain C++: the Cocoa side is in
// macosx_cocoa.h.
#ifndef CORVANE_PLATFORM_MACOSX_MACOSX_HOST_H
#define CORVANE_PLATFORM_MACOSX_MACOSX_HOST_H

#include <CoreGraphics/CoreGraphics.h>

#include <atomic>
#include <cstddef>

#include "corvane/system.h"

// The program's own main function, renamed by the public header so that the host can own the
// process entry.
extern "C" int corvane_application_main(int argc, char **argv);

namespace corvane::macosx {

// The system driver's id, 'OSX '.
inline constexpr int SYSTEM_MACOSX = CORVANE_ID('O', 'S', 'X', ' ');

// The system driver.
extern system_driver system_macosx;

// What display is up, as the display drivers set it.
inline constexpr int DISPLAY_NONE = 0;
inline constexpr int DISPLAY_WINDOW = 1;
inline constexpr int DISPLAY_FULLSCREEN = 2;

// The window display driver's id, 'QZWN', the driver of the safe mode.
inline constexpr int GFX_QUARTZ_WINDOW = CORVANE_ID('Q', 'Z', 'W', 'N');

// The event loop's rate when the display does not report one.
inline constexpr int DEFAULT_REFRESH_RATE = 70;

// The platform description: os_type is 'MACX'.
inline constexpr int OS_TYPE_MACX = CORVANE_ID('M', 'A', 'C', 'X');
extern int os_type;
extern int os_version;
extern int os_revision;
extern int os_multitasking;

// The arguments handed to the program's main function.
extern int saved_argc;
extern char **saved_argv;

// Recursive mutex (a system driver mutex) that serialises the event loop with library calls of
// the application thread; null until the application has finished launching.
extern std::atomic<void *> event_mutex;
// The display driver's recursive mutex, or null; the fatal-signal path lets go of it.
extern std::atomic<void *> display_mutex;

// A file the Finder handed over before launch (8-bit string, malloc'd), or null.
extern char *opened_file;

// The event loop's rate in Hz.
extern std::atomic<int> refresh_rate;

// DISPLAY_NONE, DISPLAY_WINDOW or DISPLAY_FULLSCREEN.
extern std::atomic<int> display_state;

// A full-screen palette waiting to be loaded by the event loop.
extern std::atomic<bool> palette_dirty;
extern std::atomic<CGDirectPaletteRef> hardware_palette;

// Called when the user asks the application to quit, or null.
extern std::atomic<void (*)()> close_callback;

// True while a message panel is shown.
extern std::atomic<bool> modal_panel_open;

// The window-server test's cached result: -1 not yet tested, 1 usable, 0 not usable.
extern std::atomic<int> bootstrap_ok;

// The pointer as the host's event handling and the display drivers share it. The display drivers
// set these when they show the screen: whether the window takes pointer input now (always while
// the full-screen display is up), where the screen bitmap's top-left pixel lies in global display
// coordinates (origin top left), and its height in pixels, by which pointer positions in the
// window (origin bottom left) are turned over. cursor_changed asks the mouse driver to set the
// window's cursor (current_cursor) again at its next event.
extern std::atomic<bool> window_takes_pointer;
extern std::atomic<int> pointer_area_left;
extern std::atomic<int> pointer_area_top;
extern std::atomic<int> pointer_area_height;
extern std::atomic<bool> cursor_changed;

// -1 while the mouse has a single button: the host then makes the other buttons of a click with
// Control (right) or Option (middle) held; else 0. Written under the event mutex.
extern std::atomic<int> single_button_mouse;

// Whether the window server can be reached: registers a port with the bootstrap server once and
// keeps the answer.
bool window_server_usable() noexcept;

// Whether the program was launched from a bundle (known once it has finished launching).
bool running_from_bundle() noexcept;

// Reads the main display's refresh rate into refresh_rate (DEFAULT_REFRESH_RATE when the display
// reports none, or 0 or less).
void read_refresh_rate() noexcept;

// What the window display driver adds to the event loop. Every member may be null.
struct window_hooks {
  // Copies the screen's changed lines to the window (called while display_state is
  // DISPLAY_WINDOW, before the event mutex is taken).
  void (*refresh_window)();
  // The screen's parameters changed: re-create the drawing state and redisplay the window.
  void (*screen_parameters_changed)();
  // The window title changed; the text is UTF-8.
  void (*title_changed)(const char *utf8_title);
};

// Installs the window driver's hooks (null: none). The hooks must stay valid while installed.
void set_window_hooks(const window_hooks *hooks) noexcept;
const window_hooks *installed_window_hooks() noexcept;

// One pass of the event loop: the window refresh, the pending full-screen palette and every
// queued event, dispatched under the event mutex. Returns the microseconds to sleep before the
// next pass (1000000 / refresh_rate).
unsigned event_loop_pass() noexcept;

// The process entry: turns the process into a Cocoa application that runs the program's main
// function on a thread of its own, or runs it directly when there is no window server.
int run_application_host(int argc, char **argv) noexcept;

// Locks (unlocks) event_mutex through the current system driver's mutex operations.
void lock_event_mutex() noexcept;
void unlock_event_mutex() noexcept;

// The window title (UTF-8, the process name until the program sets another) copied into buffer,
// bounded to size bytes and always terminated.
void copy_window_title(char *buffer, std::size_t size) noexcept;

// Lets go of a mutex completely when the calling thread holds it; a mutex held by another thread
// (or by none) is left alone.
void mutex_release_if_held(void *mutex) noexcept;

// Recursive mutexes: the owning thread may lock again; released when unlocks match locks.
void *mutex_create() noexcept;
void mutex_destroy(void *mutex) noexcept;
void mutex_lock(void *mutex) noexcept;
void mutex_unlock(void *mutex) noexcept;

// Fatal signals shut the library down before they take their normal effect; install remembers
// the previous handlers, remove puts them back.
void install_fatal_signal_handlers() noexcept;
void remove_fatal_signal_handlers() noexcept;

}  // namespace corvane::macosx

#endif  // CORVANE_PLATFORM_MACOSX_MACOSX_HOST_H
