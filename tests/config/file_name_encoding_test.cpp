// File names in other encodings: names go to open and unlink in the file-name encoding and to
// stat and directory reading in UTF-8, and the file-name functions work in any current encoding.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "corvane/file.h"
#include "corvane/packfile.h"
#include "corvane/text.h"
#include "support/test_system.h"

namespace {

using corvane::testing::file_exists_on_disk;
using corvane::testing::scoped_work_dir;

TEST(FileNameEncodingTest, Utf8FileNamesReachTheSystemUnchanged) {
  scoped_work_dir dir;
  set_file_name_encoding(ENCODING_UTF8);
  const char *name = "caf\xC3\xA9.txt";
  packfile *f = open_packfile(name, "w");
  ASSERT_NE(f, nullptr);
  packfile_write("x", 1, f);
  ASSERT_EQ(close_packfile(f), 0);
  EXPECT_TRUE(file_exists_on_disk(name));
  EXPECT_TRUE(exists(name));
  EXPECT_EQ(file_size(name), 1);
  find_info info{};
  ASSERT_EQ(find_first("caf*", &info, FILE_ATTR_ALL), 0);
  EXPECT_STREQ(info.name, name);
  find_close(&info);
  EXPECT_EQ(delete_file(name), 0);
  EXPECT_FALSE(file_exists_on_disk(name));
  set_file_name_encoding(ENCODING_ASCII8);
}

TEST(FileNameEncodingTest, EightBitFileNameEncodingIsUsedForOpening) {
  scoped_work_dir dir;
  set_file_name_encoding(ENCODING_ASCII8);
  packfile *f = open_packfile("caf\xC3\xA9.txt", "w");  // U+00E9 becomes the byte 0xE9
  ASSERT_NE(f, nullptr);
  close_packfile(f);
  EXPECT_TRUE(file_exists_on_disk("caf\xE9.txt"));
  EXPECT_FALSE(file_exists_on_disk("caf\xC3\xA9.txt"));
}

// A string of the current encoding made from code points.
std::vector<char> encoded(const std::u32string &text) {
  std::vector<char> out(text.size() * 8 + 8);
  int used = 0;
  for (char32_t c : text) used += current_put_char(out.data() + used, static_cast<int>(c));
  current_put_char(out.data() + used, 0);
  return out;
}

std::u32string decoded(const char *s) {
  std::u32string out;
  for (int c = current_next_char(&s); c != 0; c = current_next_char(&s)) {
    out += static_cast<char32_t>(c);
  }
  return out;
}

TEST(FileNameEncodingTest, FileNameFunctionsWorkInSixteenBitText) {
  set_text_encoding(ENCODING_UNICODE16);
  const auto path = encoded(U"dir/sub.d/file.tar.gz");
  EXPECT_EQ(decoded(get_filename(path.data())), U"file.tar.gz");
  EXPECT_EQ(decoded(get_extension(path.data())), U"gz");
  char out[128];
  const auto ext = encoded(U"bz2");
  EXPECT_EQ(decoded(replace_extension(out, path.data(), ext.data(), sizeof out)),
            U"dir/sub.d/file.tar.bz2");
  const auto name = encoded(U"other");
  EXPECT_EQ(decoded(replace_filename(out, path.data(), name.data(), sizeof out)),
            U"dir/sub.d/other");
  auto dir = encoded(U"a\\b");
  fix_slashes(dir.data());
  put_slash(dir.data());
  EXPECT_EQ(decoded(dir.data()), U"a/b/");
  const auto messy = encoded(U"/x/./y//../z");
  EXPECT_EQ(decoded(canonicalize_filename(out, messy.data(), sizeof out)), U"/x/z");
  const auto from = encoded(U"/a/b/c");
  const auto to = encoded(U"/a/d/e");
  ASSERT_NE(make_relative_filename(out, from.data(), to.data(), sizeof out), nullptr);
  EXPECT_EQ(decoded(out), U"../d/e");
  set_text_encoding(ENCODING_UTF8);
}

}  // namespace
