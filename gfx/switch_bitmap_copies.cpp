// Saving and restoring the registered bitmaps across a display switch. On the way out every
// top-level bitmap gets a memory copy of its contents and drawing is sent there (its sub-bitmaps
// follow); on the way back the copy is drawn to the display again and freed.
#include <atomic>
#include <cstring>

#include "core/module_hooks.h"
#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/gfx.h"
#include "corvane/timer.h"
#include "gfx/switch_bitmap_tree.h"
#include "gfx/switch_pointer_hooks.h"

namespace corvane {
namespace {

// Hides the mouse pointer for the lifetime of the object when it is shown on the display surface,
// where saving or restoring would copy it along with the picture.
class hidden_pointer {
 public:
  hidden_pointer() noexcept : hooks_(mouse_pointer_hook.load(std::memory_order_acquire)) {
    if (hooks_ == nullptr || hooks_->shown_on == nullptr || hooks_->show_on == nullptr) return;
    bitmap *shown = hooks_->shown_on();
    if (shown == nullptr) return;
    if (shown != screen_bitmap && (shown->flags & BITMAP_FLAG_VIDEO) == 0) return;
    shown_on_ = shown;
    hooks_->show_on(nullptr);
  }
  ~hidden_pointer() {
    if (shown_on_ != nullptr) hooks_->show_on(shown_on_);
  }
  hidden_pointer(const hidden_pointer &) = delete;
  hidden_pointer &operator=(const hidden_pointer &) = delete;

 private:
  const switch_pointer_hooks *hooks_;
  bitmap *shown_on_ = nullptr;
};

int row_bytes(const bitmap *bmp) noexcept {
  const int depth = bmp->vtable->color_depth;
  const int bpp = depth <= 8 ? 1 : depth <= 16 ? 2 : depth <= 24 ? 3 : 4;
  return bmp->width * bpp;
}

// Copies all of source into dest whatever dest's clip rectangle says.
void copy_whole(bitmap *source, bitmap *dest) noexcept {
  const int clipping = dest->clipping;
  const int left = dest->clip_left, right = dest->clip_right;
  const int top = dest->clip_top, bottom = dest->clip_bottom;
  dest->clipping = -1;
  dest->clip_left = 0;
  dest->clip_right = dest->width;
  dest->clip_top = 0;
  dest->clip_bottom = dest->height;
  blit(source, dest, 0, 0, 0, 0, source->width, source->height);
  dest->clipping = clipping;
  dest->clip_left = left;
  dest->clip_right = right;
  dest->clip_top = top;
  dest->clip_bottom = bottom;
}

// A fresh memory bitmap holds whatever the allocator left there; a copy that is not filled from
// the display starts black instead.
void clear_rows(bitmap *bmp) noexcept {
  const int bytes = row_bytes(bmp);
  for (int row = 0; row < bmp->height; ++row) std::memset(bmp->lines[row], 0, bytes);
}

void save_node(switch_bitmap_node *node, int mode) noexcept {
  bitmap *bmp = node->bmp;
  if (node->saved != nullptr || bmp->vtable == nullptr) return;
  bitmap *copy = create_bitmap_at_depth(bmp->vtable->color_depth, bmp->width, bmp->height);
  if (copy == nullptr) return;
  if (mode == SWITCH_AMNESIA || mode == SWITCH_BACKAMNESIA) {
    clear_rows(copy);
  } else {
    copy_whole(bmp, copy);
  }
  swap_surface_description(bmp, copy);
  node->saved = copy;
  repoint_sub_bitmaps(node, bmp, bmp);
}

void restore_node(switch_bitmap_node *node) noexcept {
  bitmap *copy = node->saved;
  if (copy == nullptr) return;
  swap_surface_description(node->bmp, copy);
  copy_whole(copy, node->bmp);
  repoint_sub_bitmaps(node, node->bmp, node->bmp);
  node->saved = nullptr;
  destroy_bitmap(copy);
}

}  // namespace

void set_switch_pointer_hooks(const switch_pointer_hooks *hooks) noexcept {
  mouse_pointer_hook.store(hooks, std::memory_order_release);
}

void discard_switch_copy(switch_bitmap_node *node) noexcept {
  bitmap *copy = node->saved;
  if (copy == nullptr) return;
  swap_surface_description(node->bmp, copy);
  repoint_sub_bitmaps(node, node->bmp, node->bmp);
  node->saved = nullptr;
  destroy_bitmap(copy);
}

}  // namespace corvane

extern "C" {

void save_switch_bitmaps(int mode) noexcept {
  using namespace corvane;
  std::lock_guard<std::recursive_mutex> lock(switch_bitmap_mutex());
  if (display_switched_away() != 0) return;
  {
    hidden_pointer pointer;
    for (switch_bitmap_node *node = switch_bitmaps; node != nullptr; node = node->next) {
      save_node(node, mode);
    }
  }
  set_display_switched_away(true);
}

void restore_switch_bitmaps(void) noexcept {
  using namespace corvane;
  std::lock_guard<std::recursive_mutex> lock(switch_bitmap_mutex());
  if (display_switched_away() == 0) return;
  // The timer system counts as not installed while the bitmaps are drawn back.
  void (*switching_in)(bool) noexcept = switch_in_hook.load(std::memory_order_acquire);
  if (switching_in != nullptr) switching_in(true);
  {
    hidden_pointer pointer;
    for (switch_bitmap_node *node = switch_bitmaps; node != nullptr; node = node->next) {
      restore_node(node);
    }
  }
  set_display_switched_away(false);
  // An 8-bit display lost its palette while away.
  if (screen_bitmap != nullptr && screen_bitmap->vtable != nullptr &&
      screen_bitmap->vtable->color_depth == 8) {
    apply_palette(current_palette);
  }
  if (switching_in != nullptr) switching_in(false);
}

}  // extern "C"
