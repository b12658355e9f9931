/** @file
 * Corvane: digital sound -- installing a digital and a MIDI driver, the sound settings, samples
 * and the voices that play them, and the software mixer that digital drivers without voices of
 * their own feed their output from.
 *
 * A program installs sound once (install_sound), makes samples (new_sample, or a loader) and plays
 * them with start_sample, or claims voices itself and drives them with the voice calls. There are
 * 256 virtual voices (numbers 0 to 255) that programs hold and up to 64 physical voices that the
 * driver plays; a virtual voice that has no physical voice, or lost it to a more important sound,
 * accepts every call and does nothing audible.
 *
 * Threads: the voice calls run on the program's threads; a driver's output runs on a thread of its
 * own (or, for the offline driver, on whichever thread asks for output), and ramps of drivers that
 * cannot ramp themselves are stepped on the timer thread. The voice calls may be made while that
 * happens. */
#ifndef CORVANE_SOUND_H
#define CORVANE_SOUND_H

#include "corvane/base.h"
#include "corvane/system.h"

CORVANE_EXTERN_C_BEGIN

/* ---- Constants ------------------------------------------------------------------------------ */

#define DIGI_AUTODETECT (-1) /**< install_sound: choose the digital driver by autodetection */
#define DIGI_NONE 0          /**< install_sound: the no-sound digital driver */
#define MIDI_AUTODETECT (-1) /**< install_sound: choose the MIDI driver by autodetection */
#define MIDI_NONE 0          /**< install_sound: the no-sound MIDI driver */

/** Virtual voices a program can hold. */
#define VIRTUAL_VOICE_COUNT 256
/** Physical voices a driver can play at most. */
#define PHYSICAL_VOICE_COUNT 64

#define PLAYMODE_PLAY 0     /**< play-mode bits: play once */
#define PLAYMODE_LOOP 1     /**< play-mode bit: loop between loop_start and loop_end */
#define PLAYMODE_FORWARD 0  /**< play-mode bits: play forward */
#define PLAYMODE_BACKWARD 2 /**< play-mode bit: play backward, from the last frame */
#define PLAYMODE_BIDIR 4    /**< play-mode bit: a loop goes back and forth */

/** The timer period of the ramp emulation: 50 calls a second. */
#define VOICE_SWEEP_PERIOD 23863

/* ---- Samples -------------------------------------------------------------------------------- */

/** A sample: frames of unsigned 8-bit (128 is silence) or unsigned 16-bit (32768 is silence, in
 * the machine's byte order) data, left before right in stereo frames. */
typedef struct sample {
  int bits;       /**< 8 or 16 (any other value is played as 8-bit data) */
  int stereo;     /**< nonzero: interleaved left/right frames */
  int frequency;  /**< natural playback rate in Hz */
  int priority;   /**< 0..255, default 128; higher is more important */
  int length;     /**< length in frames */
  int loop_start; /**< first frame of the loop, default 0 */
  int loop_end;   /**< frame after the loop, default length */
  int user_param; /**< free for the program, default 0 */
  void *data;     /**< the frames; owned by the sample */
} sample;

/* ---- Driver records ------------------------------------------------------------------------- */

/** A digital sound driver: the driver identity, four voice counts, 30 operations and eight input
 * slots, in this order. Empty slots may be null where marked; callers test them. A driver whose
 * output comes from the software mixer puts the mixer's voice operations in slots 17 to 38 (see
 * MIXER_VOICE_SLOTS). */
