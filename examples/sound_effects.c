/* sound_effects: digital sound effects over MIDI music. Three sounds made by the program itself
 * play on the library's voices:
 *   a hum that loops and pans from the left to the right speaker and back (sweep_voice_pan);
 *   a siren that loops and glides up and down in pitch (sweep_voice_frequency);
 *   a short hit, fired every 40 frames on alternate sides (start_sample), freeing its voice
 *   when it ends.
 * Behind them plays the MIDI file "tune.mid", read from inside the examples' data file
 * "examples.dat" beside the program (see file_resources.c). The screen lists each voice's pan and
 * frequency.
 *
 *   sound_effects            plays on the sound device until a key is pressed
 *
 * With CORVANE_EXAMPLE_FRAMES=N in the environment the program runs N frames and ends by itself,
 * reading no keys. It then plays through the offline output driver instead of the sound device:
 * the program itself asks for the next 1/60 s of the mix after each frame and draws it as two
 * traces, left and right, so that every run gives the same sound and the same picture. The MIDI
 * player keeps time on the timer thread rather than by frames, so the music is left out there.
 * On a machine without a display the library draws on its headless screen;
 * CORVANE_SCREENSHOT=shot.png then makes it save the last frame to shot.png when it ends. */
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <corvane.h>

#define RATE 44100
#define FRAMES_PER_SECOND 60
#define SOUND_PER_FRAME (RATE / FRAMES_PER_SECOND) /* 735 sound frames per picture */

/* The number of frames asked for by CORVANE_EXAMPLE_FRAMES, or 0 to run until a key is pressed. */
static int frames_to_run(void) {
  const char *text = getenv("CORVANE_EXAMPLE_FRAMES");
  int frames = text != NULL ? atoi(text) : 0;
  return frames > 0 ? frames : 0;
}

/* A looping sound: one cycle of a wave 100 sound frames long, so that it plays at RATE / 100 =
 * 441 Hz at the sample's own rate. Samples are unsigned: 32768 is silence at 16 bits. */
static sample *make_cycle(int square) {
  sample *s = new_sample(16, 0, RATE, 100);
  unsigned short *data;
  int i;
  if (s == NULL) return NULL;
  data = (unsigned short *)s->data;
  for (i = 0; i < 100; i++) {
    int level = square ? (i < 50 ? 12000 : -12000)                     /* square */
                       : (i < 50 ? i * 960 - 24000 : 72000 - i * 960); /* triangle */
    data[i] = (unsigned short)(32768 + level);
  }
  return s;
}

/* A 0.15 s burst of noise that dies away, from the library's own random numbers. */
static sample *make_hit(void) {
  int length = RATE * 15 / 100, i;
  sample *s = new_sample(16, 0, RATE, length);
  unsigned short *data;
  if (s == NULL) return NULL;
  data = (unsigned short *)s->data;
  corvane_random_seed(1);
  for (i = 0; i < length; i++) {
    int noise = corvane_random() % 32768 - 16384;
    data[i] = (unsigned short)(32768 + noise * (length - i) / length);
  }
  return s;
}

/* Draws one channel of 16-bit stereo sound (channel 0 left, 1 right) as a trace in a band. */
static void draw_trace(bitmap *target, const short *mix, int channel, int top, int color) {
  int x, previous = top + 24;
  draw_rect(target, 0, top, 319, top + 48, make_color(60, 60, 80));
  for (x = 0; x < 320; x++) {
    /* The mix is quiet next to full scale (the mixer leaves room for many voices): magnify it
     * four times, and keep it inside the band. */
    int y = top + 24 - mix[(x * SOUND_PER_FRAME / 320) * 2 + channel] * 96 / 32768;
    if (y < top + 1) y = top + 1;
    if (y > top + 47) y = top + 47;
    if (x > 0) draw_line(target, x - 1, previous, x, y, color);
    previous = y;
  }
}

/* A voice's frequency is the rate its sample plays at; each sample here holds one cycle of its
 * wave in 100 sound frames, so the pitch heard is a hundredth of it. */
static void draw_voice(bitmap *target, int y, const char *name, int voice) {
  draw_textf(target, default_font, 8, y, make_color(230, 230, 230), -1, "%-6s pan %3d  %4d Hz",
             name, get_voice_pan(voice), get_voice_frequency(voice) / 100);
  /* Where the sound sits between the speakers. */
  draw_hline(target, 200, y + 3, 311, make_color(80, 80, 100));
  fill_circle(target, 200 + get_voice_pan(voice) * 111 / 255, y + 3, 3, make_color(255, 200, 0));
}

