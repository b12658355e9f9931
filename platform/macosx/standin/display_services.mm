// The stand-in's Core Graphics direct display access and QuickDraw for the display drivers: the
// scripted mode list, capture and mode switches with the frame buffer of the current mode,
// palettes, transfer tables, fades, the cursor and the beam; display ports, off-screen worlds,
// CopyBits, regions and window flushes; the menu bar; and the scripting calls of
// <standin/display.h> that need no window.
#include <Carbon/Carbon.h>
#include <CoreGraphics/CoreGraphics.h>
#include <Foundation/Foundation.h>
#include <standin/cocoa.h>
#include <standin/display.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "display_world.h"
#include "standin_state.h"

// A palette of 256 colours.
struct _CGDirectPaletteRef {
  CGDeviceColor colors[256];
};

namespace standin {

display_world &display() {
  static auto *world = [] {
    auto *fresh = new display_world;
    for (const int size : {640, 800, 1024}) {
      const int height = size == 640 ? 480 : size == 800 ? 600 : 768;
      for (const int bits : {8, 16, 32}) fresh->modes.push_back(mode_entry{size, height, bits, 60});
    }
    return fresh;
  }();
  return *world;
}

bool display_step_fails(int step) {
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  if (d.fail_step != step) return false;
  d.fail_step = 0;
  return true;
}

long row_bytes_for(int width, int depth) {
  const long bits = static_cast<long>(width) * (depth == 15 ? 16 : depth);
  return ((bits + 31) / 32) * 4;
}

GrafPtr make_port(int width, int height, int depth) {
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096) return nullptr;
  if (depth != 8 && depth != 16 && depth != 32) return nullptr;
  auto *port = new OpaqueGrafPtr;
  const long row_bytes = row_bytes_for(width, depth);
  port->owned.assign(static_cast<size_t>(row_bytes * height), 0);
  port->map.baseAddr = reinterpret_cast<Ptr>(port->owned.data());
  port->map.rowBytes = static_cast<short>(row_bytes | 0x8000);
  SetRect(&port->map.bounds, 0, 0, static_cast<short>(width), static_cast<short>(height));
  port->map.pixelSize = static_cast<short>(depth);
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  ++d.live_ports;
  d.ports.push_back(port);
  return port;
}

namespace {

void forget_port(GrafPtr port) {
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  auto found = std::find(d.ports.begin(), d.ports.end(), port);
  if (found == d.ports.end()) return;
  d.ports.erase(found);
  --d.live_ports;
}

// The current mode as the program sees it.
display_mode current_mode() {
  platform_state &p = platform();
  const std::lock_guard<std::mutex> hold(p.lock);
  return p.mode;
}

// Keeps the frame buffer in step with the current mode.
void fit_frame_buffer(display_world &d) {
  const display_mode mode = current_mode();
  if (!mode.present) return;
  if (d.frame_width == mode.width && d.frame_height == mode.height &&
      d.frame_depth == mode.bits_per_pixel && !d.frame_buffer.empty()) {
    return;
  }
  d.frame_width = mode.width;
  d.frame_height = mode.height;
  d.frame_depth = mode.bits_per_pixel;
  d.frame_row_bytes = row_bytes_for(mode.width, mode.bits_per_pixel);
  d.frame_buffer.assign(static_cast<size_t>(d.frame_row_bytes * mode.height), 0);
}

NSDictionary *dictionary_of_mode(const mode_entry &mode) {
  NSMutableDictionary *dictionary = [NSMutableDictionary dictionary];
  [dictionary setObject:[NSNumber numberWithInt:mode.width] forKey:@"Width"];
  [dictionary setObject:[NSNumber numberWithInt:mode.height] forKey:@"Height"];
  [dictionary setObject:[NSNumber numberWithInt:mode.bits_per_pixel] forKey:@"BitsPerPixel"];
  if (mode.refresh_rate >= 0) {
    [dictionary setObject:[NSNumber numberWithDouble:mode.refresh_rate] forKey:@"RefreshRate"];
  }
  return dictionary;
}

// The mode nearest to the parameters: the same depth preferred, then the smallest that holds the
// size; a refresh rate of 0 matches any.
CFDictionaryRef best_mode(size_t bits, size_t width, size_t height, double rate,
                          boolean_t *exact) {
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  const mode_entry *best = nullptr;
  bool best_exact = false;
  for (const mode_entry &mode : d.modes) {
    const bool same = static_cast<size_t>(mode.width) == width &&
                      static_cast<size_t>(mode.height) == height &&
                      static_cast<size_t>(mode.bits_per_pixel) == bits &&
                      (rate <= 0 || static_cast<int>(rate) == mode.refresh_rate);
    if (same) {
      best = &mode;
      best_exact = true;
      break;
    }
    if (static_cast<size_t>(mode.width) >= width && static_cast<size_t>(mode.height) >= height &&
        (best == nullptr || mode.width * mode.height < best->width * best->height)) {
      best = &mode;
    }
  }
  if (best == nullptr && !d.modes.empty()) best = &d.modes.back();
  if (exact != nullptr) *exact = best_exact ? 1 : 0;
  if (best == nullptr) return nullptr;
  return reinterpret_cast<CFDictionaryRef>(dictionary_of_mode(*best));
}

int int_of(NSDictionary *dictionary, NSString *key) {
  return [[dictionary objectForKey:key] intValue];
}

}  // namespace

}  // namespace standin

