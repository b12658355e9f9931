// Hostile names and patterns: "../../.." and other names that try to climb above the root or end
// in "." or "..", and a pattern of many stars against ten thousand bytes that almost match.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "corvane/file.h"
#include "support/test_system.h"

namespace {

std::string hostile(const char *name) {
  return corvane::testing::read_file(std::string(CORVANE_TEST_DATA_DIR) + "/hostile/" + name);
}

// The names of a file, separated by zero bytes.
std::vector<std::string> names_in(const std::string &contents) {
  std::vector<std::string> names;
  size_t start = 0;
  for (;;) {
    const size_t zero = contents.find('\0', start);
    names.push_back(contents.substr(start, zero == std::string::npos ? zero : zero - start));
    if (zero == std::string::npos) return names;
    start = zero + 1;
  }
}

std::string canonical(const std::string &name) {
  char out[1024];
  return canonicalize_filename(out, name.c_str(), sizeof out);
}

TEST(HostileNameTest, NamesNeverClimbAboveTheRoot) {
  corvane::testing::scoped_work_dir dir;
  // "../../..", "/../../.." and "a/b/../../../c" from the working directory.
  const std::vector<std::string> names = names_in(hostile("path_climb.bin"));
  ASSERT_EQ(names.size(), 3u);
  std::string cwd = dir.path();
  char real[4096];
  if (getcwd(real, sizeof real) != nullptr) cwd = real;
  std::string up_three = cwd;
  for (int i = 0; i < 3; ++i) up_three = up_three.substr(0, up_three.rfind('/'));
  EXPECT_EQ(canonical(names[0]), up_three + "/");
  EXPECT_EQ(canonical(names[1]), "/");
  EXPECT_EQ(canonical(names[2]), cwd.substr(0, cwd.rfind('/')) + "/c");
  EXPECT_EQ(canonical("/.."), "/");
  EXPECT_EQ(canonical("/../../../etc"), "/etc");
}

TEST(HostileNameTest, TrailingDotsAndDotDotsAreResolved) {
  // A name ending in "/." or "/.." names a directory: it keeps the trailing slash, and
  // canonicalising it again changes nothing.
  const std::vector<std::string> names = names_in(hostile("path_trailing_dot.bin"));
  ASSERT_EQ(names.size(), 3u);
  corvane::testing::scoped_work_dir dir;
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(canonical(names[0]), std::string(cwd) + "/I/");
  EXPECT_EQ(canonical(names[1]), "/x/");
  EXPECT_EQ(canonical(names[2]), "/");
  for (const std::string &name : names) EXPECT_EQ(canonical(canonical(name)), canonical(name));
  // Names that merely start with dots are names.
  EXPECT_EQ(canonical("/a/.../..b/.c"), "/a/.../..b/.c");
}

TEST(HostileNameTest, ManyStarsAgainstTenThousandBytesFinish) {
  const std::string contents = hostile("wildcard_backtracking.bin");
  const size_t zero = contents.find('\0');
  ASSERT_NE(zero, std::string::npos);
  const std::string pattern = contents.substr(0, zero);
  const std::string text = contents.substr(zero + 1);
  ASSERT_EQ(pattern, "*a*a*a*a*b");
  ASSERT_EQ(text, std::string(10240, 'a'));
  EXPECT_EQ(wildcard_match(text.c_str(), pattern.c_str()), 0);
  EXPECT_EQ(wildcard_match((text + "b").c_str(), pattern.c_str()), 1);
  EXPECT_EQ(wildcard_match(text.c_str(), "*a*a*a*a*a"), 1);
  wildcard_match(nullptr, nullptr);
}

}  // namespace