typedef struct digi_driver_record {
  CORVANE_DRIVER_IDENTITY; /**< id, name, description and ascii_label (CORVANE_DRIVER_IDENTITY) */
  /** 5: voices actually available after open */
  int voice_count;
  /** 6: first virtual voice used by this driver (0 for digital drivers) */
  int first_voice;
  /** 7: most voices the driver can mix */
  int voice_limit;
  /** 8: voices used when none are requested */
  int default_voices;
  /** 9: nonzero when the driver can run */
  int (*probe)(int input);
  /** 10: opens the output with that many voices; 0, or nonzero with error_text set */
  int (*open)(int input, int voices);
  /** 11: closes the output */
  void (*close)(int input);
  /** 12: sets the device volume 0..255; may be null */
  int (*set_hw_volume)(int volume);
  /** 13: the device volume 0..255; may be null */
  int (*get_hw_volume)(void);
  /** 14: keeps a physical voice for the program; may be null */
  void (*pin_voice)(int voice, int start, int end);
  /** 15: gives a pinned voice back; may be null */
  void (*unpin_voice)(int voice);
  /** 16: frames in one output block */
  int (*block_size)(void);
  /** 17: attaches a sample to a physical voice */
  void (*bind_voice)(int voice, const sample *spl);
  /** 18: detaches the sample of a physical voice */
  void (*unbind_voice)(int voice);
  /** 19: starts the voice */
  void (*play_voice)(int voice);
  /** 20: stops the voice */
  void (*halt_voice)(int voice);
  /** 21: sets the PLAYMODE_... bits */
  void (*set_loop_mode)(int voice, int playmode);
  /** 22: position in frames; negative once the voice has ended */
  int (*read_position)(int voice);
  /** 23: moves to a frame */
  void (*seek_voice)(int voice, int position);
  /** 24: volume 0..255 */
  int (*read_volume)(int voice);
  /** 25: sets the volume 0..255 */
  void (*write_volume)(int voice, int volume);
  /** 26: ramps the volume to end_volume over time milliseconds; may be null */
  void (*fade_volume)(int voice, int time, int end_volume);
  /** 27: stops a volume ramp */
  void (*end_fade)(int voice);
  /** 28: frequency in Hz */
  int (*read_frequency)(int voice);
  /** 29: sets the frequency in Hz */
  void (*write_frequency)(int voice, int frequency);
  /** 30: ramps the frequency over time milliseconds; may be null */
  void (*glide_frequency)(int voice, int time, int end_frequency);
  /** 31: stops a frequency ramp */
  void (*end_frequency_glide)(int voice);
  /** 32: pan 0 (left) .. 255 (right) */
  int (*read_pan)(int voice);
  /** 33: sets the pan */
  void (*write_pan)(int voice, int pan);
  /** 34: ramps the pan over time milliseconds; may be null */
  void (*glide_pan)(int voice, int time, int end_pan);
  /** 35: stops a pan ramp */
  void (*end_pan_glide)(int voice);
  /** 36: sets an echo */
  void (*write_echo)(int voice, int strength, int delay);
  /** 37: sets a tremolo */
  void (*write_tremolo)(int voice, int rate, int depth);
  /** 38: sets a vibrato */
  void (*write_vibrato)(int voice, int rate, int depth);
  /** 39-46: reserved for sound input; null in every driver, never called by the library. */
  void (*input_slots[8])(void);
} digi_driver_record;

/** A MIDI driver: the driver identity, six counts and 14 operations. A negative voice_limit means
 * that the driver plays its notes on voices of the current digital driver. */
typedef struct midi_driver_record {
  CORVANE_DRIVER_IDENTITY; /**< id, name, description and ascii_label (CORVANE_DRIVER_IDENTITY) */
  int voice_count;    /**< voices actually available after open */
  int first_voice;    /**< first voice of the digital driver it plays on, when it uses those */
  int voice_limit;    /**< most voices; negative: it plays on the digital driver's voices */
  int default_voices; /**< voices used when none are requested */
  int reserved_low;   /**< first of a range of driver voices kept out of ordinary note allocation */
  int reserved_high;  /**< last of that range (-1 and -1 for none) */
  int (*probe)(int input);            /**< nonzero when the driver can run */
  int (*open)(int input, int voices); /**< 0, or nonzero with error_text set */
  void (*close)(int input);           /**< closes the driver */
  int (*set_hw_volume)(int volume); /**< may be null */
  int (*get_hw_volume)(void);       /**< may be null */
  void (*send_midi_byte)(int byte); /**< the driver takes a raw MIDI byte stream; may be null */
  int (*prepare_patches)(const char *patches, const char *drums); /**< 128 flags each */
  /** Told which instruments and drums are in use (128 flags each) without loading them. */
  void (*update_patches)(const char *patches, const char *drums);
  int (*note_start)(int instrument, int pitch, int bend, int volume, int pan); /**< -> voice */
  void (*note_end)(int voice);                        /**< ends the note on a voice */
  void (*write_volume)(int voice, int volume);        /**< sets a note's volume */
  void (*write_pitch)(int voice, int note, int bend); /**< sets a note's pitch and bend */
  void (*write_pan)(int voice, int pan);              /**< sets a note's pan */
  void (*write_vibrato)(int voice, int amount);       /**< sets a note's vibrato */
} midi_driver_record;

