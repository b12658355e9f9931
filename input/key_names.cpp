// The names of the key indices, and the lookup that prefers the driver's own names.
#include <mutex>

#include "core/internal.h"
#include "corvane/keyboard.h"
#include "input/keyboard_internal.h"

extern "C" {

const char *const key_names[KEY_MAX] = {
    "(none)", "A",      "B",       "C",         "D",       "E",        "F",         "G",
    "H",      "I",      "J",       "K",         "L",       "M",        "N",         "O",
    "P",      "Q",      "R",       "S",         "T",       "U",        "V",         "W",
    "X",      "Y",      "Z",       "0",         "1",       "2",        "3",         "4",
    "5",      "6",      "7",       "8",         "9",       "0 PAD",    "1 PAD",     "2 PAD",
    "3 PAD",  "4 PAD",  "5 PAD",   "6 PAD",     "7 PAD",   "8 PAD",    "9 PAD",     "F1",
    "F2",     "F3",     "F4",      "F5",        "F6",      "F7",       "F8",        "F9",
    "F10",    "F11",    "F12",     "ESC",       "KEY60",   "KEY61",    "KEY62",     "BACKSPACE",
    "TAB",    "KEY65",  "KEY66",   "ENTER",     "KEY68",   "KEY69",    "BACKSLASH", "KEY71",
    "KEY72",  "KEY73",  "KEY74",   "SPACE",     "INSERT",  "DEL",      "HOME",      "END",
    "PGUP",   "PGDN",   "LEFT",    "RIGHT",     "UP",      "DOWN",     "/ PAD",     "* PAD",
    "- PAD",  "+ PAD",  "DEL PAD", "ENTER PAD", "PRINT",   "PAUSE",    "KEY94",     "KEY95",
    "KEY96",  "KEY97",  "KEY98",   "KEY99",     "KEY100",  "KEY101",   "KEY102",    "= PAD",
    "KEY104", "KEY105", "KEY106",  "KEY107",    "KEY108",  "KEY109",   "KEY110",    "KEY111",
    "KEY112", "KEY113", "KEY114",  "LSHIFT",    "RSHIFT",  "LCONTROL", "RCONTROL",  "ALT",
    "ALTGR",  "LWIN",   "RWIN",    "MENU",      "SCRLOCK", "NUMLOCK",  "CAPSLOCK",
};

const char *key_index_name(int index) noexcept {
  if (index < 0 || index >= KEY_MAX) index = 0;
  keyboard_driver_rec *driver = corvane::installed_keyboard_driver();
  if (driver != nullptr && driver->scancode_to_name != nullptr) {
    if (const char *name = driver->scancode_to_name(index)) return name;
  }
  // The names are ASCII. In an encoding where ASCII text needs converting, each name is converted
  // into a buffer of its own, so that the result stays valid for the caller.
  static std::mutex conversion_mutex;
  static char converted[KEY_MAX][40];
  std::lock_guard<std::mutex> lock(conversion_mutex);
  return corvane::literal(key_names[index], converted[index],
                          static_cast<int>(sizeof converted[0]));
}

}  // extern "C"
