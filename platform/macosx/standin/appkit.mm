// The stand-in's AppKit: the shared application with its queue of scripted events, menus, events,
// the alert panel, the cursor images, and the scripting interface that reads them back.
#include <AppKit/AppKit.h>
#include <objc/message.h>
#include <objc/runtime.h>
#include <standin/cocoa.h>
#include <standin/display.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "standin_state.h"

id NSApp = nil;
NSString *NSDeviceRGBColorSpace = @"NSDeviceRGBColorSpace";

namespace {

using method_with_object = void (*)(id, SEL, id);

// Sends a message with one object argument and no result, through the runtime, to a receiver
// whose class the stand-in does not know.
void send(id receiver, SEL selector, id argument) {
  IMP imp = objc_msg_lookup(receiver, selector);
  reinterpret_cast<method_with_object>(reinterpret_cast<void (*)()>(imp))(receiver, selector,
                                                                          argument);
}

std::vector<id> *items_of(void *items) { return static_cast<std::vector<id> *>(items); }

std::string hex(unsigned long value) {
  char text[32];
  std::snprintf(text, sizeof text, "%lx", value);
  return text;
}

}  // namespace

@implementation NSEvent
- (NSEventType)type {
  return _type;
}
- (unsigned short)keyCode {
  return _key_code;
}
- (NSUInteger)modifierFlags {
  return _modifier_flags;
}
- (NSString *)characters {
  return _characters;
}
- (NSString *)charactersIgnoringModifiers {
  return _characters;
}
- (NSPoint)locationInWindow {
  return _location;
}
- (CGFloat)deltaX {
  return _delta_x;
}
- (CGFloat)deltaY {
  return _delta_y;
}
- (CGFloat)deltaZ {
  return _delta_z;
}
- (NSInteger)buttonNumber {
  return _button_number;
}
- (void)dealloc {
  [_characters release];
  [super dealloc];
}
@end

@interface NSEvent (StandinQueue)
- (id)initWithQueued:(const standin::queued_event *)queued;
@end

@implementation NSEvent (StandinQueue)
- (id)initWithQueued:(const standin::queued_event *)queued {
  _type = queued->type;
  _key_code = queued->key_code;
  _modifier_flags = queued->modifier_flags;
  _characters = [[NSString stringWithUTF8String:queued->characters.c_str()] retain];
  _location = NSMakePoint(queued->x, queued->y);
  _delta_x = queued->delta_x;
  _delta_y = queued->delta_y;
  _delta_z = queued->delta_z;
  _button_number = queued->button_number;
  return self;
}
@end

namespace {

NSEvent *make_event(const standin::queued_event &queued) {
  return [[[NSEvent alloc] initWithQueued:&queued] autorelease];
}

}  // namespace

@implementation NSMenuItem
- (id)initWithTitle:(NSString *)title action:(SEL)action keyEquivalent:(NSString *)key {
  _title = [title retain];
  _action = action;
  _key = [key retain];
  return self;
}
- (void)setKeyEquivalentModifierMask:(NSUInteger)mask {
  _mask = mask;
}
- (NSUInteger)keyEquivalentModifierMask {
  return _mask;
}
- (void)setTarget:(id)target {
  _target = target;
}
- (id)target {
  return _target;
}
- (SEL)action {
  return _action;
}
- (NSString *)title {
  return _title;
}
- (NSString *)keyEquivalent {
  return _key;
}
- (NSMenu *)submenu {
  return _submenu;
}
- (void)setSubmenu:(NSMenu *)submenu {
  [submenu retain];
  [_submenu release];
  _submenu = submenu;
}
- (void)dealloc {
  [_title release];
  [_key release];
  [_submenu release];
  [super dealloc];
}
@end

