// The SDL2 host thread: SDL video is started, used and stopped on this one thread, which runs the
// tasks handed to it, pumps the display's events to the registered handlers and gives them a
// frame at the display's rate.
#include "platform/sdl2/sdl_host.h"

#include <SDL.h>
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

#include "corvane/config.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "platform/linux/unix_host.h"

namespace corvane::sdl {
namespace {

using clock = std::chrono::steady_clock;

// A task handed to the host. It lives on the heap and is freed by whichever side lets go of it
// last, so that a poster that gives up waiting (only while a fatal signal is handled) leaves
// nothing dangling behind.
struct host_task {
  void (*function)(void *) = nullptr;
  void *context = nullptr;
  bool done = false;
  bool ran = false;
  host_task *next = nullptr;
  std::atomic<int> holders{2};
};

void let_go(host_task *task) noexcept {
  if (task->holders.fetch_sub(1) == 1) delete task;
}

// The host's state. It is never destroyed, so that a host thread still running while the process
// exits (a program that never shut the library down) finds it intact.
struct host_state {
  // Guards users, thread and started: who holds the host, and its thread.
  std::mutex lifecycle;
  int users = 0;
  pthread_t thread{};
  bool thread_joinable = false;

  // Guards everything below.
  std::mutex mutex;
  std::condition_variable wake_host;    // a task arrived, or the host must stop
  std::condition_variable task_done;    // a task has run (or will not run)
  std::condition_variable frame_done;   // a frame was completed
  std::condition_variable state_known;  // the host started, failed to start, or finished
  enum class phase { idle, starting, running, failed, finished, lost } state = phase::idle;
  bool stop = false;
  host_task *first_task = nullptr;
  host_task *last_task = nullptr;
  host_task *running_task = nullptr;
  uint64_t frames = 0;
  bool thread_done = false;  // the host thread has nothing left to do but end
  char start_error[256] = "";

