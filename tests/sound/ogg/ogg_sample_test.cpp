// Ogg Vorbis samples: a tone encoded here with libvorbisenc decodes to a 16-bit sample of the same
// rate, length and pitch (counted by zero crossings); a damaged stream gives none. Built only when the
// library reads Ogg Vorbis.
#include <gtest/gtest.h>
#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>

#include "corvane/sample_files.h"
#include "support/test_sound_drivers.h"
#include "support/test_system.h"

namespace {

constexpr int RATE = 22050;
constexpr double TONE_HZ = 441.0;

// One second of a sine tone at TONE_HZ, encoded as a mono Ogg Vorbis file.
std::string encode_tone() {
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, 1, RATE, 0.4f) != 0) return {};
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 1);
  std::string out;
  ogg_page page;
  const auto take_pages = [&](bool flush) {
    while (flush ? ogg_stream_flush(&stream, &page) : ogg_stream_pageout(&stream, &page)) {
      out.append(reinterpret_cast<const char *>(page.header), static_cast<size_t>(page.header_len));
      out.append(reinterpret_cast<const char *>(page.body), static_cast<size_t>(page.body_len));
    }
  };
  ogg_packet header, header_comment, header_code;
  vorbis_analysis_headerout(&dsp, &comment, &header, &header_comment, &header_code);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &header_comment);
  ogg_stream_packetin(&stream, &header_code);
  take_pages(true);
  float **buffer = vorbis_analysis_buffer(&dsp, RATE);
  for (int i = 0; i < RATE; ++i) {
    buffer[0][i] = static_cast<float>(0.5 * std::sin(2 * M_PI * TONE_HZ * i / RATE));
  }
  vorbis_analysis_wrote(&dsp, RATE);
  vorbis_analysis_wrote(&dsp, 0);
  ogg_packet packet;
  while (vorbis_analysis_blockout(&dsp, &block) == 1) {
    vorbis_analysis(&block, nullptr);
    vorbis_bitrate_addblock(&block);
    while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
      ogg_stream_packetin(&stream, &packet);
      take_pages(false);
    }
  }
  take_pages(true);
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

class OggSampleTest : public corvane::testing::sound_test {};

TEST_F(OggSampleTest, ToneDecodesAtItsRateLengthAndPitch) {
  ASSERT_NE(ogg_samples_supported(), 0);
  const corvane::testing::scoped_work_dir dir;
  const std::string file = encode_tone();
  ASSERT_FALSE(file.empty());
  std::ofstream(dir.file("tone.ogg"), std::ios::binary) << file;
  sample *s = load_sample(dir.file("tone.ogg").c_str());
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->bits, 16);
  EXPECT_EQ(s->stereo, 0);
  EXPECT_EQ(s->frequency, RATE);
  ASSERT_EQ(s->length, RATE);
  // Unsigned words around 32768: a rising crossing of the middle once per period.
  const auto *w = static_cast<const uint16_t *>(s->data);
  int crossings = 0;
  for (int i = 1; i < s->length; ++i) crossings += w[i - 1] < 32768 && w[i] >= 32768 ? 1 : 0;
  EXPECT_NEAR(crossings, TONE_HZ, 2);
  free_sample(s);

  // A damaged page in the middle: no half-decoded sample.
  std::string damaged = file;
  damaged[damaged.size() / 2] ^= 0x55;
  std::ofstream(dir.file("damaged.ogg"), std::ios::binary) << damaged;
  EXPECT_EQ(load_ogg_sample(dir.file("damaged.ogg").c_str()), nullptr);
}

}  // namespace
