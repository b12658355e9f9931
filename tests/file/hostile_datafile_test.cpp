// Hostile data files: 'FILE' objects nested 100,000 levels deep, object paths with more levels
// than the library enters, and a million objects of size zero. Deep paths are refused before any
// chunk is opened, so that neither the stack nor the heap grows with what the name asks for.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "corvane/packfile.h"
#include "corvane/system.h"
#include "file/file_test_support.h"
#include "support/test_system.h"

namespace {

using corvane::testing::scoped_work_dir;
using corvane::testing::write_file;
using file_test::bytes;

// Object paths may pass through this many levels ("file#a/b" has two).
constexpr int max_levels = 256;

// A data file whose object "a" is a 'FILE' object holding another "a", levels deep, the last
// holding a 'TEXT' object "leaf" with the text "found". Written front to back: every size is
// known from the number of levels below it.
std::string nested_datafile(int levels) {
  const std::string leaf = bytes()
                               .be32(1)
                               .id("prop")
                               .id("NAME")
                               .be32(4)
                               .raw("leaf")
                               .id("TEXT")
                               .be32(5)
                               .be32(5)
                               .raw("found")
                               .data;
  constexpr uint32_t level_header = 4 + 4 + 4 + 4 + 1 + 4 + 4 + 4;
  std::string out = bytes().id("kwp.").id("COR.").data;
  out.reserve(out.size() + static_cast<size_t>(levels) * level_header + leaf.size());
  for (int i = 0; i < levels; ++i) {
    const auto inner = static_cast<uint32_t>(leaf.size() + (levels - i - 1) * level_header);
    out += bytes()
               .be32(1)
               .id("prop")
               .id("NAME")
               .be32(1)
               .raw("a")
               .id("FILE")
               .be32(inner)
               .be32(inner)
               .data;
  }
  return out + leaf;
}

std::string path_through(int levels, const std::string &last) {
  std::string path;
  path.reserve(static_cast<size_t>(levels) * 2 + last.size());
  for (int i = 0; i < levels; ++i) path += "a/";
  return path + last;
}

std::string read_object(const std::string &name) {
  packfile *f = open_packfile(name.c_str(), "r");
  if (f == nullptr) return "<null>";
  std::string out;
  for (int c; (c = packfile_getc(f)) >= 0;) out += static_cast<char>(c);
  close_packfile(f);
  return out;
}

TEST(HostileDatafileTest, HundredThousandLevelsAreRefusedNotWalked) {
  scoped_work_dir dir;
  write_file("deep.dat", nested_datafile(100000));
  const std::string all_the_way = "deep.dat#" + path_through(100000, "leaf");
  EXPECT_EQ(open_packfile(all_the_way.c_str(), "r"), nullptr);
  EXPECT_EQ(get_error_number(), ENAMETOOLONG);
  // As deep as the library goes, the file is walked and the missing name reported.
  const std::string deepest = "deep.dat#" + path_through(max_levels - 1, "x");
  EXPECT_EQ(open_packfile(deepest.c_str(), "r"), nullptr);
  EXPECT_EQ(get_error_number(), ENOENT);
}

TEST(HostileDatafileTest, ObjectsUpToTheDeepestLevelAreRead) {
  scoped_work_dir dir;
  write_file("nest.dat", nested_datafile(max_levels - 1));
  EXPECT_EQ(read_object("nest.dat#" + path_through(max_levels - 1, "leaf")), "found");
  EXPECT_EQ(last_object_type, CORVANE_ID('T', 'E', 'X', 'T'));
  // One level more than the library enters, even through the name of the data file.
  write_file("more.dat", nested_datafile(max_levels));
  EXPECT_EQ(read_object("more.dat#" + path_through(max_levels, "leaf")), "<null>");
  EXPECT_EQ(get_error_number(), ENAMETOOLONG);
  EXPECT_EQ(read_object("more.dat#a#" + path_through(max_levels - 1, "leaf")), "<null>");
  EXPECT_EQ(get_error_number(), ENAMETOOLONG);
}

TEST(HostileDatafileTest, MillionZeroSizeObjectsAreWalkedToTheEnd) {
  scoped_work_dir dir;
  constexpr uint32_t count = 1000000;
  bytes b;
  b.id("kwp.").id("COR.").be32(count + 1);
  b.data.reserve(b.data.size() + count * 12 + 64);
  for (uint32_t i = 0; i < count; ++i) b.id("DATA").be32(0).be32(0);
  b.raw(file_test::datafile_object("last", "TEXT", "at the end"));
  write_file("many.dat", b.data);
  EXPECT_EQ(read_object("many.dat#last"), "at the end");
  EXPECT_EQ(read_object("many.dat#missing"), "<null>");
  EXPECT_EQ(get_error_number(), ENOENT);
}

}  // namespace
