// The program's side of the key buffer: asking whether a key is waiting, reading keys, clearing
// the buffer and typing keys on the program's behalf.
#include <atomic>

#include "corvane/keyboard.h"
#include "corvane/text.h"
#include "corvane/timer.h"
#include "input/keyboard_internal.h"

namespace corvane {
namespace {

// read_key hands out one byte of character: a character the current encoding does not store as
// that single byte (above 255, or above 127 in UTF-8) reads as '^'.
int character_as_byte(int character) noexcept {
  if (character > 255) return '^';
  if (character > 127 && get_text_encoding() == ENCODING_UTF8) return '^';
  return character;
}

}  // namespace
}  // namespace corvane

extern "C" {

int key_waiting(void) noexcept {
  using namespace corvane;
  if (keyboard_is_polled()) poll_keyboard();
  if (!key_ring_empty(key_buffer)) return -1;
  if (keypressed_hook != nullptr) return keypressed_hook();
  return 0;
}

int read_key_unicode(int *index) noexcept {
  using namespace corvane;
  keyboard_driver_rec *driver = installed_keyboard_driver();
  if (readkey_hook != nullptr && key_ring_empty(key_buffer)) {
    const int key = readkey_hook();
    if (index != nullptr) *index = key >> 8;
    return key & 0xFF;
  }
  if (driver == nullptr && key_ring_empty(key_buffer)) {
    if (index != nullptr) *index = 0;
    return 0;
  }

  while (key_ring_empty(key_buffer)) {
    driver = installed_keyboard_driver();
    // Removed while we waited: nothing will ever arrive.
    if (driver == nullptr) {
      if (index != nullptr) *index = 0;
      return 0;
    }
    if (driver->wait_for_input != nullptr) {
      // A key that arrived just before the flag was set sent no wake-up; do not block on it. The
      // flag and the ring's end are both sequentially consistent, so either the producer sees
      // the flag or we see its key.
      waiting_for_input.store(true, std::memory_order_seq_cst);
      if (key_ring_empty(key_buffer)) driver->wait_for_input();
      waiting_for_input.store(false, std::memory_order_relaxed);
    }
    if (keyboard_is_polled()) poll_keyboard();
    if (key_ring_empty(key_buffer)) rest_ms(1);
  }

  int code = 0;
  int key_index = 0;
  key_ring_take(key_buffer, &code, &key_index);
  if (index != nullptr) *index = key_index;
  return code;
}

int read_key(void) noexcept {
  int index = 0;
  const int character = read_key_unicode(&index);
  return (index << 8) | corvane::character_as_byte(character);
}

void clear_key_buffer(void) noexcept {
  using namespace corvane;
  if (keyboard_is_polled()) poll_keyboard();
  // With the locks raised, a key arriving meanwhile is dropped instead of landing half-way
  // through the clear.
  key_buffer.lock.fetch_add(1, std::memory_order_acq_rel);
  pending_key_buffer.lock.fetch_add(1, std::memory_order_acq_rel);
  key_ring_discard(key_buffer);
  key_ring_discard(pending_key_buffer);
  pending_key_buffer.lock.fetch_sub(1, std::memory_order_acq_rel);
  key_buffer.lock.fetch_sub(1, std::memory_order_acq_rel);
  if (keypressed_hook != nullptr && readkey_hook != nullptr) {
    while (keypressed_hook() != 0) readkey_hook();
  }
}

void simulate_key_press(int key) noexcept {
  corvane::insert_typed_key(corvane::key_buffer, key & 0xFF, (key >> 8) & 0xFF);
}

void simulate_unicode_press(int character, int index) noexcept {
  if (character < 0) return;
  corvane::insert_typed_key(corvane::key_buffer, character, index);
}

}  // extern "C"
