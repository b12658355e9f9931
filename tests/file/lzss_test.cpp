// The LZSS coder on its own: output checked against an independent decoder, state kept across
// arbitrary buffer boundaries on both sides, and corrupt or truncated input.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>

#include "file/file_test_support.h"
#include "file/lzss.h"
#include "support/lzss_reference.h"

namespace {

using corvane::lzss_decoder;
using corvane::lzss_encoder;
using corvane::testing::reference_decompress;

struct encoder_deleter {
  void operator()(lzss_encoder *e) const { corvane::destroy_lzss_encoder(e); }
};
struct decoder_deleter {
  void operator()(lzss_decoder *d) const { corvane::destroy_lzss_decoder(d); }
};

int append_output(void *context, const unsigned char *data, long size) {
  static_cast<std::string *>(context)->append(reinterpret_cast<const char *>(data),
                                              static_cast<size_t>(size));
  return 0;
}

// Compresses data handed over in pieces of the given sizes (cycled), then a final call.
std::string compress(const std::string &data, std::vector<size_t> pieces = {4095}) {
  std::unique_ptr<lzss_encoder, encoder_deleter> e(corvane::create_lzss_encoder());
  std::string out;
  const corvane::lzss_output output{.write = append_output, .context = &out};
  size_t at = 0;
  for (size_t i = 0; at < data.size(); ++i) {
    const size_t n = std::min(pieces[i % pieces.size()], data.size() - at);
    EXPECT_EQ(
        corvane::lzss_encode(e.get(), reinterpret_cast<const unsigned char *>(data.data()) + at,
                             static_cast<long>(n), false, output),
        0);
    at += n;
  }
  EXPECT_EQ(corvane::lzss_encode(e.get(), nullptr, 0, true, output), 0);
  return out;
}

// Input that hands out at most `step` bytes a call and can run dry before the data ends.
struct memory_input {
  std::string data;
  size_t at = 0;
  size_t step = 4096;
  size_t limit = std::string::npos;  // nothing beyond this offset for now

