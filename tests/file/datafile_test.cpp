// Objects inside data files: names, nested 'FILE' objects, the data file appended to the program,
// and data files that lie about their sizes.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "corvane/file.h"
#include "corvane/packfile.h"
#include "corvane/system.h"
#include "file/file_test_support.h"
#include "support/test_system.h"

namespace {

using corvane::testing::scoped_work_dir;
using corvane::testing::write_file;
using file_test::bytes;
using file_test::datafile_body;
using file_test::datafile_object;
using file_test::datafile_on_disk;

std::string read_object(const char *name) {
  packfile *f = open_packfile(name, "r");
  if (f == nullptr) return "<null>";
  std::string out;
  int c;
  while ((c = packfile_getc(f)) >= 0) out += static_cast<char>(c);
  close_packfile(f);
  return out;
}

class DatafileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string nested = datafile_body({
        datafile_object("deep", "TEXT", "deep inside"),
        datafile_object("other", "DATA", "x"),
    });
    write_file("game.dat", datafile_on_disk({
                               datafile_object("intro", "TEXT", "welcome"),
                               datafile_object("Levels", "FILE", nested),
                               datafile_object("music.mid", "MIDI", "MThd..."),
                           }));
  }
  scoped_work_dir dir;
};

TEST_F(DatafileTest, ObjectsAreFoundByNameWithoutRegardToCase) {
  EXPECT_EQ(read_object("game.dat#intro"), "welcome");
  EXPECT_EQ(last_object_type, CORVANE_ID('T', 'E', 'X', 'T'));
  EXPECT_EQ(read_object("game.dat#MUSIC.MID"), "MThd...");
  EXPECT_EQ(last_object_type, CORVANE_ID('M', 'I', 'D', 'I'));
  packfile *f = open_packfile("game.dat#intro", "rp");
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(f->flags & PACKFILE_FLAG_OBJECT);
  EXPECT_TRUE(f->flags & PACKFILE_FLAG_CHUNK);
  close_packfile(f);
}

TEST_F(DatafileTest, NestedObjectsAreReachedThroughFileObjects) {
  EXPECT_EQ(read_object("game.dat#levels/deep"), "deep inside");
  EXPECT_EQ(read_object("game.dat#Levels/OTHER"), "x");
  EXPECT_EQ(last_object_type, CORVANE_ID('D', 'A', 'T', 'A'));
  EXPECT_EQ(file_size("game.dat#levels/deep"), 11);
  EXPECT_EQ(file_size("game.dat#intro"), 7);
}

TEST_F(DatafileTest, MissingObjectsAndDeeperPathsGiveEnoent) {
  const char *missing[] = {"game.dat#nothing", "game.dat#intro/more", "game.dat#levels/deep/x",
                           "game.dat#levels/", "game.dat#",           "game.dat#levels/nothing"};
  for (const char *name : missing) {
    EXPECT_EQ(open_packfile(name, "r"), nullptr) << name;
    EXPECT_EQ(get_error_number(), ENOENT) << name;
  }
}

TEST_F(DatafileTest, WritingToAnObjectIsReadOnly) {
  EXPECT_EQ(open_packfile("game.dat#intro", "w"), nullptr);
  EXPECT_EQ(get_error_number(), EROFS);
  EXPECT_EQ(open_packfile("data.dat#obj", "w"), nullptr);
  EXPECT_EQ(get_error_number(), EROFS);
  EXPECT_FALSE(corvane::testing::file_exists_on_disk("data.dat#obj"));
}

TEST_F(DatafileTest, WrongIdsGiveEnotdir) {
  write_file("notdata.dat", bytes().id("kwp.").id("XYZ.").be32(0).data);
  EXPECT_EQ(open_packfile("notdata.dat#a", "r"), nullptr);
  EXPECT_EQ(get_error_number(), ENOTDIR);
}

TEST_F(DatafileTest, NameWithHashFallsBackToAFileOfThatName) {
  write_file("odd#name", "really a file");
  EXPECT_EQ(read_object("odd#name"), "really a file");
}

