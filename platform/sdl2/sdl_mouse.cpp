// The SDL2 mouse driver 'SDLM': pointer events of the display's window become the mouse's raw
// values. SDL's renderer hands the events over in the screen bitmap's coordinates (it maps them
// through the window's whole-multiple scale and black bars, the same mapping it presents with),
// so the pointer is where the player sees it at every window size and in full screen. Input for
// another window, or while the window does not have the pointer, leaves the values alone;
// moving the pointer warps the system's pointer and skips the event the warp causes. Movement
// counters take the system pointer's own movement, whatever the window's scale (the host keeps
// SDL's renderers from scaling it).
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <mutex>

#include "corvane/mouse.h"
#include "corvane/system.h"
#include "platform/sdl2/sdl_cursor.h"
#include "platform/sdl2/sdl_display.h"
#include "platform/sdl2/sdl_display_state.h"
#include "platform/sdl2/sdl_drivers.h"
#include "platform/sdl2/sdl_host.h"

namespace corvane::sdl {
namespace {

// SDL tells neither the number of buttons nor whether there are more than three.
constexpr int BUTTON_COUNT = 3;
// Event batches the host pumps before a warp that caused no event is forgotten.
constexpr int WARP_BATCHES = 2;

std::atomic<bool> events_enabled{false};

// What the driver knows of the pointer. Written on the host thread (events, warps) and read on
// the program's (movement counters).
struct pointer_input {
  std::mutex lock;
  int x1 = 0, y1 = 0, x2 = 319, y2 = 199;  // the range, inclusive
  int x = 0, y = 0;
  int wheel = 0;
  int buttons = 0;
  int mickey_x = 0;
  int mickey_y = 0;
  bool skip_armed = false;  // a warp's event is still to come
  int skip_x = 0;
  int skip_y = 0;
  int skip_batches = 0;
};
pointer_input input;

struct mouse_report {
  int x, y, z, buttons;
};

mouse_report current_report() noexcept { return {input.x, input.y, input.wheel, input.buttons}; }

// Reported with the driver's lock released, so that the mouse's callback may ask the driver
// again.
void send(const mouse_report &report) noexcept {
  handle_mouse_input(report.x, report.y, report.z, report.buttons);
}

// The button bits of an SDL button: left, right and middle as 1, 2 and 4, side buttons above.
int bits_of_button(int button) noexcept {
  switch (button) {
    case SDL_BUTTON_LEFT:
      return MOUSE_BUTTON_LEFT;
    case SDL_BUTTON_RIGHT:
      return MOUSE_BUTTON_RIGHT;
    case SDL_BUTTON_MIDDLE:
      return MOUSE_BUTTON_MIDDLE;
    default:
      return button >= SDL_BUTTON_X1 && button <= 16 ? 1 << (button - 1) : 0;
  }
}

int bits_of_button_state(Uint32 state) noexcept {
  int bits = 0;
  for (int button = 1; button <= 16; ++button) {
    if ((state & SDL_BUTTON(button)) != 0) bits |= bits_of_button(button);
  }
  return bits;
}

// The window's id while it is open, else 0 (which no event of a window carries).
Uint32 window_id() noexcept {
  SDL_Window *window = display_window();
  return window != nullptr ? SDL_GetWindowID(window) : 0;
}

void take_motion(const SDL_MouseMotionEvent &motion) noexcept {
  mouse_report report;
  {
    std::lock_guard<std::mutex> lock(input.lock);
    if (input.skip_armed && motion.x == input.skip_x && motion.y == input.skip_y) {
      input.skip_armed = false;
      return;
    }
    // Movement counts even where the pointer cannot follow (against the edge of its range).
    input.mickey_x += motion.xrel;
    input.mickey_y += motion.yrel;
    input.x = std::clamp(motion.x, input.x1, input.x2);
    input.y = std::clamp(motion.y, input.y1, input.y2);
    report = current_report();
  }
  send(report);
}

void take_buttons(int bits, bool down) noexcept {
  if (bits == 0) return;
  mouse_report report;
  {
    std::lock_guard<std::mutex> lock(input.lock);
    input.buttons = down ? input.buttons | bits : input.buttons & ~bits;
    report = current_report();
  }
  send(report);
}

void take_wheel(const SDL_MouseWheelEvent &wheel) noexcept {
  const int step = wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -wheel.y : wheel.y;
  if (step == 0) return;
  mouse_report report;
  {
    std::lock_guard<std::mutex> lock(input.lock);
    input.wheel += step;
    report = current_report();
  }
  send(report);
}

// Buttons released while the pointer was elsewhere must not stay down.
void take_leave() noexcept {
  const int held = bits_of_button_state(SDL_GetMouseState(nullptr, nullptr));
  mouse_report report;
  {
    std::lock_guard<std::mutex> lock(input.lock);
    if ((input.buttons & ~held) == 0) return;
    input.buttons &= held;
    report = current_report();
  }
  send(report);
}

void handle_mouse_event(const SDL_Event &event) noexcept {
  if (!events_enabled.load(std::memory_order_acquire)) return;
  switch (event.type) {
    case SDL_MOUSEMOTION:
      if (event.motion.windowID != 0 && event.motion.windowID == window_id())
        take_motion(event.motion);
      break;
    case SDL_MOUSEBUTTONDOWN:
      if (event.button.windowID != 0 && event.button.windowID == window_id())
        take_buttons(bits_of_button(event.button.button), true);
      break;
    case SDL_MOUSEBUTTONUP:
      // A release counts wherever it happens: the press it ends was taken.
      take_buttons(bits_of_button(event.button.button), false);
      break;
    case SDL_MOUSEWHEEL:
      if (event.wheel.windowID != 0 && event.wheel.windowID == window_id())
        take_wheel(event.wheel);
      break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_LEAVE && event.window.windowID == window_id())
        take_leave();
      break;
    default:
      break;
  }
}

// A warp that brought no event (the pointer was already there) is not waited for for long.
void finish_mouse_events() noexcept {
  std::lock_guard<std::mutex> lock(input.lock);
  if (input.skip_armed && --input.skip_batches <= 0) input.skip_armed = false;
}

const host_handlers mouse_handlers = {
    .event = handle_mouse_event,
    .events_done = finish_mouse_events,
    .frame = nullptr,
    .host_stopping = nullptr,
};

// Host thread: the system's pointer to the middle of the screen pixel (x, y), when the window
// has the focus or the pointer (the pointer of someone working in another window stays alone).
void warp_to(int x, int y) noexcept {
  SDL_Window *window = display_window();
  if (window == nullptr) return;
  if ((SDL_GetWindowFlags(window) & (SDL_WINDOW_INPUT_FOCUS | SDL_WINDOW_MOUSE_FOCUS)) == 0)
    return;
  SDL_Renderer *renderer;
  {
    display_state &d = display();
    std::lock_guard<std::mutex> lock(d.mutex);
    renderer = d.objects.renderer;
  }
  if (renderer == nullptr) return;
  int window_x = 0;
  int window_y = 0;
  SDL_RenderLogicalToWindow(renderer, static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f,
                            &window_x, &window_y);
  {
    std::lock_guard<std::mutex> lock(input.lock);
    input.skip_armed = true;
    input.skip_x = x;
    input.skip_y = y;
    input.skip_batches = WARP_BATCHES;
  }
  SDL_WarpMouseInWindow(window, window_x, window_y);
}

// Puts the driver's pointer at (x, y), kept in the range; the report to send for it.
mouse_report place_pointer(int x, int y) noexcept {
  std::lock_guard<std::mutex> lock(input.lock);
  input.x = std::clamp(x, input.x1, input.x2);
  input.y = std::clamp(y, input.y1, input.y2);
  return current_report();
}

void mouse_position(int x, int y) {
  // Placed and reported on the host thread, in order with the events around the warp: a report
  // made earlier on the program's thread would carry wheel and buttons that events taken in
  // between have already changed, and would turn them back.
  bool sent = false;
  auto move = [&] {
    const mouse_report report = place_pointer(x, y);
    warp_to(report.x, report.y);
    send(report);
    sent = true;
  };
  run_on_host(move);
  if (!sent) send(place_pointer(x, y));
}

void mouse_set_range(int x1, int y1, int x2, int y2) {
  int x;
  int y;
  bool moved;
  {
    std::lock_guard<std::mutex> lock(input.lock);
    input.x1 = std::min(x1, x2);
    input.x2 = std::max(x1, x2);
    input.y1 = std::min(y1, y2);
    input.y2 = std::max(y1, y2);
    x = std::clamp(input.x, input.x1, input.x2);
    y = std::clamp(input.y, input.y1, input.y2);
    moved = x != input.x || y != input.y;
  }
  // Only a pointer that had to come in is moved: setting the range it is in changes nothing.
  if (moved) mouse_position(x, y);
}

void mouse_get_mickeys(int *dx, int *dy) {
  std::lock_guard<std::mutex> lock(input.lock);
  *dx = input.mickey_x;
  *dy = input.mickey_y;
  input.mickey_x = 0;
  input.mickey_y = 0;
}

int mouse_init() {
  if (!add_host_handlers(&mouse_handlers)) {
    set_error_text("The display has no room for another user");
    return -1;
  }
  if (!acquire_video()) {
    remove_host_handlers(&mouse_handlers);
    return -1;
  }
  {
    std::lock_guard<std::mutex> lock(input.lock);
    input.x1 = input.y1 = 0;
    input.x2 = 319;
    input.y2 = 199;
    input.x = input.y = input.wheel = input.buttons = 0;
    input.mickey_x = input.mickey_y = 0;
    input.skip_armed = false;
  }
  events_enabled.store(true, std::memory_order_release);
  return BUTTON_COUNT;
}

void mouse_exit() {
  events_enabled.store(false, std::memory_order_release);
  remove_host_handlers(&mouse_handlers);
  restore_default_pointer();
  release_video();
}

}  // namespace

::mouse_driver mouse_input_driver = {
    .id = MOUSE_SDL,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "SDL2 mouse",
    .init = mouse_init,
    .exit = mouse_exit,
    .poll = nullptr,
    .timer_poll = nullptr,
    .position = mouse_position,
    .set_range = mouse_set_range,
    .set_speed = nullptr,
    .get_mickeys = mouse_get_mickeys,
    .analyse_data = nullptr,
    .enable_hardware_cursor = nullptr,
    .select_system_cursor = select_system_pointer,
};

}  // namespace corvane::sdl