  static long read(void *context, unsigned char *buffer, long size) {
    auto *self = static_cast<memory_input *>(context);
    const size_t end = std::min(self->data.size(), self->limit);
    size_t n = std::min({static_cast<size_t>(size), self->step, end - std::min(end, self->at)});
    std::copy_n(self->data.data() + self->at, n, buffer);
    self->at += n;
    return static_cast<long>(n);
  }
};

// Decompresses everything, asking for `out_step` bytes a call.
std::string decompress(memory_input &in, size_t out_step = 4096) {
  std::unique_ptr<lzss_decoder, decoder_deleter> d(corvane::create_lzss_decoder());
  const corvane::lzss_input input{.read = memory_input::read, .context = &in};
  std::string out;
  std::vector<unsigned char> buffer(out_step);
  for (;;) {
    const long got =
        corvane::lzss_decode(d.get(), buffer.data(), static_cast<long>(out_step), input);
    if (got <= 0) break;
    out.append(reinterpret_cast<const char *>(buffer.data()), static_cast<size_t>(got));
  }
  return out;
}

std::string decompress(const std::string &compressed, size_t out_step = 4096) {
  memory_input in{compressed};
  return decompress(in, out_step);
}

TEST(LzssFormatTest, TenEqualBytesGiveALiteralAndOneReference) {
  // 'A' is a literal at 4078; the other nine copy from 4078 onwards (overlapping).
  const std::string out = compress("AAAAAAAAAA");
  EXPECT_EQ(out, std::string("\x01"
                             "A"
                             "\xEE\xF6",
                             4));
  EXPECT_EQ(reference_decompress(out).bytes, "AAAAAAAAAA");
}

TEST(LzssFormatTest, EmptyInputGivesNoBytes) {
  EXPECT_EQ(compress(""), "");
  EXPECT_EQ(decompress(std::string()), "");
}

TEST(LzssFormatTest, LeadingZerosMayUseTheZerosBeforeTheStart) {
  const std::string zeros(40, '\0');
  const std::string out = compress(zeros);
  EXPECT_LT(out.size(), 10u);
  EXPECT_EQ(reference_decompress(out).bytes, zeros);
  EXPECT_EQ(decompress(out), zeros);
}

TEST(LzssFormatTest, EncoderOutputMatchesTheIndependentDecoder) {
  std::mt19937 random(7);
  std::string binary(20000, '\0');
  for (auto &c : binary) c = static_cast<char>(random() % 7);  // few symbols: many matches
  std::string noise(9000, '\0');
  for (auto &c : noise) c = static_cast<char>(random());
  const std::string inputs[] = {file_test::sample_text(100000), binary, noise,
                                std::string(70000, 'z'), "x"};
  for (const auto &input : inputs) {
    const std::string out = compress(input);
    EXPECT_EQ(reference_decompress(out).bytes, input);
    EXPECT_EQ(decompress(out), input);
  }
}

TEST(LzssFormatTest, RepeatedTextUsesLongestReferences) {
  // 4096 bytes of one value: after the first literal every item should copy the full 18 bytes.
  const std::string out = compress(std::string(4096 + 1, 'q'));
  // One literal, then ceil(4096 / 18) references of two bytes, behind one flag byte per eight.
  const size_t items = 1 + (4096 + 17) / 18;
  EXPECT_EQ(out.size(), items * 2 - 1 + (items + 7) / 8);
  EXPECT_EQ(reference_decompress(out).bytes, std::string(4097, 'q'));
}

TEST(LzssStateTest, EncoderOutputDoesNotDependOnHowTheInputIsCut) {
  const std::string text = file_test::sample_text(30000, 3);
  const std::string whole = compress(text, {text.size()});
  EXPECT_EQ(compress(text, {1}), whole);
  EXPECT_EQ(compress(text, {17, 18, 19, 4095}), whole);
  EXPECT_EQ(compress(text, {4096, 1, 333}), whole);
}

TEST(LzssStateTest, DecoderResumesReferencesCutByTheOutputBuffer) {
  const std::string text = file_test::sample_text(30000, 5) + std::string(5000, '-');
  const std::string out = compress(text);
  for (size_t step : {1u, 2u, 7u, 17u, 18u, 19u, 4096u}) EXPECT_EQ(decompress(out, step), text);
}

TEST(LzssStateTest, DecoderResumesWhenInputArrivesInSmallPieces) {
  const std::string text = file_test::sample_text(20000, 9);
  memory_input in{compress(text)};
  in.step = 1;  // every item is split across input refills, references between their two bytes
  EXPECT_EQ(decompress(in, 100), text);
}

TEST(LzssStateTest, DecoderStopsCleanlyAtAnyTruncationAndResumesWhenMoreComes) {
  const std::string text = file_test::sample_text(3000, 11);
  const std::string out = compress(text);
  for (size_t cut = 0; cut < 60; ++cut) {
    memory_input in{out};
    in.limit = cut;
    std::unique_ptr<lzss_decoder, decoder_deleter> d(corvane::create_lzss_decoder());
    const corvane::lzss_input input{.read = memory_input::read, .context = &in};
    std::string got;
    unsigned char buffer[64];
    long n;
    while ((n = corvane::lzss_decode(d.get(), buffer, sizeof buffer, input)) > 0) {
      got.append(reinterpret_cast<char *>(buffer), static_cast<size_t>(n));
    }
    EXPECT_EQ(n, 0) << "cut at " << cut;
    EXPECT_EQ(got, text.substr(0, got.size()));
    // The rest of the input arrives: decoding carries on where it stopped.
    in.limit = std::string::npos;
    while ((n = corvane::lzss_decode(d.get(), buffer, sizeof buffer, input)) > 0) {
      got.append(reinterpret_cast<char *>(buffer), static_cast<size_t>(n));
    }
    EXPECT_EQ(got, text) << "cut at " << cut;
  }
}

TEST(LzssCorruptTest, ReferenceToRingBytesNeverWrittenIsRejected) {
  // Flag 0: a reference to position 0, which nothing has written yet.
  EXPECT_EQ(decompress(std::string("\x00\x00\x00", 3)), "");
  std::unique_ptr<lzss_decoder, decoder_deleter> d(corvane::create_lzss_decoder());
  memory_input in{
      std::string("\x01"
                  "A"
                  "\x00\x00",
                  4)};  // a literal, then the bad reference
  const corvane::lzss_input input{.read = memory_input::read, .context = &in};
  unsigned char buffer[16];
  // The good byte comes out first; the corruption is reported on the next call and stays.
  EXPECT_EQ(corvane::lzss_decode(d.get(), buffer, sizeof buffer, input), 1);
  EXPECT_EQ(buffer[0], 'A');
  EXPECT_EQ(corvane::lzss_decode(d.get(), buffer, sizeof buffer, input), -1);
  EXPECT_EQ(corvane::lzss_decode(d.get(), buffer, sizeof buffer, input), -1);
}

TEST(LzssCorruptTest, ReferencesJustBeforeTheStartAreZeros) {
  // Position 4060 (0xFDC) is the first of the 18 zero bytes the encoder may use; 4059 is not.
  EXPECT_EQ(decompress(std::string("\x00\xDC\xF0", 3)), std::string(3, '\0'));
  memory_input in{std::string("\x00\xDB\xF0", 3)};
  std::unique_ptr<lzss_decoder, decoder_deleter> d(corvane::create_lzss_decoder());
  const corvane::lzss_input input{.read = memory_input::read, .context = &in};
  unsigned char buffer[16];
  EXPECT_EQ(corvane::lzss_decode(d.get(), buffer, sizeof buffer, input), -1);
}

TEST(LzssCorruptTest, ReferencesBecomeValidOnceWritten) {
  // Literal 'x' at 4078, then a reference to 4078 of length 3 (overlapping its own output).
  EXPECT_EQ(decompress(std::string("\x01"
                                   "x"
                                   "\xEE\xF0",
                                   4)),
            "xxxx");
  // Position 4079 is not written when the reference starts.
  memory_input in{
      std::string("\x01"
                  "x"
                  "\xEF\xF0",
                  4)};
  std::unique_ptr<lzss_decoder, decoder_deleter> d(corvane::create_lzss_decoder());
  const corvane::lzss_input input{.read = memory_input::read, .context = &in};
  unsigned char buffer[16];
  EXPECT_EQ(corvane::lzss_decode(d.get(), buffer, sizeof buffer, input), 1);
  EXPECT_EQ(corvane::lzss_decode(d.get(), buffer, sizeof buffer, input), -1);
}

TEST(LzssPasswordTest, OlderKeyFormScramblesOnlyTheFlagBytes) {
  const std::string text = file_test::sample_text(500, 13);
  std::string out = compress(text);
  char password[] = "ab";
  // Scramble every flag byte in turn with the password, as an old writer did.
  std::string scrambled = out;
  size_t i = 0;
  int p = 0;
  while (i < scrambled.size()) {
    const unsigned flags = static_cast<unsigned char>(out[i]);
    scrambled[i] = static_cast<char>(flags ^ static_cast<unsigned char>(password[p]));
    p = (p + 1) % 2;
    ++i;
    for (int bit = 0; bit < 8 && i < out.size(); ++bit) i += (flags >> bit) & 1 ? 1 : 2;
  }
  memory_input in{scrambled};
  char *position = password;
  std::unique_ptr<lzss_decoder, decoder_deleter> d(corvane::create_lzss_decoder());
  const corvane::lzss_input input{
      .read = memory_input::read, .context = &in, .passdata = password, .passpos = &position};
  std::string got;
  unsigned char buffer[256];
  long n;
  while ((n = corvane::lzss_decode(d.get(), buffer, sizeof buffer, input)) > 0) {
    got.append(reinterpret_cast<char *>(buffer), static_cast<size_t>(n));
  }
  EXPECT_EQ(got, text);
  EXPECT_EQ(position, password + p);  // the position moved once per flag byte
}

}  // namespace
