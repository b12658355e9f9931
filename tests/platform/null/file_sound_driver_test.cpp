// The file sound output driver: the WAV file holds exactly what the offline driver plays for the
// same program, the file is named by the configuration, the environment or the default, the
// header follows the output format, the output comes in real time and no faster, and failures to
// write are reported at install or end the recording without ending the sound. Run on the
// fallback driver lists, which offer the drivers that need no device by id only.
#include <gtest/gtest.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "corvane/config.h"
#include "corvane/file_sound.h"
#include "corvane/sound.h"
#include "file/file_io.h"
#include "support/env_guard.h"
#include "support/sound_output_support.h"
#include "support/test_system.h"

namespace {

using namespace corvane::testing;

uint32_t le(const std::string &bytes, size_t at, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) {
    value = (value << 8) | static_cast<uint8_t>(bytes[at + static_cast<size_t>(i)]);
  }
  return value;
}

struct wav_file {
  int channels = 0;
  int rate = 0;
  int bits = 0;
  uint32_t byte_rate = 0;
  uint32_t block_align = 0;
  uint32_t riff_size = 0;
  uint32_t data_size = 0;
  std::string data;
};

// Reads a canonical 44-byte-header PCM WAV file; fails the test when the header is not one.
wav_file read_wav(const std::string &path) {
  const std::string bytes = read_file(path);
  wav_file w;
  EXPECT_GE(bytes.size(), 44u);
  if (bytes.size() < 44) return w;
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(le(bytes, 16, 4), 16u);
  EXPECT_EQ(le(bytes, 20, 2), 1u);
  EXPECT_EQ(bytes.substr(36, 4), "data");
  w.riff_size = le(bytes, 4, 4);
  w.channels = static_cast<int>(le(bytes, 22, 2));
  w.rate = static_cast<int>(le(bytes, 24, 4));
  w.byte_rate = le(bytes, 28, 4);
  w.block_align = le(bytes, 32, 2);
  w.bits = static_cast<int>(le(bytes, 34, 2));
  w.data_size = le(bytes, 40, 4);
  w.data = bytes.substr(44);
  return w;
}

std::vector<int16_t> words_of(const std::string &data) {
  std::vector<int16_t> words(data.size() / 2);
  for (size_t i = 0; i < words.size(); ++i) {
    words[i] = static_cast<int16_t>(le(data, 2 * i, 2));
  }
  return words;
}

class FileSoundDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(start_with_test_system(), 0);
    give_test_system_mutexes();
    the_test_system().driver.list_digi_drivers = nullptr;  // the fallback lists
  }
  void TearDown() override {
    free_sample(spl);
    shutdown_corvane();
  }
  void use_file(const std::string &path) {
    config = "[sound]\nsound_file = " + path + "\n";
    use_config_data(config.c_str(), static_cast<int>(config.size()));
  }

  scoped_work_dir dir;
  env_guard variable{"CORVANE_SOUND_FILE", nullptr};
  std::string config;
  sample *spl = nullptr;
};

