// How the switch-bitmap registry hides the mouse pointer while it saves or restores the bitmaps,
// so that the pointer is not copied along with the picture.
#ifndef CORVANE_GFX_SWITCH_POINTER_HOOKS_H
#define CORVANE_GFX_SWITCH_POINTER_HOOKS_H

#include "core/module_hooks.h"
#include "corvane/bitmap.h"

namespace corvane {

// The mouse module's pointer hooks (core/module_hooks.h), filled in while a mouse is installed,
// so that the pointer can be hidden before the registered bitmaps are saved or restored and
// shown again afterwards.
using switch_pointer_hooks = mouse_pointer_hooks;

// Installs the pointer hooks (null removes them). The record must stay valid while installed.
void set_switch_pointer_hooks(const switch_pointer_hooks *hooks) noexcept;

}  // namespace corvane

#endif  // CORVANE_GFX_SWITCH_POINTER_HOOKS_H
