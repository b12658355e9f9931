// Sound drivers of the tests' own: a digital driver 'TDIG' that plays nothing but records what it
// is told (and has no ramps, so the library steps them with its timer), a MIDI driver 'TMID' whose
// voice counts a test chooses, and the start-up that lists them beside the offline driver.
#ifndef CORVANE_TESTS_SUPPORT_TEST_SOUND_DRIVERS_H
#define CORVANE_TESTS_SUPPORT_TEST_SOUND_DRIVERS_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "corvane/sound.h"

namespace corvane::testing {

inline constexpr int TEST_DIGI_ID = CORVANE_ID('T', 'D', 'I', 'G');
inline constexpr int TEST_MIDI_ID = CORVANE_ID('T', 'M', 'I', 'D');

struct test_digi {
  digi_driver_record driver{};
  int probe_result = -1;
  int open_result = 0;
  const char *open_error = nullptr;  // written to error_text by a failing open
  int opened_voices = -1;            // the voices open was asked for; -1 before open
  int open_calls = 0;
  int close_calls = 0;
  // Per physical voice: what the driver last heard, and the position read_position answers.
  int position[PHYSICAL_VOICE_COUNT] = {};
  int volume[PHYSICAL_VOICE_COUNT] = {};
  int frequency[PHYSICAL_VOICE_COUNT] = {};
  int pan[PHYSICAL_VOICE_COUNT] = {};
  std::vector<std::string> calls;  // "bind 3", "halt 3", "volume 3 128", ...
};

struct test_midi {
  midi_driver_record driver{};
  int probe_result = -1;
  int open_result = 0;
  int opened_voices = -1;
  int close_calls = 0;
};

test_digi &the_test_digi();
test_midi &the_test_midi();

// Fresh records: 'TDIG' with a voice limit of 64 and 8 default voices that opens with voice_count
// equal to its limit; 'TMID' with limit 16 and no default voices.
void reset_test_sound_drivers();

// Starts the library with the test system (mutexes included, the manual timer as its timer), with
// the digital list 'TDIG', then the offline driver 'OFFL' (not autodetected), and the MIDI list
// 'TMID'. Returns start-up's result.
int start_with_test_sound();

// Puts every public sound setting back to its start value (so that tests sharing a process do not
// see each other's), and forgets any MIDI hook.
void reset_sound_settings();

// A fixture that starts the library with the test sound drivers and shuts it down afterwards.
class sound_test : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_sound_settings();
    ASSERT_EQ(start_with_test_sound(), 0);
  }
  void TearDown() override { shutdown_corvane(); }
};

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_SUPPORT_TEST_SOUND_DRIVERS_H
