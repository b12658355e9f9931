// What a display layer adds to the Linux host: the drivers that reach the desktop (its window,
// the keys of its events) and the services the system driver asks of it. CMake builds exactly
// one definition: the SDL2 drivers' (platform/sdl2/sdl_display_layer.cpp) when SDL2 is found,
// else the empty one of platform/linux/no_display_layer.cpp.
#ifndef CORVANE_PLATFORM_LINUX_DISPLAY_LAYER_H
#define CORVANE_PLATFORM_LINUX_DISPLAY_LAYER_H

#include "corvane/system.h"
#include "platform/linux/unix_host.h"

namespace corvane::display_layer {

// The layer's drivers of each family in autodetection order, each list ending with the
// terminator. The host tries them before its own drivers of the family.
extern const driver_list_entry gfx_drivers[];
extern const driver_list_entry digi_drivers[];
extern const driver_list_entry midi_drivers[];
extern const driver_list_entry keyboard_drivers[];
extern const driver_list_entry mouse_drivers[];
extern const driver_list_entry joystick_drivers[];

// The layer's services, or null without a layer.
extern const unix_host::display_services *const services;

}  // namespace corvane::display_layer

#endif  // CORVANE_PLATFORM_LINUX_DISPLAY_LAYER_H
