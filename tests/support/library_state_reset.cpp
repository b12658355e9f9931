// A listener in every test program: before each test, the library's process-wide drawing state
// that tests commonly change (component layouts, colour depth, the mode and sub-bitmap family
// counters) goes back to what the program started with. CTest runs each test in a process of its
// own; with this, the drawing tests also pass when one process runs them all, in any order (tests
// of start-up and shutdown still need a process each).
#include <gtest/gtest.h>

#include <cstdint>

#include "corvane/color.h"
#include "corvane/gfx.h"
#include "gfx/bitmap_internal.h"

namespace {

class library_state_reset : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo & /*test*/) override {
    int *const shifts[] = {&red_shift_15,   &green_shift_15, &blue_shift_15,  &red_shift_16,
                           &green_shift_16, &blue_shift_16,  &red_shift_24,   &green_shift_24,
                           &blue_shift_24,  &red_shift_32,   &green_shift_32, &blue_shift_32,
                           &alpha_shift_32};
    for (size_t i = 0; i < std::size(shifts); ++i) *shifts[i] = start_.shifts[i];
    set_color_depth(start_.depth);
    gfx_mode_count = start_.modes;
    corvane::next_family_number = start_.family;
  }

 private:
  struct state {
    int shifts[13] = {red_shift_15,   green_shift_15, blue_shift_15,  red_shift_16,  green_shift_16,
                      blue_shift_16,  red_shift_24,   green_shift_24, blue_shift_24, red_shift_32,
                      green_shift_32, blue_shift_32,  alpha_shift_32};
    int depth = get_color_depth();
    int modes = gfx_mode_count;
    uint32_t family = corvane::next_family_number;
  } start_;
};

// Registered when the support library is linked into a test program, before any test runs.
[[maybe_unused]] const bool registered = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new library_state_reset);
  return true;
}();

}  // namespace
