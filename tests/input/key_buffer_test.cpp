// The key buffer as the program sees it: capacity, order, wrap-around, clearing, simulated presses
// and the conversion read_key applies.
#include <gtest/gtest.h>

#include "corvane/keyboard.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "input/keyboard_internal.h"
#include "support/test_keyboard.h"

namespace {

using namespace corvane::testing;

class KeyBufferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_test_keyboard();
    the_test_keyboard().driver.emulate_repeat = 0;
    ASSERT_EQ(start_with_test_keyboard(), 0);
    ASSERT_EQ(install_keyboard(), 0);
  }
  void TearDown() override { shutdown_corvane(); }
};

TEST_F(KeyBufferTest, SixtyFourPressesKeepTheFirstSixtyThree) {
  for (int i = 0; i < 64; ++i) {
    handle_key_press('0' + i, 1 + i);
    handle_key_release(1 + i);
  }
  EXPECT_EQ(corvane::key_buffer.dropped.load(), 1u);
  for (int i = 0; i < 63; ++i) {
    ASSERT_EQ(key_waiting(), -1) << i;
    int index = -1;
    EXPECT_EQ(read_key_unicode(&index), '0' + i);
    EXPECT_EQ(index, 1 + i);
  }
  EXPECT_EQ(key_waiting(), 0);
}

TEST_F(KeyBufferTest, KeysComeOutInOrderAcrossTheWrap) {
  // Ten keys stay in the buffer while 200 more pass through, so start and end both wrap.
  int next_in = 1000;
  int next_out = 1000;
  for (int i = 0; i < 10; ++i, ++next_in) simulate_unicode_press(next_in, 1 + next_in % 126);
  for (int i = 0; i < 200; ++i, ++next_in, ++next_out) {
    simulate_unicode_press(next_in, 1 + next_in % 126);
    int index = 0;
    ASSERT_EQ(read_key_unicode(&index), next_out);
    ASSERT_EQ(index, 1 + next_out % 126);
  }
  for (; next_out < next_in; ++next_out) ASSERT_EQ(read_key_unicode(nullptr), next_out);
  EXPECT_EQ(key_waiting(), 0);
  EXPECT_EQ(corvane::key_buffer.dropped.load(), 0u);
}

TEST_F(KeyBufferTest, ClearEmptiesTheBufferAndItFillsAgain) {
  for (int i = 0; i < 10; ++i) handle_key_press('a', KEY_A);
  clear_key_buffer();
  EXPECT_EQ(key_waiting(), 0);
  handle_key_press('b', KEY_B);
  EXPECT_EQ(read_key(), (KEY_B << 8) | 'b');
}

TEST_F(KeyBufferTest, InsertionDuringAnotherIsDropped) {
  // An insertion that finds the lock counter taken (one already under way) drops its key.
  corvane::key_buffer.lock.fetch_add(1);
  handle_key_press('x', KEY_X);
  corvane::key_buffer.lock.fetch_sub(1);
  EXPECT_EQ(key_waiting(), 0);
  EXPECT_EQ(corvane::key_buffer.dropped.load(), 1u);
  EXPECT_EQ(key_state[KEY_X], -1);  // the key state still changes
  handle_key_press('y', KEY_Y);
  EXPECT_EQ(read_key(), (KEY_Y << 8) | 'y');
}

TEST_F(KeyBufferTest, SimulatedPressesSplitCharacterAndIndex) {
  simulate_key_press((KEY_ENTER << 8) | '\r');
  simulate_unicode_press(0x263A, KEY_F1);
  simulate_unicode_press(-1, KEY_F2);  // nothing
  int index = 0;
  EXPECT_EQ(read_key_unicode(&index), '\r');
  EXPECT_EQ(index, KEY_ENTER);
  EXPECT_EQ(read_key_unicode(&index), 0x263A);
  EXPECT_EQ(index, KEY_F1);
  EXPECT_EQ(key_waiting(), 0);
}

TEST_F(KeyBufferTest, ReadKeyReplacesCharactersThatAreNotOneByte) {
  handle_key_press(0xE9, KEY_E);  // e with acute accent: two bytes in UTF-8
  handle_key_press(0x263A, KEY_F1);
  handle_key_press('A', KEY_A);
  handle_key_press(0x7F, KEY_DEL);
  EXPECT_EQ(read_key(), (KEY_E << 8) | 0x5E);
  EXPECT_EQ(read_key(), (KEY_F1 << 8) | 0x5E);
  EXPECT_EQ(read_key(), (KEY_A << 8) | 'A');
  EXPECT_EQ(read_key(), (KEY_DEL << 8) | 0x7F);
}

TEST_F(KeyBufferTest, ReadKeyKeepsLatinOneCharactersInAnEightBitEncoding) {
  set_text_encoding(ENCODING_ASCII8);
  handle_key_press(0xE9, KEY_E);
  handle_key_press(0x263A, KEY_F1);
  EXPECT_EQ(read_key(), (KEY_E << 8) | 0xE9);
  EXPECT_EQ(read_key(), (KEY_F1 << 8) | 0x5E);
  set_text_encoding(ENCODING_UTF8);
}

TEST_F(KeyBufferTest, NegativeCharacterTypesNothingAndBadIndexChangesNoState) {
  handle_key_press(-1, KEY_LSHIFT);
  EXPECT_EQ(key_waiting(), 0);
  EXPECT_EQ(key_state[KEY_LSHIFT], -1);

  handle_key_press('q', 0);
  handle_key_press('r', -3);
  handle_key_press('s', 500);
  int index = -1;
  EXPECT_EQ(read_key_unicode(&index), 'q');
  EXPECT_EQ(index, 0);
  EXPECT_EQ(read_key_unicode(&index), 'r');
  EXPECT_EQ(index, 0);
  EXPECT_EQ(read_key_unicode(&index), 's');
  EXPECT_EQ(index, 0);
  for (int i = 0; i < KEY_STATE_SIZE; ++i) {
    if (i != KEY_LSHIFT) {
      EXPECT_EQ(key_state[i], 0) << i;
    }
  }
  handle_key_release(500);
  handle_key_release(-1);
}

TEST(KeyBufferWithoutKeyboard, ReadKeyReturnsAtOnce) {
  int index = -1;
  EXPECT_EQ(read_key_unicode(&index), 0);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(read_key(), 0);
  EXPECT_EQ(key_waiting(), 0);
  EXPECT_EQ(poll_keyboard(), -1);
  // Simulated keys are there to be read even without a driver.
  simulate_key_press((KEY_Q << 8) | 'q');
  EXPECT_EQ(key_waiting(), -1);
  EXPECT_EQ(read_key(), (KEY_Q << 8) | 'q');
}

}  // namespace
