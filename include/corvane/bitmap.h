/* Corvane: bitmaps and the per-depth drawing vtable.
 *
 * Every drawing surface is a bitmap: a rectangle of pixels of one colour depth, addressed line by
 * line through a table of line pointers, with a clip rectangle and the drawing vtable of its
 * depth. Memory bitmaps own their pixels; sub-bitmaps share a parent's; the screen bitmap wraps
 * the display surface of a graphics driver. */
#ifndef CORVANE_BITMAP_H
#define CORVANE_BITMAP_H

#include "corvane/base.h"

CORVANE_EXTERN_C_BEGIN

typedef struct bitmap bitmap;
typedef struct draw_vtable draw_vtable;

/* Records of other families that drawing slots take. */
struct mono_glyph;
struct run_sprite;
struct v3d;
struct v3d_f;

/* 16.16 fixed point. */
typedef int32_t fixed;

/* Line accessor: makes a row readable or writable and returns the address of its first byte. */
typedef unsigned char *(*line_accessor)(struct bitmap *bmp, int row);

struct bitmap {
  int width;           /* width in pixels */
  int height;          /* height in pixels */
  int clipping;        /* nonzero: drawing is clipped to the rectangle below */
  int clip_left;       /* first column inside the clip rectangle */
  int clip_right;      /* one past the last column inside */
  int clip_top;        /* first row inside */
  int clip_bottom;     /* one past the last row inside */
  draw_vtable *vtable; /* the drawing operations of the bitmap's depth */
  line_accessor write_line;
  line_accessor read_line;
  void *pixels;      /* pixel memory owned by the bitmap, or null */
  uint32_t flags;    /* kind bits and sub-bitmap family number (BITMAP_FLAG_...) */
  void *driver_data; /* free for a display driver */
  int x_offset;      /* left edge within the outermost parent */
  int y_offset;      /* top edge within the outermost parent */
  int segment;       /* memory segment of the pixels (0 for memory bitmaps) */
  /* Address of the first byte of each row. The table lives in the same allocation as the record,
   * right behind it, with room for max(height, 2) entries. */
  unsigned char **lines;
};

/* flags bits */
#define BITMAP_FLAG_VIDEO 0x80000000u  /* the screen, or a bitmap on the display surface */
#define BITMAP_FLAG_SYSTEM 0x40000000u /* system bitmap */
#define BITMAP_FLAG_SUB 0x20000000u    /* sub-bitmap */
#define BITMAP_FLAG_PLANAR 0x10000000u /* planar surface */
#define BITMAP_FLAG_SAME_SURFACE_TEMP 0x08000000u /* same-surface blits go through a temporary */
#define BITMAP_FLAG_NEW_SUB_CLEAR 0x04000000u     /* cleared on every new sub-bitmap */
#define BITMAP_FAMILY_MASK 0x01FFFFFFu /* family number shared by a parent and its sub-bitmaps */

/* The drawing operations of one colour depth, in slot order (the slot number is in front of each
 * entry). Entries 0 and 1 are values; every operation may be null, callers skip it then. */
