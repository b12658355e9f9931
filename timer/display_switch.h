// Internal interface of the display-switch support, for the modules that take part in a switch.
#ifndef CORVANE_TIMER_DISPLAY_SWITCH_H
#define CORVANE_TIMER_DISPLAY_SWITCH_H

#include "corvane/bitmap.h"

namespace corvane {

// Filled in by the mouse module while it is installed, so that the pointer can be hidden before
// the registered bitmaps are saved or restored and shown again afterwards.
struct switch_pointer_hooks {
  struct bitmap *(*shown_on)();      // the bitmap the pointer is shown on, or null
  void (*show_on)(struct bitmap *);  // shows the pointer on a bitmap; null hides it
};

// Installs the pointer hooks (null removes them). The record must stay valid while installed.
void set_switch_pointer_hooks(const switch_pointer_hooks *hooks) noexcept;

}  // namespace corvane

#endif  // CORVANE_TIMER_DISPLAY_SWITCH_H
