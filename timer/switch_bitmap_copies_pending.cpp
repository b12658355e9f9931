// Placeholder for saving and restoring the registered bitmaps across a display switch, until
// memory bitmaps and blits are part of the library: the display is marked as switched away and
// back, but no copies are made. The real code is timer/pending/switch_bitmap_copies.cpp; moving
// it here replaces this file.
#include "corvane/timer.h"
#include "timer/display_switch.h"
#include "timer/switch_bitmap_tree.h"

namespace corvane {

void set_switch_pointer_hooks(const switch_pointer_hooks *) noexcept {}

// Nothing is ever saved, so there is never a copy to discard.
void discard_switch_copy(switch_bitmap_node *) noexcept {}

}  // namespace corvane

extern "C" {

void save_switch_bitmaps(int) noexcept { corvane::set_display_switched_away(true); }

void restore_switch_bitmaps(void) noexcept { corvane::set_display_switched_away(false); }

}  // extern "C"
