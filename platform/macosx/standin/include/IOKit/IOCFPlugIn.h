/* The stand-in's IOKit plug-ins: the COM-style interface that a service's user client is reached
   through, and the interfaces it hands out by UUID. */
#ifndef CORVANE_STANDIN_IOCFPLUGIN_H
#define CORVANE_STANDIN_IOCFPLUGIN_H

#include <IOKit/IOKitLib.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef SInt32 HRESULT;
typedef UInt32 ULONG;
typedef void *LPVOID;
typedef CFUUIDBytes REFIID;

#define S_OK 0
#define E_NOINTERFACE (-2147483644) /* 0x80000004 */

#define IUNKNOWN_C_GUTS                                                  \
  void *_reserved;                                                       \
  HRESULT (*QueryInterface)(void *thisPointer, REFIID iid, LPVOID *ppv); \
  ULONG (*AddRef)(void *thisPointer);                                    \
  ULONG (*Release)(void *thisPointer)

typedef struct IOCFPlugInInterfaceStruct {
  IUNKNOWN_C_GUTS;
  UInt32 version;
  UInt32 revision;
} IOCFPlugInInterface;

CFUUIDRef standin_uuid_plug_in_interface(void);
#define kIOCFPlugInInterfaceID standin_uuid_plug_in_interface()

/* The plug-in of the given type for the service, through which its interfaces are asked for. */
kern_return_t IOCreatePlugInInterfaceForService(io_service_t service, CFUUIDRef pluginType,
                                                CFUUIDRef interfaceType,
                                                IOCFPlugInInterface ***theInterface,
                                                SInt32 *theScore);

#ifdef __cplusplus
}
#endif

#endif
