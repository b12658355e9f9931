/** @file
 * Corvane: bitmaps and the per-depth drawing vtable.
 *
 * Every drawing surface is a bitmap: a rectangle of pixels of one colour depth, addressed line by
 * line through a table of line pointers, with a clip rectangle and the drawing vtable of its
 * depth. Memory bitmaps own their pixels; sub-bitmaps share a parent's; the screen bitmap wraps
 * the display surface of a graphics driver. */
#ifndef CORVANE_BITMAP_H
#define CORVANE_BITMAP_H

#include "corvane/base.h"

CORVANE_EXTERN_C_BEGIN

/** A drawing surface (struct bitmap). */
typedef struct bitmap bitmap;
/** The drawing operations of one colour depth (struct draw_vtable). */
typedef struct draw_vtable draw_vtable;

/* Records of other families that drawing slots take. */
struct mono_glyph;
struct run_sprite;
struct gfx_driver;
struct v3d;
struct v3d_f;

/** 16.16 fixed point. */
typedef int32_t fixed;

/** Line accessor: makes a row readable or writable and returns the address of its first byte. */
typedef unsigned char *(*line_accessor)(struct bitmap *bmp, int row);

/** A drawing surface: a rectangle of pixels of one colour depth, its clip rectangle, its line
 * table and the drawing operations of its depth. */
struct bitmap {
  int width;           /**< width in pixels */
  int height;          /**< height in pixels */
  int clipping;        /**< nonzero: drawing is clipped to the rectangle below */
  int clip_left;       /**< first column inside the clip rectangle */
  int clip_right;      /**< one past the last column inside */
  int clip_top;        /**< first row inside */
  int clip_bottom;     /**< one past the last row inside */
  draw_vtable *vtable; /**< the drawing operations of the bitmap's depth */
  line_accessor write_line; /**< makes a row writable and returns its address */
  line_accessor read_line;  /**< makes a row readable and returns its address */
  void *pixels;      /**< pixel memory owned by the bitmap, or null */
  uint32_t flags;    /**< kind bits and sub-bitmap family number (BITMAP_FLAG_...) */
  void *driver_data; /**< free for a display driver */
  int x_offset;      /**< left edge within the outermost parent */
  int y_offset;      /**< top edge within the outermost parent */
  int segment;       /**< memory segment of the pixels (0 for memory bitmaps) */
  /** Address of the first byte of each row. The table lives in the same allocation as the record,
   * right behind it, with room for max(height, 2) entries. */
  unsigned char **lines;
};

/* Bits of bitmap.flags. */
#define BITMAP_FLAG_VIDEO 0x80000000u  /**< the screen, or a bitmap on the display surface */
#define BITMAP_FLAG_SYSTEM 0x40000000u /**< system bitmap */
#define BITMAP_FLAG_SUB 0x20000000u    /**< sub-bitmap */
#define BITMAP_FLAG_PLANAR 0x10000000u /**< planar surface */
#define BITMAP_FLAG_SAME_SURFACE_TEMP 0x08000000u /**< same-surface blits go through a temporary */
#define BITMAP_FLAG_NEW_SUB_CLEAR 0x04000000u     /**< cleared on every new sub-bitmap */
#define BITMAP_FAMILY_MASK 0x01FFFFFFu /**< family number shared by a parent and its sub-bitmaps */

/** The drawing operations of one colour depth, in slot order (the slot number is in front of each
 * entry). Entries 0 and 1 are values; every operation may be null, callers skip it then. */
