// Key names: the built-in table and the driver's own names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "corvane/keyboard.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "support/test_keyboard.h"

namespace {

using namespace corvane::testing;

TEST(KeyNames, TableNamesEveryIndexInOrder) {
  EXPECT_STREQ(key_index_name(67), "ENTER");
  EXPECT_STREQ(key_index_name(60), "KEY60");
  EXPECT_STREQ(key_index_name(0), "(none)");
  EXPECT_STREQ(key_index_name(KEY_A), "A");
  EXPECT_STREQ(key_index_name(KEY_Z), "Z");
  EXPECT_STREQ(key_index_name(KEY_0), "0");
  EXPECT_STREQ(key_index_name(KEY_9), "9");
  EXPECT_STREQ(key_index_name(KEY_0_PAD), "0 PAD");
  EXPECT_STREQ(key_index_name(KEY_9_PAD), "9 PAD");
  EXPECT_STREQ(key_index_name(KEY_F1), "F1");
  EXPECT_STREQ(key_index_name(KEY_F12), "F12");
  EXPECT_STREQ(key_index_name(KEY_ESC), "ESC");
  EXPECT_STREQ(key_index_name(KEY_SPACE), "SPACE");
  EXPECT_STREQ(key_index_name(KEY_ENTER_PAD), "ENTER PAD");
  EXPECT_STREQ(key_index_name(KEY_PAUSE), "PAUSE");
  EXPECT_STREQ(key_index_name(94), "KEY94");
  EXPECT_STREQ(key_index_name(102), "KEY102");
  EXPECT_STREQ(key_index_name(KEY_EQUALS_PAD), "= PAD");
  EXPECT_STREQ(key_index_name(KEY_COMMAND), "KEY106");
  EXPECT_STREQ(key_index_name(114), "KEY114");
  EXPECT_STREQ(key_index_name(KEY_LSHIFT), "LSHIFT");
  EXPECT_STREQ(key_index_name(KEY_CAPSLOCK), "CAPSLOCK");
  // Every generic name is "KEY" followed by its own index.
  for (int i = 0; i < KEY_MAX; ++i) {
    ASSERT_NE(key_names[i], nullptr) << i;
    if (std::strncmp(key_names[i], "KEY", 3) == 0) {
      EXPECT_EQ(std::atoi(key_names[i] + 3), i);
    }
  }
}

TEST(KeyNames, IndicesOutsideTheTableAreNamedNone) {
  EXPECT_STREQ(key_index_name(-1), "(none)");
  EXPECT_STREQ(key_index_name(KEY_MAX), "(none)");
  EXPECT_STREQ(key_index_name(100000), "(none)");
}

const char *driver_name(int index) { return index == KEY_A ? "Ay" : nullptr; }

TEST(KeyNames, DriverNamesComeFirstAndFallBackToTheTable) {
  reset_test_keyboard();
  the_test_keyboard().driver.scancode_to_name = driver_name;
  ASSERT_EQ(start_with_test_keyboard(), 0);
  ASSERT_EQ(install_keyboard(), 0);
  EXPECT_STREQ(key_index_name(KEY_A), "Ay");
  EXPECT_STREQ(key_index_name(KEY_B), "B");
  shutdown_corvane();
}

TEST(KeyNames, NamesComeInTheCurrentEncoding) {
  set_text_encoding(ENCODING_UNICODE16);
  const char *name = key_index_name(KEY_ENTER);
  const unsigned char expected[] = {'E', 0, 'N', 0, 'T', 0, 'E', 0, 'R', 0, 0, 0};
  EXPECT_EQ(std::memcmp(name, expected, sizeof expected), 0);
  set_text_encoding(ENCODING_UTF8);
  EXPECT_STREQ(key_index_name(KEY_ENTER), "ENTER");
}

}  // namespace
