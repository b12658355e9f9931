// The library's constant palettes: the desktop palette and the all-black palette, which every
// start-up makes whole again.
#include "core/module_hooks.h"
#include "corvane/color.h"

extern "C" {

// The first 16 entries are the desktop colours; start-up repeats them over the rest.
palette desktop_palette = {
    {63, 63, 63, 0}, {63, 0, 0, 0},   {0, 63, 0, 0},   {63, 63, 0, 0},  {0, 0, 63, 0},
    {63, 0, 63, 0},  {0, 63, 63, 0},  {16, 16, 16, 0}, {31, 31, 31, 0}, {63, 31, 31, 0},
    {31, 63, 31, 0}, {63, 63, 31, 0}, {31, 31, 63, 0}, {63, 31, 63, 0}, {31, 63, 63, 0},
};

palette black_palette = {};

}  // extern "C"

namespace corvane {
namespace {

void make_start_palettes() noexcept {
  for (auto &entry : black_palette) entry = rgb_entry{0, 0, 0, 0};
  for (int i = 16; i < PALETTE_SIZE; ++i) desktop_palette[i] = desktop_palette[i % 16];
}

// Start-up reaches the palettes through its hook, set while the program loads; a program that
// never names a palette does not link this file, and has no palettes to make.
struct start_palettes_registration {
  start_palettes_registration() noexcept { start_palettes_hook = make_start_palettes; }
} registration;

}  // namespace
}  // namespace corvane