struct draw_vtable {
  /** 0: bits per pixel of the depth (8, 15, 16, 24 or 32) */
  int color_depth;
  /** 1: the transparent colour of sprites and masked blits at this depth */
  int mask_color;
  /** 2: ends access to the rows made accessible by the line accessors */
  void (*release_line)(struct bitmap *bmp);
  /** 3: told that the clip rectangle of a bitmap changed */
  void (*clip_changed)(struct bitmap *bmp);
  /** 4: locks a display surface (acquire_bitmap) */
  void (*acquire)(struct bitmap *bmp);
  /** 5: unlocks a display surface (release_bitmap) */
  void (*release)(struct bitmap *bmp);
  /** 6: makes a sub-bitmap in place of the generic code, or null */
  struct bitmap *(*create_subbitmap_hook)(struct bitmap *parent, int x, int y, int width,
                                         int height);
  /** 7: told that a sub-bitmap of a bitmap of this depth was made */
  void (*subbitmap_created_hook)(struct bitmap *sub, struct bitmap *parent);
  /** 8: the colour of a pixel, or -1 outside the bitmap (the clip rectangle does not matter) */
  int (*get_pixel)(struct bitmap *bmp, int x, int y);
  /** 9: sets a pixel in the drawing mode, clipped */
  void (*put_pixel)(struct bitmap *bmp, int x, int y, int color);
  /** 10: a vertical line from y1 to y2 in the drawing mode */
  void (*draw_vline)(struct bitmap *bmp, int x, int y1, int y2, int color);
  /** 11: a horizontal line from x1 to x2 in the drawing mode */
  void (*draw_hline)(struct bitmap *bmp, int x1, int y, int x2, int color);
  /** 12: a horizontal span for the fillers, in the drawing mode */
  void (*fill_hline)(struct bitmap *bmp, int x1, int y, int x2, int color);
  /** 13: a line between two points */
  void (*draw_line)(struct bitmap *bmp, int x1, int y1, int x2, int y2, int color);
  /** 14: a line between two points, traced without sub-pixel care */
  void (*draw_fast_line)(struct bitmap *bmp, int x1, int y1, int x2, int y2, int color);
  /** 15: a filled rectangle between two inclusive corners */
  void (*fill_rect)(struct bitmap *bmp, int x1, int y1, int x2, int y2, int color);
  /** 16: a filled triangle */
  void (*draw_triangle)(struct bitmap *bmp, int x1, int y1, int x2, int y2, int x3, int y3,
                       int color);
  /** 17: a sprite with its mask-colour pixels skipped */
  void (*draw_sprite)(struct bitmap *bmp, struct bitmap *sprite, int x, int y);
  /** 18: an 8-bit sprite onto this depth through the palette */
  void (*draw_sprite_8bit)(struct bitmap *bmp, struct bitmap *sprite, int x, int y);
  /** 19: a sprite flipped top to bottom */
  void (*draw_sprite_vflip)(struct bitmap *bmp, struct bitmap *sprite, int x, int y);
  /** 20: a sprite flipped left to right */
  void (*draw_sprite_hflip)(struct bitmap *bmp, struct bitmap *sprite, int x, int y);
  /** 21: a sprite flipped both ways */
  void (*draw_sprite_vhflip)(struct bitmap *bmp, struct bitmap *sprite, int x, int y);
  /** 22: a sprite mixed in through the blender */
  void (*draw_sprite_trans)(struct bitmap *bmp, struct bitmap *sprite, int x, int y);
  /** 23: a sprite with its alpha channel through the alpha blender */
  void (*draw_sprite_alpha)(struct bitmap *bmp, struct bitmap *sprite, int x, int y);
  /** 24: a sprite mixed with the blender colour at a light level */
  void (*draw_sprite_lit)(struct bitmap *bmp, struct bitmap *sprite, int x, int y,
                         int level);
  /** 25: a run-length sprite */
  void (*draw_rle)(struct bitmap *bmp, const struct run_sprite *sprite, int x, int y);
  /** 26: a run-length sprite through the blender */
  void (*draw_rle_trans)(struct bitmap *bmp, const struct run_sprite *sprite, int x,
                        int y);
  /** 27: a run-length sprite with its alpha channel */
  void (*draw_rle_alpha)(struct bitmap *bmp, const struct run_sprite *sprite, int x,
                        int y);
  /** 28: a run-length sprite lit to a level */
  void (*draw_rle_lit)(struct bitmap *bmp, const struct run_sprite *sprite, int x, int y,
                      int level);
  /** 29: an 8-bit glyph bitmap as a monochrome glyph in a colour */
  void (*draw_glyph_mono)(struct bitmap *bmp, struct bitmap *source, int x, int y,
                         int color, int background);
  /** 30: a monochrome glyph in a colour on a background (-1: none) */
  void (*draw_glyph)(struct bitmap *bmp, const struct mono_glyph *glyph, int x, int y,
                    int color, int background);
  /* 31-36: the same copy routine in all six slots; the public blit picks the slot by the kinds of
   * the two bitmaps (memory, system, video) and by overlap within one surface. */
  /** 31: copies from a memory bitmap */
  void (*blit_from_memory)(struct bitmap *source, struct bitmap *dest, int source_x,
                          int source_y, int dest_x, int dest_y, int width, int height);
  /** 32: copies to a memory bitmap */
  void (*blit_to_memory)(struct bitmap *source, struct bitmap *dest, int source_x,
                        int source_y, int dest_x, int dest_y, int width, int height);
  /** 33: copies from a system bitmap */
  void (*blit_from_system)(struct bitmap *source, struct bitmap *dest, int source_x,
                          int source_y, int dest_x, int dest_y, int width, int height);
  /** 34: copies to a system bitmap */
  void (*blit_to_system)(struct bitmap *source, struct bitmap *dest, int source_x,
                        int source_y, int dest_x, int dest_y, int width, int height);
  /** 35: copies within one surface */
  void (*blit_to_self)(struct bitmap *source, struct bitmap *dest, int source_x,
                      int source_y, int dest_x, int dest_y, int width, int height);
  /** 36: copies within one surface, rows first to last */
  void (*blit_to_self_forward)(struct bitmap *source, struct bitmap *dest, int source_x,
                              int source_y, int dest_x, int dest_y, int width,
                              int height);
  /** 37: copies within one surface, last row and column first */
  void (*blit_copy_backward)(struct bitmap *source, struct bitmap *dest, int source_x,
                            int source_y, int dest_x, int dest_y, int width, int height);
  /** 38: copies from another depth, converting each pixel */
  void (*blit_convert)(struct bitmap *source, struct bitmap *dest, int source_x,
                      int source_y, int dest_x, int dest_y, int width, int height);
  /** 39: copies, skipping mask-colour pixels */
  void (*blit_masked)(struct bitmap *source, struct bitmap *dest, int source_x,
                     int source_y, int dest_x, int dest_y, int width, int height);
  /** 40: fills the clip rectangle with a colour */
  void (*clear_to_color)(struct bitmap *bmp, int color);
  /** 41: a sprite rotated and scaled about a point */
  void (*draw_sprite_rotated)(struct bitmap *bmp, struct bitmap *sprite, fixed x, fixed y,
                             fixed cx, fixed cy, fixed angle, fixed scale, int v_flip);
  /** 42: kept empty */
  void (*unused_slot)(void);
  /** 43: a sprite lit with levels blended between its four corners */
  void (*draw_sprite_gouraud)(struct bitmap *bmp, struct bitmap *sprite, int x, int y,
                             int c1, int c2, int c3, int c4);
  /** 44: marks the end of the classic slots; does nothing */
  void (*end_marker)(void);
  /** 45: a second end marker; does nothing */
  void (*end_marker_2)(void);
  /** 46: a filled polygon from vertex_count (x, y) pairs */
  void (*draw_polygon)(struct bitmap *bmp, int vertex_count, const int *points, int color);
  /** 47: a rectangle outline */
  void (*draw_rect)(struct bitmap *bmp, int x1, int y1, int x2, int y2, int color);
  /** 48: a circle outline */
  void (*draw_circle)(struct bitmap *bmp, int x, int y, int radius, int color);
  /** 49: a filled circle */
  void (*fill_circle)(struct bitmap *bmp, int x, int y, int radius, int color);
  /** 50: an ellipse outline */
  void (*draw_ellipse)(struct bitmap *bmp, int x, int y, int rx, int ry, int color);
  /** 51: a filled ellipse */
  void (*fill_ellipse)(struct bitmap *bmp, int x, int y, int rx, int ry, int color);
  /** 52: a circular arc between two angles */
  void (*draw_arc)(struct bitmap *bmp, int x, int y, fixed start_angle, fixed end_angle,
                  int radius, int color);
  /** 53: a Bezier spline through four control points */
  void (*draw_spline)(struct bitmap *bmp, const int points[8], int color);
  /** 54: fills the area of one colour around a point */
  void (*flood_fill)(struct bitmap *bmp, int x, int y, int color);
  /** 55: a 3D polygon of a render type */
  void (*draw_polygon_3d)(struct bitmap *bmp, int type, struct bitmap *texture,
                         int vertex_count, struct v3d *vertices[]);
  /** 56: a 3D polygon of a render type, floating-point vertices */
  void (*draw_polygon_3d_f)(struct bitmap *bmp, int type, struct bitmap *texture,
                           int vertex_count, struct v3d_f *vertices[]);
  /** 57: a 3D triangle */
  void (*draw_triangle_3d)(struct bitmap *bmp, int type, struct bitmap *texture,
                          struct v3d *v1, struct v3d *v2, struct v3d *v3);
  /** 58: a 3D triangle, floating-point vertices */
  void (*draw_triangle_3d_f)(struct bitmap *bmp, int type, struct bitmap *texture,
                            struct v3d_f *v1, struct v3d_f *v2, struct v3d_f *v3);
  /** 59: a 3D quadrilateral */
  void (*draw_quad_3d)(struct bitmap *bmp, int type, struct bitmap *texture,
                      struct v3d *v1, struct v3d *v2, struct v3d *v3, struct v3d *v4);
  /** 60: a 3D quadrilateral, floating-point vertices */
  void (*draw_quad_3d_f)(struct bitmap *bmp, int type, struct bitmap *texture,
                        struct v3d_f *v1, struct v3d_f *v2, struct v3d_f *v3,
                        struct v3d_f *v4);
};

