// What the stand-in's display calls share: the scripted modes and failures, the frame buffer of
// the current mode, the state of the display (captured, faded, menu bar, cursor), and the
// QuickDraw ports, worlds and regions with their counts.
#ifndef CORVANE_PLATFORM_MACOSX_STANDIN_DISPLAY_WORLD_H
#define CORVANE_PLATFORM_MACOSX_STANDIN_DISPLAY_WORLD_H

#include <QD/QuickDraw.h>

#include <mutex>
#include <vector>

// A QuickDraw port: the display's, a window view's or an off-screen world's.
struct OpaqueGrafPtr {
  PixMap map{};
  PixMap *map_pointer = &map;
  std::vector<unsigned char> owned;  // the pixels, unless they are the display's
  int locks = 0;
  bool window = false;
};

namespace standin {

struct mode_entry {
  int width;
  int height;
  int bits_per_pixel;
  int refresh_rate;
};

struct display_world {
  std::recursive_mutex lock;
  std::vector<mode_entry> modes;
  int fail_step = 0;
  int can_set_palette = -1;
  bool captured = false;
  bool menu_bar_visible = true;
  int cursor_hides = 0;
  bool colorsync_loaded = true;
  int fade_reservations = 0;
  int beam_waits = 0;
  int live_ports = 0;
  int live_regions = 0;
  int live_palettes = 0;
  std::vector<unsigned char> frame_buffer;
  int frame_width = 0;
  int frame_height = 0;
  int frame_depth = 0;
  long frame_row_bytes = 0;
  int flushes = 0;
  Rect last_flush{};
  bool ink_key_sent = false;
  std::vector<GrafPtr> ports;
};

display_world &display();

// Whether the scripted failure is this step (a failure happens once).
bool display_step_fails(int step);

// Bytes per row of a map of this width and depth, rounded up to 4 bytes.
long row_bytes_for(int width, int depth);

// Makes a port of its own pixels (zeroed); null for a size or depth it cannot hold.
GrafPtr make_port(int width, int height, int depth);

// What a window port's flush shows: dumps it and taps the ink key when asked to.
void window_port_flushed(GrafPtr port);

}  // namespace standin

#endif
