/* game_star_catcher: a small complete game to copy as a starting point. Stars fall; move the
 * basket with the Left and Right arrow keys to catch them. A missed star costs one of three
 * lives. The best score is kept in the game's own configuration file, "star_catcher.cfg".
 *
 * What it shows:
 *   - the game's own configuration file, read at start and written back when a best score falls;
 *   - a title screen, the game, and a game-over screen, as three states of one loop;
 *   - a fixed-step loop on the timer (a frame pacer): the game logic runs 60 times a second on
 *     every machine, and the picture is drawn as often as the machine keeps up;
 *   - sounds made by the program, played with start_sample.
 *
 *   game_star_catcher        Space starts, the arrows move, Escape ends
 *
 * Play it in a window: the basket moves while an arrow key is held (key_state), and a terminal
 * (the keyboard driver used without a display) reports keys typed but never keys held.
 *
 * With CORVANE_EXAMPLE_FRAMES=N in the environment the game runs N frames and ends by itself: it
 * reads no keys, plays itself (the basket follows the lowest star), runs exactly one game step
 * per frame instead of following the clock, and plays no sound, so that every run draws the same
 * pictures. On a machine without a display the library draws on its headless screen;
 * CORVANE_SCREENSHOT=shot.png then makes it save the last frame to shot.png when it ends. */
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>

#include <corvane.h>

#define STEPS_PER_SECOND 60
#define MAX_STARS 8
#define BASKET_WIDTH 36
#define BASKET_Y 216
#define TITLE_STEPS 45 /* how long the title waits before a game plays itself */

typedef enum { TITLE, PLAYING, GAME_OVER } game_state;

typedef struct star {
  int alive;
  int x, y;  /* position in 1/256 pixels, so that slow stars still move smoothly */
  int speed; /* 1/256 pixels per step */
} star;

static struct {
  game_state state;
  int steps_in_state;
  int score, best, lives;
  int basket_x;
  star stars[MAX_STARS];
  int new_best;
} game;

static sample *catch_sound, *miss_sound;
static int autopilot; /* the game plays itself */

/* The number of frames asked for by CORVANE_EXAMPLE_FRAMES, or 0 to run until Escape. */
static int frames_to_run(void) {
  const char *text = getenv("CORVANE_EXAMPLE_FRAMES");
  int frames = text != NULL ? atoi(text) : 0;
  return frames > 0 ? frames : 0;
}

/* A short square-wave beep whose pitch moves from one period to another (in 1/44100 s). */
static sample *make_beep(int first_period, int last_period, int length) {
  sample *s = new_sample(8, 0, 44100, length);
  unsigned char *data;
  int i, phase = 0;
  if (s == NULL) return NULL;
  data = (unsigned char *)s->data;
  for (i = 0; i < length; i++) {
    int period = first_period + (last_period - first_period) * i / length;
    phase = (phase + 1) % period;
    /* Unsigned 8-bit: 128 is silence. The sound fades out toward its end. */
    data[i] = (unsigned char)(128 + (phase < period / 2 ? 1 : -1) * 60 * (length - i) / length);
  }
  return s;
}

static void play(const sample *s) {
  if (!autopilot && s != NULL) start_sample(s, 200, 128, 1000, 0);
}

static void change_state(game_state state) {
  game.state = state;
  game.steps_in_state = 0;
}

static void start_game(void) {
  int i;
  game.score = 0;
  game.lives = 3;
  game.basket_x = 160 - BASKET_WIDTH / 2;
  game.new_best = 0;
  for (i = 0; i < MAX_STARS; i++) game.stars[i].alive = 0;
  corvane_random_seed(2026); /* the same sky every game: easy to test, easy to change */
  change_state(PLAYING);
}