/* ---- Depth tables ---------------------------------------------------------------------------- */

/** One entry of vtable_by_depth: a colour depth and its drawing table. */
typedef struct vtable_by_depth_entry {
  int depth;          /**< colour depth in bits per pixel; 0 in the closing entry */
  draw_vtable *vtable; /**< the drawing table of that depth; null in the closing entry */
} vtable_by_depth_entry;

/** The built-in drawing tables: 8, 15, 16, 24 and 32 bits, in that order, then an entry with a null
 * table. */
extern CORVANE_API const vtable_by_depth_entry vtable_by_depth[];

/** The drawing table of a depth: the system driver's find_vtable_override is asked first, then
 * vtable_by_depth. Null for a depth without a table. */
CORVANE_API draw_vtable *find_vtable(int depth) CORVANE_NOEXCEPT;

/** Bytes per pixel of a depth: 1 up to 8 bits, 2 up to 16, 3 up to 24, 4 above. */
CORVANE_API int bytes_per_pixel_of_depth(int depth) CORVANE_NOEXCEPT;

/** The colour depth of a bitmap (its table's color_depth), or 0 for null. */
CORVANE_API int bitmap_color_depth(const bitmap *bmp) CORVANE_NOEXCEPT;

/** The line accessor of memory bitmaps: returns lines[row]. */
CORVANE_API unsigned char *default_line_accessor(bitmap *bmp, int row) CORVANE_NOEXCEPT;