  std::atomic<bool> visible{false};
  std::atomic<int> refresh_rate{0};
  std::atomic<bool> lost{false};
};

// The host's state once anything has used the host. The fatal-signal path reads it without
// making it, since a signal handler must not allocate.
std::atomic<host_state *> made_host{nullptr};

host_state &host() {
  static host_state *state = [] {
    auto *made = new host_state;
    made_host.store(made, std::memory_order_release);
    return made;
  }();
  return *state;
}

// Set by the fatal-signal path: waits for the host become bounded from then on.
std::atomic<bool> signal_shutdown{false};

// The handlers of the host's users. Registration is rare and serialised; the host thread reads the
// slots without the lock.
constexpr int handler_slot_count = 8;
std::mutex registration_mutex;
std::atomic<const host_handlers *> handler_slots[handler_slot_count];

template <class Call>
void for_each_handler_set(Call call) noexcept {
  for (auto &slot : handler_slots) {
    if (const host_handlers *handlers = slot.load(std::memory_order_acquire)) call(*handlers);
  }
}

thread_local bool is_host_thread = false;
thread_local int host_task_depth = 0;

constexpr auto signal_wait_limit = std::chrono::seconds(1);

// The host's locks as the shutdown takes them. While a fatal signal is handled the interrupted
// code may hold any of them, so they are only tried: a caller that does not get one skips its
// step instead of waiting for ever.
std::unique_lock<std::mutex> take_lock(std::mutex &m) noexcept {
  if (signal_shutdown) return std::unique_lock<std::mutex>(m, std::try_to_lock);
  return std::unique_lock<std::mutex>(m);
}

// Asynchronous signals go to the program's threads, where the library's handlers shut down: the
// host thread must be free to answer them.
void block_async_signals() noexcept {
  sigset_t set;
  sigemptyset(&set);
  for (int s : {SIGINT, SIGTERM, SIGQUIT, SIGHUP, SIGALRM, SIGUSR1, SIGUSR2, SIGPIPE, SIGCHLD}) {
    sigaddset(&set, s);
  }
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

// Pops the next task; null when there is none.
host_task *take_task(host_state &h) noexcept {
  host_task *task = h.first_task;
  if (task != nullptr) {
    h.first_task = task->next;
    if (h.first_task == nullptr) h.last_task = nullptr;
  }
  return task;
}

void run_tasks(host_state &h) noexcept {
  for (;;) {
    host_task *task;
    {
      std::lock_guard<std::mutex> lock(h.mutex);
      task = take_task(h);
    }
    if (task == nullptr) return;
    {
      std::lock_guard<std::mutex> lock(h.mutex);
      h.running_task = task;
    }
    ++host_task_depth;
    task->function(task->context);
    --host_task_depth;
    {
      std::lock_guard<std::mutex> lock(h.mutex);
      h.running_task = nullptr;
      task->done = true;
      task->ran = true;
    }
    h.task_done.notify_all();
    let_go(task);
  }
}

void dispatch_event(const SDL_Event &event) noexcept {
  for_each_handler_set([&](const host_handlers &h) {
    if (h.event != nullptr) h.event(event);
  });
  const bool close_requested =
      event.type == SDL_QUIT ||
      (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE);
  // The close button (or the session asking the program to quit): the program decides.
  if (!close_requested) return;
  if (void (*callback)() = unix_host::close_callback(); callback != nullptr) callback();
}

void pump_events() noexcept {
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) dispatch_event(event);
  for_each_handler_set([](const host_handlers &h) {
    if (h.events_done != nullptr) h.events_done();
  });
}

// Gives every user its frame; true when one of them presented with vertical sync.
bool run_frame() noexcept {
  bool presented_with_vsync = false;
  for_each_handler_set([&](const host_handlers &h) {
    if (h.frame != nullptr && h.frame()) presented_with_vsync = true;
  });
  return presented_with_vsync;
}

void tell_users_host_stops() noexcept {
  for_each_handler_set([](const host_handlers &h) {
    if (h.host_stopping != nullptr) h.host_stopping();
  });
}

int read_refresh_rate() noexcept {
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
  return mode.refresh_rate > 0 ? mode.refresh_rate : 0;
}

bool start_video(host_state &h) noexcept {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // Renderers map pointer positions onto the screen they present, but the mouse counts movement
  // in the system pointer's own units, which do not change with the window's scale.
  SDL_SetHint(SDL_HINT_MOUSE_RELATIVE_SCALING, "0");
  // Only displays a person can see are tried, and only those the environment names, since
  // probing a Wayland compositor that is not there prints complaints; SDL_VIDEODRIVER in the
  // environment still wins, so that tests can ask for "offscreen" or "dummy".
  char drivers[32] = "";
  if (std::getenv("DISPLAY") != nullptr) std::strcat(drivers, "x11,");
  if (std::getenv("WAYLAND_DISPLAY") != nullptr || std::getenv("XDG_RUNTIME_DIR") != nullptr) {
    std::strcat(drivers, "wayland,");
  }
  std::strcat(drivers, "KMSDRM");
  SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers);
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::lock_guard<std::mutex> lock(h.mutex);
    std::strncpy(h.start_error, SDL_GetError(), sizeof h.start_error - 1);
    h.start_error[sizeof h.start_error - 1] = 0;
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
    return false;
  }
  const char *name = SDL_GetCurrentVideoDriver();
  h.visible =
      name != nullptr && std::strcmp(name, "offscreen") != 0 && std::strcmp(name, "dummy") != 0;
  h.refresh_rate = read_refresh_rate();
  return true;
}

void *host_main(void *) {
  host_state &h = host();
  is_host_thread = true;
  block_async_signals();

  const bool started = start_video(h);
  {
    std::lock_guard<std::mutex> lock(h.mutex);
    h.state = started ? host_state::phase::running : host_state::phase::failed;
  }
  h.state_known.notify_all();
  if (!started) return nullptr;
  watch_display_connection();

  clock::time_point next_frame = clock::now();
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(h.mutex);
      if (h.stop) break;
    }
    run_tasks(h);
    pump_events();
    const int rate = h.refresh_rate > 0 ? h.refresh_rate.load() : 60;
    const auto period = std::chrono::microseconds(1000000 / rate);
    const clock::time_point before_present = clock::now();
    // With vertical sync the present waits for the display, and the next frame may start at
    // once; a present that came back at once did not wait (some displays claim vertical sync
    // without offering it), and the host keeps the display's rate itself.
    const bool presented_with_vsync = run_frame();
    const clock::time_point now = clock::now();
    const bool waited_for_display = presented_with_vsync && now - before_present >= period / 4;
    {
      std::lock_guard<std::mutex> lock(h.mutex);
      ++h.frames;
    }
    h.frame_done.notify_all();

    next_frame = waited_for_display ? now : next_frame + period;
    // A wait cut short by a task still ran a frame: without the upper bound, a program that hands
    // the host tasks often would push the next frame ever further ahead, and the host would then
    // sleep for seconds without taking events or presenting.
    if (next_frame < now || next_frame > now + period) next_frame = now + period;
    std::unique_lock<std::mutex> lock(h.mutex);
    h.wake_host.wait_until(lock, next_frame, [&] { return h.stop || h.first_task != nullptr; });
  }

  // Tasks that arrive from now on are refused; those still queued are not run.
  {
    std::lock_guard<std::mutex> lock(h.mutex);
    h.state = host_state::phase::finished;
    while (host_task *task = take_task(h)) {
      task->done = true;
      let_go(task);
    }
  }
  h.task_done.notify_all();
  h.frame_done.notify_all();
  tell_users_host_stops();
  stop_watching_display_connection();
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  // With nothing else of SDL in use (sound has its own subsystem), SDL is taken down whole, which
  // also frees its hints and this thread's data.
  if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
  h.visible = false;
  {
    std::lock_guard<std::mutex> lock(h.mutex);
    h.thread_done = true;
  }
  h.state_known.notify_all();
  return nullptr;
}

