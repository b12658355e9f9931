// Installing and removing sound output: choosing a digital and a MIDI driver by id or by
// autodetection, dividing the voices between them, starting the ramp emulation, and asking whether
// a driver could run.
#include "core/exit_functions.h"
#include "core/internal.h"
#include "corvane/config.h"
#include "corvane/sound.h"
#include "corvane/text.h"
#include "corvane/timer.h"
#include "sound/sound_internal.h"

namespace corvane {

const midi_hook_record *midi_hook = nullptr;

namespace {

void stop_midi_hook() noexcept {
  const midi_hook_record *hook = midi_hook;
  if (hook != nullptr && hook->stop != nullptr) hook->stop();
}

void back_to_no_sound() noexcept {
  set_digi_driver(&digi_none_driver);
  set_midi_driver(&midi_none_driver);
}

// Gives every driver of a list its translated name, as choosing a driver does.
template <typename Record>
void name_drivers(const driver_list_entry *list) noexcept {
  for (const driver_list_entry *entry = list; entry != nullptr && entry->driver != nullptr;
       ++entry) {
    auto *driver = static_cast<Record *>(entry->driver);
    driver->name = driver->description = translate_text(driver->ascii_label);
  }
}

template <typename Record>
bool probe_output(Record *driver) noexcept {
  return driver->probe == nullptr || driver->probe(0) != 0;
}

enum class choice { chosen, not_found };

// Chooses the driver for id (updated to what was chosen): the listed driver of that id, which
// must answer its probe; the no-sound driver for 0; otherwise the first autodetectable driver
// whose probe answers, else the no-sound driver.
template <typename Record>
choice choose_driver(const driver_list_entry *list, int &id, Record *none,
                     void (*make_current)(Record *)) noexcept {
  name_drivers<Record>(list);
  if (auto *listed = static_cast<Record *>(find_driver_in_list(list, id)); listed != nullptr) {
    make_current(listed);
    return probe_output(listed) ? choice::chosen : choice::not_found;
  }
  if (id == 0) {
    make_current(none);
    return choice::chosen;
  }
  for (const driver_list_entry *entry = list; entry != nullptr && entry->driver != nullptr;
       ++entry) {
    if (entry->autodetect == 0) continue;
    auto *driver = static_cast<Record *>(entry->driver);
    id = entry->id;
    make_current(driver);
    if (probe_output(driver)) return choice::chosen;
  }
  id = 0;
  make_current(none);
  return choice::chosen;
}

void report_insufficient_voices(bool digital) noexcept {
  format_text_bounded(error_text, ERROR_TEXT_SIZE,
                      translate_text("Insufficient %s voices available"),
                      translate_text(digital ? "digital" : "MIDI"));
}

// Everything that makes a failed install leave no trace of the drivers.
int fail_install(const char *message_if_empty) noexcept {
  back_to_no_sound();
  stop_midi_hook();
  if (message_if_empty != nullptr) set_error_text_if_empty(message_if_empty);
  return -1;
}

// The MIDI driver plays on the top n physical voices of the digital driver, bound for good to the
// top n virtual voices.
void share_digital_voices(digi_driver_record *digi, midi_driver_record *midi, int digi_voices,
                          int midi_voices) noexcept {
  const int n = midi_voices + (digi->voice_count - digi_voices) * 3 / 4;
  digi->voice_count -= n;
  midi->first_voice = VIRTUAL_VOICE_COUNT - n;
  midi->voice_count = n;
  for (int i = 0; i < n; ++i) {
    const int voice = midi->first_voice + i;
    const int physical = digi->voice_count + i;
    if (!valid_virtual_voice(voice) || !valid_physical_voice(physical)) continue;
    put(virtual_voices[voice].physical, physical);
    put(physical_voices[physical].owner, voice);
  }
}

bool lacks_ramps(const digi_driver_record *driver) noexcept {
  return driver->fade_volume == nullptr || driver->glide_frequency == nullptr ||
         driver->glide_pan == nullptr;
}

}  // namespace

bool midi_plays_on_digital_voices() noexcept { return midi_driver()->voice_limit < 0; }

int claimable_virtual_voices() noexcept {
  if (midi_plays_on_digital_voices()) return VIRTUAL_VOICE_COUNT - midi_driver()->voice_count;
  return VIRTUAL_VOICE_COUNT;
}

}  // namespace corvane

