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
#include <stddef.h>

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

/* Direct display access of the display drivers: capture and release, mode lists and switching,
   the frame buffer, palettes, transfer tables, fades, the cursor and the beam. The available
   modes, failures and whether the display takes a palette are scripted through
   <standin/display.h>. */
typedef int CGError;
typedef int boolean_t;
typedef float CGGammaValue;
typedef UInt32 CGTableCount;
typedef UInt32 CGBeamPosition;
typedef double CGRefreshRate;
typedef UInt32 CGDisplayFadeReservationToken;
typedef float CGDisplayReservationInterval;
typedef float CGDisplayFadeInterval;
typedef float CGDisplayBlendFraction;
typedef struct CGDeviceColor {
  float red;
  float green;
  float blue;
} CGDeviceColor;

#define kCGDisplayBlendNormal 0.0f
#define kCGDisplayBlendSolidColor 1.0f
#define kCGMaxDisplayReservationInterval 15.0f
enum { kCGDisplayFadeReservationInvalidToken = 0 };

/* The mode closest to the parameters (a dictionary like CGDisplayCurrentMode's); exact_match
   tells whether it has them all. */
CFDictionaryRef CGDisplayBestModeForParameters(CGDirectDisplayID display, size_t bits_per_pixel,
                                               size_t width, size_t height,
                                               boolean_t *exact_match);
CFDictionaryRef CGDisplayBestModeForParametersAndRefreshRate(CGDirectDisplayID display,
                                                             size_t bits_per_pixel, size_t width,
                                                             size_t height, CGRefreshRate refresh,
                                                             boolean_t *exact_match);
/* Every mode of the display: an array of mode dictionaries, owned by the system. */
CFArrayRef CGDisplayAvailableModes(CGDirectDisplayID display);

/* Takes the display for the program alone; gives it back. */
CGDisplayErr CGDisplayCapture(CGDirectDisplayID display);
CGDisplayErr CGDisplayRelease(CGDirectDisplayID display);
/* Switches a captured display to one of its modes. */
CGDisplayErr CGDisplaySwitchToMode(CGDirectDisplayID display, CFDictionaryRef mode);

/* The frame buffer of the display's current mode. */
void *CGDisplayBaseAddress(CGDirectDisplayID display);
size_t CGDisplayBytesPerRow(CGDirectDisplayID display);
size_t CGDisplayPixelsWide(CGDirectDisplayID display);
size_t CGDisplayPixelsHigh(CGDirectDisplayID display);

/* Palettes: whether the display's mode takes one, and palettes of 256 colours. */
boolean_t CGDisplayCanSetPalette(CGDirectDisplayID display);
CGDirectPaletteRef CGPaletteCreateDefaultColorPalette(void);
void CGPaletteSetColorAtIndex(CGDirectPaletteRef palette, CGDeviceColor color, CGTableCount index);
void CGPaletteRelease(CGDirectPaletteRef palette);

/* The gamma transfer tables of the display. */
CGDisplayErr CGGetDisplayTransferByTable(CGDirectDisplayID display, CGTableCount capacity,
                                         CGGammaValue *red, CGGammaValue *green,
                                         CGGammaValue *blue, CGTableCount *sample_count);
CGDisplayErr CGSetDisplayTransferByTable(CGDirectDisplayID display, CGTableCount size,
                                         const CGGammaValue *red, const CGGammaValue *green,
                                         const CGGammaValue *blue);
/* Puts the user's ColorSync transfer tables back on every display. */
void CGDisplayRestoreColorSyncSettings(void);

/* Fades: a reservation, a fade between two blends, the reservation given back. */
CGError CGAcquireDisplayFadeReservation(CGDisplayReservationInterval seconds,
                                        CGDisplayFadeReservationToken *token);
CGError CGDisplayFade(CGDisplayFadeReservationToken token, CGDisplayFadeInterval seconds,
                      CGDisplayBlendFraction start, CGDisplayBlendFraction end, float red,
                      float green, float blue, boolean_t synchronous);
CGError CGReleaseDisplayFadeReservation(CGDisplayFadeReservationToken token);

/* The cursor over the display. */
CGDisplayErr CGDisplayHideCursor(CGDirectDisplayID display);
CGDisplayErr CGDisplayShowCursor(CGDirectDisplayID display);

/* Waits until the beam is outside rows upper..lower. */
CGDisplayErr CGDisplayWaitForBeamPositionOutsideLines(CGDirectDisplayID display,
                                                      CGBeamPosition upper, CGBeamPosition lower);

#ifdef __cplusplus
}
#endif

#endif
