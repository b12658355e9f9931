// The SDL2 keyboard driver 'SDLK': key events of the display become presses and releases of key
// indices, text events give the typed characters, and the modifier state is kept in key_shifts.
// It starts SDL video without a window, so that it can be installed before any graphics mode, and
// fails when no display can be reached (the terminal keyboard is tried next).
#include <SDL.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>

#include "corvane/keyboard.h"
#include "platform/sdl2/sdl_drivers.h"
#include "platform/sdl2/sdl_host.h"
#include "platform/sdl2/sdl_keyboard.h"

namespace corvane::sdl {
namespace {

std::atomic<bool> events_enabled{false};

// A press waiting for the text event that carries its character (host thread only).
struct pending_press {
  enum class kind { none, press, repeat } what = kind::none;
  int index = 0;
  int fallback = 0;  // the character when no text follows
};
pending_press pending;

void store_key_shifts(int flags) noexcept {
  std::atomic_ref<int>(key_shifts).store(flags, std::memory_order_relaxed);
}

void press(int character, int index) noexcept {
  handle_key_press(character, index);
  // Ctrl or Alt with End ends the process through the library's signal handling, which restores
  // the display; the host thread blocks the signal, so a program thread takes it.
  if (index > 0 && three_finger_combination(index) != 0) kill(getpid(), SIGTERM);
}

// A key without an index that typed nothing has nothing to report.
void press_unless_empty(int character, int index) noexcept {
  if (index > 0 || character > 0) press(character, index);
}

void flush_pending() noexcept {
  if (pending.what == pending_press::kind::press)
    press_unless_empty(pending.fallback, pending.index);
  pending = pending_press{};
}

// Decodes one UTF-8 sequence; returns the code point and advances, or -1 at the end. Malformed
// bytes read as U+FFFD.
int next_code_point(const unsigned char *&s) noexcept {
  const unsigned lead = *s;
  if (lead == 0) return -1;
  ++s;
  int length;
  int value;
  if (lead < 0x80) {
    return static_cast<int>(lead);
  } else if (lead >= 0xC0 && lead < 0xE0) {
    length = 2;
    value = static_cast<int>(lead & 0x1F);
  } else if (lead >= 0xE0 && lead < 0xF0) {
    length = 3;
    value = static_cast<int>(lead & 0x0F);
  } else if (lead >= 0xF0 && lead < 0xF8) {
    length = 4;
    value = static_cast<int>(lead & 0x07);
  } else {
    return 0xFFFD;
  }
  for (int i = 1; i < length; ++i) {
    if ((*s & 0xC0) != 0x80) return 0xFFFD;  // cut short: the next byte starts afresh
    value = (value << 6) | (*s & 0x3F);
    ++s;
  }
  return value;
}

void take_text(const char *text) noexcept {
  const auto *s = reinterpret_cast<const unsigned char *>(text);
  const pending_press waiting = pending;
  pending = pending_press{};
  // The text of a held key repeating: the library repeats keys itself.
  if (waiting.what == pending_press::kind::repeat) return;
  bool first = true;
  for (int c = next_code_point(s); c >= 0; c = next_code_point(s)) {
    if (first && waiting.what == pending_press::kind::press) {
      press(c, waiting.index);
    } else {
      // Further characters (an input method's text) have no key of their own.
      handle_key_press(c, 0);
    }
    first = false;
  }
  if (first && waiting.what == pending_press::kind::press) {
    press_unless_empty(waiting.fallback, waiting.index);
  }
}

bool is_keypad(SDL_Scancode scancode) noexcept {
  return (scancode >= SDL_SCANCODE_KP_DIVIDE && scancode <= SDL_SCANCODE_KP_PERIOD &&
          scancode != SDL_SCANCODE_KP_ENTER) ||
         scancode == SDL_SCANCODE_KP_EQUALS;
}

// What fixed_character answers besides a character.
constexpr int text_follows = -1;   // the key may type: its character comes in a text event
constexpr int types_nothing = -2;  // modifiers and locks put nothing into the buffer

// The character of keys that never produce text, or one of the two answers above.
int fixed_character(const SDL_Keysym &key, int index) noexcept {
  if (index >= KEY_LSHIFT && index <= KEY_CAPSLOCK) return types_nothing;
  switch (key.scancode) {
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
      return 13;
    case SDL_SCANCODE_ESCAPE:
      return 27;
    case SDL_SCANCODE_BACKSPACE:
      return 8;
    case SDL_SCANCODE_TAB:
      return 9;
    case SDL_SCANCODE_DELETE:
      return 127;
    default:
      break;
  }
  if (is_keypad(key.scancode)) return text_follows;
  // Keys the layout gives no keycode may still type (a national key of a foreign layout).
  const SDL_Keycode sym = key.sym;
  if (sym == SDLK_UNKNOWN) return text_follows;
  if ((sym & SDLK_SCANCODE_MASK) == 0 && sym >= 32 && sym != 127) return text_follows;
  return 0;  // cursor, function and other keys: no character
}

void key_down(const SDL_KeyboardEvent &event) noexcept {
  const int index = key_index_of_scancode(event.keysym.scancode);
  store_key_shifts(key_shifts_of_modifiers(event.keysym.mod));
  const int fixed = fixed_character(event.keysym, index);
  if (event.repeat != 0) {
    // The library repeats held keys itself; a repeat's text must not type either.
    if (fixed == text_follows) pending.what = pending_press::kind::repeat;
    return;
  }
  if (fixed == types_nothing) {
    handle_key_press(-1, index);
  } else if (fixed >= 0) {
    press_unless_empty(fixed, index);
  } else {
    // Text follows in the next event when the key types something.
    pending.what = pending_press::kind::press;
    pending.index = index;
    const SDL_Keycode sym = event.keysym.sym;
    pending.fallback = ((event.keysym.mod & KMOD_CTRL) != 0 && sym >= 'a' && sym <= 'z')
                           ? static_cast<int>(sym - 'a' + 1)
                           : 0;
  }
}

void key_up(const SDL_KeyboardEvent &event) noexcept {
  const int index = key_index_of_scancode(event.keysym.scancode);
  store_key_shifts(key_shifts_of_modifiers(event.keysym.mod));
  if (index > 0) handle_key_release(index);
}

// What the host thread calls while the driver is installed.
const host_handlers keyboard_handlers = {
    .event = handle_keyboard_event,
    .events_done = finish_keyboard_events,
    .frame = nullptr,
    .host_stopping = nullptr,
};

int keyboard_init() {
  if (!add_host_handlers(&keyboard_handlers)) {
    set_error_text("The display has no room for another user");
    return -1;
  }
  if (!acquire_video()) {
    remove_host_handlers(&keyboard_handlers);
    return -1;
  }
  auto enable = [] {
    pending = pending_press{};
    store_key_shifts(key_shifts_of_modifiers(SDL_GetModState()));
    events_enabled = true;
  };
  if (!run_on_host(enable)) {
    remove_host_handlers(&keyboard_handlers);
    release_video();
    return -1;
  }
  return 0;
}

void keyboard_exit() {
  auto disable = [] {
    events_enabled = false;
    pending = pending_press{};
  };
  if (!run_on_host(disable)) events_enabled = false;
  remove_host_handlers(&keyboard_handlers);
  // Keys still held are let go, so that the low-level callback hears of every release.
  for (int index = 1; index < KEY_MAX; ++index) {
    if (std::atomic_ref<signed char>(key_state[index]).load(std::memory_order_relaxed) != 0) {
      handle_key_release(index);
    }
  }
  release_video();
}

}  // namespace

void handle_keyboard_event(const SDL_Event &event) noexcept {
  if (!events_enabled) return;
  if (event.type == SDL_TEXTINPUT) {
    take_text(event.text.text);
    return;
  }
  if (event.type == SDL_TEXTEDITING) return;
  flush_pending();
  switch (event.type) {
    case SDL_KEYDOWN:
      key_down(event.key);
      break;
    case SDL_KEYUP:
      key_up(event.key);
      break;
    case SDL_WINDOWEVENT:
      // Lock keys may have changed while another window had the focus.
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
        store_key_shifts(key_shifts_of_modifiers(SDL_GetModState()));
      }
      break;
    default:
      break;
  }
}

void finish_keyboard_events() noexcept {
  if (events_enabled) flush_pending();
}

void set_keyboard_events_enabled(bool enabled) noexcept {
  pending = pending_press{};
  events_enabled = enabled;
}

keyboard_driver_rec keyboard_driver = {
    .id = KEYBOARD_SDL,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "SDL2 keyboard",
    .emulate_repeat = -1,
    .init = keyboard_init,
    .exit = keyboard_exit,
};

}  // namespace corvane::sdl
