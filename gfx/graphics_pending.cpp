// Placeholder graphics: no graphics driver exists yet, so every mode request fails the way it
// fails with an empty driver list, and the drawing entry points draw nothing.
#include "core/internal.h"
#include "corvane/config.h"
#include "corvane/font.h"
#include "corvane/gfx.h"
#include "corvane/system.h"

extern "C" {

gfx_driver *current_gfx_driver = nullptr;
bitmap *screen_bitmap = nullptr;
font *default_font = nullptr;

int select_gfx_mode(int driver_id, int /*width*/, int /*height*/, int /*virtual_width*/,
                    int /*virtual_height*/) noexcept {
  if (driver_id == TEXT_MODE) return 0;
  error_text[0] = 0;
  set_error_text_if_empty("Unable to find a suitable graphics driver");
  if (driver_id == GFX_SAFE) {
    char format[16];
    show_message(corvane::literal("%s\n", format, sizeof format),
                 translate_text("Fatal error: unable to set GFX_SAFE"));
  }
  return -1;
}

void draw_text_centred(bitmap * /*bmp*/, const font * /*f*/, const char * /*text*/, int /*x*/,
                       int /*y*/, int /*color*/, int /*background*/) noexcept {}

}  // extern "C"
