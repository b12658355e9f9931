// The values of the mouse: what the driver reports (the raw values) and what the program reads,
// with the update rule between them (middle-button emulation, the frozen pointer, the callback
// flags) and the lock that keeps a report and its update together.
#include <atomic>
#include <cstdint>
#include <mutex>

#include "corvane/mouse.h"
#include "input/mouse_internal.h"

namespace corvane {
namespace {

// Each button with its down and up flags.
struct button_flags {
  int bit;
  int down;
  int up;
};
constexpr button_flags buttons_told[] = {
    {MOUSE_BUTTON_LEFT, MOUSE_FLAG_LEFT_DOWN, MOUSE_FLAG_LEFT_UP},
    {MOUSE_BUTTON_RIGHT, MOUSE_FLAG_RIGHT_DOWN, MOUSE_FLAG_RIGHT_UP},
    {MOUSE_BUTTON_MIDDLE, MOUSE_FLAG_MIDDLE_DOWN, MOUSE_FLAG_MIDDLE_UP},
};

int change_flags(int x, int y, int z, int buttons) noexcept {
  int flags = 0;
  if (x != load_int(mouse_x) || y != load_int(mouse_y)) flags |= MOUSE_FLAG_MOVE;
  if (z != load_int(mouse_z)) flags |= MOUSE_FLAG_MOVE_Z;
  const int before = load_int(mouse_b);
  for (const button_flags &button : buttons_told) {
    const bool was = (before & button.bit) != 0;
    const bool is = (buttons & button.bit) != 0;
    if (is && !was) flags |= button.down;
    if (was && !is) flags |= button.up;
  }
  return flags;
}

}  // namespace

std::atomic<int> drawn_x{0};
std::atomic<int> drawn_y{0};

std::recursive_mutex &value_lock() noexcept {
  static std::recursive_mutex lock;
  return lock;
}

mouse_driver *installed_mouse_driver() noexcept {
  return std::atomic_ref<mouse_driver *>(current_mouse_driver).load(std::memory_order_acquire);
}

bool mouse_is_polled() noexcept { return load_int(mouse_polled) != 0; }

int pack_mouse_pos(int x, int y) noexcept {
  return static_cast<int>((static_cast<uint32_t>(x) << 16) | (static_cast<uint32_t>(y) & 0xFFFFu));
}

void set_raw_position(int x, int y) noexcept {
  std::lock_guard<std::recursive_mutex> lock(value_lock());
  store_int(raw_mouse_x, x);
  store_int(raw_mouse_y, y);
}

void update_mouse_values() noexcept {
  void (*callback)(int) = nullptr;
  int flags = 0;
  {
    std::lock_guard<std::recursive_mutex> lock(value_lock());
    if (!store_new_values(&callback, &flags)) return;
  }
  // Told outside the lock: a callback that calls back into the mouse (or waits for a thread that
  // reports) cannot deadlock with the reporting threads.
  if (callback != nullptr) callback(flags);
}

bool store_new_values(void (**callback_out)(int), int *flags_out) noexcept {
  const bool frozen = load_int(freeze_mouse) != 0;
  const int x = frozen ? drawn_x.load(std::memory_order_relaxed) : load_int(raw_mouse_x);
  const int y = frozen ? drawn_y.load(std::memory_order_relaxed) : load_int(raw_mouse_y);
  const int z = load_int(raw_mouse_z);
  int buttons = load_int(raw_mouse_b);
  constexpr int left_and_right = MOUSE_BUTTON_LEFT | MOUSE_BUTTON_RIGHT;
  if (load_int(emulate_three) != 0 && (buttons & left_and_right) == left_and_right)
    buttons = (buttons & ~left_and_right) | MOUSE_BUTTON_MIDDLE;

  if (x == load_int(mouse_x) && y == load_int(mouse_y) && z == load_int(mouse_z) &&
      buttons == load_int(mouse_b)) {
    return false;
  }
  auto callback =
      std::atomic_ref<void (*)(int)>(mouse_callback).load(std::memory_order_acquire);
  *callback_out = callback;
  *flags_out = callback != nullptr ? change_flags(x, y, z, buttons) : 0;
  store_int(mouse_x, x);
  store_int(mouse_y, y);
  store_int(mouse_z, z);
  store_int(mouse_b, buttons);
  store_int(mouse_pos, pack_mouse_pos(x, y));
  return true;
}

void clear_mouse_values() noexcept {
  std::lock_guard<std::recursive_mutex> lock(value_lock());
  for (int *value : {&raw_mouse_x, &raw_mouse_y, &raw_mouse_z, &raw_mouse_b, &mouse_x, &mouse_y,
                     &mouse_z, &mouse_b, &mouse_pos, &freeze_mouse}) {
    store_int(*value, 0);
  }
  drawn_x.store(0, std::memory_order_relaxed);
  drawn_y.store(0, std::memory_order_relaxed);
}

}  // namespace corvane

extern "C" {

int raw_mouse_x = 0;
int raw_mouse_y = 0;
int raw_mouse_z = 0;
int raw_mouse_b = 0;
int mouse_x = 0;
int mouse_y = 0;
int mouse_z = 0;
int mouse_b = 0;
int mouse_pos = 0;
void (*mouse_callback)(int) = nullptr;
int emulate_three = 0;
int mouse_polled = 0;
int freeze_mouse = 0;

void handle_mouse_input(int x, int y, int z, int buttons) noexcept {
  using namespace corvane;
  void (*callback)(int) = nullptr;
  int flags = 0;
  {
    // The report and the update it causes go together, so that two reporting threads cannot
    // leave the program's values behind the raw ones.
    std::lock_guard<std::recursive_mutex> lock(value_lock());
    store_int(raw_mouse_x, x);
    store_int(raw_mouse_y, y);
    store_int(raw_mouse_z, z);
    store_int(raw_mouse_b, buttons);
    if (installed_mouse_driver() == nullptr || mouse_is_polled()) return;
    if (!store_new_values(&callback, &flags)) return;
  }
  if (callback != nullptr) callback(flags);
}

}  // extern "C"