using standin::display;
using standin::display_world;

extern "C" {

CFDictionaryRef CGDisplayBestModeForParameters(CGDirectDisplayID display_id, size_t bits,
                                               size_t width, size_t height, boolean_t *exact) {
  standin::log_call("CGDisplayBestModeForParameters " + std::to_string(bits) + " " +
                    std::to_string(width) + "x" + std::to_string(height));
  if (display_id != CGMainDisplayID()) return nullptr;
  return standin::best_mode(bits, width, height, 0, exact);
}

CFDictionaryRef CGDisplayBestModeForParametersAndRefreshRate(CGDirectDisplayID display_id,
                                                             size_t bits, size_t width,
                                                             size_t height, CGRefreshRate refresh,
                                                             boolean_t *exact) {
  standin::log_call("CGDisplayBestModeForParametersAndRefreshRate " + std::to_string(bits) + " " +
                    std::to_string(width) + "x" + std::to_string(height) + " " +
                    std::to_string(static_cast<int>(refresh)));
  if (display_id != CGMainDisplayID()) return nullptr;
  return standin::best_mode(bits, width, height, refresh, exact);
}

CFArrayRef CGDisplayAvailableModes(CGDirectDisplayID display_id) {
  if (display_id != CGMainDisplayID()) return nullptr;
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  std::vector<id> dictionaries;
  for (const standin::mode_entry &mode : d.modes) {
    dictionaries.push_back(standin::dictionary_of_mode(mode));
  }
  return reinterpret_cast<CFArrayRef>([NSArray arrayWithObjects:dictionaries.data()
                                                          count:dictionaries.size()]);
}

CGDisplayErr CGDisplayCapture(CGDirectDisplayID display_id) {
  standin::log_call("CGDisplayCapture");
  if (display_id != CGMainDisplayID() || standin::display_step_fails(STANDIN_FAIL_CAPTURE)) {
    return kCGErrorFailure;
  }
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  d.captured = true;
  return kCGErrorSuccess;
}

CGDisplayErr CGDisplayRelease(CGDirectDisplayID display_id) {
  standin::log_call("CGDisplayRelease");
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  if (display_id != CGMainDisplayID() || !d.captured) return kCGErrorFailure;
  d.captured = false;
  return kCGErrorSuccess;
}

CGDisplayErr CGDisplaySwitchToMode(CGDirectDisplayID display_id, CFDictionaryRef mode) {
  auto *dictionary = reinterpret_cast<NSDictionary *>(const_cast<__CFDictionary *>(mode));
  const int width = standin::int_of(dictionary, @"Width");
  const int height = standin::int_of(dictionary, @"Height");
  const int bits = standin::int_of(dictionary, @"BitsPerPixel");
  id rate_object = [dictionary objectForKey:@"RefreshRate"];
  standin::log_call("CGDisplaySwitchToMode " + std::to_string(width) + "x" +
                    std::to_string(height) + "x" + std::to_string(bits));
  if (display_id != CGMainDisplayID() || mode == nullptr ||
      standin::display_step_fails(STANDIN_FAIL_SWITCH)) {
    return kCGErrorFailure;
  }
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  if (!d.captured) return kCGErrorFailure;
  standin_set_display_mode(width, height, bits, rate_object != nil ? [rate_object intValue] : -1);
  standin::fit_frame_buffer(d);
  return kCGErrorSuccess;
}

void *CGDisplayBaseAddress(CGDirectDisplayID display_id) {
  if (display_id != CGMainDisplayID()) return nullptr;
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  standin::fit_frame_buffer(d);
  return d.frame_buffer.empty() ? nullptr : d.frame_buffer.data();
}

size_t CGDisplayBytesPerRow(CGDirectDisplayID display_id) {
  if (display_id != CGMainDisplayID()) return 0;
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  standin::fit_frame_buffer(d);
  return static_cast<size_t>(d.frame_row_bytes);
}

size_t CGDisplayPixelsWide(CGDirectDisplayID display_id) {
  if (display_id != CGMainDisplayID()) return 0;
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  standin::fit_frame_buffer(d);
  return static_cast<size_t>(d.frame_width);
}

size_t CGDisplayPixelsHigh(CGDirectDisplayID display_id) {
  if (display_id != CGMainDisplayID()) return 0;
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  standin::fit_frame_buffer(d);
  return static_cast<size_t>(d.frame_height);
}

boolean_t CGDisplayCanSetPalette(CGDirectDisplayID display_id) {
  if (display_id != CGMainDisplayID()) return 0;
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  if (d.can_set_palette >= 0) return d.can_set_palette;
  return standin::current_mode().bits_per_pixel == 8 ? 1 : 0;
}

CGDirectPaletteRef CGPaletteCreateDefaultColorPalette(void) {
  auto *palette = new _CGDirectPaletteRef;
  for (int i = 0; i < 256; ++i) {
    const float level = static_cast<float>(i) / 255.0F;
    palette->colors[i] = CGDeviceColor{level, level, level};
  }
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  ++d.live_palettes;
  return palette;
}

void CGPaletteSetColorAtIndex(CGDirectPaletteRef palette, CGDeviceColor color, CGTableCount index) {
  if (palette != nullptr && index < 256) palette->colors[index] = color;
}

void CGPaletteRelease(CGDirectPaletteRef palette) {
  if (palette == nullptr) return;
  delete palette;
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  --d.live_palettes;
}

CGDisplayErr CGGetDisplayTransferByTable(CGDirectDisplayID display_id, CGTableCount capacity,
                                         CGGammaValue *red, CGGammaValue *green,
                                         CGGammaValue *blue, CGTableCount *sample_count) {
  if (display_id != CGMainDisplayID()) return kCGErrorFailure;
  const CGTableCount count = capacity < 256 ? capacity : 256;
  for (CGTableCount i = 0; i < count; ++i) {
    const float level = static_cast<float>(i) / 255.0F;
    if (red != nullptr) red[i] = level;
    if (green != nullptr) green[i] = level;
    if (blue != nullptr) blue[i] = level;
  }
  if (sample_count != nullptr) *sample_count = count;
  return kCGErrorSuccess;
}

CGDisplayErr CGSetDisplayTransferByTable(CGDirectDisplayID display_id, CGTableCount size,
                                         const CGGammaValue *red, const CGGammaValue *green,
                                         const CGGammaValue *blue) {
  (void)size;
  (void)red;
  (void)green;
  (void)blue;
  standin::log_call("CGSetDisplayTransferByTable");
  if (display_id != CGMainDisplayID()) return kCGErrorFailure;
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  d.colorsync_loaded = false;
  return kCGErrorSuccess;
}

void CGDisplayRestoreColorSyncSettings(void) {
  standin::log_call("CGDisplayRestoreColorSyncSettings");
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  d.colorsync_loaded = true;
}

CGError CGAcquireDisplayFadeReservation(CGDisplayReservationInterval seconds,
                                        CGDisplayFadeReservationToken *token) {
  (void)seconds;
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  ++d.fade_reservations;
  if (token != nullptr) *token = static_cast<CGDisplayFadeReservationToken>(d.fade_reservations);
  return kCGErrorSuccess;
}

CGError CGDisplayFade(CGDisplayFadeReservationToken token, CGDisplayFadeInterval seconds,
                      CGDisplayBlendFraction start, CGDisplayBlendFraction end, float red,
                      float green, float blue, boolean_t synchronous) {
  (void)seconds;
  (void)red;
  (void)green;
  (void)blue;
  (void)synchronous;
  standin::log_call(std::string("CGDisplayFade ") + (end > start ? "out" : "in"));
  return token != kCGDisplayFadeReservationInvalidToken ? kCGErrorSuccess : kCGErrorFailure;
}

CGError CGReleaseDisplayFadeReservation(CGDisplayFadeReservationToken token) {
  if (token == kCGDisplayFadeReservationInvalidToken) return kCGErrorFailure;
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  --d.fade_reservations;
  return kCGErrorSuccess;
}

CGDisplayErr CGDisplayHideCursor(CGDirectDisplayID display_id) {
  (void)display_id;
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  ++d.cursor_hides;
  return kCGErrorSuccess;
}

CGDisplayErr CGDisplayShowCursor(CGDirectDisplayID display_id) {
  (void)display_id;
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  if (d.cursor_hides > 0) --d.cursor_hides;
  return kCGErrorSuccess;
}

CGDisplayErr CGDisplayWaitForBeamPositionOutsideLines(CGDirectDisplayID display_id,
                                                      CGBeamPosition upper, CGBeamPosition lower) {
  (void)upper;
  (void)lower;
  if (display_id != CGMainDisplayID()) return kCGErrorFailure;
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  ++d.beam_waits;
  return kCGErrorSuccess;
}

void HideMenuBar(void) {
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  d.menu_bar_visible = false;
}

void ShowMenuBar(void) {
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  d.menu_bar_visible = true;
}

void SetRect(Rect *rect, short left, short top, short right, short bottom) {
  rect->left = left;
  rect->top = top;
  rect->right = right;
  rect->bottom = bottom;
}

CGrafPtr CreateNewPortForCGDisplayID(UInt32 display_id) {
  if (display_id != CGMainDisplayID() || standin::display_step_fails(STANDIN_FAIL_DISPLAY_PORT)) {
    return nullptr;
  }
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  standin::fit_frame_buffer(d);
  if (d.frame_buffer.empty()) return nullptr;
  auto *port = new OpaqueGrafPtr;
  port->map.baseAddr = reinterpret_cast<Ptr>(d.frame_buffer.data());
  port->map.rowBytes = static_cast<short>(d.frame_row_bytes | 0x8000);
  SetRect(&port->map.bounds, 0, 0, static_cast<short>(d.frame_width),
          static_cast<short>(d.frame_height));
  port->map.pixelSize = static_cast<short>(d.frame_depth);
  ++d.live_ports;
  d.ports.push_back(port);
  return port;
}

void DisposePort(CGrafPtr port) {
  if (port == nullptr) return;
  standin::forget_port(port);
  delete port;
}

QDErr NewGWorld(GWorldPtr *world, short pixel_depth, const Rect *bounds, CTabHandle colors,
                GDHandle device, GWorldFlags flags) {
  (void)colors;
  (void)device;
  standin::log_call("NewGWorld " + std::to_string(pixel_depth) + " flags " +
                    std::to_string(flags));
  if (world == nullptr || bounds == nullptr) return paramErr;
  *world = nullptr;
  if (standin::display_step_fails(STANDIN_FAIL_GWORLD)) return memFullErr;
  GrafPtr port = standin::make_port(bounds->right - bounds->left, bounds->bottom - bounds->top,
                                    pixel_depth);
  if (port == nullptr) return memFullErr;
  *world = port;
  return noErr;
}

void DisposeGWorld(GWorldPtr world) { DisposePort(world); }

OSErr LockPortBits(GrafPtr port) {
  if (port == nullptr) return paramErr;
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  ++port->locks;
  return noErr;
}

OSErr UnlockPortBits(GrafPtr port) {
  if (port == nullptr || port->locks == 0) return paramErr;
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  --port->locks;
  return noErr;
}

Boolean QDDone(GrafPtr port) {
  (void)port;
  return 1;
}

PixMapHandle GetPortPixMap(CGrafPtr port) { return port != nullptr ? &port->map_pointer : nullptr; }

Ptr GetPixBaseAddr(PixMapHandle pixels) { return pixels != nullptr ? (*pixels)->baseAddr : nullptr; }

long GetPixRowBytes(PixMapHandle pixels) {
  return pixels != nullptr ? ((*pixels)->rowBytes & 0x3FFF) : 0;
}

const BitMap *GetPortBitMapForCopyBits(CGrafPtr port) {
  return port != nullptr ? reinterpret_cast<const BitMap *>(&port->map) : nullptr;
}

void CopyBits(const BitMap *source, const BitMap *dest, const Rect *source_rect,
              const Rect *dest_rect, short mode, RgnHandle mask) {
  (void)mode;
  (void)mask;
  if (source == nullptr || dest == nullptr || source_rect == nullptr || dest_rect == nullptr) {
    return;
  }
  const auto *source_map = reinterpret_cast<const PixMap *>(source);
  const auto *dest_map = reinterpret_cast<const PixMap *>(dest);
  if (source_map->pixelSize != dest_map->pixelSize) return;
  const int bytes = source_map->pixelSize == 15 ? 2 : source_map->pixelSize / 8;
  const int width = source_rect->right - source_rect->left;
  const int height = source_rect->bottom - source_rect->top;
  if (width <= 0 || height <= 0 || dest_rect->right - dest_rect->left != width ||
      dest_rect->bottom - dest_rect->top != height) {
    return;
  }
  standin::log_call("CopyBits " + std::to_string(width) + "x" + std::to_string(height));
  const long source_stride = source_map->rowBytes & 0x3FFF;
  const long dest_stride = dest_map->rowBytes & 0x3FFF;
  auto row_of = [&](const PixMap *map, long stride, int x, int y) {
    return reinterpret_cast<unsigned char *>(map->baseAddr) + (y - map->bounds.top) * stride +
           static_cast<long>(x - map->bounds.left) * bytes;
  };
  // Rows go bottom up when the destination lies lower in the same map.
  const bool upward = source_map->baseAddr == dest_map->baseAddr && dest_rect->top > source_rect->top;
  for (int i = 0; i < height; ++i) {
    const int row = upward ? height - 1 - i : i;
    std::memmove(row_of(dest_map, dest_stride, dest_rect->left, dest_rect->top + row),
                 row_of(source_map, source_stride, source_rect->left, source_rect->top + row),
                 static_cast<size_t>(width) * bytes);
  }
}

RgnHandle NewRgn(void) {
  if (standin::display_step_fails(STANDIN_FAIL_REGION)) return nullptr;
  auto **handle = new RgnPtr;
  *handle = new MacRegion{};
  (*handle)->rgnSize = sizeof(MacRegion);
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  ++d.live_regions;
  return handle;
}

void DisposeRgn(RgnHandle region) {
  if (region == nullptr) return;
  delete *region;
  delete region;
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  --d.live_regions;
}

void RectRgn(RgnHandle region, const Rect *rect) {
  if (region != nullptr && rect != nullptr) (*region)->rgnBBox = *rect;
}

void SetEmptyRgn(RgnHandle region) {
  if (region != nullptr) (*region)->rgnBBox = Rect{};
}

void UnionRgn(RgnHandle a, RgnHandle b, RgnHandle result) {
  if (a == nullptr || b == nullptr || result == nullptr) return;
  const Rect &ra = (*a)->rgnBBox;
  const Rect &rb = (*b)->rgnBBox;
  const bool a_empty = ra.right <= ra.left || ra.bottom <= ra.top;
  const bool b_empty = rb.right <= rb.left || rb.bottom <= rb.top;
  if (a_empty) {
    (*result)->rgnBBox = rb;
  } else if (b_empty) {
    (*result)->rgnBBox = ra;
  } else {
    (*result)->rgnBBox = Rect{std::min(ra.top, rb.top), std::min(ra.left, rb.left),
                              std::max(ra.bottom, rb.bottom), std::max(ra.right, rb.right)};
  }
}

void QDFlushPortBuffer(CGrafPtr port, RgnHandle region) {
  if (port == nullptr) return;
  {
    display_world &d = display();
    const std::lock_guard<std::recursive_mutex> hold(d.lock);
    ++d.flushes;
    d.last_flush = region != nullptr ? (*region)->rgnBBox : port->map.bounds;
  }
  if (port->window) standin::window_port_flushed(port);
}

}  // extern "C"

