/** @file
 * Corvane: the mouse -- the pointer position, wheel and buttons the program reads, the driver
 * interface through which a platform reports them, and the pointer drawn on a bitmap (by the
 * graphics driver's cursor where it has one, else in software by a timer handler).
 *
 * A driver reports input on its own thread (the display's event thread, or the timer thread for
 * drivers polled by a timer) while the program reads the values. The library writes every value
 * below atomically; a program may read them with plain loads or, to be strictly free of data
 * races, with atomic loads. */
#ifndef CORVANE_MOUSE_H
#define CORVANE_MOUSE_H

#include "corvane/base.h"
#include "corvane/bitmap.h"
#include "corvane/system.h"

CORVANE_EXTERN_C_BEGIN

/* ---- Mouse drivers ---------------------------------------------------------------------------- */

/** A mouse driver: the driver identity, then eleven operations in slot order; any may be null. */
typedef struct mouse_driver {
  CORVANE_DRIVER_IDENTITY; /**< id, name, description and ascii_label (CORVANE_DRIVER_IDENTITY) */
  int (*init)(void);   /**< the number of buttons, or a negative value when the driver cannot start */
  void (*exit)(void);  /**< stops the driver */
  void (*poll)(void);       /**< or null; present: the program polls (poll_mouse) */
  void (*timer_poll)(void); /**< or null; present: called every 10 ms on the timer thread */
  void (*position)(int x, int y);                    /**< moves the pointer, sets the raw position */
  void (*set_range)(int x1, int y1, int x2, int y2); /**< the area the pointer stays in */
  void (*set_speed)(int x_speed, int y_speed);       /**< pointer speed (set_mouse_speed) */
  void (*get_mickeys)(int *dx, int *dy); /**< movement since the last call */
  int (*analyse_data)(const char *data, int size); /**< unused by the library; kept for its slot */
  void (*enable_hardware_cursor)(int mode);  /**< -1 on, 0 off */
  int (*select_system_cursor)(int cursor);   /**< the cursor when shown, 0 when refused */
} mouse_driver;

/** The mouse drivers used when the system driver offers no list of its own. */
extern CORVANE_API driver_list_entry default_mouse_driver_list[];

/** The installed driver, or null. */
extern CORVANE_API mouse_driver *current_mouse_driver;

/** The id of the driver chosen; -1 until one is chosen (install_mouse then reads "mouse" in section
 * "mouse"). Set it before install_mouse to ask for a driver. */
extern CORVANE_API int mouse_type;

/* ---- Buttons, callback flags and cursors ------------------------------------------------------ */

/* mouse_b bits; further bits are side buttons. */
#define MOUSE_BUTTON_LEFT 1   /**< mouse_b bit: the left button is down */
#define MOUSE_BUTTON_RIGHT 2  /**< mouse_b bit: the right button is down */
#define MOUSE_BUTTON_MIDDLE 4 /**< mouse_b bit: the middle button is down */

/* What mouse_callback is told changed. */
#define MOUSE_FLAG_MOVE 1         /**< the position changed */
#define MOUSE_FLAG_LEFT_DOWN 2    /**< the left button went down */
#define MOUSE_FLAG_LEFT_UP 4      /**< the left button went up */
#define MOUSE_FLAG_RIGHT_DOWN 8   /**< the right button went down */
#define MOUSE_FLAG_RIGHT_UP 16    /**< the right button went up */
#define MOUSE_FLAG_MIDDLE_DOWN 32 /**< the middle button went down */
#define MOUSE_FLAG_MIDDLE_UP 64   /**< the middle button went up */
#define MOUSE_FLAG_MOVE_Z 128     /**< the wheel turned */

/* Pointers for select_mouse_cursor. The built-in images are 16 x 16 with the focus at (1, 1); the
 * question and edit pointers use the arrow's picture. */
#define MOUSE_CURSOR_NONE 0     /**< no pointer */
#define MOUSE_CURSOR_SPRITE 1   /**< the sprite of set_mouse_sprite (the start) */
#define MOUSE_CURSOR_ARROW 2    /**< the arrow */
#define MOUSE_CURSOR_BUSY 3     /**< the busy pointer */
#define MOUSE_CURSOR_QUESTION 4 /**< the arrow with a question mark where the system has one */
#define MOUSE_CURSOR_EDIT 5     /**< a text cursor (I-beam) where the system has one */
#define MOUSE_CURSOR_COUNT 6    /**< one past the last pointer */

/* gfx_capabilities bits the mouse sets while the graphics driver shows the pointer. */
#define GFX_HW_CURSOR 0x4          /**< the graphics driver's cursor shows the pointer */
#define GFX_SYSTEM_CURSOR 0x400000 /**< ... and it is one of the system's own pointers */

/* ---- Mouse state -------------------------------------------------------------------------------- */

/** The pointer's column as the driver last reported it. */
extern CORVANE_API int raw_mouse_x;
/** The pointer's row as the driver last reported it. */
extern CORVANE_API int raw_mouse_y;
/** The wheel position as the driver last reported it. */
extern CORVANE_API int raw_mouse_z;
/** The button bits as the driver last reported them. */
extern CORVANE_API int raw_mouse_b;

