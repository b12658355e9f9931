// The Cocoa side of the Mac OS X application host, for its Objective-C++ files: the application
// delegate, the main bundle, the blank cursor, and the handlers the event loop hands events to.
#ifndef CORVANE_PLATFORM_MACOSX_MACOSX_COCOA_H
#define CORVANE_PLATFORM_MACOSX_MACOSX_COCOA_H

#include <Cocoa/Cocoa.h>

#include "platform/macosx/macosx_host.h"

@interface CorvaneAppDelegate : NSObject
- (NSApplicationTerminateReply)applicationShouldTerminate:(id)sender;
- (void)applicationDidChangeScreenParameters:(NSNotification *)notification;
- (void)applicationDidFinishLaunching:(NSNotification *)notification;
- (BOOL)application:(NSApplication *)application openFile:(NSString *)filename;
+ (void)app_main:(id)argument;
@end

namespace corvane::macosx {

// The application bundle while the program runs from one, else nil.
extern NSBundle *main_bundle;

// A 16 x 16 fully transparent cursor that hides the pointer, made by the system driver; nil when
// it could not be made.
extern NSCursor *blank_cursor;

// The cursor the display shows, or nil; the display and mouse drivers set it.
extern NSCursor *current_cursor;

// A display mode dictionary of Core Graphics as the NSDictionary it is toll-free bridged to.
inline NSDictionary *dictionary_of(CFDictionaryRef mode) {
  return reinterpret_cast<NSDictionary *>(const_cast<__CFDictionary *>(mode));
}

// Whether the process was launched from a bundle: its bundle location is a directory.
bool launched_from_bundle_location() noexcept;

// Settles the program into its bundle once it has finished launching: remembers main_bundle,
// makes the bundle's resource directory (or the directory named like the executable inside it)
// the current directory, and hands the program the bundle path and the opened file as its
// arguments. Does nothing outside a bundle.
void settle_in_bundle() noexcept;

// Builds the application menu by hand: the application's name (the bundle's CFBundleName, else the
// process name) and one item "Quit <name>" with command-Q. Leaves no menu when an object cannot
// be made.
void build_application_menu() noexcept;

// A driver's share of the events: called on the main thread, under the event mutex, with each
// event whose type is in its mask. Returns true when it consumed the event.
using event_handler = bool (*)(NSEvent *event);

// Most handlers registered at once.
inline constexpr int EVENT_HANDLER_SLOTS = 8;

// Registers a handler for the event types of type_mask (NSEventMaskFromType). Returns false when
// every slot is taken. Takes the event mutex, so any thread may call it.
bool add_event_handler(NSUInteger type_mask, event_handler handler) noexcept;
// Removes every registration of the handler.
void remove_event_handler(event_handler handler) noexcept;

// Hands one event to the registered handlers; an event nobody consumed goes to NSApp.
void dispatch_event(NSEvent *event) noexcept;

}  // namespace corvane::macosx

#endif  // CORVANE_PLATFORM_MACOSX_MACOSX_COCOA_H
