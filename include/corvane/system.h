/** @file
 * Corvane: start-up and shutdown, the system driver, driver lists, the exit-function list, the
 * error text and the diagnostics (messages, trace log, assertion reports). */
#ifndef CORVANE_SYSTEM_H
#define CORVANE_SYSTEM_H

#include "corvane/base.h"

CORVANE_EXTERN_C_BEGIN

/* ---- Driver identity and driver lists ------------------------------------------------------ */

/** Every driver record of every family begins with these four fields, in this order:
 *   int id;                    four-character code ('OSX ', 'NONE', 'SAFE', ...)
 *   const char *name;          translated label, current encoding (set when the driver is chosen)
 *   const char *description;   same as name once chosen
 *   const char *ascii_label;   plain ASCII label, e.g. "Agnostic" */
#define CORVANE_DRIVER_IDENTITY \
  int id;                       \
  const char *name;             \
  const char *description;      \
  const char *ascii_label

/** The shared empty string that name and description point to before a driver is chosen. */
extern CORVANE_API const char empty_string[];

/** One element of a driver list; a list ends with an all-zero entry. */
typedef struct driver_list_entry {
  int id;         /**< the driver's four-character code */
  void *driver;   /**< the driver record; null ends the list */
  int autodetect; /**< nonzero: the driver may be chosen by autodetection (-1 in built-in lists) */
} driver_list_entry;

/** A list holding only the terminating entry. */
extern CORVANE_API driver_list_entry empty_driver_list[];

/** Returns the driver of the first entry whose id equals the wanted id, or null. */
CORVANE_API void *find_driver_in_list(const driver_list_entry *list, int id) CORVANE_NOEXCEPT;

/* ---- The system driver ---------------------------------------------------------------------- */

/** startup_corvane: choose the system driver by the configuration ("system" in section "system"),
 * else by autodetection. */
#define SYSTEM_AUTODETECT 0
/** The id of system_none, the system driver that needs nothing. */
#define SYSTEM_NONE CORVANE_ID('N', 'O', 'N', 'E')

/** A system driver: the driver identity and 35 optional platform operations, in slot order.
 * Callers test every slot before calling it and fall back to the documented default. */
