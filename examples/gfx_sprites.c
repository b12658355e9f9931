/* gfx_sprites: sprites and every way of blending them. A sprite is a bitmap whose pixels of the
 * mask colour (magenta at 15 to 32 bits) are transparent. Shown over a striped background:
 *   row 1: draw_sprite, mirrored (hflip), upside down (vflip), both, and lit by corner levels
 *          (draw_sprite_gouraud);
 *   row 2: translucent (draw_sprite_trans) through the mix, add, multiply and screen blenders,
 *          which select_*_blend installs with a weight (0-255);
 *   row 3: lit toward a colour (draw_sprite_lit) at a level that pulses with the frame number,
 *          and a 32-bit sprite with its own alpha channel (draw_sprite_alpha);
 *   row 4: the same sprite as a run-length sprite (create_run_sprite), which skips the
 *          transparent runs quickly: plain, translucent, lit and alpha.
 *
 *   gfx_sprites              runs until a key is pressed
 *
 * With CORVANE_EXAMPLE_FRAMES=N in the environment the program draws N frames and ends by itself,
 * reading no keys. On a machine without a display the library draws on its headless screen;
 * CORVANE_SCREENSHOT=shot.png then makes it save the last frame to shot.png when it ends. */
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>

#include <corvane.h>

#define COLUMN(i) (64 + (i)*52)
#define ROW(i) (16 + (i)*56)

/* The number of frames asked for by CORVANE_EXAMPLE_FRAMES, or 0 to run until a key is pressed. */
static int frames_to_run(void) {
  const char *text = getenv("CORVANE_EXAMPLE_FRAMES");
  int frames = text != NULL ? atoi(text) : 0;
  return frames > 0 ? frames : 0;
}

/* A 40x40 arrow-headed ship on the mask colour, lopsided so that flips can be seen. */
static bitmap *make_ship(void) {
  static const int hull[8] = {4, 36, 20, 2, 36, 36, 20, 26};
  bitmap *ship = create_bitmap(40, 40);
  if (ship == NULL) return NULL;
  clear_to_color(ship, ship->vtable->mask_color);
  draw_polygon(ship, 4, hull, make_color(60, 160, 255));
  fill_circle(ship, 20, 20, 5, make_color(255, 255, 255));
  fill_rect(ship, 4, 30, 10, 36, make_color(255, 80, 40)); /* one red fin, on the left */
  return ship;
}

/* A 40x40 glowing ball whose alpha channel fades from opaque at the centre to clear at the rim.
 * At 32 bits the alpha byte sits above the colour, at bit alpha_shift_32. */
static bitmap *make_glow(void) {
  bitmap *glow = create_bitmap(40, 40);
  int x, y;
  if (glow == NULL) return NULL;
  for (y = 0; y < 40; y++) {
    for (x = 0; x < 40; x++) {
      int d2 = (x - 20) * (x - 20) + (y - 20) * (y - 20);
      int alpha = d2 >= 400 ? 0 : 255 - d2 * 255 / 400;
      put_pixel(glow, x, y, make_color(255, 230, 120) | (alpha << alpha_shift_32));
    }
  }
  return glow;
}

static void draw_background(bitmap *target) {
  int x;
  for (x = 0; x < target->width; x++) {
    int band = (x / 16) % 4;
    draw_vline(target, x, 0, target->height - 1,
               band == 0   ? make_color(30, 30, 60)
               : band == 1 ? make_color(200, 60, 60)
               : band == 2 ? make_color(60, 160, 60)
                           : make_color(220, 220, 220));
  }
}

static void label(bitmap *target, int row, const char *text) {
  draw_text(target, default_font, text, 2, ROW(row) + 16, make_color(255, 255, 255),
            make_color(0, 0, 0));
}

