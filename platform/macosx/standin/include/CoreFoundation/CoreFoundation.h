/* The stand-in's CoreFoundation: reference-counted dictionaries, arrays, numbers, strings and
   UUIDs, as far as the HID registry's properties need them. */
#ifndef CORVANE_STANDIN_COREFOUNDATION_H
#define CORVANE_STANDIN_COREFOUNDATION_H

#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef const void *CFTypeRef;
typedef unsigned long CFTypeID;
typedef long CFIndex;
typedef UInt32 CFStringEncoding;
typedef CFIndex CFNumberType;
typedef const struct __CFAllocator *CFAllocatorRef;
typedef const struct __CFString *CFStringRef;
typedef const struct __CFNumber *CFNumberRef;
typedef const struct __CFArray *CFArrayRef;
typedef struct __CFArray *CFMutableArrayRef;
typedef const struct __CFDictionary *CFDictionaryRef;
typedef struct __CFDictionary *CFMutableDictionaryRef;
typedef const struct __CFUUID *CFUUIDRef;

typedef struct CFUUIDBytes {
  UInt8 byte0, byte1, byte2, byte3, byte4, byte5, byte6, byte7;
  UInt8 byte8, byte9, byte10, byte11, byte12, byte13, byte14, byte15;
} CFUUIDBytes;

/* The call-back tables of the real framework; the stand-in always retains and compares by value. */
typedef struct CFDictionaryKeyCallBacks { CFIndex version; } CFDictionaryKeyCallBacks;
typedef struct CFDictionaryValueCallBacks { CFIndex version; } CFDictionaryValueCallBacks;
typedef struct CFArrayCallBacks { CFIndex version; } CFArrayCallBacks;
extern const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks;
extern const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks;
extern const CFArrayCallBacks kCFTypeArrayCallBacks;
extern const CFAllocatorRef kCFAllocatorDefault;

enum {
  kCFStringEncodingMacRoman = 0,
  kCFStringEncodingUTF8 = 0x08000100,
  kCFNumberSInt32Type = 3,
  kCFNumberSInt64Type = 4,
  kCFNumberIntType = 9,
  kCFNumberLongType = 10
};

CFTypeID CFGetTypeID(CFTypeRef cf);
CFTypeID CFStringGetTypeID(void);
CFTypeID CFNumberGetTypeID(void);
CFTypeID CFArrayGetTypeID(void);
CFTypeID CFDictionaryGetTypeID(void);
CFTypeRef CFRetain(CFTypeRef cf);
void CFRelease(CFTypeRef cf);

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef allocator, CFIndex capacity,
                                                 const CFDictionaryKeyCallBacks *keyCallBacks,
                                                 const CFDictionaryValueCallBacks *valueCallBacks);
/* The value stored under an equal key, or null. */
const void *CFDictionaryGetValue(CFDictionaryRef theDict, const void *key);
void CFDictionarySetValue(CFMutableDictionaryRef theDict, const void *key, const void *value);

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef allocator, CFIndex capacity,
                                       const CFArrayCallBacks *callBacks);
CFIndex CFArrayGetCount(CFArrayRef theArray);
const void *CFArrayGetValueAtIndex(CFArrayRef theArray, CFIndex idx);
void CFArrayAppendValue(CFMutableArrayRef theArray, const void *value);

CFNumberRef CFNumberCreate(CFAllocatorRef allocator, CFNumberType theType, const void *valuePtr);
/* Stores the number as theType; false when it does not fit (the stored value is then cut). */
Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void *valuePtr);

CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char *cStr,
                                      CFStringEncoding encoding);
/* The string's characters in the encoding without a copy, or null when it cannot give them. */
const char *CFStringGetCStringPtr(CFStringRef theString, CFStringEncoding encoding);
CFStringEncoding CFStringGetSystemEncoding(void);

CFUUIDBytes CFUUIDGetUUIDBytes(CFUUIDRef uuid);

/* A string constant that lives as long as the program (releasing it does nothing). */
CFStringRef standin_cf_constant_string(const char *cStr);
#define CFSTR(cStr) standin_cf_constant_string("" cStr "")

#ifdef __cplusplus
}
#endif

#endif