// Waits for the previous host thread to end and reaps it. While a fatal signal is handled the wait
// is bounded, and a host that does not end is left alone.
// A host that lost its display never ends: it is let go of instead.
void reap_thread(host_state &h, pthread_t thread) noexcept {
  std::unique_lock<std::mutex> lock = take_lock(h.mutex);
  if (!lock.owns_lock()) return;
  const auto ended = [&] { return h.thread_done || h.state == host_state::phase::lost; };
  if (signal_shutdown) {
    if (!h.state_known.wait_for(lock, signal_wait_limit, ended)) return;
  } else {
    h.state_known.wait(lock, ended);
  }
  const bool done = h.thread_done;
  lock.unlock();
  if (done) {
    pthread_join(thread, nullptr);
  } else {
    pthread_detach(thread);
  }
}

void set_start_error(const char *sdl_reason) noexcept {
  char reason[256];
  convert_text_into(sdl_reason, ENCODING_UTF8, reason, ENCODING_CURRENT, sizeof reason);
  format_text_bounded(error_text, ERROR_TEXT_SIZE, translate_text("Cannot reach a display: %s"),
                      reason);
}

// Asks the running host to stop, with the lifecycle lock held; returns the thread to reap, if the
// caller may reap it.
bool request_stop(host_state &h, pthread_t *thread) noexcept {
  {
    const std::unique_lock<std::mutex> lock = take_lock(h.mutex);
    if (!lock.owns_lock()) return false;
    h.stop = true;
  }
  h.wake_host.notify_all();
  if (is_host_thread || !h.thread_joinable) return false;
  *thread = h.thread;
  h.thread_joinable = false;
  return true;
}

}  // namespace

bool add_host_handlers(const host_handlers *handlers) noexcept {
  if (handlers == nullptr) return false;
  std::lock_guard<std::mutex> lock(registration_mutex);
  for (auto &slot : handler_slots) {
    if (slot.load(std::memory_order_relaxed) == handlers) return true;
  }
  for (auto &slot : handler_slots) {
    if (slot.load(std::memory_order_relaxed) == nullptr) {
      slot.store(handlers, std::memory_order_release);
      return true;
    }
  }
  return false;
}

void remove_host_handlers(const host_handlers *handlers) noexcept {
  std::lock_guard<std::mutex> lock(registration_mutex);
  for (auto &slot : handler_slots) {
    if (slot.load(std::memory_order_relaxed) == handlers) {
      slot.store(nullptr, std::memory_order_release);
    }
  }
}

bool acquire_video() noexcept {
  host_state &h = host();
  std::unique_lock<std::mutex> lifecycle(h.lifecycle);
  if (display_lost()) {
    set_error_text("The display went away");
    return false;
  }
  if (is_host_thread) {
    // A callback on the host thread wants the display: fine while the host serves others, but
    // a host on its way down is not called back, so that whoever stops it can wait for it.
    if (h.users == 0) {
      set_error_text("The display is closing");
      return false;
    }
    ++h.users;
    return true;
  }
  if (h.users > 0) {
    ++h.users;
    return true;
  }
  if (h.thread_joinable) {
    // The previous host is ending; SDL must be down before it is started again.
    const pthread_t previous = h.thread;
    h.thread_joinable = false;
    lifecycle.unlock();
    reap_thread(h, previous);
    lifecycle.lock();
    if (h.users > 0) {
      ++h.users;
      return true;
    }
  }

  {
    std::lock_guard<std::mutex> lock(h.mutex);
    h.state = host_state::phase::starting;
    h.thread_done = false;
    h.stop = false;
    h.start_error[0] = 0;
    h.frames = 0;
  }
  if (pthread_create(&h.thread, nullptr, host_main, nullptr) != 0) {
    std::lock_guard<std::mutex> lock(h.mutex);
    h.state = host_state::phase::idle;
    set_error_text("Cannot start the display thread");
    return false;
  }
  bool started;
  {
    std::unique_lock<std::mutex> lock(h.mutex);
    h.state_known.wait(lock, [&] { return h.state != host_state::phase::starting; });
    started = h.state == host_state::phase::running;
    if (!started) set_start_error(h.start_error);
  }
  if (!started) {
    pthread_join(h.thread, nullptr);
    return false;
  }
  h.thread_joinable = true;
  h.users = 1;
  return true;
}

