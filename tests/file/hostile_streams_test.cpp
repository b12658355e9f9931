// Hand-made hostile compressed streams and chunks, read through the packfile layer: references to
// ring bytes never written, matches at the very end of the output, streams cut right after a flag
// byte, stored sizes from 0x80000000 up or beyond the bytes left, and chunks larger than the chunk
// around them. Each is answered with an error or with exactly the bytes the data holds.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "corvane/packfile.h"
#include "corvane/system.h"
#include "support/test_system.h"

namespace {

std::string hostile_path(const char *name) {
  return std::string(CORVANE_TEST_DATA_DIR) + "/hostile/" + name;
}

struct reading {
  std::string bytes;
  bool eof = false;
  bool error = false;
};

// Reads to the end in odd-sized pieces, so that buffer refills fall in many places.
reading read_all(packfile *f) {
  reading r;
  char buffer[4096];
  const long sizes[] = {1, 4095, 17, 4096, 2};
  for (int i = 0;; ++i) {
    const long want = sizes[i % 5];
    const long got = packfile_read(buffer, want, f);
    r.bytes.append(buffer, static_cast<size_t>(got > 0 ? got : 0));
    if (got < want) break;
  }
  r.eof = packfile_eof(f) != 0;
  r.error = packfile_error(f) != 0;
  return r;
}

TEST(HostileLzssTest, FirstReferenceToRingBytesNeverWrittenIsAnError) {
  packfile *f = open_packfile(hostile_path("lzss_unwritten_reference.kwp").c_str(), "rp");
  ASSERT_NE(f, nullptr);
  const reading r = read_all(f);
  EXPECT_EQ(r.bytes, "");
  EXPECT_TRUE(r.error);
  EXPECT_EQ(get_error_number(), EFAULT);
  close_packfile(f);
}

TEST(HostileLzssTest, EighteenByteMatchesAtTheVeryEndOfTheOutput) {
  // The last match also wraps round the end of the ring.
  packfile *f = open_packfile(hostile_path("lzss_match_at_end.kwp").c_str(), "rp");
  ASSERT_NE(f, nullptr);
  reading r = read_all(f);
  EXPECT_EQ(r.bytes, std::string(37, 'A'));
  EXPECT_TRUE(r.eof);
  EXPECT_FALSE(r.error);
  close_packfile(f);

  // Exactly one buffer of output whose last 18 bytes come from one match.
  f = open_packfile(hostile_path("lzss_buffer_ends_with_match.kwp").c_str(), "rp");
  ASSERT_NE(f, nullptr);
  r = read_all(f);
  std::string expected;
  while (expected.size() < 4096) expected += "abcdefghij";
  expected.resize(4096);
  EXPECT_EQ(r.bytes, expected);
  EXPECT_TRUE(r.eof);
  EXPECT_FALSE(r.error);
  close_packfile(f);
}

TEST(HostileLzssTest, MatchPastTheDeclaredSizeIsCutThere) {
  // A compressed chunk declaring 10 bytes whose only match would give 19.
  packfile *f = open_packfile(hostile_path("chunk_match_past_size.bin").c_str(), "r");
  ASSERT_NE(f, nullptr);
  packfile *chunk = open_packfile_chunk(f, 0);
  ASSERT_NE(chunk, nullptr);
  const reading r = read_all(chunk);
  EXPECT_EQ(r.bytes, std::string(10, 'A'));
  EXPECT_FALSE(r.error);
  EXPECT_EQ(close_packfile_chunk(chunk), f);
  char tail[8] = {};
  EXPECT_EQ(packfile_read(tail, sizeof tail, f), 4);
  EXPECT_STREQ(tail, "tail");
  close_packfile(f);
}

TEST(HostileLzssTest, StreamCutRightAfterAFlagByte) {
  // A stream of unknown length simply ends: what was decoded is the data.
  packfile *f = open_packfile(hostile_path("lzss_cut_after_flag.kwp").c_str(), "rp");
  ASSERT_NE(f, nullptr);
  const reading r = read_all(f);
  EXPECT_EQ(r.bytes, "abcdefgh");
  EXPECT_TRUE(r.eof);
  EXPECT_FALSE(r.error);
  close_packfile(f);

  // A chunk that declared more than that is truncated: an error after the bytes there are.
  f = open_packfile(hostile_path("chunk_cut_after_flag.bin").c_str(), "r");
  ASSERT_NE(f, nullptr);
  packfile *chunk = open_packfile_chunk(f, 0);
  ASSERT_NE(chunk, nullptr);
  const reading c = read_all(chunk);
  EXPECT_EQ(c.bytes, "abcdefgh");
  EXPECT_TRUE(c.error);
  EXPECT_EQ(get_error_number(), EFAULT);
  close_packfile(chunk);
}

TEST(HostileChunkTest, StoredSizesThatTheFileCannotHoldAreRejected) {
  // Stored sizes 0x80000000 and 0xFFFFFFFF (negative as the signed words they are) and one
  // larger than the bytes left; see also the chunk tests for data sizes that do not fit.
  for (const char *name :
       {"chunk_stored_80000000.bin", "chunk_stored_ffffffff.bin", "chunk_stored_beyond_file.bin"}) {
    packfile *f = open_packfile(hostile_path(name).c_str(), "r");
    ASSERT_NE(f, nullptr) << name;
    EXPECT_EQ(open_packfile_chunk(f, 0), nullptr) << name;
    EXPECT_EQ(get_error_number(), EFAULT) << name;
    EXPECT_TRUE(packfile_error(f)) << name;
    close_packfile(f);
  }
}

TEST(HostileChunkTest, InnerChunkLargerThanItsOuterChunkIsRejected) {
  packfile *f = open_packfile(hostile_path("chunk_inner_larger_than_outer.bin").c_str(), "r");
  ASSERT_NE(f, nullptr);
  packfile *outer = open_packfile_chunk(f, 0);
  ASSERT_NE(outer, nullptr);
  EXPECT_EQ(open_packfile_chunk(outer, 0), nullptr);
  EXPECT_EQ(get_error_number(), EFAULT);
  EXPECT_TRUE(packfile_error(outer));
  EXPECT_EQ(close_packfile_chunk(outer), f);
  EXPECT_FALSE(packfile_error(f));
  EXPECT_EQ(packfile_getc(f), -1);  // the outer chunk was the whole file
  close_packfile(f);
}

// A compressed stream holding compressed chunks; the outer stream's data turns bad after the
// fourth chunk's compressed bytes, which the chunk's decoder reads ahead. The fourth chunk itself
// holds its one byte: skipping over it succeeds, as reading it does, and the outer stream keeps
// the failure for whoever reads it next.
TEST(HostileChunkTest, SkippingAChunkIsNotFailedByTheOuterStreamsReadAhead) {
  const std::string path = hostile_path("chunk_seek_past_outer_failure.bin");
  for (const bool skip : {false, true}) {
    packfile *f = open_packfile(path.c_str(), "rp");
    ASSERT_NE(f, nullptr);
    for (int i = 0; i < 3; ++i) {
      packfile *chunk = open_packfile_chunk(f, 0);
      ASSERT_NE(chunk, nullptr) << i;
      read_all(chunk);
      EXPECT_EQ(close_packfile_chunk(chunk), f);
    }
    packfile *chunk = open_packfile_chunk(f, 0);
    ASSERT_NE(chunk, nullptr);
    EXPECT_EQ(chunk_data_size, -1);
    if (skip) {
      EXPECT_EQ(packfile_seek(chunk, 100), 0);
      EXPECT_EQ(packfile_getc(chunk), -1);
    } else {
      EXPECT_EQ(read_all(chunk).bytes.size(), 1U);
    }
    EXPECT_FALSE(packfile_error(chunk));
    EXPECT_TRUE(packfile_eof(chunk));
    EXPECT_EQ(close_packfile_chunk(chunk), f);
    EXPECT_TRUE(packfile_error(f));
    close_packfile(f);
  }
}

}  // namespace
