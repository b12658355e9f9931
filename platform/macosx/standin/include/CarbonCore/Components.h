/* The stand-in's Component Manager: the description that names a component by type, subtype and
   maker, and opening the default component of a type (the QuickTime note allocator). The audio
   units of <AudioUnit/AudioUnit.h> are component instances too. */
#ifndef CORVANE_STANDIN_COMPONENTS_H
#define CORVANE_STANDIN_COMPONENTS_H

#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ComponentDescription {
  OSType componentType;
  OSType componentSubType;
  OSType componentManufacturer;
  UInt32 componentFlags;
  UInt32 componentFlagsMask;
} ComponentDescription;

typedef struct ComponentInstanceRecord *ComponentInstance;
typedef SInt32 ComponentResult;

enum { badComponentType = -2005, invalidComponentID = -3000 };

/* Opens the default component of the type (any subtype); null when none can be opened. */
ComponentInstance OpenDefaultComponent(OSType componentType, OSType componentSubType);
/* Closes a component opened by OpenDefaultComponent. */
OSErr CloseComponent(ComponentInstance instance);

#ifdef __cplusplus
}
#endif

#endif
