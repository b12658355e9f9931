// The SDL2 keyboard's translation of key and text events: key indices from scancodes, characters
// from the text event that follows a key, control characters, modifier and lock flags, repeats
// the library does itself, text without a key, and the three-finger combination. The events are
// handed to the translation directly, as the host thread does, with a test keyboard installed to
// receive the presses.
#include <SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <set>

#include "corvane/keyboard.h"
#include "corvane/system.h"
#include "platform/sdl2/sdl_keyboard.h"
#include "support/test_keyboard.h"

namespace {

using namespace corvane::testing;
using corvane::sdl::handle_keyboard_event;

SDL_Event key_event(Uint32 type, SDL_Scancode scancode, SDL_Keycode sym, Uint16 mod = KMOD_NONE,
                    Uint8 repeat = 0) {
  SDL_Event event{};
  event.type = type;
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.key.repeat = repeat;
  event.key.keysym.scancode = scancode;
  event.key.keysym.sym = sym;
  event.key.keysym.mod = mod;
  return event;
}

SDL_Event text_event(const char *utf8) {
  SDL_Event event{};
  event.type = SDL_TEXTINPUT;
  std::strncpy(event.text.text, utf8, sizeof event.text.text - 1);
  return event;
}

// One key typed as SDL reports it: the key, its text (when any), the release.
void type_key(SDL_Scancode scancode, SDL_Keycode sym, const char *text, Uint16 mod = KMOD_NONE) {
  handle_keyboard_event(key_event(SDL_KEYDOWN, scancode, sym, mod));
  if (text != nullptr) handle_keyboard_event(text_event(text));
  handle_keyboard_event(key_event(SDL_KEYUP, scancode, sym, mod));
  corvane::sdl::finish_keyboard_events();
}

struct typed {
  int character;
  int index;
};

typed next_key() {
  int index = -1;
  const int character = read_key_unicode(&index);
  return {character, index};
}

class SdlKeyEventsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_test_keyboard();
    ASSERT_EQ(start_with_test_keyboard(), 0);
    ASSERT_EQ(install_keyboard(), 0);
    corvane::sdl::set_keyboard_events_enabled(true);
  }
  void TearDown() override {
    corvane::sdl::set_keyboard_events_enabled(false);
    shutdown_corvane();
  }
};

TEST_F(SdlKeyEventsTest, LetterTakesItsCharacterFromTheTextThatFollows) {
  handle_keyboard_event(key_event(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a));
  // The press waits for its text: nothing is typed and no key is down yet.
  EXPECT_EQ(key_waiting(), 0);
  handle_keyboard_event(text_event("q"));  // an AZERTY layout: the A position types q
  EXPECT_NE(key_state[KEY_A], 0);
  ASSERT_NE(key_waiting(), 0);
  const typed key = next_key();
  EXPECT_EQ(key.character, 'q');
  EXPECT_EQ(key.index, KEY_A);
  handle_keyboard_event(key_event(SDL_KEYUP, SDL_SCANCODE_A, SDLK_a));
  EXPECT_EQ(key_state[KEY_A], 0);
}

TEST_F(SdlKeyEventsTest, ShiftedKeysAndModifierFlags) {
  handle_keyboard_event(key_event(SDL_KEYDOWN, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_LSHIFT));
  EXPECT_NE(key_state[KEY_LSHIFT], 0);
  EXPECT_EQ(key_shifts & KEY_FLAG_SHIFT, KEY_FLAG_SHIFT);
  EXPECT_EQ(key_waiting(), 0);  // modifiers type nothing
  type_key(SDL_SCANCODE_1, SDLK_1, "!", KMOD_LSHIFT);
  handle_keyboard_event(key_event(SDL_KEYUP, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_NONE));
  EXPECT_EQ(key_state[KEY_LSHIFT], 0);
  EXPECT_EQ(key_shifts & KEY_FLAG_SHIFT, 0);
  const typed key = next_key();
  EXPECT_EQ(key.character, '!');
  EXPECT_EQ(key.index, KEY_1);

  handle_keyboard_event(key_event(SDL_KEYDOWN, SDL_SCANCODE_RALT, SDLK_RALT, KMOD_RALT));
  EXPECT_NE(key_state[KEY_ALTGR], 0);
  EXPECT_EQ(key_shifts, KEY_FLAG_ALT);
  handle_keyboard_event(key_event(SDL_KEYDOWN, SDL_SCANCODE_RCTRL, SDLK_RCTRL,
                                  KMOD_RALT | KMOD_RCTRL | KMOD_CAPS | KMOD_NUM | KMOD_SCROLL));
  EXPECT_EQ(key_shifts, KEY_FLAG_ALT | KEY_FLAG_CONTROL | KEY_FLAG_CAPS_LOCK | KEY_FLAG_NUM_LOCK |
                            KEY_FLAG_SCROLL_LOCK);
  EXPECT_EQ(key_waiting(), 0);
}