namespace standin {

void window_port_flushed(GrafPtr port) {
  const PixMap &map = port->map;
  const int width = map.bounds.right - map.bounds.left;
  const int height = map.bounds.bottom - map.bounds.top;
  const long stride = map.rowBytes & 0x3FFF;
  const int bytes = map.pixelSize / 8;
  const auto *pixels = reinterpret_cast<const unsigned char *>(map.baseAddr);
  if (const char *path = std::getenv("CORVANE_STANDIN_WINDOW_DUMP"); path != nullptr && *path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << width << ' ' << height << ' ' << map.pixelSize << ' ' << stride << '\n';
    out.write(reinterpret_cast<const char *>(pixels), stride * height);
  }
  const char *key = std::getenv("CORVANE_STANDIN_KEY_AFTER_INK");
  if (key == nullptr || *key == 0) return;
  display_world &d = display();
  {
    const std::lock_guard<std::recursive_mutex> hold(d.lock);
    if (d.ink_key_sent) return;
  }
  bool ink = false;
  for (int y = 0; y < height && !ink; ++y) {
    const unsigned char *row = pixels + y * stride;
    for (int x = 1; x < width && !ink; ++x) {
      ink = std::memcmp(row, row + static_cast<long>(x) * bytes, static_cast<size_t>(bytes)) != 0;
    }
  }
  if (!ink) return;
  {
    const std::lock_guard<std::recursive_mutex> hold(d.lock);
    d.ink_key_sent = true;
  }
  const auto code = static_cast<unsigned short>(std::strtol(key, nullptr, 0));
  standin_post_key(1, code, "a", 0);
  standin_post_key(0, code, "a", 0);
}

}  // namespace standin

