/* Plays a MIDI file, or renders it into a WAV file.
 *
 *   sound_play_midi [-d fluidsynth|voices|none] [-o out.wav] music.mid
 *
 * Without -o the music goes to the first digital driver that works, through the chosen MIDI
 * driver (by default the first that works: FluidSynth, then notes on digital voices). With -o it
 * is rendered through the offline output driver and written as a 16-bit stereo WAV file at
 * 44100 Hz. The MIDI player keeps time with the timer thread, so a render takes as long as the
 * music lasts. The SoundFont comes from "soundfont" in section [sound] of corvane.cfg, or from the
 * system's usual places. */
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <corvane.h>
#include <corvane/midi.h>

#define RATE 44100
#define TICK_MS 10
#define FRAMES_PER_TICK (RATE * TICK_MS / 1000)

static volatile int ticks = 0;
static void count_tick(void) { ticks++; }

static int driver_by_name(const char *name) {
  if (strcmp(name, "fluidsynth") == 0) return MIDI_FLUIDSYNTH;
  if (strcmp(name, "voices") == 0) return MIDI_SOUNDFONT_VOICES;
  if (strcmp(name, "none") == 0) return MIDI_NONE;
  return MIDI_AUTODETECT;
}

static void put_le(FILE *f, unsigned long value, int bytes) {
  int i;
  for (i = 0; i < bytes; i++) fputc((int)((value >> (8 * i)) & 0xFF), f);
}

static void write_wav_header(FILE *f, unsigned long data_bytes) {
  fwrite("RIFF", 1, 4, f);
  put_le(f, 36 + data_bytes, 4);
  fwrite("WAVEfmt ", 1, 8, f);
  put_le(f, 16, 4);
  put_le(f, 1, 2);        /* PCM */
  put_le(f, 2, 2);        /* stereo */
  put_le(f, RATE, 4);
  put_le(f, RATE * 4, 4); /* bytes per second */
  put_le(f, 4, 2);        /* bytes per frame */
  put_le(f, 16, 2);
  fwrite("data", 1, 4, f);
  put_le(f, data_bytes, 4);
}

/* Renders the piece into the WAV file as the player plays it, then two seconds of its tail. */
static int render_to_wav(midi_piece *piece, const char *out_name) {
  static short block[FRAMES_PER_TICK * 2];
  unsigned long frames = 0;
  int rendered_ticks = 0, tail = -1, i;
  FILE *f = fopen(out_name, "wb");
  if (f == NULL) {
    fprintf(stderr, "Cannot write %s\n", out_name);
    return 1;
  }
  write_wav_header(f, 0);
  add_timer_handler_ms(count_tick, TICK_MS);
  if (play_midi_piece(piece, 0) != 0) {
    fprintf(stderr, "Cannot play the piece: %s\n", error_text);
    fclose(f);
    return 1;
  }
  while (tail != 0) {
    while (rendered_ticks < ticks && tail != 0) {
      render_offline_sound(block, FRAMES_PER_TICK);
      for (i = 0; i < FRAMES_PER_TICK * 2; i++) put_le(f, (unsigned short)block[i], 2);
      frames += FRAMES_PER_TICK;
      rendered_ticks++;
      if (tail > 0) tail--;
      if (tail < 0 && midi_beat < 0) tail = 2000 / TICK_MS; /* the piece ended */
    }
    rest_ms(TICK_MS / 2);
  }
  remove_timer_handler(count_tick);
  fseek(f, 0, SEEK_SET);
  write_wav_header(f, frames * 4);
  fclose(f);
  printf("%s: %lu frames\n", out_name, frames);
  return 0;
}

int main(int argc, char **argv) {
  const char *out_name = NULL, *midi_name = NULL;
  int midi_id = MIDI_AUTODETECT, i, status = 0;
  midi_piece *piece;

  for (i = 1; i < argc; i++) {
    if (strcmp(argv[i], "-d") == 0 && i + 1 < argc) {
      midi_id = driver_by_name(argv[++i]);
    } else if (strcmp(argv[i], "-o") == 0 && i + 1 < argc) {
      out_name = argv[++i];
    } else {
      midi_name = argv[i];
    }
  }
  if (midi_name == NULL) {
    fprintf(stderr, "usage: %s [-d fluidsynth|voices|none] [-o out.wav] music.mid\n", argv[0]);
    return 2;
  }
  if (startup_corvane_versioned(SYSTEM_AUTODETECT, &errno, atexit, CORVANE_VERSION) != 0) return 1;
  if (out_name != NULL) sound_freq = RATE;
  if (install_sound(out_name != NULL ? DIGI_OFFLINE : DIGI_AUTODETECT, midi_id) != 0) {
    fprintf(stderr, "Cannot start sound: %s\n", error_text);
    return 1;
  }
  printf("MIDI driver: %s\n", current_midi_driver->description);
  piece = load_midi_piece(midi_name);
  if (piece == NULL) {
    fprintf(stderr, "Cannot load %s\n", midi_name);
    return 1;
  }
  if (out_name != NULL) {
    status = render_to_wav(piece, out_name);
  } else {
    printf("%s: %d seconds\n", midi_name, midi_duration(piece));
    if (play_midi_piece(piece, 0) == 0) {
      while (midi_beat >= 0) rest_ms(100);
    }
  }
  free_midi_piece(piece);
  return status;
}
