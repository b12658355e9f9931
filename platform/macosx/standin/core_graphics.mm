// The stand-in's Core Graphics: the main display's current mode, as the dictionary Cocoa sees,
// and the palette loads it records.
#include <CoreGraphics/CoreGraphics.h>
#include <Foundation/Foundation.h>

#include <cstdio>
#include <string>

#include "standin_state.h"

namespace {

constexpr CGDirectDisplayID main_display = 0x04272f00;

}  // namespace

extern "C" {

CGDirectDisplayID CGMainDisplayID(void) { return main_display; }

CFDictionaryRef CGDisplayCurrentMode(CGDirectDisplayID display) {
  if (display != main_display) return nullptr;
  standin::display_mode mode;
  {
    standin::platform_state &p = standin::platform();
    const std::lock_guard<std::mutex> hold(p.lock);
    mode = p.mode;
  }
  if (!mode.present) return nullptr;
  // The system keeps the mode; the dictionary lives as long as the pool of the caller's thread.
  NSMutableDictionary *dictionary = [NSMutableDictionary dictionary];
  [dictionary setObject:[NSNumber numberWithInt:mode.width] forKey:@"Width"];
  [dictionary setObject:[NSNumber numberWithInt:mode.height] forKey:@"Height"];
  [dictionary setObject:[NSNumber numberWithInt:mode.bits_per_pixel] forKey:@"BitsPerPixel"];
  if (mode.refresh_rate >= 0) {
    [dictionary setObject:[NSNumber numberWithDouble:mode.refresh_rate] forKey:@"RefreshRate"];
  }
  return reinterpret_cast<CFDictionaryRef>(dictionary);
}

CGDisplayErr CGDisplaySetPalette(CGDirectDisplayID display, CGDirectPaletteRef palette) {
  char line[64];
  std::snprintf(line, sizeof line, "CGDisplaySetPalette %p", static_cast<void *>(palette));
  standin::log_call(line);
  return display == main_display && palette != nullptr ? kCGErrorSuccess : kCGErrorFailure;
}

}  // extern "C"