/** The no-sound digital driver ("No sound"): valid for every caller, it plays nothing. It is in no
 * driver list; id 0 chooses it, and install_sound falls back to it when nothing is found. */
extern CORVANE_API digi_driver_record digi_none_driver;
/** The no-sound MIDI driver ("No sound"), as digi_none_driver. */
extern CORVANE_API midi_driver_record midi_none_driver;

/** The digital driver list used when the system driver offers none of its own: the drivers that
 * need no device (the offline and file outputs), chosen by id only. */
extern CORVANE_API driver_list_entry default_digi_driver_list[];
/** The MIDI driver list used when the system driver offers none of its own. */
extern CORVANE_API driver_list_entry default_midi_driver_list[];

/* ---- Sound state ---------------------------------------------------------------------------- */

/** The current digital output driver; the no-sound record when nothing is installed. */
extern CORVANE_API digi_driver_record *current_digi_driver;
/** The current MIDI output driver; the no-sound record when nothing is installed. */
extern CORVANE_API midi_driver_record *current_midi_driver;
/** The current digital input driver; the no-sound record when no input is installed. */
extern CORVANE_API digi_driver_record *current_digi_input;
/** The current MIDI input driver; the no-sound record when no input is installed. */
extern CORVANE_API midi_driver_record *current_midi_input;

/** Chosen digital output driver id: -1 autodetect, 0 none (the last install's choice). */
extern CORVANE_API int digi_driver_id;
/** Chosen MIDI output driver id: -1 autodetect, 0 none (the last install's choice). */
extern CORVANE_API int midi_driver_id;
/** Chosen digital input driver id: -1 autodetect, 0 none. */
extern CORVANE_API int digi_input_id;
/** Chosen MIDI input driver id: -1 autodetect, 0 none. */
extern CORVANE_API int midi_input_id;

/** Digital voices wanted by the program; -1 (the start value) takes the configuration's or the
 * driver's. */
extern CORVANE_API int digi_voices_wanted;
/** MIDI voices wanted by the program; -1 (the start value) takes the configuration's or the
 * driver's. */
extern CORVANE_API int midi_voices_wanted;

/** -1 while sound output is installed. */
extern CORVANE_API int sound_installed;
/** -1 while sound input is installed. */
extern CORVANE_API int sound_input_installed;

/** Nonzero: left and right are swapped in every pan given to and read from voices. */
extern CORVANE_API int flip_pan;

/** Mixer quality: 0 table lookup, 1 stereo multiply, 2 (the default) interpolating. Read by the
 * output thread; change it with set_mixer_quality. */
extern CORVANE_API int sound_quality;

/** Wanted output rate in Hz; -1 lets the driver choose. Drivers write back what they opened. */
extern CORVANE_API int sound_freq;
/** Wanted sample width, 8 or 16; -1 lets the driver choose. Drivers write back what they opened. */
extern CORVANE_API int sound_bits;
/** Wanted stereo flag; -1 lets the driver choose. Drivers write back what they opened. */
extern CORVANE_API int sound_stereo;

/** "sound_port" of the configuration, kept for drivers that need it (none here). */
extern CORVANE_API int sound_port;
/** "sound_dma" of the configuration, kept for drivers that need it (none here). */
extern CORVANE_API int sound_dma;
/** "sound_irq" of the configuration, kept for drivers that need it (none here). */
extern CORVANE_API int sound_irq;

/** Global digital volume 0..255; -1 means not set (full scale). Change it with set_sound_volume. */
extern CORVANE_API int digi_volume;
/** Global MIDI volume 0..255; -1 means not set (full scale). Change it with set_sound_volume. */
extern CORVANE_API int midi_volume;

