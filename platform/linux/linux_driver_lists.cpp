// The drivers of the Linux host, in autodetection order. Drivers that are built only when their
// library is found are named here and nowhere else.
#include "corvane/gfx.h"
#include "corvane/keyboard.h"
#include "platform/linux/terminal_keyboard.h"
#include "platform/linux/unix_host.h"
#include "platform/null/headless_gfx_driver.h"

namespace corvane::unix_host {

// With no display at all, the headless driver, last.
driver_list_entry gfx_driver_list[] = {
    {CORVANE_ID('H', 'D', 'L', 'S'), &headless_gfx_driver, -1},
    {0, nullptr, 0},
};

// Keys from the terminal, or from standard input when it is not one.
driver_list_entry keyboard_driver_list[] = {
    {CORVANE_ID('T', 'E', 'R', 'M'), &terminal_keyboard_driver, -1},
    {0, nullptr, 0},
};

}  // namespace corvane::unix_host
