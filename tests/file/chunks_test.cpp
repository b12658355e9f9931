// Chunks: the sizes a written chunk stores, its temporary file, nesting, reading back, and chunk
// headers that do not fit the file they are in.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>
#include <string>

#include "corvane/packfile.h"
#include "corvane/system.h"
#include "file/file_io.h"
#include "file/file_test_support.h"
#include "file/packfile_internal.h"
#include "support/env_guard.h"
#include "support/test_system.h"

namespace {

using corvane::testing::env_guard;
using corvane::testing::read_file;
using corvane::testing::scoped_work_dir;
using corvane::testing::write_file;
using file_test::bytes;

int count_entries(const std::string &directory) {
  DIR *dir = opendir(directory.c_str());
  if (dir == nullptr) return -1;
  int count = 0;
  while (const dirent *entry = readdir(dir)) {
    if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..") ++count;
  }
  closedir(dir);
  return count;
}

class ChunkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Temporary files go to a directory of their own, so that the test can see them come and go.
    temp = dir.file("temp");
    ASSERT_EQ(mkdir(temp.c_str(), 0700), 0);
    temp_env.emplace("TEMP", temp);
  }
  void TearDown() override { set_packfile_password(nullptr); }
  scoped_work_dir dir;
  std::string temp;
  std::optional<env_guard> temp_env;
};

TEST_F(ChunkTest, PlainChunkStoresBothSizes) {
  packfile *f = open_packfile("chunk.bin", "w");
  ASSERT_NE(f, nullptr);
  packfile *chunk = open_packfile_chunk(f, 0);
  ASSERT_NE(chunk, nullptr);
  EXPECT_EQ(count_entries(temp), 1);
  EXPECT_EQ(packfile_write("0123456789", 10, chunk), 10);
  EXPECT_EQ(close_packfile_chunk(chunk), f);
  EXPECT_EQ(chunk_stored_size, 10);
  EXPECT_EQ(chunk_data_size, 10);
  EXPECT_EQ(count_entries(temp), 0);  // the temporary file is gone
  ASSERT_EQ(close_packfile(f), 0);
  EXPECT_EQ(read_file("chunk.bin"), bytes().be32(10).be32(10).raw("0123456789").data);
}

TEST_F(ChunkTest, CompressedChunkStoresANegativeDataSize) {
  packfile *f = open_packfile("chunk.bin", "w");
  ASSERT_NE(f, nullptr);
  packfile *chunk = open_packfile_chunk(f, 1);
  ASSERT_NE(chunk, nullptr);
  packfile_write("AAAAAAAAAA", 10, chunk);
  close_packfile_chunk(chunk);
  EXPECT_EQ(chunk_data_size, -10);
  EXPECT_EQ(chunk_stored_size, 4);
  ASSERT_EQ(close_packfile(f), 0);
  EXPECT_EQ(read_file("chunk.bin"), bytes()
                                        .be32(4)
                                        .be32(static_cast<uint32_t>(-10))
                                        .raw(std::string("\x01"
                                                         "A"
                                                         "\xEE\xF6",
                                                         4))
                                        .data);
}

