// Placeholder display-switch support: nothing is registered and the display is never switched
// away, until the timer module's display-switch registry lands.
#include "corvane/timer.h"

extern "C" {

void register_switch_bitmap(struct bitmap *, struct bitmap *) noexcept {}
void unregister_switch_bitmap(struct bitmap *) noexcept {}
int display_switched_away(void) noexcept { return 0; }

}  // extern "C"
