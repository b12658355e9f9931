// The SDL2 drivers as the Linux host's display layer: what each family's list offers before the
// host's own drivers, in autodetection order, and the services the system driver asks of the
// display. A new SDL2 driver is one line in its family's list.
#include "platform/linux/display_layer.h"
#include "platform/sdl2/sdl_digi_driver.h"
#include "platform/sdl2/sdl_drivers.h"
#include "platform/sdl2/sdl_joystick.h"

namespace corvane::display_layer {

// A window first, since it leaves the desktop usable; then the whole screen.
const driver_list_entry gfx_drivers[] = {
    {sdl::GFX_SDL_WINDOW, &sdl::window_driver, -1},
    {sdl::GFX_SDL_FULLSCREEN, &sdl::fullscreen_driver, -1},
    {0, nullptr, 0},
};

// Keys from the display's events when there is a display.
const driver_list_entry keyboard_drivers[] = {
    {sdl::KEYBOARD_SDL, &sdl::keyboard_driver, -1},
    {0, nullptr, 0},
};

// Sound on the default (or the configured) output device, when there is one.
const driver_list_entry digi_drivers[] = {
    {sdl::DIGI_SDL, &sdl::digi_driver, -1},
    {0, nullptr, 0},
};
const driver_list_entry midi_drivers[] = {{0, nullptr, 0}};
// The pointer from the display's window.
const driver_list_entry mouse_drivers[] = {
    {sdl::MOUSE_SDL, &sdl::mouse_input_driver, -1},
    {0, nullptr, 0},
};
// Game controllers and joysticks through SDL's devices and mapping database.
const driver_list_entry joystick_drivers[] = {
    {sdl::JOYSTICK_SDL, &sdl::joystick_driver, -1},
    {0, nullptr, 0},
};

const unix_host::display_services *const services = &sdl::host_services;

}  // namespace corvane::display_layer
