// The driver lists of the Linux host: the system drivers start-up chooses from and, for each
// device family, the display layer's drivers followed by the host's own. A new driver of the host
// is one line in its family's list below; the display layer keeps its lines in its own folder.
#include "corvane/system.h"
#include "corvane/joystick.h"
#include "platform/linux/display_layer.h"
#include "platform/linux/hidraw_joystick.h"
#include "platform/linux/synth_layer.h"
#include "platform/linux/terminal_keyboard.h"
#include "platform/linux/unix_host.h"
#include "platform/null/file_digi_driver.h"
#include "platform/null/headless_gfx_driver.h"
#include "platform/null/offline_digi_driver.h"
#include "sound/soundfont_voice_driver.h"

extern "C" {

// The host's driver first; 'NONE' only when the program or the configuration asks for it.
driver_list_entry system_driver_list[] = {
    {corvane::unix_host::SYSTEM_UNIX, &corvane::unix_host::driver, -1},
    {SYSTEM_NONE, &system_none, 0},
    {0, nullptr, 0},
};

}  // extern "C"

namespace corvane::unix_host {
namespace {

// The host's own drivers of each family, tried after the display layer's.

// With no display at all, the headless driver, which needs nothing.
const driver_list_entry own_gfx_drivers[] = {
    {GFX_HEADLESS, &headless_gfx_driver, -1},
    {0, nullptr, 0},
};

// Keys from the terminal when the display layer has none to offer.
const driver_list_entry own_keyboard_drivers[] = {
    {KEYBOARD_TERMINAL, &terminal_keyboard_driver, -1},
    {0, nullptr, 0},
};

// Sound without a device, by id only: output handed to the program, or recorded to a file.
const driver_list_entry own_digi_drivers[] = {
    {offline_digi_driver_id, &offline_digi_driver, 0},
    {file_digi_driver_id, &file_digi_driver, 0},
    {0, nullptr, 0},
};
// Notes on digital voices, which need nothing but the mixer, after the synthesizer layer's.
const driver_list_entry own_midi_drivers[] = {
    {soundfont_voice_driver_id, &soundfont_voice_driver, -1},
    {0, nullptr, 0},
};
const driver_list_entry own_mouse_drivers[] = {{0, nullptr, 0}};
// HID joysticks and game pads through hidraw, then the driver without joysticks.
const driver_list_entry own_joystick_drivers[] = {
    {hidraw::JOYSTICK_HIDRAW, &hidraw::hidraw_joystick_driver, -1},
    {JOYSTICK_NONE, &joystick_none, -1},
    {0, nullptr, 0},
};

// One family's list as the system driver hands it out: the entries of two lists, in order, and
// the terminator. It is put together at its first use, so that the display layer, built in
// another folder, needs no line here.
class joined_driver_list {
 public:
  joined_driver_list(const driver_list_entry *first, const driver_list_entry *second) noexcept {
    append(first);
    append(second);
  }
  driver_list_entry *entries() noexcept { return entries_; }

 private:
  // Far more than any family has drivers on one host; entries beyond it would be dropped.
  static constexpr int capacity = 32;

  void append(const driver_list_entry *list) noexcept {
    for (; list->driver != nullptr && count_ < capacity; ++list) entries_[count_++] = *list;
  }

  driver_list_entry entries_[capacity + 1] = {};
  int count_ = 0;
};

}  // namespace

driver_list_entry *list_gfx_drivers() noexcept {
  static joined_driver_list list(display_layer::gfx_drivers, own_gfx_drivers);
  return list.entries();
}

driver_list_entry *list_digi_drivers() noexcept {
  static joined_driver_list list(display_layer::digi_drivers, own_digi_drivers);
  return list.entries();
}

driver_list_entry *list_midi_drivers() noexcept {
  static joined_driver_list own(synth_layer::midi_drivers, own_midi_drivers);
  static joined_driver_list list(display_layer::midi_drivers, own.entries());
  return list.entries();
}

driver_list_entry *list_keyboard_drivers() noexcept {
  static joined_driver_list list(display_layer::keyboard_drivers, own_keyboard_drivers);
  return list.entries();
}

driver_list_entry *list_mouse_drivers() noexcept {
  static joined_driver_list list(display_layer::mouse_drivers, own_mouse_drivers);
  return list.entries();
}

driver_list_entry *list_joystick_drivers() noexcept {
  static joined_driver_list list(display_layer::joystick_drivers, own_joystick_drivers);
  return list.entries();
}

}  // namespace corvane::unix_host
