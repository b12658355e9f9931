/** @file
 * Corvane: the keyboard -- key state, the buffer of typed keys, modifier and lock flags, emulated
 * key repeat, and the driver interface through which a platform reports presses and releases.
 *
 * Keys are named by key indices from 1 to 126 (0 means no key). Platform drivers report keys on
 * their own thread (and the repeat timer on the timer thread) while the program reads them. */
#ifndef CORVANE_KEYBOARD_H
#define CORVANE_KEYBOARD_H

#include "corvane/base.h"
#include "corvane/system.h"

CORVANE_EXTERN_C_BEGIN

/* ---- Key indices ---------------------------------------------------------------------------- */

#define KEY_A 1 /**< the A key */
#define KEY_B 2 /**< the B key */
#define KEY_C 3 /**< the C key */
#define KEY_D 4 /**< the D key */
#define KEY_E 5 /**< the E key */
#define KEY_F 6 /**< the F key */
#define KEY_G 7 /**< the G key */
#define KEY_H 8 /**< the H key */
#define KEY_I 9 /**< the I key */
#define KEY_J 10 /**< the J key */
#define KEY_K 11 /**< the K key */
#define KEY_L 12 /**< the L key */
#define KEY_M 13 /**< the M key */
#define KEY_N 14 /**< the N key */
#define KEY_O 15 /**< the O key */
#define KEY_P 16 /**< the P key */
#define KEY_Q 17 /**< the Q key */
#define KEY_R 18 /**< the R key */
#define KEY_S 19 /**< the S key */
#define KEY_T 20 /**< the T key */
#define KEY_U 21 /**< the U key */
#define KEY_V 22 /**< the V key */
#define KEY_W 23 /**< the W key */
#define KEY_X 24 /**< the X key */
#define KEY_Y 25 /**< the Y key */
#define KEY_Z 26 /**< the Z key */
#define KEY_0 27 /**< the 0 key */
#define KEY_1 28 /**< the 1 key */
#define KEY_2 29 /**< the 2 key */
#define KEY_3 30 /**< the 3 key */
#define KEY_4 31 /**< the 4 key */
#define KEY_5 32 /**< the 5 key */
#define KEY_6 33 /**< the 6 key */
#define KEY_7 34 /**< the 7 key */
#define KEY_8 35 /**< the 8 key */
#define KEY_9 36 /**< the 9 key */
#define KEY_0_PAD 37 /**< keypad 0 */
#define KEY_1_PAD 38 /**< keypad 1 */
#define KEY_2_PAD 39 /**< keypad 2 */
#define KEY_3_PAD 40 /**< keypad 3 */
#define KEY_4_PAD 41 /**< keypad 4 */
#define KEY_5_PAD 42 /**< keypad 5 */
#define KEY_6_PAD 43 /**< keypad 6 */
#define KEY_7_PAD 44 /**< keypad 7 */
#define KEY_8_PAD 45 /**< keypad 8 */
#define KEY_9_PAD 46 /**< keypad 9 */
#define KEY_F1 47 /**< function key F1 */
#define KEY_F2 48 /**< function key F2 */
#define KEY_F3 49 /**< function key F3 */
#define KEY_F4 50 /**< function key F4 */
#define KEY_F5 51 /**< function key F5 */
#define KEY_F6 52 /**< function key F6 */
#define KEY_F7 53 /**< function key F7 */
#define KEY_F8 54 /**< function key F8 */
#define KEY_F9 55 /**< function key F9 */
#define KEY_F10 56 /**< function key F10 */
#define KEY_F11 57 /**< function key F11 */
#define KEY_F12 58 /**< function key F12 */
#define KEY_ESC 59 /**< the Escape key */
#define KEY_BACKSPACE 63 /**< the Backspace key */
#define KEY_TAB 64 /**< the Tab key */
#define KEY_ENTER 67 /**< the Enter key */
#define KEY_BACKSLASH 70 /**< the backslash key */
#define KEY_SPACE 75 /**< the space bar key */
#define KEY_INSERT 76 /**< the Insert key */
#define KEY_DEL 77 /**< the Delete key */
#define KEY_HOME 78 /**< the Home key */
#define KEY_END 79 /**< the End key */
#define KEY_PGUP 80 /**< the Page Up key */
#define KEY_PGDN 81 /**< the Page Down key */
#define KEY_LEFT 82 /**< the left arrow key */
#define KEY_RIGHT 83 /**< the right arrow key */
#define KEY_UP 84 /**< the up arrow key */
#define KEY_DOWN 85 /**< the down arrow key */
#define KEY_SLASH_PAD 86 /**< the keypad / key */
#define KEY_ASTERISK_PAD 87 /**< the keypad * key */
#define KEY_MINUS_PAD 88 /**< the keypad - key */
#define KEY_PLUS_PAD 89 /**< the keypad + key */
#define KEY_DEL_PAD 90 /**< the keypad Delete key */
#define KEY_ENTER_PAD 91 /**< the keypad Enter key */
#define KEY_PRINT 92 /**< the Print Screen key */
#define KEY_PAUSE 93 /**< the Pause key */
#define KEY_EQUALS_PAD 103 /**< the keypad = key */
#define KEY_COMMAND 106 /**< the Mac command key */
#define KEY_LSHIFT 115 /**< the left Shift key */
#define KEY_RSHIFT 116 /**< the right Shift key */
#define KEY_LCONTROL 117 /**< the left Control key */
#define KEY_RCONTROL 118 /**< the right Control key */
#define KEY_ALT 119 /**< the left Alt key */
#define KEY_ALTGR 120 /**< the AltGr (right Alt) key */
#define KEY_LWIN 121 /**< the left Windows key */
#define KEY_RWIN 122 /**< the right Windows key */
#define KEY_MENU 123 /**< the Menu key */
#define KEY_SCRLOCK 124 /**< the Scroll Lock key */
#define KEY_NUMLOCK 125 /**< the Num Lock key */
#define KEY_CAPSLOCK 126 /**< the Caps Lock key */

