// The hardware cursor of the Mac display drivers: a sprite becomes an RGBA NSCursor, and making a
// cursor current stores it under the event mutex and asks the main thread to set it.
#include <cstring>

#include "corvane/color.h"
#include "platform/macosx/macosx_cocoa.h"
#include "platform/macosx/quartz_display.h"

namespace corvane::macosx {
namespace {

// The cursor made from the last sprite, with the objects it is made of. The pixels belong to the
// representation: AppKit may keep a cursor, and so its image, after the library lets go of it.
NSCursor *sprite_cursor = nil;
NSImage *sprite_image = nil;
NSBitmapImageRep *sprite_representation = nil;

// Makes a cursor the current one: the event loop's thread sets it.
void make_current(NSCursor *cursor) noexcept {
  lock_event_mutex();
  current_cursor = cursor;
  cursor_changed.store(true);
  [cursor performSelectorOnMainThread:@selector(set) withObject:nil waitUntilDone:NO];
  unlock_event_mutex();
}

// Fills RGBA pixels from the sprite; its mask colour becomes transparent black.
void fill_rgba(bitmap *sprite, unsigned char *pixels) noexcept {
  const int depth = bitmap_color_depth(sprite);
  const int mask = sprite->vtable->mask_color;
  unsigned char *out = pixels;
  for (int y = 0; y < sprite->height; ++y) {
    for (int x = 0; x < sprite->width; ++x, out += 4) {
      const int color = sprite->vtable->get_pixel(sprite, x, y);
      if (color == mask) {
        std::memset(out, 0, 4);
        continue;
      }
      out[0] = static_cast<unsigned char>(get_red_depth(depth, color));
      out[1] = static_cast<unsigned char>(get_green_depth(depth, color));
      out[2] = static_cast<unsigned char>(get_blue_depth(depth, color));
      out[3] = 255;
    }
  }
}

}  // namespace

int quartz_set_cursor_image(bitmap *sprite, int focus_x, int focus_y) noexcept {
  if (sprite == nullptr || sprite->width <= 0 || sprite->height <= 0 || sprite->vtable == nullptr ||
      sprite->vtable->get_pixel == nullptr) {
    return -1;
  }
  const size_t row_bytes = static_cast<size_t>(sprite->width) * 4;
  // No planes: the representation allocates the pixels and frees them with itself.
  NSBitmapImageRep *representation =
      [[NSBitmapImageRep alloc] initWithBitmapDataPlanes:nullptr
                                              pixelsWide:sprite->width
                                              pixelsHigh:sprite->height
                                           bitsPerSample:8
                                         samplesPerPixel:4
                                                hasAlpha:YES
                                                isPlanar:NO
                                          colorSpaceName:NSDeviceRGBColorSpace
                                             bytesPerRow:static_cast<NSInteger>(row_bytes)
                                            bitsPerPixel:32];
  unsigned char *pixels = representation != nil ? [representation bitmapData] : nullptr;
  if (pixels != nullptr) fill_rgba(sprite, pixels);
  NSImage *image = [[NSImage alloc] initWithSize:NSMakeSize(sprite->width, sprite->height)];
  NSCursor *cursor = nil;
  if (pixels != nullptr && image != nil) {
    [image addRepresentation:representation];
    cursor = [[NSCursor alloc] initWithImage:image hotSpot:NSMakePoint(focus_x, focus_y)];
  }
  if (cursor == nil) {
    [image release];
    [representation release];
    return -1;
  }

  lock_event_mutex();
  const bool was_current = sprite_cursor != nil && current_cursor == sprite_cursor;
  NSCursor *old_cursor = sprite_cursor;
  NSImage *old_image = sprite_image;
  NSBitmapImageRep *old_representation = sprite_representation;
  sprite_cursor = cursor;
  sprite_image = image;
  sprite_representation = representation;
  unlock_event_mutex();
  // A cursor on show is replaced by the new one at once.
  if (was_current) make_current(cursor);
  [old_cursor release];
  [old_image release];
  [old_representation release];
  return 0;
}

int quartz_show_cursor(bitmap *bmp, int x, int y) noexcept {
  (void)x;
  (void)y;
  if (bmp == nullptr || bmp != screen_bitmap || sprite_cursor == nil) return -1;
  make_current(sprite_cursor);
  return 0;
}

void quartz_hide_cursor() noexcept { make_current(blank_cursor); }

void quartz_move_cursor(int x, int y) noexcept {
  (void)x;
  (void)y;
}

void release_cursor_image() noexcept {
  lock_event_mutex();
  if (current_cursor == sprite_cursor) current_cursor = nil;
  NSCursor *cursor = sprite_cursor;
  NSImage *image = sprite_image;
  NSBitmapImageRep *representation = sprite_representation;
  sprite_cursor = nil;
  sprite_image = nil;
  sprite_representation = nil;
  unlock_event_mutex();
  [cursor release];
  [image release];
  [representation release];
}

}  // namespace corvane::macosx