TEST_F(DatafileTest, DataFilesWrittenWithChunksCanBeOpened) {
  // The way a tool writes a compressed data file: 'COR.', the count, then per object its
  // properties and its data as a chunk.
  packfile *f = open_packfile("tool.dat", "wp");
  ASSERT_NE(f, nullptr);
  write_be32(DATAFILE_ID, f);
  write_be32(2, f);
  for (int i = 0; i < 2; ++i) {
    const std::string name = i == 0 ? "first" : "second";
    write_be32(DATAFILE_ID_PROPERTY, f);
    write_be32(DATAFILE_ID_NAME, f);
    write_be32(static_cast<int>(name.size()), f);
    packfile_write(name.data(), static_cast<long>(name.size()), f);
    write_be32(CORVANE_ID('T', 'E', 'X', 'T'), f);
    packfile *chunk = open_packfile_chunk(f, i);
    const std::string body = file_test::sample_text(3000, static_cast<uint32_t>(i + 1));
    packfile_write(body.data(), static_cast<long>(body.size()), chunk);
    close_packfile_chunk(chunk);
  }
  ASSERT_EQ(close_packfile(f), 0);
  EXPECT_EQ(read_object("tool.dat#second"), file_test::sample_text(3000, 2));
  EXPECT_EQ(read_object("tool.dat#first"), file_test::sample_text(3000, 1));
}

TEST_F(DatafileTest, HostileSizesEndTheSearchWithAnError) {
  struct hostile {
    const char *what;
    std::string contents;
    int error;
  };
  const std::string good = datafile_object("good", "TEXT", "fine");
  const hostile cases[] = {
      // A 'FILE' object whose stored size is negative would walk backwards into itself.
      {"negative object size",
       bytes()
           .id("kwp.")
           .id("COR.")
           .be32(2)
           .id("FILE")
           .be32(static_cast<uint32_t>(-12))
           .be32(0)
           .raw(good)
           .data,
       EFAULT},
      {"object size beyond the file",
       bytes()
           .id("kwp.")
           .id("COR.")
           .be32(2)
           .id("DATA")
           .be32(0x7FFFFFF0)
           .be32(0x7FFFFFF0)
           .raw(good)
           .data,
       EFAULT},
      {"property size beyond the file",
       bytes().id("kwp.").id("COR.").be32(1).id("prop").id("AUTH").be32(0x7FFFFFFF).raw(good).data,
       EFAULT},
      {"negative property size",
       bytes().id("kwp.").id("COR.").be32(1).id("prop").id("NAME").be32(0xFFFFFFFF).raw(good).data,
       EFAULT},
      {"negative object count", bytes().id("kwp.").id("COR.").be32(0x80000000u).raw(good).data,
       EFAULT},
      {"huge object count, then the end",
       bytes().id("kwp.").id("COR.").be32(0x7FFFFFFF).raw(datafile_object("a", "TEXT", "b")).data,
       ENOENT},
      {"truncated inside a property",
       bytes().id("kwp.").id("COR.").be32(1).id("prop").id("NAME").be32(4).raw("go").data, ENOENT},
      {"truncated after the id", bytes().id("kwp.").id("COR.").data, ENOENT},
  };
  for (const auto &c : cases) {
    write_file("bad.dat", c.contents);
    EXPECT_EQ(open_packfile("bad.dat#good", "r"), nullptr) << c.what;
    EXPECT_EQ(get_error_number(), c.error) << c.what;
  }
}

TEST_F(DatafileTest, FileObjectClaimingMoreThanItsParentIsRejected) {
  // The nested data file says it is bigger than the object holding it.
  const std::string inner = datafile_body({datafile_object("leaf", "TEXT", "leaf data")});
  std::string levels = bytes()
                           .id("prop")
                           .id("NAME")
                           .be32(3)
                           .raw("dir")
                           .id("FILE")
                           .be32(static_cast<uint32_t>(inner.size()))
                           .be32(static_cast<uint32_t>(inner.size()))
                           .raw(inner)
                           .data;
  // Inside: a FILE object whose chunk claims 1000 bytes in a 60-byte parent.
  const std::string self = bytes()
                               .be32(1)
                               .id("prop")
                               .id("NAME")
                               .be32(4)
                               .raw("self")
                               .id("FILE")
                               .be32(1000)
                               .be32(1000)
                               .raw("tiny")
                               .data;
  std::string outer = bytes()
                          .id("prop")
                          .id("NAME")
                          .be32(5)
                          .raw("outer")
                          .id("FILE")
                          .be32(static_cast<uint32_t>(self.size()))
                          .be32(static_cast<uint32_t>(self.size()))
                          .raw(self)
                          .data;
  write_file("nest.dat", bytes().id("kwp.").id("COR.").be32(2).raw(levels).raw(outer).data);
  EXPECT_EQ(read_object("nest.dat#dir/leaf"), "leaf data");
  EXPECT_EQ(open_packfile("nest.dat#outer/self/x", "r"), nullptr);
  EXPECT_EQ(get_error_number(), EFAULT);
}

