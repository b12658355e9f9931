// Routines that sit in the same slot of every depth's table.
#include "gfx/depth/pixel_routines.h"

namespace corvane::depth {

void release_line_noop(bitmap * /*bmp*/) noexcept {}

void end_marker_noop() noexcept {}

}  // namespace corvane::depth
