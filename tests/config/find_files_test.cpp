// Directory iteration with patterns and attribute masks, and the callback walk over it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <set>
#include <string>
#include <vector>

#include "corvane/file.h"
#include "corvane/system.h"
#include "support/test_system.h"

namespace {

using corvane::testing::scoped_work_dir;
using corvane::testing::write_file;

class FindFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(mkdir("data", 0755), 0);
    write_file("data/a.txt", "a");
    write_file("data/bb.txt", "bb");
    write_file("data/c.bin", "ccc");
    write_file("data/.secret.txt", "s");
    ASSERT_EQ(mkdir("data/sub.txt", 0755), 0);
  }
  std::set<std::string> names(const char *pattern, int mask) {
    std::set<std::string> found;
    find_info info{};
    if (find_first(pattern, &info, mask) != 0) return found;
    do found.insert(info.name);
    while (find_next(&info) == 0);
    EXPECT_EQ(get_error_number(), ENOENT);
    find_close(&info);
    return found;
  }
  scoped_work_dir dir;
};

TEST_F(FindFilesTest, PatternAndMaskChooseTheEntries) {
  EXPECT_EQ(names("data/*.txt", FILE_ATTR_READ_ONLY | FILE_ATTR_ARCHIVE),
            (std::set<std::string>{"a.txt", "bb.txt"}));
  EXPECT_EQ(names("data/*.txt", FILE_ATTR_ALL),
            (std::set<std::string>{"a.txt", "bb.txt", ".secret.txt", "sub.txt"}));
  EXPECT_EQ(names("data/?.*", FILE_ATTR_ALL), (std::set<std::string>{"a.txt", "c.bin", ".."}));
  // Files without attributes fit every mask; "*.*" means every name.
  EXPECT_EQ(names("data/*.*", FILE_ATTR_DIRECTORY),
            (std::set<std::string>{"a.txt", "bb.txt", "c.bin", "sub.txt", ".."}));
}

TEST_F(FindFilesTest, ResultsCarrySizeAttributesAndTime) {
  find_info info{};
  ASSERT_EQ(find_first("data/bb*", &info, FILE_ATTR_ALL), 0);
  EXPECT_STREQ(info.name, "bb.txt");
  EXPECT_EQ(info.size, 2);
  EXPECT_EQ(info.attrib, 0);
  EXPECT_NE(info.time, 0);
  EXPECT_EQ(find_next(&info), -1);
  find_close(&info);
  EXPECT_EQ(info.search, nullptr);
}

TEST_F(FindFilesTest, PatternWithoutDirectoryUsesTheWorkingDirectory) {
  write_file("top.txt", "t");
  EXPECT_EQ(names("*.txt", FILE_ATTR_ALL), (std::set<std::string>{"top.txt"}));
}

TEST_F(FindFilesTest, PatternWithoutWildcardsNamesOneFile) {
  find_info info{};
  ASSERT_EQ(find_first("data/c.bin", &info, FILE_ATTR_ALL), 0);
  EXPECT_STREQ(info.name, "c.bin");
  EXPECT_EQ(info.size, 3);
  EXPECT_EQ(find_next(&info), -1);
  EXPECT_EQ(get_error_number(), ENOENT);
  find_close(&info);
  EXPECT_EQ(find_first("data/sub.txt", &info, 0), -1);  // a directory outside the mask
  EXPECT_EQ(get_error_number(), ENOENT);
}

TEST_F(FindFilesTest, NothingMatchingOrNoDirectoryGiveEnoent) {
  find_info info{};
  EXPECT_EQ(find_first("data/*.none", &info, FILE_ATTR_ALL), -1);
  EXPECT_EQ(get_error_number(), ENOENT);
  EXPECT_EQ(info.search, nullptr);
  EXPECT_EQ(find_first("nowhere/*", &info, FILE_ATTR_ALL), -1);
  EXPECT_EQ(get_error_number(), ENOENT);
  EXPECT_EQ(find_next(nullptr), -1);
  find_close(nullptr);
}

struct walk {
  std::vector<std::string> paths;
  int stop_after = 1000;
};

int collect(const char *filename, int attributes, void *parameter) {
  auto *w = static_cast<walk *>(parameter);
  w->paths.push_back(std::string(filename) + ((attributes & FILE_ATTR_DIRECTORY) ? "/" : ""));
  return static_cast<int>(w->paths.size()) >= w->stop_after;
}

TEST_F(FindFilesTest, ForEachFileChecksRequiredAndForbiddenAttributes) {
  walk w;
  EXPECT_EQ(for_each_file_ex("data/*", 0, FILE_ATTR_HIDDEN | FILE_ATTR_DIRECTORY, collect, &w), 3);
  std::sort(w.paths.begin(), w.paths.end());
  EXPECT_EQ(w.paths, (std::vector<std::string>{"data/a.txt", "data/bb.txt", "data/c.bin"}));

  walk dirs;
  EXPECT_EQ(for_each_file_ex("data/*.txt", FILE_ATTR_DIRECTORY, 0, collect, &dirs), 1);
  EXPECT_EQ(dirs.paths, (std::vector<std::string>{"data/sub.txt/"}));
}

TEST_F(FindFilesTest, ForEachFileStopsWhenTheCallbackSaysSo) {
  walk w;
  w.stop_after = 2;
  EXPECT_EQ(for_each_file_ex("data/*", 0, 0, collect, &w), 2);
  walk none;
  errno = 0;
  EXPECT_EQ(for_each_file_ex("data/*.none", 0, 0, collect, &none), 0);
  EXPECT_EQ(get_error_number(), 0);  // running out is no error
  EXPECT_EQ(for_each_file_ex("data/*", 0, 0, nullptr, &none), 0);
}

}  // namespace
