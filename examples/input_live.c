/* input_live: the keyboard, the mouse and the joysticks, shown live.
 *
 *   keyboard  a small keyboard lights the keys held down (key_state), the modifier flags
 *             (key_shifts) are listed, and the last key typed is read from the key buffer;
 *   mouse     a box follows the pointer (mouse_x, mouse_y), with its buttons (mouse_b) and wheel
 *             (mouse_z);
 *   joystick  each stick of the first joystick as a cross in a box, and its buttons as lamps.
 * Every device is optional: when one cannot be installed (no mouse without a display, say), its
 * panel shows the library's reason instead. Escape ends the program.
 *
 *   input_live               runs until Escape is pressed
 *
 * With CORVANE_EXAMPLE_FRAMES=N in the environment the program draws N frames and ends by itself,
 * showing the keyboard at rest: it reads no keys and, so that the picture does not depend on the
 * machine it runs on, opens neither the mouse nor a joystick. On a machine without a display the
 * library draws on its headless screen; CORVANE_SCREENSHOT=shot.png then makes it save the last
 * frame to shot.png. */
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <corvane.h>

/* The number of frames asked for by CORVANE_EXAMPLE_FRAMES, or 0 to run until Escape. */
static int frames_to_run(void) {
  const char *text = getenv("CORVANE_EXAMPLE_FRAMES");
  int frames = text != NULL ? atoi(text) : 0;
  return frames > 0 ? frames : 0;
}

/* Why a device is not there, for its panel; empty while the device is installed. */
static char mouse_problem[64];
static char joystick_problem[64];

/* One key of the small keyboard: its index (KEY_...), label and place. */
typedef struct key_cap {
  int index;
  const char *label;
  int x, y, width;
} key_cap;

static const key_cap key_caps[] = {
    {KEY_ESC, "Esc", 0, 0, 28},       {KEY_1, "1", 32, 0, 16},      {KEY_2, "2", 50, 0, 16},
    {KEY_3, "3", 68, 0, 16},          {KEY_4, "4", 86, 0, 16},      {KEY_5, "5", 104, 0, 16},
    {KEY_Q, "Q", 8, 18, 16},          {KEY_W, "W", 26, 18, 16},     {KEY_E, "E", 44, 18, 16},
    {KEY_R, "R", 62, 18, 16},         {KEY_T, "T", 80, 18, 16},     {KEY_Y, "Y", 98, 18, 16},
    {KEY_A, "A", 12, 36, 16},         {KEY_S, "S", 30, 36, 16},     {KEY_D, "D", 48, 36, 16},
    {KEY_F, "F", 66, 36, 16},         {KEY_G, "G", 84, 36, 16},     {KEY_H, "H", 102, 36, 16},
    {KEY_LSHIFT, "Sh", 0, 54, 20},    {KEY_Z, "Z", 22, 54, 16},     {KEY_X, "X", 40, 54, 16},
    {KEY_C, "C", 58, 54, 16},         {KEY_V, "V", 76, 54, 16},     {KEY_B, "B", 94, 54, 16},
    {KEY_LCONTROL, "Ctl", 0, 72, 28}, {KEY_SPACE, "", 32, 72, 70},  {KEY_ENTER, "Ent", 106, 72, 28},
    {KEY_UP, "^", 150, 54, 16},       {KEY_LEFT, "<", 132, 72, 16}, {KEY_DOWN, "v", 150, 72, 16},
    {KEY_RIGHT, ">", 168, 72, 16},
};

static void draw_keyboard(bitmap *target, int left, int top, const char *last_key) {
  unsigned i;
  draw_text(target, default_font, "keyboard", left, top, make_color(255, 255, 160), -1);
  top += 12;
  for (i = 0; i < sizeof key_caps / sizeof key_caps[0]; i++) {
    const key_cap *k = &key_caps[i];
    int held = key_state[k->index] != 0;
    int x = left + k->x, y = top + k->y;
    fill_rect(target, x, y, x + k->width - 1, y + 15,
              held ? make_color(255, 200, 0) : make_color(60, 60, 70));
    draw_rect(target, x, y, x + k->width - 1, y + 15, make_color(140, 140, 150));
    draw_text_centred(target, default_font, k->label, x + k->width / 2, y + 4,
                      held ? make_color(0, 0, 0) : make_color(230, 230, 230), -1);
  }
  /* The modifier and lock flags, kept by the driver in key_shifts. */
  draw_textf(target, default_font, left + 192, top, make_color(200, 200, 200), -1, "%s%s%s",
             key_shifts & KEY_FLAG_SHIFT ? "shift " : "",
             key_shifts & KEY_FLAG_CONTROL ? "ctrl " : "", key_shifts & KEY_FLAG_ALT ? "alt" : "");
  draw_textf(target, default_font, left + 192, top + 12, make_color(200, 200, 200), -1, "%s%s",
             key_shifts & KEY_FLAG_CAPS_LOCK ? "caps " : "",
             key_shifts & KEY_FLAG_NUM_LOCK ? "num" : "");
  draw_text(target, default_font, "last key:", left + 192, top + 36, make_color(200, 200, 200), -1);
  draw_text(target, default_font, last_key, left + 192, top + 48, make_color(255, 255, 255), -1);
}

