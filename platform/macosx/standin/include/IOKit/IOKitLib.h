/* The stand-in's IOKit: the registry of services matched by a dictionary, walked with iterators,
   with each entry's properties and parent, and the Mach ports that reach it. */
#ifndef CORVANE_STANDIN_IOKITLIB_H
#define CORVANE_STANDIN_IOKITLIB_H

#include <CoreFoundation/CoreFoundation.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned int mach_port_t;
typedef mach_port_t mach_port_name_t;
typedef mach_port_t ipc_space_t;
typedef int kern_return_t;
typedef kern_return_t IOReturn;
typedef UInt32 IOOptionBits;
typedef mach_port_t io_object_t;
typedef io_object_t io_iterator_t;
typedef io_object_t io_service_t;
typedef io_object_t io_registry_entry_t;
typedef char io_name_t[128];

enum { MACH_PORT_NULL = 0, KERN_SUCCESS = 0, KERN_INVALID_ARGUMENT = 4, kNilOptions = 0 };

#define kIOReturnSuccess 0
#define kIOReturnError (-536870212)    /* 0xe00002bc */
#define kIOReturnNoDevice (-536870208) /* 0xe00002c0 */
#define kIOReturnNotOpen (-536870195)  /* 0xe00002cd */
#define kIOServicePlane "IOService"

/* The task's own port space, and giving back a port name the task holds. */
ipc_space_t mach_task_self(void);
kern_return_t mach_port_deallocate(ipc_space_t task, mach_port_name_t name);

/* A port to IOKit's registry, to be given back with mach_port_deallocate. */
kern_return_t IOMasterPort(mach_port_t bootstrapPort, mach_port_t *masterPort);
/* A matching dictionary for services of the class (the caller owns it). */
CFMutableDictionaryRef IOServiceMatching(const char *name);
/* An iterator over the services that match; takes over one reference of the dictionary. */
kern_return_t IOServiceGetMatchingServices(mach_port_t masterPort, CFDictionaryRef matching,
                                           io_iterator_t *existing);
/* The next service (released by the caller with IOObjectRelease), or 0 at the end. */
io_object_t IOIteratorNext(io_iterator_t iterator);
/* A new dictionary of the entry's properties (released by the caller). */
kern_return_t IORegistryEntryCreateCFProperties(io_registry_entry_t entry,
                                                CFMutableDictionaryRef *properties,
                                                CFAllocatorRef allocator, IOOptionBits options);
kern_return_t IORegistryEntryGetParentEntry(io_registry_entry_t entry, const io_name_t plane,
                                            io_registry_entry_t *parent);
kern_return_t IOObjectRelease(io_object_t object);

#ifdef __cplusplus
}
#endif

#endif
