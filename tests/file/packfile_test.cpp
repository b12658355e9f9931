// Streams over files: modes and headers, buffering and its system calls, end of file, putting
// bytes back, seeking, failures of the system calls, and streams over a caller's operations.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "corvane/packfile.h"
#include "corvane/system.h"
#include "file/file_io.h"
#include "file/file_test_support.h"
#include "file/packfile_internal.h"
#include "support/lzss_reference.h"
#include "support/test_system.h"

namespace {

using corvane::testing::read_file;
using corvane::testing::reference_decompress;
using corvane::testing::scoped_work_dir;
using corvane::testing::write_file;

// Restores the system-call table when a test has swapped in its own functions.
struct io_table_guard {
  ~io_table_guard() { corvane::file_io = corvane::system_file_io(); }
};

int reads = 0;
int writes = 0;
ssize_t counting_read(int fd, void *buffer, size_t count) {
  ++reads;
  return ::read(fd, buffer, count);
}
ssize_t counting_write(int fd, const void *buffer, size_t count) {
  ++writes;
  return ::write(fd, buffer, count);
}

bool write_all(const char *name, const char *mode, const std::string &data) {
  packfile *f = open_packfile(name, mode);
  if (f == nullptr) return false;
  const long written = packfile_write(data.data(), static_cast<long>(data.size()), f);
  return close_packfile(f) == 0 && written == static_cast<long>(data.size());
}

std::string read_all(const char *name, const char *mode) {
  packfile *f = open_packfile(name, mode);
  if (f == nullptr) return "<null>";
  std::string out;
  char block[1000];
  long n;
  while ((n = packfile_read(block, sizeof block, f)) > 0) out.append(block, static_cast<size_t>(n));
  close_packfile(f);
  return out;
}

class PackfileTest : public ::testing::Test {
 protected:
  scoped_work_dir dir;
  io_table_guard guard;
};

TEST_F(PackfileTest, PlainWriteAndReadBack) {
  const std::string data = file_test::sample_text(10000);
  ASSERT_TRUE(write_all("plain.txt", "w", data));
  EXPECT_EQ(read_file("plain.txt"), data);  // no header, no scrambling
  EXPECT_EQ(read_all("plain.txt", "r"), data);
  EXPECT_EQ(read_all("plain.txt", ""), data);  // reading is the default
}

TEST_F(PackfileTest, CompressedStreamHasHeaderThenFlagByte) {
  ASSERT_TRUE(write_all("ten.bin", "wp", "AAAAAAAAAA"));
  const std::string stored = read_file("ten.bin");
  EXPECT_EQ(stored, std::string("kwp!\x01"
                                "A"
                                "\xEE\xF6",
                                8));
  EXPECT_EQ(read_all("ten.bin", "rp"), "AAAAAAAAAA");
}

TEST_F(PackfileTest, CompressedFileDecodesWithTheIndependentDecoder) {
  const std::string text = file_test::sample_text(300000, 21);
  ASSERT_TRUE(write_all("text.lz", "wp", text));
  const std::string stored = read_file("text.lz");
  ASSERT_GE(stored.size(), 4u);
  EXPECT_EQ(stored.substr(0, 4), "kwp!");
  EXPECT_LT(stored.size(), text.size() / 2);
  EXPECT_EQ(reference_decompress(stored.substr(4)).bytes, text);
  EXPECT_EQ(read_all("text.lz", "rp"), text);
}

TEST_F(PackfileTest, PlainHeaderModeReadsBackAsPlainData) {
  ASSERT_TRUE(write_all("bang.bin", "w!", "hello"));
  EXPECT_EQ(read_file("bang.bin"), "kwp.hello");
  EXPECT_EQ(read_all("bang.bin", "rp"), "hello");
  EXPECT_EQ(read_all("bang.bin", "r"), "kwp.hello");
}

TEST_F(PackfileTest, CompressedReadOfAFileWithoutHeaderFailsWithEdom) {
  ASSERT_TRUE(write_all("plain.bin", "w", "hello world"));
  errno = 0;
  EXPECT_EQ(open_packfile("plain.bin", "rp"), nullptr);
  EXPECT_EQ(get_error_number(), EDOM);
  write_file("short.bin", "kw");  // shorter than a header
  EXPECT_EQ(open_packfile("short.bin", "rp"), nullptr);
  EXPECT_EQ(get_error_number(), EDOM);
}

TEST_F(PackfileTest, ModeLettersLaterOnesWin) {
  const corvane::packfile_mode a = corvane::parse_packfile_mode("WP");
  EXPECT_TRUE(a.write);
  EXPECT_TRUE(a.pack);
  const corvane::packfile_mode b = corvane::parse_packfile_mode("wp!");
  EXPECT_TRUE(b.write);
  EXPECT_FALSE(b.pack);
  EXPECT_TRUE(b.plain_header);
  const corvane::packfile_mode c =
      corvane::parse_packfile_mode("wxyzr");  // unknown letters ignored
  EXPECT_FALSE(c.write);
  // Reading after "w" must not have truncated the file on the way.
  write_file("keep.txt", "keep me");
  EXPECT_EQ(read_all("keep.txt", "wr"), "keep me");
}

TEST_F(PackfileTest, OpeningAMissingFileCopiesTheSystemError) {
  EXPECT_EQ(open_packfile("no/such/file", "r"), nullptr);
  EXPECT_EQ(get_error_number(), ENOENT);
  EXPECT_EQ(open_packfile(nullptr, "r"), nullptr);
  EXPECT_EQ(get_error_number(), EINVAL);
  EXPECT_EQ(open_packfile_fd(-1, "r"), nullptr);
  EXPECT_EQ(get_error_number(), EINVAL);
  std::string long_name(2000, 'n');
  EXPECT_EQ(open_packfile(long_name.c_str(), "r"), nullptr);
  EXPECT_EQ(get_error_number(), ENAMETOOLONG);
}

TEST_F(PackfileTest, EndOfFileIsFlaggedWithTheLastByte) {
  write_file("abc", "abc");
  packfile *f = open_packfile("abc", "r");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(packfile_getc(f), 'a');
  EXPECT_EQ(packfile_getc(f), 'b');
  EXPECT_FALSE(packfile_eof(f));
  EXPECT_EQ(packfile_getc(f), 'c');
  EXPECT_TRUE(packfile_eof(f));
  EXPECT_EQ(packfile_getc(f), -1);
  EXPECT_FALSE(packfile_error(f));
  // Putting a byte back clears the end and gives it again.
  EXPECT_EQ(packfile_ungetc('z', f), 'z');
  EXPECT_FALSE(packfile_eof(f));
  EXPECT_EQ(packfile_getc(f), 'z');
  EXPECT_EQ(close_packfile(f), 0);

  write_file("empty", "");
  f = open_packfile("empty", "r");
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(packfile_eof(f));
  EXPECT_EQ(packfile_getc(f), -1);
  close_packfile(f);
}

TEST_F(PackfileTest, UngetcFailsBeforeAnyByteWasRead) {
  write_file("abc", "abc");
  packfile *f = open_packfile("abc", "r");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(packfile_ungetc('x', f), -1);
  EXPECT_EQ(packfile_getc(f), 'a');
  close_packfile(f);
}

TEST_F(PackfileTest, SeekSkipsForwardOnReadingStreamsOnly) {
  std::string data;
  for (int i = 0; i < 20000; ++i) data += static_cast<char>(i * 7);
  ASSERT_TRUE(write_all("seek.bin", "w", data));
  ASSERT_TRUE(write_all("seek.lz", "wp", data));
  for (const char *mode : {"r", "rp"}) {
    packfile *f = open_packfile(mode[1] ? "seek.lz" : "seek.bin", mode);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(packfile_getc(f), static_cast<unsigned char>(data[0]));
    EXPECT_EQ(packfile_seek(f, 9000), 0);  // beyond the buffer
    EXPECT_EQ(packfile_getc(f), static_cast<unsigned char>(data[9001]));
    EXPECT_EQ(packfile_seek(f, 10), 0);  // inside the buffer
    EXPECT_EQ(packfile_getc(f), static_cast<unsigned char>(data[9012]));
    EXPECT_EQ(packfile_seek(f, -1), -1);
    EXPECT_EQ(get_error_number(), EINVAL);
    EXPECT_EQ(packfile_seek(f, 1000000), 0);  // clipped at the end
    EXPECT_TRUE(packfile_eof(f));
    EXPECT_EQ(packfile_getc(f), -1);
    close_packfile(f);
  }
  packfile *w = open_packfile("out.bin", "w");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(packfile_seek(w, 1), -1);
  close_packfile(w);
}

TEST_F(PackfileTest, ReadsTakeOneSystemCallPerBuffer) {
  std::string data(10 * PACKFILE_BUFFER_SIZE + 100, 'r');
  write_file("big.bin", data);
  corvane::file_io.read = counting_read;
  reads = 0;
  packfile *f = open_packfile("big.bin", "r");
  ASSERT_NE(f, nullptr);
  long total = 0;
  while (packfile_getc(f) >= 0) ++total;
  EXPECT_EQ(total, static_cast<long>(data.size()));
  EXPECT_EQ(reads, 11);
  close_packfile(f);
}

TEST_F(PackfileTest, WritesTakeOneSystemCallPerBuffer) {
  corvane::file_io.write = counting_write;
  writes = 0;
  packfile *f = open_packfile("big.bin", "w");
  ASSERT_NE(f, nullptr);
  const int size = 40000;
  for (int i = 0; i < size; ++i) ASSERT_EQ(packfile_putc('w', f), 'w');
  // The buffer is written out when it already holds 4095 bytes and another one comes.
  EXPECT_EQ(writes, size / 4095);
  EXPECT_EQ(close_packfile(f), 0);
  EXPECT_EQ(writes, size / 4095 + 1);
  EXPECT_EQ(read_file("big.bin"), std::string(size, 'w'));
}

ssize_t interrupted_then_short_write(int fd, const void *buffer, size_t count) {
  ++writes;
  if (writes % 3 == 1) {
    errno = (writes % 2) ? EINTR : EAGAIN;
    return -1;
  }
  return ::write(fd, buffer, count < 100 ? count : 100);
}

ssize_t interrupted_then_short_read(int fd, void *buffer, size_t count) {
  ++reads;
  if (reads % 3 == 1) {
    errno = (reads % 2) ? EINTR : EAGAIN;
    return -1;
  }
  return ::read(fd, buffer, count < 77 ? count : 77);
}

TEST_F(PackfileTest, InterruptedAndPartialTransfersAreRetried) {
  const std::string data = file_test::sample_text(20000, 4);
  corvane::file_io.write = interrupted_then_short_write;
  corvane::file_io.read = interrupted_then_short_read;
  ASSERT_TRUE(write_all("retry.txt", "w", data));
  EXPECT_EQ(read_file("retry.txt"), data);
  EXPECT_EQ(read_all("retry.txt", "r"), data);
  ASSERT_TRUE(write_all("retry.lz", "wp", data));
  EXPECT_EQ(read_all("retry.lz", "rp"), data);
}

ssize_t disk_full_write(int, const void *, size_t) {
  errno = ENOSPC;
  return -1;
}

TEST_F(PackfileTest, FailedWriteIsReportedByClose) {
  corvane::file_io.write = disk_full_write;
  packfile *f = open_packfile("full.bin", "w");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(packfile_write("small", 5, f), 5);  // still in the buffer
  EXPECT_FALSE(packfile_error(f));
  EXPECT_NE(close_packfile(f), 0);
  EXPECT_EQ(get_error_number(), EFAULT);

  // A failure in the middle marks the stream at once, and close still reports it.
  f = open_packfile("full2.bin", "wp");
  ASSERT_NE(f, nullptr);
  const std::string big(50000, 'x');
  packfile_write(big.data(), static_cast<long>(big.size()), f);
  corvane::file_io = corvane::system_file_io();
  EXPECT_NE(close_packfile(f), 0);
  EXPECT_EQ(get_error_number(), EFAULT);
}

ssize_t failing_read(int, void *, size_t) {
  errno = EIO;
  return -1;
}

TEST_F(PackfileTest, FailedReadSetsTheErrorFlag) {
  write_file("data.bin", "some data");
  packfile *f = open_packfile("data.bin", "r");
  ASSERT_NE(f, nullptr);
  corvane::file_io.read = failing_read;
  EXPECT_EQ(packfile_getc(f), -1);
  EXPECT_TRUE(packfile_error(f));
  EXPECT_EQ(get_error_number(), EFAULT);
  close_packfile(f);
}

TEST_F(PackfileTest, DescriptorStreamsOwnTheirDescriptor) {
  write_file("fd.txt", "descriptor");
  const int fd = ::open("fd.txt", O_RDONLY);
  ASSERT_GE(fd, 0);
  packfile *f = open_packfile_fd(fd, "r");
  ASSERT_NE(f, nullptr);
  char buffer[32] = {};
  EXPECT_EQ(packfile_read(buffer, sizeof buffer, f), 10);
  EXPECT_STREQ(buffer, "descriptor");
  EXPECT_EQ(close_packfile(f), 0);
  EXPECT_EQ(fcntl(fd, F_GETFD), -1);  // closed with the stream
}

// A caller's stream: bytes from a string, written into another.
struct string_stream {
  std::string in;
  size_t at = 0;
  std::string out;
  bool closed = false;
};

const packfile_ops string_ops = {
    .close =
        [](void *u) {
          static_cast<string_stream *>(u)->closed = true;
          return 0;
        },
    .getc =
        [](void *u) {
          auto *s = static_cast<string_stream *>(u);
          return s->at < s->in.size() ? static_cast<unsigned char>(s->in[s->at++]) : -1;
        },
    .ungetc =
        [](void *u, int c) {
          auto *s = static_cast<string_stream *>(u);
          if (s->at == 0) return -1;
          s->in[--s->at] = static_cast<char>(c);
          return c;
        },
    .read = nullptr,  // the library falls back to getc
    .putc =
        [](void *u, int c) {
          static_cast<string_stream *>(u)->out += static_cast<char>(c);
          return c;
        },
    .write = nullptr,
    .seek =
        [](void *u, long offset) {
          static_cast<string_stream *>(u)->at += static_cast<size_t>(offset);
          return 0;
        },
    .eof =
        [](void *u) {
          auto *s = static_cast<string_stream *>(u);
          return s->at >= s->in.size() ? 1 : 0;
        },
    .error = [](void *) { return 0; },
};

TEST_F(PackfileTest, CallerOperationsAreUsedForEveryCall) {
  string_stream s{std::string("\x01\x02\x03\x04hello\nworld", 15)};
  packfile *f = open_packfile_ops(&string_ops, &s);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->is_normal, 0);
  EXPECT_EQ(read_be32(f), 0x01020304);
  char line[16];
  EXPECT_STREQ(packfile_read_line(line, sizeof line, f), "hello");
  EXPECT_EQ(packfile_seek(f, 1), 0);
  char rest[8] = {};
  EXPECT_EQ(packfile_read(rest, 10, f), 4);
  EXPECT_STREQ(rest, "orld");
  EXPECT_TRUE(packfile_eof(f));
  EXPECT_EQ(write_le16(0x4142, f), 0x4142);
  EXPECT_EQ(packfile_write("xyz", 3, f), 3);
  EXPECT_EQ(s.out, "BAxyz");
  // Chunks need a library stream underneath.
  EXPECT_EQ(open_packfile_chunk(f, 0), nullptr);
  EXPECT_EQ(get_error_number(), EINVAL);
  EXPECT_EQ(close_packfile(f), 0);
  EXPECT_TRUE(s.closed);
  EXPECT_EQ(open_packfile_ops(nullptr, &s), nullptr);
}

TEST_F(PackfileTest, NullAndNegativeArgumentsAreRefused) {
  EXPECT_EQ(packfile_getc(nullptr), -1);
  EXPECT_EQ(packfile_putc('x', nullptr), -1);
  EXPECT_EQ(packfile_read(nullptr, 4, nullptr), -1);
  EXPECT_EQ(close_packfile(nullptr), -1);
  EXPECT_EQ(get_error_number(), EINVAL);
  write_file("x", "x");
  packfile *f = open_packfile("x", "r");
  ASSERT_NE(f, nullptr);
  char c;
  EXPECT_EQ(packfile_read(&c, -5, f), -1);
  EXPECT_EQ(packfile_putc('y', f), -1);  // not a writing stream
  close_packfile(f);
}

}  // namespace
