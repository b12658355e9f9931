// The headless graphics driver 'HDLS': a screen that lives in memory, for machines without a
// display. When its mode closes it can write the screen to a PNG file named by the environment
// variable "CORVANE_SCREENSHOT" or, when that is unset, by the key "screenshot" in section
// "graphics".
#ifndef CORVANE_PLATFORM_NULL_HEADLESS_GFX_DRIVER_H
#define CORVANE_PLATFORM_NULL_HEADLESS_GFX_DRIVER_H

#include "corvane/gfx.h"

namespace corvane {

// The driver's id, 'HDLS'.
inline constexpr int GFX_HEADLESS = CORVANE_ID('H', 'D', 'L', 'S');

// Autodetected last: it starts wherever memory is available. It counts as windowed (an unseen
// window), so GFX_AUTODETECT_WINDOWED falls back to it while GFX_AUTODETECT_FULLSCREEN, which
// asks to take over a real display, never does.
extern gfx_driver headless_gfx_driver;

// The refresh rate the driver reports and paces wait_retrace to.
inline constexpr int HEADLESS_REFRESH_RATE = 60;

}  // namespace corvane

#endif  // CORVANE_PLATFORM_NULL_HEADLESS_GFX_DRIVER_H
