/* The stand-in's architecture description: what the running machine is. */
#ifndef CORVANE_STANDIN_MACHO_ARCH_H
#define CORVANE_STANDIN_MACHO_ARCH_H

#include <mach/machine.h>

#ifdef __cplusplus
extern "C" {
#endif

enum NXByteOrder { NX_UnknownByteOrder, NX_LittleEndian, NX_BigEndian };

typedef struct {
  const char *name;
  cpu_type_t cputype;
  cpu_subtype_t cpusubtype;
  enum NXByteOrder byteorder;
  const char *description;
} NXArchInfo;

/* The architecture of the running machine, or null when it cannot be told. */
const NXArchInfo *NXGetLocalArchInfo(void);

#ifdef __cplusplus
}
#endif

#endif
