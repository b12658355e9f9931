// The full-screen display driver 'QZFL': the main display is captured and switched to the mode
// asked for, and the screen bitmap wraps its frame buffer. Video and system bitmaps are off-screen
// QuickDraw worlds; an 8-bit palette reaches the display through the event loop. Every failure
// after the display was faded gives it back as it was: mode, capture, menu bar, cursor and
// colours.
#include <Carbon/Carbon.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/internal.h"
#include "corvane/color.h"
#include "corvane/keyboard.h"
#include "corvane/system.h"
#include "gfx/bitmap_internal.h"
#include "platform/macosx/macosx_cocoa.h"
#include "platform/macosx/osx_keyboard.h"
#include "platform/macosx/quartz_display.h"
#include "platform/macosx/quartz_rows.h"

namespace corvane::macosx {
namespace {

// Seconds of the fades around a switch.
constexpr float fade_seconds = 0.3F;

struct fullscreen_display {
  CFDictionaryRef saved_mode = nullptr;  // retained
  CGGammaValue saved_gamma[3][256] = {};
  CGTableCount saved_gamma_count = 0;
  CGDisplayFadeReservationToken fade = kCGDisplayFadeReservationInvalidToken;
  bool faded = false;
  bool captured = false;
  bool cursor_hidden = false;
  bool menu_bar_hidden = false;
  CGrafPtr port = nullptr;
  bitmap *screen = nullptr;
  int depth = 0;
  // The off-screen worlds of the video and system bitmaps still alive.
  std::vector<GWorldPtr> worlds;
  char description[256] = {};
};

fullscreen_display state;
int asked_refresh_rate = 0;

NSDictionary *as_dictionary(CFDictionaryRef mode) { return dictionary_of(mode); }

void fade_out() noexcept {
  if (state.fade == kCGDisplayFadeReservationInvalidToken &&
      CGAcquireDisplayFadeReservation(kCGMaxDisplayReservationInterval, &state.fade) != 0) {
    state.fade = kCGDisplayFadeReservationInvalidToken;
    return;
  }
  CGDisplayFade(state.fade, fade_seconds, kCGDisplayBlendNormal, kCGDisplayBlendSolidColor, 0, 0, 0,
                1);
  state.faded = true;
}

void fade_in() noexcept {
  if (state.fade == kCGDisplayFadeReservationInvalidToken) return;
  if (state.faded) {
    CGDisplayFade(state.fade, fade_seconds, kCGDisplayBlendSolidColor, kCGDisplayBlendNormal, 0, 0,
                  0, 1);
  }
  state.faded = false;
  CGReleaseDisplayFadeReservation(state.fade);
  state.fade = kCGDisplayFadeReservationInvalidToken;
}

void fullscreen_exit(bitmap *screen) noexcept;

// Fails init with the message: once the display was touched, exit gives it back.
bitmap *fail_init(const char *message) noexcept {
  set_error_text(message);
  fullscreen_exit(nullptr);
  unlock_event_mutex();
  return nullptr;
}

// Blits within the display go through QuickDraw, which copies overlapping areas correctly.
void fullscreen_blit_to_self(bitmap *source, bitmap *dest, int source_x, int source_y, int dest_x,
                             int dest_y, int width, int height) noexcept {
  if (state.port == nullptr || width <= 0 || height <= 0) return;
  Rect from;
  Rect to;
  const int sx = source_x + source->x_offset;
  const int sy = source_y + source->y_offset;
  const int dx = dest_x + dest->x_offset;
  const int dy = dest_y + dest->y_offset;
  SetRect(&from, static_cast<short>(sx), static_cast<short>(sy), static_cast<short>(sx + width),
          static_cast<short>(sy + height));
  SetRect(&to, static_cast<short>(dx), static_cast<short>(dy), static_cast<short>(dx + width),
          static_cast<short>(dy + height));
  const BitMap *map = GetPortBitMapForCopyBits(state.port);
  while (!QDDone(state.port)) {
  }
  LockPortBits(state.port);
  CopyBits(map, map, &from, &to, srcCopy, nullptr);
  UnlockPortBits(state.port);
}

// A sub-bitmap of the screen lies on the display's port like its parent.
void fullscreen_subbitmap_created(bitmap *sub, bitmap *parent) noexcept {
  sub->driver_data = parent->driver_data;
}

bitmap *fullscreen_init(int width, int height, int virtual_width, int virtual_height,
                        int depth) noexcept {
  lock_event_mutex();
  if (depth != 8 && depth != 15 && depth != 32) {
    set_error_text("Unsupported color depth");
    unlock_event_mutex();
    return nullptr;
  }
  if (!settle_mode_size(&width, &height, virtual_width, virtual_height)) {
    unlock_event_mutex();
    return nullptr;
  }
  const size_t bits = depth == 15 ? 16 : static_cast<size_t>(depth);
  const CGDirectDisplayID display = CGMainDisplayID();

  NSAutoreleasePool *pool = [[NSAutoreleasePool alloc] init];
  boolean_t exact = 0;
  CFDictionaryRef mode = nullptr;
  if (asked_refresh_rate > 0) {
    mode = CGDisplayBestModeForParametersAndRefreshRate(
        display, bits, static_cast<size_t>(width), static_cast<size_t>(height),
        asked_refresh_rate, &exact);
  }
  if (mode == nullptr || exact == 0) {
    mode = CGDisplayBestModeForParameters(display, bits, static_cast<size_t>(width),
                                          static_cast<size_t>(height), &exact);
  }
  if (mode == nullptr || exact == 0) {
    [pool release];
    set_error_text("Resolution not supported");
    unlock_event_mutex();
    return nullptr;
  }

  CGGetDisplayTransferByTable(display, 256, state.saved_gamma[0], state.saved_gamma[1],
                              state.saved_gamma[2], &state.saved_gamma_count);
  state.saved_mode = reinterpret_cast<CFDictionaryRef>(
      [as_dictionary(CGDisplayCurrentMode(display)) retain]);
  fade_out();
  if (CGDisplayCapture(display) != kCGErrorSuccess) {
    [pool release];
    return fail_init("Cannot capture main display");
  }
  state.captured = true;
  if (CGDisplaySwitchToMode(display, mode) != kCGErrorSuccess) {
    [pool release];
    return fail_init("Cannot switch main display mode");
  }
  HideMenuBar();
  state.menu_bar_hidden = true;
  CGDisplayRestoreColorSyncSettings();
  // Restoring the ColorSync tables has brought the picture back.
  state.faded = false;
  fade_in();

  set_refresh_rate_info([[as_dictionary(mode) objectForKey:@"RefreshRate"] intValue]);
  [pool release];
  if (CGDisplayCanSetPalette(display)) {
    hardware_palette.store(CGPaletteCreateDefaultColorPalette());
  }

  // The palette is not leaked: hardware_palette keeps it until exit releases it.
  // NOLINTNEXTLINE(clang-analyzer-osx.cocoa.RetainCount)
  use_mac_pixel_layout();
  state.depth = depth;
  state.screen = make_screen_bitmap(width, height, CGDisplayBaseAddress(display),
                                    &quartz_fullscreen_driver, depth,
                                    static_cast<int>(CGDisplayBytesPerRow(display)));
  if (state.screen == nullptr) return fail_init("Not enough memory");
  state.port = CreateNewPortForCGDisplayID(display);
  if (state.port == nullptr) {
    bitmap *screen = state.screen;
    state.screen = nullptr;
    destroy_bitmap(screen);
    return fail_init("Cannot create DirectDisplay port");
  }
  state.screen->driver_data = state.port;

  quartz_fullscreen_driver.width = width;
  quartz_fullscreen_driver.height = height;
  quartz_fullscreen_driver.video_memory = bytes_per_pixel_of_depth(depth) * width * height;
  draw_vtable *vtable = state.screen->vtable;
  vtable->subbitmap_created_hook = fullscreen_subbitmap_created;
  if (depth != 8) vtable->blit_to_self_forward = fullscreen_blit_to_self;
  char ascii[64];
  std::snprintf(ascii, sizeof ascii, "CoreGraphics DirectDisplay access, %d bpp", depth);
  const char *text = literal(ascii, state.description, static_cast<int>(sizeof state.description));
  if (text != state.description) {
    std::snprintf(state.description, sizeof state.description, "%s", text);
  }
  quartz_fullscreen_driver.description = state.description;

  osx_release_all_keys(0, 0);
  clear_key_buffer();
  // The whole display is the screen bitmap: it takes the pointer from its top-left corner on.
  pointer_area_left.store(0);
  pointer_area_top.store(0);
  pointer_area_height.store(height);
  window_takes_pointer.store(true);
  display_state.store(DISPLAY_FULLSCREEN);
  const bool hardware_cursor = depth != 8;
  quartz_fullscreen_driver.set_cursor_image = hardware_cursor ? quartz_set_cursor_image : nullptr;
  quartz_fullscreen_driver.show_cursor = hardware_cursor ? quartz_show_cursor : nullptr;
  quartz_fullscreen_driver.hide_cursor = hardware_cursor ? quartz_hide_cursor : nullptr;
  quartz_fullscreen_driver.move_cursor = hardware_cursor ? quartz_move_cursor : nullptr;
  CGDisplayHideCursor(display);
  state.cursor_hidden = true;
  unlock_event_mutex();
  return state.screen;
}

void fullscreen_exit(bitmap *screen) noexcept {
  (void)screen;
  lock_event_mutex();
  window_takes_pointer.store(false);
  const CGDirectDisplayID display = CGMainDisplayID();
  if (state.port != nullptr) DisposePort(state.port);
  state.port = nullptr;
  for (GWorldPtr world : state.worlds) DisposeGWorld(world);
  state.worlds.clear();
  state.screen = nullptr;
  if (CGDirectPaletteRef palette = hardware_palette.exchange(nullptr)) CGPaletteRelease(palette);
  palette_dirty.store(false);
  if (state.captured) {
    fade_out();
    if (state.saved_mode != nullptr) CGDisplaySwitchToMode(display, state.saved_mode);
    CGDisplayRelease(display);
    state.captured = false;
  }
  if (state.menu_bar_hidden) ShowMenuBar();
  state.menu_bar_hidden = false;
  if (state.cursor_hidden) CGDisplayShowCursor(display);
  state.cursor_hidden = false;
  fade_in();
  CGDisplayRestoreColorSyncSettings();
  [reinterpret_cast<NSDictionary *>(const_cast<__CFDictionary *>(state.saved_mode)) release];
  state.saved_mode = nullptr;
  release_cursor_image();
  display_state.store(DISPLAY_NONE);
  unlock_event_mutex();
}

void fullscreen_wait_retrace() noexcept {
  CGDisplayWaitForBeamPositionOutsideLines(CGMainDisplayID(), 0,
                                           static_cast<CGBeamPosition>(quartz_fullscreen_driver.height));
}

void fullscreen_write_palette(const rgb_entry *palette, int from, int to, int retrace) noexcept {
  (void)retrace;
  if (palette == nullptr || from < 0 || to > PALETTE_SIZE - 1 || from > to) return;
  if (!CGDisplayCanSetPalette(CGMainDisplayID())) return;
  lock_event_mutex();
  if (CGDirectPaletteRef hardware = hardware_palette.load()) {
    for (int i = from; i <= to; ++i) {
      const CGDeviceColor color = {static_cast<float>(palette[i].r) / 63.0F,
                                   static_cast<float>(palette[i].g) / 63.0F,
                                   static_cast<float>(palette[i].b) / 63.0F};
      CGPaletteSetColorAtIndex(hardware, color, static_cast<CGTableCount>(i));
    }
    palette_dirty.store(true);
  }
  unlock_event_mutex();
}

// Wraps a new off-screen world of the screen's depth as a bitmap of the given kind.
bitmap *make_world_bitmap(int width, int height, GWorldFlags flags, uint32_t kind) noexcept {
  if (width <= 0 || height <= 0 || width > SHRT_MAX || height > SHRT_MAX || state.depth == 0) {
    return nullptr;
  }
  Rect bounds;
  SetRect(&bounds, 0, 0, static_cast<short>(width), static_cast<short>(height));
  GWorldPtr world = nullptr;
  const short bits = static_cast<short>(state.depth == 15 ? 16 : state.depth);
  if (NewGWorld(&world, bits, &bounds, nullptr, nullptr, flags) != noErr || world == nullptr) {
    return nullptr;
  }
  bitmap *bmp = allocate_bitmap_record(height);
  if (bmp == nullptr) {
    DisposeGWorld(world);
    return nullptr;
  }
  LockPortBits(world);
  PixMapHandle map = GetPortPixMap(world);
  auto *base = reinterpret_cast<unsigned char *>(GetPixBaseAddr(map));
  const long row_bytes = GetPixRowBytes(map);
  bmp->width = width;
  bmp->height = height;
  bmp->clipping = -1;
  bmp->clip_right = width;
  bmp->clip_bottom = height;
  bmp->vtable = find_vtable(state.depth);
  bmp->write_line = default_line_accessor;
  bmp->read_line = default_line_accessor;
  bmp->flags = kind;
  bmp->driver_data = world;
  for (int row = 0; row < height; ++row) bmp->lines[row] = base + row * row_bytes;
  state.worlds.push_back(world);
  return bmp;
}

void free_world_bitmap(bitmap *bmp) noexcept {
  if (bmp == nullptr) return;
  auto world = static_cast<GWorldPtr>(bmp->driver_data);
  for (auto it = state.worlds.begin(); it != state.worlds.end(); ++it) {
    if (*it != world) continue;
    state.worlds.erase(it);
    UnlockPortBits(world);
    DisposeGWorld(world);
    break;
  }
  std::free(bmp);
}

bitmap *fullscreen_make_video_bitmap(int width, int height) noexcept {
  return make_world_bitmap(width, height, useDistantHdwrMem, BITMAP_FLAG_VIDEO);
}

bitmap *fullscreen_make_system_bitmap(int width, int height) noexcept {
  return make_world_bitmap(width, height, useLocalHdwrMem, BITMAP_FLAG_SYSTEM);
}

int fullscreen_show_video_bitmap(bitmap *bmp) noexcept {
  if (bmp == nullptr || state.port == nullptr || bmp->driver_data == nullptr) return -1;
  auto world = static_cast<GWorldPtr>(bmp->driver_data);
  if (wait_for_retrace != 0) fullscreen_wait_retrace();
  Rect from;
  Rect to;
  const int width = std::min(bmp->width, quartz_fullscreen_driver.width);
  const int height = std::min(bmp->height, quartz_fullscreen_driver.height);
  SetRect(&from, 0, 0, static_cast<short>(width), static_cast<short>(height));
  to = from;
  while (!QDDone(state.port)) {
  }
  if (LockPortBits(state.port) != noErr) return -1;
  CopyBits(GetPortBitMapForCopyBits(world), GetPortBitMapForCopyBits(state.port), &from, &to,
           srcCopy, nullptr);
  UnlockPortBits(state.port);
  return 0;
}

gfx_mode_list *fullscreen_list_modes() noexcept {
  NSAutoreleasePool *pool = [[NSAutoreleasePool alloc] init];
  auto *modes = reinterpret_cast<NSArray *>(
      const_cast<__CFArray *>(CGDisplayAvailableModes(CGMainDisplayID())));
  const NSUInteger count = modes != nil ? [modes count] : 0;
  auto *list = static_cast<gfx_mode_list *>(std::malloc(sizeof(gfx_mode_list)));
  auto *entries = static_cast<gfx_mode_entry *>(
      std::malloc(sizeof(gfx_mode_entry) * (count > 0 ? count : 1)));
  if (list == nullptr || entries == nullptr) {
    std::free(list);
    std::free(entries);
    [pool release];
    return nullptr;
  }
  for (NSUInteger i = 0; i < count; ++i) {
    NSDictionary *mode = [modes objectAtIndex:i];
    entries[i] = gfx_mode_entry{.width = [[mode objectForKey:@"Width"] intValue],
                                .height = [[mode objectForKey:@"Height"] intValue],
                                .bpp = [[mode objectForKey:@"BitsPerPixel"] intValue]};
  }
  list->count = static_cast<int>(count);
  list->modes = entries;
  [pool release];
  return list;
}

}  // namespace

gfx_driver quartz_fullscreen_driver = {
    .id = GFX_QUARTZ_FULLSCREEN,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "Quartz fullscreen",
    .init = fullscreen_init,
    .exit = fullscreen_exit,
    .wait_retrace = fullscreen_wait_retrace,
    .write_palette = fullscreen_write_palette,
    .make_video_bitmap = fullscreen_make_video_bitmap,
    .free_video_bitmap = free_world_bitmap,
    .show_video_bitmap = fullscreen_show_video_bitmap,
    .make_system_bitmap = fullscreen_make_system_bitmap,
    .free_system_bitmap = free_world_bitmap,
    .list_modes = fullscreen_list_modes,
    .width = 0,
    .height = 0,
    .linear = -1,
    .bank_size = 0,
    .bank_granularity = 0,
    .video_memory = 0,
    .video_base = nullptr,
    .windowed = 0,
};

void set_requested_refresh_rate(int rate) noexcept { asked_refresh_rate = rate > 0 ? rate : 0; }

int requested_refresh_rate() noexcept { return asked_refresh_rate; }

}  // namespace corvane::macosx