@implementation NSMenu
- (id)initWithTitle:(NSString *)title {
  _title = [title retain];
  _items = new std::vector<id>;
  return self;
}
- (NSString *)title {
  return _title;
}
- (void)addItem:(NSMenuItem *)item {
  items_of(_items)->push_back([item retain]);
}
- (NSMenuItem *)addItemWithTitle:(NSString *)title action:(SEL)action keyEquivalent:(NSString *)key {
  NSMenuItem *item = [[NSMenuItem alloc] initWithTitle:title action:action keyEquivalent:key];
  if (item == nil) return nil;
  [self addItem:item];
  [item release];
  return item;
}
- (void)setSubmenu:(NSMenu *)submenu forItem:(NSMenuItem *)item {
  [item setSubmenu:submenu];
}
- (NSInteger)numberOfItems {
  return static_cast<NSInteger>(items_of(_items)->size());
}
- (NSMenuItem *)itemAtIndex:(NSInteger)index {
  return items_of(_items)->at(static_cast<std::size_t>(index));
}
- (void)dealloc {
  for (id item : *items_of(_items)) [item release];
  delete items_of(_items);
  [_title release];
  [super dealloc];
}
@end

@implementation NSApplication
+ (NSApplication *)sharedApplication {
  if (NSApp == nil) {
    standin::log_call("sharedApplication");
    NSApp = [[NSApplication alloc] init];
  }
  return NSApp;
}
- (void)setDelegate:(id)delegate {
  _delegate = delegate;
}
- (id)delegate {
  return _delegate;
}
- (void)run {
  standin::log_call("run");
  standin::platform_state &p = standin::platform();
  std::string opened;
  bool has_opened = false;
  {
    const std::lock_guard<std::mutex> hold(p.lock);
    has_opened = p.has_opened_file;
    opened = p.opened_file;
  }
  using open_file_method = BOOL (*)(id, SEL, id, id);
  SEL open_file = @selector(application:openFile:);
  if (has_opened && _delegate != nil && [_delegate respondsToSelector:open_file]) {
    IMP imp = objc_msg_lookup(_delegate, open_file);
    reinterpret_cast<open_file_method>(reinterpret_cast<void (*)()>(imp))(
        _delegate, open_file, self, [NSString stringWithUTF8String:opened.c_str()]);
  }
  SEL launched = @selector(applicationDidFinishLaunching:);
  if (_delegate != nil && [_delegate respondsToSelector:launched]) send(_delegate, launched, nil);
}
- (void)setMainMenu:(NSMenu *)menu {
  if (menu != nil) standin::log_call(std::string("setMainMenu: ") + [[menu title] UTF8String]);
  [menu retain];
  [_main_menu release];
  _main_menu = menu;
}
- (NSMenu *)mainMenu {
  return _main_menu;
}
- (void)setAppleMenu:(NSMenu *)menu {
  if (menu != nil) standin::log_call(std::string("setAppleMenu: ") + [[menu title] UTF8String]);
}
- (void)terminate:(id)sender {
  (void)sender;
  using should_terminate_method = NSApplicationTerminateReply (*)(id, SEL, id);
  SEL ask = @selector(applicationShouldTerminate:);
  NSApplicationTerminateReply reply = NSTerminateNow;
  if (_delegate != nil && [_delegate respondsToSelector:ask]) {
    IMP imp = objc_msg_lookup(_delegate, ask);
    reply = reinterpret_cast<should_terminate_method>(reinterpret_cast<void (*)()>(imp))(
        _delegate, ask, self);
  }
  standin::log_call("terminate: " + std::to_string(static_cast<int>(reply)));
  if (reply == NSTerminateNow) std::exit(0);
}
- (NSEvent *)nextEventMatchingMask:(NSUInteger)mask
                         untilDate:(NSDate *)date
                            inMode:(NSString *)mode
                           dequeue:(BOOL)dequeue {
  (void)date;
  (void)mode;
  // What other threads asked the main thread to do happens on its next look at the queue.
  standin_run_main_thread_calls();
  standin::platform_state &p = standin::platform();
  standin::queued_event found;
  {
    const std::lock_guard<std::mutex> hold(p.lock);
    // A tapped key comes back on every pass of the loop: a press and a release whenever the
    // queue has been found empty once.
    if (p.events.empty() && p.tap_key >= 0 && p.last_fetch_empty) {
      const auto code = static_cast<unsigned short>(p.tap_key);
      p.events.push_back(standin::queued_event{NSKeyDown, code, 0, "a"});
      p.events.push_back(standin::queued_event{NSKeyUp, code, 0, "a"});
    }
    auto match = p.events.begin();
    while (match != p.events.end() && (mask & NSEventMaskFromType(match->type)) == 0) ++match;
    p.last_fetch_empty = match == p.events.end();
    if (match == p.events.end()) return nil;
    found = *match;
    if (dequeue) p.events.erase(match);
  }
  return make_event(found);
}
- (void)sendEvent:(NSEvent *)event {
  standin::log_call("sendEvent: " + std::to_string([event type]));
}
@end

