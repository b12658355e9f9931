// The Mac OS X system driver 'OSX ': start-up in a window server session (signals, a foreground
// application, the system version, the blank cursor), the program's path and its bundle's
// resources, messages in an alert panel, the window title, the desktop's mode, the safe mode and
// the CPU yield.
#include <CoreServices/CoreServices.h>
#include <sys/select.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "config/path_text.h"
#include "corvane/gfx.h"
#include "corvane/text.h"
#include "corvane/timer.h"
#include "platform/macosx/macosx_cocoa.h"

// The process manager's calls that make a bare executable a foreground application; the system
// declares them in no header.
extern "C" {
typedef struct CPSProcessSerNum {
  UInt32 lo;
  UInt32 hi;
} CPSProcessSerNum;
OSErr CPSGetCurrentProcess(CPSProcessSerNum *psn);
OSErr CPSEnableForegroundOperation(CPSProcessSerNum *psn, UInt32 arg2, UInt32 arg3, UInt32 arg4,
                                   UInt32 arg5);
OSErr CPSSetFrontProcess(CPSProcessSerNum *psn);
}

namespace corvane::macosx {
namespace {

// Fixed buffers: a title, a message, and a resource path.
constexpr std::size_t TITLE_SIZE = 1024;
constexpr int MESSAGE_SIZE = 4096;
constexpr int RESOURCE_DIR_SIZE = 256;

std::mutex title_lock;
char window_title[TITLE_SIZE] = "";

// The blank cursor's image, its representation and its pixels, released with it.
NSImage *blank_image = nil;
NSBitmapImageRep *blank_representation = nil;
unsigned char *blank_pixels = nullptr;

void copy_bounded(char *buffer, std::size_t size, const char *text) noexcept {
  if (size == 0) return;
  std::size_t length = std::strlen(text);
  if (length >= size) {
    length = size - 1;
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  }
  std::memcpy(buffer, text, length);
  buffer[length] = 0;
}

void make_foreground_application() noexcept {
  CPSProcessSerNum process;
  if (CPSGetCurrentProcess(&process) == noErr &&
      CPSEnableForegroundOperation(&process, 0x03, 0x3C, 0x2C, 0x1103) == noErr &&
      CPSSetFrontProcess(&process) == noErr) {
    [NSApplication sharedApplication];
  }
}

void release_blank_cursor() noexcept {
  [blank_cursor release];
  [blank_image release];
  [blank_representation release];
  std::free(blank_pixels);
  blank_cursor = nil;
  blank_image = nil;
  blank_representation = nil;
  blank_pixels = nullptr;
}

// A 16 x 16 cursor of transparent pixels; when any part cannot be made there is no blank cursor
// and nothing of it is left.
void make_blank_cursor() noexcept {
  constexpr int side = 16;
  constexpr int bytes_per_row = side * 4;
  blank_pixels = static_cast<unsigned char *>(std::calloc(side, bytes_per_row));
  if (blank_pixels == nullptr) return;
  blank_representation = [[NSBitmapImageRep alloc] initWithBitmapDataPlanes:&blank_pixels
                                                                 pixelsWide:side
                                                                 pixelsHigh:side
                                                              bitsPerSample:8
                                                            samplesPerPixel:4
                                                                   hasAlpha:YES
                                                                   isPlanar:NO
                                                             colorSpaceName:NSDeviceRGBColorSpace
                                                                bytesPerRow:bytes_per_row
                                                               bitsPerPixel:32];
  blank_image = [[NSImage alloc] initWithSize:NSMakeSize(side, side)];
  if (blank_representation == nil || blank_image == nil) {
    release_blank_cursor();
    return;
  }
  [blank_image addRepresentation:blank_representation];
  blank_cursor = [[NSCursor alloc] initWithImage:blank_image hotSpot:NSMakePoint(0, 0)];
  if (blank_cursor == nil) release_blank_cursor();
}

// The system version from Gestalt, whose answer holds it in binary-coded decimal (0x1049 is
// 10.4.9).
void read_system_version() noexcept {
  os_type = OS_TYPE_MACX;
  SInt32 version = 0;
  if (Gestalt(gestaltSystemVersion, &version) == noErr) {
    os_version = 10 * ((version >> 12) & 0xF) + ((version >> 8) & 0xF);
    os_revision = (version >> 4) & 0xF;
  }
  os_multitasking = -1;
}

void osx_set_window_title(const char *text);

int osx_init() {
  if (!window_server_usable()) return -1;
  detect_utf8_locale();
  install_fatal_signal_handlers();
  if (!running_from_bundle()) make_foreground_application();
  read_system_version();
  make_blank_cursor();
  display_state.store(DISPLAY_NONE);
  set_switch_policy(SWITCH_BACKGROUND);

  NSAutoreleasePool *pool = [[NSAutoreleasePool alloc] init];
  char title[TITLE_SIZE];
  convert_text_into([[[NSProcessInfo processInfo] processName] cString], ENCODING_ASCII8, title,
                    ENCODING_CURRENT, static_cast<int>(sizeof title));
  osx_set_window_title(title);
  [pool release];
  return 0;
}

void osx_exit() {
  remove_fatal_signal_handlers();
  release_blank_cursor();
  current_cursor = nil;
}

void osx_get_executable_path(char *buffer, int size) {
  if (buffer == nullptr || size <= 0) return;
  NSAutoreleasePool *pool = [[NSAutoreleasePool alloc] init];
  const char *path = "./";
  if (main_bundle != nil) {
    path = [[main_bundle bundlePath] lossyCString];
  } else if (saved_argv != nullptr && saved_argv[0] != nullptr) {
    path = saved_argv[0];
  }
  convert_text_into(path, ENCODING_ASCII8, buffer, ENCODING_CURRENT, size);
  [pool release];
}

// In a bundle, its resource directory is searched first.
int osx_locate_resource(char *dest, const char *resource, int size) {
  if (main_bundle != nil && dest != nullptr && resource != nullptr) {
    NSAutoreleasePool *pool = [[NSAutoreleasePool alloc] init];
    char directory[RESOURCE_DIR_SIZE];
    convert_text_into([[main_bundle resourcePath] cString], ENCODING_ASCII8, directory,
                      ENCODING_CURRENT, RESOURCE_DIR_SIZE);
    [pool release];
    char candidate[RESOURCE_DIR_SIZE];
    text_builder path(candidate, RESOURCE_DIR_SIZE);
    path.add(directory).add_ascii("/").add(resource);
    char native[RESOURCE_DIR_SIZE * 4];
    struct stat entry {};
    if (path.ok()) {
      convert_text_into(candidate, ENCODING_CURRENT, native, get_file_name_encoding(),
                        static_cast<int>(sizeof native));
      if (stat(native, &entry) == 0 && copy_whole(dest, size, candidate)) return 0;
    }
  }
  return locate_resource_in_standard_places(dest, resource, size);
}

void osx_set_window_title(const char *text) {
  if (text == nullptr) return;
  char utf8[TITLE_SIZE];
  convert_text_into(text, ENCODING_CURRENT, utf8, ENCODING_UTF8, static_cast<int>(sizeof utf8));
  {
    const std::lock_guard<std::mutex> hold(title_lock);
    copy_bounded(window_title, sizeof window_title, utf8);
  }
  const window_hooks *hooks = installed_window_hooks();
  if (hooks != nullptr && hooks->title_changed != nullptr) hooks->title_changed(utf8);
}

int osx_set_close_callback(void (*callback)()) {
  close_callback.store(callback);
  return 0;
}

// The message goes to standard error and into an alert panel titled like the window.
void osx_show_message(const char *text) {
  if (text == nullptr) return;
  auto *ascii = static_cast<char *>(std::malloc(MESSAGE_SIZE));
  auto *utf8 = static_cast<char *>(std::malloc(MESSAGE_SIZE));
  if (ascii != nullptr && utf8 != nullptr) {
    convert_text_into(text, ENCODING_CURRENT, ascii, ENCODING_ASCII8, MESSAGE_SIZE);
    std::fputs(ascii, stderr);
    std::fflush(stderr);
    convert_text_into(text, ENCODING_CURRENT, utf8, ENCODING_UTF8, MESSAGE_SIZE);
    char title[TITLE_SIZE];
    copy_window_title(title, sizeof title);

    NSAutoreleasePool *pool = [[NSAutoreleasePool alloc] init];
    lock_event_mutex();
    modal_panel_open.store(true);
    unlock_event_mutex();
    // The text is an argument of the format, never the format: a "%" in it is shown as it is.
    NSRunAlertPanel([NSString stringWithUTF8String:title], @"%@", nil, nil, nil,
                    [NSString stringWithUTF8String:utf8]);
    lock_event_mutex();
    modal_panel_open.store(false);
    unlock_event_mutex();
    [pool release];
  }
  std::free(utf8);
  std::free(ascii);
}

int osx_set_switch_mode(int mode) { return mode == SWITCH_BACKGROUND ? 0 : -1; }

// A value of the main display's current mode; false when there is no mode or no such value.
bool current_mode_value(NSString *key, int *value) noexcept {
  NSAutoreleasePool *pool = [[NSAutoreleasePool alloc] init];
  NSNumber *number = [dictionary_of(CGDisplayCurrentMode(CGMainDisplayID())) objectForKey:key];
  const bool found = number != nil;
  if (found) *value = [number intValue];
  [pool release];
  return found;
}

// A 16-bit desktop holds 15 bits of colour (5 for each component).
int osx_get_desktop_depth() {
  int depth = 0;
  if (!current_mode_value(@"BitsPerPixel", &depth)) return -1;
  return depth == 16 ? 15 : depth;
}

int osx_get_desktop_size(int *width, int *height) {
  int w = 0;
  int h = 0;
  if (!current_mode_value(@"Width", &w) || !current_mode_value(@"Height", &h)) return -1;
  if (width != nullptr) *width = w;
  if (height != nullptr) *height = h;
  return 0;
}

void osx_get_safe_mode(int *driver_id, gfx_mode_entry *mode) {
  if (driver_id != nullptr) *driver_id = GFX_QUARTZ_WINDOW;
  if (mode != nullptr) *mode = gfx_mode_entry{.width = 320, .height = 200, .bpp = 8};
}

void osx_yield_cpu() {
  timeval no_time{};
  select(0, nullptr, nullptr, nullptr, &no_time);
}

}  // namespace

void copy_window_title(char *buffer, std::size_t size) noexcept {
  if (buffer == nullptr) return;
  const std::lock_guard<std::mutex> hold(title_lock);
  copy_bounded(buffer, size, window_title);
}

system_driver system_macosx = {
    .id = SYSTEM_MACOSX,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "MacOS X",
    .init = osx_init,
    .exit = osx_exit,
    .get_executable_path = osx_get_executable_path,
    .locate_resource_hook = osx_locate_resource,
    .set_window_title = osx_set_window_title,
    .set_close_callback = osx_set_close_callback,
    .show_message_op = osx_show_message,
    .set_switch_mode = osx_set_switch_mode,
    .get_desktop_depth = osx_get_desktop_depth,
    .get_desktop_size = osx_get_desktop_size,
    .get_safe_mode = osx_get_safe_mode,
    .yield_cpu = osx_yield_cpu,
    .mutex_create = mutex_create,
    .mutex_destroy = mutex_destroy,
    .mutex_lock = mutex_lock,
    .mutex_unlock = mutex_unlock,
};

}  // namespace corvane::macosx
