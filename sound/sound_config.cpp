// Reading the sound settings of section "sound" and choosing the driver lists.
#include "core/internal.h"
#include "corvane/config.h"
#include "corvane/sound.h"
#include "sound/sound_internal.h"

namespace corvane {
namespace {

constexpr int LITERAL_SIZE = 64;

// Section and key names are library literals, converted into the current encoding first.
struct sound_key {
  char section_buffer[LITERAL_SIZE];
  char key_buffer[LITERAL_SIZE];
  const char *section;
  const char *key;
  explicit sound_key(const char *ascii_key) noexcept
      : section(literal("sound", section_buffer, LITERAL_SIZE)),
        key(literal(ascii_key, key_buffer, LITERAL_SIZE)) {}
};

}  // namespace

int sound_config_int(const char *ascii_key, int default_value) noexcept {
  const sound_key k(ascii_key);
  return config_get_int(k.section, k.key, default_value);
}

int sound_config_hex(const char *ascii_key, int default_value) noexcept {
  const sound_key k(ascii_key);
  return config_get_hex(k.section, k.key, default_value);
}

int sound_config_id(const char *ascii_key, int default_value) noexcept {
  const sound_key k(ascii_key);
  return config_get_id(k.section, k.key, default_value);
}

const char *sound_config_string(const char *ascii_key, const char *default_value) noexcept {
  const sound_key k(ascii_key);
  return config_get_string(k.section, k.key, default_value);
}

const driver_list_entry *digi_driver_list() noexcept {
  const system_driver *sys = current_system_driver;
  if (sys != nullptr && sys->list_digi_drivers != nullptr) return sys->list_digi_drivers();
  return default_digi_driver_list;
}

const driver_list_entry *midi_driver_list() noexcept {
  const system_driver *sys = current_system_driver;
  if (sys != nullptr && sys->list_midi_drivers != nullptr) return sys->list_midi_drivers();
  return default_midi_driver_list;
}

}  // namespace corvane

extern "C" {

void read_sound_config(void) noexcept {
  using namespace corvane;
  flip_pan = sound_config_int("flip_pan", 0);
  std::atomic_ref<int>(sound_quality)
      .store(sound_config_int("quality", std::atomic_ref<int>(sound_quality).load()));
  sound_port = sound_config_hex("sound_port", -1);
  sound_dma = sound_config_int("sound_dma", -1);
  sound_irq = sound_config_int("sound_irq", -1);
  sound_freq = sound_config_int("sound_freq", -1);
  sound_bits = sound_config_int("sound_bits", -1);
  sound_stereo = sound_config_int("sound_stereo", -1);
  digi_volume = sound_config_int("digi_volume", -1);
  midi_volume = sound_config_int("midi_volume", -1);
}

}  // extern "C"
