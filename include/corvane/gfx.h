/** @file
 * Corvane: graphics modes -- the graphics driver record, mode selection and the screen. */
#ifndef CORVANE_GFX_H
#define CORVANE_GFX_H

#include "corvane/base.h"
#include "corvane/bitmap.h"
#include "corvane/system.h"

CORVANE_EXTERN_C_BEGIN

/* Graphics driver ids: a driver's four-character code, or one of these. */
/** Driver id that closes the graphics mode and returns to text mode. */
#define TEXT_MODE (-1)
/** Driver id: the configured driver, else the first that opens the mode. */
#define GFX_AUTODETECT 0
/** Driver id: the first driver that opens the mode on the whole screen. */
#define GFX_AUTODETECT_FULLSCREEN 1
/** Driver id: the first driver that opens the mode in a window. */
#define GFX_AUTODETECT_WINDOWED 2
/** Driver id: any mode that works, the platform's safe mode first (see select_gfx_mode). */
#define GFX_SAFE CORVANE_ID('S', 'A', 'F', 'E')

/** One display mode: width, height and bits per pixel. */
typedef struct gfx_mode_entry {
  int width;  /**< width in pixels */
  int height; /**< height in pixels */
  int bpp;    /**< colour depth in bits per pixel */
} gfx_mode_entry;

/** The modes a driver can show: count entries. */
typedef struct gfx_mode_list {
  int count;             /**< number of entries in modes */
  gfx_mode_entry *modes; /**< the modes, allocated with malloc */
} gfx_mode_list;

/** A graphics driver: the driver identity, 23 optional operations and 8 values, in this order. */
typedef struct gfx_driver {
  CORVANE_DRIVER_IDENTITY; /**< id, name, description and ascii_label (CORVANE_DRIVER_IDENTITY) */
  /** Opens a mode at a depth and returns its screen bitmap, or null (with error_text) when it
   * cannot. */
  struct bitmap *(*init)(int width, int height, int virtual_width, int virtual_height, int depth);
  /** Closes the mode of this screen bitmap. */
  void (*exit)(struct bitmap *screen);
  /** Shows the screen bitmap from (x, y); 0 on success. */
  int (*scroll)(int x, int y);
  /** Waits for the vertical retrace. */
  void (*wait_retrace)(void);
  /** Sets entries from..to of the hardware palette, after the retrace when retrace is nonzero. */
  void (*write_palette)(const struct rgb_entry *palette, int from, int to, int retrace);
  /** Starts a scroll to (x, y) without waiting for it; 0 on success. */
  int (*request_scroll)(int x, int y);
  /** Nonzero while a requested scroll or page has not been shown yet. */
  int (*poll_scroll)(void);
  /** Turns triple buffering on, setting GFX_CAN_TRIPLE_BUFFER when it can. */
  void (*enable_triple_buffer)(void);
  /** Makes a bitmap in display memory, or returns null. */
  struct bitmap *(*make_video_bitmap)(int width, int height);
  /** Frees a bitmap made by make_video_bitmap. */
  void (*free_video_bitmap)(struct bitmap *bmp);
  /** Makes a video bitmap the visible page; 0 on success. */
  int (*show_video_bitmap)(struct bitmap *bmp);
  /** Asks for a video bitmap to be shown at the next retrace, without waiting; 0 on success. */
  int (*request_video_bitmap)(struct bitmap *bmp);
  /** Makes a system bitmap, or returns null. */
  struct bitmap *(*make_system_bitmap)(int width, int height);
  /** Frees a bitmap made by make_system_bitmap. */
  void (*free_system_bitmap)(struct bitmap *bmp);
  /** Takes a sprite as the hardware mouse cursor, its hot spot at (focus_x, focus_y); 0 when the
   * driver can show it, else the library draws the pointer itself. */
  int (*set_cursor_image)(struct bitmap *sprite, int focus_x, int focus_y);
  /** Shows the hardware cursor over bmp at (x, y); 0 on success. */
  int (*show_cursor)(struct bitmap *bmp, int x, int y);
  /** Hides the hardware cursor. */
  void (*hide_cursor)(void);
  /** Moves the hardware cursor to (x, y). */
  void (*move_cursor)(int x, int y);
  /** Told the new drawing mode, pattern and anchors (set_draw_mode). */
  void (*drawing_mode_changed)(int mode, struct bitmap *pattern, int x_anchor, int y_anchor);
  /** Saves the display's state before the program loses the display. */
  void (*save_video_state)(void);
  /** Restores the display's state when the program regains the display. */
  void (*restore_video_state)(void);
  /** Told the new blend mode (its number) and its colour and weight. */
  void (*blender_changed)(int mode, int r, int g, int b, int a);
  /** The modes the driver can show, allocated with malloc; null when it cannot say. */
  gfx_mode_list *(*list_modes)(void);
  int width;            /**< visible width of the current mode */
  int height;           /**< visible height */
  int linear;           /**< nonzero: the surface is linear */
  int bank_size;        /**< bytes in the bank window of a banked surface */
  int bank_granularity; /**< step between banks in bytes */
  int video_memory;     /**< bytes of display memory, 0 when not known */
  void *video_base;     /**< base address of the surface (set by make_screen_bitmap) */
  int windowed;         /**< nonzero for drivers that draw into a window */
} gfx_driver;

