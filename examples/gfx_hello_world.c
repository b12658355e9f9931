/* gfx_hello_world: the smallest complete Corvane program. It starts the library, opens a 320x200
 * graphics mode, and greets the world in black on white at the centre of the screen.
 *
 *   gfx_hello_world          shows the greeting until a key is pressed
 *
 * With CORVANE_EXAMPLE_FRAMES=N in the environment the program shows the greeting for N frames
 * and ends by itself, reading no keys. On a machine without a display the library draws on its
 * headless screen; CORVANE_SCREENSHOT=hello.png then makes it save the last picture to hello.png
 * when the program ends. */
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

int main(void) {
  int frames = frames_to_run();
  int frame;

  /* Every program starts the library first. Passing errno's address lets the library store its
   * error numbers where the program looks for them, and atexit makes sure the library is taken
   * down (and the display restored) however the program ends. */
  if (startup_corvane_versioned(SYSTEM_AUTODETECT, &errno, atexit, CORVANE_VERSION) != 0) {
    fprintf(stderr, "Cannot start the library: %s\n", error_text);
    return 1;
  }
  if (install_keyboard() != 0) {
    fprintf(stderr, "Cannot use the keyboard: %s\n", error_text);
    return 1;
  }

  /* Ask for a 320x200 screen (in a window or on the whole display, whichever the configuration and
   * the machine allow); when that fails, the safe mode takes whatever works. */
  if (select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0) != 0 &&
      select_gfx_mode(GFX_SAFE, 320, 200, 0, 0) != 0) {
    select_gfx_mode(TEXT_MODE, 0, 0, 0, 0);
    show_message("Unable to set any graphic mode\n%s\n", error_text);
    return 1;
  }

  /* The screen starts at 8 bits per pixel, where colours are palette entries: load a palette
   * first so that make_color finds white and black in it. */
  apply_palette(desktop_palette);

  /* Lock the screen once around a group of drawing calls. */
  acquire_bitmap(screen_bitmap);
  clear_to_color(screen_bitmap, make_color(255, 255, 255));
  /* The last argument is the text's background colour; -1 leaves the background as it is. */
  /* The driver says how much of the screen is visible (the screen bitmap may be larger). */
  draw_text_centred(screen_bitmap, default_font, "Hello, world!", current_gfx_driver->width / 2,
                    current_gfx_driver->height / 2, make_color(0, 0, 0), -1);
  release_bitmap(screen_bitmap);

  if (frames == 0) {
    read_key(); /* waits for a key */
  } else {
    for (frame = 0; frame < frames; frame++) wait_for_vsync();
  }
  return 0; /* the library shuts itself down through atexit */
}