static void draw_mouse(bitmap *target, int left, int top) {
  /* The pointer's whole range (the screen) shrunk into a 96x72 box. */
  int width = 96, height = 72, x, y, b;
  draw_text(target, default_font, "mouse", left, top, make_color(255, 255, 160), -1);
  top += 12;
  if (mouse_problem[0] != 0) {
    draw_text(target, default_font, mouse_problem, left, top + 4, make_color(255, 120, 120), -1);
    return;
  }
  draw_rect(target, left, top, left + width + 1, top + height + 1, make_color(140, 140, 150));
  x = left + 1 + mouse_x * width / current_gfx_driver->width;
  y = top + 1 + mouse_y * height / current_gfx_driver->height;
  draw_hline(target, x - 4, y, x + 4, make_color(255, 255, 255));
  draw_vline(target, x, y - 4, y + 4, make_color(255, 255, 255));
  for (b = 0; b < 3; b++) {
    int held = (mouse_b & (1 << b)) != 0; /* MOUSE_BUTTON_LEFT, _RIGHT, _MIDDLE */
    fill_rect(target, left + width + 8 + b * 14, top, left + width + 19 + b * 14, top + 16,
              held ? make_color(255, 200, 0) : make_color(60, 60, 70));
  }
  draw_textf(target, default_font, left + width + 8, top + 24, make_color(200, 200, 200), -1,
             "%d,%d", mouse_x, mouse_y);
  draw_textf(target, default_font, left + width + 8, top + 36, make_color(200, 200, 200), -1,
             "wheel %d", mouse_z);
}

static void draw_joystick(bitmap *target, int left, int top) {
  const joystick_info *joy = &joysticks[0];
  int s, b;
  draw_text(target, default_font, "joystick", left, top, make_color(255, 255, 160), -1);
  top += 12;
  if (joystick_problem[0] != 0 || joystick_count == 0) {
    draw_text(target, default_font, joystick_problem[0] != 0 ? joystick_problem : "none found",
              left, top + 4, make_color(255, 120, 120), -1);
    return;
  }
  /* Each stick: x and y axes as a cross in a box (a one-axis stick, like a trigger, as a bar). */
  for (s = 0; s < joy->stick_count && s < 5; s++) {
    const joystick_stick_info *stick = &joy->sticks[s];
    int x = left + s * 44, cx = x + 20, cy = top + 20;
    draw_rect(target, x, top, x + 40, top + 40, make_color(140, 140, 150));
    if (stick->axis_count >= 2) {
      int px = cx + stick->axes[0].pos * 18 / 128, py = cy + stick->axes[1].pos * 18 / 128;
      fill_circle(target, px, py, 3, make_color(255, 200, 0));
    } else if (stick->axis_count == 1) {
      fill_rect(target, x + 2, top + 38 - stick->axes[0].pos * 36 / 255, x + 38, top + 38,
                make_color(255, 200, 0));
    }
  }
  for (b = 0; b < joy->button_count && b < 17; b++) {
    fill_circle(target, left + 6 + b * 14, top + 52, 5,
                joy->buttons[b].b ? make_color(255, 200, 0) : make_color(60, 60, 70));
  }
}

int main(void) {
  int frames = frames_to_run();
  int frame, key, character;
  char last_key[64] = "-";
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
  /* The mouse needs a display, so it comes after the graphics mode. */
  if (frames > 0) {
    strcpy(mouse_problem, "not opened");
    strcpy(joystick_problem, "not opened");
  } else {
    if (install_mouse() < 0) {
      fprintf(stderr, "No mouse: %s\n", error_text);
      strcpy(mouse_problem, "none (see console)");
    }
    if (install_joystick(JOYSTICK_AUTODETECT) != 0) {
      fprintf(stderr, "No joystick: %s\n", error_text);
      strcpy(joystick_problem, "none (see console)");
    }
  }

  buffer = create_bitmap(320, 240);
  if (buffer == NULL) {
    show_message("Cannot make the drawing buffer\n%s\n", error_text);
    return 1;
  }

  for (frame = 0; frames == 0 || frame < frames; frame++) {
    /* Some drivers must be asked for news; for the others these calls do nothing harmful. */
    poll_keyboard();
    if (mouse_problem[0] == 0) poll_mouse();
    if (joystick_problem[0] == 0) poll_joystick();

    if (frames == 0) {
      /* Read every key typed since the last frame; Escape ends the program. */
      while (key_waiting()) {
        character = read_key_unicode(&key);
        if (key == KEY_ESC) return 0;
        if (character >= 32 && character < 127) {
          sprintf(last_key, "'%c' (%s)", character, key_index_name(key));
        } else {
          sprintf(last_key, "%s", key_index_name(key));
        }
      }
    }

    clear_to_color(buffer, make_color(20, 24, 36));
    draw_text_centred(buffer, default_font, "Input, live (Escape ends)", 160, 2,
                      make_color(255, 255, 255), -1);
    draw_keyboard(buffer, 6, 16, last_key);
    draw_mouse(buffer, 6, 122);
    draw_joystick(buffer, 170, 122);

    wait_for_vsync();
    blit(buffer, screen_bitmap, 0, 0, 0, 0, 320, 240);
  }

  destroy_bitmap(buffer);
  return 0;
}
