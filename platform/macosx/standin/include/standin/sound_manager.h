// Scripting the stand-in's Sound Manager from tests: its version, failures of its calls, and the
// simulated channel that plays the buffers queued on it and runs their call-backs on a thread of
// its own, recording what it played.
#ifndef CORVANE_STANDIN_CONTROL_SOUND_MANAGER_H
#define CORVANE_STANDIN_CONTROL_SOUND_MANAGER_H

#include <CarbonSound/Sound.h>

#include <cstdint>
#include <vector>

namespace standin {

enum class sound_manager_call { new_channel, buffer_command, callback_command, volume_command };

// Version 3.2.1 and no failures; no channel; nothing recorded.
void sound_manager_reset();
void sound_manager_set_version(UInt8 major_bcd, UInt8 minor_and_bug_bcd);
// From now on the call answers `error`.
void sound_manager_fail(sound_manager_call call, OSErr error);

// One buffer the channel played: where its samples were, their header's fields and a copy of them.
struct played_buffer {
  const void *samples = nullptr;
  UInt32 channels = 0;
  UnsignedFixed rate = 0;
  UInt8 encoding = 0;
  UInt32 frames = 0;
  UInt16 sample_size = 0;
  std::vector<uint8_t> bytes;
};

// Plays the open channel's queue on a thread of its own until `buffers` buffers have played or
// nothing is left queued: a buffer command plays, a call-back command runs the channel's
// call-back. Answers the buffers played, -1 without an open channel.
int sound_manager_play(int buffers);
std::vector<played_buffer> sound_manager_played();

// Channels open now; the volume commands received (param2 of each), in order; what the last
// SndNewChannel asked for (synthesizer, initialisation) and the queue length of its record.
int sound_manager_channels_open();
std::vector<long> sound_manager_volumes();
struct channel_request {
  SInt16 synth = 0;
  long init = 0;
  SInt16 queue_length = 0;
};
channel_request sound_manager_last_channel();

}  // namespace standin

#endif