/** Called by digital input drivers with recorded data; cleared whenever input is installed or
 * removed. */
extern CORVANE_API void (*digi_input_callback)(void *buffer);
/** Called by MIDI input drivers with each byte received; cleared whenever input is installed or
 * removed. */
extern CORVANE_API void (*midi_input_callback)(unsigned char byte);

/* ---- Installation --------------------------------------------------------------------------- */

/** Reads the sound settings of section "sound" ("flip_pan", "quality", "sound_port", "sound_dma",
 * "sound_irq", "sound_freq", "sound_bits", "sound_stereo", "digi_volume", "midi_volume") into the
 * globals above. */
CORVANE_API void read_sound_config(void) CORVANE_NOEXCEPT;

/** Asks whether the digital driver with this id can run. Returns its voice_limit when it can, 0
 * when it cannot or when sound is installed, and the no-sound driver's limit (65535) for an id
 * that is in no list. */
CORVANE_API int probe_digi_driver(int id) CORVANE_NOEXCEPT;
/** Asks whether the MIDI driver with this id can run; the results of probe_digi_driver. */
CORVANE_API int probe_midi_driver(int id) CORVANE_NOEXCEPT;

/** Installs sound output: a digital driver and a MIDI driver, each by id, DIGI_AUTODETECT /
 * MIDI_AUTODETECT (or the configured "digi_card" / "midi_card"), or DIGI_NONE / MIDI_NONE.
 * Returns 0 (also when already installed), or -1 with error_text set ("Digital sound driver not
 * found", "MIDI music driver not found", "Insufficient digital voices available", "Failed to init
 * digital sound driver", ... or the driver's own reason); both drivers are then the no-sound ones.
 * Autodetection that finds nothing installs the no-sound drivers and succeeds. */
CORVANE_API int install_sound(int digi_id, int midi_id) CORVANE_NOEXCEPT;

/** Frees every voice and takes both drivers down; also run at shutdown. Harmless when sound is not
 * installed. */
CORVANE_API void remove_sound(void) CORVANE_NOEXCEPT;

/** Installs sound input (needs sound output). Returns 0 (also when already installed), or -1 with
 * error_text set ("Sound system not installed", "Digital input driver not found", "<driver> does
 * not support audio input", ...). */
CORVANE_API int open_sound_input(int digi_id, int midi_id) CORVANE_NOEXCEPT;

/** Takes sound input down; harmless when it is not installed. */
CORVANE_API void close_sound_input(void) CORVANE_NOEXCEPT;

/** Sets the global volumes 0..255 (above 255 counts as 255; a negative value leaves that volume
 * alone). Every sounding voice keeps its level relative to the new digital volume. */
CORVANE_API void set_sound_volume(int digital, int midi) CORVANE_NOEXCEPT;

/** Sets the devices' own output volumes (0..255, capped) where the drivers can; negative values are
 * left alone. */
CORVANE_API void set_device_volume(int digital, int midi) CORVANE_NOEXCEPT;

/** Stores each device's output volume through the pointers that are not null; -1 where a driver
 * cannot tell. */
CORVANE_API void get_device_volume(int *digital, int *midi) CORVANE_NOEXCEPT;

/* ---- Samples -------------------------------------------------------------------------------- */

/** Makes a sample of length frames with uninitialised data: priority 128, loop over the whole
 * sample, user_param 0. Null with the error number EINVAL for a negative length or a size that
 * does not fit in memory's address range, ENOMEM when memory is short (nothing is kept). */
CORVANE_API sample *new_sample(int bits, int stereo, int frequency, int length) CORVANE_NOEXCEPT;

/** Stops every voice that plays the sample and frees it. Null is ignored. */
CORVANE_API void free_sample(sample *spl) CORVANE_NOEXCEPT;

/** Plays a sample on a voice of its own that frees itself when the sound ends: volume and pan
 * 0..255, frequency in thousandths of the sample's rate (1000: its own rate), loop nonzero to loop.
 * Returns the voice, or -1 when no virtual voice can be had (or spl is null). When every physical
 * voice plays a more important sound, the voice is returned but stays silent. */
