// A hash of byte strings under a secret key, for sets and maps filled from input the library does
// not control. A hash with a fixed seed lets whoever writes the input choose names that all land
// in one bucket, which turns a set's constant-time look-ups into a walk of everything stored
// before; under a key drawn at run time such names cannot be prepared in advance.
#ifndef CORVANE_CORE_KEYED_HASH_H
#define CORVANE_CORE_KEYED_HASH_H

#include <cstddef>
#include <cstdint>

namespace corvane {

struct hash_key {
  uint64_t k0;
  uint64_t k1;
};

// SipHash-1-3 of size bytes at data under key: a 64-bit value that cannot be steered without
// knowing the key. The bytes are read one by one, so the result does not depend on the machine's
// byte order or on alignment.
uint64_t keyed_hash(const hash_key &key, const void *data, std::size_t size) noexcept;

// A key drawn once per process from the system's random source (mixed with the clock and an
// address, which also stand in when the source fails).
const hash_key &process_hash_key() noexcept;

}  // namespace corvane

#endif  // CORVANE_CORE_KEYED_HASH_H