/** The pointer's column, as the program reads it. */
extern CORVANE_API int mouse_x;
/** The pointer's row, as the program reads it. */
extern CORVANE_API int mouse_y;
/** The wheel position, as the program reads it. */
extern CORVANE_API int mouse_z;
/** The button bits (MOUSE_BUTTON_...), as the program reads them. */
extern CORVANE_API int mouse_b;

/** mouse_x in the upper 16 bits and mouse_y in the lower 16, read in one go. */
extern CORVANE_API int mouse_pos;

/** Told with MOUSE_FLAG_... bits whenever the values change, on the thread that reports them (the
 * display's event thread, the timer thread, or the program's in poll_mouse and position_mouse).
 * Keep it short, and call no mouse function from it. Null: nothing is told. */
extern CORVANE_API void (*mouse_callback)(int flags);

/** -1: pressing left and right together reads as the middle button. Read from "emulate_three" in
 * section "mouse" by install_mouse. */
extern CORVANE_API int emulate_three;

/** -1 when the driver must be polled (the program calls poll_mouse), else 0. */
extern CORVANE_API int mouse_polled;

/** Nonzero: the pointer stays where it is drawn, and mouse_x, mouse_y stay there too. Set it with
 * an atomic store to be strictly free of data races. */
extern CORVANE_API int freeze_mouse;

/* ---- Application side ----------------------------------------------------------------------- */

/** Installs a mouse driver: the one named by mouse_type or the key "mouse" of section "mouse", else
 * the first of the driver list that starts. "num_buttons" (0 or more) overrides the number of
 * buttons, "emulate_three" (yes/no) sets emulate_three. The pointer starts as the arrow in the
 * middle of the screen, kept inside it. Returns the number of buttons, 0 when a mouse is already
 * installed, or -1 with error_text set when no driver starts (the program goes on without one):
 * "No mouse driver could be started" unless a driver left its own reason, or "Not enough
 * memory". */
CORVANE_API int install_mouse(void) CORVANE_NOEXCEPT;

/** Hides the pointer, stops the driver and clears the mouse state; also run at shutdown. */
CORVANE_API void remove_mouse(void) CORVANE_NOEXCEPT;

/** Asks a polled driver for news and updates the values. Returns 0, or -1 without a driver. */
CORVANE_API int poll_mouse(void) CORVANE_NOEXCEPT;

/** Moves the pointer to (x, y), kept inside the range. Nothing without a driver. */
CORVANE_API void position_mouse(int x, int y) CORVANE_NOEXCEPT;

/** Keeps the pointer inside the rectangle of two corners (in either order, both included), moving it
 * in when it is outside. Nothing without a driver. */
CORVANE_API void set_mouse_range(int x1, int y1, int x2, int y2) CORVANE_NOEXCEPT;

/** Sets how fast the pointer follows the mouse, where the driver can (smaller is faster). */
CORVANE_API void set_mouse_speed(int x_speed, int y_speed) CORVANE_NOEXCEPT;

/** The mouse's movement since the last call in the units of the system's pointer (desktop pixels
 * for a window: they do not change with the window's scale), also where the pointer could not
 * move (against the edge of its range). Without a driver (or a driver that cannot tell) both are
 * 0. Either pointer may be null. */
CORVANE_API void get_mouse_mickeys(int *dx, int *dy) CORVANE_NOEXCEPT;

/** Uses the sprite (any depth; its mask colour is transparent) as the pointer, focus at (1, 1);
 * null selects the built-in arrow, made again for the current colour depth. The sprite must live
 * while it is in use. Nothing without a driver. */
CORVANE_API void set_mouse_sprite(struct bitmap *sprite) CORVANE_NOEXCEPT;

/** Shows the pointer on a bitmap (drawn converted when its depth differs from the sprite's), or
 * hides it (null). Do not draw on that bitmap while the pointer is shown on it in software: hide
 * it first, or use scare_mouse. Nothing without a driver. */
CORVANE_API void show_mouse(struct bitmap *bmp) CORVANE_NOEXCEPT;

/** Hides the pointer until the matching unscare_mouse; nests (16 levels are remembered, deeper
 * levels are only counted). */
CORVANE_API void scare_mouse(void) CORVANE_NOEXCEPT;

/** The same for drawing in one area only: the pointer is hidden when it overlaps the area of that
 * size at (x, y), and only held still otherwise. */
CORVANE_API void scare_mouse_area(int x, int y, int width, int height) CORVANE_NOEXCEPT;

/** Undoes the last scare: the pointer comes back where it was shown and as it was. */
CORVANE_API void unscare_mouse(void) CORVANE_NOEXCEPT;

/** Chooses the pointer (MOUSE_CURSOR_...): none, the sprite through the graphics driver's cursor,
 * or one of the system's pointers where the driver has it (else the built-in image of that
 * pointer is shown). Returns 0, or -1 without a driver or for an unknown cursor (error_text
 * "Unknown mouse cursor"). */
CORVANE_API int select_mouse_cursor(int cursor) CORVANE_NOEXCEPT;

/* ---- Driver side ---------------------------------------------------------------------------- */

/** A driver reports the pointer as it now is: position (already kept in its range), wheel position
 * and button bits. Updates the program's values at once unless the mouse is polled (poll_mouse
 * does then). Safe on any thread. */
CORVANE_API void handle_mouse_input(int x, int y, int z, int buttons) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_MOUSE_H */
