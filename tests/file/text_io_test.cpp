// Line input and text output on streams.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "corvane/packfile.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "support/test_system.h"

namespace {

using corvane::testing::read_file;
using corvane::testing::scoped_work_dir;
using corvane::testing::write_file;

TEST(ReadLineTest, EveryLineEndIsRecognisedAndDropped) {
  scoped_work_dir dir;
  write_file("lines", "one\r\ntwo\rthree\n\nfour");
  packfile *f = open_packfile("lines", "r");
  ASSERT_NE(f, nullptr);
  char line[32];
  const char *expected[] = {"one", "two", "three", "", "four"};
  for (const char *want : expected) {
    ASSERT_EQ(packfile_read_line(line, sizeof line, f), line) << want;
    EXPECT_STREQ(line, want);
  }
  EXPECT_EQ(packfile_read_line(line, sizeof line, f), nullptr);
  EXPECT_STREQ(line, "");
  close_packfile(f);
}

TEST(ReadLineTest, LoneCarriageReturnAtTheEnd) {
  scoped_work_dir dir;
  write_file("cr", "last\r");
  packfile *f = open_packfile("cr", "r");
  ASSERT_NE(f, nullptr);
  char line[32];
  EXPECT_STREQ(packfile_read_line(line, sizeof line, f), "last");
  EXPECT_EQ(packfile_read_line(line, sizeof line, f), nullptr);
  close_packfile(f);
}

TEST(ReadLineTest, LongLinesComeInPiecesWithoutLosingBytes) {
  scoped_work_dir dir;
  write_file("long", "abcdefghij\nxy\n");
  packfile *f = open_packfile("long", "r");
  ASSERT_NE(f, nullptr);
  char line[5];
  std::string pieces;
  while (packfile_read_line(line, sizeof line, f) != nullptr) pieces += std::string(line) + "|";
  EXPECT_EQ(pieces, "abcd|efgh|ij|xy|");
  close_packfile(f);
}

TEST(ReadLineTest, BytesBecomeCharactersOfTheCurrentEncoding) {
  scoped_work_dir dir;
  write_file("bytes", "A\xE9");
  packfile *f = open_packfile("bytes", "r");
  ASSERT_NE(f, nullptr);
  char line[8];
  ASSERT_NE(packfile_read_line(line, sizeof line, f), nullptr);
  char expected[8];
  int used = current_put_char(expected, 'A');
  used += current_put_char(expected + used, 0xE9);
  current_put_char(expected + used, 0);
  EXPECT_STREQ(line, expected);
  close_packfile(f);
}

TEST(ReadLineTest, BuffersTooSmallForAnyCharacterAreRefused) {
  scoped_work_dir dir;
  write_file("x", "xyz");
  packfile *f = open_packfile("x", "r");
  ASSERT_NE(f, nullptr);
  char line[1];
  EXPECT_EQ(packfile_read_line(line, sizeof line, f), nullptr);
  EXPECT_EQ(get_error_number(), ERANGE);
  char bigger[4];
  EXPECT_STREQ(packfile_read_line(bigger, sizeof bigger, f), "xyz");  // nothing was lost
  EXPECT_EQ(packfile_read_line(nullptr, 4, f), nullptr);
  close_packfile(f);
}

TEST(WriteTextTest, TextIsWrittenAsItsBytesWithoutLineEnd) {
  scoped_work_dir dir;
  packfile *f = open_packfile("out.txt", "w");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(packfile_write_text("key = value", f), 0);
  EXPECT_EQ(packfile_write_text("\n", f), 0);
  EXPECT_EQ(packfile_write_text("", f), 0);
  EXPECT_EQ(packfile_write_text(nullptr, f), -1);
  ASSERT_EQ(close_packfile(f), 0);
  EXPECT_EQ(read_file("out.txt"), "key = value\n");
}

TEST(WriteTextTest, WritingToAReadingStreamFails) {
  scoped_work_dir dir;
  write_file("in.txt", "");
  packfile *f = open_packfile("in.txt", "r");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(packfile_write_text("text", f), -1);
  close_packfile(f);
}

}  // namespace
