/** @file
 * Corvane: joysticks -- one state table for up to 8 joysticks, each with up to 5 sticks of up to
 * 3 axes and up to 32 buttons, which the current joystick driver fills when it is polled; the
 * driver record and its list; saving the chosen driver in the configuration; rumble.
 *
 * Nothing polls in the background: the table changes only inside poll_joystick (and once when the
 * layer is installed), on the program's thread. */
#ifndef CORVANE_JOYSTICK_H
#define CORVANE_JOYSTICK_H

#include "corvane/base.h"
#include "corvane/system.h"

CORVANE_EXTERN_C_BEGIN

/* ---- Sizes and ids --------------------------------------------------------------------------- */

#define JOYSTICK_COUNT_MAX 8   /**< records in joysticks[] */
#define JOYSTICK_STICK_MAX 5   /**< sticks of one joystick */
#define JOYSTICK_AXIS_MAX 3    /**< axes of one stick */
#define JOYSTICK_BUTTON_MAX 32 /**< buttons of one joystick */

/** install_joystick: choose a driver by autodetection (or the one saved in the configuration). */
#define JOYSTICK_AUTODETECT (-1)
/** The no-joystick driver: always there, never any joystick. */
#define JOYSTICK_NONE 0

/* ---- Flags ----------------------------------------------------------------------------------- */

/* Stick flags. The drivers of this library set DIGITAL | ANALOGUE | SIGNED (0x23) on every stick
 * they create; nothing in the library reads those three bits. A stick whose flags hold
 * CALIB_DIGITAL or CALIB_ANALOGUE needs calibration, and then also holds CALIBRATE. */
/** Stick flag: the stick reports directions (d1, d2). */
#define JOYSTICK_FLAG_DIGITAL 0x01
/** Stick flag: the stick reports positions (pos). */
#define JOYSTICK_FLAG_ANALOGUE 0x02
/** Stick flag: the stick's directions need calibration. */
#define JOYSTICK_FLAG_CALIB_DIGITAL 0x04
/** Stick flag: the stick's positions need calibration. */
#define JOYSTICK_FLAG_CALIB_ANALOGUE 0x08
/** Stick or joystick flag: calibration is needed (see calibrate_joystick). */
#define JOYSTICK_FLAG_CALIBRATE 0x10
/** Stick flag: positions are signed (-128..127) rather than 0..255. */
#define JOYSTICK_FLAG_SIGNED 0x20

/* Joystick flags: CALIBRATE (0x10) when any stick below stick_count needs calibration; and, set by
 * the game-controller driver: */
#define JOYSTICK_FLAG_STANDARD_LAYOUT 0x100 /**< the joystick follows the standard layout below */
#define JOYSTICK_FLAG_DISCONNECTED 0x200    /**< unplugged: its slot waits, every input released */

/* ---- The state table ------------------------------------------------------------------------- */

/** One axis of a stick. */
typedef struct joystick_axis_info {
  int pos;          /**< -128..127 for a stick axis, 0..254 for a slider, -128/0/128 for a hat */
  int d1;           /**< nonzero while pushed the negative way (left, up) */
  int d2;           /**< nonzero while pushed the positive way (right, down) */
  const char *name; /**< current encoding; the translated "unused" when not in use */
} joystick_axis_info;

/** One stick (or slider, or hat) of a joystick. */
typedef struct joystick_stick_info {
  int flags;                                  /**< JOYSTICK_FLAG_... */
  int axis_count;                             /**< axes in use, 0 to JOYSTICK_AXIS_MAX */
  joystick_axis_info axes[JOYSTICK_AXIS_MAX]; /**< the axes; those past axis_count are unused */
  const char *name; /**< current encoding; the translated "unused" when not in use */
} joystick_stick_info;

/** One button of a joystick. */
typedef struct joystick_button_info {
  int b;            /**< nonzero while held */
  const char *name; /**< current encoding; the translated "unused" when not in use */
} joystick_button_info;

/** The state of one joystick. */
typedef struct joystick_info {
  int flags;        /**< JOYSTICK_FLAG_CALIBRATE, _STANDARD_LAYOUT, _DISCONNECTED */
  int stick_count;  /**< sticks in use, 0 to JOYSTICK_STICK_MAX */
  int button_count; /**< buttons in use, 0 to JOYSTICK_BUTTON_MAX */
  joystick_stick_info sticks[JOYSTICK_STICK_MAX];    /**< the sticks, stick_count in use */
  joystick_button_info buttons[JOYSTICK_BUTTON_MAX]; /**< the buttons, button_count in use */
} joystick_info;

