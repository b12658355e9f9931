// SoundFont 2 files: zones chosen by key and velocity with the generators of instrument and
// preset zones combined, preset fall-backs, and damaged files (every truncation, indices and
// sizes out of bounds) answered with an error and nothing read out of bounds.
#include <gtest/gtest.h>

#include <string>

#include "corvane/system.h"
#include "sound/soundfont_file.h"
#include "support/soundfont_writer.h"
#include "support/test_system.h"

namespace {

using namespace corvane;
using namespace corvane::testing;

constexpr int RANGE(int low, int high) { return low | high << 8; }

class SoundfontFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(start_with_test_system(), 0); }
  void TearDown() override { shutdown_corvane(); }

  int load(const std::string &bytes, bool samples = true) {
    write_file(dir.file("font.sf2"), bytes);
    return read_soundfont(dir.file("font.sf2").c_str(), samples, font);
  }

  // Two samples (100 and 50 points); an instrument with a global zone and three zones split by
  // key and velocity; a preset that adds to the instrument's values.
  static sf2_file layered_file() {
    sf2_file file;
    file.samples.push_back({sine_cycle(100, 1000), 22050, 57, -7, 10, 90});
    file.samples.push_back({sine_cycle(50, 1000), 44100, 72, 3, 0, 50});
    file.instruments.push_back({
        {{38, -1200}, {48, 100}},                                    // global: release, 10 dB
        {{43, RANGE(0, 59)}, {54, 1}, {58, 48}, {17, 300}, {53, 0}},  // root key 48, looped
        {{43, RANGE(60, 127)}, {44, RANGE(0, 63)}, {48, 20}, {53, 1}},
        {{43, RANGE(60, 127)}, {44, RANGE(64, 127)}, {51, 2}, {52, -30}, {0, 5}, {53, 1}},
    });
    file.presets.push_back({0, 5, {{{48, 30}, {17, 400}}, {{43, RANGE(0, 127)}, {41, 0}}}});
    file.presets.push_back({128, 0, {{{41, 0}}}});
    return file;
  }

  scoped_work_dir dir;
  soundfont font;
};

TEST_F(SoundfontFileTest, ZonesByKeyAndVelocityCombineInstrumentAndPresetGenerators) {
  ASSERT_EQ(load(write_sf2(layered_file())), 0) << error_text;
  ASSERT_EQ(font.presets.size(), 2u);
  ASSERT_EQ(font.sample_points, 100u + 46 + 50 + 46);
  const soundfont_preset &preset = font.presets[0];
  EXPECT_EQ(preset.program, 5);
  soundfont_note notes[4];

  ASSERT_EQ(find_soundfont_notes(font, preset, 40, 100, notes, 4), 1);
  EXPECT_EQ(notes[0].start, 0u);
  EXPECT_EQ(notes[0].end, 100u);
  EXPECT_TRUE(notes[0].loop);
  EXPECT_EQ(notes[0].loop_start, 10u);
  EXPECT_EQ(notes[0].loop_end, 90u);
  EXPECT_EQ(notes[0].root_key, 48);
  EXPECT_EQ(notes[0].rate, 22050);
  EXPECT_EQ(notes[0].tuning, -7);
  EXPECT_EQ(notes[0].attenuation, 130);  // the instrument's global 100 plus the preset's 30
  EXPECT_EQ(notes[0].pan, 500);          // 300 + 400, clamped
  EXPECT_EQ(notes[0].release, -1200);

  ASSERT_EQ(find_soundfont_notes(font, preset, 60, 10, notes, 4), 1);
  EXPECT_EQ(notes[0].start, 146u);
  EXPECT_FALSE(notes[0].loop);
  EXPECT_EQ(notes[0].root_key, 72);
  EXPECT_EQ(notes[0].attenuation, 50);

  ASSERT_EQ(find_soundfont_notes(font, preset, 60, 64, notes, 4), 1);
  EXPECT_EQ(notes[0].start, 151u);  // start offset 5
  EXPECT_EQ(notes[0].tuning, 200 - 30 + 3);
  EXPECT_EQ(notes[0].attenuation, 130);

  // Without sample data the same zones are found and nothing is loaded.
  ASSERT_EQ(load(write_sf2(layered_file()), false), 0);
  EXPECT_TRUE(font.data.empty());
  EXPECT_EQ(find_soundfont_notes(font, font.presets[0], 40, 100, notes, 4), 1);
}

