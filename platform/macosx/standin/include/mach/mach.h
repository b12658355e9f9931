/* The stand-in's Mach task and port interface: the task's special ports, by which a program finds
   the bootstrap server. */
#ifndef CORVANE_STANDIN_MACH_H
#define CORVANE_STANDIN_MACH_H

#include <mach/machine.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned int mach_port_t;
typedef mach_port_t task_t;
typedef int kern_return_t;

enum {
  KERN_SUCCESS = 0,
  KERN_FAILURE = 5,
  MACH_PORT_NULL = 0,
  TASK_BOOTSTRAP_PORT = 4 /* the special port that names the bootstrap server */
};

/* The calling task's own port. */
task_t mach_task_self(void);

/* Stores the task's special port `which` in `*port`. */
kern_return_t task_get_special_port(task_t task, int which, mach_port_t *port);

#ifdef __cplusplus
}
#endif

#endif