/* ---- Creation and destruction ---------------------------------------------------------------- */

/** A memory bitmap of a depth (8, 15, 16, 24 or 32). Null for an unknown depth, a negative size,
 * more than 2 GiB of pixels or line table, or when memory is short; no error number is left then.
 * Its pixels are not cleared. */
CORVANE_API bitmap *create_bitmap_at_depth(int depth, int width, int height) CORVANE_NOEXCEPT;

/** A memory bitmap at the current colour depth (set_color_depth); null as for
 * create_bitmap_at_depth. */
CORVANE_API bitmap *create_bitmap(int width, int height) CORVANE_NOEXCEPT;

/** A system bitmap: the graphics driver's, or a memory bitmap marked BITMAP_FLAG_SYSTEM. Null
 * without a graphics mode. */
CORVANE_API bitmap *create_system_bitmap(int width, int height) CORVANE_NOEXCEPT;

/** A bitmap sharing the pixels of parent, for the rectangle at (x, y) of the given size. The
 * rectangle is cut to the parent: a part left of or above the parent, or right of or below it,
 * is dropped, so that drawing on the sub-bitmap never reaches outside its parent. Null for a null
 * parent, a negative size, or when memory is short (ENOMEM when the sub-bitmap family numbers are
 * used up). Destroy it before its parent. */
CORVANE_API bitmap *create_subbitmap(bitmap *parent, int x, int y, int width,
                                     int height) CORVANE_NOEXCEPT;

/** A bitmap in display memory: made by the graphics driver, or carved out of the screen bitmap
 * where it does not overlap any other video bitmap. Null without a graphics mode, while the
 * display is switched away, or when there is no room. */
CORVANE_API bitmap *create_video_bitmap(int width, int height) CORVANE_NOEXCEPT;

/** Frees a bitmap of any kind; null is ignored. */
CORVANE_API void destroy_bitmap(bitmap *bmp) CORVANE_NOEXCEPT;

/** Locks a bitmap before a group of drawing calls (release it with release_bitmap). A display
 * surface may have to be locked before its pixels are touched; every drawing call locks it by
 * itself, so locking it once around many calls only saves the repeated work. Calls nest and must
 * be paired; keep the group short, as the display may wait for it. Memory bitmaps need no lock:
 * for them, and for null, the call does nothing. It cannot fail. */
CORVANE_API void acquire_bitmap(bitmap *bmp) CORVANE_NOEXCEPT;

/** Unlocks a bitmap locked by acquire_bitmap; the surface is unlocked when the last of nested
 * locks is released. Does nothing for memory bitmaps and null; cannot fail. */
CORVANE_API void release_bitmap(bitmap *bmp) CORVANE_NOEXCEPT;

/** Wraps a display surface: used by graphics drivers. base is the address of the first row,
 * row_stride the distance between rows in bytes. A banked surface (driver->linear zero) has its
 * rows laid out in the driver's bank window and the bank of each row recorded in
 * line_bank_table. Null for an unknown depth, a negative size, a banked driver without a positive
 * bank granularity, or when memory is short. */
