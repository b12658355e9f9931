// The process-wide sound settings and current drivers.
#include "corvane/sound.h"

extern "C" {

digi_driver_record *current_digi_driver = &digi_none_driver;
midi_driver_record *current_midi_driver = &midi_none_driver;
digi_driver_record *current_digi_input = &digi_none_driver;
midi_driver_record *current_midi_input = &midi_none_driver;

int digi_driver_id = -1;
int midi_driver_id = -1;
int digi_input_id = -1;
int midi_input_id = -1;

int digi_voices_wanted = -1;
int midi_voices_wanted = -1;

int sound_installed = 0;
int sound_input_installed = 0;

int flip_pan = 0;
int sound_quality = 2;

int sound_freq = -1;
int sound_bits = -1;
int sound_stereo = -1;

int sound_port = -1;
int sound_dma = -1;
int sound_irq = -1;

int digi_volume = -1;
int midi_volume = -1;

void (*digi_input_callback)(void *buffer) = nullptr;
void (*midi_input_callback)(unsigned char byte) = nullptr;

}  // extern "C"
