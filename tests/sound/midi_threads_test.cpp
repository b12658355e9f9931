// The MIDI player on a timer thread while the program sends raw bytes, pauses, resumes, seeks and
// restarts it. Under the thread sanitizer this shows that the player's state is shared without
// data races; without it, that nothing deadlocks and the notes keep coming.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "corvane/midi.h"
#include "support/manual_timer.h"
#include "support/midi_test_support.h"

namespace {

using namespace midi_test;

class MidiThreadsTest : public midi_test {};

TEST_F(MidiThreadsTest, ProgramCallsWhileTheTimerThreadPlays) {
  ASSERT_EQ(install_recording_driver(NOTE_DRIVER_ID, 4), 0);
  track_writer t;
  for (int i = 0; i < 64; ++i) {
    t.event(3, {0x90, static_cast<unsigned char>(36 + i % 48), 90});
    t.event(2, {0x80, static_cast<unsigned char>(36 + i % 48), 0});
    t.event(0, {0xB0, 7, static_cast<unsigned char>(i)});
  }
  midi_piece *piece = load(midi_file(4, {t.end().data}));
  ASSERT_NE(piece, nullptr);
  ASSERT_EQ(play_midi_piece(piece, 1), 0);
  static std::atomic<int> hooked{0};
  midi_message_hook = [](int, int, int) { hooked.fetch_add(1); };
  {
    const corvane::testing::background_ticker ticker(60000);
    const unsigned char chord[] = {0x91, 60, 100, 0x91, 64, 100, 0x81, 60, 0, 0x81, 64, 0};
    for (int round = 0; round < 200; ++round) {
      send_midi_bytes(chord, sizeof chord);
      if (round % 20 == 5) {
        pause_midi();
        resume_midi();
      }
      if (round % 50 == 10) {
        EXPECT_GE(seek_midi(round % 7 + 1), 0);
      }
      if (round % 60 == 30) {
        ASSERT_EQ(play_midi_loop(piece, 2, 9), 0);
      }
      std::this_thread::yield();
    }
    while (ticker.beats() < 50) std::this_thread::yield();
  }
  stop_midi_piece();
  EXPECT_LT(midi_beat, 0);
  EXPECT_GT(hooked.load(), 0);
  EXPECT_FALSE(the_recording().notes.empty());
}

}  // namespace