TEST_F(ChunkTest, ChunksReadBackAndLeaveTheParentBehindThem) {
  const std::string text = file_test::sample_text(50000, 2);
  for (const char *mode : {"w", "wp"}) {
    packfile *f = open_packfile("nested.bin", mode);
    ASSERT_NE(f, nullptr);
    write_be32(0x11111111, f);
    packfile *outer = open_packfile_chunk(f, 1);
    ASSERT_NE(outer, nullptr);
    packfile_write(text.data(), static_cast<long>(text.size()), outer);
    packfile *inner = open_packfile_chunk(outer, 0);
    ASSERT_NE(inner, nullptr);
    packfile_write("inner data", 10, inner);
    EXPECT_EQ(close_packfile_chunk(inner), outer);
    write_be32(0x22222222, outer);
    EXPECT_EQ(close_packfile_chunk(outer), f);
    write_be32(0x33333333, f);
    ASSERT_EQ(close_packfile(f), 0);
    EXPECT_EQ(count_entries(temp), 0);

    f = open_packfile("nested.bin", mode[1] ? "rp" : "r");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(read_be32(f), 0x11111111);
    outer = open_packfile_chunk(f, 0);
    ASSERT_NE(outer, nullptr);
    EXPECT_TRUE(outer->flags & PACKFILE_FLAG_PACK);
    EXPECT_EQ(chunk_data_size, -static_cast<int>(text.size() + 8 + 10 + 4));
    std::string got(text.size(), '\0');
    EXPECT_EQ(packfile_read(got.data(), static_cast<long>(got.size()), outer),
              static_cast<long>(text.size()));
    EXPECT_EQ(got, text);
    inner = open_packfile_chunk(outer, 0);
    ASSERT_NE(inner, nullptr);
    char word[16] = {};
    EXPECT_EQ(packfile_read(word, sizeof word, inner), 10);
    EXPECT_STREQ(word, "inner data");
    EXPECT_TRUE(packfile_eof(inner));
    EXPECT_EQ(close_packfile_chunk(inner), outer);
    EXPECT_EQ(read_be32(outer), 0x22222222);
    EXPECT_EQ(close_packfile_chunk(outer), f);
    EXPECT_EQ(read_be32(f), 0x33333333);
    close_packfile(f);
  }
}

TEST_F(ChunkTest, ClosingAChunkEarlySkipsTheRest) {
  packfile *f = open_packfile("skip.bin", "w");
  ASSERT_NE(f, nullptr);
  for (int compress = 0; compress < 2; ++compress) {
    packfile *chunk = open_packfile_chunk(f, compress);
    const std::string text = file_test::sample_text(9000, 6);
    packfile_write(text.data(), static_cast<long>(text.size()), chunk);
    close_packfile_chunk(chunk);
  }
  write_be32(0x12345678, f);
  ASSERT_EQ(close_packfile(f), 0);
  f = open_packfile("skip.bin", "r");
  ASSERT_NE(f, nullptr);
  for (int i = 0; i < 2; ++i) {
    packfile *chunk = open_packfile_chunk(f, 0);
    ASSERT_NE(chunk, nullptr);
    EXPECT_GE(packfile_getc(chunk), 0);
    EXPECT_EQ(close_packfile_chunk(chunk), f);
  }
  EXPECT_EQ(read_be32(f), 0x12345678);
  close_packfile(f);
}

TEST_F(ChunkTest, TemporaryFilesFollowTheEnvironment) {
  const std::string tmp = dir.file("tmp2");
  ASSERT_EQ(mkdir(tmp.c_str(), 0700), 0);
  temp_env->set(nullptr);
  const env_guard tmp_env("TMP", tmp);
  packfile *f = open_packfile("env.bin", "w");
  ASSERT_NE(f, nullptr);
  packfile *chunk = open_packfile_chunk(f, 0);
  ASSERT_NE(chunk, nullptr);
  EXPECT_EQ(count_entries(tmp), 1);
  EXPECT_EQ(std::string(chunk->filename).rfind(tmp + "/", 0), 0u);
  EXPECT_EQ(close_packfile(chunk), 0);  // finishes the chunk, then closes the file
  EXPECT_EQ(count_entries(tmp), 0);
  tmp_env.set(nullptr);

  temp_env->set(dir.file("missing-directory").c_str());
  f = open_packfile("env2.bin", "w");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(open_packfile_chunk(f, 0), nullptr);
  EXPECT_EQ(get_error_number(), ENOENT);
  close_packfile(f);
}

TEST_F(ChunkTest, PasswordProtectedFilesWithChunksRoundTrip) {
  set_packfile_password("chunky");
  packfile *f = open_packfile("pw.bin", "w");
  ASSERT_NE(f, nullptr);
  packfile *chunk = open_packfile_chunk(f, 1);
  packfile_write("scrambled chunk", 15, chunk);
  // Changing the password while the chunk is open does not spoil it.
  set_packfile_password("other");
  close_packfile_chunk(chunk);
  ASSERT_EQ(close_packfile(f), 0);
  set_packfile_password("chunky");
  f = open_packfile("pw.bin", "r");
  ASSERT_NE(f, nullptr);
  chunk = open_packfile_chunk(f, 0);
  ASSERT_NE(chunk, nullptr);
  char text[16] = {};
  EXPECT_EQ(packfile_read(text, 15, chunk), 15);
  EXPECT_STREQ(text, "scrambled chunk");
  close_packfile(chunk);  // closes the enclosing file too
}

