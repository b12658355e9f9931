// Internal interface of the keyboard: the key rings, the staging state of polled mode, and the
// state that the event, timer and program threads share.
#ifndef CORVANE_INPUT_KEYBOARD_INTERNAL_H
#define CORVANE_INPUT_KEYBOARD_INTERNAL_H

#include <atomic>

#include "corvane/keyboard.h"

namespace corvane {

// A ring of typed keys. It is empty when start equals end and full when advancing end would
// reach start, so it holds KEY_BUFFER_SIZE - 1 keys. The consumer (the program's thread) alone
// writes start; a producer writes end only while it holds the lock counter, which it takes only
// when the counter goes from 0 to 1. A producer that finds the counter taken (another insertion,
// or a clear in progress) drops its key rather than interleave with the other one.
struct key_ring {
  std::atomic<int> lock{0};
  std::atomic<int> start{0};
  std::atomic<int> end{0};
  std::atomic<unsigned> dropped{0};  // keys refused because the ring was full or locked
  int codes[KEY_BUFFER_SIZE] = {};
  unsigned char indices[KEY_BUFFER_SIZE] = {};
};

extern key_ring key_buffer;
extern key_ring pending_key_buffer;

// Key state written in polled mode; poll_keyboard copies it into key_state.
extern signed char raw_key_state[KEY_STATE_SIZE];

// Producer side: true when the key went in.
bool key_ring_insert(key_ring &ring, int code, int index) noexcept;

// Consumer side: takes the oldest key; false when the ring is empty.
bool key_ring_take(key_ring &ring, int *code, int *index) noexcept;
bool key_ring_empty(const key_ring &ring) noexcept;
bool key_ring_full(const key_ring &ring) noexcept;

// Consumer side: forgets every key in the ring (start catches up with end).
void key_ring_discard(key_ring &ring) noexcept;

// Empties the ring and frees its lock; only while nothing else uses it.
void key_ring_reset(key_ring &ring) noexcept;

// Both rings reset, and key_state and raw_key_state all up.
void reset_keyboard_buffers() noexcept;

// Race-free access to the bytes of key_state and raw_key_state.
inline signed char load_key(signed char *state, int index) noexcept {
  return std::atomic_ref<signed char>(state[index]).load(std::memory_order_relaxed);
}
inline void store_key(signed char *state, int index, signed char value) noexcept {
  std::atomic_ref<signed char>(state[index]).store(value, std::memory_order_relaxed);
}

keyboard_driver_rec *installed_keyboard_driver() noexcept;
bool keyboard_is_polled() noexcept;
void set_keyboard_polled(bool polled) noexcept;

// Tells the low-level callback about a key index (index + 0x80 for a release).
void tell_lowlevel_callback(int scancode) noexcept;

// Inserts a typed key and wakes a reader blocked in the driver's wait_for_input.
void insert_typed_key(key_ring &ring, int code, int index) noexcept;

// Shows key_shifts on the LEDs when its lock flags changed since they were last shown.
void update_key_leds() noexcept;

// Repeat settings and state, in milliseconds; shared with the timer thread.
extern std::atomic<int> key_repeat_delay;
extern std::atomic<int> key_repeat_rate;
extern std::atomic<int> repeat_key;
extern std::atomic<int> repeat_scancode;
extern std::atomic<bool> repeat_rate_changed;

// Nonzero: the LEDs follow key_shifts. The flags last shown, -1 when none were.
extern std::atomic<int> key_led_flag;
extern std::atomic<int> shown_leds;

// Set while a reader is blocked in the driver's wait_for_input.
extern std::atomic<bool> waiting_for_input;

// Input source of a program without a keyboard driver.
extern int (*keypressed_hook)();
extern int (*readkey_hook)();

// Starts repeating (code, index) after a press when the driver wants emulated repeat.
void start_key_repeat(int code, int index) noexcept;

// Stops the repeat when index is the key being repeated.
void stop_key_repeat(int index) noexcept;

// Stops whatever key is being repeated.
void cancel_key_repeat() noexcept;

}  // namespace corvane

#endif  // CORVANE_INPUT_KEYBOARD_INTERNAL_H
