/* Scripting the stand-in's displays (Core Graphics direct display access, QuickDraw, the menu bar
   and the windows of AppKit), and reading back what the display drivers asked of them.

   A program started with CORVANE_STANDIN_WINDOW_DUMP set to a path writes the port of its newest
   window to that file at every flush (a line "width height depth row_bytes" and then the rows);
   with CORVANE_STANDIN_KEY_AFTER_INK set to a hardware key code, the first flush that shows a row
   of more than one colour queues a press and a release of that key. */
#ifndef CORVANE_STANDIN_CONTROL_DISPLAY_H
#define CORVANE_STANDIN_CONTROL_DISPLAY_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Everything back to how a program finds it: the modes 640x480, 800x600 and 1024x768, each in 8,
   16 and 32 bits at 60 Hz; nothing failing; a palette only in 8-bit modes; the display neither
   captured nor faded, the menu bar and the cursor shown, the ColorSync tables loaded; no windows,
   ports, worlds or regions; no calls waiting for the main thread. The current mode is
   <standin/cocoa.h>'s. */
void standin_display_reset(void);

/* The display's modes: count entries of (width, height, bits per pixel, refresh rate). */
void standin_set_available_modes(const int *modes, int count);

/* Steps that can be made to fail, each once (standin_fail_display_step) or for good. */
enum {
  STANDIN_FAIL_NONE = 0,
  STANDIN_FAIL_CAPTURE = 1,      /* CGDisplayCapture */
  STANDIN_FAIL_SWITCH = 2,       /* CGDisplaySwitchToMode */
  STANDIN_FAIL_DISPLAY_PORT = 3, /* CreateNewPortForCGDisplayID */
  STANDIN_FAIL_GWORLD = 4,       /* NewGWorld */
  STANDIN_FAIL_REGION = 5        /* NewRgn */
};
void standin_fail_display_step(int step);

/* Whether CGDisplayCanSetPalette answers yes: -1 only in 8-bit modes (the default), 0 never,
   1 always. */
void standin_set_can_set_palette(int answer);

/* What the display is now. */
int standin_display_captured(void);
int standin_menu_bar_visible(void);
/* Hides not yet matched by shows. */
int standin_cursor_hide_count(void);
/* Whether the transfer tables are the user's ColorSync ones (not changed since they were last
   restored). */
int standin_display_colorsync_loaded(void);
/* Fade reservations not yet given back. */
int standin_fade_reservations(void);
/* Times the beam was waited for. */
int standin_beam_waits(void);

/* Objects of QuickDraw and Core Graphics made and not yet disposed of. */
int standin_live_ports(void);   /* display ports and off-screen worlds */
int standin_live_regions(void);
int standin_locked_ports(void); /* ports whose pixels are locked */
int standin_live_palettes(void);

/* Colour index of a palette as (red, green, blue) in 0..1; 0 when there is no such entry. */
int standin_palette_color(const void *palette, int index, float *rgb);

/* The port of the display's frame buffer (the current mode's pixels), its row bytes and depth. */
const void *standin_display_pixels(long *row_bytes, int *depth);

/* The newest window that is not closed: its port's pixels (null when it has no port yet), and
   the port's size, depth and row bytes. */
const void *standin_window_pixels(int *width, int *height, int *depth, long *row_bytes);
/* Windows open, flushes of window ports so far and the bounds of the last flushed region. */
int standin_open_windows(void);
int standin_window_flushes(void);
void standin_last_flush_bounds(int *left, int *top, int *right, int *bottom);
/* The newest window's title, copied into buffer and always terminated. */
void standin_window_title(char *buffer, size_t size);
/* The user clicks the newest window's close button: its delegate is asked windowShouldClose:,
   and the window closes when the answer is yes. Returns the answer. */
int standin_click_window_close(void);
/* The user drags the newest window: its content area's bottom-left corner goes to (x, y) in
   screen coordinates and its delegate hears windowDidMove:. */
void standin_move_window(double x, double y);
/* The newest window's content area in screen coordinates; 0 when there is no window. */
int standin_window_content_rect(double *x, double *y, double *width, double *height);
/* The newest window is miniaturized (1) or brought back (0). */
void standin_set_window_miniaturized(int miniaturized);
/* The RGBA pixels of an NSCursor made from an image, read through its image's representation. */
const unsigned char *standin_cursor_pixels(void *cursor);
/* Cursor rectangles of the newest window's content view, and whether their cursor takes effect on
   mouse entry. */
int standin_cursor_rects(void);
int standin_cursor_set_on_mouse_entered(void);
/* Tracking rectangles added and not removed. */
int standin_tracking_rects(void);

/* Performs the calls queued for the main thread (the event loop does this on each pass). */
void standin_run_main_thread_calls(void);

#ifdef __cplusplus
}
#endif

#endif