CORVANE_API int start_sample(const sample *spl, int volume, int pan, int frequency,
                             int loop) CORVANE_NOEXCEPT;

/** Changes volume, pan, frequency and loop of the lowest voice that plays the sample; nothing when
 * none plays it. */
CORVANE_API void retune_sample(const sample *spl, int volume, int pan, int frequency,
                               int loop) CORVANE_NOEXCEPT;

/** Frees every voice that plays the sample. */
CORVANE_API void halt_sample(const sample *spl) CORVANE_NOEXCEPT;

/* ---- Voices --------------------------------------------------------------------------------- */
/* Every call takes a virtual voice 0..255; calls with other numbers are ignored, and queries on
 * them answer -1 (null for check_voice). */

/** Claims a voice for a sample, with a physical voice that is free, whose sound ended, or that
 * plays the least important sound of no higher priority (that sound loses it). Returns the voice,
 * or -1 when every virtual voice holds a sound that has not ended (or spl is null); the voice has
 * no physical voice, and plays nothing, when none could be had. */
CORVANE_API int claim_voice(const sample *spl) CORVANE_NOEXCEPT;

/** Stops the voice and gives it up. */
CORVANE_API void free_voice(int voice) CORVANE_NOEXCEPT;

/** Keeps the voice's physical voice but plays another sample on it (null is ignored). */
CORVANE_API void rebind_voice(int voice, const sample *spl) CORVANE_NOEXCEPT;

/** Lets the voice free itself once its sound has ended. */
CORVANE_API void autokill_voice(int voice) CORVANE_NOEXCEPT;

/** Starts (or resumes) playing the voice. */
CORVANE_API void start_voice(int voice) CORVANE_NOEXCEPT;
/** Stops the voice where it is; start_voice resumes it. */
CORVANE_API void stop_voice(int voice) CORVANE_NOEXCEPT;
/** Sets how important the voice's sound is, 0..255 (higher keeps its physical voice longer). */
CORVANE_API void set_voice_priority(int voice, int priority) CORVANE_NOEXCEPT;

/** The voice's sample while it is still there to be used (bound, and not an ended autokill sound);
 * else null. */
CORVANE_API const sample *check_voice(int voice) CORVANE_NOEXCEPT;

/** Position in frames; -1 when the voice has no physical voice or its sound has ended. */
CORVANE_API int get_voice_position(int voice) CORVANE_NOEXCEPT;
/** Moves the voice to a frame; nothing without a physical voice. */
CORVANE_API void set_voice_position(int voice, int position) CORVANE_NOEXCEPT;

/** PLAYMODE_... bits; backward play starts from the last frame. */
CORVANE_API void set_voice_playmode(int voice, int playmode) CORVANE_NOEXCEPT;

/** Volume 0..255 on the program's scale (the digital volume is taken out again); -1 unbound. */
CORVANE_API int get_voice_volume(int voice) CORVANE_NOEXCEPT;
/** Sets the volume 0..255 on the program's scale (scaled by the digital volume), ending a ramp. */
CORVANE_API void set_voice_volume(int voice, int volume) CORVANE_NOEXCEPT;
/** Ramps the volume to end_volume over time milliseconds. */
CORVANE_API void ramp_voice_volume(int voice, int time, int end_volume) CORVANE_NOEXCEPT;
/** Stops a volume ramp where it is. */
CORVANE_API void stop_voice_ramp(int voice) CORVANE_NOEXCEPT;

/** Frequency in Hz; -1 unbound. */
CORVANE_API int get_voice_frequency(int voice) CORVANE_NOEXCEPT;
/** Sets the frequency in Hz; a frequency of 0 or less holds the voice still. */
CORVANE_API void set_voice_frequency(int voice, int frequency) CORVANE_NOEXCEPT;
/** Sweeps the frequency to end_frequency over time milliseconds. */
CORVANE_API void sweep_voice_frequency(int voice, int time, int end_frequency) CORVANE_NOEXCEPT;
/** Stops a frequency sweep where it is. */
CORVANE_API void stop_voice_frequency_sweep(int voice) CORVANE_NOEXCEPT;

