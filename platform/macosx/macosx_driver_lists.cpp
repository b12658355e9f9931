// The driver lists of a Mac OS X build: the system drivers start-up chooses from and the list each
// device family falls back on, since the Mac system driver hands out no lists of its own. A new
// driver is one line in its family's list.
#include "corvane/gfx.h"
#include "corvane/joystick.h"
#include "corvane/keyboard.h"
#include "corvane/mouse.h"
#include "corvane/sound.h"
#include "corvane/system.h"
#include "corvane/timer.h"
#include "platform/macosx/joystick/hid_joystick.h"
#include "platform/macosx/macosx_host.h"
#include "platform/macosx/osx_keyboard.h"
#include "platform/macosx/osx_mouse.h"
#include "platform/macosx/quartz_display.h"
#include "platform/macosx/sound/macosx_audio_drivers.h"
#include "platform/null/file_digi_driver.h"
#include "platform/null/headless_gfx_driver.h"
#include "platform/null/offline_digi_driver.h"

extern "C" {

// The Mac system driver first; 'NONE' only when the program or the configuration asks for it.
driver_list_entry system_driver_list[] = {
    {corvane::macosx::SYSTEM_MACOSX, &corvane::macosx::system_macosx, -1},
    {SYSTEM_NONE, &system_none, 0},
    {0, nullptr, 0},
};

// The display taken over whole first, then a window; the memory screen only by its id.
driver_list_entry default_gfx_driver_list[] = {
    {corvane::macosx::GFX_QUARTZ_FULLSCREEN, &corvane::macosx::quartz_fullscreen_driver, -1},
    {corvane::macosx::GFX_QUARTZ_WINDOW, &corvane::macosx::quartz_window_driver, -1},
    {corvane::GFX_HEADLESS, &corvane::headless_gfx_driver, 0},
    {0, nullptr, 0},
};

driver_list_entry default_keyboard_driver_list[] = {
    {corvane::macosx::KEYBOARD_MACOSX, &corvane::macosx::osx_keyboard_driver, -1},
    {0, nullptr, 0},
};

// CoreAudio first, then the older framework of each kind; then sound that needs no device, by id
// only.
driver_list_entry default_digi_driver_list[] = {
    {corvane::macosx::DIGI_CORE_AUDIO, &corvane::macosx::core_audio_digi_driver, -1},
    {corvane::macosx::DIGI_SOUND_MANAGER, &corvane::macosx::sound_manager_digi_driver, -1},
    {corvane::offline_digi_driver_id, &corvane::offline_digi_driver, 0},
    {corvane::file_digi_driver_id, &corvane::file_digi_driver, 0},
    {0, nullptr, 0},
};

driver_list_entry default_midi_driver_list[] = {
    {corvane::macosx::MIDI_CORE_AUDIO, &corvane::macosx::core_audio_midi_driver, -1},
    {corvane::macosx::MIDI_QUICKTIME, &corvane::macosx::quicktime_midi_driver, -1},
    {0, nullptr, 0},
};

driver_list_entry default_mouse_driver_list[] = {
    {corvane::macosx::MOUSE_MACOSX, &corvane::macosx::osx_mouse_driver, -1},
    {0, nullptr, 0},
};

driver_list_entry default_joystick_driver_list[] = {
    {corvane::macosx::JOYSTICK_HID, &corvane::macosx::hid_joystick_driver, -1},
    {JOYSTICK_NONE, &joystick_none, -1},
    {0, nullptr, 0},
};

driver_list_entry default_timer_driver_list[] = {
    {TIMER_PTHREADS, &timer_pthreads, -1},
    {0, nullptr, 0},
};

}  // extern "C"
