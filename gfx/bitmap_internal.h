// Internal interface of the bitmap code: the one-piece allocation of a bitmap record with its line
// table, the sub-bitmap family counter and the remembered failure of the video-bitmap search.
#ifndef CORVANE_GFX_BITMAP_INTERNAL_H
#define CORVANE_GFX_BITMAP_INTERNAL_H

#include <cstdint>

#include "corvane/bitmap.h"

namespace corvane {

// A zeroed bitmap record with room for max(height, 2) line addresses behind it, lines pointing
// there. Null when height is negative or memory is short. Free it with std::free.
bitmap *allocate_bitmap_record(int height) noexcept;

// The largest size whose square fits a signed 32-bit product.
inline constexpr int VIDEO_SEARCH_LIMIT = 46340;

// The smallest request that found no room on the display surface; larger ones fail at once.
extern int failed_video_width;
extern int failed_video_height;

// The next sub-bitmap family number (1 at start, wrapping within 25 bits).
extern uint32_t next_family_number;

// Gives back the family number a parent holds (sub-bitmaps hold none of their own), so that the
// counter may hand it out again once it wraps. Called when the bitmap is destroyed.
void release_family_number(const bitmap *bmp) noexcept;

}  // namespace corvane

#endif  // CORVANE_GFX_BITMAP_INTERNAL_H
