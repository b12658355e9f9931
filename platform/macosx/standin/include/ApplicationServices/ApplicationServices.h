/* The stand-in's Application Services umbrella: Core Graphics. */
#ifndef CORVANE_STANDIN_APPLICATIONSERVICES_H
#define CORVANE_STANDIN_APPLICATIONSERVICES_H

#include <CoreGraphics/CoreGraphics.h>
#include <QD/QuickDraw.h>

#endif
