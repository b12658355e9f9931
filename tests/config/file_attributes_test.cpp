// File attributes from the system, the existence test with its mask, sizes, times and deletion.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "config/path_text.h"
#include "corvane/file.h"
#include "corvane/system.h"
#include "file/file_test_support.h"
#include "support/test_system.h"

namespace {

using corvane::testing::scoped_work_dir;
using corvane::testing::write_file;

TEST(FileAttributesTest, PlainFileDirectoryAndHiddenFile) {
  scoped_work_dir dir;
  write_file("plain.txt", "1234");
  write_file(".hidden", "h");
  ASSERT_EQ(mkdir("sub", 0755), 0);
  int attributes = -1;
  EXPECT_TRUE(file_exists("plain.txt", FILE_ATTR_ALL, &attributes));
  EXPECT_EQ(attributes, 0);
  EXPECT_TRUE(file_exists("sub", FILE_ATTR_ALL, &attributes));
  EXPECT_EQ(attributes, FILE_ATTR_DIRECTORY);
  EXPECT_TRUE(file_exists(".hidden", FILE_ATTR_ALL, &attributes));
  EXPECT_EQ(attributes, FILE_ATTR_HIDDEN);
  EXPECT_TRUE(file_exists("..", FILE_ATTR_ALL, &attributes));
  EXPECT_EQ(attributes & FILE_ATTR_HIDDEN, 0);  // ".." is not hidden
  // The mask must allow every attribute the file has.
  EXPECT_TRUE(exists("plain.txt"));
  EXPECT_FALSE(exists("sub"));
  EXPECT_FALSE(exists(".hidden"));
  EXPECT_FALSE(file_exists("sub", FILE_ATTR_HIDDEN, nullptr));
}

// The write bit that applies: the owner's for the owner, else the group's for the group, else the
// others'. Checked on made-up stat records for the ids the process runs with.
void check_write_bit_rules() {
  const uid_t user = geteuid();
  const gid_t group = getegid();
  struct stat st {};
  st.st_mode = S_IFREG | 0466;  // everybody but the owner may write
  st.st_uid = user;
  st.st_gid = group + 1;
  EXPECT_EQ(corvane::attributes_from_stat(st, "f"), FILE_ATTR_READ_ONLY);
  st.st_mode = S_IFREG | 0200;
  EXPECT_EQ(corvane::attributes_from_stat(st, "f"), 0);
  st.st_uid = user + 1;  // someone else's file in our group
  st.st_gid = group;
  st.st_mode = S_IFREG | 0646;
  EXPECT_EQ(corvane::attributes_from_stat(st, "f"), FILE_ATTR_READ_ONLY);
  st.st_mode = S_IFREG | 0020;
  EXPECT_EQ(corvane::attributes_from_stat(st, "f"), 0);
  st.st_gid = group + 1;  // neither ours nor our group's
  st.st_mode = S_IFREG | 0664;
  EXPECT_EQ(corvane::attributes_from_stat(st, "f"), FILE_ATTR_READ_ONLY);
  st.st_mode = S_IFREG | 0002;
  EXPECT_EQ(corvane::attributes_from_stat(st, "dir/.f"), FILE_ATTR_HIDDEN);
}

TEST(FileAttributesTest, ReadOnlyFollowsTheWriteBitThatApplies) {
  if (geteuid() != 0) {
    check_write_bit_rules();
    scoped_work_dir dir;
    write_file("locked", "x");
    ASSERT_EQ(chmod("locked", 0444), 0);
    int attributes = 0;
    EXPECT_TRUE(file_exists("locked", FILE_ATTR_ALL, &attributes));
    EXPECT_EQ(attributes, FILE_ATTR_READ_ONLY);
    return;
  }
  // Root may write everything, so nothing is read-only for it.
  struct stat st {};
  st.st_mode = S_IFREG | 0444;
  st.st_uid = 1234;
  EXPECT_EQ(corvane::attributes_from_stat(st, "f"), 0);
  // The rules for everybody else, under borrowed ids.
  if (setegid(65534) != 0 || seteuid(65534) != 0) GTEST_SKIP() << "cannot change ids";
  check_write_bit_rules();
  EXPECT_EQ(seteuid(0), 0);
  EXPECT_EQ(setegid(0), 0);
}

TEST(FileAttributesTest, MissingFilesLeaveNoEnoentBehind) {
  scoped_work_dir dir;
  errno = 0;
  EXPECT_FALSE(file_exists("missing", FILE_ATTR_ALL, nullptr));
  EXPECT_EQ(get_error_number(), 0);
  EXPECT_FALSE(file_exists(nullptr, FILE_ATTR_ALL, nullptr));
}

TEST(FileAttributesTest, SizesAndTimes) {
  scoped_work_dir dir;
  write_file("five", "12345");
  EXPECT_EQ(file_size("five"), 5);
  struct stat st {};
  ASSERT_EQ(stat("five", &st), 0);
  EXPECT_EQ(file_time("five"), st.st_mtime);
  EXPECT_EQ(file_size("missing"), 0);
  EXPECT_EQ(get_error_number(), ENOENT);
  EXPECT_EQ(file_time("missing"), 0);
}

TEST(FileAttributesTest, ObjectsInsideDataFilesAreReadOnlyArchives) {
  scoped_work_dir dir;
  write_file("d.dat",
             file_test::datafile_on_disk({file_test::datafile_object("obj", "TEXT", "abc")}));
  int attributes = 0;
  EXPECT_TRUE(file_exists("d.dat#obj", FILE_ATTR_ALL, &attributes));
  EXPECT_EQ(attributes, FILE_ATTR_READ_ONLY | FILE_ATTR_ARCHIVE);
  EXPECT_TRUE(exists("d.dat#obj"));
  EXPECT_FALSE(file_exists("d.dat#obj", FILE_ATTR_READ_ONLY, nullptr));
  errno = 0;
  EXPECT_FALSE(exists("d.dat#other"));
  EXPECT_EQ(get_error_number(), 0);
  EXPECT_EQ(file_size("d.dat#obj"), 3);
}

TEST(FileAttributesTest, DeleteFile) {
  scoped_work_dir dir;
  write_file("gone", "x");
  EXPECT_EQ(delete_file("gone"), 0);
  EXPECT_FALSE(corvane::testing::file_exists_on_disk("gone"));
  EXPECT_EQ(delete_file("gone"), -1);
  EXPECT_EQ(get_error_number(), ENOENT);
  EXPECT_EQ(delete_file(nullptr), -1);
}

}  // namespace
