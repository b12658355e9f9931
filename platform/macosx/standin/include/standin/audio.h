// Scripting the stand-in's CoreAudio, AudioUnit and AudioToolbox from tests: the output unit's
// format, the device's buffer size, name and maker, failures of each call, and the simulated output
// that pulls blocks from a started graph's converter on a thread of its own. Every call the drivers
// make is recorded in order.
#ifndef CORVANE_STANDIN_CONTROL_AUDIO_H
#define CORVANE_STANDIN_CONTROL_AUDIO_H

#include <AudioToolbox/AudioToolbox.h>

#include <cstdint>
#include <string>
#include <vector>

namespace standin {

// The calls a test can make fail.
enum class audio_call {
  new_graph,
  new_node,
  graph_open,
  graph_initialize,
  node_info,
  connect,
  graph_start,
  get_stream_format,
  set_output_format,      // SetProperty stream format, output scope
  set_input_format,       // SetProperty stream format, input scope
  set_render_callback,
  get_current_device,
  device_buffer_size,
  device_name,
  device_maker,
  set_render_quality,
  set_reverb_room,
  set_parameter,
  midi_event,
};

// Forgets scripts, records and graphs' leftovers: the output plays Float32 stereo at 44100 Hz, the
// device has 4096 bytes of buffer and is "Built-in Output" by "Apple Inc.".
void audio_reset();
// From now on the call answers `error`.
void audio_fail(audio_call call, OSStatus error);
void audio_set_output_format(double rate, UInt32 bits_per_channel);
// The device's buffer size in bytes; a null name or maker cannot be read.
void audio_set_device(UInt32 buffer_bytes, const char *name, const char *maker);

// The calls made so far, one line each ("AUGraphStart", "SetProperty converter 8 in 0", "MIDI 192
// 5 0", ...), and forgetting them.
std::vector<std::string> audio_calls();
void audio_clear_calls();

// Graphs made and not yet disposed, and of those the ones running.
int audio_graphs_alive();
int audio_graphs_running();

// The simulated output: on a thread of its own, asks the running graph's converter `pulls` times
// for `frames` frames, as the output unit would, and keeps the 16-bit words the converter got
// (decoded in the byte order its input format gives). Answers the number of pulls served, or -1
// when no running graph has a converter whose input is fed by a render callback in 16-bit signed
// integer stereo and whose output is in the output unit's format.
int audio_pull(UInt32 frames, int pulls);
std::vector<int16_t> audio_played();
// The frame counts the render callback was asked for, in order.
std::vector<UInt32> audio_render_requests();

}  // namespace standin

#endif
