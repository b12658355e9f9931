// The pointer on a bitmap: shown by the graphics driver's cursor (the sprite, or one of the
// system's pointers) where it can, else drawn in software over a saved background; the polling
// handler that follows the mouse every 10 ms on the timer thread; the sprite and cursor choice.
#include <algorithm>
#include <cstdlib>

#include "corvane/bitmap.h"
#include "corvane/draw.h"
#include "corvane/gfx.h"
#include "corvane/mouse.h"
#include "corvane/timer.h"
#include "input/mouse_internal.h"

namespace corvane {
namespace {

constexpr int POLL_MS = 10;
constexpr int HIDDEN_POSITION = -4096;

pointer_state state;

// Set while the handler runs, so that a dispatch that calls it again skips the second call.
std::atomic<bool> handler_busy{false};

void acquire(bitmap *bmp) noexcept {
  if (bmp->vtable != nullptr && bmp->vtable->acquire != nullptr) bmp->vtable->acquire(bmp);
}
void release(bitmap *bmp) noexcept {
  if (bmp->vtable != nullptr && bmp->vtable->release != nullptr) bmp->vtable->release(bmp);
}

struct raw_point {
  int x, y;
};
raw_point raw_position() noexcept {
  std::lock_guard<std::recursive_mutex> lock(value_lock());
  return {load_int(raw_mouse_x), load_int(raw_mouse_y)};
}

void set_drawn_position(int x, int y) noexcept {
  drawn_x.store(x, std::memory_order_relaxed);
  drawn_y.store(y, std::memory_order_relaxed);
}

// Clipping off for the lifetime of the object: the whole bitmap is the clip rectangle.
class unclipped {
 public:
  explicit unclipped(bitmap *bmp) noexcept
      : bmp_(bmp),
        clipping_(bmp->clipping),
        left_(bmp->clip_left),
        top_(bmp->clip_top),
        right_(bmp->clip_right),
        bottom_(bmp->clip_bottom) {
    bmp->clipping = 0;
    bmp->clip_left = 0;
    bmp->clip_top = 0;
    bmp->clip_right = bmp->width;
    bmp->clip_bottom = bmp->height;
  }
  ~unclipped() {
    bmp_->clipping = clipping_;
    bmp_->clip_left = left_;
    bmp_->clip_top = top_;
    bmp_->clip_right = right_;
    bmp_->clip_bottom = bottom_;
  }
  unclipped(const unclipped &) = delete;
  unclipped &operator=(const unclipped &) = delete;

