// The stand-in's windows, views and arrays: a window keeps its delegate, content view and title
// and is listed while open; views keep their tracking and cursor rectangles; a QuickDraw view
// makes its port (the desktop's depth, the view's size) when first asked for it; selectors
// performed on the main thread wait for the event loop. The scripting calls of
// <standin/display.h> that need a window are here.
#include <AppKit/AppKit.h>
#include <objc/message.h>
#include <objc/runtime.h>
#include <standin/display.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "display_world.h"
#include "standin_state.h"

namespace {

// The height of a titled window's title bar, above its content area.
constexpr double title_bar_height = 22;

struct main_thread_call {
  id target;
  SEL selector;
  id argument;
};

struct cursor_rect {
  NSRect rect;
  NSCursor *cursor;
};

struct window_registry {
  std::recursive_mutex lock;
  std::vector<NSWindow *> open;
  std::vector<main_thread_call> calls;
  int tracking_rects = 0;
  bool cursor_on_mouse_entered = false;
};

window_registry &registry() {
  static auto *state = new window_registry;
  return *state;
}

std::vector<cursor_rect> *rects_of(void *rects) { return static_cast<std::vector<cursor_rect> *>(rects); }

NSWindow *newest_window() {
  window_registry &r = registry();
  const std::lock_guard<std::recursive_mutex> hold(r.lock);
  return r.open.empty() ? nil : r.open.back();
}

// Sends a message with one object argument to a receiver of any class; the result, if any, is
// a BOOL.
BOOL send_for_answer(id receiver, SEL selector, id argument) {
  IMP imp = objc_msg_lookup(receiver, selector);
  using method = BOOL (*)(id, SEL, id);
  return reinterpret_cast<method>(reinterpret_cast<void (*)()>(imp))(receiver, selector, argument);
}

void send(id receiver, SEL selector, id argument) {
  IMP imp = objc_msg_lookup(receiver, selector);
  using method = void (*)(id, SEL, id);
  reinterpret_cast<method>(reinterpret_cast<void (*)()>(imp))(receiver, selector, argument);
}

}  // namespace

@implementation NSArray
+ (id)arrayWithObjects:(const id *)objects count:(NSUInteger)count {
  return [[[self alloc] initWithObjects:objects count:count] autorelease];
}
- (id)initWithObjects:(const id *)objects count:(NSUInteger)count {
  _objects = count > 0 ? new id[count] : nullptr;
  _count = count;
  for (NSUInteger i = 0; i < count; ++i) _objects[i] = [objects[i] retain];
  return self;
}
- (NSUInteger)count {
  return _count;
}
- (id)objectAtIndex:(NSUInteger)index {
  return index < _count ? _objects[index] : nil;
}
- (void)dealloc {
  for (NSUInteger i = 0; i < _count; ++i) [_objects[i] release];
  delete[] _objects;
  [super dealloc];
}
@end

@implementation NSObject (NSThreadPerformAdditions)
- (void)performSelectorOnMainThread:(SEL)selector withObject:(id)argument waitUntilDone:(BOOL)wait {
  if (wait) {
    send(self, selector, argument);
    return;
  }
  window_registry &r = registry();
  const std::lock_guard<std::recursive_mutex> hold(r.lock);
  r.calls.push_back(main_thread_call{[self retain], selector, [argument retain]});
}
@end

@implementation NSView
- (id)initWithFrame:(NSRect)frame {
  _frame = frame;
  _cursor_rects = new std::vector<cursor_rect>;
  return self;
}
- (NSRect)frame {
  return _frame;
}
- (NSWindow *)window {
  return _window;
}
- (void)setStandinWindow:(NSWindow *)window {
  _window = window;
}
- (BOOL)lockFocusIfCanDraw {
  if (_window == nil || ![_window isVisible] || [_window isMiniaturized]) return NO;
  ++_focus_count;
  return YES;
}
- (void)unlockFocus {
  if (_focus_count > 0) --_focus_count;
}
- (NSTrackingRectTag)addTrackingRect:(NSRect)rect
                               owner:(id)owner
                            userData:(void *)data
                        assumeInside:(BOOL)inside {
  (void)rect;
  (void)owner;
  (void)data;
  (void)inside;
  window_registry &r = registry();
  const std::lock_guard<std::recursive_mutex> hold(r.lock);
  return ++r.tracking_rects;
}
- (void)removeTrackingRect:(NSTrackingRectTag)tag {
  (void)tag;
  window_registry &r = registry();
  const std::lock_guard<std::recursive_mutex> hold(r.lock);
  if (r.tracking_rects > 0) --r.tracking_rects;
}
- (void)resetCursorRects {
}
- (void)discardCursorRects {
  std::vector<cursor_rect> *rects = rects_of(_cursor_rects);
  if (rects == nullptr) return;
  for (cursor_rect &entry : *rects) [entry.cursor release];
  rects->clear();
}
- (void)addCursorRect:(NSRect)rect cursor:(NSCursor *)cursor {
  if (_cursor_rects != nullptr) rects_of(_cursor_rects)->push_back(cursor_rect{rect, [cursor retain]});
}
- (int)standinCursorRects {
  return _cursor_rects != nullptr ? static_cast<int>(rects_of(_cursor_rects)->size()) : 0;
}
- (void)dealloc {
  [self discardCursorRects];
  delete rects_of(_cursor_rects);
  [super dealloc];
}
@end

