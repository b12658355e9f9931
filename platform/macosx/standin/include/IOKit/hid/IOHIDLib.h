/* The stand-in's HID device interface: opened through a HID device's plug-in, it reads the current
   value of an element by its cookie. */
#ifndef CORVANE_STANDIN_IOHIDLIB_H
#define CORVANE_STANDIN_IOHIDLIB_H

#include <IOKit/IOCFPlugIn.h>
#include <IOKit/hid/IOHIDKeys.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct OpaqueIOHIDElementCookie *IOHIDElementCookie;
typedef UInt32 IOHIDOptionsType;
enum { kIOHIDOptionsTypeNone = 0 };

typedef struct AbsoluteTime {
  UInt32 hi;
  UInt32 lo;
} AbsoluteTime;

typedef struct IOHIDEventStruct {
  IOHIDElementType type;
  IOHIDElementCookie elementCookie;
  SInt32 value;
  AbsoluteTime timestamp;
  UInt32 longValueSize;
  void *longValue;
} IOHIDEventStruct;

/* The device interface; the operations it has beyond these are not simulated (left empty). */
typedef struct IOHIDDeviceInterface {
  IUNKNOWN_C_GUTS;
  void *createAsyncEventSource;
  void *getAsyncEventSource;
  void *createAsyncPort;
  void *getAsyncPort;
  IOReturn (*open)(void *self, IOHIDOptionsType options);
  IOReturn (*close)(void *self);
  void *setRemovalCallback;
  IOReturn (*getElementValue)(void *self, IOHIDElementCookie elementCookie,
                              IOHIDEventStruct *valueEvent);
} IOHIDDeviceInterface;

CFUUIDRef standin_uuid_hid_device_user_client(void);
CFUUIDRef standin_uuid_hid_device_interface(void);
#define kIOHIDDeviceUserClientTypeID standin_uuid_hid_device_user_client()
#define kIOHIDDeviceInterfaceID standin_uuid_hid_device_interface()

#ifdef __cplusplus
}
#endif

#endif
