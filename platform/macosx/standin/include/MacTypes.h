/* The stand-in's basic Mac OS types: the fixed-width integers, result codes and four-character
   codes that the platform's C interfaces are declared with, at the widths they have on a 64-bit
   Mac. */
#ifndef CORVANE_STANDIN_MACTYPES_H
#define CORVANE_STANDIN_MACTYPES_H

#include <stdint.h>

typedef uint8_t UInt8;
typedef int8_t SInt8;
typedef uint16_t UInt16;
typedef int16_t SInt16;
typedef uint32_t UInt32;
typedef int32_t SInt32;
typedef uint64_t UInt64;
typedef int64_t SInt64;
typedef float Float32;
typedef double Float64;
typedef unsigned char Boolean;
typedef SInt16 OSErr;
typedef SInt32 OSStatus;
typedef UInt32 FourCharCode;
typedef FourCharCode OSType;
typedef char *Ptr;
typedef Ptr *Handle;
typedef long Size;
typedef unsigned char Str255[256];

enum { noErr = 0 };

#endif