 private:
  bitmap *bmp_;
  int clipping_, left_, top_, right_, bottom_;
};

void free_software_pointer() noexcept {
  destroy_bitmap(state.converted);
  destroy_bitmap(state.background);
  destroy_bitmap(state.double_background);
  state.converted = nullptr;
  state.converted_from = nullptr;
  state.background = nullptr;
  state.double_background = nullptr;
}

bitmap *cleared_bitmap(int depth, int width, int height) noexcept {
  bitmap *bmp = create_bitmap_at_depth(depth, width, height);
  if (bmp != nullptr) clear_to_color(bmp, 0);
  return bmp;
}

// The image at the bitmap's depth and the scratch bitmaps for it; false when they cannot be made.
bool prepare_software_pointer(bitmap *bmp) noexcept {
  bitmap *image = current_pointer_image();
  const int depth = bitmap_color_depth(bmp);
  if (image == nullptr || depth == 0) return false;
  if (state.converted == nullptr || state.converted_from != image ||
      bitmap_color_depth(state.converted) != depth) {
    destroy_bitmap(state.converted);
    state.converted = convert_pointer_image(image, depth);
    state.converted_from = state.converted != nullptr ? image : nullptr;
    if (state.converted == nullptr) return false;
  }
  const int width = image->width;
  const int height = image->height;
  bitmap *bg = state.background;
  if (bg == nullptr || bitmap_color_depth(bg) != depth || bg->width != width ||
      bg->height != height) {
    destroy_bitmap(state.background);
    destroy_bitmap(state.double_background);
    state.background = cleared_bitmap(depth, width, height);
    // Without the large one, overlapping moves take the plain path (remove, then draw).
    state.double_background = width <= 0x3FFFFFFF / 2 && height <= 0x3FFFFFFF / 2
                                  ? cleared_bitmap(depth, width * 2, height * 2)
                                  : nullptr;
  }
  return state.background != nullptr;
}

bool rectangles_overlap(int ax, int ay, int bx, int by, int width, int height) noexcept {
  return std::abs(static_cast<long long>(ax) - bx) < width &&
         std::abs(static_cast<long long>(ay) - by) < height;
}

// Takes the software pointer away from where it was drawn (remove) and draws it at the raw
// position (add). Overlapping old and new places are worked through the double-size scratch
// bitmap, so that the pointer is never missing from the bitmap in between.
void draw_pointer(bool remove, bool add) noexcept {
  bitmap *bmp = state.shown_on;
  bitmap *image = state.converted;
  bitmap *bg = state.background;
  if (bmp == nullptr || image == nullptr || bg == nullptr) return;
  remove = remove && state.drawn;
  const unclipped whole(bmp);
  const raw_point at = add ? raw_position() : raw_point{HIDDEN_POSITION, HIDDEN_POSITION};
  const int width = image->width;
  const int height = image->height;
  const int old_x = drawn_x.load(std::memory_order_relaxed) - BUILTIN_FOCUS;
  const int old_y = drawn_y.load(std::memory_order_relaxed) - BUILTIN_FOCUS;
  const int new_x = at.x - BUILTIN_FOCUS;
  const int new_y = at.y - BUILTIN_FOCUS;
  bitmap *twice = state.double_background;

  if (remove && add && twice != nullptr &&
      rectangles_overlap(old_x, old_y, new_x, new_y, width, height)) {
    const int left = std::min(old_x, new_x);
    const int top = std::min(old_y, new_y);
    const int union_width = std::max(old_x, new_x) - left + width;
    const int union_height = std::max(old_y, new_y) - top + height;
    blit(bmp, twice, left, top, 0, 0, union_width, union_height);
    blit(bg, twice, 0, 0, old_x - left, old_y - top, width, height);
    blit(twice, bg, new_x - left, new_y - top, 0, 0, width, height);
    draw_sprite(twice, image, new_x - left, new_y - top);
    blit(twice, bmp, 0, 0, left, top, union_width, union_height);
  } else {
    if (remove) blit(bg, bmp, 0, 0, old_x, old_y, width, height);
    if (add) {
      blit(bmp, bg, new_x, new_y, 0, 0, width, height);
      draw_sprite(bmp, image, new_x, new_y);
    }
  }
  state.drawn = add;
  state.drawn_image = add ? state.converted_from : nullptr;
  if (add) set_drawn_position(at.x, at.y);
}

bool shares_screen_surface(const bitmap *bmp) noexcept {
  const bitmap *screen = screen_bitmap;
  if (screen == nullptr) return false;
  if (bmp == screen) return true;
  return (bmp->flags & BITMAP_FLAG_VIDEO) != 0 &&
         (bmp->flags & BITMAP_FAMILY_MASK) == (screen->flags & BITMAP_FAMILY_MASK);
}

constexpr int cursor_capabilities = GFX_HW_CURSOR | GFX_SYSTEM_CURSOR;

// Takes the pointer off the bitmap it is shown on, however it is shown.
void take_pointer_away() noexcept {
  bitmap *bmp = state.shown_on;
  if (bmp == nullptr) return;
  acquire(bmp);
  if (!state.hardware_shown) {
    draw_pointer(true, false);
  } else {
    gfx_driver *gfx = current_gfx_driver;
    if (gfx != nullptr && gfx->hide_cursor != nullptr) gfx->hide_cursor();
    gfx_capabilities &= ~cursor_capabilities;
    state.hardware_shown = false;
    state.hw_sprite_dirty = true;
  }
  release(bmp);
  state.shown_on = nullptr;
}

// Shows the pointer on bmp (already remembered as shown_on) through a system pointer, the
// graphics driver's cursor, or in software.
void put_pointer_on(bitmap *bmp, mouse_driver *driver) noexcept {
  acquire(bmp);
  gfx_capabilities &= ~cursor_capabilities;
  const raw_point at = raw_position();
  if (state.selected >= MOUSE_CURSOR_ARROW && driver->select_system_cursor != nullptr &&
      driver->select_system_cursor(state.selected) != 0) {
    gfx_capabilities |= cursor_capabilities;
    state.hardware_shown = true;
  } else {
    bitmap *image = current_pointer_image();
    gfx_driver *gfx = current_gfx_driver;
    if (state.hw_sprite_dirty && display_switched_away() == 0) {
      state.hw_cursor_allowed = gfx != nullptr && gfx->set_cursor_image != nullptr &&
                                image != nullptr &&
                                gfx->set_cursor_image(image, BUILTIN_FOCUS, BUILTIN_FOCUS) == 0;
      state.hw_sprite_dirty = !state.hw_cursor_allowed;
    }
    if (state.hw_cursor_allowed && gfx != nullptr && gfx->show_cursor != nullptr &&
        shares_screen_surface(bmp) && gfx->show_cursor(bmp, at.x, at.y) == 0) {
      gfx_capabilities |= GFX_HW_CURSOR;
      state.hardware_shown = true;
      state.drawn_image = image;
      set_drawn_position(at.x, at.y);
    }
  }
  if (!state.hardware_shown && prepare_software_pointer(bmp)) draw_pointer(false, true);
  release(bmp);
}

// The polling handler: lets a timer-polled driver report, then moves the pointer to the mouse.
void poll_pointer() {
  if (handler_busy.exchange(true, std::memory_order_acquire)) return;
  mouse_driver *driver = installed_mouse_driver();
  if (driver != nullptr && driver->timer_poll != nullptr) {
    driver->timer_poll();
    if (!mouse_is_polled()) update_mouse_values();
  }
  bitmap *bmp = state.shown_on;
  if (bmp != nullptr && load_int(freeze_mouse) == 0 &&
      (state.hardware_shown || state.drawn)) {
    const raw_point at = raw_position();
    bitmap *image = current_pointer_image();
    const bool moved = at.x != drawn_x.load(std::memory_order_relaxed) ||
                       at.y != drawn_y.load(std::memory_order_relaxed);
    if (state.hardware_shown) {
      if (moved || image != state.drawn_image) {
        gfx_driver *gfx = current_gfx_driver;
        if (gfx != nullptr && gfx->move_cursor != nullptr) {
          if (image != nullptr) {
            gfx->move_cursor(at.x, at.y);
          } else {
            gfx->move_cursor(HIDDEN_POSITION, HIDDEN_POSITION);
          }
        }
        state.drawn_image = image;
        set_drawn_position(at.x, at.y);
      }
    } else if (moved || image != state.drawn_image) {
      acquire(bmp);
      draw_pointer(true, true);
      release(bmp);
    }
  }
  handler_busy.store(false, std::memory_order_release);
}

}  // namespace

pointer_state &pointer() noexcept { return state; }

bitmap *current_pointer_image() noexcept {
  if (state.selected >= MOUSE_CURSOR_ARROW) {
    if (bitmap *image = builtin_pointer(state.selected)) return image;
  }
  return state.sprite;
}

void install_pointer_handler() noexcept {
  if (state.handler_installed) return;
  state.handler_installed = add_timer_handler_ms(poll_pointer, POLL_MS) == 0;
}

void remove_pointer_handler() noexcept {
  if (!state.handler_installed) return;
  remove_timer_handler(poll_pointer);
  state.handler_installed = false;
}

pointer_pause::pointer_pause() noexcept : was_installed_(state.handler_installed) {
  remove_pointer_handler();
}

pointer_pause::~pointer_pause() {
  if (was_installed_) install_pointer_handler();
}

void redraw_software_pointer() noexcept {
  bitmap *bmp = state.shown_on;
  if (bmp == nullptr || !state.drawn || state.hardware_shown || load_int(freeze_mouse) != 0)
    return;
  acquire(bmp);
  draw_pointer(true, true);
  release(bmp);
}

void hide_pointer_for_removal() noexcept {
  remove_pointer_handler();
  take_pointer_away();
}

void reset_pointer() noexcept {
  free_software_pointer();
  state = pointer_state{};
}

}  // namespace corvane

