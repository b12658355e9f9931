/* The stand-in's bootstrap server: registering a service name, which succeeds only when the
   program runs in a login session that the window server belongs to. */
#ifndef CORVANE_STANDIN_SERVERS_BOOTSTRAP_H
#define CORVANE_STANDIN_SERVERS_BOOTSTRAP_H

#include <mach/mach.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef char name_t[128];

enum { BOOTSTRAP_NOT_PRIVILEGED = 1100 };

/* Registers `service_port` under `service_name` with the bootstrap server `bootstrap`; 0
   (KERN_SUCCESS) on success. */
kern_return_t bootstrap_register(mach_port_t bootstrap, name_t service_name,
                                 mach_port_t service_port);

#ifdef __cplusplus
}
#endif

#endif
