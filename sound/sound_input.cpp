// Installing and removing sound input: a digital and a MIDI input driver, chosen from the same
// driver lists as the output drivers, each asked whether it can record.
#include "core/internal.h"
#include "corvane/config.h"
#include "corvane/sound.h"
#include "corvane/text.h"
#include "sound/sound_internal.h"

namespace corvane {
namespace {

void set_digi_input(digi_driver_record *driver) noexcept {
  std::atomic_ref<digi_driver_record *>(current_digi_input)
      .store(driver, std::memory_order_release);
}
void set_midi_input(midi_driver_record *driver) noexcept {
  std::atomic_ref<midi_driver_record *>(current_midi_input)
      .store(driver, std::memory_order_release);
}

void clear_input_callbacks() noexcept {
  digi_input_callback = nullptr;
  midi_input_callback = nullptr;
}

void report_no_input(const char *ascii_format, const char *driver_name) noexcept {
  if (error_text[0] != 0) return;
  format_text_bounded(error_text, ERROR_TEXT_SIZE, translate_text(ascii_format),
                      driver_name != nullptr ? driver_name : "");
}

// Walks the list for an input driver: the one of the id, or with id -1 the first that can record.
// id becomes the chosen driver's. Answers false when a definite id cannot record.
template <typename Record>
void find_input(const driver_list_entry *list, int &id, Record *none,
                void (*make_current)(Record *), const char *refusal_format) noexcept {
  for (const driver_list_entry *entry = list; entry != nullptr && entry->driver != nullptr;
       ++entry) {
    if (id != -1 && entry->id != id) continue;
    auto *driver = static_cast<Record *>(entry->driver);
    make_current(driver);
    if (driver->probe == nullptr || driver->probe(-1) != 0) {
      id = entry->id;
      return;
    }
    make_current(none);
    if (id != -1) {
      report_no_input(refusal_format, driver->name);
      return;
    }
  }
}

}  // namespace
}  // namespace corvane

extern "C" {

int open_sound_input(int digi_id, int midi_id) noexcept {
  using namespace corvane;
  if (sound_input_installed != 0) return 0;
  if (sound_installed == 0) {
    set_error_text("Sound system not installed");
    return -1;
  }
  digi_input_id = digi_id;
  midi_input_id = midi_id;
  clear_input_callbacks();
  if (digi_input_id == -1) digi_input_id = sound_config_id("digi_input_card", -1);
  if (midi_input_id == -1) midi_input_id = sound_config_id("midi_input_card", -1);

  error_text[0] = 0;
  find_input<digi_driver_record>(digi_driver_list(), digi_input_id, &digi_none_driver,
                                 set_digi_input, "%s does not support audio input");
  if (current_digi_input == &digi_none_driver && digi_input_id != 0) {
    set_error_text_if_empty("Digital input driver not found");
    return -1;
  }
  find_input<midi_driver_record>(midi_driver_list(), midi_input_id, &midi_none_driver,
                                 set_midi_input, "%s does not support MIDI input");
  if (current_midi_input == &midi_none_driver && midi_input_id != 0) {
    set_digi_input(&digi_none_driver);
    set_error_text_if_empty("MIDI input driver not found");
    return -1;
  }

  digi_driver_record *digi = current_digi_input;
  midi_driver_record *midi = current_midi_input;
  if (digi->open != nullptr && digi->open(-1, 0) != 0) {
    set_digi_input(&digi_none_driver);
    set_midi_input(&midi_none_driver);
    set_error_text_if_empty("Failed to init digital input driver");
    return -1;
  }
  if (midi->open != nullptr && midi->open(-1, 0) != 0) {
    if (digi->close != nullptr) digi->close(-1);
    set_digi_input(&digi_none_driver);
    set_midi_input(&midi_none_driver);
    set_error_text_if_empty("Failed to init MIDI input driver");
    return -1;
  }
  sound_input_installed = -1;
  return 0;
}

void close_sound_input(void) noexcept {
  using namespace corvane;
  if (sound_input_installed == 0) return;
  digi_driver_record *digi = current_digi_input;
  if (digi->close != nullptr) digi->close(-1);
  set_digi_input(&digi_none_driver);
  midi_driver_record *midi = current_midi_input;
  if (midi->close != nullptr) midi->close(-1);
  sound_input_installed = 0;
  clear_input_callbacks();
  set_midi_input(&midi_none_driver);
}

}  // extern "C"