@implementation NSBundle (NSNibLoading)
+ (BOOL)loadNibNamed:(NSString *)name owner:(id)owner {
  standin::log_call(std::string("loadNibNamed: ") + [name UTF8String]);
  NSString *file = [[[NSBundle mainBundle] resourcePath]
      stringByAppendingPathComponent:[name stringByAppendingString:@".nib"]];
  if (![[NSFileManager defaultManager] fileExistsAtPath:file isDirectory:nullptr]) return NO;
  // The nib's menu bar: one menu titled like the nib.
  NSMenu *menu = [[NSMenu alloc] initWithTitle:name];
  if (menu == nil) return NO;
  [static_cast<NSApplication *>(owner) setMainMenu:menu];
  [menu release];
  return YES;
}
@end

@implementation NSBitmapImageRep
- (id)initWithBitmapDataPlanes:(unsigned char **)planes
                    pixelsWide:(NSInteger)width
                    pixelsHigh:(NSInteger)height
                 bitsPerSample:(NSInteger)bits_per_sample
               samplesPerPixel:(NSInteger)samples_per_pixel
                      hasAlpha:(BOOL)alpha
                      isPlanar:(BOOL)planar
                colorSpaceName:(NSString *)color_space
                   bytesPerRow:(NSInteger)bytes_per_row
                  bitsPerPixel:(NSInteger)bits_per_pixel {
  standin::log_call("NSBitmapImageRep " + std::to_string(width) + "x" + std::to_string(height) +
                    " " + std::to_string(bits_per_sample) + "/" +
                    std::to_string(samples_per_pixel) + " alpha " + std::to_string(alpha) +
                    " planar " + std::to_string(planar) + " " + [color_space UTF8String] + " " +
                    std::to_string(bytes_per_row) + " " + std::to_string(bits_per_pixel));
  _data = planes != nullptr ? planes[0] : nullptr;
  // Without planes the representation allocates its pixels and owns them, as AppKit does.
  if (_data == nullptr && width > 0 && height > 0 && bytes_per_row > 0) {
    _data = static_cast<unsigned char *>(
        std::malloc(static_cast<size_t>(bytes_per_row) * static_cast<size_t>(height)));
    if (_data == nullptr) {
      [self release];
      return nil;
    }
    // AppKit does not clear them: garbage here shows a caller that relies on zeroed memory.
    std::memset(_data, 0xA5, static_cast<size_t>(bytes_per_row) * static_cast<size_t>(height));
    _owns_data = YES;
  }
  return self;
}
- (unsigned char *)bitmapData {
  return _data;
}
- (void)dealloc {
  if (_owns_data) std::free(_data);
  [super dealloc];
}
@end

// What the scripting calls read of an image: its one representation.
@interface NSImage (StandinAccess)
- (NSBitmapImageRep *)standinRepresentation;
@end

@implementation NSImage
- (NSBitmapImageRep *)standinRepresentation {
  return _representation;
}
- (id)initWithSize:(NSSize)size {
  (void)size;
  return self;
}
- (void)addRepresentation:(NSBitmapImageRep *)representation {
  [representation retain];
  [_representation release];
  _representation = representation;
}
- (void)dealloc {
  [_representation release];
  [super dealloc];
}
@end

