/* The stand-in's Core Graphics direct display access, as far as the application host uses it: the
   main display, its current mode (a dictionary with the keys "Width", "Height", "BitsPerPixel"
   and "RefreshRate", as Cocoa sees it) and loading a palette. The mode is scripted through
   <standin/cocoa.h>. */
#ifndef CORVANE_STANDIN_COREGRAPHICS_H
#define CORVANE_STANDIN_COREGRAPHICS_H

#include <CoreFoundation/CoreFoundation.h>
#include <CoreGraphics/CGGeometry.h>
#include <CoreGraphics/CGRemoteOperation.h>
#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef UInt32 CGDirectDisplayID;
typedef int CGDisplayErr;
typedef struct _CGDirectPaletteRef *CGDirectPaletteRef;

enum { kCGErrorSuccess = 0, kCGErrorFailure = 1000 };

/* The display that holds the menu bar. */
CGDirectDisplayID CGMainDisplayID(void);

/* The display's current mode, or null when it has none. The dictionary belongs to the system. */
CFDictionaryRef CGDisplayCurrentMode(CGDirectDisplayID display);

/* Loads `palette` into the display's colour table. */
CGDisplayErr CGDisplaySetPalette(CGDirectDisplayID display, CGDirectPaletteRef palette);

#ifdef __cplusplus
}
#endif

#endif