TEST_F(ChunkTest, OlderKeyFormCarriesThePasswordPositionToTheParent) {
  // An older-form plain file ('kwp.' with the older key) holding two compressed chunks whose flag
  // bytes are scrambled with the password in one running sequence: "p", "w" for the two groups
  // of the first chunk, then "x" for the second chunk.
  set_packfile_password("pwx");
  const uint32_t header =
      static_cast<uint32_t>(corvane::packfile_key(PACKFILE_ID_UNPACKED, false)) ^
      (('p' << 24) | ('w' << 16) | ('x' << 8) | 'p');
  const std::string first = std::string(1, static_cast<char>(0xFF ^ 'p')) + "abcdefgh" +
                            std::string(1, static_cast<char>(0x01 ^ 'w')) + "i";
  const std::string second = std::string(1, static_cast<char>(0x07 ^ 'x')) + "xyz";
  write_file("old.dat", bytes()
                            .be32(header)
                            .be32(static_cast<uint32_t>(first.size()))
                            .be32(static_cast<uint32_t>(-9))
                            .raw(first)
                            .be32(static_cast<uint32_t>(second.size()))
                            .be32(static_cast<uint32_t>(-3))
                            .raw(second)
                            .data);
  packfile *f = open_packfile("old.dat", "rp");
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(f->flags & PACKFILE_FLAG_OLD_CRYPT);
  char text[16] = {};
  packfile *chunk = open_packfile_chunk(f, 0);
  ASSERT_NE(chunk, nullptr);
  EXPECT_EQ(packfile_read(text, sizeof text, chunk), 9);
  EXPECT_STREQ(text, "abcdefghi");
  EXPECT_EQ(close_packfile_chunk(chunk), f);
  EXPECT_EQ(f->passpos, f->passdata + 2);
  chunk = open_packfile_chunk(f, 0);
  ASSERT_NE(chunk, nullptr);
  char more[8] = {};
  EXPECT_EQ(packfile_read(more, sizeof more, chunk), 3);
  EXPECT_STREQ(more, "xyz");
  close_packfile(chunk);
}

// Reads a chunk header from a hand-made file; returns the chunk or null.
packfile *open_hand_made_chunk(const std::string &contents, packfile **file) {
  write_file("hand.bin", contents);
  *file = open_packfile("hand.bin", "r");
  if (*file == nullptr) return nullptr;
  return open_packfile_chunk(*file, 0);
}

TEST_F(ChunkTest, HeadersThatDoNotFitTheFileAreRejected) {
  struct hostile {
    const char *what;
    std::string contents;
  };
  const hostile cases[] = {
      {"stored size beyond the file", bytes().be32(100).be32(100).raw("short").data},
      {"negative stored size", bytes().be32(static_cast<uint32_t>(-8)).be32(0).data},
      {"data larger than stored", bytes().be32(4).be32(5000).raw("abcd").data},
      {"most negative data size", bytes().be32(4).be32(0x80000000u).raw("abcd").data},
      {"compressed data beyond any expansion",
       bytes().be32(4).be32(static_cast<uint32_t>(-1000000)).raw("abcd").data},
      {"header cut short", bytes().be32(4).data},
  };
  for (const auto &c : cases) {
    packfile *f = nullptr;
    EXPECT_EQ(open_hand_made_chunk(c.contents, &f), nullptr) << c.what;
    EXPECT_EQ(get_error_number(), EFAULT) << c.what;
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(packfile_error(f)) << c.what;
    close_packfile(f);
  }
}

