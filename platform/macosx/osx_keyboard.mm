// The Mac OS X keyboard driver 'OSXK': the host's event loop hands it key and modifier events,
// which become key presses and releases, typed characters and the modifier flags of key_shifts.
#include "platform/macosx/osx_keyboard.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>

#include "platform/macosx/macosx_cocoa.h"

namespace corvane::macosx {
namespace {

// The Cocoa modifier flags of the last change reported.
std::atomic<unsigned long> last_modifiers{0};

void store_key_shifts(int flags) noexcept {
  std::atomic_ref<int>(key_shifts).store(flags, std::memory_order_relaxed);
}

int load_key_shifts() noexcept {
  return std::atomic_ref<int>(key_shifts).load(std::memory_order_relaxed);
}

bool is_letter(int c) noexcept { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

int lower_case(int c) noexcept { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

bool handle_key_events(NSEvent *event) {
  const NSEventType type = [event type];
  if (type == NSFlagsChanged) {
    osx_modifiers_changed([event modifierFlags]);
    return true;
  }
  const char *characters = [[event charactersIgnoringModifiers] lossyCString];
  const int character = characters != nullptr ? static_cast<signed char>(characters[0]) : 0;
  osx_key_event(type == NSKeyDown, character, [event keyCode], [event modifierFlags]);
  return true;
}

int osx_keyboard_init() {
  last_modifiers.store(0);
  const NSUInteger types = NSEventMaskFromType(NSKeyDown) | NSEventMaskFromType(NSKeyUp) |
                           NSEventMaskFromType(NSFlagsChanged);
  return add_event_handler(types, handle_key_events) ? 0 : -1;
}

void osx_keyboard_exit() {
  remove_event_handler(handle_key_events);
  osx_release_all_keys(0, 0);
}

// A modifier flag of Cocoa, the bit of key_shifts it sets and the key index it reports.
struct modifier_key {
  unsigned long cocoa_flag;
  int shift_flag;
  int index;
};

constexpr modifier_key modifier_keys[] = {
    {NSShiftKeyMask, KEY_FLAG_SHIFT, KEY_LSHIFT},
    {NSControlKeyMask, KEY_FLAG_CONTROL, KEY_LCONTROL},
    {NSAlternateKeyMask, KEY_FLAG_ALT, KEY_ALT},
    {NSCommandKeyMask, KEY_FLAG_COMMAND, KEY_COMMAND},
};

}  // namespace

void osx_key_event(bool pressed, int character, unsigned key_code, unsigned long modifiers) noexcept {
  const int index = key_code < mac_key_table.size() ? mac_key_table[key_code] : 0;
  if (!pressed) {
    handle_key_release(index);
    return;
  }
  if ((modifiers & NSAlternateKeyMask) != 0) {
    handle_key_press(0, index);
  } else if ((modifiers & NSControlKeyMask) != 0 && is_letter(character)) {
    handle_key_press(lower_case(character) - 0x60, index);
  } else {
    handle_key_press(character, index);
  }
  if (three_finger_combination(index) != 0) kill(getpid(), SIGTERM);
}

void osx_modifiers_changed(unsigned long modifiers) noexcept {
  const unsigned long changed = modifiers ^ last_modifiers.exchange(modifiers);
  // Caps lock reports its state in the flag: each change is a press and a release of the key.
  if ((changed & NSAlphaShiftKeyMask) != 0) {
    const int shifts = load_key_shifts();
    store_key_shifts((modifiers & NSAlphaShiftKeyMask) != 0 ? shifts | KEY_FLAG_CAPS_LOCK
                                                            : shifts & ~KEY_FLAG_CAPS_LOCK);
    handle_key_press(-1, KEY_CAPSLOCK);
    handle_key_release(KEY_CAPSLOCK);
  }
  for (const modifier_key &key : modifier_keys) {
    if ((changed & key.cocoa_flag) == 0) continue;
    if ((modifiers & key.cocoa_flag) != 0) {
      store_key_shifts(load_key_shifts() | key.shift_flag);
      handle_key_press(-1, key.index);
    } else {
      store_key_shifts(load_key_shifts() & ~key.shift_flag);
      handle_key_release(key.index);
    }
  }
}

void osx_release_all_keys(int flags, int leds) noexcept {
  if (flags != 0) {
    store_key_shifts((load_key_shifts() & ~KEY_FLAG_LEDS) | (leds & KEY_FLAG_LEDS));
    return;
  }
  for (int index = 1; index < KEY_MAX; ++index) {
    if (std::atomic_ref<signed char>(key_state[index]).load(std::memory_order_relaxed) != 0) {
      handle_key_release(index);
    }
  }
}

keyboard_driver_rec osx_keyboard_driver = {
    .id = KEYBOARD_MACOSX,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "MacOS X keyboard",
    .emulate_repeat = -1,
    .init = osx_keyboard_init,
    .exit = osx_keyboard_exit,
};

}  // namespace corvane::macosx
