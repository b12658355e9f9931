/* Scripting the stand-in's Cocoa, Carbon, Core Graphics and Mach calls, and reading back what the
   program asked of them.

   A program started with the environment variable CORVANE_STANDIN_WINDOW_SERVER set to "0" finds
   no window server; with CORVANE_STANDIN_TAP_KEY set to a hardware key code, every pass of the
   event loop finds a press and a release of that key. */
#ifndef CORVANE_STANDIN_CONTROL_COCOA_H
#define CORVANE_STANDIN_CONTROL_COCOA_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Everything back to how a program finds it at start: a window server, no bundle, a display in
   1024 x 768 x 32 at 60 Hz, no events, an empty call log. */
void standin_cocoa_reset(void);

/* Whether the bootstrap server takes registrations, that is whether a window server is there. */
void standin_set_window_server(int present);

/* The bundle the program runs from (a directory holding Contents/Resources and Contents/MacOS),
   or null: the program is a bare executable. `name` is the bundle's CFBundleName, or null. */
void standin_set_bundle(const char *bundle_path, const char *name);

/* The process name (the executable's file name unless set). */
void standin_set_process_name(const char *name);

/* The file the Finder hands over before launch (application:openFile:), or null. */
void standin_set_opened_file(const char *path);

/* The main display's current mode. A refresh rate below 0 leaves the key "RefreshRate" out. */
void standin_set_display_mode(int width, int height, int bits_per_pixel, int refresh_rate);
/* The main display has no current mode. */
void standin_remove_display_mode(void);

/* The architecture NXGetLocalArchInfo reports; a null name makes it report none. */
void standin_set_local_arch(const char *name, int cpu_type, int cpu_subtype);

/* Queues a key event (NSKeyDown or NSKeyUp) for the event loop. */
void standin_post_key(int pressed, unsigned short key_code, const char *characters,
                      unsigned long modifier_flags);
/* Queues a pointer event (NSMouseMoved, NSLeftMouseDown, NSScrollWheel, ...) at (x, y) in the
   window (origin bottom left), with its movement, wheel movement, button number and modifiers. */
void standin_post_mouse(unsigned long type, double x, double y, double delta_x, double delta_y,
                        double delta_z, long button_number, unsigned long modifier_flags);
/* Where the program last moved the system pointer with CGWarpMouseCursorPosition, and how often;
   the count is 0 after a reset. */
void standin_last_warp(double *x, double *y, int *count);
/* Queues a change of the modifier keys (NSFlagsChanged). */
void standin_post_flags_changed(unsigned long modifier_flags);
/* Queues an event of another type (a mouse event, say) that no driver handles. */
void standin_post_event(unsigned long type);
/* Events still waiting in the queue. */
int standin_pending_events(void);

/* The next +alloc of the class named `class_name` returns nil. */
void standin_fail_next_alloc(const char *class_name);
/* The foreground request step (1 CPSGetCurrentProcess, 2 CPSEnableForegroundOperation,
   3 CPSSetFrontProcess) fails from now on; 0 lets all succeed. */
void standin_fail_foreground_step(int step);

/* Stand-in objects allocated and not yet deallocated. */
long standin_live_objects(void);

/* Called while an alert panel is up (null: none). */
void standin_set_alert_hook(void (*hook)(void));

/* The calls the program made that tests look at, one line each ("CGDisplaySetPalette 0x...",
   "NSRunAlertPanel title|message", "loadNibNamed: MainMenu", ...), copied into buffer and always
   terminated; returns the full length. */
size_t standin_call_log(char *buffer, size_t size);
void standin_clear_call_log(void);

/* The main menu as text: each menu as title{items}, each item as
   title[key equivalent/modifier mask in hex/action/target class], its submenu after it. */
size_t standin_describe_main_menu(char *buffer, size_t size);

#ifdef __cplusplus
}
#endif

#endif