TEST_F(SdlKeyEventsTest, ControlLettersTypeControlCharactersWithoutText) {
  // No text follows a control combination: the character is worked out from the key.
  type_key(SDL_SCANCODE_C, SDLK_c, nullptr, KMOD_LCTRL);
  typed key = next_key();
  EXPECT_EQ(key.character, 3);
  EXPECT_EQ(key.index, KEY_C);
  type_key(SDL_SCANCODE_Z, SDLK_z, nullptr, KMOD_RCTRL);
  EXPECT_EQ(next_key().character, 26);
  // A key that types nothing without Ctrl gives 0.
  type_key(SDL_SCANCODE_1, SDLK_1, nullptr, KMOD_LCTRL);
  key = next_key();
  EXPECT_EQ(key.character, 0);
  EXPECT_EQ(key.index, KEY_1);
}

TEST_F(SdlKeyEventsTest, KeysThatNeverTypeGoInAtOnce) {
  const struct {
    SDL_Scancode scancode;
    SDL_Keycode sym;
    int index;
    int character;
  } keys[] = {
      {SDL_SCANCODE_RETURN, SDLK_RETURN, KEY_ENTER, 13},
      {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, KEY_ENTER_PAD, 13},
      {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, KEY_ESC, 27},
      {SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, KEY_BACKSPACE, 8},
      {SDL_SCANCODE_TAB, SDLK_TAB, KEY_TAB, 9},
      {SDL_SCANCODE_DELETE, SDLK_DELETE, KEY_DEL, 127},
      {SDL_SCANCODE_F1, SDLK_F1, KEY_F1, 0},
      {SDL_SCANCODE_F12, SDLK_F12, KEY_F12, 0},
      {SDL_SCANCODE_LEFT, SDLK_LEFT, KEY_LEFT, 0},
      {SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN, KEY_PGDN, 0},
      {SDL_SCANCODE_PAUSE, SDLK_PAUSE, KEY_PAUSE, 0},
  };
  for (const auto &k : keys) {
    SCOPED_TRACE(k.index);
    handle_keyboard_event(key_event(SDL_KEYDOWN, k.scancode, k.sym));
    ASSERT_NE(key_waiting(), 0);  // no waiting for text
    const typed key = next_key();
    EXPECT_EQ(key.character, k.character);
    EXPECT_EQ(key.index, k.index);
    handle_keyboard_event(key_event(SDL_KEYUP, k.scancode, k.sym));
  }
}

TEST_F(SdlKeyEventsTest, KeypadDigitsTypeOnlyWithNumLock) {
  // Num lock on: the text event brings the digit.
  type_key(SDL_SCANCODE_KP_7, SDLK_KP_7, "7", KMOD_NUM);
  typed key = next_key();
  EXPECT_EQ(key.character, '7');
  EXPECT_EQ(key.index, KEY_7_PAD);
  EXPECT_EQ(key_waiting(), 0);  // once, not again as text without a key
  // Num lock off: no text, the key goes in without a character.
  type_key(SDL_SCANCODE_KP_7, SDLK_KP_7, nullptr);
  key = next_key();
  EXPECT_EQ(key.character, 0);
  EXPECT_EQ(key.index, KEY_7_PAD);
}