/** Pan 0 (left) .. 255 (right), swapped while flip_pan is set; -1 unbound. */
CORVANE_API int get_voice_pan(int voice) CORVANE_NOEXCEPT;
/** Sets the pan 0 (left) .. 255 (right), swapped while flip_pan is set. */
CORVANE_API void set_voice_pan(int voice, int pan) CORVANE_NOEXCEPT;
/** Sweeps the pan to end_pan over time milliseconds. */
CORVANE_API void sweep_voice_pan(int voice, int time, int end_pan) CORVANE_NOEXCEPT;
/** Stops a pan sweep where it is. */
CORVANE_API void stop_voice_pan_sweep(int voice) CORVANE_NOEXCEPT;

/** Sets an echo; passed to drivers that implement it (none here). */
CORVANE_API void set_voice_echo(int voice, int strength, int delay) CORVANE_NOEXCEPT;
/** Sets a tremolo; passed to drivers that implement it (none here). */
CORVANE_API void set_voice_tremolo(int voice, int rate, int depth) CORVANE_NOEXCEPT;
/** Sets a vibrato; passed to drivers that implement it (none here). */
CORVANE_API void set_voice_vibrato(int voice, int rate, int depth) CORVANE_NOEXCEPT;

/* ---- The software mixer (for digital drivers) ----------------------------------------------- */

/** Opens the mixer from a driver's open: block size in samples (frames times channels), output
 * rate in Hz, stereo and 16-bit flags, and the voices wanted (at most 64: *voices is lowered to
 * what the mixer serves). Returns 0, or -1 when the arguments are unusable (no whole frame, rate
 * of 0 or less, voices null), memory is short or no mutex can be made. */
CORVANE_API int open_mixer(int size, int rate, int stereo, int sixteen_bit,
                           int *voices) CORVANE_NOEXCEPT;

/** Closes the mixer from a driver's close. */
CORVANE_API void close_mixer(void) CORVANE_NOEXCEPT;

/** Mixes one block (the block size given to open_mixer) into out: 8- or 16-bit samples, unsigned
 * with the midpoint as silence, or signed when signed_output is nonzero; stereo interleaved left
 * then right. 16-bit samples are in the machine's byte order. segment is ignored. Does nothing
 * while the mixer is closed. Call it from the driver's output thread. */
CORVANE_API void render_mix(void *out, int segment, int signed_output) CORVANE_NOEXCEPT;

/** Attenuates every voice by 2^shift (default 1); a negative shift picks one from the number of
 * voices (1 + ceil(log2(voices)), 2 for a single voice). */
CORVANE_API void set_mix_volume_shift(int shift) CORVANE_NOEXCEPT;

/** Sets sound_quality (values above 2, and negative ones, become 2; a mono output mixes at 0). */
CORVANE_API void set_mixer_quality(int quality) CORVANE_NOEXCEPT;

/* The mixer's voice operations, for slots 17 to 38 of a digital driver record. Each takes a
 * physical voice 0..63; other numbers are ignored, and the readers answer -1 for them. The writers
 * apply the value the voice layer has already stored for the physical voice; their value
 * arguments are not read. */