int main(void) {
  static short mix[SOUND_PER_FRAME * 2];
  int frames = frames_to_run();
  int offline = frames > 0;
  int frame, hum, siren;
  sample *hum_sound, *siren_sound, *hit_sound;
  midi_piece *music = NULL;
  char datafile[1024], music_name[1024 + 16];
  bitmap *buffer;

  if (startup_corvane_versioned(SYSTEM_AUTODETECT, &errno, atexit, CORVANE_VERSION) != 0) {
    fprintf(stderr, "Cannot start the library: %s\n", error_text);
    return 1;
  }
  if (install_keyboard() != 0) {
    fprintf(stderr, "Cannot use the keyboard: %s\n", error_text);
    return 1;
  }
  set_color_depth(32);
  if (select_gfx_mode(GFX_AUTODETECT, 320, 240, 0, 0) != 0) {
    show_message("Cannot open a 320x240 screen at 32 bits per pixel\n%s\n", error_text);
    return 1;
  }

  /* Ask for 16-bit stereo at 44.1 kHz; the drivers write back what they chose. A machine without
   * a sound device gets the no-sound drivers and runs on in silence. */
  sound_freq = RATE;
  sound_bits = 16;
  sound_stereo = 1;
  if (install_sound(offline ? DIGI_OFFLINE : DIGI_AUTODETECT,
                    offline ? MIDI_NONE : MIDI_AUTODETECT) != 0) {
    show_message("Cannot start sound\n%s\n", error_text);
    return 1;
  }

  hum_sound = make_cycle(0);
  siren_sound = make_cycle(1);
  hit_sound = make_hit();
  buffer = create_bitmap(320, 240);
  if (hum_sound == NULL || siren_sound == NULL || hit_sound == NULL || buffer == NULL) {
    show_message("Out of memory\n");
    return 1;
  }

  /* Voices that the program keeps and steers: claim one for each sample, set it up, start it. */
  hum = claim_voice(hum_sound);
  siren = claim_voice(siren_sound);
  if (hum < 0 || siren < 0) {
    show_message("No voices left\n");
    return 1;
  }
  set_voice_playmode(hum, PLAYMODE_LOOP);
  set_voice_volume(hum, 120);
  set_voice_pan(hum, 0);
  set_voice_frequency(hum, 22050); /* half the sample's rate: 220 Hz */
  start_voice(hum);
  set_voice_playmode(siren, PLAYMODE_LOOP);
  set_voice_volume(siren, 60);
  set_voice_pan(siren, 128);
  set_voice_frequency(siren, 44100);
  start_voice(siren);

  /* The music is an object of the examples' data file: "examples.dat#tune.mid". */
  if (locate_resource(datafile, "examples.dat", NULL, NULL, NULL, NULL, NULL, sizeof datafile) ==
      0) {
    snprintf(music_name, sizeof music_name, "%s#tune.mid", datafile);
    music = load_midi_piece(music_name);
  }
  if (music != NULL && !offline) play_midi_piece(music, 1); /* 1: loop */

  for (frame = 0; frames == 0 || frame < frames; frame++) {
    /* The script, by frame number: every 2 seconds the hum crosses to the other side, every 1.5
     * seconds the siren turns between its low and high pitch, and every 40 frames a hit. */
    if (frame % 120 == 0) sweep_voice_pan(hum, 2000, frame % 240 == 0 ? 255 : 0);
    if (frame % 90 == 0) sweep_voice_frequency(siren, 1500, frame % 180 == 0 ? 88200 : 44100);
    if (frame % 40 == 0) start_sample(hit_sound, 200, frame % 80 == 0 ? 32 : 224, 1000, 0);

    if (offline) {
      /* Mix the next 1/60 s: 16-bit signed, left and right interleaved. */
      if (render_offline_sound(mix, SOUND_PER_FRAME) != SOUND_PER_FRAME) {
        show_message("The offline mix failed\n%s\n", error_text);
        return 1;
      }
    }

    clear_to_color(buffer, make_color(16, 20, 30));
    draw_text_centred(buffer, default_font, "Sound effects", 160, 2, make_color(255, 255, 255), -1);
    draw_textf(buffer, default_font, 8, 16, make_color(160, 200, 255), -1, "output: %s",
               current_digi_driver->name);
    draw_textf(buffer, default_font, 8, 28, make_color(160, 200, 255), -1, "music: %s",
               music == NULL ? "examples.dat#tune.mid not found"
               : offline     ? "tune.mid (not played offline)"
                             : "tune.mid, looping");
    draw_voice(buffer, 48, "hum", hum);
    draw_voice(buffer, 60, "siren", siren);
    if (offline) {
      draw_text(buffer, default_font, "left", 4, 82, make_color(200, 200, 200), -1);
      draw_trace(buffer, mix, 0, 92, make_color(100, 255, 140));
      draw_text(buffer, default_font, "right", 4, 148, make_color(200, 200, 200), -1);
      draw_trace(buffer, mix, 1, 158, make_color(255, 160, 100));
    }

    wait_for_vsync();
    blit(buffer, screen_bitmap, 0, 0, 0, 0, 320, 240);
    if (frames == 0 && key_waiting()) break;
  }

  /* Give the claimed voices back, then free the sounds; the music stops with its piece. */
  free_voice(siren);
  free_voice(hum);
  free_midi_piece(music);
  free_sample(hit_sound);
  free_sample(siren_sound);
  free_sample(hum_sound);
  destroy_bitmap(buffer);
  return 0;
}
