// The SDL2 host thread. Every SDL video call of the library happens on this one thread, which the
// library owns: it starts SDL video for the first user (the keyboard or a display driver) and
// stops it after the last, runs the tasks the program's threads hand it, hands the display's
// events to the handlers its users registered, and gives them a frame at the display's rate.
#ifndef CORVANE_PLATFORM_SDL2_SDL_HOST_H
#define CORVANE_PLATFORM_SDL2_SDL_HOST_H

#include <SDL.h>

#include <cstdint>
#include <mutex>

namespace corvane::sdl {

// What a user of the host (a driver) does on the host thread. The host knows its users only
// through these: it calls every registered set in turn. Any member may be null.
struct host_handlers {
  // One event of the display's queue.
  void (*event)(const SDL_Event &event) noexcept;
  // The queue is empty for this frame.
  void (*events_done)() noexcept;
  // Once a frame, after the events: shows what changed. Returns true when it presented with
  // vertical sync (the call then already waited for the display).
  bool (*frame)() noexcept;
  // The host is stopping: whatever the user still holds of SDL video goes now.
  void (*host_stopping)() noexcept;
};

// Registers a set of handlers, which must stay valid while registered; registering a set twice
// registers it once. Registrations outlive the host thread: a user registers once and is called
// whenever the host runs. False when the host has no room for another set.
bool add_host_handlers(const host_handlers *handlers) noexcept;

// Takes a set of handlers back. On the host thread it takes effect at once; on another thread the
// host may still be inside one of its handlers.
void remove_host_handlers(const host_handlers *handlers) noexcept;

// Starts SDL video on the host thread when it is not running and counts one more user. Returns
// false, with error_text set, when no display can be reached.
bool acquire_video() noexcept;

// One user less; after the last one the host thread closes SDL video and ends.
void release_video() noexcept;

// True while the host thread runs with SDL video up.
bool video_running() noexcept;

// True when SDL video shows something a person can see: a real display, not SDL's "offscreen" or
// "dummy" drivers (which only run when asked for through SDL_VIDEODRIVER).
bool video_is_visible() noexcept;

// True on the host thread.
bool on_host_thread() noexcept;

// True where SDL may be called to take things down: on the host thread while it runs a task
// handed to it (not while it is inside an event handler, which may be ending the process), and
// never while a fatal signal is handled there.
bool host_may_tear_down() noexcept;

// Runs task(context) on the host thread and waits until it has run; on the host thread itself it
// runs at once. Returns false, without running it, when the host is not running (or, while a
// fatal signal is handled, when the host does not answer within a second).
bool run_on_host(void (*task)(void *context), void *context) noexcept;

// The same for any callable object.
template <class Function>
bool run_on_host(Function &function) noexcept {
  return run_on_host([](void *context) { (*static_cast<Function *>(context))(); }, &function);
}

// Frames the host has completed (presented, or found nothing to present) since it started.
uint64_t frames_completed() noexcept;

// Waits until the host completes the frame after the current one, or at most limit_ms
// milliseconds; returns at once when the host is not running.
void wait_for_next_frame(int limit_ms) noexcept;

// Refresh rate of the desktop in Hz, 0 when it is not known.
int desktop_refresh_rate() noexcept;

// The signal path: waits for the host become bounded, and afterwards the host is stopped even
// when users still hold it.
void begin_signal_shutdown() noexcept;
void stop_after_signal() noexcept;

// The lock that serialises starting and stopping the host. The signal path must get by when the
// code a signal interrupted holds it; tests hold it to show that.
std::mutex &host_lifecycle_lock() noexcept;

// ---- Losing the display.

// Host thread, after SDL video started: watches the connection to an X server, so that losing it
// ends the program through the library's signal path (which shuts the library down on a program
// thread) instead of inside the X library on the host thread. stop_watching undoes it.
void watch_display_connection() noexcept;
void stop_watching_display_connection() noexcept;

// Host thread, when the display has gone for good: the host stops answering (tasks are refused,
// waiters are released, nobody waits for the thread to end), and no SDL call is made any more.
void host_lost_display() noexcept;

// True once the display has gone; SDL video cannot be started again in this process.
bool display_lost() noexcept;

}  // namespace corvane::sdl

#endif  // CORVANE_PLATFORM_SDL2_SDL_HOST_H