TEST_F(DatafileTest, LongNamesNeverOverflow) {
  const std::string long_name(5000, 'n');
  write_file("long.dat", datafile_on_disk({datafile_object(long_name, "TEXT", "long"),
                                           datafile_object("short", "TEXT", "short")}));
  EXPECT_EQ(read_object("long.dat#short"), "short");
  const std::string path = "long.dat#" + long_name;
  EXPECT_EQ(open_packfile(path.c_str(), "r"), nullptr);
  const std::string huge_datafile = std::string(3000, 'd') + "#x";
  EXPECT_EQ(open_packfile(huge_datafile.c_str(), "r"), nullptr);
  EXPECT_EQ(get_error_number(), ENAMETOOLONG);
}

// ---- Data appended to the program ----------------------------------------------------------

std::string program_path;
void test_executable_path(char *buffer, int size) {
  snprintf(buffer, static_cast<size_t>(size), "%s", program_path.c_str());
}

class AppendedDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(corvane::testing::start_with_test_system(), 0);
    corvane::testing::the_test_system().driver.get_executable_path = test_executable_path;
    program_path = dir.file("program");
  }
  void TearDown() override { shutdown_corvane(); }

  // A small "program" followed by a chunk holding the data file and the 'kwp+' trailer.
  void write_program(const std::string &datafile, uint32_t appended_length_adjust = 0) {
    const std::string program =
        "\x7F"
        "ELF pretend program code" +
        std::string(3000, '\x90');
    const std::string chunk = bytes()
                                  .be32(static_cast<uint32_t>(datafile.size()))
                                  .be32(static_cast<uint32_t>(datafile.size()))
                                  .raw(datafile)
                                  .data;
    const uint32_t length = static_cast<uint32_t>(chunk.size() + 8) + appended_length_adjust;
    write_file(program_path, program + chunk + bytes().id("kwp+").be32(length).data);
  }

  scoped_work_dir dir;
};

TEST_F(AppendedDataTest, HashNamesReadTheAppendedDataFile) {
  write_program(
      bytes().id("COR.").raw(datafile_body({datafile_object("title", "TEXT", "Appended!")})).data);
  EXPECT_EQ(read_object("#title"), "Appended!");
  EXPECT_EQ(file_size("#title"), 9);
  EXPECT_TRUE(exists("#title"));
  packfile *f = open_packfile("#", "r");
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(f->flags & PACKFILE_FLAG_OBJECT);
  EXPECT_EQ(read_be32(f), DATAFILE_ID);
  close_packfile(f);
}

TEST_F(AppendedDataTest, ProgramsWithoutTrailerGiveEnotdir) {
  write_file(program_path, "just a program");
  EXPECT_EQ(open_packfile("#title", "r"), nullptr);
  EXPECT_EQ(get_error_number(), ENOTDIR);
  write_file(program_path, "tiny");
  EXPECT_EQ(open_packfile("#", "r"), nullptr);
  EXPECT_EQ(get_error_number(), ENOTDIR);
}

TEST_F(AppendedDataTest, TrailerLengthsOutsideTheProgramGiveEnotdir) {
  write_program(bytes().id("COR.").be32(0).data, 1000000);
  EXPECT_EQ(open_packfile("#", "r"), nullptr);
  EXPECT_EQ(get_error_number(), ENOTDIR);
  write_program(bytes().id("COR.").be32(0).data, static_cast<uint32_t>(-100));
  EXPECT_EQ(open_packfile("#", "r"), nullptr);
  EXPECT_EQ(get_error_number(), ENOTDIR);
}

TEST_F(AppendedDataTest, ProgramPathWithoutFileNameGivesEnoent) {
  program_path = dir.path() + "/";
  EXPECT_EQ(open_packfile("#", "r"), nullptr);
  EXPECT_EQ(get_error_number(), ENOENT);
}

}  // namespace
