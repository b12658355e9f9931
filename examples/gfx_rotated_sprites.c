/* gfx_rotated_sprites: sprites turned, scaled and flipped, in four panels:
 *   rotate_sprite         turns a sprite about its centre;
 *   rotate_sprite_scaled  also grows and shrinks it;
 *   pivot_sprite          turns it about a point of its own (a clock hand about its end);
 *   rotate_sprite_flipped mirrors it first, and the floating-point form takes degrees.
 * Angles are binary angles in 16.16 fixed point: 0x1000000 is a full turn, 0x400000 a quarter,
 * and a positive angle turns clockwise on the screen. Scales are 16.16 too: 0x10000 is 1.0.
 * Everything moves by the frame number: one full turn every 128 frames.
 *
 *   gfx_rotated_sprites      runs until a key is pressed
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

/* A 48x32 picture card with a marked corner, on the mask colour so its rounded edge is clear. */
static bitmap *make_card(void) {
  bitmap *card = create_bitmap(48, 32);
  if (card == NULL) return NULL;
  clear_to_color(card, card->vtable->mask_color);
  fill_rect(card, 2, 0, 45, 31, make_color(240, 240, 220));
  fill_rect(card, 0, 2, 47, 29, make_color(240, 240, 220));
  fill_rect(card, 3, 3, 14, 12, make_color(220, 40, 40)); /* the top-left mark */
  draw_text(card, default_font, "Cv", 18, 12, make_color(0, 0, 120), -1);
  draw_line(card, 4, 26, 43, 26, make_color(0, 120, 0));
  return card;
}

/* A 6x44 clock hand whose turning point is 4 pixels above its lower end. */
static bitmap *make_hand(void) {
  bitmap *hand = create_bitmap(6, 44);
  if (hand == NULL) return NULL;
  clear_to_color(hand, hand->vtable->mask_color);
  fill_rect(hand, 1, 0, 4, 43, make_color(255, 200, 0));
  fill_rect(hand, 0, 38, 5, 43, make_color(255, 90, 0));
  return hand;
}

static bitmap *open_panel(bitmap *target, int x, int y, const char *title) {
  draw_rect(target, x, y, x + 157, y + 109, make_color(80, 80, 110));
  draw_text(target, default_font, title, x + 4, y + 3, make_color(255, 255, 180), -1);
  return create_subbitmap(target, x + 1, y + 12, 156, 97);
}

int main(void) {
  int frames = frames_to_run();
  int frame, i;
  bitmap *buffer, *card, *hand, *panels[4];
  fixed angle, scale;

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
  card = make_card();
  hand = make_hand();
  if (buffer == NULL || card == NULL || hand == NULL) {
    show_message("Cannot make the bitmaps\n%s\n", error_text);
    return 1;
  }
  clear_to_color(buffer, make_color(20, 30, 40));
  draw_text_centred(buffer, default_font, "Rotated and scaled sprites", 160, 4,
                    make_color(255, 255, 255), -1);
  panels[0] = open_panel(buffer, 2, 16, "rotate");
  panels[1] = open_panel(buffer, 161, 16, "rotate, scaled");
  panels[2] = open_panel(buffer, 2, 128, "pivot");
  panels[3] = open_panel(buffer, 161, 128, "flipped, degrees");
  for (i = 0; i < 4; i++) {
    if (panels[i] == NULL) {
      show_message("Cannot make a panel\n%s\n", error_text);
      return 1;
    }
  }

  for (frame = 0; frames == 0 || frame < frames; frame++) {
    angle = frame * 0x20000; /* 1/128 of a turn per frame */
    /* A scale that swings between 0.5 and 2.0 and back every 64 frames. */
    scale = 0x8000 + (frame % 64 < 32 ? frame % 32 : 32 - frame % 32) * 0xC00;

    for (i = 0; i < 4; i++) clear_to_color(panels[i], make_color(0, 0, 0));

    /* rotate_sprite takes the position of the unturned sprite's top-left corner. */
    rotate_sprite(panels[0], card, 78 - 24, 48 - 16, angle);
    rotate_sprite(panels[0], card, 20 - 24, 20 - 16, -angle * 2); /* cut at the panel's edge */

    rotate_sprite_scaled(panels[1], card, 78 - 24, 48 - 16, angle, scale);

    /* pivot_sprite puts the sprite's point (3, 40) on the panel's (78, 48) and turns about it:
     * a second hand, and a minute hand twelve times slower. */
    draw_circle(panels[2], 78, 48, 44, make_color(120, 120, 160));
    pivot_sprite(panels[2], hand, 78, 48, 3, 40, angle / 12);
    pivot_sprite_scaled(panels[2], hand, 78, 48, 3, 40, angle, 0xC000);
    fill_circle(panels[2], 78, 48, 3, make_color(255, 255, 255));

    /* The floating-point forms take positions in pixels and angles in degrees. */
    rotate_sprite_flipped_f(panels[3], card, 10.0f, 32.0f, frame * 360.0f / 128.0f, 1.0f,
                            SPRITE_FLIP_H);
    rotate_sprite_flipped_f(panels[3], card, 90.0f, 32.0f, -frame * 360.0f / 128.0f, 1.0f,
                            SPRITE_FLIP_V);

    wait_for_vsync();
    blit(buffer, screen_bitmap, 0, 0, 0, 0, 320, 240);
    if (frames == 0 && key_waiting()) break;
  }

  for (i = 0; i < 4; i++) destroy_bitmap(panels[i]);
  destroy_bitmap(hand);
  destroy_bitmap(card);
  destroy_bitmap(buffer);
  return 0;
}
