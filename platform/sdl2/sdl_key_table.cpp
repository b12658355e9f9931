// SDL scancodes (the position of a key on a USB keyboard, whatever its layout) to the library's
// key indices, and SDL modifier states to key_shifts flags.
#include <SDL.h>

#include <array>
#include <cstdint>

#include "corvane/keyboard.h"
#include "platform/sdl2/sdl_keyboard.h"

namespace corvane::sdl {
namespace {

struct scancode_pair {
  SDL_Scancode scancode;
  uint8_t index;
};

// Keys without a name of their own take the free indices the Mac keyboard uses for the same
// keys: 61 minus, 62 equals, 65 and 66 the brackets, 69 quote, 72 comma, 73 full stop, 74 slash,
// 104 the key left of 1, 105 semicolon; 71 is the extra key beside the left shift of ISO
// keyboards.
constexpr scancode_pair scancode_pairs[] = {
    {SDL_SCANCODE_A, KEY_A},
    {SDL_SCANCODE_B, KEY_B},
    {SDL_SCANCODE_C, KEY_C},
    {SDL_SCANCODE_D, KEY_D},
    {SDL_SCANCODE_E, KEY_E},
    {SDL_SCANCODE_F, KEY_F},
    {SDL_SCANCODE_G, KEY_G},
    {SDL_SCANCODE_H, KEY_H},
    {SDL_SCANCODE_I, KEY_I},
    {SDL_SCANCODE_J, KEY_J},
    {SDL_SCANCODE_K, KEY_K},
    {SDL_SCANCODE_L, KEY_L},
    {SDL_SCANCODE_M, KEY_M},
    {SDL_SCANCODE_N, KEY_N},
    {SDL_SCANCODE_O, KEY_O},
    {SDL_SCANCODE_P, KEY_P},
    {SDL_SCANCODE_Q, KEY_Q},
    {SDL_SCANCODE_R, KEY_R},
    {SDL_SCANCODE_S, KEY_S},
    {SDL_SCANCODE_T, KEY_T},
    {SDL_SCANCODE_U, KEY_U},
    {SDL_SCANCODE_V, KEY_V},
    {SDL_SCANCODE_W, KEY_W},
    {SDL_SCANCODE_X, KEY_X},
    {SDL_SCANCODE_Y, KEY_Y},
    {SDL_SCANCODE_Z, KEY_Z},
    {SDL_SCANCODE_1, KEY_1},
    {SDL_SCANCODE_2, KEY_2},
    {SDL_SCANCODE_3, KEY_3},
    {SDL_SCANCODE_4, KEY_4},
    {SDL_SCANCODE_5, KEY_5},
    {SDL_SCANCODE_6, KEY_6},
    {SDL_SCANCODE_7, KEY_7},
    {SDL_SCANCODE_8, KEY_8},
    {SDL_SCANCODE_9, KEY_9},
    {SDL_SCANCODE_0, KEY_0},
    {SDL_SCANCODE_RETURN, KEY_ENTER},
    {SDL_SCANCODE_ESCAPE, KEY_ESC},
    {SDL_SCANCODE_BACKSPACE, KEY_BACKSPACE},
    {SDL_SCANCODE_TAB, KEY_TAB},
    {SDL_SCANCODE_SPACE, KEY_SPACE},
    {SDL_SCANCODE_MINUS, 61},
    {SDL_SCANCODE_EQUALS, 62},
    {SDL_SCANCODE_LEFTBRACKET, 65},
    {SDL_SCANCODE_RIGHTBRACKET, 66},
    {SDL_SCANCODE_BACKSLASH, KEY_BACKSLASH},
    // ISO keyboards report the key left of Enter here instead of as backslash.
    {SDL_SCANCODE_NONUSHASH, KEY_BACKSLASH},
    {SDL_SCANCODE_SEMICOLON, 105},
    {SDL_SCANCODE_APOSTROPHE, 69},
    {SDL_SCANCODE_GRAVE, 104},
    {SDL_SCANCODE_COMMA, 72},
    {SDL_SCANCODE_PERIOD, 73},
    {SDL_SCANCODE_SLASH, 74},
    {SDL_SCANCODE_NONUSBACKSLASH, 71},
    {SDL_SCANCODE_CAPSLOCK, KEY_CAPSLOCK},
    {SDL_SCANCODE_F1, KEY_F1},
    {SDL_SCANCODE_F2, KEY_F2},
    {SDL_SCANCODE_F3, KEY_F3},
    {SDL_SCANCODE_F4, KEY_F4},
    {SDL_SCANCODE_F5, KEY_F5},
    {SDL_SCANCODE_F6, KEY_F6},
    {SDL_SCANCODE_F7, KEY_F7},
    {SDL_SCANCODE_F8, KEY_F8},
    {SDL_SCANCODE_F9, KEY_F9},
    {SDL_SCANCODE_F10, KEY_F10},
    {SDL_SCANCODE_F11, KEY_F11},
    {SDL_SCANCODE_F12, KEY_F12},
    {SDL_SCANCODE_PRINTSCREEN, KEY_PRINT},
    {SDL_SCANCODE_SCROLLLOCK, KEY_SCRLOCK},
    {SDL_SCANCODE_PAUSE, KEY_PAUSE},
    {SDL_SCANCODE_INSERT, KEY_INSERT},
    {SDL_SCANCODE_HOME, KEY_HOME},
    {SDL_SCANCODE_PAGEUP, KEY_PGUP},
    {SDL_SCANCODE_DELETE, KEY_DEL},
    {SDL_SCANCODE_END, KEY_END},
    {SDL_SCANCODE_PAGEDOWN, KEY_PGDN},
    {SDL_SCANCODE_RIGHT, KEY_RIGHT},
    {SDL_SCANCODE_LEFT, KEY_LEFT},
    {SDL_SCANCODE_DOWN, KEY_DOWN},
    {SDL_SCANCODE_UP, KEY_UP},
    {SDL_SCANCODE_NUMLOCKCLEAR, KEY_NUMLOCK},
    {SDL_SCANCODE_KP_DIVIDE, KEY_SLASH_PAD},
    {SDL_SCANCODE_KP_MULTIPLY, KEY_ASTERISK_PAD},
    {SDL_SCANCODE_KP_MINUS, KEY_MINUS_PAD},
    {SDL_SCANCODE_KP_PLUS, KEY_PLUS_PAD},
    {SDL_SCANCODE_KP_ENTER, KEY_ENTER_PAD},
    {SDL_SCANCODE_KP_1, KEY_1_PAD},
    {SDL_SCANCODE_KP_2, KEY_2_PAD},
    {SDL_SCANCODE_KP_3, KEY_3_PAD},
    {SDL_SCANCODE_KP_4, KEY_4_PAD},
    {SDL_SCANCODE_KP_5, KEY_5_PAD},
    {SDL_SCANCODE_KP_6, KEY_6_PAD},
    {SDL_SCANCODE_KP_7, KEY_7_PAD},
    {SDL_SCANCODE_KP_8, KEY_8_PAD},
    {SDL_SCANCODE_KP_9, KEY_9_PAD},
    {SDL_SCANCODE_KP_0, KEY_0_PAD},
    {SDL_SCANCODE_KP_PERIOD, KEY_DEL_PAD},
    {SDL_SCANCODE_KP_EQUALS, KEY_EQUALS_PAD},
    {SDL_SCANCODE_APPLICATION, KEY_MENU},
    {SDL_SCANCODE_LCTRL, KEY_LCONTROL},
    {SDL_SCANCODE_LSHIFT, KEY_LSHIFT},
    {SDL_SCANCODE_LALT, KEY_ALT},
    {SDL_SCANCODE_LGUI, KEY_LWIN},
    {SDL_SCANCODE_RCTRL, KEY_RCONTROL},
    {SDL_SCANCODE_RSHIFT, KEY_RSHIFT},
    {SDL_SCANCODE_RALT, KEY_ALTGR},
    {SDL_SCANCODE_RGUI, KEY_RWIN},
};

constexpr std::array<uint8_t, SDL_NUM_SCANCODES> make_scancode_table() {
  std::array<uint8_t, SDL_NUM_SCANCODES> table{};
  for (const scancode_pair &pair : scancode_pairs) {
    table[static_cast<size_t>(pair.scancode)] = pair.index;
  }
  return table;
}

constexpr std::array<uint8_t, SDL_NUM_SCANCODES> scancode_table = make_scancode_table();

}  // namespace

int key_index_of_scancode(int scancode) noexcept {
  if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return 0;
  return scancode_table[static_cast<size_t>(scancode)];
}

int key_shifts_of_modifiers(int modifiers) noexcept {
  int flags = 0;
  if ((modifiers & KMOD_SHIFT) != 0) flags |= KEY_FLAG_SHIFT;
  if ((modifiers & KMOD_CTRL) != 0) flags |= KEY_FLAG_CONTROL;
  if ((modifiers & KMOD_ALT) != 0) flags |= KEY_FLAG_ALT;
  if ((modifiers & KMOD_SCROLL) != 0) flags |= KEY_FLAG_SCROLL_LOCK;
  if ((modifiers & KMOD_NUM) != 0) flags |= KEY_FLAG_NUM_LOCK;
  if ((modifiers & KMOD_CAPS) != 0) flags |= KEY_FLAG_CAPS_LOCK;
  return flags;
}

}  // namespace corvane::sdl
