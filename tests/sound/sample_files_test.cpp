// Reading WAV, Voice and Ogg Vorbis files into samples: the chunk and block rules, 16-bit data made
// unsigned, the "smpl" loop, data files, the reader chosen by extension, and damaged files.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "corvane/sample_files.h"
#include "corvane/system.h"
#include "file/file_test_support.h"
#include "support/midi_test_support.h"
#include "support/test_sound_drivers.h"
#include "support/test_system.h"

namespace {

using midi_test::bytes;
using midi_test::put_le32;
using midi_test::put_tag;
using midi_test::write_file;

// Appends byte by byte (GCC 12 warns wrongly about inserting one byte vector into another).
void append(bytes &to, const bytes &from) {
  for (const unsigned char c : from) to.push_back(c);
}

void put_le16(bytes &b, uint32_t v) {
  b.push_back(static_cast<unsigned char>(v));
  b.push_back(static_cast<unsigned char>(v >> 8));
}

bytes chunk(const char *id, const bytes &body) {
  bytes b;
  put_tag(b, id);
  put_le32(b, static_cast<uint32_t>(body.size()));
  append(b, body);
  return b;
}

bytes fmt(int tag, int channels, int rate, int bits) {
  bytes b;
  put_le16(b, static_cast<uint32_t>(tag));
  put_le16(b, static_cast<uint32_t>(channels));
  put_le32(b, static_cast<uint32_t>(rate));
  put_le32(b, static_cast<uint32_t>(rate * channels * bits / 8));
  put_le16(b, static_cast<uint32_t>(channels * bits / 8));
  put_le16(b, static_cast<uint32_t>(bits));
  return chunk("fmt ", b);
}

bytes wave(const std::vector<bytes> &chunks) {
  bytes b;
  put_tag(b, "RIFF");
  put_le32(b, 0);
  put_tag(b, "WAVE");
  for (const bytes &c : chunks) append(b, c);
  return b;
}

bytes voc_header(int version = 0x010A, int check = 0x1129) {
  bytes b;
  const char sig[] = "Creative Voice File\x1A";
  for (int i = 0; i < 20; ++i) b.push_back(static_cast<unsigned char>(sig[i]));
  put_le16(b, 26);
  put_le16(b, static_cast<uint32_t>(version));
  put_le16(b, static_cast<uint32_t>(check));
  return b;
}

bytes voc_block(int type, const bytes &body) {
  bytes b{static_cast<unsigned char>(type)};
  put_le16(b, static_cast<uint32_t>(body.size() & 0xFFFF));
  b.push_back(static_cast<unsigned char>(body.size() >> 16));
  append(b, body);
  return b;
}

class SampleFilesTest : public corvane::testing::sound_test {
 protected:
  void TearDown() override {
    for (sample *s : samples) free_sample(s);
    sound_test::TearDown();
  }
  sample *load(const bytes &file, const std::string &name = "s.wav") {
    write_file(dir.file(name), file);
    sample *s = load_sample(dir.file(name).c_str());
    if (s != nullptr) samples.push_back(s);
    return s;
  }
  static std::vector<uint16_t> words(const sample *s) {
    const auto *w = static_cast<const uint16_t *>(s->data);
    return std::vector<uint16_t>(w, w + s->length * (s->stereo ? 2 : 1));
  }
  corvane::testing::scoped_work_dir dir;
  std::vector<sample *> samples;
};

TEST_F(SampleFilesTest, WavDataBeforeFormatUsesTheDefaults) {
  const sample *s = load(wave({chunk("data", {1, 2, 3}), fmt(1, 2, 44100, 16)}));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->bits, 8);
  EXPECT_EQ(s->stereo, 0);
  EXPECT_EQ(s->frequency, 22050);
  ASSERT_EQ(s->length, 3);
  EXPECT_EQ(std::memcmp(s->data, "\1\2\3", 3), 0);
}

TEST_F(SampleFilesTest, WavStereoSixteenBitWordsBecomeUnsigned) {
  // 10 bytes of stereo 16-bit data: (10 + 1) / 2 / 2 = 2 frames, 4 words.
  const sample *s = load(wave({fmt(1, 2, 8000, 16),
                               chunk("data", {0x00, 0x00, 0xFF, 0x7F, 0x00, 0x80, 0xFF, 0xFF,
                                              0x34, 0x12})}));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->bits, 16);
  EXPECT_EQ(s->stereo, 1);
  EXPECT_EQ(s->frequency, 8000);
  ASSERT_EQ(s->length, 2);
  EXPECT_EQ(words(s), (std::vector<uint16_t>{0x8000, 0xFFFF, 0x0000, 0x7FFF}));
}

