/* file_resources: reading what a game ships beside its program --
 *   a configuration file, read from inside a data file through a "file.dat#object" name;
 *   a text file in a folder of the data file, read line by line through a packfile stream;
 *   a PNG picture with an alpha channel, loaded into a bitmap and drawn with its transparency
 *   (its alpha channel is shown beside it as shades of grey).
 * The data file "examples.dat" is made when the examples are built, from the folder
 * examples/data, with the library's data-file tool:
 *
 *   corvane_datafile create -c examples.dat settings.cfg text tune.mid
 *
 * (-c compresses each object; the folder "text" becomes a data file inside the data file). Both
 * "examples.dat" and "logo.png" are looked for beside the program (locate_resource).
 *
 *   file_resources           runs until a key is pressed
 *
 * With CORVANE_EXAMPLE_FRAMES=N in the environment the program draws N frames and ends by itself,
 * reading no keys. On a machine without a display the library draws on its headless screen;
 * CORVANE_SCREENSHOT=shot.png then makes it save the last frame to shot.png when it ends. */
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <corvane.h>

#define PATH_SIZE 1024
#define MAX_LINES 8
#define MAX_STARS 200

/* The number of frames asked for by CORVANE_EXAMPLE_FRAMES, or 0 to run until a key is pressed. */
static int frames_to_run(void) {
  const char *text = getenv("CORVANE_EXAMPLE_FRAMES");
  int frames = text != NULL ? atoi(text) : 0;
  return frames > 0 ? frames : 0;
}

/* What the program learns from its files. */
static char title[128];
static int background, ink, star_count;
static float speed;
static char words[8][64];
static int word_count;
static char lines[MAX_LINES][128];
static int line_count;

