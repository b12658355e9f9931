/* The stand-in's Mach processor types. */
#ifndef CORVANE_STANDIN_MACH_MACHINE_H
#define CORVANE_STANDIN_MACH_MACHINE_H

typedef int cpu_type_t;
typedef int cpu_subtype_t;

#define CPU_TYPE_POWERPC ((cpu_type_t)18)
#define CPU_SUBTYPE_POWERPC_7450 ((cpu_subtype_t)11)

#endif
