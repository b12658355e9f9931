/* The stand-in's windows and views, as far as the window display driver uses them: a window with
   its delegate and content view, views with tracking and cursor rectangles, the QuickDraw view and
   its port, cursors that take effect on mouse entry, and performing a selector on the main thread
   (done by the next pass of the event loop). The window is driven and read back through
   <standin/display.h>. */
#ifndef CORVANE_STANDIN_NSWINDOW_H
#define CORVANE_STANDIN_NSWINDOW_H

#include <Foundation/Foundation.h>
#include <QD/QuickDraw.h>

enum {
  NSBorderlessWindowMask = 0,
  NSTitledWindowMask = 1 << 0,
  NSClosableWindowMask = 1 << 1,
  NSMiniaturizableWindowMask = 1 << 2,
  NSResizableWindowMask = 1 << 3
};
typedef enum NSBackingStoreType {
  NSBackingStoreRetained = 0,
  NSBackingStoreNonretained = 1,
  NSBackingStoreBuffered = 2
} NSBackingStoreType;
typedef NSInteger NSTrackingRectTag;

static inline NSRect NSMakeRect(double x, double y, double w, double h) {
  NSRect r;
  r.origin.x = x;
  r.origin.y = y;
  r.size.width = w;
  r.size.height = h;
  return r;
}

#ifdef __OBJC__

@class NSWindow;
@class NSCursor;

@interface NSObject (NSThreadPerformAdditions)
- (void)performSelectorOnMainThread:(SEL)selector withObject:(id)argument waitUntilDone:(BOOL)wait;
@end

@interface NSView : NSObject {
  NSRect _frame;
  NSWindow *_window;
  void *_cursor_rects;
  NSInteger _focus_count;
}
- (id)initWithFrame:(NSRect)frame;
- (NSRect)frame;
- (NSWindow *)window;
- (BOOL)lockFocusIfCanDraw;
- (void)unlockFocus;
- (NSTrackingRectTag)addTrackingRect:(NSRect)rect
                               owner:(id)owner
                            userData:(void *)data
                        assumeInside:(BOOL)inside;
- (void)removeTrackingRect:(NSTrackingRectTag)tag;
- (void)resetCursorRects;
- (void)discardCursorRects;
- (void)addCursorRect:(NSRect)rect cursor:(NSCursor *)cursor;
@end

@interface NSQuickDrawView : NSView {
  void *_port;
}
- (void *)qdPort;
@end

@interface NSWindow : NSObject {
  NSRect _content_rect;
  NSUInteger _style;
  id _delegate;
  NSView *_content_view;
  NSString *_title;
  BOOL _visible;
  BOOL _miniaturized;
  BOOL _released_when_closed;
  BOOL _one_shot;
  BOOL _accepts_mouse_moved;
  BOOL _views_need_display;
  BOOL _centred;
}
- (id)initWithContentRect:(NSRect)rect
                styleMask:(NSUInteger)style
                  backing:(NSBackingStoreType)backing
                    defer:(BOOL)defer;
- (void)setDelegate:(id)delegate;
- (id)delegate;
- (void)setOneShot:(BOOL)flag;
- (void)setAcceptsMouseMovedEvents:(BOOL)flag;
- (void)setViewsNeedDisplay:(BOOL)flag;
- (void)setReleasedWhenClosed:(BOOL)flag;
- (void)useOptimizedDrawing:(BOOL)flag;
- (void)center;
/* The window's frame, title bar included, and the content area a frame holds, both in screen
   coordinates (from the main display's bottom-left corner, y upwards). */
- (NSRect)frame;
- (NSRect)contentRectForFrameRect:(NSRect)frame;
- (void)setContentView:(NSView *)view;
- (id)contentView;
- (void)setTitle:(NSString *)title;
- (NSString *)title;
- (void)makeKeyAndOrderFront:(id)sender;
- (BOOL)isVisible;
- (BOOL)isMiniaturized;
- (void)display;
- (void)miniaturize:(id)sender;
- (void)deminiaturize:(id)sender;
- (void)performClose:(id)sender;
- (void)invalidateCursorRectsForView:(NSView *)view;
- (void)close;
@end

@interface NSCursor (NSCursorRects)
- (void)setOnMouseEntered:(BOOL)flag;
@end

#endif /* __OBJC__ */

#endif