/* A colour written as hexadecimal RRGGBB, packed for the screen. */
static int color_from_hex(int rgb) {
  return make_color((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

/* Reads the settings: the data file's configuration object is loaded as an override, so that its
 * values win over corvane.cfg while it is there, and is dropped again afterwards. */
static void read_settings(const char *datafile) {
  char name[PATH_SIZE + 32]; /* the data file's path, "#" and the object's name */
  char **argv;
  int argc, i;

  snprintf(name, sizeof name, "%s#settings.cfg", datafile);
  use_override_config_file(name);
  /* Each getter takes a section, a key, and the value to use when the key is missing. */
  snprintf(title, sizeof title, "%s", config_get_string("picture", "title", "(no title)"));
  background = color_from_hex(config_get_hex("picture", "background", 0x000000));
  ink = color_from_hex(config_get_hex("picture", "ink", 0xFFFFFF));
  star_count = config_get_int("picture", "stars", 20);
  if (star_count > MAX_STARS) star_count = MAX_STARS;
  speed = config_get_float("picture", "speed", 1.0f);
  /* A value split into words; quotes keep words together. The list belongs to the library. */
  argv = config_get_argv("text", "words", &argc);
  for (i = 0; i < argc && i < 8; i++) snprintf(words[i], sizeof words[i], "%s", argv[i]);
  word_count = i;
  use_override_config_file(NULL);
}

/* Reads a text object, line by line, through a packfile stream opened on "file.dat#folder/name". */
static int read_poem(const char *datafile) {
  char name[PATH_SIZE + 32]; /* the data file's path, "#" and the object's name */
  packfile *f;

  snprintf(name, sizeof name, "%s#text/poem.txt", datafile);
  f = open_packfile(name, "r");
  if (f == NULL) return -1;
  while (line_count < MAX_LINES &&
         packfile_read_line(lines[line_count], sizeof lines[line_count], f) != NULL) {
    line_count++;
  }
  close_packfile(f);
  return 0;
}

int main(void) {
  int frames = frames_to_run();
  int frame, i, x, y;
  char datafile[PATH_SIZE], logo_name[PATH_SIZE];
  int star_x[MAX_STARS], star_y[MAX_STARS];
  bitmap *buffer, *logo, *alpha_view;

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

  if (locate_resource(datafile, "examples.dat", NULL, NULL, NULL, NULL, NULL, PATH_SIZE) != 0) {
    show_message("Cannot find examples.dat beside the program\n");
    return 1;
  }
  read_settings(datafile);
  if (read_poem(datafile) != 0) {
    show_message("Cannot read %s#text/poem.txt\n%s\n", datafile, text_error_string(errno));
    return 1;
  }

  /* A PNG with an alpha channel keeps its alpha at 32 bits per pixel (the current depth). */
  if (locate_resource(logo_name, "logo.png", NULL, NULL, NULL, NULL, NULL, PATH_SIZE) != 0) {
    show_message("Cannot find logo.png beside the program\n");
    return 1;
  }
  logo = load_bitmap_png(logo_name, NULL);
  if (logo == NULL) {
    show_message("Cannot load %s\n%s\n", logo_name, error_text);
    return 1;
  }

  /* A picture of the logo's alpha channel: at 32 bits the alpha byte sits above the colour, at
   * bit alpha_shift_32. */
  alpha_view = create_bitmap(logo->width, logo->height);
  buffer = create_bitmap(320, 240);
  if (alpha_view == NULL || buffer == NULL) {
    show_message("Cannot make the drawing buffer\n%s\n", error_text);
    return 1;
  }
  for (y = 0; y < logo->height; y++) {
    for (x = 0; x < logo->width; x++) {
      int alpha = (get_pixel(logo, x, y) >> alpha_shift_32) & 0xFF;
      put_pixel(alpha_view, x, y, make_color(alpha, alpha, alpha));
    }
  }
  /* The stars' places come from the library's random numbers with a fixed seed: the same sky
   * every run. */
  corvane_random_seed(7);
  for (i = 0; i < star_count; i++) {
    star_x[i] = corvane_random() % 320;
    star_y[i] = corvane_random() % 240;
  }
  select_alpha_blend();

  for (frame = 0; frames == 0 || frame < frames; frame++) {
    clear_to_color(buffer, background);
    for (i = 0; i < star_count; i++) {
      put_pixel(buffer, (star_x[i] + frame / 4) % 320, star_y[i], make_color(200, 200, 255));
    }
    draw_text_centred(buffer, default_font, title, 160, 6, ink, -1);

    draw_text(buffer, default_font, "from examples.dat#settings.cfg:", 8, 24,
              make_color(150, 170, 200), -1);
    for (i = 0; i < word_count; i++) {
      draw_textf(buffer, default_font, 16, 36 + i * 10, ink, -1, "word %d: %s", i + 1, words[i]);
    }
    draw_text(buffer, default_font, "from examples.dat#text/poem.txt:", 8, 84,
              make_color(150, 170, 200), -1);
    for (i = 0; i < line_count; i++) {
      draw_text(buffer, default_font, lines[i], 16, 96 + i * 10, ink, -1);
    }

    /* The logo glides to and fro at the configured speed, blended by its own alpha channel. */
    draw_text(buffer, default_font, "logo.png, with alpha:", 8, 156, make_color(150, 170, 200), -1);
    x = (int)(frame * speed) % 400;
    x = 8 + (x < 200 ? x : 400 - x) * (320 - 16 - logo->width) / 200;
    y = 170;
    draw_sprite_alpha(buffer, logo, x, y);
    /* The alpha channel itself, as shades of grey: white is opaque, black clear. */
    blit(alpha_view, buffer, 0, 0, 320 - logo->width - 8, 24, logo->width, logo->height);

    wait_for_vsync();
    blit(buffer, screen_bitmap, 0, 0, 0, 0, 320, 240);
    if (frames == 0 && key_waiting()) break;
  }

  destroy_bitmap(alpha_view);
  destroy_bitmap(logo);
  destroy_bitmap(buffer);
  return 0;
}
