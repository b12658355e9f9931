/* The stand-in's QuickDraw, as far as the display drivers use it: ports of a display, of a window
   view and of off-screen worlds, their pixel maps, CopyBits, regions and flushing a window's port
   buffer. A region is kept as its bounding rectangle. Ports, worlds and regions are counted and
   the window's port can be read back through <standin/display.h>. */
#ifndef CORVANE_STANDIN_QUICKDRAW_H
#define CORVANE_STANDIN_QUICKDRAW_H

#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct Rect {
  short top;
  short left;
  short bottom;
  short right;
} Rect;

/* A bit map; a pixel map starts like one, with the high bit of rowBytes set. */
typedef struct BitMap {
  Ptr baseAddr;
  short rowBytes;
  Rect bounds;
} BitMap;

typedef struct PixMap {
  Ptr baseAddr;
  short rowBytes;
  Rect bounds;
  short pixelSize;
} PixMap;
typedef PixMap *PixMapPtr;
typedef PixMapPtr *PixMapHandle;

typedef struct OpaqueGrafPtr *GrafPtr;
typedef GrafPtr CGrafPtr;
typedef CGrafPtr GWorldPtr;
typedef struct OpaqueGDHandle *GDHandle;
typedef struct OpaqueCTabHandle *CTabHandle;

typedef struct MacRegion {
  UInt16 rgnSize;
  Rect rgnBBox;
} MacRegion;
typedef MacRegion *RgnPtr;
typedef RgnPtr *RgnHandle;

typedef unsigned long GWorldFlags;
typedef OSErr QDErr;

enum {
  pixPurge = 1 << 0,
  noNewDevice = 1 << 1,
  useTempMem = 1 << 2,
  keepLocal = 1 << 3,
  useDistantHdwrMem = 1 << 5,
  useLocalHdwrMem = 1 << 6
};
enum { srcCopy = 0 };
enum { memFullErr = -108, paramErr = -50 };

void SetRect(Rect *rect, short left, short top, short right, short bottom);

/* A port on the whole of a display's frame buffer, in its current mode; null when it cannot be
   made. */
CGrafPtr CreateNewPortForCGDisplayID(UInt32 display);
void DisposePort(CGrafPtr port);

/* An off-screen world of the depth and size asked for, its pixels zeroed. */
QDErr NewGWorld(GWorldPtr *world, short pixel_depth, const Rect *bounds, CTabHandle colors,
                GDHandle device, GWorldFlags flags);
void DisposeGWorld(GWorldPtr world);

/* Pins a port's pixels in memory (nested locks are counted); unpins them. */
OSErr LockPortBits(GrafPtr port);
OSErr UnlockPortBits(GrafPtr port);
/* Whether every drawing queued for the port has been done. */
Boolean QDDone(GrafPtr port);

PixMapHandle GetPortPixMap(CGrafPtr port);
Ptr GetPixBaseAddr(PixMapHandle pixels);
long GetPixRowBytes(PixMapHandle pixels);
const BitMap *GetPortBitMapForCopyBits(CGrafPtr port);

/* Copies a rectangle between two maps of the same depth (overlap within one map is handled);
   the rectangles are in each map's own coordinates and must have the same size. */
void CopyBits(const BitMap *source, const BitMap *dest, const Rect *source_rect,
              const Rect *dest_rect, short mode, RgnHandle mask);

RgnHandle NewRgn(void);
void DisposeRgn(RgnHandle region);
void RectRgn(RgnHandle region, const Rect *rect);
void SetEmptyRgn(RgnHandle region);
void UnionRgn(RgnHandle a, RgnHandle b, RgnHandle result);

/* Puts the part of a window port's buffer inside the region (null: all of it) on the screen. */
void QDFlushPortBuffer(CGrafPtr port, RgnHandle region);

#ifdef __cplusplus
}
#endif

#endif
