/* Corvane: graphics modes -- the graphics driver record, mode selection and the screen. */
#ifndef CORVANE_GFX_H
#define CORVANE_GFX_H

#include "corvane/base.h"
#include "corvane/bitmap.h"
#include "corvane/system.h"

CORVANE_EXTERN_C_BEGIN

/* Graphics driver ids: a driver's four-character code, or one of these. */
#define TEXT_MODE (-1)
#define GFX_AUTODETECT 0
#define GFX_AUTODETECT_FULLSCREEN 1
#define GFX_AUTODETECT_WINDOWED 2
#define GFX_SAFE CORVANE_ID('S', 'A', 'F', 'E')

/* One display mode: width, height and bits per pixel. */
typedef struct gfx_mode_entry {
  int width;
  int height;
  int bpp;
} gfx_mode_entry;

typedef struct gfx_mode_list {
  int count;
  gfx_mode_entry *modes;
} gfx_mode_list;

/* A graphics driver: the driver identity, 23 optional operations and 8 values, in this order. */
typedef struct gfx_driver {
  CORVANE_DRIVER_IDENTITY;
  struct bitmap *(*init)(int width, int height, int virtual_width, int virtual_height, int depth);
  void (*exit)(struct bitmap *screen);
  int (*scroll)(int x, int y);
  void (*wait_retrace)(void);
  void (*write_palette)(const struct rgb_entry *palette, int from, int to, int retrace);
  int (*request_scroll)(int x, int y);
  int (*poll_scroll)(void);
  void (*enable_triple_buffer)(void);
  struct bitmap *(*make_video_bitmap)(int width, int height);
  void (*free_video_bitmap)(struct bitmap *bmp);
  int (*show_video_bitmap)(struct bitmap *bmp);
  int (*request_video_bitmap)(struct bitmap *bmp);
  struct bitmap *(*make_system_bitmap)(int width, int height);
  void (*free_system_bitmap)(struct bitmap *bmp);
  int (*set_cursor_image)(struct bitmap *sprite, int focus_x, int focus_y);
  int (*show_cursor)(struct bitmap *bmp, int x, int y);
  void (*hide_cursor)(void);
  void (*move_cursor)(int x, int y);
  void (*drawing_mode_changed)(int mode, struct bitmap *pattern, int x_anchor, int y_anchor);
  void (*save_video_state)(void);
  void (*restore_video_state)(void);
  void (*blender_changed)(int mode, int r, int g, int b, int a);
  gfx_mode_list *(*list_modes)(void);
  int width;            /* visible width of the current mode */
  int height;           /* visible height */
  int linear;           /* nonzero: the surface is linear */
  int bank_size;        /* bytes in the bank window of a banked surface */
  int bank_granularity; /* step between banks in bytes */
  int video_memory;     /* bytes of display memory, 0 when not known */
  void *video_base;     /* base address of the surface (set by make_screen_bitmap) */
  int windowed;         /* nonzero for drivers that draw into a window */
} gfx_driver;

/* The driver of the current mode, or null in text mode. */
extern CORVANE_API gfx_driver *current_gfx_driver;

/* The screen bitmap of the current mode, or null. */
extern CORVANE_API struct bitmap *screen_bitmap;

/* Opens a graphics mode: a driver id (or GFX_AUTODETECT..., GFX_SAFE, TEXT_MODE) and a size.
 * Returns 0, or -1 with error_text set. */
CORVANE_API int select_gfx_mode(int driver_id, int width, int height, int virtual_width,
                                int virtual_height) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_GFX_H */