/** One past the highest key index. */
#define KEY_MAX 127
/** Size of the key state arrays. */
#define KEY_STATE_SIZE 128
/** Slots of the key buffer; it holds at most one less. */
#define KEY_BUFFER_SIZE 64

/* ---- Modifier and lock flags (key_shifts) --------------------------------------------------- */

#define KEY_FLAG_SHIFT 0x0001       /**< a Shift key is held */
#define KEY_FLAG_CONTROL 0x0002     /**< a Control key is held */
#define KEY_FLAG_ALT 0x0004         /**< an Alt key is held */
#define KEY_FLAG_COMMAND 0x0040     /**< the command key is held */
#define KEY_FLAG_SCROLL_LOCK 0x0100 /**< Scroll Lock is on */
#define KEY_FLAG_NUM_LOCK 0x0200    /**< Num Lock is on */
#define KEY_FLAG_CAPS_LOCK 0x0400   /**< Caps Lock is on */
/** The lock flags, which the keyboard LEDs show. */
#define KEY_FLAG_LEDS 0x0700

/* ---- Keyboard drivers ----------------------------------------------------------------------- */

/** A keyboard driver: the driver identity and its operations. */
typedef struct keyboard_driver_rec {
  CORVANE_DRIVER_IDENTITY; /**< id, name, description and ascii_label (CORVANE_DRIVER_IDENTITY) */
  int emulate_repeat; /**< nonzero: the library repeats held keys with a timer */
  int (*init)(void);  /**< 0 on success */
  void (*exit)(void); /**< stops the driver */
  void (*poll)(void);                         /**< or null: a driver that must be polled */
  void (*set_leds)(int flags);                /**< or null */
  void (*set_rate)(int delay, int rate);      /**< or null */
  void (*wait_for_input)(void);               /**< or null: blocks until input may be there */
  void (*stop_waiting_for_input)(void);       /**< or null: wakes wait_for_input */
  int (*scancode_to_ascii)(int index);        /**< or null */
  const char *(*scancode_to_name)(int index); /**< or null */
} keyboard_driver_rec;

/** The keyboard drivers used when the system driver offers no list of its own. */
extern CORVANE_API driver_list_entry default_keyboard_driver_list[];

/** The installed driver, or null. */
extern CORVANE_API keyboard_driver_rec *keyboard_driver;

/* ---- Keyboard state ------------------------------------------------------------------------- */

/** Nonzero (-1) while the key of that index is down. Written on the driver's thread (in polled
 * mode by poll_keyboard); the library writes each byte atomically, and a program reads it with
 * plain loads or, to be strictly free of data races, with atomic loads. */
extern CORVANE_API signed char key_state[KEY_STATE_SIZE];

/** The modifier and lock flags (KEY_FLAG_...). Kept current by the keyboard driver on its thread;
 * read it with an atomic load to be strictly free of data races. */