/** The graphics drivers used when the system driver offers no list of its own. */
extern CORVANE_API driver_list_entry default_gfx_driver_list[];

/* ---- Library-wide state ---------------------------------------------------------------------- */

/** The driver of the current mode, or null in text mode. */
extern CORVANE_API gfx_driver *current_gfx_driver;

/** The screen bitmap of the current mode, or null. */
extern CORVANE_API struct bitmap *screen_bitmap;

/* Bits of gfx_capabilities. */
#define GFX_CAN_SCROLL 1        /**< the driver can scroll a screen bitmap larger than the mode */
#define GFX_CAN_TRIPLE_BUFFER 2 /**< it can request scrolls or page flips without waiting */

/** What the current mode can do (GFX_CAN_...); 0 in text mode. */
extern CORVANE_API int gfx_capabilities;

/** -1: drivers wait for the vertical retrace where they can; 0 after "disable_vsync" in section
 * "graphics" said yes. Read again at every mode change. */
extern CORVANE_API int wait_for_retrace;

/** Calls of select_gfx_mode so far. */
extern CORVANE_API int gfx_mode_count;

/** 1 while GFX_SAFE looks for a mode by autodetection, so that drivers may choose their most
 * conservative settings. */
extern CORVANE_API int safe_mode_active;

/** When at least 1, the height used instead of the driver's visible height when scroll positions
 * are clamped (a split screen); reset to 0 by every mode change. */
extern CORVANE_API int screen_split_height;

/** -1 until the first mode change registers shutdown_gfx. */
extern CORVANE_API int gfx_first_use;

/** Default foreground colour of user-interface drawing, packed for the current mode: 255 at 8
 * bits, else black. */
extern CORVANE_API int dialog_fg_color;
/** Default middle colour of user-interface drawing: 8 at 8 bits, else grey. */
extern CORVANE_API int dialog_mid_color;
/** Default background colour of user-interface drawing: 0 at 8 bits, else white. */
extern CORVANE_API int dialog_bg_color;

/** Refresh rate of the current mode in Hz, 0 when not known. */
extern CORVANE_API int current_refresh_rate;

/** Told when a mode has opened and when one is about to close. Either operation may be null. */
typedef struct gfx_mode_listener {
  void (*mode_opened)(void);                /**< called after a mode has opened */
  void (*mode_closing)(struct bitmap *bmp); /**< called before a mode closes, with null */
  struct bitmap *watched; /**< a bitmap of the listener's own; the library does not read it */
} gfx_mode_listener;

/** The installed listener, or null. The record must stay valid while installed. */
extern CORVANE_API gfx_mode_listener *mode_change_listener;

/* ---- Opening and closing modes --------------------------------------------------------------- */

/** Opens a graphics mode: a driver id (a driver's four-character code, GFX_AUTODETECT,
 * GFX_AUTODETECT_FULLSCREEN, GFX_AUTODETECT_WINDOWED, GFX_SAFE or TEXT_MODE), the visible size
 * and the size of the screen bitmap (0 x 0: the visible size), at the current colour depth.
 * Configured drivers ("gfx_card", "gfx_cardw" in section "graphics") are tried before
 * autodetection. Returns 0, or -1 with error_text set and the system in text mode. GFX_SAFE
 * that finds no mode also shows "Fatal error: unable to set GFX_SAFE". */
CORVANE_API int select_gfx_mode(int driver_id, int width, int height, int virtual_width,
                                int virtual_height) CORVANE_NOEXCEPT;

/** select_gfx_mode without the safe-mode handling; allow_config zero skips the configured drivers
 * and goes straight to autodetection. Returns 0, or -1 in text mode with error_text set (the
 * driver's reason, else "Unable to find a suitable graphics driver"). */