CORVANE_API bitmap *make_screen_bitmap(int width, int height, void *base, struct gfx_driver *driver,
                                       int depth, int row_stride) CORVANE_NOEXCEPT;

/** The bank of each row of a banked screen bitmap (one int per row), or null. */
extern CORVANE_API int *line_bank_table;

/** Bank number last selected for reading by a banked display driver; -1 when none. */
extern CORVANE_API int last_read_bank;
/** Bank number last selected for writing by a banked display driver; -1 when none. */
extern CORVANE_API int last_write_bank;

/** Frees line_bank_table (when the graphics mode returns to text mode). */
CORVANE_API void free_line_bank_table(void) CORVANE_NOEXCEPT;

/** A node of video_bitmap_list: the rectangle a video bitmap occupies on the screen surface (x and
 * y are -1 and the size 0 for bitmaps the graphics driver made itself). */
typedef struct video_bitmap_node {
  int x;                                 /**< left edge on the screen surface, or -1 */
  int y;                                 /**< top edge on the screen surface, or -1 */
  int width;                             /**< width of the rectangle, or 0 */
  int height;                            /**< height of the rectangle, or 0 */
  bitmap *bmp;                           /**< the video bitmap */
  struct video_bitmap_node *search_link; /**< used while searching for room */
  struct video_bitmap_node *next;        /**< the next node, or null at the end of the list */
} video_bitmap_node;

/** The video bitmaps of the current mode, sorted by row (driver-made ones first). */
extern CORVANE_API video_bitmap_node *video_bitmap_list;

/* ---- Clipping ---------------------------------------------------------------------------------
 */

/** Sets the clip rectangle from two inclusive corners, clamped to the bitmap; the clipping flag is
 * left alone. Null is ignored. */
CORVANE_API void set_clip_bounds(bitmap *bmp, int x1, int y1, int x2, int y2) CORVANE_NOEXCEPT;

/** Sets the clip rectangle (corners in either order) and turns clipping on; four zeros turn
 * clipping off and reset the rectangle to the whole bitmap. Null is ignored. */
CORVANE_API void set_clip_area(bitmap *bmp, int x1, int y1, int x2, int y2) CORVANE_NOEXCEPT;

/* ---- Whole-bitmap operations and blits --------------------------------------------------------
 */

/** Fills the clip rectangle with colour 0. Null is ignored. */
CORVANE_API void clear_bitmap(bitmap *bmp) CORVANE_NOEXCEPT;

/** Copies a rectangle of source to dest, clipped to the source and to dest's clip rectangle;
 * converts between depths; overlapping areas of one surface are copied as if through a
 * temporary. Null bitmaps are ignored. */
CORVANE_API void blit(bitmap *source, bitmap *dest, int source_x, int source_y, int dest_x,
                      int dest_y, int width, int height) CORVANE_NOEXCEPT;

/** Like blit, but pixels equal to the depth's mask colour are skipped. Both bitmaps must have the
 * same depth; otherwise nothing is drawn. */
CORVANE_API void masked_blit(bitmap *source, bitmap *dest, int source_x, int source_y, int dest_x,
                             int dest_y, int width, int height) CORVANE_NOEXCEPT;

/* ---- Bitmaps across a display switch ----------------------------------------------------------
 */

/** Registers a bitmap whose contents are saved when the program loses the display and restored
 * when it regains it; a sub-bitmap is registered under its parent (a parent that is not
 * registered adds nothing). */
CORVANE_API void register_switch_bitmap(struct bitmap *bmp, struct bitmap *parent) CORVANE_NOEXCEPT;

/** Forgets a registered bitmap and everything registered under it. */
CORVANE_API void unregister_switch_bitmap(struct bitmap *bmp) CORVANE_NOEXCEPT;

/** Called by the platform when the display is lost: every registered top-level bitmap gets a
 * memory copy that drawing goes to while away (filled with its contents unless the mode, a switch
 * mode of corvane/timer.h, is SWITCH_AMNESIA or SWITCH_BACKAMNESIA, cleared then); sub-bitmaps
 * follow their parent. */
CORVANE_API void save_switch_bitmaps(int mode) CORVANE_NOEXCEPT;

/** Called by the platform when the display is regained: the copies are drawn back and freed. */
CORVANE_API void restore_switch_bitmaps(void) CORVANE_NOEXCEPT;

/** Nonzero while the display is switched away from the program (between save_switch_bitmaps and
 * restore_switch_bitmaps). */
CORVANE_API int display_switched_away(void) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_BITMAP_H */
