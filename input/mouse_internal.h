// Internal interface of the mouse: the lock around the reported values, the pointer images, the
// pointer drawn on a bitmap and the polling handler that keeps it where the mouse is.
//
// Three threads meet here. A driver reports on its own thread (handle_mouse_input), under
// value_lock. The polling handler runs on the timer thread and draws the pointer; the program's
// thread changes what is drawn (show_mouse, set_mouse_sprite, scares) only while the handler is
// taken out of the timer (pointer_pause), so the pointer state below is never used by both at
// once. Nothing here waits for another thread, or calls the program, while holding value_lock.
#ifndef CORVANE_INPUT_MOUSE_INTERNAL_H
#define CORVANE_INPUT_MOUSE_INTERNAL_H

#include <atomic>
#include <mutex>

#include "corvane/mouse.h"

namespace corvane {

// ---- Values (mouse_values.cpp).

// Guards the raw values and the update of the program's values (the callback is told after it is
// let go); recursive, so that a step holding it may set the raw position.
std::recursive_mutex &value_lock() noexcept;

// The driver of an installed mouse (null otherwise), and its polled flag, as other threads read
// them.
mouse_driver *installed_mouse_driver() noexcept;
bool mouse_is_polled() noexcept;

// Race-free access to the public ints.
inline int load_int(int &value) noexcept {
  return std::atomic_ref<int>(value).load(std::memory_order_relaxed);
}
inline void store_int(int &value, int new_value) noexcept {
  std::atomic_ref<int>(value).store(new_value, std::memory_order_relaxed);
}

// Sets the raw position (the program's side, for drivers without a position operation).
void set_raw_position(int x, int y) noexcept;

// The update rule: the program's values from the raw ones (or from the drawn position while
// frozen), and the callback told what changed.
void update_mouse_values() noexcept;

// The update's first half, with value_lock held: stores the new values and gives the callback to
// tell and its flags. False when nothing changed.
bool store_new_values(void (**callback)(int), int *flags) noexcept;

// mouse_x << 16 | (mouse_y & 0xFFFF), without overflow.
int pack_mouse_pos(int x, int y) noexcept;

// Every value back to 0.
void clear_mouse_values() noexcept;

// ---- The range the pointer stays in (mouse.cpp), inclusive corners.
struct mouse_range {
  int x1 = 0, y1 = 0, x2 = 319, y2 = 199;
};
mouse_range current_mouse_range() noexcept;

// ---- Pointer images (mouse_images.cpp).

inline constexpr int BUILTIN_POINTER_SIZE = 16;
inline constexpr int BUILTIN_FOCUS = 1;

// The picture of a built-in pointer (16 rows of 16 characters: '.' transparent, 'o' white, 'x'
// black); the question and edit pointers share the arrow's.
const char *const *builtin_pointer_rows(int cursor) noexcept;

// Makes the built-in images at the current colour depth when they are missing or of another
// depth. False when memory is short.
bool make_builtin_pointers() noexcept;
void free_builtin_pointers() noexcept;

// The built-in image of a cursor (2 to 5), or null.
bitmap *builtin_pointer(int cursor) noexcept;

// A copy of sprite at another depth, pixel for pixel: mask pixels stay transparent, 8-bit
// sprites go through the palette table of the target depth as draw_sprite_8bit does, others
// through their colour components. Null when memory is short.
bitmap *convert_pointer_image(bitmap *sprite, int depth) noexcept;

// ---- The pointer (mouse_pointer.cpp). Program thread with the handler paused, or the handler.
struct pointer_state {
  bitmap *sprite = nullptr;      // the sprite of set_mouse_sprite (or the built-in arrow)
  int selected = MOUSE_CURSOR_SPRITE;
  bitmap *shown_on = nullptr;    // where the pointer is shown, or null
  bool hw_sprite_dirty = true;   // the graphics driver's cursor needs the image again
  bool hw_cursor_allowed = false;
  bitmap *drawn_image = nullptr;  // the image the pointer was drawn with last
  // The image drawn, converted to the depth of the bitmap it is shown on, and the two scratch
  // bitmaps that keep what it covers (the second twice as large, for overlapping moves).
  bitmap *converted = nullptr;
  bitmap *converted_from = nullptr;
  bitmap *background = nullptr;
  bitmap *double_background = nullptr;
  bool drawn = false;             // the software pointer is on the bitmap
  bool hardware_shown = false;    // the graphics driver's cursor shows the pointer
  bool handler_installed = false;
};
pointer_state &pointer() noexcept;

// Where the pointer was last drawn; read by the update rule while the pointer is frozen.
extern std::atomic<int> drawn_x;
extern std::atomic<int> drawn_y;

// The image the pointer shows now: the built-in one of a selected system pointer the driver did
// not take, else the sprite.
bitmap *current_pointer_image() noexcept;

// Takes the polling handler out of the timer for its lifetime, and puts it back afterwards when it
// was in.
class pointer_pause {
 public:
  pointer_pause() noexcept;
  ~pointer_pause();
  pointer_pause(const pointer_pause &) = delete;
  pointer_pause &operator=(const pointer_pause &) = delete;

 private:
  bool was_installed_;
};

// Installs the polling handler (10 ms) / takes it out.
void install_pointer_handler() noexcept;
void remove_pointer_handler() noexcept;

// Moves the software pointer to the raw position at once (handler paused).
void redraw_software_pointer() noexcept;

// Takes the pointer away and the handler out for good (removing the mouse).
void hide_pointer_for_removal() noexcept;

// Frees the scratch bitmaps and the converted image, and forgets the pointer.
void reset_pointer() noexcept;

// ---- Scares (mouse_scare.cpp).
void reset_scare_stack() noexcept;

}  // namespace corvane

#endif  // CORVANE_INPUT_MOUSE_INTERNAL_H
