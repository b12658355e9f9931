// The tests' own sound drivers.
#include "support/test_sound_drivers.h"

#include "platform/null/offline_digi_driver.h"
#include "sound/sound_internal.h"
#include "support/manual_timer.h"
#include "support/test_system.h"

namespace corvane::testing {
namespace {

test_digi digi;
test_midi midi;
driver_list_entry digi_list[3] = {};
driver_list_entry midi_list[2] = {};

void log(const std::string &call) { digi.calls.push_back(call); }
std::string voice_call(const char *what, int voice) { return what + (" " + std::to_string(voice)); }
std::string value_call(const char *what, int voice, int value) {
  return voice_call(what, voice) + " " + std::to_string(value);
}

int digi_probe(int) { return digi.probe_result; }
int digi_open(int, int voices) {
  ++digi.open_calls;
  digi.opened_voices = voices;
  if (digi.open_result != 0) {
    if (digi.open_error != nullptr) set_error_text(digi.open_error);
    return digi.open_result;
  }
  digi.driver.voice_count = digi.driver.voice_limit;
  return 0;
}
void digi_close(int) { ++digi.close_calls; }
void digi_bind(int voice, const sample *) { log(voice_call("bind", voice)); }
void digi_unbind(int voice) { log(voice_call("unbind", voice)); }
void digi_play(int voice) { log(voice_call("play", voice)); }
void digi_halt(int voice) { log(voice_call("halt", voice)); }
void digi_loop_mode(int voice, int mode) { log(value_call("loop", voice, mode)); }
int digi_position(int voice) { return digi.position[voice]; }
void digi_seek(int voice, int position) { log(value_call("seek", voice, position)); }
int digi_read_volume(int voice) { return digi.volume[voice]; }
void digi_write_volume(int voice, int volume) {
  digi.volume[voice] = volume;
  log(value_call("volume", voice, volume));
}
void digi_end_fade(int voice) { log(voice_call("end fade", voice)); }
int digi_read_frequency(int voice) { return digi.frequency[voice]; }
void digi_write_frequency(int voice, int frequency) {
  digi.frequency[voice] = frequency;
  log(value_call("frequency", voice, frequency));
}
int digi_read_pan(int voice) { return digi.pan[voice]; }
void digi_write_pan(int voice, int pan) {
  digi.pan[voice] = pan;
  log(value_call("pan", voice, pan));
}

int midi_probe(int) { return midi.probe_result; }
int midi_open(int, int voices) {
  midi.opened_voices = voices;
  if (midi.open_result != 0) return midi.open_result;
  midi.driver.voice_count = voices;
  return 0;
}
void midi_close(int) { ++midi.close_calls; }

}  // namespace

test_digi &the_test_digi() { return digi; }
test_midi &the_test_midi() { return midi; }

void reset_test_sound_drivers() {
  digi = test_digi{};
  digi.driver = digi_driver_record{
      .id = TEST_DIGI_ID,
      .name = empty_string,
      .description = empty_string,
      .ascii_label = "Test digital",
      .voice_count = 0,
      .first_voice = 0,
      .voice_limit = PHYSICAL_VOICE_COUNT,
      .default_voices = 8,
      .probe = digi_probe,
      .open = digi_open,
      .close = digi_close,
      .set_hw_volume = nullptr,
      .get_hw_volume = nullptr,
      .pin_voice = nullptr,
      .unpin_voice = nullptr,
      .block_size = nullptr,
      .bind_voice = digi_bind,
      .unbind_voice = digi_unbind,
      .play_voice = digi_play,
      .halt_voice = digi_halt,
      .set_loop_mode = digi_loop_mode,
      .read_position = digi_position,
      .seek_voice = digi_seek,
      .read_volume = digi_read_volume,
      .write_volume = digi_write_volume,
      .fade_volume = nullptr,
      .end_fade = digi_end_fade,
      .read_frequency = digi_read_frequency,
      .write_frequency = digi_write_frequency,
      .glide_frequency = nullptr,
      .end_frequency_glide = nullptr,
      .read_pan = digi_read_pan,
      .write_pan = digi_write_pan,
      .glide_pan = nullptr,
      .end_pan_glide = nullptr,
      .write_echo = nullptr,
      .write_tremolo = nullptr,
      .write_vibrato = nullptr,
      .input_slots = {},
  };
  midi = test_midi{};
  midi.driver = midi_driver_record{
      .id = TEST_MIDI_ID,
      .name = empty_string,
      .description = empty_string,
      .ascii_label = "Test MIDI",
      .voice_count = 0,
      .first_voice = 0,
      .voice_limit = 16,
      .default_voices = 0,
      .reserved_low = -1,
      .reserved_high = -1,
      .probe = midi_probe,
      .open = midi_open,
      .close = midi_close,
  };
}

int start_with_test_sound() {
  reset_test_sound_drivers();
  const int result = start_with_manual_timer();
  digi_list[0] = driver_list_entry{TEST_DIGI_ID, &digi.driver, -1};
  digi_list[1] = driver_list_entry{offline_digi_driver_id, &offline_digi_driver, 0};
  digi_list[2] = driver_list_entry{0, nullptr, 0};
  midi_list[0] = driver_list_entry{TEST_MIDI_ID, &midi.driver, -1};
  midi_list[1] = driver_list_entry{0, nullptr, 0};
  the_test_system().digi_drivers = digi_list;
  the_test_system().midi_drivers = midi_list;
  return result;
}

void reset_sound_settings() {
  digi_driver_id = midi_driver_id = digi_input_id = midi_input_id = -1;
  digi_voices_wanted = midi_voices_wanted = -1;
  flip_pan = 0;
  sound_quality = 2;
  sound_freq = sound_bits = sound_stereo = -1;
  digi_volume = midi_volume = -1;
  set_mix_volume_shift(1);
  midi_hook = nullptr;
}

}  // namespace corvane::testing