extern "C" {

int install_sound(int digi_id, int midi_id) noexcept {
  using namespace corvane;
  if (sound_installed != 0) return 0;
  reset_voice_tables();

  const midi_hook_record *hook = midi_hook;
  if (hook != nullptr && hook->start != nullptr && hook->start() != 0) return -1;

  error_text[0] = 0;
  register_object_type(SAMPLE_OBJECT_TYPE, nullptr, destroy_sample_object);

  digi_driver_id = digi_id;
  midi_driver_id = midi_id;
  if (digi_driver_id == -1) digi_driver_id = sound_config_id("digi_card", -1);
  if (midi_driver_id == -1) midi_driver_id = sound_config_id("midi_card", -1);
  if (digi_voices_wanted < 0) digi_voices_wanted = sound_config_int("digi_voices", -1);
  if (midi_voices_wanted < 0) midi_voices_wanted = sound_config_int("midi_voices", -1);
  read_sound_config();

  if (choose_driver<digi_driver_record>(digi_driver_list(), digi_driver_id, &digi_none_driver,
                                        set_digi_driver) != choice::chosen) {
    return fail_install("Digital sound driver not found");
  }
  if (choose_driver<midi_driver_record>(midi_driver_list(), midi_driver_id, &midi_none_driver,
                                        set_midi_driver) != choice::chosen) {
    return fail_install("MIDI music driver not found");
  }
  digi_driver_record *digi = digi_driver();
  midi_driver_record *midi = midi_driver();

  int digi_voices = digi_voices_wanted >= 0 ? digi_voices_wanted : digi->default_voices;
  int midi_voices = 0;
  if (midi->voice_limit < 0) {
    if (midi_voices_wanted >= 0) {
      midi_voices = midi_voices_wanted;
    } else {
      midi_voices = midi->default_voices;
      if (midi_voices > digi->voice_limit - digi_voices)
        midi_voices = digi->voice_limit - digi_voices;
      if (midi_voices < 0) midi_voices = 0;
    }
    digi_voices += midi_voices;
  } else {
    midi_voices = midi_voices_wanted >= 0 ? midi_voices_wanted : midi->default_voices;
  }
  if (digi_voices > PHYSICAL_VOICE_COUNT || midi_voices > PHYSICAL_VOICE_COUNT) {
    report_insufficient_voices(digi_voices > PHYSICAL_VOICE_COUNT);
    return fail_install(nullptr);
  }

  if (digi->open != nullptr && digi->open(0, digi_voices) != 0) {
    return fail_install("Failed to init digital sound driver");
  }
  if (midi->open != nullptr && midi->open(0, midi_voices) != 0) {
    if (digi->close != nullptr) digi->close(0);
    return fail_install("Failed to init MIDI music driver");
  }

  if (digi->voice_count > PHYSICAL_VOICE_COUNT) digi->voice_count = PHYSICAL_VOICE_COUNT;
  if (midi->voice_count > PHYSICAL_VOICE_COUNT) midi->voice_count = PHYSICAL_VOICE_COUNT;

  if (digi_voices > digi->voice_count ||
      (midi_voices > midi->voice_count && midi->send_midi_byte == nullptr)) {
    report_insufficient_voices(digi_voices > digi->voice_count);
    if (midi->close != nullptr) midi->close(0);
    if (digi->close != nullptr) digi->close(0);
    return fail_install(nullptr);
  }

  if (midi->voice_limit < 0) share_digital_voices(digi, midi, digi_voices, midi_voices);

  if (lacks_ramps(digi)) (void)add_timer_handler(emulate_voice_sweeps, VOICE_SWEEP_PERIOD);

  if (digi_volume >= 0 || midi_volume >= 0) set_sound_volume(digi_volume, midi_volume);

  corvane::register_library_exit_func(remove_sound, "remove_sound");
  sound_installed = -1;
  return 0;
}

void remove_sound(void) noexcept {
  using namespace corvane;
  if (sound_installed == 0) return;
  close_sound_input();
  remove_timer_handler(emulate_voice_sweeps);
  for (int voice = 0; voice < VIRTUAL_VOICE_COUNT; ++voice) {
    if (virtual_voices[voice].sample_played.load(std::memory_order_relaxed) != nullptr) {
      free_voice(voice);
    }
  }
  stop_midi_hook();
  midi_driver_record *midi = midi_driver();
  if (midi->close != nullptr) midi->close(0);
  set_midi_driver(&midi_none_driver);
  digi_driver_record *digi = digi_driver();
  if (digi->close != nullptr) digi->close(0);
  set_digi_driver(&digi_none_driver);
  unregister_exit_func(remove_sound);
  sound_installed = 0;
}

int probe_digi_driver(int id) noexcept {
  using namespace corvane;
  if (sound_installed != 0) return 0;
  read_sound_config();
  auto *driver = static_cast<digi_driver_record *>(find_driver_in_list(digi_driver_list(), id));
  if (driver == nullptr) return digi_none_driver.voice_limit;
  set_digi_driver(driver);
  driver->name = driver->description = translate_text(driver->ascii_label);
  digi_driver_id = id;
  midi_driver_id = -1;
  const int answer = probe_output(driver) ? driver->voice_limit : 0;
  set_digi_driver(&digi_none_driver);
  return answer;
}

int probe_midi_driver(int id) noexcept {
  using namespace corvane;
  if (sound_installed != 0) return 0;
  read_sound_config();
  auto *driver = static_cast<midi_driver_record *>(find_driver_in_list(midi_driver_list(), id));
  if (driver == nullptr) return midi_none_driver.voice_limit;
  set_midi_driver(driver);
  driver->name = driver->description = translate_text(driver->ascii_label);
  midi_driver_id = id;
  digi_driver_id = -1;
  const int answer = probe_output(driver) ? driver->voice_limit : 0;
  set_midi_driver(&midi_none_driver);
  return answer;
}

}  // extern "C"
