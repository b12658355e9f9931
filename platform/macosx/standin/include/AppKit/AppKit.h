/* The stand-in's AppKit: the application object and its event queue, menus, events, the alert
   panel and the cursor images the application host uses, with the interfaces Cocoa gives them.
   Events are posted and what the host built is read back through <standin/cocoa.h>. */
#ifndef CORVANE_STANDIN_APPKIT_H
#define CORVANE_STANDIN_APPKIT_H

#include <ApplicationServices/ApplicationServices.h>
#include <Foundation/Foundation.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The release of AppKit the program runs on. */
extern const double NSAppKitVersionNumber;

#ifdef __cplusplus
}
#endif

enum {
  NSLeftMouseDown = 1,
  NSLeftMouseUp = 2,
  NSRightMouseDown = 3,
  NSRightMouseUp = 4,
  NSMouseMoved = 5,
  NSLeftMouseDragged = 6,
  NSRightMouseDragged = 7,
  NSKeyDown = 10,
  NSKeyUp = 11,
  NSFlagsChanged = 12,
  NSScrollWheel = 22,
  NSOtherMouseDown = 25,
  NSOtherMouseUp = 26,
  NSOtherMouseDragged = 27
};
typedef NSUInteger NSEventType;

#define NSEventMaskFromType(type) (1UL << (type))
enum { NSAnyEventMask = 0xffffffffU };

enum {
  NSAlphaShiftKeyMask = 1 << 16,
  NSShiftKeyMask = 1 << 17,
  NSControlKeyMask = 1 << 18,
  NSAlternateKeyMask = 1 << 19,
  NSCommandKeyMask = 1 << 20
};

typedef enum NSApplicationTerminateReply {
  NSTerminateCancel = 0,
  NSTerminateNow = 1,
  NSTerminateLater = 2
} NSApplicationTerminateReply;

#ifdef __OBJC__

@class NSMenu;

@interface NSEvent : NSObject {
  NSEventType _type;
  unsigned short _key_code;
  NSUInteger _modifier_flags;
  NSString *_characters;
  NSPoint _location;
  double _delta_x, _delta_y, _delta_z;
  NSInteger _button_number;
}
- (NSEventType)type;
- (unsigned short)keyCode;
- (NSUInteger)modifierFlags;
- (NSString *)characters;
- (NSString *)charactersIgnoringModifiers;
- (NSPoint)locationInWindow;
- (CGFloat)deltaX;
- (CGFloat)deltaY;
- (CGFloat)deltaZ;
- (NSInteger)buttonNumber;
@end

@interface NSMenuItem : NSObject {
  NSString *_title;
  SEL _action;
  NSString *_key;
  NSUInteger _mask;
  id _target;
  NSMenu *_submenu;
}
- (id)initWithTitle:(NSString *)title action:(SEL)action keyEquivalent:(NSString *)key;
- (void)setKeyEquivalentModifierMask:(NSUInteger)mask;
- (NSUInteger)keyEquivalentModifierMask;
- (void)setTarget:(id)target;
- (id)target;
- (SEL)action;
- (NSString *)title;
- (NSString *)keyEquivalent;
- (NSMenu *)submenu;
- (void)setSubmenu:(NSMenu *)submenu;
@end

@interface NSMenu : NSObject {
  NSString *_title;
  void *_items;
}
- (id)initWithTitle:(NSString *)title;
- (NSString *)title;
- (void)addItem:(NSMenuItem *)item;
- (NSMenuItem *)addItemWithTitle:(NSString *)title action:(SEL)action keyEquivalent:(NSString *)key;
- (void)setSubmenu:(NSMenu *)submenu forItem:(NSMenuItem *)item;
- (NSInteger)numberOfItems;
- (NSMenuItem *)itemAtIndex:(NSInteger)index;
@end

@interface NSApplication : NSObject {
  id _delegate;
  NSMenu *_main_menu;
}
+ (NSApplication *)sharedApplication;
- (void)setDelegate:(id)delegate;
- (id)delegate;
- (void)run;
- (void)setMainMenu:(NSMenu *)menu;
- (NSMenu *)mainMenu;
- (void)setAppleMenu:(NSMenu *)menu;
- (void)terminate:(id)sender;
- (NSEvent *)nextEventMatchingMask:(NSUInteger)mask
                         untilDate:(NSDate *)date
                            inMode:(NSString *)mode
                           dequeue:(BOOL)dequeue;
- (void)sendEvent:(NSEvent *)event;
@end

/* The shared application, once sharedApplication made it. */
extern id NSApp;

@interface NSBundle (NSNibLoading)
+ (BOOL)loadNibNamed:(NSString *)name owner:(id)owner;
@end

@interface NSBitmapImageRep : NSObject {
  unsigned char *_data;
  BOOL _owns_data;
}
- (id)initWithBitmapDataPlanes:(unsigned char **)planes
                    pixelsWide:(NSInteger)width
                    pixelsHigh:(NSInteger)height
                 bitsPerSample:(NSInteger)bits_per_sample
               samplesPerPixel:(NSInteger)samples_per_pixel
                      hasAlpha:(BOOL)alpha
                      isPlanar:(BOOL)planar
                colorSpaceName:(NSString *)color_space
                   bytesPerRow:(NSInteger)bytes_per_row
                  bitsPerPixel:(NSInteger)bits_per_pixel;
- (unsigned char *)bitmapData;
@end

@interface NSImage : NSObject {
  NSBitmapImageRep *_representation;
}
- (id)initWithSize:(NSSize)size;
- (void)addRepresentation:(NSBitmapImageRep *)representation;
@end

@interface NSCursor : NSObject {
  NSImage *_image;
}
/* The system's arrow and text (I-beam) pointers: one object each for the life of the process. */
+ (NSCursor *)arrowCursor;
+ (NSCursor *)IBeamCursor;
- (id)initWithImage:(NSImage *)image hotSpot:(NSPoint)hot_spot;
- (NSImage *)image;
- (void)set;
@end

extern NSString *NSDeviceRGBColorSpace;

/* Shows a modal alert panel and returns when the user dismissed it. */
NSInteger NSRunAlertPanel(NSString *title, NSString *message, NSString *default_button,
                          NSString *alternate_button, NSString *other_button, ...);

#endif /* __OBJC__ */

#include <AppKit/NSWindow.h>

#endif
