/* The stand-in's Core Graphics remote operation, as far as the mouse driver uses it: moving the
   system pointer without an event of its own. Where it went is read back through
   <standin/cocoa.h>. */
#ifndef CORVANE_STANDIN_CGREMOTEOPERATION_H
#define CORVANE_STANDIN_CGREMOTEOPERATION_H

#include <CoreGraphics/CGGeometry.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int CGError;

/* Moves the system pointer to the point, in global display coordinates (origin top left). */
CGError CGWarpMouseCursorPosition(CGPoint new_cursor_position);

#ifdef __cplusplus
}
#endif

#endif
