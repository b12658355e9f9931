// Integer readers and writers in both byte orders, and what they do when bytes are missing.
#include <gtest/gtest.h>

#include <string>

#include "corvane/packfile.h"
#include "support/test_system.h"

namespace {

using corvane::testing::read_file;
using corvane::testing::scoped_work_dir;
using corvane::testing::write_file;

TEST(IntegerIoTest, ReadersTakeTheBytesInTheirOrder) {
  scoped_work_dir dir;
  write_file("words", std::string("\x01\x02\x03\x04\x01\x02\x03\x04\xFF\xFE\xFF\xFE", 12));
  packfile *f = open_packfile("words", "r");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(read_be32(f), 0x01020304);
  EXPECT_EQ(read_le32(f), 0x04030201);
  EXPECT_EQ(read_be16(f), 0xFFFE);
  EXPECT_EQ(read_le16(f), 0xFEFF);
  EXPECT_EQ(read_le16(f), -1);
  close_packfile(f);
}

TEST(IntegerIoTest, MissingBytesGiveMinusOne) {
  scoped_work_dir dir;
  write_file("three", "\x01\x02\x03");
  for (int (*reader)(packfile *) : {read_be32, read_le32}) {
    packfile *f = open_packfile("three", "r");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(reader(f), -1);
    EXPECT_TRUE(packfile_eof(f));
    close_packfile(f);
  }
  write_file("one", "\x01");
  for (int (*reader)(packfile *) : {read_be16, read_le16}) {
    packfile *f = open_packfile("one", "r");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(reader(f), -1);
    close_packfile(f);
  }
}

TEST(IntegerIoTest, NegativeWordsRoundTrip) {
  scoped_work_dir dir;
  packfile *f = open_packfile("signed", "w");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(write_be32(-10, f), -10);
  EXPECT_EQ(write_le32(static_cast<int>(0x80000000u), f), static_cast<int>(0x80000000u));
  EXPECT_EQ(write_be16(0x12345, f), 0x12345);  // only the low 16 bits are stored
  EXPECT_EQ(write_le16(-2, f), -2);
  ASSERT_EQ(close_packfile(f), 0);
  EXPECT_EQ(read_file("signed"),
            std::string("\xFF\xFF\xFF\xF6\x00\x00\x00\x80\x23\x45\xFE\xFF", 12));
  f = open_packfile("signed", "r");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(read_be32(f), -10);
  EXPECT_EQ(read_le32(f), static_cast<int>(0x80000000u));
  EXPECT_EQ(read_be16(f), 0x2345);
  EXPECT_EQ(read_le16(f), 0xFFFE);
  close_packfile(f);
}

TEST(IntegerIoTest, WritersReportAStreamThatTakesNothing) {
  scoped_work_dir dir;
  write_file("r", "");
  packfile *f = open_packfile("r", "r");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(write_be32(5, f), -1);
  EXPECT_EQ(write_le16(5, f), -1);
  close_packfile(f);
}

}  // namespace