typedef struct system_driver {
  CORVANE_DRIVER_IDENTITY; /**< id, name, description and ascii_label (CORVANE_DRIVER_IDENTITY) */
  /** 0: starts the platform; 0 on success */
  int (*init)(void);
  /** 1: takes the platform down */
  void (*exit)(void);
  /** 2: writes the program's path into buffer (size bytes) */
  void (*get_executable_path)(char *buffer, int size);
  /** 3: finds a resource in the platform's places; 0 with the path in dest */
  int (*locate_resource_hook)(char *dest, const char *resource, int size);
  /** 4: sets the title of the program's window */
  void (*set_window_title)(const char *title);
  /** 5: sets the function called when the user asks to close; 0 when accepted */
  int (*set_close_callback)(void (*callback)(void));
  /** 6: shows a message to the user */
  void (*show_message_op)(const char *text);
  /** 7: reports a failed assertion */
  void (*report_assert_op)(const char *text);
  /** 8: saves the text console before a graphics mode opens */
  void (*save_console)(void);
  /** 9: restores the text console after the graphics mode closes */
  void (*restore_console)(void);
  /** 10: makes a memory bitmap in place of the generic code */
  struct bitmap *(*create_bitmap_override)(int depth, int width, int height);
  /** 11: told that a memory bitmap was made */
  void (*bitmap_created)(struct bitmap *bmp);
  /** 12: makes a sub-bitmap in place of the generic code */
  struct bitmap *(*create_subbitmap_override)(struct bitmap *parent, int x, int y,
                                             int width, int height);
  /** 13: told that a sub-bitmap was made */
  void (*subbitmap_created)(struct bitmap *bmp, struct bitmap *parent);
  /** 14: frees a bitmap itself; nonzero when it did */
  int (*destroy_bitmap_override)(struct bitmap *bmp);
  /** 15: reads the hardware palette back into current_palette */
  void (*read_hardware_colors)(void);
  /** 16: sets entries from..to of the palette when no graphics mode is open */
  void (*write_palette_range)(const struct rgb_entry *palette, int from, int to,
                             int vsync);
  /** 17: the drawing table of a depth in place of the built-in one, or null */
  struct draw_vtable *(*find_vtable_override)(int depth);
  /** 18: sets how the program behaves when it loses the display; 0 when accepted */
  int (*set_switch_mode)(int mode);
  /** 19: holds off (lock nonzero) or allows display switches */
  void (*lock_display_switch)(int lock, int foreground);
  /** 20: colour depth of the desktop, or 0 when not known */
  int (*get_desktop_depth)(void);
  /** 21: size of the desktop into *width and *height; 0 on success */
  int (*get_desktop_size)(int *width, int *height);
  /** 22: the driver and mode GFX_SAFE tries first */
  void (*get_safe_mode)(int *driver, struct gfx_mode_entry *mode);
  /** 23: gives the rest of the time slice to other threads */
  void (*yield_cpu)(void);
  /** 24: a new mutex, or null */
  void *(*mutex_create)(void);
  /** 25: frees a mutex */
  void (*mutex_destroy)(void *mutex);
  /** 26: locks a mutex */
  void (*mutex_lock)(void *mutex);
  /** 27: unlocks a mutex */
  void (*mutex_unlock)(void *mutex);
  /** 28: the platform's graphics drivers (null: none); an empty slot means the default list */
  driver_list_entry *(*list_gfx_drivers)(void);
  /** 29: the platform's digital sound drivers (null: none); an empty slot means the default list */
  driver_list_entry *(*list_digi_drivers)(void);
  /** 30: the platform's MIDI drivers (null: none); an empty slot means the default list */
  driver_list_entry *(*list_midi_drivers)(void);
  /** 31: the platform's keyboard drivers (null: none); an empty slot means the default list */
  driver_list_entry *(*list_keyboard_drivers)(void);
  /** 32: the platform's mouse drivers (null: none); an empty slot means the default list */
  driver_list_entry *(*list_mouse_drivers)(void);
  /** 33: the platform's joystick drivers (null: none); an empty slot means the default list */
  driver_list_entry *(*list_joystick_drivers)(void);
  /** 34: the platform's timer drivers (null: none); an empty slot means the default list */
  driver_list_entry *(*list_timer_drivers)(void);
} system_driver;

/** The system driver in use, or null before start-up and after shutdown. */
extern CORVANE_API system_driver *current_system_driver;

/** The driver that needs nothing: every device list it hands out is empty. */
extern CORVANE_API system_driver system_none;

/** The system drivers start-up chooses from, in order; ends with an all-zero entry. */
extern CORVANE_API driver_list_entry system_driver_list[];

/* ---- Library-wide state --------------------------------------------------------------------- */

/** Bytes of error_text, terminator included. */
#define ERROR_TEXT_SIZE 256

/** The last error, in the current encoding, always terminated within ERROR_TEXT_SIZE bytes. */
extern CORVANE_API char error_text[ERROR_TEXT_SIZE];

/** Where error numbers are stored: the caller's location given to start-up, or errno's. */
extern CORVANE_API int *errno_location;

/** Successful start-ups of this process; never decreases. */
extern CORVANE_API int install_count;

/** "Corvane 4.2.1, <platform>" */
extern CORVANE_API const char *corvane_id_string;

/** Value of "disable_screensaver" in section "system", read at start-up (default 1). */
extern CORVANE_API int screensaver_setting;

/** Scratch memory that drawing routines grow on demand; freed at shutdown. */
extern CORVANE_API void *scratch_buffer;
/** Bytes of scratch_buffer; 0 when there is none. */
extern CORVANE_API int scratch_buffer_size;

/** Grows scratch_buffer to at least size bytes and returns it; null when memory is short (the old
 * buffer is then freed and the size reset to 0). */
CORVANE_API void *grow_scratch_buffer(int size) CORVANE_NOEXCEPT;

/** The name of the processor's architecture, filled at start-up (detect_cpu). */
extern CORVANE_API char cpu_arch_name[32];
/** The processor's family, filled at start-up: 7 for x86, 0 for any other. */
extern CORVANE_API int cpu_type;
/** The processor's model, filled at start-up; always 0. */
extern CORVANE_API int cpu_subtype;
/** The processor's feature bits, filled at start-up: 1 for SSE2, 2 for AVX2 (x86 only). */
extern CORVANE_API int cpu_feature_bits;

