/* gfx_primitives: the drawing primitives -- lines, rectangles, circles, ellipses, arcs, Bezier
 * splines, filled polygons and flood fill -- in six labelled panels on a 320x240 screen at 32 bits
 * per pixel. The fan of lines in the first panel turns slowly, one step per frame.
 *
 *   gfx_primitives           runs until a key is pressed
 *
 * With CORVANE_EXAMPLE_FRAMES=N in the environment the program draws N frames and ends by itself,
 * reading no keys. On a machine without a display the library draws on its headless screen;
 * CORVANE_SCREENSHOT=shot.png then makes it save the last frame to shot.png when it ends. */
#include <errno.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include <corvane.h>

#define PANEL_W 106
#define PANEL_H 112

/* The number of frames asked for by CORVANE_EXAMPLE_FRAMES, or 0 to run until a key is pressed. */
static int frames_to_run(void) {
  const char *text = getenv("CORVANE_EXAMPLE_FRAMES");
  int frames = text != NULL ? atoi(text) : 0;
  return frames > 0 ? frames : 0;
}

/* Frames a panel and names it; returns a sub-bitmap for the panel's inside, so that each drawing
 * below uses coordinates of its own panel and is clipped to it. */
static bitmap *open_panel(bitmap *target, int column, int row, const char *title) {
  int x = 2 + column * PANEL_W, y = 14 + row * (PANEL_H + 2);
  draw_rect(target, x, y, x + PANEL_W - 3, y + PANEL_H - 1, make_color(90, 90, 120));
  draw_text(target, default_font, title, x + 3, y + 3, make_color(255, 255, 160), -1);
  return create_subbitmap(target, x + 1, y + 12, PANEL_W - 5, PANEL_H - 13);
}

static void draw_lines(bitmap *panel, int frame) {
  int i, cx = panel->width / 2, cy = panel->height / 2;
  for (i = 0; i < 16; i++) {
    /* Angles in radians for the C library; the library's own arcs use binary angles below. */
    double angle = (i + frame / 30.0) * 3.14159265358979 / 8.0;
    int x = cx + (int)floor(45.0 * cos(angle) + 0.5);
    int y = cy + (int)floor(45.0 * sin(angle) + 0.5);
    draw_line(panel, cx, cy, x, y, make_color(60 + i * 12, 255 - i * 12, 128));
  }
  draw_rect(panel, 4, 4, panel->width - 5, panel->height - 5, make_color(255, 255, 255));
}

static void draw_circles(bitmap *panel) {
  int r;
  fill_circle(panel, 32, 50, 26, make_color(40, 90, 200));
  for (r = 4; r <= 40; r += 6) draw_circle(panel, 62, 50, r, make_color(255, 140 + r * 2, 60));
}

static void draw_ellipses(bitmap *panel) {
  fill_ellipse(panel, 50, 30, 44, 14, make_color(200, 50, 90));
  draw_ellipse(panel, 50, 68, 20, 28, make_color(120, 230, 120));
  draw_ellipse(panel, 50, 68, 44, 10, make_color(120, 200, 255));
}

static void draw_arcs(bitmap *panel) {
  /* Binary angles: 0x1000000 is a full turn, 0x400000 a quarter; arcs run counter-clockwise. */
  int i;
  for (i = 0; i < 6; i++) {
    fixed start = i * 0x200000;
    draw_arc(panel, 50, 50, start, start + 0x600000, 10 + i * 7,
             make_color(255, 60 + i * 35, 255 - i * 35));
  }
}

static void draw_splines(bitmap *panel) {
  /* Each spline is four control points: the ends and two handles that pull the curve. */
  int curve[8] = {6, 90, 20, 0, 80, 100, 96, 10};
  int wave[8] = {6, 50, 40, 100, 60, 0, 96, 50};
  draw_spline(panel, curve, make_color(255, 220, 0));
  draw_spline(panel, wave, make_color(0, 220, 255));
  /* The handles, to show how they shape the curve. */
  draw_line(panel, curve[0], curve[1], curve[2], curve[3], make_color(90, 90, 90));
  draw_line(panel, curve[6], curve[7], curve[4], curve[5], make_color(90, 90, 90));
}

