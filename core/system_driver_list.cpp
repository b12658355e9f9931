// The system drivers start-up chooses from, in order of preference. Platform drivers that are
// built only on some hosts add their line here and nowhere else.
#include "corvane/system.h"

#if defined(CORVANE_HAVE_LINUX_HOST)
#include "platform/linux/unix_host.h"
#endif

extern "C" {

driver_list_entry system_driver_list[] = {
#if defined(CORVANE_HAVE_LINUX_HOST)
    {CORVANE_ID('U', 'N', 'I', 'X'), &corvane::unix_host::driver, -1},
#endif
    {SYSTEM_NONE, &system_none, 0},
    {0, nullptr, 0},
};

}  // extern "C"
