// Hostile data files: 'FILE' objects nested 100,000 levels deep, object paths with more levels
// than the library enters, and a million objects of size zero. Deep paths are refused before any
// chunk is opened, so that neither the stack nor the heap grows with what the name asks for.
#include <gtest/gtest.h>

#include <cerrno>
#include <pthread.h>
#include <sys/stat.h>

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

// Data files nested by "#": object "a" of each level holds a whole data file ("COR." and its
// list), the innermost holding "leaf". Built from the inside out.
std::string nested_by_hash(int levels) {
  std::string inner =
      bytes().id("COR.").be32(1).raw(file_test::datafile_object("leaf", "TEXT", "found")).data;
  for (int i = 0; i < levels; ++i) {
    const auto size = static_cast<uint32_t>(inner.size());
    inner = bytes().id("COR.").be32(1).id("prop").id("NAME").be32(1).raw("a").id("DATA")
                .be32(size).be32(size).raw(inner).data;
  }
  return "kwp." + inner;
}

// Runs body on a thread with a 64 KB stack, as a program's own threads may have.
void on_small_stack(void (*body)()) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  ASSERT_EQ(pthread_attr_setstacksize(&attr, 64 * 1024), 0);
  pthread_t thread;
  ASSERT_EQ(pthread_create(
                &thread, &attr,
                [](void *arg) -> void * {
                  reinterpret_cast<void (*)()>(arg)();
                  return nullptr;
                },
                reinterpret_cast<void *>(body)),
            0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
}

TEST(HostileDatafileTest, DeepestHashNestingFitsASmallStack) {
  scoped_work_dir dir;
  write_file("hash.dat", nested_by_hash(max_levels - 1));
  on_small_stack([] {
    std::string name = "hash.dat";
    for (int i = 0; i < max_levels - 1; ++i) name += "#a";
    EXPECT_EQ(read_object(name + "#leaf"), "found");
    EXPECT_EQ(read_object(name + "#none"), "<null>");
    EXPECT_EQ(get_error_number(), ENOENT);
  });
  // A level missing in the middle: the name is tried as a file, which does not exist either.
  EXPECT_EQ(read_object("hash.dat#a#b#a#leaf"), "<null>");
  EXPECT_EQ(get_error_number(), ENOENT);
}

// An intermediate name that is no object but names a real file is read as that file, as before.
TEST(HostileDatafileTest, IntermediateLevelFallsBackToAFileOfThatName) {
  scoped_work_dir dir;
  write_file("x.dat#b", nested_by_hash(0));
  write_file("x.dat", nested_by_hash(1));
  EXPECT_EQ(read_object("x.dat#b#leaf"), "found");
  EXPECT_EQ(read_object("x.dat#a#leaf"), "found");
}

// A FIFO has no writer here: open() would wait for one forever. Files are opened without waiting
// and refused unless they are regular files, whether named alone or as a data file.
TEST(HostileDatafileTest, FifosAndDirectoriesAreRefusedWithoutWaiting) {
  scoped_work_dir dir;
  ASSERT_EQ(mkfifo("pipe.dat", 0600), 0);
  ASSERT_EQ(mkdir("folder", 0700), 0);
  for (const char *name : {"pipe.dat", "pipe.dat#object"}) {
    EXPECT_EQ(open_packfile(name, "r"), nullptr) << name;
    EXPECT_EQ(get_error_number(), EINVAL) << name;
  }
  EXPECT_EQ(open_packfile("folder", "r"), nullptr);
  EXPECT_EQ(get_error_number(), EISDIR);
}

}  // namespace
