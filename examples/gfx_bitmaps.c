/* gfx_bitmaps: memory bitmaps of every colour depth, sub-bitmaps, and blits between them.
 *
 * Four small bitmaps are drawn at 8, 15, 16 and 24 bits per pixel and copied with blit onto a
 * 32-bit screen, which converts each pixel on the way (the 8-bit one through the palette). A
 * sub-bitmap shares the pixels of part of its parent: drawing on it draws on the parent, clipped
 * to the part. masked_blit copies all but the pixels of the mask colour, and a blit within one
 * bitmap scrolls a strip along by one pixel every frame.
 *
 *   gfx_bitmaps              runs until a key is pressed
 *
 * With CORVANE_EXAMPLE_FRAMES=N in the environment the program draws N frames and ends by itself,
 * reading no keys. On a machine without a display the library draws on its headless screen;
 * CORVANE_SCREENSHOT=shot.png then makes it save the last frame to shot.png when it ends. */
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>

#include <corvane.h>

/* The number of frames asked for by CORVANE_EXAMPLE_FRAMES, or 0 to run until a key is pressed. */
static int frames_to_run(void) {
  const char *text = getenv("CORVANE_EXAMPLE_FRAMES");
  int frames = text != NULL ? atoi(text) : 0;
  return frames > 0 ? frames : 0;
}

/* A 64x64 bitmap of the given depth with the same picture on it: a red-to-blue gradient with a
 * green diagonal. make_color_depth packs a colour for a depth other than the current one. */
static bitmap *make_tile(int depth) {
  bitmap *tile = create_bitmap_at_depth(depth, 64, 64);
  int x, y;
  if (tile == NULL) return NULL;
  for (y = 0; y < 64; y++) {
    for (x = 0; x < 64; x++) {
      put_pixel(tile, x, y, make_color_depth(depth, x * 4, y * 2, 255 - x * 4));
    }
  }
  draw_line(tile, 0, 0, 63, 63, make_color_depth(depth, 0, 255, 0));
  draw_rect(tile, 0, 0, 63, 63, make_color_depth(depth, 255, 255, 255));
  return tile;
}

/* A palette for the 8-bit tile: entry i is the colour that make_color_depth(8, ...) looks up. */
static void make_rainbow_palette(palette pal) {
  int i, r, g, b;
  for (i = 0; i < PALETTE_SIZE; i++) {
    /* Hue around the circle, full saturation and value; components 0-255 become 0-63. */
    hsv_to_rgb(i * 360.0f / PALETTE_SIZE, 1.0f, 1.0f, &r, &g, &b);
    pal[i].r = (unsigned char)(r / 4);
    pal[i].g = (unsigned char)(g / 4);
    pal[i].b = (unsigned char)(b / 4);
  }
  pal[0].r = pal[0].g = pal[0].b = 0;        /* 0 stays black */
  pal[255].r = pal[255].g = pal[255].b = 63; /* 255 white */
}

int main(void) {
  static const int depths[4] = {8, 15, 16, 24};
  int frames = frames_to_run();
  int frame, i, x, y;
  bitmap *buffer, *tiles[4], *strip, *column, *window, *stamp;
  palette rainbow;

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

  /* 8-bit pixels are palette indices. select_palette makes a palette the one that 8-bit colours
   * are packed and converted with, without changing what a 32-bit screen shows. */
  make_rainbow_palette(rainbow);
  select_palette(rainbow);

  buffer = create_bitmap(320, 240);
  strip = create_bitmap(300, 24);
  column = create_bitmap(1, 24);
  stamp = create_bitmap(40, 40);
  if (buffer == NULL || strip == NULL || column == NULL || stamp == NULL) {
    show_message("Cannot make the bitmaps\n%s\n", error_text);
    return 1;
  }
  for (i = 0; i < 4; i++) {
    tiles[i] = make_tile(depths[i]);
    if (tiles[i] == NULL) {
      show_message("Cannot make a %d-bit bitmap\n%s\n", depths[i], error_text);
      return 1;
    }
  }
  /* The 8-bit tile gets an extra band of palette entries drawn straight as indices. */
  for (x = 0; x < 64; x++) draw_vline(tiles[0], x, 52, 62, x * 4);

  /* The stamp: a ring on the mask colour (magenta at 32 bits, kept in the drawing table of the
   * bitmap's depth), which masked_blit leaves out. */
  clear_to_color(stamp, stamp->vtable->mask_color);
  fill_circle(stamp, 20, 20, 18, make_color(255, 210, 0));
  fill_circle(stamp, 20, 20, 9, stamp->vtable->mask_color);

  /* The strip: stripes that the scroll below moves along. */
  for (x = 0; x < 300; x++) {
    draw_vline(strip, x, 0, 23, (x / 10) % 2 ? make_color(60, 60, 90) : make_color(200, 200, 230));
  }

  for (frame = 0; frames == 0 || frame < frames; frame++) {
    clear_to_color(buffer, make_color(24, 24, 24));
    draw_text(buffer, default_font, "blit from each depth to 32 bits", 8, 4,
              make_color(255, 255, 255), -1);
    for (i = 0; i < 4; i++) {
      blit(tiles[i], buffer, 0, 0, 8 + i * 78, 16, 64, 64);
      draw_textf(buffer, default_font, 8 + i * 78, 84, make_color(200, 200, 200), -1, "%d bits",
                 depths[i]);
    }

    /* A sub-bitmap: the rectangle (8, 110)-(167, 189) of the buffer as a bitmap of its own. Its
     * (0, 0) is the buffer's (8, 110), and nothing drawn on it reaches outside the rectangle. */
    draw_text(buffer, default_font, "sub-bitmap", 8, 98, make_color(255, 255, 255), -1);
    window = create_subbitmap(buffer, 8, 110, 160, 80);
    if (window == NULL) {
      show_message("Cannot make the sub-bitmap\n%s\n", error_text);
      return 1;
    }
    clear_to_color(window, make_color(0, 40, 80));
    for (y = 0; y < 5; y++) {
      /* Circles larger than the sub-bitmap are cut at its edges. */
      draw_circle(window, 80, 40, 20 + y * 20 + frame % 20, make_color(120, 200, 255));
    }
    destroy_bitmap(window);
    draw_rect(buffer, 7, 109, 168, 190, make_color(255, 255, 255));

    /* masked_blit skips the stamp's magenta pixels; blit copies them. */
    draw_text(buffer, default_font, "masked / plain", 190, 98, make_color(255, 255, 255), -1);
    fill_rect(buffer, 186, 110, 311, 190, make_color(0, 120, 60));
    masked_blit(stamp, buffer, 0, 0, 196, 130, 40, 40);
    blit(stamp, buffer, 0, 0, 260, 130, 40, 40);

    /* Scrolling: a blit of a bitmap onto itself moves its pixels one column left (source and
     * destination may overlap); the column that falls off the left edge comes back on the right
     * through a bitmap one column wide. */
    blit(strip, column, 0, 0, 0, 0, 1, 24);
    blit(strip, strip, 1, 0, 0, 0, 299, 24);
    blit(column, strip, 0, 0, 299, 0, 1, 24);
    blit(strip, buffer, 0, 0, 10, 204, 300, 24);

    wait_for_vsync();
    blit(buffer, screen_bitmap, 0, 0, 0, 0, 320, 240);
    if (frames == 0 && key_waiting()) break;
  }

  for (i = 0; i < 4; i++) destroy_bitmap(tiles[i]);
  destroy_bitmap(stamp);
  destroy_bitmap(column);
  destroy_bitmap(strip);
  destroy_bitmap(buffer);
  return 0;
}