TEST_F(ChunkTest, ChunksDoNotReadPastTheirStoredBytes) {
  // A plain chunk of 3 bytes declaring 3 data bytes, then a word that belongs to the parent.
  packfile *f = nullptr;
  packfile *chunk = open_hand_made_chunk(bytes().be32(3).be32(3).raw("abc").be32(7).data, &f);
  ASSERT_NE(chunk, nullptr);
  char buffer[16];
  EXPECT_EQ(packfile_read(buffer, sizeof buffer, chunk), 3);
  EXPECT_EQ(close_packfile_chunk(chunk), f);
  EXPECT_EQ(read_be32(f), 7);
  close_packfile(f);

  // Compressed data that would go on (a run of references) is cut at the stored size.
  const std::string compressed(
      "\x01"
      "x"
      "\xEE\xFF\xEE\xFF",
      6);  // x then 18 x's twice
  chunk = open_hand_made_chunk(
      bytes().be32(4).be32(static_cast<uint32_t>(-19)).raw(compressed).data, &f);
  ASSERT_NE(chunk, nullptr);
  EXPECT_EQ(packfile_read(buffer, sizeof buffer, chunk), 16);
  EXPECT_EQ(packfile_read(buffer, sizeof buffer, chunk), 3);
  EXPECT_FALSE(packfile_error(chunk));
  EXPECT_EQ(close_packfile_chunk(chunk), f);
  EXPECT_EQ(packfile_read(buffer, 2, f), 2);  // the two bytes behind the chunk
  close_packfile(f);
}

TEST_F(ChunkTest, TruncatedChunkDataIsAnError) {
  // The compressed data ends after one byte of output although 10 were declared.
  packfile *f = nullptr;
  packfile *chunk = open_hand_made_chunk(bytes()
                                             .be32(2)
                                             .be32(static_cast<uint32_t>(-10))
                                             .raw(std::string("\x01"
                                                              "z",
                                                              2))
                                             .data,
                                         &f);
  ASSERT_NE(chunk, nullptr);
  EXPECT_EQ(packfile_getc(chunk), 'z');
  EXPECT_EQ(packfile_getc(chunk), -1);
  EXPECT_TRUE(packfile_error(chunk));
  EXPECT_EQ(get_error_number(), EFAULT);
  close_packfile(chunk);

  // Corrupt compressed data in a chunk: a reference to bytes never written.
  chunk = open_hand_made_chunk(
      bytes().be32(3).be32(static_cast<uint32_t>(-5)).raw(std::string("\x00\x10\x02", 3)).data, &f);
  ASSERT_NE(chunk, nullptr);
  EXPECT_EQ(packfile_getc(chunk), -1);
  EXPECT_TRUE(packfile_error(chunk));
  close_packfile(chunk);
}

TEST_F(ChunkTest, ReadingChunksNeedALibraryStreamAndCloseNeedsAChunk) {
  EXPECT_EQ(open_packfile_chunk(nullptr, 0), nullptr);
  EXPECT_EQ(get_error_number(), EINVAL);
  write_file("x", "xxxx");
  packfile *f = open_packfile("x", "r");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(close_packfile_chunk(f), nullptr);
  EXPECT_EQ(get_error_number(), EINVAL);
  close_packfile(f);
}

ssize_t disk_full_write(int, const void *, size_t) {
  errno = ENOSPC;
  return -1;
}

TEST_F(ChunkTest, AChunkThatCannotBeStoredFailsTheEnclosingFile) {
  packfile *f = open_packfile("fail.bin", "w");
  ASSERT_NE(f, nullptr);
  packfile *chunk = open_packfile_chunk(f, 0);
  ASSERT_NE(chunk, nullptr);
  const std::string data(20000, 'd');
  corvane::file_io.write = disk_full_write;
  packfile_write(data.data(), static_cast<long>(data.size()), chunk);
  corvane::file_io = corvane::system_file_io();
  EXPECT_EQ(close_packfile_chunk(chunk), f);
  EXPECT_TRUE(packfile_error(f));
  EXPECT_EQ(count_entries(temp), 0);  // deleted all the same
  EXPECT_NE(close_packfile(f), 0);
}

}  // namespace
