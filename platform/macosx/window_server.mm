// Whether the window server can be reached: a program started outside a login session (over ssh,
// say) cannot register with the session's bootstrap server, and must not touch Cocoa at all.
#include <mach/mach.h>
#include <servers/bootstrap.h>

#include <cstring>

#include "platform/macosx/macosx_cocoa.h"

namespace corvane::macosx {

bool window_server_usable() noexcept {
  const int cached = bootstrap_ok.load();
  if (cached >= 0) return cached == 1;

  bool usable = false;
  NSMachPort *port = [[NSMachPort alloc] init];
  mach_port_t bootstrap = MACH_PORT_NULL;
  if (port != nil &&
      task_get_special_port(mach_task_self(), TASK_BOOTSTRAP_PORT, &bootstrap) == KERN_SUCCESS) {
    name_t name;
    std::strcpy(name, "bootstrap-ok-test");
    usable = bootstrap_register(bootstrap, name, [port machPort]) == KERN_SUCCESS;
  }
  [port release];

  int untested = -1;
  bootstrap_ok.compare_exchange_strong(untested, usable ? 1 : 0);
  return bootstrap_ok.load() == 1;
}

}  // namespace corvane::macosx
