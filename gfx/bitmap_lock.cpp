// Locking a bitmap around a group of drawing calls: the bitmap's own acquire and release, for
// display surfaces that must be locked before their pixels are touched. Memory bitmaps need no
// lock, and the calls do nothing for them.
#include "corvane/bitmap.h"

extern "C" {

void acquire_bitmap(bitmap *bmp) noexcept {
  if (bmp == nullptr || bmp->vtable == nullptr || bmp->vtable->acquire == nullptr) return;
  bmp->vtable->acquire(bmp);
}

void release_bitmap(bitmap *bmp) noexcept {
  if (bmp == nullptr || bmp->vtable == nullptr || bmp->vtable->release == nullptr) return;
  bmp->vtable->release(bmp);
}

}  // extern "C"