struct draw_vtable {
  /*  0 */ int color_depth;
  /*  1 */ int mask_color;
  /*  2 */ void (*release_line)(struct bitmap *bmp);
  /*  3 */ void (*clip_changed)(struct bitmap *bmp);
  /*  4 */ void (*acquire)(struct bitmap *bmp);
  /*  5 */ void (*release)(struct bitmap *bmp);
  /*  6 */ struct bitmap *(*create_subbitmap_hook)(struct bitmap *parent, int x, int y, int width,
                                                   int height);
  /*  7 */ void (*subbitmap_created_hook)(struct bitmap *sub, struct bitmap *parent);
  /*  8 */ int (*get_pixel)(struct bitmap *bmp, int x, int y);
  /*  9 */ void (*put_pixel)(struct bitmap *bmp, int x, int y, int color);
  /* 10 */ void (*draw_vline)(struct bitmap *bmp, int x, int y1, int y2, int color);
  /* 11 */ void (*draw_hline)(struct bitmap *bmp, int x1, int y, int x2, int color);
  /* 12 */ void (*fill_hline)(struct bitmap *bmp, int x1, int y, int x2, int color);
  /* 13 */ void (*draw_line)(struct bitmap *bmp, int x1, int y1, int x2, int y2, int color);
  /* 14 */ void (*draw_fast_line)(struct bitmap *bmp, int x1, int y1, int x2, int y2, int color);
  /* 15 */ void (*fill_rect)(struct bitmap *bmp, int x1, int y1, int x2, int y2, int color);
  /* 16 */ void (*draw_triangle)(struct bitmap *bmp, int x1, int y1, int x2, int y2, int x3, int y3,
                                 int color);
  /* 17 */ void (*draw_sprite)(struct bitmap *bmp, struct bitmap *sprite, int x, int y);
  /* 18 */ void (*draw_sprite_8bit)(struct bitmap *bmp, struct bitmap *sprite, int x, int y);
  /* 19 */ void (*draw_sprite_vflip)(struct bitmap *bmp, struct bitmap *sprite, int x, int y);
  /* 20 */ void (*draw_sprite_hflip)(struct bitmap *bmp, struct bitmap *sprite, int x, int y);
  /* 21 */ void (*draw_sprite_vhflip)(struct bitmap *bmp, struct bitmap *sprite, int x, int y);
  /* 22 */ void (*draw_sprite_trans)(struct bitmap *bmp, struct bitmap *sprite, int x, int y);
  /* 23 */ void (*draw_sprite_alpha)(struct bitmap *bmp, struct bitmap *sprite, int x, int y);
  /* 24 */ void (*draw_sprite_lit)(struct bitmap *bmp, struct bitmap *sprite, int x, int y,
                                   int level);
  /* 25 */ void (*draw_rle)(struct bitmap *bmp, const struct run_sprite *sprite, int x, int y);
  /* 26 */ void (*draw_rle_trans)(struct bitmap *bmp, const struct run_sprite *sprite, int x,
                                  int y);
  /* 27 */ void (*draw_rle_alpha)(struct bitmap *bmp, const struct run_sprite *sprite, int x,
                                  int y);
  /* 28 */ void (*draw_rle_lit)(struct bitmap *bmp, const struct run_sprite *sprite, int x, int y,
                                int level);
  /* 29 */ void (*draw_glyph_mono)(struct bitmap *bmp, struct bitmap *source, int x, int y,
                                   int color, int background);
  /* 30 */ void (*draw_glyph)(struct bitmap *bmp, const struct mono_glyph *glyph, int x, int y,
                              int color, int background);
  /* 31-36: the same copy routine in all six slots; the public blit picks the slot by the kinds of
   * the two bitmaps (memory, system, video) and by overlap within one surface. */
  /* 31 */ void (*blit_from_memory)(struct bitmap *source, struct bitmap *dest, int source_x,
                                    int source_y, int dest_x, int dest_y, int width, int height);
  /* 32 */ void (*blit_to_memory)(struct bitmap *source, struct bitmap *dest, int source_x,
                                  int source_y, int dest_x, int dest_y, int width, int height);
  /* 33 */ void (*blit_from_system)(struct bitmap *source, struct bitmap *dest, int source_x,
                                    int source_y, int dest_x, int dest_y, int width, int height);
  /* 34 */ void (*blit_to_system)(struct bitmap *source, struct bitmap *dest, int source_x,
                                  int source_y, int dest_x, int dest_y, int width, int height);
  /* 35 */ void (*blit_to_self)(struct bitmap *source, struct bitmap *dest, int source_x,
                                int source_y, int dest_x, int dest_y, int width, int height);
  /* 36 */ void (*blit_to_self_forward)(struct bitmap *source, struct bitmap *dest, int source_x,
                                        int source_y, int dest_x, int dest_y, int width,
                                        int height);
  /* 37 */ void (*blit_copy_backward)(struct bitmap *source, struct bitmap *dest, int source_x,
                                      int source_y, int dest_x, int dest_y, int width, int height);
  /* 38 */ void (*blit_convert)(struct bitmap *source, struct bitmap *dest, int source_x,
                                int source_y, int dest_x, int dest_y, int width, int height);
  /* 39 */ void (*blit_masked)(struct bitmap *source, struct bitmap *dest, int source_x,
                               int source_y, int dest_x, int dest_y, int width, int height);
  /* 40 */ void (*clear_to_color)(struct bitmap *bmp, int color);
  /* 41 */ void (*draw_sprite_rotated)(struct bitmap *bmp, struct bitmap *sprite, fixed x, fixed y,
                                       fixed cx, fixed cy, fixed angle, fixed scale, int v_flip);
  /* 42 */ void (*unused_slot)(void);
  /* 43 */ void (*draw_sprite_gouraud)(struct bitmap *bmp, struct bitmap *sprite, int x, int y,
                                       int c1, int c2, int c3, int c4);
  /* 44 */ void (*end_marker)(void);
  /* 45 */ void (*end_marker_2)(void);
  /* 46 */ void (*draw_polygon)(struct bitmap *bmp, int vertex_count, const int *points, int color);
  /* 47 */ void (*draw_rect)(struct bitmap *bmp, int x1, int y1, int x2, int y2, int color);
  /* 48 */ void (*draw_circle)(struct bitmap *bmp, int x, int y, int radius, int color);
  /* 49 */ void (*fill_circle)(struct bitmap *bmp, int x, int y, int radius, int color);
  /* 50 */ void (*draw_ellipse)(struct bitmap *bmp, int x, int y, int rx, int ry, int color);
  /* 51 */ void (*fill_ellipse)(struct bitmap *bmp, int x, int y, int rx, int ry, int color);
  /* 52 */ void (*draw_arc)(struct bitmap *bmp, int x, int y, fixed start_angle, fixed end_angle,
                            int radius, int color);
  /* 53 */ void (*draw_spline)(struct bitmap *bmp, const int points[8], int color);
  /* 54 */ void (*flood_fill)(struct bitmap *bmp, int x, int y, int color);
  /* 55 */ void (*draw_polygon_3d)(struct bitmap *bmp, int type, struct bitmap *texture,
                                   int vertex_count, struct v3d *vertices[]);
  /* 56 */ void (*draw_polygon_3d_f)(struct bitmap *bmp, int type, struct bitmap *texture,
                                     int vertex_count, struct v3d_f *vertices[]);
  /* 57 */ void (*draw_triangle_3d)(struct bitmap *bmp, int type, struct bitmap *texture,
                                    struct v3d *v1, struct v3d *v2, struct v3d *v3);
  /* 58 */ void (*draw_triangle_3d_f)(struct bitmap *bmp, int type, struct bitmap *texture,
                                      struct v3d_f *v1, struct v3d_f *v2, struct v3d_f *v3);
  /* 59 */ void (*draw_quad_3d)(struct bitmap *bmp, int type, struct bitmap *texture,
                                struct v3d *v1, struct v3d *v2, struct v3d *v3, struct v3d *v4);
  /* 60 */ void (*draw_quad_3d_f)(struct bitmap *bmp, int type, struct bitmap *texture,
                                  struct v3d_f *v1, struct v3d_f *v2, struct v3d_f *v3,
                                  struct v3d_f *v4);
};

CORVANE_EXTERN_C_END

#endif /* CORVANE_BITMAP_H */