/** The state of every joystick. Every field of all 8 records is reset (counts and values 0, names
 * the translated "unused") when the layer is installed or removed. Read it after poll_joystick. */
extern CORVANE_API joystick_info joysticks[JOYSTICK_COUNT_MAX];

/** Joysticks in use: records 0 to joystick_count - 1 of joysticks[]. */
extern CORVANE_API int joystick_count;

/* ---- The standard layout ------------------------------------------------------------------------
 * Controllers that the game-controller driver knows (SDL2's mapping database, the mapping file
 * named by "controller_mappings" in section "joystick", or SDL_GAMECONTROLLERCONFIG) all look the
 * same, whatever the device, and carry JOYSTICK_FLAG_STANDARD_LAYOUT:
 *
 *   stick 0 "Left stick"     axes x, y: -128..127 (negative: left, up)
 *   stick 1 "Right stick"    axes x, y: -128..127
 *   stick 2 "Left trigger"   one axis, a slider: 0 (released) .. 254 (fully pulled)
 *   stick 3 "Right trigger"  one axis, a slider: 0 .. 254
 *   stick 4 "D-pad"          axes x, y as a hat: -128, 0 or 128, with d1 / d2 (negative / positive)
 *
 *   buttons, always 17 of them, in this order: 0 "A", 1 "B", 2 "X", 3 "Y", 4 "Back", 5 "Guide",
 *   6 "Start", 7 "Left stick", 8 "Right stick" (the sticks pressed in), 9 "Left shoulder",
 *   10 "Right shoulder", 11 "Misc", 12 to 15 "Paddle 1" to "Paddle 4", 16 "Touchpad". A button
 *   the device lacks never goes down.
 *
 * Other joysticks are laid out from their axes, hats and buttons: every two axes make a stick,
 * every hat a stick of its own, and the buttons are named "B1", "B2", ... */
#define JOYSTICK_PAD_LEFT_STICK 0    /**< standard layout stick: the left stick */
#define JOYSTICK_PAD_RIGHT_STICK 1   /**< standard layout stick: the right stick */
#define JOYSTICK_PAD_LEFT_TRIGGER 2  /**< standard layout stick: the left trigger (a slider) */
#define JOYSTICK_PAD_RIGHT_TRIGGER 3 /**< standard layout stick: the right trigger (a slider) */
#define JOYSTICK_PAD_DPAD 4          /**< standard layout stick: the d-pad (a hat) */

#define JOYSTICK_PAD_A 0                 /**< standard layout button "A" */
#define JOYSTICK_PAD_B 1                 /**< standard layout button "B" */
#define JOYSTICK_PAD_X 2                 /**< standard layout button "X" */
#define JOYSTICK_PAD_Y 3                 /**< standard layout button "Y" */
#define JOYSTICK_PAD_BACK 4              /**< standard layout button "Back" */
#define JOYSTICK_PAD_GUIDE 5             /**< standard layout button "Guide" */
#define JOYSTICK_PAD_START 6             /**< standard layout button "Start" */
#define JOYSTICK_PAD_LEFT_STICK_BUTTON 7 /**< standard layout button: the left stick pressed in */
#define JOYSTICK_PAD_RIGHT_STICK_BUTTON 8 /**< standard layout button: the right stick pressed in */
#define JOYSTICK_PAD_LEFT_SHOULDER 9     /**< standard layout button "Left shoulder" */
#define JOYSTICK_PAD_RIGHT_SHOULDER 10   /**< standard layout button "Right shoulder" */
#define JOYSTICK_PAD_MISC 11             /**< standard layout button "Misc" */
#define JOYSTICK_PAD_PADDLE1 12          /**< standard layout button "Paddle 1" */
#define JOYSTICK_PAD_PADDLE2 13          /**< standard layout button "Paddle 2" */
#define JOYSTICK_PAD_PADDLE3 14          /**< standard layout button "Paddle 3" */
#define JOYSTICK_PAD_PADDLE4 15          /**< standard layout button "Paddle 4" */
#define JOYSTICK_PAD_TOUCHPAD 16         /**< standard layout button "Touchpad" */
#define JOYSTICK_PAD_BUTTON_COUNT 17     /**< buttons of the standard layout */

/* ---- Joystick drivers ------------------------------------------------------------------------ */