int main(void) {
  int frames = frames_to_run();
  int frame, level;
  bitmap *buffer, *ship, *glow;
  run_sprite *ship_runs, *glow_runs;

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

  buffer = create_bitmap(320, 240);
  ship = make_ship();
  glow = make_glow();
  if (buffer == NULL || ship == NULL || glow == NULL) {
    show_message("Cannot make the bitmaps\n%s\n", error_text);
    return 1;
  }
  /* Run-length sprites are made once from a bitmap and cannot be drawn on afterwards. */
  ship_runs = create_run_sprite(ship);
  glow_runs = create_run_sprite(glow);
  if (ship_runs == NULL || glow_runs == NULL) {
    show_message("Cannot make the run-length sprites\n%s\n", error_text);
    return 1;
  }

  for (frame = 0; frames == 0 || frame < frames; frame++) {
    /* A light level that rises and falls between 0 and 255 every 64 frames. */
    level = frame % 64 < 32 ? (frame % 32) * 8 : 255 - (frame % 32) * 8;

    draw_background(buffer);
    draw_text_centred(buffer, default_font, "Sprites and blenders", 160, 2,
                      make_color(255, 255, 255), make_color(0, 0, 0));

    label(buffer, 0, "plain");
    draw_sprite(buffer, ship, COLUMN(0), ROW(0));
    draw_sprite_hflip(buffer, ship, COLUMN(1), ROW(0));
    draw_sprite_vflip(buffer, ship, COLUMN(2), ROW(0));
    draw_sprite_vhflip(buffer, ship, COLUMN(3), ROW(0));
    /* Gouraud lighting needs a blender: each corner's level lights toward black here. */
    select_mix_blend(0, 0, 0, 0);
    draw_sprite_gouraud(buffer, ship, COLUMN(4), ROW(0), 0, 255, 255, 0);

    /* Translucency: the last argument of each select_*_blend is the weight. */
    label(buffer, 1, "trans");
    select_mix_blend(0, 0, 0, 128);
    draw_sprite_trans(buffer, ship, COLUMN(0), ROW(1));
    select_add_blend(0, 0, 0, 255);
    draw_sprite_trans(buffer, ship, COLUMN(1), ROW(1));
    select_multiply_blend(0, 0, 0, 255);
    draw_sprite_trans(buffer, ship, COLUMN(2), ROW(1));
    select_screen_blend(0, 0, 0, 255);
    draw_sprite_trans(buffer, ship, COLUMN(3), ROW(1));
    select_difference_blend(0, 0, 0, 255);
    draw_sprite_trans(buffer, ship, COLUMN(4), ROW(1));

    /* Lighting: the first three arguments are the colour a lit sprite moves toward. */
    label(buffer, 2, "lit");
    select_mix_blend(255, 0, 0, 0);
    draw_sprite_lit(buffer, ship, COLUMN(0), ROW(2), level);
    select_mix_blend(255, 255, 255, 0);
    draw_sprite_lit(buffer, ship, COLUMN(1), ROW(2), level);
    select_mix_blend(0, 0, 0, 0);
    draw_sprite_lit(buffer, ship, COLUMN(2), ROW(2), 255 - level);
    /* Alpha: each pixel's own alpha byte weighs it over the background. */
    select_alpha_blend();
    draw_sprite_alpha(buffer, glow, COLUMN(3), ROW(2));
    draw_sprite_alpha(buffer, glow, COLUMN(4), ROW(2));

    label(buffer, 3, "runs");
    draw_rle(buffer, ship_runs, COLUMN(0), ROW(3));
    select_mix_blend(0, 0, 0, 128);
    draw_rle_trans(buffer, ship_runs, COLUMN(1), ROW(3));
    select_mix_blend(255, 255, 0, 0);
    draw_rle_lit(buffer, ship_runs, COLUMN(2), ROW(3), level);
    select_alpha_blend();
    draw_rle_alpha(buffer, glow_runs, COLUMN(3), ROW(3));
    /* A sprite moving along the bottom row, one pixel a frame, wrapping around. */
    draw_rle(buffer, ship_runs, COLUMN(4) + frame % 40 - 20, ROW(3));

    wait_for_vsync();
    blit(buffer, screen_bitmap, 0, 0, 0, 0, 320, 240);
    if (frames == 0 && key_waiting()) break;
  }

  destroy_run_sprite(glow_runs);
  destroy_run_sprite(ship_runs);
  destroy_bitmap(glow);
  destroy_bitmap(ship);
  destroy_bitmap(buffer);
  return 0;
}