static void end_game(void) {
  if (game.score > game.best) {
    game.best = game.score;
    game.new_best = 1;
    /* Setters change the configuration in memory; flush_config_file writes it out now. */
    config_set_int("scores", "best", game.best);
    if (flush_config_file() != 0) {
      fprintf(stderr, "Cannot save the best score: %s\n", text_error_string(get_error_number()));
    }
  }
  change_state(GAME_OVER);
}

/* Which way the player (or the autopilot) moves the basket: -1, 0 or 1. */
static int basket_direction(void) {
  int i, lowest = -1;
  if (!autopilot) return (key_state[KEY_RIGHT] ? 1 : 0) - (key_state[KEY_LEFT] ? 1 : 0);
  for (i = 0; i < MAX_STARS; i++) {
    if (game.stars[i].alive && (lowest < 0 || game.stars[i].y > game.stars[lowest].y)) lowest = i;
  }
  if (lowest < 0) return 0;
  i = game.stars[lowest].x / 256 - (game.basket_x + BASKET_WIDTH / 2);
  return i > 2 ? 1 : i < -2 ? -1 : 0;
}

/* One step of game logic: 1/60 of a second of game time. */
static void update_game(void) {
  int i;
  game.steps_in_state++;
  switch (game.state) {
    case TITLE:
      if (autopilot && game.steps_in_state >= TITLE_STEPS) start_game();
      break;

    case PLAYING:
      game.basket_x += basket_direction() * 3;
      if (game.basket_x < 0) game.basket_x = 0;
      if (game.basket_x > 320 - BASKET_WIDTH) game.basket_x = 320 - BASKET_WIDTH;
      /* A new star every 30 steps, falling faster as the score grows. */
      if (game.steps_in_state % 30 == 1) {
        for (i = 0; i < MAX_STARS && game.stars[i].alive; i++) continue;
        if (i < MAX_STARS) {
          game.stars[i].alive = 1;
          game.stars[i].x = (8 + corvane_random() % 304) * 256;
          game.stars[i].y = 20 * 256;
          game.stars[i].speed = 384 + game.score * 16 + corvane_random() % 256;
        }
      }
      for (i = 0; i < MAX_STARS; i++) {
        star *s = &game.stars[i];
        if (!s->alive) continue;
        s->y += s->speed;
        if (s->y / 256 >= BASKET_Y && s->y / 256 < BASKET_Y + 6 && s->x / 256 >= game.basket_x &&
            s->x / 256 < game.basket_x + BASKET_WIDTH) {
          s->alive = 0;
          game.score++;
          play(catch_sound);
        } else if (s->y / 256 >= 240) {
          s->alive = 0;
          play(miss_sound);
          if (--game.lives == 0) end_game();
        }
      }
      break;

    case GAME_OVER:
      break;
  }
}

static void draw_star(bitmap *target, int x, int y, int color) {
  draw_line(target, x - 4, y, x + 4, y, color);
  draw_line(target, x, y - 4, x, y + 4, color);
  draw_line(target, x - 2, y - 2, x + 2, y + 2, color);
  draw_line(target, x - 2, y + 2, x + 2, y - 2, color);
}

