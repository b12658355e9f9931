/* A small C99 game against the installed library: start-up and shutdown, a memory bitmap drawn
 * through the public drawing calls, and a PNG written and read back (so that the static library's
 * image dependency is linked too). The only argument is a scratch file for the picture. */
#include <errno.h>
#include <stdio.h>

#include <corvane.h>

int main(int argc, char **argv) {
  bitmap *picture = NULL;
  bitmap *back = NULL;
  int ok = 0;
  if (argc != 2) {
    fprintf(stderr, "usage: %s scratch.png\n", argv[0]);
    return 2;
  }
  if (startup_corvane(SYSTEM_NONE, &errno, NULL) != 0) {
    fprintf(stderr, "start-up failed: %s\n", error_text);
    return 1;
  }
  set_color_depth(32);
  picture = create_bitmap(16, 8);
  if (picture == NULL) {
    fprintf(stderr, "no bitmap\n");
    return 1;
  }
  clear_to_color(picture, make_color(255, 255, 255));
  fill_rect(picture, 2, 2, 5, 5, make_color(200, 10, 20));
  if (save_bitmap_png(argv[1], picture, NULL) != 0) {
    fprintf(stderr, "cannot write %s: %s\n", argv[1], error_text);
    return 1;
  }
  back = load_bitmap_png(argv[1], NULL);
  ok = back != NULL && back->width == 16 && back->height == 8 &&
       get_pixel(back, 3, 3) == make_color(200, 10, 20) &&
       get_pixel(back, 0, 0) == make_color(255, 255, 255);
  destroy_bitmap(back);
  destroy_bitmap(picture);
  shutdown_corvane();
  if (!ok) {
    fprintf(stderr, "the picture did not come back as drawn\n");
    return 1;
  }
  return 0;
}