static void draw_fills(bitmap *panel) {
  /* A star-shaped polygon (filled by the even-odd rule, so its centre stays open), a triangle,
   * and a closed outline filled by flood fill from a point inside it. */
  int star[10] = {30, 4, 42, 40, 6, 16, 54, 16, 18, 40};
  draw_polygon(panel, 5, star, make_color(250, 200, 40));
  draw_triangle(panel, 62, 6, 96, 12, 70, 44, make_color(80, 200, 160));
  draw_circle(panel, 30, 72, 20, make_color(255, 255, 255));
  draw_rect(panel, 52, 56, 96, 92, make_color(255, 255, 255));
  draw_line(panel, 52, 56, 96, 92, make_color(255, 255, 255));
  flood_fill(panel, 30, 72, make_color(160, 60, 220));
  flood_fill(panel, 90, 62, make_color(230, 90, 40));
}

int main(void) {
  int frames = frames_to_run();
  int frame;
  bitmap *buffer, *panels[6];
  int i;

  if (startup_corvane_versioned(SYSTEM_AUTODETECT, &errno, atexit, CORVANE_VERSION) != 0) {
    fprintf(stderr, "Cannot start the library: %s\n", error_text);
    return 1;
  }
  if (install_keyboard() != 0) {
    fprintf(stderr, "Cannot use the keyboard: %s\n", error_text);
    return 1;
  }
  /* The colour depth is chosen before the mode: the screen and every bitmap made later get it. */
  set_color_depth(32);
  if (select_gfx_mode(GFX_AUTODETECT, 320, 240, 0, 0) != 0) {
    show_message("Cannot open a 320x240 screen at 32 bits per pixel\n%s\n", error_text);
    return 1;
  }

  /* Drawing goes to a bitmap in memory first and is copied to the screen in one go, so that
   * nobody sees a half-drawn frame. */
  buffer = create_bitmap(320, 240);
  if (buffer == NULL) {
    show_message("Cannot make the drawing buffer\n%s\n", error_text);
    return 1;
  }
  clear_to_color(buffer, make_color(16, 16, 32));
  draw_text_centred(buffer, default_font, "Drawing primitives", 160, 3, make_color(255, 255, 255),
                    -1);
  panels[0] = open_panel(buffer, 0, 0, "lines");
  panels[1] = open_panel(buffer, 1, 0, "circles");
  panels[2] = open_panel(buffer, 2, 0, "ellipses");
  panels[3] = open_panel(buffer, 0, 1, "arcs");
  panels[4] = open_panel(buffer, 1, 1, "splines");
  panels[5] = open_panel(buffer, 2, 1, "polygons");
  for (i = 0; i < 6; i++) {
    if (panels[i] == NULL) {
      show_message("Cannot make a panel\n%s\n", error_text);
      return 1;
    }
  }
  draw_circles(panels[1]);
  draw_ellipses(panels[2]);
  draw_arcs(panels[3]);
  draw_splines(panels[4]);
  draw_fills(panels[5]);

  for (frame = 0; frames == 0 || frame < frames; frame++) {
    /* Only the first panel moves: clear it and draw the fan for this frame. Driving the motion by
     * the frame number (not the clock) makes every run draw the same pictures. */
    clear_to_color(panels[0], make_color(16, 16, 32));
    draw_lines(panels[0], frame);

    wait_for_vsync();
    blit(buffer, screen_bitmap, 0, 0, 0, 0, 320, 240);
    if (frames == 0 && key_waiting()) break;
  }

  for (i = 0; i < 6; i++) destroy_bitmap(panels[i]); /* sub-bitmaps go before their parent */
  destroy_bitmap(buffer);
  return 0;
}
