// Taking file names apart and putting them together.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "corvane/file.h"
#include "corvane/system.h"
#include "support/test_system.h"

namespace {

TEST(FileNameTest, FileNameIsThePartAfterTheLastSlash) {
  EXPECT_STREQ(get_filename("dir/sub/file.txt"), "file.txt");
  EXPECT_STREQ(get_filename("file.txt"), "file.txt");
  EXPECT_STREQ(get_filename("dir/"), "");
  EXPECT_STREQ(get_filename("/"), "");
  EXPECT_STREQ(get_filename(""), "");
  const char *path = "a/b";
  EXPECT_EQ(get_filename(path), path + 2);  // a pointer into the caller's text
}

TEST(FileNameTest, ExtensionIsThePartAfterTheLastDotOfTheFileName) {
  EXPECT_STREQ(get_extension("dir.d/file"), "");
  EXPECT_STREQ(get_extension("file.tar.gz"), "gz");
  EXPECT_STREQ(get_extension("dir/.hidden"), "hidden");
  EXPECT_STREQ(get_extension("file."), "");
  EXPECT_STREQ(get_extension(""), "");
  const char *name = "x.cfg";
  EXPECT_EQ(get_extension(name), name + 2);
}

TEST(FileNameTest, ReplaceFilenameKeepsTheDirectory) {
  char out[64];
  EXPECT_STREQ(replace_filename(out, "dir/sub/old.txt", "new.bin", sizeof out), "dir/sub/new.bin");
  EXPECT_STREQ(replace_filename(out, "old.txt", "new.bin", sizeof out), "new.bin");
  EXPECT_STREQ(replace_filename(out, "dir/", "", sizeof out), "dir/");
  // The destination may be the source.
  char same[64] = "a/b/c";
  EXPECT_STREQ(replace_filename(same, same, "longer-name", sizeof same), "a/b/longer-name");
  // Bounded: whole characters only, always terminated.
  char small[8];
  EXPECT_STREQ(replace_filename(small, "dir/x", "abcdefgh", sizeof small), "dir/abc");
}

TEST(FileNameTest, ReplaceExtensionCutsAtTheLastDotOfTheFileName) {
  char out[64];
  EXPECT_STREQ(replace_extension(out, "dir/file.txt", "cfg", sizeof out), "dir/file.cfg");
  EXPECT_STREQ(replace_extension(out, "dir.d/file", "cfg", sizeof out), "dir.d/file.cfg");
  EXPECT_STREQ(replace_extension(out, "a.tar.gz", "bz2", sizeof out), "a.tar.bz2");
  EXPECT_STREQ(replace_extension(out, "file.", "x", sizeof out), "file.x");
  char same[64] = "name.old";
  EXPECT_STREQ(replace_extension(same, same, "new", sizeof same), "name.new");
}

TEST(FileNameTest, AppendFilenameAddsOneSlash) {
  char out[64];
  EXPECT_STREQ(append_filename(out, "dir", "file", sizeof out), "dir/file");
  EXPECT_STREQ(append_filename(out, "dir/", "file", sizeof out), "dir/file");
  EXPECT_STREQ(append_filename(out, "", "file", sizeof out), "file");
  char small[5];
  EXPECT_STREQ(append_filename(small, "dir", "file", sizeof small), "dir/");
}

TEST(FileNameTest, PutSlashLeavesSlashAndHashEndings) {
  char a[16] = "data.dat#";
  put_slash(a);
  EXPECT_STREQ(a, "data.dat#");
  char b[16] = "dir/";
  put_slash(b);
  EXPECT_STREQ(b, "dir/");
  char c[16] = "dir";
  put_slash(c);
  EXPECT_STREQ(c, "dir/");
  char d[16] = "";
  put_slash(d);
  EXPECT_STREQ(d, "");
}

TEST(FileNameTest, FixSlashesTurnsBackslashes) {
  char path[32] = "a\\b\\c/d\\";
  EXPECT_STREQ(fix_slashes(path), "a/b/c/d/");
}

TEST(FileNameTest, RelativeNamesAreThoseNotStartingWithSlash) {
  EXPECT_EQ(is_relative_filename("/abs"), 0);
  EXPECT_EQ(is_relative_filename("./rel"), -1);
  EXPECT_EQ(is_relative_filename("rel"), -1);
  EXPECT_EQ(is_relative_filename(""), -1);
}

TEST(RelativeNameTest, PathsFromOneDirectoryToAnother) {
  char out[128];
  EXPECT_STREQ(make_relative_filename(out, "/a/b/c.txt", "/a/b/d.txt", sizeof out), "./d.txt");
  EXPECT_STREQ(make_relative_filename(out, "/a/b/c.txt", "/a/d/e.txt", sizeof out), "../d/e.txt");
  EXPECT_STREQ(make_relative_filename(out, "/a/b/c/x", "/a/y", sizeof out), "../../y");
  EXPECT_STREQ(make_relative_filename(out, "/a/", "/a/b/c/d.txt", sizeof out), "b/c/d.txt");
  EXPECT_STREQ(make_relative_filename(out, "/a/bc/x", "/a/b/y", sizeof out), "../b/y");
  EXPECT_STREQ(make_relative_filename(out, "/a/x", "/a/b\\c", sizeof out), "./b/c");
}

TEST(RelativeNameTest, NamesWithoutCommonDirectoryGiveNull) {
  char out[64] = "untouched";
  EXPECT_EQ(make_relative_filename(out, "/a/b", "c/d", sizeof out), nullptr);
  EXPECT_EQ(make_relative_filename(out, "ab", "ac", sizeof out), nullptr);
  EXPECT_EQ(make_relative_filename(out, "xdir/a", "xother/b", sizeof out), nullptr);
  EXPECT_EQ(make_relative_filename(out, nullptr, "/a", sizeof out), nullptr);
  EXPECT_STREQ(out, "untouched");
}

TEST(CanonicalNameTest, AbsoluteNamesAreCleaned) {
  char out[256];
  EXPECT_STREQ(canonicalize_filename(out, "/a//b/./c/../d", sizeof out), "/a/b/d");
  EXPECT_STREQ(canonicalize_filename(out, "/../x", sizeof out), "/x");
  EXPECT_STREQ(canonicalize_filename(out, "/a/../../b", sizeof out), "/b");
  EXPECT_STREQ(canonicalize_filename(out, "/a\\.\\b", sizeof out), "/a/b");
  EXPECT_STREQ(canonicalize_filename(out, "/a/./././b", sizeof out), "/a/b");
  EXPECT_STREQ(canonicalize_filename(out, "#obj", sizeof out), "#obj");
}

TEST(CanonicalNameTest, RelativeNamesStartFromTheWorkingDirectory) {
  corvane::testing::scoped_work_dir dir;
  char cwd[1024];
  get_current_directory(cwd, sizeof cwd);
  ASSERT_STRNE(cwd, "");
  char out[1024];
  EXPECT_EQ(std::string(canonicalize_filename(out, "x/../y.txt", sizeof out)),
            std::string(cwd) + "/y.txt");
  EXPECT_EQ(std::string(canonicalize_filename(out, "./z", sizeof out)), std::string(cwd) + "/z");
}

TEST(CanonicalNameTest, ErrorNumberIsPreserved) {
  set_error_number(E2BIG);
  char out[64];
  canonicalize_filename(out, "relative/name/that/is/long", sizeof out);
  EXPECT_EQ(get_error_number(), E2BIG);
  char tiny[4];
  EXPECT_STREQ(canonicalize_filename(tiny, "/abcdef", sizeof tiny), "/ab");
}

TEST(CurrentDirectoryTest, TooSmallBufferGivesEmptyText) {
  corvane::testing::scoped_work_dir dir;
  char cwd[1024];
  EXPECT_EQ(std::string(get_current_directory(cwd, sizeof cwd)), dir.path());
  char tiny[4] = "zzz";
  EXPECT_STREQ(get_current_directory(tiny, sizeof tiny), "");
}

}  // namespace
