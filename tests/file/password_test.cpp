// The packfile password: the scrambled ids in both key forms, byte scrambling of plain and
// compressed files, the copy a stream takes when it opens, and files in the older key form.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "corvane/packfile.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "file/file_test_support.h"
#include "file/packfile_internal.h"
#include "support/lzss_reference.h"
#include "support/test_system.h"

namespace {

using corvane::testing::read_file;
using corvane::testing::reference_decompress;
using corvane::testing::scoped_work_dir;
using corvane::testing::write_file;

class PasswordTest : public ::testing::Test {
 protected:
  void TearDown() override { set_packfile_password(nullptr); }
  scoped_work_dir dir;
};

bool write_all(const char *name, const char *mode, const std::string &data) {
  packfile *f = open_packfile(name, mode);
  if (f == nullptr) return false;
  packfile_write(data.data(), static_cast<long>(data.size()), f);
  return close_packfile(f) == 0;
}

std::string read_all(const char *name, const char *mode) {
  packfile *f = open_packfile(name, mode);
  if (f == nullptr) return "<null>";
  std::string out;
  int c;
  while ((c = packfile_getc(f)) >= 0) out += static_cast<char>(c);
  close_packfile(f);
  return out;
}

TEST_F(PasswordTest, KeyIsTheIdWithoutPassword) {
  EXPECT_EQ(corvane::packfile_key(PACKFILE_ID_PACKED, true), PACKFILE_ID_PACKED);
  EXPECT_EQ(corvane::packfile_key(PACKFILE_ID_PACKED, false), PACKFILE_ID_PACKED);
  set_packfile_password("");
  EXPECT_EQ(corvane::packfile_key(PACKFILE_ID_PACKED, true), PACKFILE_ID_PACKED);
}

TEST_F(PasswordTest, KeyFormsFollowTheArithmetic) {
  set_packfile_password("abcde");
  // XOR of p[i] << 8 * (i mod 4): 'a' ^ 'e', 'b' << 8, 'c' << 16, 'd' << 24; then the first four
  // bytes again, most significant first.
  const uint32_t k = (0x61u ^ 0x65u) ^ (0x62u << 8) ^ (0x63u << 16) ^ (0x64u << 24) ^
                     (0x61u << 24) ^ (0x62u << 16) ^ (0x63u << 8) ^ 0x64u;
  EXPECT_EQ(static_cast<uint32_t>(corvane::packfile_key(0, false)), k);
  EXPECT_EQ(static_cast<uint32_t>(corvane::packfile_key(0, true)), k ^ 42u);
  EXPECT_EQ(static_cast<uint32_t>(corvane::packfile_key(PACKFILE_ID_PACKED, true)),
            static_cast<uint32_t>(PACKFILE_ID_PACKED) ^ k ^ 42u);
}

TEST_F(PasswordTest, ShortPasswordsWrapAndHighBytesAreSigned) {
  // The character U+00FF is stored as the byte 0xFF, which counts as -1.
  char text[8];
  current_put_char(text + current_put_char(text, 0xFF), 0);
  set_packfile_password(text);
  // -1 shifted by 0 is all ones; the four wrapped copies are -1 << 24, << 16, << 8 and -1.
  const uint32_t k = 0xFFFFFFFFu ^ 0xFF000000u ^ 0xFFFF0000u ^ 0xFFFFFF00u ^ 0xFFFFFFFFu;
  EXPECT_EQ(static_cast<uint32_t>(corvane::packfile_key(0, false)), k);
}

TEST_F(PasswordTest, PlainFilesAreScrambledByteByByte) {
  set_packfile_password("key");
  ASSERT_TRUE(write_all("secret.txt", "w", "plain text!"));
  const std::string stored = read_file("secret.txt");
  ASSERT_EQ(stored.size(), 11u);
  const std::string password = "key";
  for (size_t i = 0; i < stored.size(); ++i) {
    EXPECT_EQ(static_cast<char>(stored[i] ^ password[i % 3]), "plain text!"[i]) << i;
  }
  EXPECT_EQ(read_all("secret.txt", "r"), "plain text!");
  set_packfile_password(nullptr);
  EXPECT_NE(read_all("secret.txt", "r"), "plain text!");
}

TEST_F(PasswordTest, CompressedFilesNeedTheSamePassword) {
  const std::string text = file_test::sample_text(20000, 8);
  set_packfile_password("open sesame");
  ASSERT_TRUE(write_all("locked.lz", "wp", text));
  EXPECT_EQ(read_all("locked.lz", "rp"), text);

  set_packfile_password(nullptr);
  EXPECT_EQ(open_packfile("locked.lz", "rp"), nullptr);
  EXPECT_EQ(get_error_number(), EDOM);
  set_packfile_password("open sesamE");
  EXPECT_EQ(open_packfile("locked.lz", "rp"), nullptr);
  EXPECT_EQ(get_error_number(), EDOM);
}

TEST_F(PasswordTest, StreamsKeepThePasswordTheyOpenedWith) {
  set_packfile_password("first");
  packfile *f = open_packfile("copy.lz", "wp");
  ASSERT_NE(f, nullptr);
  set_packfile_password("second");
  packfile_write("unchanged", 9, f);
  ASSERT_EQ(close_packfile(f), 0);
  set_packfile_password("first");
  EXPECT_EQ(read_all("copy.lz", "rp"), "unchanged");
}

TEST_F(PasswordTest, OlderKeyFormLeavesBytesAloneAndScramblesFlagBytes) {
  // A file as an older writer made it: header id ^ key (older form) unscrambled on disk, then
  // compressed data whose flag bytes are XORed with the password in turn.
  set_packfile_password("pw");
  const uint32_t old_key = static_cast<uint32_t>(corvane::packfile_key(PACKFILE_ID_PACKED, false));
  // What reading through a scrambling layer would see is old_key; on disk the first four bytes
  // are therefore old_key XOR the password bytes in order.
  const uint32_t on_disk = old_key ^ ((0x70u << 24) | (0x77u << 16) | (0x70u << 8) | 0x77u);
  // Group one: literals "hello ", a reference to 4078 of length 5, the literal '!' (flag 0xBF);
  // group two: the literal '?'.
  std::string data(
      "\xBF"
      "hello "
      "\xEE\xF2"
      "!"
      "\x01"
      "?",
      12);
  ASSERT_EQ(reference_decompress(data).bytes, "hello hello!?");
  data[0] = static_cast<char>(data[0] ^ 'p');
  data[10] = static_cast<char>(data[10] ^ 'w');
  write_file("old.lz", file_test::bytes().be32(on_disk).raw(data).data);
  EXPECT_EQ(read_all("old.lz", "rp"), "hello hello!?");
  packfile *f = open_packfile("old.lz", "rp");
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(f->flags & PACKFILE_FLAG_OLD_CRYPT);
  EXPECT_TRUE(f->parent->flags & PACKFILE_FLAG_OLD_CRYPT);
  close_packfile(f);
}

TEST_F(PasswordTest, OlderKeyFormPlainFileReadsUnscrambled) {
  set_packfile_password("pw");
  const uint32_t old_key =
      static_cast<uint32_t>(corvane::packfile_key(PACKFILE_ID_UNPACKED, false));
  const uint32_t on_disk = old_key ^ ((0x70u << 24) | (0x77u << 16) | (0x70u << 8) | 0x77u);
  write_file("old.txt", file_test::bytes().be32(on_disk).raw("as it is").data);
  EXPECT_EQ(read_all("old.txt", "rp"), "as it is");
}

TEST_F(PasswordTest, LongPasswordsAreCutAt255Characters) {
  const std::string long_password(300, 'k');
  set_packfile_password(long_password.c_str());
  char *copy = corvane::copy_packfile_password();
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(std::string(copy), std::string(255, 'k'));
  std::free(copy);
  set_packfile_password(nullptr);
  EXPECT_EQ(corvane::copy_packfile_password(), nullptr);
}

// A character whose low byte is 0 used to end the password there, so the file was written in
// clear. Wide characters give the bytes of their encoded form (UTF-8 here); 8-bit ones stay one
// byte each, so older files keep their key.
TEST_F(PasswordTest, WideCharactersGiveAllTheirBytes) {
  char text[16];
  char *at = text;
  for (const int c : {0x100, 0xE9, 0x200}) at += current_put_char(at, c);
  current_put_char(at, 0);
  set_packfile_password(text);
  char *copy = corvane::copy_packfile_password();
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(std::string(copy), "\xC4\x80\xE9\xC8\x80");
  std::free(copy);

  ASSERT_TRUE(write_all("wide.txt", "w", "plain text!"));
  const std::string stored = read_file("wide.txt");
  ASSERT_EQ(stored.size(), 11u);
  const std::string password = "\xC4\x80\xE9\xC8\x80";
  for (size_t i = 0; i < stored.size(); ++i) {
    EXPECT_EQ(static_cast<char>(stored[i] ^ password[i % 5]), "plain text!"[i]) << i;
  }
  EXPECT_EQ(read_all("wide.txt", "r"), "plain text!");
}

}  // namespace
