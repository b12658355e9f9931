// The stand-in's Mach calls: the task's bootstrap port and the bootstrap server, which takes a
// registration only while a window server is scripted, and the local architecture.
#include <mach-o/arch.h>
#include <mach/mach.h>
#include <servers/bootstrap.h>

#include <string>

#include "standin_state.h"

namespace {

constexpr task_t the_task = 1;
constexpr mach_port_t the_bootstrap_port = 2;

}  // namespace

extern "C" {

task_t mach_task_self(void) { return the_task; }

kern_return_t task_get_special_port(task_t task, int which, mach_port_t *port) {
  if (task != the_task || which != TASK_BOOTSTRAP_PORT || port == nullptr) return KERN_FAILURE;
  *port = the_bootstrap_port;
  return KERN_SUCCESS;
}

kern_return_t bootstrap_register(mach_port_t bootstrap, name_t service_name,
                                 mach_port_t service_port) {
  standin::log_call(std::string("bootstrap_register ") + service_name);
  if (bootstrap != the_bootstrap_port || service_port == MACH_PORT_NULL) return KERN_FAILURE;
  standin::platform_state &p = standin::platform();
  const std::lock_guard<std::mutex> hold(p.lock);
  return p.window_server ? static_cast<kern_return_t>(KERN_SUCCESS)
                         : static_cast<kern_return_t>(BOOTSTRAP_NOT_PRIVILEGED);
}

const NXArchInfo *NXGetLocalArchInfo(void) {
  // The answer stays valid for the life of the process, as the system's does.
  static NXArchInfo info;
  static std::string name;
  standin::platform_state &p = standin::platform();
  const std::lock_guard<std::mutex> hold(p.lock);
  if (!p.has_arch) return nullptr;
  name = p.arch_name;
  info = NXArchInfo{name.c_str(), p.cpu_type, p.cpu_subtype, NX_BigEndian, "PowerPC"};
  return &info;
}

}  // extern "C"