/** Slot 17: attaches a sample to a physical voice of the mixer (null is ignored). */
CORVANE_API void mixer_bind_voice(int voice, const sample *spl) CORVANE_NOEXCEPT;
/** Slot 18: stops the physical voice and detaches its sample. */
CORVANE_API void mixer_unbind_voice(int voice) CORVANE_NOEXCEPT;
/** Slot 19: starts mixing the physical voice. */
CORVANE_API void mixer_play_voice(int voice) CORVANE_NOEXCEPT;
/** Slot 20: stops mixing the physical voice. */
CORVANE_API void mixer_halt_voice(int voice) CORVANE_NOEXCEPT;
/** Slot 21: takes up the play mode stored for the physical voice. */
CORVANE_API void mixer_set_loop_mode(int voice, int playmode) CORVANE_NOEXCEPT;
/** Slot 22: position in frames; negative once the voice has ended (-1 for a bad voice). */
CORVANE_API int mixer_read_position(int voice) CORVANE_NOEXCEPT;
/** Slot 23: moves the physical voice to a frame. */
CORVANE_API void mixer_seek_voice(int voice, int position) CORVANE_NOEXCEPT;
/** Slot 24: the physical voice's volume 0..255, or -1 for a bad voice. */
CORVANE_API int mixer_read_volume(int voice) CORVANE_NOEXCEPT;
/** Slot 25: takes up the volume stored for the physical voice. */
CORVANE_API void mixer_write_volume(int voice, int volume) CORVANE_NOEXCEPT;
/** Slot 26: ramps the volume to end_volume over time milliseconds. */
CORVANE_API void mixer_fade_volume(int voice, int time, int end_volume) CORVANE_NOEXCEPT;
/** Slot 27: stops a volume ramp where it is. */
CORVANE_API void mixer_end_fade(int voice) CORVANE_NOEXCEPT;
/** Slot 28: the physical voice's frequency in Hz, or -1 for a bad voice. */
CORVANE_API int mixer_read_frequency(int voice) CORVANE_NOEXCEPT;
/** Slot 29: takes up the frequency stored for the physical voice. */
CORVANE_API void mixer_write_frequency(int voice, int frequency) CORVANE_NOEXCEPT;
/** Slot 30: ramps the frequency to end_frequency over time milliseconds. */
CORVANE_API void mixer_glide_frequency(int voice, int time, int end_frequency) CORVANE_NOEXCEPT;
/** Slot 31: stops a frequency ramp where it is. */
CORVANE_API void mixer_end_frequency_glide(int voice) CORVANE_NOEXCEPT;
/** Slot 32: the physical voice's pan 0..255, or -1 for a bad voice. */
CORVANE_API int mixer_read_pan(int voice) CORVANE_NOEXCEPT;
/** Slot 33: takes up the pan stored for the physical voice. */
CORVANE_API void mixer_write_pan(int voice, int pan) CORVANE_NOEXCEPT;
/** Slot 34: ramps the pan to end_pan over time milliseconds. */
CORVANE_API void mixer_glide_pan(int voice, int time, int end_pan) CORVANE_NOEXCEPT;
/** Slot 35: stops a pan ramp where it is. */
CORVANE_API void mixer_end_pan_glide(int voice) CORVANE_NOEXCEPT;
/** Slot 36: does nothing; the mixer has no echo. */
CORVANE_API void mixer_write_echo(int voice, int strength, int delay) CORVANE_NOEXCEPT;
/** Slot 37: does nothing; the mixer has no tremolo. */
CORVANE_API void mixer_write_tremolo(int voice, int rate, int depth) CORVANE_NOEXCEPT;
/** Slot 38: does nothing; the mixer has no vibrato. */
CORVANE_API void mixer_write_vibrato(int voice, int rate, int depth) CORVANE_NOEXCEPT;

/** Fills slots 17 to 38 of a digital driver record in a designated initialiser:
 * @code
 *   digi_driver_record my_driver = { ..., .block_size = my_block_size, MIXER_VOICE_SLOTS };
 * @endcode */
#define MIXER_VOICE_SLOTS                                                             \
  .bind_voice = mixer_bind_voice, .unbind_voice = mixer_unbind_voice,                 \
  .play_voice = mixer_play_voice, .halt_voice = mixer_halt_voice,                     \
  .set_loop_mode = mixer_set_loop_mode, .read_position = mixer_read_position,         \
  .seek_voice = mixer_seek_voice, .read_volume = mixer_read_volume,                   \
  .write_volume = mixer_write_volume, .fade_volume = mixer_fade_volume,               \
  .end_fade = mixer_end_fade, .read_frequency = mixer_read_frequency,                 \
  .write_frequency = mixer_write_frequency, .glide_frequency = mixer_glide_frequency, \
  .end_frequency_glide = mixer_end_frequency_glide, .read_pan = mixer_read_pan,       \
  .write_pan = mixer_write_pan, .glide_pan = mixer_glide_pan,                         \
  .end_pan_glide = mixer_end_pan_glide, .write_echo = mixer_write_echo,               \
  .write_tremolo = mixer_write_tremolo, .write_vibrato = mixer_write_vibrato

CORVANE_EXTERN_C_END

#endif /* CORVANE_SOUND_H */
