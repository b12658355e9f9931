/* The stand-in's Cocoa umbrella: Foundation and AppKit. */
#ifndef CORVANE_STANDIN_COCOA_H
#define CORVANE_STANDIN_COCOA_H

#include <AppKit/AppKit.h>
#include <Foundation/Foundation.h>

#endif