TEST_F(SdlKeyEventsTest, RepeatsAndTheirTextAreLeftToTheLibrary) {
  handle_keyboard_event(key_event(SDL_KEYDOWN, SDL_SCANCODE_B, SDLK_b));
  handle_keyboard_event(text_event("b"));
  handle_keyboard_event(key_event(SDL_KEYDOWN, SDL_SCANCODE_B, SDLK_b, KMOD_NONE, 1));
  handle_keyboard_event(text_event("b"));
  handle_keyboard_event(key_event(SDL_KEYDOWN, SDL_SCANCODE_B, SDLK_b, KMOD_NONE, 1));
  handle_keyboard_event(text_event("b"));
  handle_keyboard_event(key_event(SDL_KEYUP, SDL_SCANCODE_B, SDLK_b));
  EXPECT_EQ(next_key().character, 'b');
  EXPECT_EQ(key_waiting(), 0);
}

TEST_F(SdlKeyEventsTest, TextWithoutAKeyHasNoIndex) {
  // An input method commits two characters for one key: the first goes with the key.
  handle_keyboard_event(key_event(SDL_KEYDOWN, SDL_SCANCODE_E, SDLK_e));
  handle_keyboard_event(text_event("\xC3\xA9\xE2\x82\xAC"));  // U+00E9 U+20AC
  typed key = next_key();
  EXPECT_EQ(key.character, 0xE9);
  EXPECT_EQ(key.index, KEY_E);
  key = next_key();
  EXPECT_EQ(key.character, 0x20AC);
  EXPECT_EQ(key.index, 0);
  // Text on its own (a compose sequence finished by a release).
  handle_keyboard_event(text_event("\xF0\x9F\x98\x80"));  // U+1F600
  key = next_key();
  EXPECT_EQ(key.character, 0x1F600);
  EXPECT_EQ(key.index, 0);
}

TEST_F(SdlKeyEventsTest, MalformedTextReadsAsReplacementCharacters) {
  handle_keyboard_event(text_event("\xC3"));       // cut short
  handle_keyboard_event(text_event("\x80x"));      // stray continuation byte
  handle_keyboard_event(text_event("\xFF"));       // never valid
  handle_keyboard_event(text_event("\xE2\x82z"));  // cut short by a new character
  EXPECT_EQ(next_key().character, 0xFFFD);
  EXPECT_EQ(next_key().character, 0xFFFD);
  EXPECT_EQ(next_key().character, 'x');
  EXPECT_EQ(next_key().character, 0xFFFD);
  EXPECT_EQ(next_key().character, 0xFFFD);
  EXPECT_EQ(next_key().character, 'z');
  EXPECT_EQ(key_waiting(), 0);
}

TEST_F(SdlKeyEventsTest, PressWaitingForTextGoesInBeforeTheNextKey) {
  // A dead key types nothing by itself; the next key's events must not overtake it.
  handle_keyboard_event(key_event(SDL_KEYDOWN, SDL_SCANCODE_LEFTBRACKET, SDLK_LEFTBRACKET));
  handle_keyboard_event(key_event(SDL_KEYDOWN, SDL_SCANCODE_SPACE, SDLK_SPACE));
  handle_keyboard_event(text_event(" "));
  typed key = next_key();
  EXPECT_EQ(key.character, 0);
  EXPECT_EQ(key.index, 65);
  key = next_key();
  EXPECT_EQ(key.character, ' ');
  EXPECT_EQ(key.index, KEY_SPACE);
}

TEST_F(SdlKeyEventsTest, UnknownKeysStillType) {
  type_key(SDL_SCANCODE_INTERNATIONAL3, SDLK_UNKNOWN, "\xC2\xA5");  // the yen key
  const typed key = next_key();
  EXPECT_EQ(key.character, 0xA5);
  EXPECT_EQ(key.index, 0);
  // Without text such a key has nothing to report.
  type_key(SDL_SCANCODE_INTERNATIONAL3, SDLK_UNKNOWN, nullptr);
  type_key(SDL_SCANCODE_F13, SDLK_F13, nullptr);
  EXPECT_EQ(key_waiting(), 0);
}

