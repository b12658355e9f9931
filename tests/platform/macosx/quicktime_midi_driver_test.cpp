// 'QTM ' on the stand-in note allocator: sixteen note channels made at open, the MIDI player
// driving a small piece into exactly the expected allocator calls (instruments, drums, notes,
// controllers, balance) with repeated values left out, volume stopping at the first error, and
// every failure closing what was opened.
#include "corvane/config.h"
#include "corvane/midi.h"
#include "corvane/sound.h"
#include "corvane/system.h"
#include "platform/macosx/sound/macosx_audio_drivers.h"
#include "standin/quicktime.h"
#include "support/manual_timer.h"
#include "support/midi_test_support.h"

namespace {

using namespace corvane::macosx;
using namespace midi_test;
using standin::quicktime_call;

class QuickTimeMidiTest : public midi_test::midi_test {
 protected:
  void SetUp() override {
    standin::quicktime_reset();
    midi_test::midi_test::SetUp();
    corvane::testing::the_test_system().midi_drivers = default_midi_driver_list;
    use_config_data("[sound]\n", 8);
  }
};

TEST_F(QuickTimeMidiTest, OpenMakesSixteenChannelsAndCloseDisposesThem) {
  ASSERT_EQ(install_sound(DIGI_NONE, MIDI_QUICKTIME), 0) << error_text;
  EXPECT_STREQ(current_midi_driver->description, "QuickTime Music MIDI synthesizer");
  EXPECT_EQ(standin::quicktime_channels_open(), 16);
  const standin::note_request_seen request = standin::quicktime_last_request();
  EXPECT_EQ(request.polyphony, 8);
  EXPECT_EQ(request.typical_polyphony, 0x10000);
  EXPECT_EQ(request.gm_number, 1);
  EXPECT_EQ(probe_midi_driver(MIDI_QUICKTIME), 0);  // installed: probes answer nothing

  standin::quicktime_clear_calls();
  EXPECT_EQ(current_midi_driver->set_hw_volume(100), 0);
  const std::vector<std::string> calls = standin::quicktime_calls();
  ASSERT_EQ(calls.size(), 16u);
  EXPECT_EQ(calls[0], "NASetNoteChannelVolume 1 25600");
  EXPECT_EQ(calls[15], "NASetNoteChannelVolume 16 25600");

  standin::quicktime_fail(quicktime_call::set_volume, -1, 16 + 3, true);
  standin::quicktime_clear_calls();
  EXPECT_EQ(current_midi_driver->set_hw_volume(100), -1);
  EXPECT_EQ(standin::quicktime_calls().size(), 3u);

  remove_sound();
  EXPECT_EQ(standin::quicktime_channels_open(), 0);
  EXPECT_EQ(standin::quicktime_components_open(), 0);
}

TEST_F(QuickTimeMidiTest, ThePlayerDrivesTheNoteAllocator) {
  ASSERT_EQ(install_sound(DIGI_NONE, MIDI_QUICKTIME), 0) << error_text;
  midi_piece *piece = load(midi_file(96, {track_writer()
                                              .event(0, {0xC0, 5})
                                              .event(0, {0x90, 60, 100})
                                              .event(10, {0xE0, 0x00, 0x50})
                                              .event(10, {0x80, 60, 0})
                                              .event(0, {0x90, 62, 90})
                                              .event(10, {0x99, 36, 127})
                                              .event(10, {0x80, 62, 0})
                                              .event(0, {0x89, 36, 0})
                                              .event(10, {0x90, 64, 80})
                                              .event(10, {0xB0, 7, 100})
                                              .event(5, {0xB0, 7, 100})   // the same again
                                              .event(5, {0xE0, 0x00, 0x50})  // and the same bend
                                              .event(10, {0x80, 64, 0})
                                              .end(96)
                                              .data}));
  ASSERT_NE(piece, nullptr);
  ASSERT_EQ(play_midi_piece(piece, 0), 0);
  standin::quicktime_clear_calls();
  corvane::testing::advance_ms(2000);
  // Program 5 is QuickTime instrument 6, drums the drum kit; the channels' default pans (68 and,
  // for drums, 60) are balances of -59 and -67; the bend of 0x2800 is 2048 above the centre.
  EXPECT_EQ(standin::quicktime_calls(),
            (std::vector<std::string>{
                "NASetInstrumentNumber 1 6", "NAPlayNote 1 60 100", "NASetController 1 32 0",
                "NASetNoteChannelBalance 1 -59", "NASetController 1 32 64", "NAPlayNote 1 60 0",
                "NASetInstrumentNumber 2 6", "NAPlayNote 2 62 90", "NASetController 2 32 64",
                "NASetNoteChannelBalance 2 -59", "NASetInstrumentNumber 3 16385",
                "NAPlayNote 3 36 127", "NASetController 3 32 0", "NASetNoteChannelBalance 3 -67",
                "NAPlayNote 2 62 0", "NAPlayNote 3 36 0", "NASetInstrumentNumber 4 6",
                "NAPlayNote 4 64 80", "NASetController 4 32 64", "NASetNoteChannelBalance 4 -59",
                "NASetController 4 7 8064", "NAPlayNote 4 64 0"}));
}

TEST_F(QuickTimeMidiTest, FailuresCloseEverythingOpened) {
  standin::quicktime_fail(quicktime_call::open_component, -1);
  EXPECT_EQ(probe_midi_driver(MIDI_QUICKTIME), 0);
  EXPECT_EQ(install_sound(DIGI_NONE, MIDI_QUICKTIME), -1);
  EXPECT_STREQ(error_text, "MIDI music driver not found");
  EXPECT_EQ(quicktime_midi_driver.open(0, 16), -1);
  EXPECT_STREQ(error_text, "Cannot open the NoteAllocator QuickTime component");

  for (const quicktime_call call :
       {quicktime_call::stuff_tone, quicktime_call::new_channel, quicktime_call::reset_channel}) {
    standin::quicktime_reset();
    standin::quicktime_fail(call, -1, 9, true);
    EXPECT_EQ(install_sound(DIGI_NONE, MIDI_QUICKTIME), -1);
    EXPECT_STREQ(error_text, "Failed initializing MIDI channels");
    EXPECT_EQ(standin::quicktime_channels_open(), 0);
    EXPECT_EQ(standin::quicktime_components_open(), 0);
  }
}

}  // namespace
