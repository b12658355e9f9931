// The MIDI player against the recording drivers: the exact byte stream (patch map, default pans,
// events played together), note operations on voices (velocity 0, repeated note-ons, bends, drums,
// volume, waiting notes, stealing), tempo, beats of a stopped piece, seeking, loops, a piece's
// length, and tracks whose data end inside an event.
#include <gtest/gtest.h>

#include <algorithm>

#include "corvane/config.h"
#include "corvane/midi.h"
#include "corvane/timer.h"
#include "sound/midi_internal.h"
#include "support/manual_timer.h"
#include "support/midi_test_support.h"

namespace {

using namespace midi_test;
using corvane::testing::advance_ticks;

constexpr int START_TICKS = 20 * 1193;  // the player's first tick after play
constexpr int DIVISIONS = 96;
constexpr int TICKS_PER_UNIT = 596590 / DIVISIONS;  // 120 beats a minute
constexpr int BEAT_TICKS = DIVISIONS * TICKS_PER_UNIT;

// A track with one short note at the start of each of the given beats, ending at the last beat.
bytes notes_on_beats(int beats) {
  track_writer t;
  for (int b = 0; b < beats; ++b) {
    t.event(b == 0 ? 0 : DIVISIONS - 1, {0x90, static_cast<unsigned char>(40 + b), 100});
    t.event(1, {0x80, static_cast<unsigned char>(40 + b), 0});
  }
  return t.end(DIVISIONS - 1).data;
}

class MidiPlayerTest : public midi_test {};

TEST_F(MidiPlayerTest, PatchMapSendsBankProgramAndTransposeOnMelodicChannelsOnly) {
  // p2 has three arguments: the default entry.
  const char config[] = "[midimap]\np1 = 0 0 5 -12\np2 = 1 2 3\n";
  use_config_data(config, sizeof config - 1);
  ASSERT_EQ(install_recording_driver(BYTE_DRIVER_ID), 0);
  midi_piece *piece = load(midi_file(DIVISIONS, {track_writer()
                                                     .event(0, {0xC0, 0})
                                                     .event(0, {0x90, 60, 100})
                                                     .event(0, {0xC1, 1})
                                                     .event(0, {0x91, 60, 100})
                                                     .event(0, {0x99, 60, 100})
                                                     .end(DIVISIONS)
                                                     .data}));
  ASSERT_NE(piece, nullptr);
  ASSERT_EQ(play_midi_piece(piece, 0), 0);
  the_recording().sent.clear();
  advance_ticks(START_TICKS);
  const bytes want = {0xB0, 0, 0,   0xB0, 32, 0,   0xC0, 5,    0xB0, 7,   127, 0x90, 48, 100,
                      0xC1, 1, 0xB1, 7,   127, 0x91, 60, 100, 0x99, 60, 100};
  EXPECT_EQ(the_recording().sent, want);
}

TEST_F(MidiPlayerTest, StartingAPieceSetsTheDefaultPans) {
  ASSERT_EQ(install_recording_driver(BYTE_DRIVER_ID), 0);
  midi_piece *piece = load(midi_file(DIVISIONS, {track_writer().end(DIVISIONS).data}));
  ASSERT_EQ(play_midi_piece(piece, 0), 0);
  std::vector<int> pans;
  const bytes &s = the_recording().sent;
  for (size_t i = 0; i + 2 < s.size(); ++i) {
    if ((s[i] & 0xF0) == 0xB0 && s[i + 1] == 10) {
      EXPECT_EQ(s[i] & 0x0F, static_cast<int>(pans.size()));
      pans.push_back(s[i + 2]);
      i += 2;
    }
  }
  ASSERT_EQ(pans.size(), 16u);
  EXPECT_EQ(std::vector<int>(pans.begin(), pans.begin() + 6),
            (std::vector<int>{68, 104, 24, 60, 104, 24}));
}

TEST_F(MidiPlayerTest, EventsCloserThanTheShortestGapPlayInOneTick) {
  ASSERT_EQ(install_recording_driver(BYTE_DRIVER_ID), 0);
  midi_piece *piece = load(midi_file(DIVISIONS, {track_writer()
                                                     .event(0, {0x90, 60, 1})
                                                     .event(1, {0x90, 62, 2})
                                                     .event(1, {0x90, 64, 3})
                                                     .end(DIVISIONS)
                                                     .data}));
  ASSERT_EQ(play_midi_piece(piece, 0), 0);
  advance_ticks(START_TICKS);
  the_recording().sent.clear();
  advance_ticks(29829 - 1);
  EXPECT_TRUE(the_recording().sent.empty());
  advance_ticks(1);
  EXPECT_EQ(the_recording().sent, (bytes{0x90, 62, 2, 0x90, 64, 3}));
}

TEST_F(MidiPlayerTest, TempoEventSetsTicksPerUnitAndTiming) {
  ASSERT_EQ(install_recording_driver(BYTE_DRIVER_ID), 0);
  // 500000 microseconds a beat at 96 units: 500 x 1193 / 96 = 6213 ticks a unit.
  midi_piece *piece = load(midi_file(DIVISIONS, {track_writer()
                                                     .event(0, {0xFF, 0x51, 3, 0x07, 0xA1, 0x20})
                                                     .event(100, {0x90, 60, 1})
                                                     .end(DIVISIONS)
                                                     .data}));
  ASSERT_EQ(play_midi_piece(piece, 0), 0);
  advance_ticks(START_TICKS);
  EXPECT_EQ(corvane::player.ticks_per_unit, 6213);
  the_recording().sent.clear();
  advance_ticks(100 * 6213 - 1);
  EXPECT_TRUE(the_recording().sent.empty());
  advance_ticks(1);
  EXPECT_EQ(the_recording().sent, (bytes{0x90, 60, 1}));
}

TEST_F(MidiPlayerTest, PatchesOfThePieceArePreparedOnceAllPatchesAreLoaded) {
  ASSERT_EQ(install_recording_driver(BYTE_DRIVER_ID), 0);
  midi_piece *piece = load(midi_file(DIVISIONS, {track_writer()
                                                     .event(0, {0xC3, 17})
                                                     .event(0, {0x99, 38, 0})
                                                     .event(0, {0x93, 38, 90})
                                                     .end(1)
                                                     .data}));
  ASSERT_EQ(play_midi_piece(piece, 0), 0);
  recording &r = the_recording();
  EXPECT_EQ(r.prepare_calls, 1);
  for (int i = 0; i < 128; ++i) {
    EXPECT_EQ(r.patches[i] != 0, i == 0 || i == 17) << "program " << i;
    EXPECT_EQ(r.drums[i] != 0, i == 38) << "drum " << i;
  }
  r.prepare_result = -1;
  EXPECT_EQ(play_midi_piece(piece, 0), -1);
  load_all_patches();
  EXPECT_TRUE(std::all_of(r.patches, r.patches + 128, [](char c) { return c != 0; }));
  EXPECT_EQ(play_midi_piece(piece, 0), 0);  // no further preparation asked for
  EXPECT_EQ(r.prepare_calls, 3);
}

TEST_F(MidiPlayerTest, StoppedPieceKeepsMinusTheBeatItReached) {
  ASSERT_EQ(install_recording_driver(BYTE_DRIVER_ID), 0);
  EXPECT_EQ(midi_beat, -1);
  midi_piece *piece = load(midi_file(DIVISIONS, {notes_on_beats(8)}));
  ASSERT_EQ(play_midi_piece(piece, 0), 0);
  stop_midi_piece();
  EXPECT_EQ(midi_beat, -1);  // stopped at beat 0
  ASSERT_EQ(play_midi_piece(piece, 0), 0);
  advance_ticks(START_TICKS + 2 * BEAT_TICKS);
  const int reached = midi_beat;
  ASSERT_EQ(reached, 3);  // beat 1 starts with the first tick
  stop_midi_piece();
  EXPECT_EQ(midi_beat, -reached);
  stop_midi_piece();
  EXPECT_EQ(midi_beat, -reached);
}

TEST_F(MidiPlayerTest, SeekAnswersReachedEndedOrRestarted) {
  ASSERT_EQ(install_recording_driver(BYTE_DRIVER_ID), 0);
  EXPECT_EQ(seek_midi(3), -1);
  midi_piece *piece = load(midi_file(DIVISIONS, {notes_on_beats(8)}));
  ASSERT_EQ(play_midi_piece(piece, 0), 0);
  the_recording().sent.clear();
  EXPECT_EQ(seek_midi(5), 0);
  EXPECT_EQ(midi_beat, 4);  // the next tick reaches beat 5 and plays its note
  const bool note_heard = std::find(the_recording().sent.begin(), the_recording().sent.end(),
                                    0x90) != the_recording().sent.end();
  EXPECT_FALSE(note_heard) << "a seek plays silently";
  the_recording().sent.clear();
  advance_ticks(START_TICKS);
  EXPECT_EQ(midi_beat, 5);
  EXPECT_EQ(the_recording().sent, (bytes{0x90, 44, 100}));
  EXPECT_EQ(seek_midi(2), 0);  // backwards: from the start again
  EXPECT_EQ(midi_beat, 1);

  EXPECT_EQ(seek_midi(100), 1);
  EXPECT_LT(midi_beat, 0);
  ASSERT_EQ(play_midi_piece(piece, 1), 0);
  EXPECT_EQ(seek_midi(100), 2);
  EXPECT_EQ(midi_beat, 0);
  advance_ticks(START_TICKS);
  EXPECT_EQ(midi_beat, 1);
}

TEST_F(MidiPlayerTest, LoopPlaysBetweenItsBeats) {
  ASSERT_EQ(install_recording_driver(BYTE_DRIVER_ID), 0);
  midi_piece *piece = load(midi_file(DIVISIONS, {notes_on_beats(10)}));
  ASSERT_EQ(play_midi_loop(piece, 3, 6), 0);
  EXPECT_EQ(midi_loop_start, 3);
  EXPECT_EQ(midi_loop_end, 6);
  int highest = 0;
  std::vector<int> after_loop;
  int previous = 0;
  for (int step = 0; step < 40 * BEAT_TICKS / 29829; ++step) {
    advance_ticks(29829);
    highest = std::max(highest, midi_beat);
    if (midi_beat < previous) after_loop.push_back(midi_beat);
    previous = midi_beat;
  }
  EXPECT_EQ(highest, 5);
  ASSERT_GE(after_loop.size(), 5u);
  for (const int beat : after_loop) EXPECT_EQ(beat, 3);
}

TEST_F(MidiPlayerTest, DurationOfAPieceOfKnownLength) {
  ASSERT_EQ(install_recording_driver(BYTE_DRIVER_ID), 0);
  // 61 beats at 120 a minute: 61 x 596544 timer ticks, 30.5 seconds.
  midi_piece *piece = load(midi_file(DIVISIONS, {notes_on_beats(61)}));
  EXPECT_EQ(midi_duration(piece), 30);
  EXPECT_LT(midi_beat, 0);
}

TEST_F(MidiPlayerTest, FreeingThePlayingPieceStopsThePlayer) {
  ASSERT_EQ(install_recording_driver(BYTE_DRIVER_ID), 0);
  EXPECT_EQ(load_midi_piece(nullptr), nullptr);
  write_file(dir.file("p.mid"), midi_file(DIVISIONS, {notes_on_beats(8)}));
  midi_piece *piece = load_midi_piece(dir.file("p.mid").c_str());
  ASSERT_NE(piece, nullptr);
  ASSERT_EQ(play_midi_piece(piece, 1), 0);
  advance_ticks(START_TICKS + BEAT_TICKS);
  free_midi_piece(piece);
  EXPECT_EQ(midi_beat, -2);
  the_recording().sent.clear();
  advance_ticks(4 * BEAT_TICKS);  // no tick reads the freed tracks
  EXPECT_TRUE(the_recording().sent.empty());
}

TEST_F(MidiPlayerTest, TracksEndWhereTheirDataEnd) {
  ASSERT_EQ(install_recording_driver(BYTE_DRIVER_ID), 0);
  static int sysex_calls = 0;
  static int meta_calls = 0;
  sysex_calls = meta_calls = 0;
  midi_sysex_hook = [](const unsigned char *, int) { ++sysex_calls; };
  midi_meta_hook = [](int, const unsigned char *, int) { ++meta_calls; };
  // No end-of-track event; a system-exclusive block longer than the track; a delta cut
  // short; a meta event whose length runs past the end; a note cut short.
  midi_piece *piece = load(midi_file(
      DIVISIONS, {track_writer().event(0, {0x90, 60, 100}).event(DIVISIONS, {0x80, 60, 0}).data,
                  track_writer().event(0, {0xF0, 0x7F, 1, 2}).data,
                  bytes{0x00, 0x90, 61, 100, 0x81},
                  track_writer().event(0, {0xFF, 0x01, 0x20, 'a'}).data,
                  track_writer().event(0, {0x90, 62}).data}));
  ASSERT_NE(piece, nullptr);
  ASSERT_EQ(play_midi_piece(piece, 0), 0);
  advance_ticks(START_TICKS);
  const bytes first = the_recording().sent;
  EXPECT_EQ(sysex_calls, 0);
  EXPECT_EQ(meta_calls, 0);
  advance_ticks(BEAT_TICKS);
  EXPECT_LT(midi_beat, 0) << "every track ended, so the piece stopped";
  const bytes &s = the_recording().sent;
  const bytes note_off = {0x80, 60, 0};
  EXPECT_NE(std::search(s.begin(), s.end(), note_off.begin(), note_off.end()), s.end());
  EXPECT_EQ(std::count(first.begin(), first.end(), 0x90), 2) << "notes 60 and 61 only";
}

// ---- Note operations on voices ----

class MidiVoicesTest : public midi_test {
 protected:
  // Channels 1, 2 and 10 with their controls reset (pans 68, 104 and 60).
  static void reset_controls() { send({0xB0, 121, 0, 0xB1, 121, 0, 0xB9, 121, 0}); }
  static void send(const bytes &b) { send_midi_bytes(b.data(), static_cast<int>(b.size())); }
  std::vector<std::string> &notes() { return the_recording().notes; }
};

TEST_F(MidiVoicesTest, VelocityZeroAndRepeatedNoteOnsEndTheNote) {
  ASSERT_EQ(install_recording_driver(NOTE_DRIVER_ID), 0);
  reset_controls();
  send({0x90, 60, 100, 0x90, 60, 0, 0x90, 60, 100, 0x90, 60, 100, 0x90, 60, 100});
  // A freed voice goes to the back of the queue: the next note takes one that ended longer ago.
  EXPECT_EQ(notes(), (std::vector<std::string>{"start 0 60 0 100 68 -> 0", "end 0",
                                               "start 0 60 0 100 68 -> 1", "end 1",
                                               "start 0 60 0 100 68 -> 2"}));
}

TEST_F(MidiVoicesTest, BendDrumsAndChannelVolumeReachTheVoices) {
  ASSERT_EQ(install_recording_driver(NOTE_DRIVER_ID), 0);
  reset_controls();
  send({0xE0, 0x00, 0x30});  // 6144: a semitone down, then 2048 of 4096 back up
  send({0xC0, 5, 0x90, 64, 80, 0x99, 38, 127});  // melodic note 64, drum 38
  send({0xB0, 7, 63, 0xE0, 0x00, 0x40, 0xE9, 0, 0});
  EXPECT_EQ(notes(), (std::vector<std::string>{"start 5 63 2048 80 68 -> 0",
                                               "start 166 60 0 127 60 -> 1", "volume 0 40",
                                               "pitch 0 64 0"}));
  notes().clear();
  set_sound_volume(-1, 128);  // the MIDI volume halves loudness
  send({0x91, 70, 100});
  // The note, then every sounding voice's volume under the new master.
  EXPECT_EQ(notes(), (std::vector<std::string>{"start 0 70 0 50 104 -> 2", "volume 0 20",
                                               "volume 2 50", "volume 1 63"}));
}

TEST_F(MidiVoicesTest, NotesWaitForAVoiceWithinATickAndDrumsStealTheOldest) {
  ASSERT_EQ(install_recording_driver(NOTE_DRIVER_ID, 2), 0);
  midi_piece *piece = load(midi_file(DIVISIONS, {track_writer()
                                                     .event(0, {0x90, 60, 100})
                                                     .event(0, {0x90, 62, 100})
                                                     .event(0, {0x90, 64, 100})
                                                     .event(0, {0x80, 60, 0})
                                                     .end(DIVISIONS)
                                                     .data}));
  ASSERT_EQ(play_midi_piece(piece, 0), 0);
  notes().clear();
  advance_ticks(START_TICKS);
  EXPECT_EQ(notes(),
            (std::vector<std::string>{"start 0 60 0 100 68 -> 0", "start 0 62 0 100 68 -> 1",
                                      "end 0", "start 0 64 0 100 68 -> 0"}));
  stop_midi_piece();
  notes().clear();
  send({0x99, 36, 100});
  send({0x99, 38, 100});
  send({0x99, 40, 100});
  EXPECT_EQ(notes(), (std::vector<std::string>{"start 164 60 0 100 60 -> 0",
                                               "start 166 60 0 100 60 -> 1", "end 0",
                                               "start 168 60 0 100 60 -> 0"}));
}

}  // namespace
