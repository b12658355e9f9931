// The Linux host's MIDI drivers in autodetection order: the synthesizer layer's (FluidSynth,
// where it is built), then notes on digital voices; the no-sound driver is chosen by id 0 only.
#include <gtest/gtest.h>

#include <vector>

#include "corvane/midi_drivers.h"
#include "platform/linux/unix_host.h"

namespace {

TEST(LinuxMidiDriverListTest, SynthesizerFirstThenDigitalVoicesAllAutodetected) {
  std::vector<int> ids;
  for (const driver_list_entry *e = corvane::unix_host::list_midi_drivers(); e->driver != nullptr;
       ++e) {
    EXPECT_NE(e->autodetect, 0);
    ids.push_back(e->id);
  }
#ifdef CORVANE_TEST_WITH_FLUIDSYNTH
  EXPECT_EQ(ids, (std::vector<int>{MIDI_FLUIDSYNTH, MIDI_SOUNDFONT_VOICES}));
#else
  EXPECT_EQ(ids, (std::vector<int>{MIDI_SOUNDFONT_VOICES}));
#endif
}

}  // namespace
