// The 'OSXK' keyboard driver fed through the host's event loop: key events become key indices
// and characters (with the option and control rules), modifier changes become modifier keys and
// key_shifts bits, the three-finger combination ends the process, and keys that arrive before the
// keyboard is installed reach no one.
#include <gtest/gtest.h>
#include <signal.h>
#include <standin/cocoa.h>

#include <atomic>
#include <string>
#include <vector>

#include "corvane/keyboard.h"
#include "corvane/system.h"
#include "platform/macosx/macosx_cocoa.h"
#include "platform/macosx/osx_keyboard.h"

namespace {

using namespace corvane::macosx;

std::vector<int> lowlevel_calls;
void record_lowlevel(int scancode) { lowlevel_calls.push_back(scancode); }

class OsxKeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    standin_cocoa_reset();
    [NSApplication sharedApplication];
    ASSERT_EQ(startup_corvane(SYSTEM_MACOSX, nullptr, nullptr), 0);
    lowlevel_calls.clear();
  }
  void TearDown() override {
    keyboard_lowlevel_callback = nullptr;
    shutdown_corvane();
  }

  static void press(unsigned short code, const char *characters, unsigned long modifiers = 0) {
    standin_post_key(1, code, characters, modifiers);
    standin_post_key(0, code, characters, modifiers);
    event_loop_pass();
  }

  static std::string typed() {
    std::string text;
    while (key_waiting() != 0) text += static_cast<char>(read_key() & 0xFF);
    return text;
  }
};

TEST_F(OsxKeyboardTest, KeyEventsTypeTheirCharacterOnTheirKey) {
  ASSERT_EQ(install_keyboard(), 0);
  EXPECT_STREQ(keyboard_driver->name, "MacOS X keyboard");
  standin_post_key(1, 0x00, "a", 0);
  event_loop_pass();
  EXPECT_NE(key_state[KEY_A], 0);
  ASSERT_NE(key_waiting(), 0);
  EXPECT_EQ(read_key(), (KEY_A << 8) | 'a');
  standin_post_key(0, 0x00, "a", 0);
  event_loop_pass();
  EXPECT_EQ(key_state[KEY_A], 0);
}

TEST_F(OsxKeyboardTest, OptionTypesNothingAndControlTypesLetterCodes) {
  ASSERT_EQ(install_keyboard(), 0);
  press(0x0E, "e", NSAlternateKeyMask);
  int index = -1;
  ASSERT_NE(key_waiting(), 0);
  EXPECT_EQ(read_key_unicode(&index), 0);
  EXPECT_EQ(index, KEY_E);

  // Control with each letter, in either case, types 1 to 26; with a digit the digit itself.
  std::string expected;
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    const char lower[2] = {letter, 0};
    const char upper[2] = {static_cast<char>(letter - 'a' + 'A'), 0};
    press(0x00, (letter % 2) != 0 ? lower : upper, NSControlKeyMask);
    expected += static_cast<char>(letter - 'a' + 1);
  }
  EXPECT_EQ(typed(), expected);
  press(0x12, "1", NSControlKeyMask);
  EXPECT_EQ(typed(), "1");
}

TEST_F(OsxKeyboardTest, ModifierChangesReportTheirKeysAndBits) {
  ASSERT_EQ(install_keyboard(), 0);
  keyboard_lowlevel_callback = record_lowlevel;

  standin_post_flags_changed(NSShiftKeyMask);
  event_loop_pass();
  EXPECT_EQ(key_shifts, KEY_FLAG_SHIFT);
  standin_post_flags_changed(NSShiftKeyMask | NSControlKeyMask | NSAlternateKeyMask |
                             NSCommandKeyMask);
  event_loop_pass();
  EXPECT_EQ(key_shifts, KEY_FLAG_SHIFT | KEY_FLAG_CONTROL | KEY_FLAG_ALT | KEY_FLAG_COMMAND);
  EXPECT_NE(key_state[KEY_COMMAND], 0);
  standin_post_flags_changed(0);
  event_loop_pass();
  EXPECT_EQ(key_shifts, 0);
  EXPECT_EQ(lowlevel_calls, (std::vector<int>{115, 117, 119, 106, 115 + 0x80, 117 + 0x80,
                                              119 + 0x80, 106 + 0x80}));

  // Caps lock follows the flag, and each change is a press and a release of its key.
  lowlevel_calls.clear();
  standin_post_flags_changed(NSAlphaShiftKeyMask);
  event_loop_pass();
  EXPECT_EQ(key_shifts, KEY_FLAG_CAPS_LOCK);
  standin_post_flags_changed(0);
  event_loop_pass();
  EXPECT_EQ(key_shifts, 0);
  EXPECT_EQ(lowlevel_calls, (std::vector<int>{126, 126 + 0x80, 126, 126 + 0x80}));
  EXPECT_FALSE(key_waiting());  // modifier keys type nothing
}