void release_video() noexcept {
  host_state &h = host();
  pthread_t thread{};
  {
    const std::unique_lock<std::mutex> lifecycle = take_lock(h.lifecycle);
    if (!lifecycle.owns_lock() || h.users == 0) return;
    if (--h.users > 0) return;
    if (!request_stop(h, &thread)) return;
  }
  reap_thread(h, thread);
}

bool video_running() noexcept {
  host_state &h = host();
  const std::unique_lock<std::mutex> lock = take_lock(h.mutex);
  return lock.owns_lock() && h.state == host_state::phase::running && !h.stop;
}

bool video_is_visible() noexcept { return video_running() && host().visible; }

bool on_host_thread() noexcept { return is_host_thread; }

bool host_may_tear_down() noexcept {
  return is_host_thread && host_task_depth > 0 && !signal_shutdown && !display_lost();
}

bool run_on_host(void (*task)(void *context), void *context) noexcept {
  if (is_host_thread) {
    if (display_lost()) return false;
    task(context);
    return true;
  }
  host_state &h = host();
  auto *node = new (std::nothrow) host_task;
  if (node == nullptr) return false;
  node->function = task;
  node->context = context;

  std::unique_lock<std::mutex> lock = take_lock(h.mutex);
  if (!lock.owns_lock() || h.state != host_state::phase::running) {
    delete node;
    return false;
  }
  if (h.last_task != nullptr) {
    h.last_task->next = node;
  } else {
    h.first_task = node;
  }
  h.last_task = node;
  h.wake_host.notify_all();

  if (signal_shutdown) {
    if (!h.task_done.wait_for(lock, signal_wait_limit, [&] { return node->done; })) {
      // Not answered: take the task back when the host has not begun it.
      host_task **link = &h.first_task;
      host_task *previous = nullptr;
      while (*link != nullptr && *link != node) {
        previous = *link;
        link = &(*link)->next;
      }
      if (*link == node) {
        *link = node->next;
        if (h.last_task == node) h.last_task = previous;
        node->holders.fetch_sub(1);
      }
      lock.unlock();
      let_go(node);
      return false;
    }
  } else {
    h.task_done.wait(lock, [&] { return node->done; });
  }
  const bool ran = node->ran;
  lock.unlock();
  let_go(node);
  return ran;
}

uint64_t frames_completed() noexcept {
  host_state &h = host();
  std::lock_guard<std::mutex> lock(h.mutex);
  return h.frames;
}

void wait_for_next_frame(int limit_ms) noexcept {
  if (is_host_thread) return;
  host_state &h = host();
  std::unique_lock<std::mutex> lock(h.mutex);
  if (h.state != host_state::phase::running) return;
  const uint64_t target = h.frames + 1;
  h.frame_done.wait_for(lock, std::chrono::milliseconds(limit_ms), [&] {
    return h.frames >= target || h.state != host_state::phase::running;
  });
}

int desktop_refresh_rate() noexcept { return host().refresh_rate; }

void begin_signal_shutdown() noexcept { signal_shutdown = true; }

std::mutex &host_lifecycle_lock() noexcept { return host().lifecycle; }

void host_lost_display() noexcept {
  host_state &h = host();
  {
    std::lock_guard<std::mutex> lock(h.mutex);
    h.state = host_state::phase::lost;
    // The task the host was running when the display went will not finish.
    if (h.running_task != nullptr) h.running_task->done = true;
    while (host_task *task = take_task(h)) {
      task->done = true;
      let_go(task);
    }
  }
  h.lost = true;
  h.visible = false;
  h.task_done.notify_all();
  h.frame_done.notify_all();
  h.state_known.notify_all();
  std::lock_guard<std::mutex> lifecycle(h.lifecycle);
  if (h.thread_joinable) {
    pthread_detach(h.thread);
    h.thread_joinable = false;
  }
}

bool display_lost() noexcept { return host().lost; }

void stop_after_signal() noexcept {
  host_state *made = made_host.load(std::memory_order_acquire);
  if (made == nullptr) return;  // nothing ever used the host
  host_state &h = *made;
  pthread_t thread{};
  bool reap = false;
  {
    const std::unique_lock<std::mutex> lifecycle = take_lock(h.lifecycle);
    if (!lifecycle.owns_lock() || h.users == 0) return;
    h.users = 0;
    reap = request_stop(h, &thread);
  }
  if (reap) reap_thread(h, thread);
}

}  // namespace corvane::sdl
