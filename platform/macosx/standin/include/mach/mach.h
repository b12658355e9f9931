/* The stand-in's Mach task and port interface: the task's special ports, by which a program finds
   the bootstrap server, and giving back a port name the task holds (IOKit's master port). */
#ifndef CORVANE_STANDIN_MACH_H
#define CORVANE_STANDIN_MACH_H

#include <mach/machine.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned int mach_port_t;
typedef mach_port_t mach_port_name_t;
typedef mach_port_t task_t;
typedef mach_port_t ipc_space_t;
typedef int kern_return_t;

enum {
  KERN_SUCCESS = 0,
  KERN_INVALID_ARGUMENT = 4,
  KERN_FAILURE = 5,
  MACH_PORT_NULL = 0,
  TASK_BOOTSTRAP_PORT = 4 /* the special port that names the bootstrap server */
};

/* The calling task's own port. */
task_t mach_task_self(void);

/* Stores the task's special port `which` in `*port`. */
kern_return_t task_get_special_port(task_t task, int which, mach_port_t *port);

/* Gives back the task's right to the port `name`. */
kern_return_t mach_port_deallocate(ipc_space_t task, mach_port_name_t name);

#ifdef __cplusplus
}
#endif

#endif