extern "C" {

void standin_display_reset(void) {
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  d.modes.clear();
  for (const int size : {640, 800, 1024}) {
    const int height = size == 640 ? 480 : size == 800 ? 600 : 768;
    for (const int bits : {8, 16, 32}) d.modes.push_back(standin::mode_entry{size, height, bits, 60});
  }
  d.fail_step = 0;
  d.can_set_palette = -1;
  d.captured = false;
  d.menu_bar_visible = true;
  d.cursor_hides = 0;
  d.colorsync_loaded = true;
  d.fade_reservations = 0;
  d.beam_waits = 0;
  d.flushes = 0;
  d.last_flush = Rect{};
  d.ink_key_sent = false;
  d.frame_buffer.clear();
  d.frame_width = d.frame_height = d.frame_depth = 0;
}

void standin_set_available_modes(const int *modes, int count) {
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  d.modes.clear();
  for (int i = 0; i < count; ++i) {
    d.modes.push_back(
        standin::mode_entry{modes[4 * i], modes[4 * i + 1], modes[4 * i + 2], modes[4 * i + 3]});
  }
}

void standin_fail_display_step(int step) {
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  d.fail_step = step;
}

void standin_set_can_set_palette(int answer) {
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  d.can_set_palette = answer;
}

#define STANDIN_READ(name, expression)                                  \
  int name(void) {                                                      \
    display_world &d = display();                                       \
    const std::lock_guard<std::recursive_mutex> hold(d.lock);           \
    return (expression);                                                \
  }
STANDIN_READ(standin_display_captured, d.captured ? 1 : 0)
STANDIN_READ(standin_menu_bar_visible, d.menu_bar_visible ? 1 : 0)
STANDIN_READ(standin_cursor_hide_count, d.cursor_hides)
STANDIN_READ(standin_display_colorsync_loaded, d.colorsync_loaded ? 1 : 0)
STANDIN_READ(standin_fade_reservations, d.fade_reservations)
STANDIN_READ(standin_beam_waits, d.beam_waits)
STANDIN_READ(standin_live_ports, d.live_ports)
STANDIN_READ(standin_live_regions, d.live_regions)
STANDIN_READ(standin_live_palettes, d.live_palettes)
STANDIN_READ(standin_window_flushes, d.flushes)
#undef STANDIN_READ

int standin_locked_ports(void) {
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  int locked = 0;
  for (GrafPtr port : d.ports) locked += port->locks > 0 ? 1 : 0;
  return locked;
}

int standin_palette_color(const void *palette, int index, float *rgb) {
  if (palette == nullptr || index < 0 || index > 255 || rgb == nullptr) return 0;
  const CGDeviceColor &color = static_cast<const _CGDirectPaletteRef *>(palette)->colors[index];
  rgb[0] = color.red;
  rgb[1] = color.green;
  rgb[2] = color.blue;
  return 1;
}

const void *standin_display_pixels(long *row_bytes, int *depth) {
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  if (row_bytes != nullptr) *row_bytes = d.frame_row_bytes;
  if (depth != nullptr) *depth = d.frame_depth;
  return d.frame_buffer.empty() ? nullptr : d.frame_buffer.data();
}

void standin_last_flush_bounds(int *left, int *top, int *right, int *bottom) {
  display_world &d = display();
  const std::lock_guard<std::recursive_mutex> hold(d.lock);
  if (left != nullptr) *left = d.last_flush.left;
  if (top != nullptr) *top = d.last_flush.top;
  if (right != nullptr) *right = d.last_flush.right;
  if (bottom != nullptr) *bottom = d.last_flush.bottom;
}

}  // extern "C"