TEST_F(FileSoundDriverTest, WavHoldsWhatTheOfflineDriverPlays) {
  // Nothing of the fallback list is autodetected.
  ASSERT_EQ(install_sound(DIGI_AUTODETECT, MIDI_NONE), 0);
  EXPECT_EQ(current_digi_driver, &digi_none_driver);
  remove_sound();

  spl = make_noise_sample(2205);
  const std::vector<int16_t> expected = offline_output(spl, 230, 40, 1000, 0, 2205 + 3000);
  use_file(dir.file("played.wav"));
  ASSERT_EQ(install_sound(DIGI_FILE, MIDI_NONE), 0);
  EXPECT_STREQ(current_digi_driver->description,
               ("WAV file " + dir.file("played.wav") + ", 16 bits, 44100 bps, stereo").c_str());
  const int voice = start_sample(spl, 230, 40, 1000, 0);
  ASSERT_TRUE(wait_until_ended(voice));
  // Silence goes on after the sample: wait for a few more blocks in the file.
  const size_t ended_at = read_file(dir.file("played.wav")).size();
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (read_file(dir.file("played.wav")).size() < ended_at + 4 * FILE_BLOCK_FRAMES * 4 &&
         std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  remove_sound();

  const wav_file w = read_wav(dir.file("played.wav"));
  EXPECT_EQ(w.channels, 2);
  EXPECT_EQ(w.rate, 44100);
  EXPECT_EQ(w.bits, 16);
  EXPECT_EQ(w.byte_rate, 44100u * 4);
  EXPECT_EQ(w.block_align, 4u);
  EXPECT_EQ(w.data_size, w.data.size());
  EXPECT_EQ(w.riff_size, w.data.size() + 36);
  EXPECT_EQ(w.data.size() % (FILE_BLOCK_FRAMES * 4), 0u);
  // The sample starts with a block, and from there the file is the offline driver's output.
  const long at = find_frames(words_of(w.data), expected);
  ASSERT_GE(at, 0) << "the offline driver's output is not in the file";
  EXPECT_EQ(at % FILE_BLOCK_FRAMES, 0);
}

TEST_F(FileSoundDriverTest, NameFromTheConfigurationTheEnvironmentOrTheDefault) {
  const char config_8bit[] = "[sound]\nsound_bits = 8\nsound_stereo = 0\nsound_freq = 22050\n";
  use_config_data(config_8bit, sizeof config_8bit - 1);
  ASSERT_EQ(install_sound(DIGI_FILE, MIDI_NONE), 0);
  EXPECT_STREQ(current_digi_driver->description, "WAV file corvane.wav, 8 bits, 22050 bps, mono");
  EXPECT_EQ(sound_bits, 8);
  EXPECT_EQ(sound_stereo, 0);
  remove_sound();
  const wav_file w = read_wav(dir.file("corvane.wav"));
  EXPECT_EQ(w.channels, 1);
  EXPECT_EQ(w.rate, 22050);
  EXPECT_EQ(w.bits, 8);
  EXPECT_EQ(w.byte_rate, 22050u);
  ASSERT_FALSE(w.data.empty());
  EXPECT_EQ(w.data, std::string(w.data.size(), '\x80'));  // 8-bit WAV data is unsigned

  variable.set(dir.file("from-environment.wav").c_str());
  ASSERT_EQ(install_sound(DIGI_FILE, MIDI_NONE), 0);
  remove_sound();
  EXPECT_TRUE(file_exists_on_disk(dir.file("from-environment.wav")));

  use_file(dir.file("from-config.wav"));  // the configuration wins
  ASSERT_EQ(install_sound(DIGI_FILE, MIDI_NONE), 0);
  remove_sound();
  EXPECT_TRUE(file_exists_on_disk(dir.file("from-config.wav")));
}

TEST_F(FileSoundDriverTest, OutputComesInRealTimeNotFaster) {
  use_file(dir.file("timed.wav"));
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(install_sound(DIGI_FILE, MIDI_NONE), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  remove_sound();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const wav_file w = read_wav(dir.file("timed.wav"));
  const double frames = static_cast<double>(w.data.size()) / 4;
  EXPECT_GE(frames, FILE_BLOCK_FRAMES);
  // At most the time that passed, and the block mixed ahead.
  EXPECT_LE(frames, seconds * 44100 + FILE_BLOCK_FRAMES);
}

TEST_F(FileSoundDriverTest, FileThatCannotBeCreatedFailsTheInstall) {
  const std::string path = dir.file("no-such-directory/out.wav");
  use_file(path);
  EXPECT_EQ(install_sound(DIGI_FILE, MIDI_NONE), -1);
  EXPECT_EQ(std::string(error_text), "Cannot create the sound file " + path);
  EXPECT_EQ(get_error_number(), ENOENT);
  EXPECT_EQ(current_digi_driver, &digi_none_driver);
  EXPECT_EQ(sound_installed, 0);
}

// A disk that fills up at a given size: writing beyond it fails, writing over what is there works.
std::atomic<off_t> disk_space{0};
ssize_t write_to_small_disk(int fd, const void *buffer, size_t count) {
  const off_t at = corvane::system_file_io().lseek(fd, 0, SEEK_CUR);
  if (at < 0 || at + static_cast<off_t>(count) > disk_space.load()) {
    errno = ENOSPC;
    return -1;
  }
  return corvane::system_file_io().write(fd, buffer, count);
}

TEST_F(FileSoundDriverTest, WriteFailureEndsTheRecordingButNotTheSound) {
  use_file(dir.file("full.wav"));
  disk_space = 44 + 3 * FILE_BLOCK_FRAMES * 4;  // the header and three blocks
  corvane::file_io.write = write_to_small_disk;
  spl = make_noise_sample(11025);
  ASSERT_EQ(install_sound(DIGI_FILE, MIDI_NONE), 0);
  const int voice = start_sample(spl, 255, 128, 1000, 0);
  EXPECT_TRUE(wait_until_ended(voice));  // the voice plays on to its end
  remove_sound();
  corvane::file_io = corvane::system_file_io();
  const wav_file w = read_wav(dir.file("full.wav"));
  EXPECT_EQ(w.data.size(), 3u * FILE_BLOCK_FRAMES * 4);
  EXPECT_EQ(w.data_size, w.data.size());  // the header tells what made it to the file
}

}  // namespace
