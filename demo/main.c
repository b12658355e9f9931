/* The demonstration program: start the library, open a 320x200 graphics mode, greet the world in
 * black on white at the centre of the screen, and end when a key is pressed.
 *
 * Exit status: 0 after a key, 1 when the library cannot start or no graphics mode can be set. */
#include <errno.h>
#include <stdlib.h>

#include <corvane.h>

int main(int argc, char **argv) {
  int x = 0;
  int y = 0;
  (void)argc;
  (void)argv;

  if (startup_corvane_versioned(SYSTEM_AUTODETECT, &errno, atexit, CORVANE_VERSION) != 0) {
    return 1;
  }

  install_keyboard();

  if (select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0) != 0 &&
      select_gfx_mode(GFX_SAFE, 320, 200, 0, 0) != 0) {
    select_gfx_mode(TEXT_MODE, 0, 0, 0, 0);
    show_message("Unable to set any graphic mode\n%s\n", error_text);
    return 1;
  }

  /* The palette comes first so that an 8-bit mode finds white and black in it. */
  apply_palette(desktop_palette);
  clear_to_color(screen_bitmap, make_color(255, 255, 255));

  acquire_bitmap(screen_bitmap);
  if (current_gfx_driver != NULL) {
    x = current_gfx_driver->width / 2;
    y = current_gfx_driver->height / 2;
  }
  draw_text_centred(screen_bitmap, default_font, "Hello, world!", x, y, make_color(0, 0, 0), -1);
  release_bitmap(screen_bitmap);

  read_key();
  return 0;
}