/** A joystick driver: the driver identity and its operations. */
typedef struct joystick_driver_rec {
  CORVANE_DRIVER_IDENTITY; /**< id, name, description and ascii_label (CORVANE_DRIVER_IDENTITY) */
  int (*open)(void);       /**< fills joysticks[] and joystick_count; 0 on success */
  void (*close)(void);     /**< releases the devices */
  int (*poll)(void);       /**< refreshes the values; 0, or -1 with nothing to read */
  int (*save_data)(void);  /**< or null: saves the driver's own data in the configuration */
  int (*load_data)(void);  /**< or null: loads it back; 0 on success */
  const char *(*calibrate_name)(int n); /**< or null: what to tell the player before calibrating */
  int (*calibrate)(int n);              /**< or null: 0 on success */
  /** Or null: sets the two rumble motors of joystick n (strong = low frequency, weak = high
   * frequency, 0 to 255 each, 0 and 0 stop) for duration_ms milliseconds. 0 when the device
   * took it, -1 when it has no rumble. */
  int (*rumble)(int n, int strong, int weak, int duration_ms);
} joystick_driver_rec;

/** The joystick drivers used when the system driver offers no list of its own. */
extern CORVANE_API driver_list_entry default_joystick_driver_list[];

/** The no-joystick driver (id JOYSTICK_NONE, "No joystick"). */
extern CORVANE_API joystick_driver_rec joystick_none;

/** The installed driver, or null. */
extern CORVANE_API joystick_driver_rec *current_joystick_driver;

/** The id of the installed driver (0 when none). */
extern CORVANE_API int joystick_driver_id;

/** -1 while the joystick layer is installed, else 0. */
extern CORVANE_API int joystick_installed;

/* ---- Calls ----------------------------------------------------------------------------------- */

/** Installs the driver of that id from the system driver's joystick list. JOYSTICK_AUTODETECT (or
 * any id that is in no list) first tries the driver saved in the configuration ("joytype" in
 * section "joystick"), then every autodetectable driver in list order. Returns 0 on success or
 * when already installed. -1 when the driver asked for does not open (error_text: "<name> not
 * found") or when no driver opens ("No joysticks found"). */
CORVANE_API int install_joystick(int id) CORVANE_NOEXCEPT;

/** Closes the driver and resets the state table; also run at shutdown. */
CORVANE_API void remove_joystick(void) CORVANE_NOEXCEPT;

/** Removes the layer (when installed) and installs the same driver again, which finds devices
 * plugged in since. Returns what install_joystick returns. */
CORVANE_API int reinstall_joystick(void) CORVANE_NOEXCEPT;

/** Reads the joysticks into joysticks[]. Returns the driver's answer (0), or -1 without a driver
 * or when the driver has nothing to read. */
CORVANE_API int poll_joystick(void) CORVANE_NOEXCEPT;

/** Calibrates joystick n. -1 when n is out of range, the driver cannot calibrate or the joystick
 * does not need it (JOYSTICK_FLAG_CALIBRATE clear); else the driver's answer (0 on success, after
 * which the calibration flags are brought up to date). */
CORVANE_API int calibrate_joystick(int n) CORVANE_NOEXCEPT;

/** What the driver wants the player to do before calibrate_joystick(n), or null when it has
 * nothing to say (or n is out of range). */
CORVANE_API const char *calibrate_joystick_name(int n) CORVANE_NOEXCEPT;

/** Writes "joytype" = joystick_driver_id to section "joystick" (and the driver's own data) in the
 * configuration file named, or in the current configuration when filename is null or empty.
 * Returns 0. */
CORVANE_API int save_joystick_data(const char *filename) CORVANE_NOEXCEPT;

/** Installs the driver saved by save_joystick_data (removing the layer first when installed).
 * Returns 0 on success; -1 when no driver was saved (joystick_driver_id becomes 0) or it does not
 * open; otherwise the driver's load_data answer. */
CORVANE_API int load_joystick_data(const char *filename) CORVANE_NOEXCEPT;

/** Starts joystick n's rumble (strong = low-frequency motor, weak = high-frequency motor, 0 to
 * 255 each, clamped) for duration_ms milliseconds (at most 65535; 0 or less: as long as the
 * device allows). Returns 0, or -1 when n is not a joystick in use or its device cannot rumble
 * (error_text says which). */
CORVANE_API int start_joystick_rumble(int n, int strong, int weak,
                                      int duration_ms) CORVANE_NOEXCEPT;

/** Stops joystick n's rumble. Returns 0, or -1 as start_joystick_rumble. */
CORVANE_API int stop_joystick_rumble(int n) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_JOYSTICK_H */
