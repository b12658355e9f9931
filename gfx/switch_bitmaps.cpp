// The registry of bitmaps that survive a display switch: registering a bitmap (or a sub-bitmap
// under its parent), forgetting it, and re-pointing sub-bitmaps when their parent's pixels move
// between the display and a memory copy.
#include <atomic>
#include <new>
#include <utility>

#include "corvane/bitmap.h"
#include "corvane/system.h"
#include "gfx/switch_bitmap_tree.h"

namespace corvane {

switch_bitmap_node *switch_bitmaps = nullptr;

std::recursive_mutex &switch_bitmap_mutex() noexcept {
  static std::recursive_mutex mutex;
  return mutex;
}

namespace {

std::atomic<bool> switched_away{false};

// Holds the system driver's display-switch lock (so that no switch starts half-way through a
// change of the tree) and the library's own.
class registry_lock {
 public:
  registry_lock() noexcept : guard_(switch_bitmap_mutex()) {
    if (system_driver *sys = current_system_driver; sys && sys->lock_display_switch) {
      sys->lock_display_switch(-1, 0);
    }
  }
  ~registry_lock() {
    if (system_driver *sys = current_system_driver; sys && sys->lock_display_switch) {
      sys->lock_display_switch(0, 0);
    }
  }
  registry_lock(const registry_lock &) = delete;
  registry_lock &operator=(const registry_lock &) = delete;

 private:
  std::lock_guard<std::recursive_mutex> guard_;
};

// The link that points at the node of bmp (a sibling's next, a parent's children, or the top of
// the tree), depth-first with children before later siblings; null when bmp is not registered.
// top receives the top-level node above the found one.
switch_bitmap_node **find_link(switch_bitmap_node **link, const bitmap *bmp,
                               switch_bitmap_node **top, switch_bitmap_node *current_top) noexcept {
  for (; *link != nullptr; link = &(*link)->next) {
    switch_bitmap_node *node = *link;
    switch_bitmap_node *node_top = current_top != nullptr ? current_top : node;
    if (node->bmp == bmp) {
      *top = node_top;
      return link;
    }
    if (switch_bitmap_node **found = find_link(&node->children, bmp, top, node_top)) return found;
  }
  return nullptr;
}

switch_bitmap_node **find_link(const bitmap *bmp, switch_bitmap_node **top) noexcept {
  return find_link(&switch_bitmaps, bmp, top, nullptr);
}

void free_nodes(switch_bitmap_node *node) noexcept {
  while (node != nullptr) {
    switch_bitmap_node *next = node->next;
    free_nodes(node->children);
    delete node;
    node = next;
  }
}

int bytes_per_pixel(const bitmap *bmp) noexcept {
  const int depth = bmp->vtable != nullptr ? bmp->vtable->color_depth : 8;
  if (depth <= 8) return 1;
  if (depth <= 16) return 2;
  if (depth <= 24) return 3;
  return 4;
}

}  // namespace

void swap_surface_description(bitmap *a, bitmap *b) noexcept {
  std::swap(a->vtable, b->vtable);
  std::swap(a->write_line, b->write_line);
  std::swap(a->read_line, b->read_line);
  std::swap(a->lines, b->lines);
}

void repoint_sub_bitmaps(const switch_bitmap_node *node, const bitmap *top,
                         const bitmap *surface) noexcept {
  const int bpp = bytes_per_pixel(surface);
  for (const switch_bitmap_node *child = node->children; child != nullptr; child = child->next) {
    bitmap *sub = child->bmp;
    int x = sub->x_offset - top->x_offset;
    const int y = sub->y_offset - top->y_offset;
    if ((sub->flags & BITMAP_FLAG_PLANAR) != 0) x /= 4;
    sub->vtable = surface->vtable;
    sub->write_line = surface->write_line;
    sub->read_line = surface->read_line;
    for (int row = 0; row < sub->height; ++row) {
      // A sub-bitmap reaching outside its parent keeps its old pointers for those rows rather
      // than getting pointers outside the parent's table.
      if (y + row < 0 || y + row >= surface->height) continue;
      sub->lines[row] = surface->lines[y + row] + static_cast<ptrdiff_t>(x) * bpp;
    }
    repoint_sub_bitmaps(child, top, surface);
  }
}

void set_display_switched_away(bool away) noexcept {
  switched_away.store(away, std::memory_order_release);
}

}  // namespace corvane

extern "C" {

void register_switch_bitmap(struct bitmap *bmp, struct bitmap *parent) noexcept {
  using namespace corvane;
  if (bmp == nullptr) return;
  registry_lock lock;
  switch_bitmap_node *top = nullptr;
  // A bitmap registered twice would be saved twice, the second time from its own copy.
  if (find_link(bmp, &top) != nullptr) return;

  switch_bitmap_node **head = &switch_bitmaps;
  if (parent != nullptr) {
    switch_bitmap_node **parent_link = find_link(parent, &top);
    if (parent_link == nullptr) return;
    head = &(*parent_link)->children;
  }
  auto *node = new (std::nothrow) switch_bitmap_node{bmp, nullptr, *head, nullptr};
  if (node == nullptr) return;
  *head = node;
}

void unregister_switch_bitmap(struct bitmap *bmp) noexcept {
  using namespace corvane;
  if (bmp == nullptr) return;
  registry_lock lock;
  switch_bitmap_node *top = nullptr;
  switch_bitmap_node **link = find_link(bmp, &top);
  if (link == nullptr) return;
  switch_bitmap_node *node = *link;
  *link = node->next;
  node->next = nullptr;

  if (node == top) {
    // Forgotten while away: the bitmap and its sub-bitmaps get their own surface back.
    if (node->saved != nullptr) discard_switch_copy(node);
  } else if (top->saved != nullptr) {
    // The sub-bitmaps leave the tree pointing into the copy; the copy goes away on return, so
    // point them at the real surface, whose rows the copy's record holds while away.
    switch_bitmap_node holder{nullptr, nullptr, nullptr, node};
    repoint_sub_bitmaps(&holder, top->bmp, top->saved);
  }
  free_nodes(node);
}

int display_switched_away(void) noexcept {
  return corvane::switched_away.load(std::memory_order_acquire) ? -1 : 0;
}

}  // extern "C"
