/* The stand-in's HID registry keys and element types. */
#ifndef CORVANE_STANDIN_IOHIDKEYS_H
#define CORVANE_STANDIN_IOHIDKEYS_H

#define kIOHIDDeviceKey "IOHIDDevice"
#define kIOHIDManufacturerKey "Manufacturer"
#define kIOHIDProductKey "Product"
#define kIOHIDPrimaryUsageKey "PrimaryUsage"
#define kIOHIDPrimaryUsagePageKey "PrimaryUsagePage"
#define kIOHIDElementKey "Elements"
#define kIOHIDElementCookieKey "ElementCookie"
#define kIOHIDElementTypeKey "Type"
#define kIOHIDElementUsageKey "Usage"
#define kIOHIDElementUsagePageKey "UsagePage"
#define kIOHIDElementMinKey "Min"
#define kIOHIDElementMaxKey "Max"
#define kIOHIDElementNameKey "Name"

typedef enum IOHIDElementType {
  kIOHIDElementTypeInput_Misc = 1,
  kIOHIDElementTypeInput_Button = 2,
  kIOHIDElementTypeInput_Axis = 3,
  kIOHIDElementTypeInput_ScanCodes = 4,
  kIOHIDElementTypeOutput = 129,
  kIOHIDElementTypeFeature = 257,
  kIOHIDElementTypeCollection = 513
} IOHIDElementType;

#endif