@implementation NSQuickDrawView
- (void *)qdPort {
  if (_port == nullptr) {
    int depth = 32;
    {
      standin::platform_state &p = standin::platform();
      const std::lock_guard<std::mutex> hold(p.lock);
      if (p.mode.present && p.mode.bits_per_pixel == 16) depth = 16;
    }
    GrafPtr port = standin::make_port(static_cast<int>(_frame.size.width),
                                      static_cast<int>(_frame.size.height), depth);
    if (port != nullptr) port->window = true;
    _port = port;
  }
  return _port;
}
- (void)dealloc {
  DisposePort(static_cast<GrafPtr>(_port));
  [super dealloc];
}
@end

@implementation NSWindow
- (id)initWithContentRect:(NSRect)rect
                styleMask:(NSUInteger)style
                  backing:(NSBackingStoreType)backing
                    defer:(BOOL)defer {
  standin::log_call("NSWindow initWithContentRect: " + std::to_string(static_cast<int>(rect.size.width)) +
                    "x" + std::to_string(static_cast<int>(rect.size.height)) + " styleMask: " +
                    std::to_string(style) + " backing: " + std::to_string(backing) +
                    " defer: " + std::to_string(defer));
  _content_rect = rect;
  _style = style;
  window_registry &r = registry();
  const std::lock_guard<std::recursive_mutex> hold(r.lock);
  r.open.push_back(self);
  return self;
}
- (void)setDelegate:(id)delegate {
  _delegate = delegate;
}
- (id)delegate {
  return _delegate;
}
- (void)setOneShot:(BOOL)flag {
  _one_shot = flag;
}
- (void)setAcceptsMouseMovedEvents:(BOOL)flag {
  _accepts_mouse_moved = flag;
}
- (void)setViewsNeedDisplay:(BOOL)flag {
  _views_need_display = flag;
}
- (void)setReleasedWhenClosed:(BOOL)flag {
  _released_when_closed = flag;
}
- (void)useOptimizedDrawing:(BOOL)flag {
  (void)flag;
}
- (void)center {
  _centred = YES;
  // Centred on the main display, title bar included.
  const auto screen_width = static_cast<double>(CGDisplayPixelsWide(CGMainDisplayID()));
  const auto screen_height = static_cast<double>(CGDisplayPixelsHigh(CGMainDisplayID()));
  _content_rect.origin.x = (screen_width - _content_rect.size.width) / 2;
  _content_rect.origin.y = (screen_height - _content_rect.size.height - title_bar_height) / 2;
}
- (NSRect)frame {
  return NSMakeRect(_content_rect.origin.x, _content_rect.origin.y, _content_rect.size.width,
                    _content_rect.size.height + title_bar_height);
}
- (NSRect)contentRectForFrameRect:(NSRect)frame {
  return NSMakeRect(frame.origin.x, frame.origin.y, frame.size.width,
                    frame.size.height - title_bar_height);
}
- (void)standinMoveContentTo:(NSPoint)origin {
  _content_rect.origin = origin;
  if (_delegate != nil && [_delegate respondsToSelector:@selector(windowDidMove:)]) {
    send(_delegate, @selector(windowDidMove:), nil);
  }
}
- (void)setContentView:(NSView *)view {
  [view retain];
  [_content_view release];
  _content_view = view;
  [static_cast<id>(view) setStandinWindow:self];
}
- (id)contentView {
  return _content_view;
}
- (void)setTitle:(NSString *)title {
  [title retain];
  [_title release];
  _title = title;
}
- (NSString *)title {
  return _title;
}
- (void)invalidateCursorRectsForView:(NSView *)view {
  [view discardCursorRects];
  [view resetCursorRects];
}
- (void)makeKeyAndOrderFront:(id)sender {
  (void)sender;
  _visible = YES;
  if (_content_view != nil) [self invalidateCursorRectsForView:_content_view];
}
- (BOOL)isVisible {
  return _visible;
}
- (BOOL)isMiniaturized {
  return _miniaturized;
}
- (void)display {
  standin::log_call("NSWindow display");
}
- (void)miniaturize:(id)sender {
  (void)sender;
  _miniaturized = YES;
}
- (void)deminiaturize:(id)sender {
  (void)sender;
  _miniaturized = NO;
  if (_delegate != nil && [_delegate respondsToSelector:@selector(windowDidDeminiaturize:)]) {
    send(_delegate, @selector(windowDidDeminiaturize:), nil);
  }
}
- (void)performClose:(id)sender {
  (void)sender;
  if (_delegate != nil && [_delegate respondsToSelector:@selector(windowShouldClose:)] &&
      !send_for_answer(_delegate, @selector(windowShouldClose:), self)) {
    return;
  }
  [self close];
}
- (void)close {
  standin::log_call("NSWindow close");
  _visible = NO;
  {
    window_registry &r = registry();
    const std::lock_guard<std::recursive_mutex> hold(r.lock);
    auto found = std::find(r.open.begin(), r.open.end(), self);
    if (found == r.open.end()) return;
    r.open.erase(found);
  }
  if (_released_when_closed) [self release];
}
- (void)dealloc {
  [static_cast<id>(_content_view) setStandinWindow:nil];
  [_content_view release];
  [_title release];
  [super dealloc];
}
@end

