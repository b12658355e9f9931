// Steps that one module lends another it may not name. The core sits below the device families,
// and the families beside one another include none of each other's internals: where a step of
// one belongs inside an operation of another, the owner sets a hook here and the other calls it.
// Every hook may be null, and is then skipped.
#ifndef CORVANE_CORE_MODULE_HOOKS_H
#define CORVANE_CORE_MODULE_HOOKS_H

#include <atomic>

struct bitmap;

namespace corvane {

// Called by every start-up before the system driver is chosen: clears the all-black palette and
// repeats the desktop palette's first 16 entries over the rest. The graphics module, which holds
// both palettes, sets it while the program loads.
extern void (*start_palettes_hook)() noexcept;

// A display switch-in draws the saved bitmaps back: called with true before and with false after.
// The timer module sets it, and counts as not installed in between.
extern std::atomic<void (*)(bool starting) noexcept> switch_in_hook;

// The mouse pointer as mode changes and display switches see it. The mouse module sets it while a
// mouse is installed; any member may be null.
struct mouse_pointer_hooks {
  struct bitmap *(*shown_on)();          // the bitmap the pointer is shown on, or null
  void (*show_on)(struct bitmap *bmp);   // shows the pointer there; null hides it
  void (*mode_opened)();                 // a mode opened: the default sprite, range and position
};
extern std::atomic<const mouse_pointer_hooks *> mouse_pointer_hook;

}  // namespace corvane

#endif  // CORVANE_CORE_MODULE_HOOKS_H
