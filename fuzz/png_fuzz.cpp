// Fuzz target "png": the input is a PNG file, loaded at every colour depth under small size
// limits (so that a valid file claiming a large image is refused rather than decoded, and a run
// stays fast). A load gives a bitmap of the claimed size within the limits, or null with an
// error text; never a crash, a hang or an allocation beyond what the limits allow.
#include <cstdint>
#include <cstring>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/png.h"
#include "corvane/system.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  if (startup_corvane(SYSTEM_NONE, nullptr, nullptr) != 0) fuzz::fail(__FILE__, __LINE__, "start");
  set_png_limits(512, 512, 65536);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > 1 << 20) return 0;
  fuzz::memory_file file(fuzz::as_text(data, size));
  const std::string name = file.path();
  for (const int depth : {8, 15, 16, 24, 32}) {
    set_color_depth(depth);
    palette pal;
    bitmap *bmp = load_bitmap_png(name.c_str(), pal);
    if (bmp == nullptr) {
      FUZZ_CHECK(error_text[0] != 0);
      continue;
    }
    FUZZ_CHECK(bitmap_color_depth(bmp) == depth);
    FUZZ_CHECK(bmp->width > 0 && bmp->height > 0 && bmp->width <= 512 && bmp->height <= 512);
    FUZZ_CHECK(int64_t{bmp->width} * bmp->height <= 65536);
    destroy_bitmap(bmp);
  }
  return 0;
}