extern "C" {

void show_mouse(bitmap *bmp) noexcept {
  using namespace corvane;
  mouse_driver *driver = installed_mouse_driver();
  if (driver == nullptr) return;
  remove_pointer_handler();
  take_pointer_away();
  state.shown_on = bmp;
  if (bmp != nullptr && state.selected != MOUSE_CURSOR_NONE) {
    put_pointer_on(bmp, driver);
  } else if (driver->timer_poll == nullptr) {
    return;  // nothing to follow and nothing to poll
  }
  install_pointer_handler();
}

void set_mouse_sprite(bitmap *sprite) noexcept {
  using namespace corvane;
  if (installed_mouse_driver() == nullptr) return;
  bitmap *shown = state.shown_on;
  if (shown != nullptr) show_mouse(nullptr);
  // A bitmap without a drawing table cannot be read: the arrow is used instead.
  if (sprite == nullptr || bitmap_color_depth(sprite) == 0) {
    make_builtin_pointers();
    sprite = builtin_pointer(MOUSE_CURSOR_ARROW);
  }
  state.sprite = sprite;
  state.hw_sprite_dirty = true;
  free_software_pointer();
  if (shown != nullptr) show_mouse(shown);
}

int select_mouse_cursor(int cursor) noexcept {
  using namespace corvane;
  mouse_driver *driver = installed_mouse_driver();
  if (driver == nullptr) return -1;
  if (cursor < MOUSE_CURSOR_NONE || cursor >= MOUSE_CURSOR_COUNT) {
    set_error_text("Unknown mouse cursor");
    return -1;
  }
  bitmap *shown = state.shown_on;
  if (shown != nullptr) show_mouse(nullptr);
  remove_pointer_handler();
  gfx_capabilities &= ~cursor_capabilities;
  state.selected = cursor;
  state.hw_sprite_dirty = true;
  free_software_pointer();
  gfx_driver *gfx = current_gfx_driver;
  if (cursor == MOUSE_CURSOR_NONE) {
    if (gfx != nullptr && gfx->hide_cursor != nullptr) gfx->hide_cursor();
  } else if (cursor == MOUSE_CURSOR_SPRITE) {
    if (driver->enable_hardware_cursor != nullptr) driver->enable_hardware_cursor(-1);
    bitmap *image = current_pointer_image();
    if (gfx != nullptr && gfx->set_cursor_image != nullptr && image != nullptr &&
        gfx->set_cursor_image(image, BUILTIN_FOCUS, BUILTIN_FOCUS) == 0) {
      gfx_capabilities |= GFX_HW_CURSOR;
      state.hw_cursor_allowed = true;
      state.hw_sprite_dirty = false;
    }
  } else if (driver->select_system_cursor != nullptr &&
             driver->select_system_cursor(cursor) != 0) {
    gfx_capabilities |= cursor_capabilities;
  }
  if (shown != nullptr) {
    show_mouse(shown);
  } else if (driver->timer_poll != nullptr) {
    install_pointer_handler();
  }
  return 0;
}

}  // extern "C"
