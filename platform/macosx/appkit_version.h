// AppKit's version number, for the drivers written in plain C++ that choose what to do by the
// system's release (the Objective-C files see it through <Cocoa/Cocoa.h>).
#ifndef CORVANE_PLATFORM_MACOSX_APPKIT_VERSION_H
#define CORVANE_PLATFORM_MACOSX_APPKIT_VERSION_H

extern "C" const double NSAppKitVersionNumber;

#endif
