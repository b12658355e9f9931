// How the switch-bitmap registry hides the mouse pointer while it saves or restores the bitmaps,
// so that the pointer is not copied along with the picture.
#ifndef CORVANE_GFX_SWITCH_POINTER_HOOKS_H
#define CORVANE_GFX_SWITCH_POINTER_HOOKS_H

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

#endif  // CORVANE_GFX_SWITCH_POINTER_HOOKS_H