CORVANE_API int open_gfx_mode(int driver_id, int width, int height, int virtual_width,
                              int virtual_height, int allow_config) CORVANE_NOEXCEPT;

/** Closes the current mode and forgets the console; the exit function "shutdown_gfx". */
CORVANE_API void shutdown_gfx(void) CORVANE_NOEXCEPT;

/** Used by drivers to report the refresh rate of the mode they opened. A rate outside 40-200 Hz
 * counts as not known (0); the simulated retrace of the timer follows the rate (70 Hz when not
 * known). */
CORVANE_API void set_refresh_rate_info(int rate) CORVANE_NOEXCEPT;

/* ---- Mode lists ------------------------------------------------------------------------------ */

/** The modes a driver (by id) can show, sorted by width, then height, then depth; null when the
 * driver is not in the driver list or cannot say. A driver's list_modes allocates the list and
 * its entries with malloc. Free the result with free_mode_list. */
CORVANE_API gfx_mode_list *get_mode_list(int driver_id) CORVANE_NOEXCEPT;

/** Frees a list from get_mode_list; null is ignored. */
CORVANE_API void free_mode_list(gfx_mode_list *list) CORVANE_NOEXCEPT;

/* ---- Scrolling and triple buffering ---------------------------------------------------------- */

/** Shows the screen bitmap from (x, y), clamped so that the visible area stays on it. Returns 0,
 * or -1 when a coordinate had to be clamped, the driver failed or cannot scroll, no mode is open
 * or the display is switched away. */
CORVANE_API int scroll_screen(int x, int y) CORVANE_NOEXCEPT;

/** Starts a scroll to (x, y) without waiting for it (see GFX_CAN_TRIPLE_BUFFER); the same
 * clamping and results as scroll_screen. A driver that cannot request scrolls scrolls at once,
 * and -1 is returned. */
CORVANE_API int request_scroll(int x, int y) CORVANE_NOEXCEPT;

/** Asks the driver for triple buffering. Returns 0 when GFX_CAN_TRIPLE_BUFFER is (now) set, -1
 * otherwise. */
CORVANE_API int enable_triple_buffer(void) CORVANE_NOEXCEPT;

/* ---- Retrace and page flipping --------------------------------------------------------------- */

/** Waits for the display's next vertical retrace, so that what is drawn next is shown whole. The
 * driver's own wait is used; a driver without one (and a display that is switched away) waits for
 * the timer's simulated retrace instead (get_retrace_count). Returns 0 after the wait, and 0 at
 * once when "disable_vsync" turned waiting off (wait_for_retrace is 0). Returns -1 with error_text
 * set when no mode is open, or when the driver cannot wait and the timer system is not installed
 * or does not count the retrace. */
CORVANE_API int wait_for_vsync(void) CORVANE_NOEXCEPT;

/** Page flipping: makes a video bitmap (create_video_bitmap) the visible page. Draw the next frame
 * into another video bitmap meanwhile, then show that one. The driver's own page flip is used
 * where it has one; otherwise a video bitmap that lies on the screen bitmap (carved from a
 * virtual screen larger than the mode) is shown by scrolling to it, after waiting for the retrace
 * unless "disable_vsync" turned that off. Returns 0, or -1: with error_text set when no mode is
 * open, when bmp is null or not a video bitmap (also EINVAL), or when the driver can neither flip
 * nor scroll to it; without error_text when the driver failed, the bitmap does not fit where the
 * visible area can be scrolled, or the display is switched away. */
CORVANE_API int show_video_bitmap(struct bitmap *bmp) CORVANE_NOEXCEPT;

/** Triple buffering (see enable_triple_buffer): asks for a video bitmap to be shown at the next
 * retrace and returns without waiting; poll_scroll tells when the request has been carried out.
 * Falls back to the driver's requested scroll for a bitmap on the screen bitmap. A driver that
 * can do neither shows the bitmap at once (as show_video_bitmap), and -1 is returned. Other
 * failures as show_video_bitmap. */
CORVANE_API int request_video_bitmap(struct bitmap *bmp) CORVANE_NOEXCEPT;

/** -1 while a requested scroll or video bitmap (request_scroll, request_video_bitmap) has not been
 * shown yet, else 0. Draw into the page that was last shown only once this says 0. 0 also when no
 * mode is open, the display is switched away or the driver cannot tell. */
CORVANE_API int poll_scroll(void) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_GFX_H */