/** Told every line write_trace writes; a nonzero result means the line was handled and it is not
 * written to the trace file. */
extern CORVANE_API int (*trace_hook)(const char *text);
/** Told every failed assertion report_assert makes; a nonzero result means it was handled. */
extern CORVANE_API int (*assert_hook)(const char *text);

/* ---- Start-up and shutdown ------------------------------------------------------------------ */

/** Starts the library. system_id is a four-character code or SYSTEM_AUTODETECT; errno_pointer may
 * be null (the C library's errno is used); exit_registrar has the shape of atexit, or is null.
 * Returns 0 on success, -1 when no system driver starts. */
CORVANE_API int startup_corvane(int system_id, int *errno_pointer,
                                int (*exit_registrar)(void (*)(void))) CORVANE_NOEXCEPT;

/** Start-up followed by a check that the program was built for a compatible version (version
 * packed by CORVANE_MAKE_VERSION; the same major and minor number and a patch number of 0 or 1).
 * Returns 0; -1 when start-up fails, or with error_text "The detected dynamic Corvane library
 * (...) is not compatible with this program (...)." when the versions differ, in which case the
 * library stays started and shutdown_corvane must still be called. */
CORVANE_API int startup_corvane_versioned(int system_id, int *errno_pointer,
                                          int (*exit_registrar)(void (*)(void)),
                                          int version) CORVANE_NOEXCEPT;

/** Takes everything down, newest subsystem first; may be called any number of times. */
CORVANE_API void shutdown_corvane(void) CORVANE_NOEXCEPT;

/** Adds a function to the exit-function list, which shutdown_corvane runs newest first.
 * description is plain ASCII and is not copied. A function already in the list is not added
 * again; null is ignored, and so is a function that cannot be added for want of memory. */
CORVANE_API void register_exit_func(void (*function)(void),
                                    const char *description) CORVANE_NOEXCEPT;
/** Takes a function out of the exit-function list; a function not in it is ignored. */
CORVANE_API void unregister_exit_func(void (*function)(void)) CORVANE_NOEXCEPT;

/* ---- Errors --------------------------------------------------------------------------------- */

/** Stores an error number where errno_location points (errno when not started). */
CORVANE_API void set_error_number(int number) CORVANE_NOEXCEPT;
/** The error number where errno_location points (errno when not started). */
CORVANE_API int get_error_number(void) CORVANE_NOEXCEPT;

/** Replaces error_text with the translation of an ASCII message, bounded to ERROR_TEXT_SIZE; null
 * empties it. */
CORVANE_API void set_error_text(const char *ascii_message) CORVANE_NOEXCEPT;

/** Like set_error_text, but only when error_text is still empty, so that a driver's own reason
 * wins over a generic one. */
CORVANE_API void set_error_text_if_empty(const char *ascii_message) CORVANE_NOEXCEPT;

/* ---- Diagnostics ---------------------------------------------------------------------------- */

/** Formats with the library's formatter (format in the current encoding) and shows the message
 * through the system driver, or on standard output. A null format, or a message that cannot be
 * formatted for want of memory, shows nothing. */
CORVANE_API void show_message(const char *format, ...) CORVANE_NOEXCEPT;

/** Appends a line (bytes, formatted with the C library's formatter) to the trace file named by
 * "CORVANE_TRACE", or "corvane.log". */
CORVANE_API void write_trace(const char *format, ...) CORVANE_NOEXCEPT CORVANE_PRINTF_FORMAT(1, 2);

/** Reports a failed assertion at a line of a file. */
CORVANE_API void report_assert(const char *file, int line) CORVANE_NOEXCEPT;

/** Exit function that closes the diagnostic files. */
CORVANE_API void debug_exit(void) CORVANE_NOEXCEPT;

/** Reports a failed assertion (report_assert) with the file and line when condition is false. */
#define CORVANE_ASSERT(condition)                        \
  do {                                                   \
    if (!(condition)) report_assert(__FILE__, __LINE__); \
  } while (0)