extern CORVANE_API int key_shifts;

/** -1 while the keyboard is installed. */
extern CORVANE_API int keyboard_installed;

/** -1 while the keyboard runs in polled mode (see poll_keyboard). */
extern CORVANE_API int keyboard_polled;

/** Nonzero (the default, -1): a keyboard driver ends the process when Ctrl or Alt is held with
 * END. Read on the driver's thread. */
extern CORVANE_API int three_finger_flag;

/** Told every key index that goes down, and index + 0x80 for every key that goes up. Called on
 * the driver's thread (or by poll_keyboard in polled mode); read atomically by the library. */
extern CORVANE_API void (*keyboard_lowlevel_callback)(int scancode);

/** The name of every key index (plain ASCII), in index order. */
extern CORVANE_API const char *const key_names[KEY_MAX];

/* ---- Application side ----------------------------------------------------------------------- */

/** Installs the keyboard driver (the first of the list whose init succeeds). Returns 0 on success
 * or when already installed, -1 when no driver starts (error_text "No keyboard driver could be
 * started", unless a driver left its own reason). */
CORVANE_API int install_keyboard(void) CORVANE_NOEXCEPT;

/** Removes the keyboard driver; also run at shutdown. */
CORVANE_API void remove_keyboard(void) CORVANE_NOEXCEPT;

/** Asks a polled driver for news, or copies the staged key state and keys into key_state and the
 * buffer. The first call with a driver that is not polled switches to polled mode. Returns 0, or
 * -1 without a driver. */
CORVANE_API int poll_keyboard(void) CORVANE_NOEXCEPT;

/** -1 when a key is waiting in the buffer (or the keypressed hook says so), else 0. */
CORVANE_API int key_waiting(void) CORVANE_NOEXCEPT;

/** Waits for a key and returns its character code; stores its key index through index when it is
 * not null. Without a keyboard and without hooks it returns 0 (index 0) at once. */
CORVANE_API int read_key_unicode(int *index) CORVANE_NOEXCEPT;

/** Waits for a key and returns (key index << 8) | character; a character above 255 reads as '^'. */
CORVANE_API int read_key(void) CORVANE_NOEXCEPT;

/** Forgets every key in the buffer. */
CORVANE_API void clear_key_buffer(void) CORVANE_NOEXCEPT;

/** Puts a key into the buffer as if typed: the character in the low 8 bits of key, the key index
 * in the next 8. */
CORVANE_API void simulate_key_press(int key) CORVANE_NOEXCEPT;

/** Puts a character (any code point) with its key index into the buffer as if typed. A negative
 * character is ignored. */
CORVANE_API void simulate_unicode_press(int character, int index) CORVANE_NOEXCEPT;

/** flags < 0: the LEDs follow the lock flags of key_shifts again; flags >= 0: the LEDs show these
 * flags and stop following key_shifts. */
CORVANE_API void set_key_leds(int flags) CORVANE_NOEXCEPT;

/** Sets the delay before a held key repeats and the interval between repeats, in milliseconds; a
 * delay of 0 turns repeat off. Negative values count as 0. */
CORVANE_API void set_key_repeat(int delay, int rate) CORVANE_NOEXCEPT;

/** The name of a key index in the current encoding: the driver's, else the one of key_names;
 * "(none)" for an index outside 0 to 126. */
CORVANE_API const char *key_index_name(int index) CORVANE_NOEXCEPT;

/** Sets the input source used when no driver is installed (and, for reading, when the buffer is
 * empty): keypressed returns nonzero when a key is there, readkey returns (index << 8) |
 * character. Also empties the buffers and the key state. Either may be null. */
CORVANE_API void install_keyboard_hooks(int (*keypressed)(void),
                                        int (*readkey)(void)) CORVANE_NOEXCEPT;

/* ---- Driver side ---------------------------------------------------------------------------- */

/** A key went down (or repeats). A character below 0 puts nothing into the buffer; an index of 0
 * or less (or above 126) changes no key state. */
CORVANE_API void handle_key_press(int character, int index) CORVANE_NOEXCEPT;

/** A key went up. */
CORVANE_API void handle_key_release(int index) CORVANE_NOEXCEPT;

/** Nonzero when pressing the key of this index ends the process: three_finger_flag is set, the key
 * is END and Ctrl or Alt is held. Drivers ask this on every press. */
CORVANE_API int three_finger_combination(int index) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_KEYBOARD_H */
