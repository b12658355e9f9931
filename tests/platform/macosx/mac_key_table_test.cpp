// The Mac hardware key codes of the 'OSXK' driver: every key the library names is reachable, and
// the codes Mac keyboards share with the library's layout land on the keys printed on them.
#include <gtest/gtest.h>

#include <set>

#include "platform/macosx/osx_keyboard.h"

namespace {

using corvane::macosx::mac_key_table;

TEST(MacKeyTableTest, PrintedKeysLandOnTheirIndices) {
  // Key codes of the ANSI layout, as printed on the keys.
  EXPECT_EQ(mac_key_table[0x00], KEY_A);
  EXPECT_EQ(mac_key_table[0x06], KEY_Z);
  EXPECT_EQ(mac_key_table[0x1D], KEY_0);
  EXPECT_EQ(mac_key_table[0x19], KEY_9);
  EXPECT_EQ(mac_key_table[0x24], KEY_ENTER);
  EXPECT_EQ(mac_key_table[0x34], KEY_ENTER);  // the PowerBook's enter key
  EXPECT_EQ(mac_key_table[0x4C], KEY_ENTER_PAD);
  EXPECT_EQ(mac_key_table[0x35], KEY_ESC);
  EXPECT_EQ(mac_key_table[0x77], KEY_END);
  EXPECT_EQ(mac_key_table[0x7A], KEY_F1);
  EXPECT_EQ(mac_key_table[0x6F], KEY_F12);
  EXPECT_EQ(mac_key_table[0x37], KEY_COMMAND);
  // The arrow keys appear twice, as on the first Mac keyboards.
  EXPECT_EQ(mac_key_table[0x3B], KEY_LEFT);
  EXPECT_EQ(mac_key_table[0x7B], KEY_LEFT);
  EXPECT_EQ(mac_key_table[0x7E], KEY_UP);
}

TEST(MacKeyTableTest, EveryLetterAndDigitIsReachableAndUnusedCodesGiveNoKey) {
  std::set<int> reached(mac_key_table.begin(), mac_key_table.end());
  for (int index = KEY_A; index <= KEY_9; ++index) EXPECT_TRUE(reached.count(index)) << index;
  EXPECT_EQ(mac_key_table[0x0A], 0);
  EXPECT_EQ(mac_key_table[0x36], 0);
  EXPECT_EQ(mac_key_table[0x7F], 0);
}

}  // namespace
