// The no-sound digital and MIDI drivers: they accept every call and play nothing, so that the
// layers above always have a driver to talk to.
#include "core/internal.h"
#include "corvane/config.h"
#include "corvane/sound.h"

namespace corvane {
namespace {

int probe_anything(int) { return -1; }

int open_silence(int, int) {
  const char *silence = translate_text("The sound of silence");
  digi_none_driver.description = silence;
  midi_none_driver.description = silence;
  return 0;
}

void close_nothing(int) {}
int accept_volume(int) { return 0; }
int no_volume() { return -1; }
int no_block() { return 0; }
void ignore_voice(int) {}
void ignore_voice_value(int, int) {}
void ignore_voice_pair(int, int, int) {}
void ignore_bind(int, const sample *) {}
int ended(int) { return -1; }
int zero(int) { return 0; }
void ignore_byte(int) {}
int patches_ready(const char *, const char *) { return 0; }
void ignore_patches(const char *, const char *) {}
int no_note(int, int, int, int, int) { return -1; }

}  // namespace
}  // namespace corvane

extern "C" {

digi_driver_record digi_none_driver = {
    .id = DIGI_NONE,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "No sound",
    .voice_count = 0,
    .first_voice = 0,
    .voice_limit = 65535,
    .default_voices = 0,
    .probe = corvane::probe_anything,
    .open = corvane::open_silence,
    .close = corvane::close_nothing,
    .set_hw_volume = corvane::accept_volume,
    .get_hw_volume = corvane::no_volume,
    .pin_voice = nullptr,
    .unpin_voice = nullptr,
    .block_size = corvane::no_block,
    .bind_voice = corvane::ignore_bind,
    .unbind_voice = corvane::ignore_voice,
    .play_voice = corvane::ignore_voice,
    .halt_voice = corvane::ignore_voice,
    .set_loop_mode = corvane::ignore_voice_value,
    .read_position = corvane::ended,
    .seek_voice = corvane::ignore_voice_value,
    .read_volume = corvane::zero,
    .write_volume = corvane::ignore_voice_value,
    .fade_volume = corvane::ignore_voice_pair,
    .end_fade = corvane::ignore_voice,
    .read_frequency = corvane::zero,
    .write_frequency = corvane::ignore_voice_value,
    .glide_frequency = corvane::ignore_voice_pair,
    .end_frequency_glide = corvane::ignore_voice,
    .read_pan = corvane::zero,
    .write_pan = corvane::ignore_voice_value,
    .glide_pan = corvane::ignore_voice_pair,
    .end_pan_glide = corvane::ignore_voice,
    .write_echo = corvane::ignore_voice_pair,
    .write_tremolo = corvane::ignore_voice_pair,
    .write_vibrato = corvane::ignore_voice_pair,
    .input_slots = {},
};

midi_driver_record midi_none_driver = {
    .id = MIDI_NONE,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "No sound",
    .voice_count = 0,
    .first_voice = 0,
    .voice_limit = 65535,
    .default_voices = 0,
    .reserved_low = -1,
    .reserved_high = -1,
    .probe = corvane::probe_anything,
    .open = corvane::open_silence,
    .close = corvane::close_nothing,
    .set_hw_volume = corvane::accept_volume,
    .get_hw_volume = corvane::no_volume,
    .send_midi_byte = corvane::ignore_byte,
    .prepare_patches = corvane::patches_ready,
    .update_patches = corvane::ignore_patches,
    .note_start = corvane::no_note,
    .note_end = corvane::ignore_voice,
    .write_volume = corvane::ignore_voice_value,
    .write_pitch = corvane::ignore_voice_pair,
    .write_pan = corvane::ignore_voice_value,
    .write_vibrato = corvane::ignore_voice_value,
};

}  // extern "C"