TEST_F(SoundfontFileTest, OverlappingZonesAllPlayUpToTheLimit) {
  sf2_file file = layered_file();
  file.instruments[0].push_back({{53, 0}});
  file.instruments[0].push_back({{53, 1}});
  ASSERT_EQ(load(write_sf2(file)), 0);
  soundfont_note notes[4];
  EXPECT_EQ(find_soundfont_notes(font, font.presets[0], 70, 100, notes, 4), 3);
  EXPECT_EQ(find_soundfont_notes(font, font.presets[0], 70, 100, notes, 2), 2);
}

TEST_F(SoundfontFileTest, PresetFallBacksKeepMelodicAndPercussionApart) {
  sf2_file file = layered_file();
  file.presets.push_back({8, 9, {{{41, 0}}}});
  ASSERT_EQ(load(write_sf2(file)), 0);
  EXPECT_EQ(find_soundfont_preset(font, 0, 5), &font.presets[0]);
  EXPECT_EQ(find_soundfont_preset(font, 0, 9), &font.presets[2]);    // same program, bank 8
  EXPECT_EQ(find_soundfont_preset(font, 0, 40), &font.presets[0]);   // the first melodic one
  EXPECT_EQ(find_soundfont_preset(font, 128, 30), &font.presets[1]);  // the only kit
}

TEST_F(SoundfontFileTest, EveryTruncationFailsCleanly) {
  const std::string whole = write_sf2(layered_file());
  for (size_t length = 0; length < whole.size(); ++length) {
    error_text[0] = '\0';
    ASSERT_EQ(load(whole.substr(0, length)), -1) << "length " << length;
    EXPECT_TRUE(font.presets.empty() && font.data.empty());
    const std::string why = error_text;
    EXPECT_TRUE(why == "Truncated SoundFont file" || why == "Not a SoundFont file" ||
                why == "Corrupt SoundFont file")
        << "length " << length << ": " << why;
  }
  EXPECT_EQ(load(std::string("RIFF\4\0\0\0sfbx", 12)), -1);
  EXPECT_STREQ(error_text, "Not a SoundFont file");
}

TEST_F(SoundfontFileTest, OutOfBoundsReferencesAreDroppedOrRefused) {
  // A sample that ends beyond the data, an instrument zone naming a missing sample, a preset zone
  // naming a missing instrument: those zones go, the rest stays.
  sf2_file file = layered_file();
  file.instruments[0].push_back({{53, 7}});
  file.presets[0].zones.push_back({{41, 9}});
  std::string bytes = write_sf2(file);
  const size_t shdr = bytes.find("shdr") + 8;
  bytes[shdr + 46 + 24 + 2] = '\x7f';  // the second sample's end far past the data
  ASSERT_EQ(load(bytes), 0) << error_text;
  EXPECT_EQ(font.presets[0].zones.size(), 1u);
  soundfont_note notes[4];
  EXPECT_EQ(find_soundfont_notes(font, font.presets[0], 70, 100, notes, 4), 0);
  EXPECT_EQ(find_soundfont_notes(font, font.presets[0], 40, 100, notes, 4), 1);

  // A bag whose generator index runs past the generators is a corrupt file.
  bytes = write_sf2(layered_file());
  const size_t ibag = bytes.find("ibag") + 8;
  bytes[ibag + 4 * 2 + 1] = '\x40';
  EXPECT_EQ(load(bytes), -1);
  EXPECT_STREQ(error_text, "Corrupt SoundFont file");

  // A chunk that claims four gigabytes inside a small file is refused before anything is read.
  bytes = write_sf2(layered_file());
  const size_t pgen = bytes.find("pgen") + 4;
  bytes.replace(pgen, 4, "\xf0\xff\xff\xff");
  EXPECT_EQ(load(bytes), -1);
  EXPECT_STREQ(error_text, "Corrupt SoundFont file");
}

}  // namespace