@implementation NSCursor
+ (NSCursor *)arrowCursor {
  static NSCursor *arrow = [[NSCursor alloc] init];
  return arrow;
}
+ (NSCursor *)IBeamCursor {
  static NSCursor *i_beam = [[NSCursor alloc] init];
  return i_beam;
}
- (id)initWithImage:(NSImage *)image hotSpot:(NSPoint)hot_spot {
  (void)hot_spot;
  _image = [image retain];
  return self;
}
- (NSImage *)image {
  return _image;
}
- (void)set {
  standin::log_call("NSCursor set");
}
- (void)dealloc {
  [_image release];
  [super dealloc];
}
@end

NSInteger NSRunAlertPanel(NSString *title, NSString *message, NSString *default_button,
                          NSString *alternate_button, NSString *other_button, ...) {
  (void)alternate_button;
  (void)other_button;
  // The message is a format whose arguments are objects (%@); %% is a percent sign.
  std::string text;
  va_list arguments;
  va_start(arguments, other_button);
  for (const char *f = [message UTF8String]; *f != 0; ++f) {
    if (f[0] == '%' && f[1] == '@') {
      NSString *argument = va_arg(arguments, NSString *);
      text += argument != nil ? [argument UTF8String] : "(null)";
      ++f;
    } else if (f[0] == '%' && f[1] == '%') {
      text += '%';
      ++f;
    } else {
      text += *f;
    }
  }
  va_end(arguments);
  standin::log_call(std::string("NSRunAlertPanel ") + [title UTF8String] + "|" + text + "|" +
                    (default_button != nil ? [default_button UTF8String] : "(nil)"));
  void (*hook)() = nullptr;
  {
    standin::platform_state &p = standin::platform();
    const std::lock_guard<std::mutex> hold(p.lock);
    hook = p.alert_hook;
  }
  if (hook != nullptr) hook();
  return 1;
}

namespace {

void describe_menu(NSMenu *menu, std::string &out) {
  out += [[menu title] UTF8String];
  out += "{";
  for (NSInteger i = 0; i < [menu numberOfItems]; ++i) {
    NSMenuItem *item = [menu itemAtIndex:i];
    if (i > 0) out += ",";
    out += [[item title] UTF8String];
    out += "[";
    out += [[item keyEquivalent] UTF8String];
    out += "/" + hex([item keyEquivalentModifierMask]) + "/";
    out += [item action] != nullptr ? sel_getName([item action]) : "";
    out += "/";
    out += [item target] != nil ? object_getClassName([item target]) : "nil";
    out += "]";
    if ([item submenu] != nil) describe_menu([item submenu], out);
  }
  out += "}";
}

}  // namespace

extern "C" {

const unsigned char *standin_cursor_pixels(void *cursor) {
  return [[[static_cast<NSCursor *>(cursor) image] standinRepresentation] bitmapData];
}

void standin_cocoa_reset(void) {
  standin::reset_warps();
  standin::platform_state &p = standin::platform();
  {
    const std::lock_guard<std::mutex> hold(p.lock);
    p.window_server = true;
    p.in_bundle = false;
    p.bundle_path.clear();
    p.has_bundle_name = false;
    p.has_process_name = false;
    p.has_opened_file = false;
    p.mode = standin::display_mode{};
    p.has_arch = true;
    p.arch_name = "ppc7450";
    p.cpu_type = 18;
    p.cpu_subtype = 11;
    p.events.clear();
    p.tap_key = -1;
    p.last_fetch_empty = false;
    p.fail_alloc_class.clear();
    p.fail_foreground_step = 0;
    p.alert_hook = nullptr;
    p.log.clear();
  }
  if (NSApp != nil) {
    [NSApp setDelegate:nil];
    [NSApp setMainMenu:nil];
  }
  standin_clear_call_log();
}

size_t standin_describe_main_menu(char *buffer, size_t size) {
  std::string text;
  if (NSApp != nil && [NSApp mainMenu] != nil) describe_menu([NSApp mainMenu], text);
  if (buffer != nullptr && size > 0) {
    const size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = 0;
  }
  return text.size();
}

}  // extern "C"