/* ---- Platform queries ----------------------------------------------------------------------- */

/** Writes the program's own path into buffer (size bytes), or "./" when the platform cannot say. */
CORVANE_API void query_executable_path(char *buffer, int size) CORVANE_NOEXCEPT;

/** Sets the function called when the user asks to close the program (a window's close button).
 * Returns 0 when the system driver accepted it, -1 otherwise. */
CORVANE_API int set_close_button_callback(void (*callback)(void)) CORVANE_NOEXCEPT;

/** Fills the CPU description. Called by start-up. */
CORVANE_API void detect_cpu(void) CORVANE_NOEXCEPT;

/* ---- Object types and small shared helpers -------------------------------------------------- */

/** Entries of object_type_registry. */
#define OBJECT_TYPE_REGISTRY_SIZE 32

/** How objects of one type are loaded from a data file and freed. */
typedef struct object_type_entry {
  int type;                                          /**< four-character id; -1 marks a free entry */
  void *(*loader)(struct packfile *file, long size); /**< may be null */
  void (*destructor)(void *object);                  /**< may be null */
} object_type_entry;

/** The registered object types (register_object_type); free entries have type -1. */
extern CORVANE_API object_type_entry object_type_registry[OBJECT_TYPE_REGISTRY_SIZE];

/** Replaces the loader and destructor of the entry for type (each only when given), else fills
 * the first free entry; a full table ignores the call. */
CORVANE_API void register_object_type(int type, void *(*loader)(struct packfile *file, long size),
                                      void (*destructor)(void *object)) CORVANE_NOEXCEPT;

/** Case-insensitive comparison of plain 8-bit strings: the difference of the first unequal pair of
 * lowered bytes, 0 when equal. */
CORVANE_API int ascii_icompare(const char *s1, const char *s2) CORVANE_NOEXCEPT;

/** realloc that frees the block when it cannot grow it, and treats size 0 as a free. */
CORVANE_API void *realloc_or_free(void *block, size_t size) CORVANE_NOEXCEPT;

/** Bounded copy of plain 8-bit strings; size counts the terminator; the result is always
 * terminated when size is at least 1. Returns dest. */
CORVANE_API char *ascii_copy(char *dest, const char *src, size_t size) CORVANE_NOEXCEPT;

/** The library's pseudo-random generator: seed = seed * 1103515245 + 1103527590 (32-bit), seed 0 at
 * start; returns seed >> 16. */
CORVANE_API int corvane_random(void) CORVANE_NOEXCEPT;
/** Sets the seed of corvane_random. */
CORVANE_API void corvane_random_seed(unsigned int seed) CORVANE_NOEXCEPT;

/* ---- The process entry on Mac OS X ---------------------------------------------------------- */

#if defined(CORVANE_MACOSX_HOST) && !defined(CORVANE_BUILDING_LIBRARY) && \
    !defined(CORVANE_NO_MAIN_RENAMING)
/**
 * On Mac OS X the library owns the process entry: it makes the process a Cocoa application and
 * then calls the program's main function on a thread of its own (or directly, when no window
 * server can be reached). This macro renames the main function of every file that includes a
 * Corvane header to corvane_application_main, so that the library's own main runs first.
 *
 * It is defined only for programs built for Mac OS X (CORVANE_MACOSX_HOST, which the installed
 * package of a Mac build defines) and only where CORVANE_NO_MAIN_RENAMING is not defined. The
 * program's main must take the argument count and vector: int main(int argc, char **argv).
 */
#define main corvane_application_main
#endif

#if defined(CORVANE_MACOSX_HOST)
/**
 * The program's own main function under the name the Mac OS X process entry calls. Its result
 * becomes the process's exit status.
 *
 * @param argc the argument count: 1 (or 2 with a file the Finder opened the program with) when
 *             the program runs from a bundle, else the count it was started with
 * @param argv the argument vector: the bundle path (and the opened file) in a bundle, else the
 *             vector it was started with
 * @return the exit status of the process
 */
int corvane_application_main(int argc, char **argv);
#endif

CORVANE_EXTERN_C_END

#endif /* CORVANE_SYSTEM_H */