TEST_F(SampleFilesTest, WavRejectsWhatItCannotPlay) {
  EXPECT_EQ(load(wave({fmt(3, 1, 8000, 32), chunk("data", {0, 0, 0, 0})})), nullptr);
  EXPECT_EQ(load(wave({fmt(1, 3, 8000, 8), chunk("data", {0, 0, 0})})), nullptr);
  EXPECT_EQ(load(wave({fmt(1, 1, 0, 8), chunk("data", {0})})), nullptr);  // no rate
  bytes not_wave = wave({chunk("data", {1})});
  not_wave[8] = 'X';
  EXPECT_EQ(load(not_wave), nullptr);
  // Data cut short, and a data chunk claiming 4 GB: nothing is answered, nothing that size made.
  bytes cut = wave({fmt(1, 1, 8000, 8), chunk("data", {1, 2, 3, 4})});
  cut.pop_back();
  EXPECT_EQ(load(cut), nullptr);
  bytes huge = wave({fmt(1, 1, 8000, 16), chunk("data", {1, 2})});
  std::memset(&huge[huge.size() - 6], 0xFF, 4);
  EXPECT_EQ(load(huge), nullptr);
  EXPECT_EQ(load(bytes{'R', 'I', 'F'}), nullptr);
}

TEST_F(SampleFilesTest, WavKeepsTheLastDataChunkAndTheFirstSamplerLoop) {
  bytes smpl(36, 0);
  smpl[28] = 1;  // one loop
  bytes loop(24, 0);
  loop[8] = 2;    // start frame 2
  loop[12] = 5;   // last frame 5
  append(smpl, loop);
  const sample *s = load(wave({fmt(1, 1, 11025, 8), chunk("data", {9, 9}), chunk("smpl", smpl),
                               chunk("data", {1, 2, 3, 4, 5, 6, 7, 8})}));
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->length, 8);
  EXPECT_EQ(static_cast<const unsigned char *>(s->data)[0], 1);
  EXPECT_EQ(s->loop_start, 2);
  EXPECT_EQ(s->loop_end, 6);
}

TEST_F(SampleFilesTest, VoiceFirstBlockRules) {
  bytes type1 = voc_header();
  const bytes t1 = voc_block(1, {156, 0, 10, 20, 30});
  append(type1, t1);
  const sample *s = load(type1, "a.voc");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->bits, 8);
  EXPECT_EQ(s->frequency, 10000);
  ASSERT_EQ(s->length, 3);
  EXPECT_EQ(std::memcmp(s->data, "\x0A\x14\x1E", 3), 0);

  const auto type9 = [](int channels, int bits, const bytes &data) {
    bytes body;
    put_le32(body, 0x00011F40);  // rate 8000 in the low half; the high half is dropped
    body.push_back(static_cast<unsigned char>(bits));
    body.push_back(static_cast<unsigned char>(channels));
    append(body, bytes(6, 0));
    append(body, data);
    bytes f = voc_header(0x0114, 0x111F);
    const bytes block = voc_block(9, body);
    append(f, block);
    return f;
  };
  s = load(type9(1, 16, {0x00, 0x00, 0xFF, 0x7F}), "b.voc");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->frequency, 8000);
  EXPECT_EQ(words(s), (std::vector<uint16_t>{0x8000, 0xFFFF}));
  EXPECT_EQ(load(type9(2, 8, {1, 2}), "c.voc"), nullptr);
  bytes bad_version = voc_header(0x0100);
  append(bad_version, t1);
  EXPECT_EQ(load(bad_version, "d.voc"), nullptr);
  bytes cut = type1;
  cut.pop_back();
  EXPECT_EQ(load(cut, "e.voc"), nullptr);
}

TEST_F(SampleFilesTest, SamplesLoadFromDataFilesAndByExtension) {
  const bytes file = wave({fmt(1, 1, 8000, 8), chunk("data", {5, 6, 7})});
  const std::string dat = file_test::datafile_on_disk(
      {file_test::datafile_object("jump.wav", "SAMP", std::string(file.begin(), file.end()))});
  write_file(dir.file("game.dat"), bytes(dat.begin(), dat.end()));
  sample *s = load_sample(dir.file("game.dat#jump.wav").c_str());
  ASSERT_NE(s, nullptr);
  samples.push_back(s);
  EXPECT_EQ(s->length, 3);
  EXPECT_NE(load(file, "upper.WAV"), nullptr);
  EXPECT_EQ(load(file, "wrong.voc"), nullptr);  // the extension names the reader
  set_error_number(0);
  EXPECT_EQ(load(file, "sound.mp3"), nullptr);
  EXPECT_EQ(*errno_location, EINVAL);
  EXPECT_EQ(load(file, "fake.ogg"), nullptr);
}

}  // namespace