TEST_F(SdlKeyEventsTest, NothingArrivesWhileEventsAreOff) {
  corvane::sdl::set_keyboard_events_enabled(false);
  type_key(SDL_SCANCODE_A, SDLK_a, "a");
  EXPECT_EQ(key_waiting(), 0);
  EXPECT_EQ(key_state[KEY_A], 0);
}

void press_control_end() {
  handle_keyboard_event(key_event(SDL_KEYDOWN, SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_LCTRL));
  handle_keyboard_event(key_event(SDL_KEYDOWN, SDL_SCANCODE_END, SDLK_END, KMOD_LCTRL));
}

TEST_F(SdlKeyEventsTest, ControlEndEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(press_control_end(), ::testing::KilledBySignal(SIGTERM), "");
}

TEST_F(SdlKeyEventsTest, ControlEndIsAnOrdinaryKeyWithoutTheFlag) {
  three_finger_flag = 0;
  press_control_end();
  EXPECT_EQ(next_key().index, KEY_END);
  three_finger_flag = -1;
}

TEST(SdlKeyTable, IndicesAreInRangeAndUsedOnce) {
  std::set<int> seen;
  int mapped = 0;
  for (int scancode = -1; scancode <= SDL_NUM_SCANCODES; ++scancode) {
    const int index = corvane::sdl::key_index_of_scancode(scancode);
    if (index == 0) continue;
    ++mapped;
    ASSERT_GE(index, 1);
    ASSERT_LE(index, 126);
    // Backslash is the only key with two positions (US and ISO keyboards).
    if (index != KEY_BACKSLASH) {
      EXPECT_TRUE(seen.insert(index).second) << "index " << index << " used twice";
    }
  }
  EXPECT_GE(mapped, 100);
  EXPECT_EQ(corvane::sdl::key_index_of_scancode(SDL_SCANCODE_BACKSLASH), KEY_BACKSLASH);
  EXPECT_EQ(corvane::sdl::key_index_of_scancode(SDL_SCANCODE_NONUSHASH), KEY_BACKSLASH);
}

TEST(SdlKeyTable, RowsOfTheKeyboardLandOnTheirIndices) {
  using corvane::sdl::key_index_of_scancode;
  for (int i = 0; i < 26; ++i) EXPECT_EQ(key_index_of_scancode(SDL_SCANCODE_A + i), KEY_A + i);
  EXPECT_EQ(key_index_of_scancode(SDL_SCANCODE_0), KEY_0);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(key_index_of_scancode(SDL_SCANCODE_1 + i), KEY_1 + i);
  EXPECT_EQ(key_index_of_scancode(SDL_SCANCODE_KP_0), KEY_0_PAD);
  for (int i = 0; i < 9; ++i)
    EXPECT_EQ(key_index_of_scancode(SDL_SCANCODE_KP_1 + i), KEY_1_PAD + i);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(key_index_of_scancode(SDL_SCANCODE_F1 + i), KEY_F1 + i);
  EXPECT_EQ(key_index_of_scancode(SDL_SCANCODE_LSHIFT), KEY_LSHIFT);
  EXPECT_EQ(key_index_of_scancode(SDL_SCANCODE_RGUI), KEY_RWIN);
  EXPECT_EQ(key_index_of_scancode(SDL_SCANCODE_CAPSLOCK), KEY_CAPSLOCK);
  EXPECT_EQ(key_index_of_scancode(SDL_SCANCODE_KP_PERIOD), KEY_DEL_PAD);
  EXPECT_EQ(key_index_of_scancode(SDL_SCANCODE_UNKNOWN), 0);
  EXPECT_EQ(key_index_of_scancode(SDL_NUM_SCANCODES), 0);
  EXPECT_EQ(key_index_of_scancode(-5), 0);
}

}  // namespace
