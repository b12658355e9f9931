// The keyboard drivers used when the system driver offers no list of its own. Platform keyboards
// that are built only on some hosts add their line here and nowhere else.
#include "corvane/keyboard.h"

extern "C" {

driver_list_entry default_keyboard_driver_list[] = {
    {0, nullptr, 0},
};

}  // extern "C"
