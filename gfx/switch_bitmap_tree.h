// The registry of bitmaps that are saved and restored across a display switch: a tree whose top
// level holds the bitmaps that own a surface (the screen) and whose children are the sub-bitmaps
// made from them. Shared by the registry and the code that makes and draws back the copies.
#ifndef CORVANE_GFX_SWITCH_BITMAP_TREE_H
#define CORVANE_GFX_SWITCH_BITMAP_TREE_H

#include <mutex>

#include "corvane/bitmap.h"

namespace corvane {

struct switch_bitmap_node {
  struct bitmap *bmp;
  struct bitmap *saved;          // memory copy drawing goes to while switched away, or null
  switch_bitmap_node *next;      // next sibling
  switch_bitmap_node *children;  // sub-bitmaps registered under this bitmap
};

// The first top-level node. Guarded by switch_bitmap_mutex().
extern switch_bitmap_node *switch_bitmaps;

// Guards the tree and the copies; recursive, so that a save may be nested in a registration.
std::recursive_mutex &switch_bitmap_mutex() noexcept;

// Swaps what says where a bitmap's pixels are (drawing table, line accessors, line table) between
// a bitmap and its copy. Applied once it sends drawing to the copy, applied again it undoes that.
void swap_surface_description(struct bitmap *a, struct bitmap *b) noexcept;

// Points the line tables of every sub-bitmap under node at the rows of surface and gives them its
// drawing table and accessors. top is the top-level bitmap the sub-bitmaps' offsets are taken
// against; surface is top itself, or the record that holds top's description while away.
void repoint_sub_bitmaps(const switch_bitmap_node *node, const struct bitmap *top,
                         const struct bitmap *surface) noexcept;

// Undoes the switch for one top-level node without drawing anything back: the bitmap gets its own
// surface again and the copy is destroyed. Used when a bitmap is forgotten while away.
void discard_switch_copy(switch_bitmap_node *node) noexcept;

// Marks the display as switched away or back.
void set_display_switched_away(bool away) noexcept;

}  // namespace corvane

#endif  // CORVANE_GFX_SWITCH_BITMAP_TREE_H
