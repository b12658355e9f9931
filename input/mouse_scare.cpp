// Scaring the pointer away while the program draws: a stack of where the pointer was shown and
// whether it was frozen, 16 levels deep (deeper levels are only counted).
#include "corvane/mouse.h"
#include "input/mouse_internal.h"

namespace corvane {
namespace {

constexpr int SCARE_LEVELS = 16;

struct scare_entry {
  bitmap *shown_on;
  int frozen;
};
scare_entry scare_stack[SCARE_LEVELS];
int scare_depth = 0;

void push_scare() noexcept {
  if (scare_depth < SCARE_LEVELS) {
    scare_stack[scare_depth] = {pointer().shown_on, load_int(freeze_mouse)};
  }
  ++scare_depth;
}

// The pointer drawn in software is in the way of drawing; one shown by the graphics driver is
// not, and stays (hiding and showing it around every drawing would only make it flicker).
bool pointer_in_the_way() noexcept {
  const pointer_state &p = pointer();
  return p.shown_on != nullptr && !p.hardware_shown;
}

}  // namespace

void reset_scare_stack() noexcept { scare_depth = 0; }

}  // namespace corvane

extern "C" {

void scare_mouse(void) noexcept {
  using namespace corvane;
  if (installed_mouse_driver() == nullptr) return;
  push_scare();
  if (pointer_in_the_way()) show_mouse(nullptr);
}

void scare_mouse_area(int x, int y, int width, int height) noexcept {
  using namespace corvane;
  if (installed_mouse_driver() == nullptr) return;
  push_scare();
  if (!pointer_in_the_way()) return;
  const pointer_state &p = pointer();
  const bitmap *image = p.converted != nullptr ? p.converted : current_pointer_image();
  const long long left = drawn_x.load(std::memory_order_relaxed) - BUILTIN_FOCUS;
  const long long top = drawn_y.load(std::memory_order_relaxed) - BUILTIN_FOCUS;
  const long long right = left + (image != nullptr ? image->width : 0);
  const long long bottom = top + (image != nullptr ? image->height : 0);
  const bool overlaps = p.drawn && left < static_cast<long long>(x) + width && right > x &&
                        top < static_cast<long long>(y) + height && bottom > y;
  if (overlaps) {
    show_mouse(nullptr);
  } else {
    // Away from the area the pointer may stay, but must not wander into it.
    store_int(freeze_mouse, -1);
  }
}

void unscare_mouse(void) noexcept {
  using namespace corvane;
  if (installed_mouse_driver() == nullptr || scare_depth == 0) return;
  --scare_depth;
  if (scare_depth >= SCARE_LEVELS) return;
  const scare_entry entry = scare_stack[scare_depth];
  store_int(freeze_mouse, entry.frozen);
  if (entry.shown_on != pointer().shown_on) show_mouse(entry.shown_on);
}

}  // extern "C"