@implementation NSCursor (NSCursorRects)
- (void)setOnMouseEntered:(BOOL)flag {
  window_registry &r = registry();
  const std::lock_guard<std::recursive_mutex> hold(r.lock);
  r.cursor_on_mouse_entered = flag;
}
@end

extern "C" {

const void *standin_window_pixels(int *width, int *height, int *depth, long *row_bytes) {
  NSWindow *window = newest_window();
  NSView *view = window != nil ? [window contentView] : nil;
  if (view == nil || ![view isKindOfClass:[NSQuickDrawView class]]) return nullptr;
  auto port = static_cast<GrafPtr>([static_cast<NSQuickDrawView *>(view) qdPort]);
  if (port == nullptr) return nullptr;
  if (width != nullptr) *width = port->map.bounds.right - port->map.bounds.left;
  if (height != nullptr) *height = port->map.bounds.bottom - port->map.bounds.top;
  if (depth != nullptr) *depth = port->map.pixelSize;
  if (row_bytes != nullptr) *row_bytes = port->map.rowBytes & 0x3FFF;
  return port->map.baseAddr;
}

int standin_open_windows(void) {
  window_registry &r = registry();
  const std::lock_guard<std::recursive_mutex> hold(r.lock);
  return static_cast<int>(r.open.size());
}

void standin_window_title(char *buffer, size_t size) {
  if (buffer == nullptr || size == 0) return;
  NSWindow *window = newest_window();
  const char *title = window != nil && [window title] != nil ? [[window title] UTF8String] : "";
  std::strncpy(buffer, title, size - 1);
  buffer[size - 1] = 0;
}

int standin_click_window_close(void) {
  NSWindow *window = newest_window();
  if (window == nil) return 0;
  const int before = standin_open_windows();
  [window performClose:nil];
  return standin_open_windows() < before ? 1 : 0;
}

void standin_move_window(double x, double y) {
  NSWindow *window = newest_window();
  if (window != nil) [static_cast<id>(window) standinMoveContentTo:NSMakePoint(x, y)];
}

int standin_window_content_rect(double *x, double *y, double *width, double *height) {
  NSWindow *window = newest_window();
  if (window == nil) return 0;
  const NSRect content = [window contentRectForFrameRect:[window frame]];
  *x = content.origin.x;
  *y = content.origin.y;
  *width = content.size.width;
  *height = content.size.height;
  return 1;
}

void standin_set_window_miniaturized(int miniaturized) {
  NSWindow *window = newest_window();
  if (window == nil) return;
  if (miniaturized != 0) {
    [window miniaturize:nil];
  } else {
    [window deminiaturize:nil];
  }
}

int standin_cursor_rects(void) {
  NSWindow *window = newest_window();
  if (window == nil || [window contentView] == nil) return 0;
  return [static_cast<id>([window contentView]) standinCursorRects];
}

int standin_cursor_set_on_mouse_entered(void) {
  window_registry &r = registry();
  const std::lock_guard<std::recursive_mutex> hold(r.lock);
  return r.cursor_on_mouse_entered ? 1 : 0;
}

int standin_tracking_rects(void) {
  window_registry &r = registry();
  const std::lock_guard<std::recursive_mutex> hold(r.lock);
  return r.tracking_rects;
}

void standin_run_main_thread_calls(void) {
  std::vector<main_thread_call> calls;
  {
    window_registry &r = registry();
    const std::lock_guard<std::recursive_mutex> hold(r.lock);
    calls.swap(r.calls);
  }
  for (main_thread_call &call : calls) {
    send(call.target, call.selector, call.argument);
    [call.argument release];
    [call.target release];
  }
}

}  // extern "C"