static void draw_game(bitmap *target) {
  int i, white = make_color(255, 255, 255), gold = make_color(255, 220, 60);
  clear_to_color(target, make_color(8, 10, 40));
  switch (game.state) {
    case TITLE:
      draw_text_centred(target, default_font, "STAR CATCHER", 160, 70, gold, -1);
      for (i = 0; i < 5; i++) draw_star(target, 96 + i * 32, 100, gold);
      draw_textf_centred(target, default_font, 160, 130, white, -1, "best score: %d", game.best);
      draw_text_centred(target, default_font, "Space starts, arrows move", 160, 160, white, -1);
      draw_text_centred(target, default_font, "Escape ends", 160, 172, white, -1);
      break;

    case PLAYING:
      for (i = 0; i < MAX_STARS; i++) {
        if (game.stars[i].alive)
          draw_star(target, game.stars[i].x / 256, game.stars[i].y / 256, gold);
      }
      fill_rect(target, game.basket_x, BASKET_Y, game.basket_x + BASKET_WIDTH - 1, BASKET_Y + 8,
                make_color(80, 200, 255));
      fill_rect(target, game.basket_x + 3, BASKET_Y, game.basket_x + BASKET_WIDTH - 4, BASKET_Y + 4,
                make_color(8, 10, 40));
      draw_textf(target, default_font, 4, 4, white, -1, "score %d", game.score);
      draw_textf_right(target, default_font, 316, 4, white, -1, "best %d", game.best);
      for (i = 0; i < game.lives; i++)
        fill_circle(target, 150 + i * 10, 7, 3, make_color(255, 80, 80));
      break;

    case GAME_OVER:
      draw_text_centred(target, default_font, "GAME OVER", 160, 90, gold, -1);
      draw_textf_centred(target, default_font, 160, 110, white, -1, "score: %d", game.score);
      if (game.new_best)
        draw_text_centred(target, default_font, "a new best score!", 160, 124, gold, -1);
      draw_text_centred(target, default_font, "press a key", 160, 150, white, -1);
      break;
  }
}

int main(void) {
  int frames = frames_to_run();
  int frame, steps, quit = 0;
  frame_pacer *pacer;
  bitmap *buffer;

  autopilot = frames > 0;
  if (startup_corvane_versioned(SYSTEM_AUTODETECT, &errno, atexit, CORVANE_VERSION) != 0) {
    fprintf(stderr, "Cannot start the library: %s\n", error_text);
    return 1;
  }
  /* The game's own configuration file replaces corvane.cfg; a missing file reads as empty and is
   * made when something is written to it. */
  use_config_file("star_catcher.cfg");
  game.best = config_get_int("scores", "best", 0);

  if (install_keyboard() != 0) {
    fprintf(stderr, "Cannot use the keyboard: %s\n", error_text);
    return 1;
  }
  set_color_depth(32);
  if (select_gfx_mode(GFX_AUTODETECT, 320, 240, 0, 0) != 0) {
    show_message("Cannot open a 320x240 screen at 32 bits per pixel\n%s\n", error_text);
    return 1;
  }
  /* Sound is a bonus: without a sound device the game plays on in silence. */
  if (install_sound(autopilot ? DIGI_NONE : DIGI_AUTODETECT, MIDI_NONE) != 0) {
    fprintf(stderr, "Playing without sound: %s\n", error_text);
  }
  catch_sound = make_beep(80, 40, 4000);
  miss_sound = make_beep(200, 400, 9000);

  buffer = create_bitmap(320, 240);
  pacer = create_frame_pacer(STEPS_PER_SECOND);
  if (buffer == NULL || pacer == NULL) {
    show_message("Cannot start the game\n%s\n", error_text);
    return 1;
  }

  change_state(TITLE);
  for (frame = 0; frames == 0 || frame < frames; frame++) {
    /* The fixed step: however long drawing took, run the logic as many steps as the clock says
     * are due (at most 5, so that a stall slows the game instead of jumping it ahead). */
    steps = autopilot ? 1 : wait_for_frame_steps(pacer, 5);
    if (steps < 0) break;
    while (steps-- > 0) update_game();

    /* Keys typed since the last frame: Space starts a game from the title, Escape (or any key
     * once the game is over) ends the program. Movement reads key_state instead, which tells
     * which keys are held down right now. */
    while (!autopilot && !quit && key_waiting()) {
      int key = read_key() >> 8; /* the key index is in the upper bits */
      if (key == KEY_ESC || game.state == GAME_OVER) quit = 1;
      if (key == KEY_SPACE && game.state == TITLE) start_game();
    }
    if (quit) break;

    draw_game(buffer);
    blit(buffer, screen_bitmap, 0, 0, 0, 0, 320, 240);
  }

  destroy_frame_pacer(pacer);
  destroy_bitmap(buffer);
  free_sample(miss_sound);
  free_sample(catch_sound);
  return 0;
}
