/* The stand-in's IOKit: the registry of services matched by a dictionary, walked with iterators,
   with each entry's properties and parent, reached through a Mach port (<mach/mach.h>). */
#ifndef CORVANE_STANDIN_IOKITLIB_H
#define CORVANE_STANDIN_IOKITLIB_H

#include <CoreFoundation/CoreFoundation.h>
#include <mach/mach.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef kern_return_t IOReturn;
typedef UInt32 IOOptionBits;
typedef mach_port_t io_object_t;
typedef io_object_t io_iterator_t;
typedef io_object_t io_service_t;
typedef io_object_t io_registry_entry_t;
typedef char io_name_t[128];

enum { kNilOptions = 0 };

#define kIOReturnSuccess 0
#define kIOReturnError (-536870212)    /* 0xe00002bc */
#define kIOReturnNoDevice (-536870208) /* 0xe00002c0 */
#define kIOReturnNotOpen (-536870195)  /* 0xe00002cd */
#define kIOServicePlane "IOService"

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
