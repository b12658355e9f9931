// The rings of typed keys: the key buffer the program reads and the staging buffer of polled mode.
// Producers (the driver's thread, the repeat timer, the program's own simulated presses) and the
// consumer (the program's thread) meet through atomic indices; see key_ring.
#include <atomic>

#include "input/keyboard_internal.h"

namespace corvane {

key_ring key_buffer;
key_ring pending_key_buffer;
signed char raw_key_state[KEY_STATE_SIZE] = {};

namespace {

int advance(int position) noexcept { return (position + 1) % KEY_BUFFER_SIZE; }

}  // namespace

bool key_ring_insert(key_ring &ring, int code, int index) noexcept {
  bool inserted = false;
  // acq_rel: the producer that took the lock before us released its write of end through the
  // counter, and we must see it before we write the next slot.
  if (ring.lock.fetch_add(1, std::memory_order_acq_rel) == 0) {
    const int end = ring.end.load(std::memory_order_relaxed);
    const int next = advance(end);
    // acquire: the consumer has finished reading the slot it freed before we overwrite it.
    if (next != ring.start.load(std::memory_order_acquire)) {
      ring.codes[end] = code;
      ring.indices[end] = static_cast<unsigned char>(index >= 0 && index <= 255 ? index : 0);
      // The slot's contents are visible to the consumer that sees the new end. Sequentially
      // consistent rather than release, so that a reader about to block sees it or is woken.
      ring.end.store(next, std::memory_order_seq_cst);
      inserted = true;
    }
  }
  ring.lock.fetch_sub(1, std::memory_order_acq_rel);
  if (!inserted) ring.dropped.fetch_add(1, std::memory_order_relaxed);
  return inserted;
}

bool key_ring_take(key_ring &ring, int *code, int *index) noexcept {
  const int start = ring.start.load(std::memory_order_relaxed);
  if (start == ring.end.load(std::memory_order_acquire)) return false;
  if (code != nullptr) *code = ring.codes[start];
  if (index != nullptr) *index = ring.indices[start];
  ring.start.store(advance(start), std::memory_order_release);
  return true;
}

bool key_ring_empty(const key_ring &ring) noexcept {
  return ring.start.load(std::memory_order_relaxed) == ring.end.load(std::memory_order_seq_cst);
}

bool key_ring_full(const key_ring &ring) noexcept {
  return advance(ring.end.load(std::memory_order_acquire)) ==
         ring.start.load(std::memory_order_acquire);
}

void key_ring_discard(key_ring &ring) noexcept {
  ring.start.store(ring.end.load(std::memory_order_acquire), std::memory_order_release);
}

void key_ring_reset(key_ring &ring) noexcept {
  ring.lock.store(0, std::memory_order_relaxed);
  ring.start.store(0, std::memory_order_relaxed);
  ring.end.store(0, std::memory_order_release);
}

void reset_keyboard_buffers() noexcept {
  key_ring_reset(key_buffer);
  key_ring_reset(pending_key_buffer);
  for (int i = 0; i < KEY_STATE_SIZE; ++i) {
    store_key(key_state, i, 0);
    store_key(raw_key_state, i, 0);
  }
}

}  // namespace corvane