TEST_F(OsxKeyboardTest, ReleaseAllLetsGoOfHeldKeysOrTakesTheLockBits) {
  ASSERT_EQ(install_keyboard(), 0);
  standin_post_key(1, 0x00, "a", 0);
  standin_post_key(1, 0x31, " ", 0);
  event_loop_pass();
  key_shifts = KEY_FLAG_SHIFT | KEY_FLAG_NUM_LOCK;
  osx_release_all_keys(1, KEY_FLAG_CAPS_LOCK | KEY_FLAG_SCROLL_LOCK | KEY_FLAG_SHIFT);
  EXPECT_EQ(key_shifts, KEY_FLAG_SHIFT | KEY_FLAG_CAPS_LOCK | KEY_FLAG_SCROLL_LOCK);
  EXPECT_NE(key_state[KEY_A], 0);

  keyboard_lowlevel_callback = record_lowlevel;
  osx_release_all_keys(0, 0);
  EXPECT_EQ(key_state[KEY_A], 0);
  EXPECT_EQ(key_state[KEY_SPACE], 0);
  EXPECT_EQ(lowlevel_calls, (std::vector<int>{KEY_A + 0x80, KEY_SPACE + 0x80}));
}

TEST_F(OsxKeyboardTest, RemovingTheKeyboardReleasesHeldKeysAndStopsTakingEvents) {
  ASSERT_EQ(install_keyboard(), 0);
  standin_post_key(1, 0x00, "a", 0);
  event_loop_pass();
  keyboard_lowlevel_callback = record_lowlevel;
  remove_keyboard();
  EXPECT_EQ(lowlevel_calls, std::vector<int>{KEY_A + 0x80});

  standin_clear_call_log();
  standin_post_key(1, 0x0B, "b", 0);
  event_loop_pass();
  EXPECT_EQ(key_state[KEY_B], 0);
  char log[256];
  standin_call_log(log, sizeof log);
  EXPECT_NE(std::string(log).find("sendEvent: 10"), std::string::npos) << log;
}

TEST_F(OsxKeyboardTest, KeysBeforeTheKeyboardIsInstalledReachNoOne) {
  standin_post_key(1, 0x00, "a", 0);
  standin_post_flags_changed(NSShiftKeyMask);
  event_loop_pass();
  EXPECT_EQ(standin_pending_events(), 0);
  EXPECT_EQ(key_state[KEY_A], 0);
  EXPECT_EQ(key_shifts, 0);
  ASSERT_EQ(install_keyboard(), 0);
  EXPECT_FALSE(key_waiting());
  press(0x0B, "b");
  EXPECT_EQ(typed(), "b");
}

std::atomic<int> terminations{0};
void count_termination(int) { ++terminations; }

TEST_F(OsxKeyboardTest, ControlOrAltWithEndEndsTheProcessWhileTheFlagIsSet) {
  ASSERT_EQ(install_keyboard(), 0);
  // The library's handler is replaced by one that counts, so that the test survives.
  struct sigaction counting {};
  counting.sa_handler = count_termination;
  struct sigaction previous {};
  sigaction(SIGTERM, &counting, &previous);

  press(0x77, "");  // END alone
  EXPECT_EQ(terminations.load(), 0);
  standin_post_flags_changed(NSControlKeyMask);
  press(0x77, "");
  EXPECT_EQ(terminations.load(), 1);
  standin_post_flags_changed(NSAlternateKeyMask);
  press(0x77, "");
  EXPECT_EQ(terminations.load(), 2);
  three_finger_flag = 0;
  press(0x77, "");
  EXPECT_EQ(terminations.load(), 2);
  three_finger_flag = -1;
  sigaction(SIGTERM, &previous, nullptr);
}

}  // namespace
