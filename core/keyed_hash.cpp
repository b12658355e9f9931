// SipHash-1-3 (one compression round per 8-byte word, three finalisation rounds) and the key the
// process draws for it.
#include "core/keyed_hash.h"

#include <bit>
#include <chrono>
#include <random>

namespace corvane {
namespace {

struct sip_state {
  uint64_t v0, v1, v2, v3;

  void round() noexcept {
    v0 += v1;
    v1 = std::rotl(v1, 13);
    v1 ^= v0;
    v0 = std::rotl(v0, 32);
    v2 += v3;
    v3 = std::rotl(v3, 16);
    v3 ^= v2;
    v0 += v3;
    v3 = std::rotl(v3, 21);
    v3 ^= v0;
    v2 += v1;
    v1 = std::rotl(v1, 17);
    v1 ^= v2;
    v2 = std::rotl(v2, 32);
  }

  void absorb(uint64_t word) noexcept {
    v3 ^= word;
    round();
    v0 ^= word;
  }
};

uint64_t load_little_endian(const unsigned char *p, std::size_t count) noexcept {
  uint64_t word = 0;
  for (std::size_t i = 0; i < count; ++i) word |= uint64_t{p[i]} << (8 * i);
  return word;
}

hash_key draw_key() noexcept {
  uint64_t words[2] = {};
  try {
    std::random_device source;
    for (uint64_t &word : words) {
      word = (uint64_t{source()} << 32) ^ source();
    }
  } catch (...) {
    // No random source: the clock and the addresses below still vary between runs.
  }
  const auto now = static_cast<uint64_t>(
      std::chrono::steady_clock::now().time_since_epoch().count());
  const int local = 0;
  const hash_key mixed{words[0] ^ now, words[1] ^ reinterpret_cast<std::uintptr_t>(&local)};
  // One hash of the mixed words spreads the clock's and the address's few changing bits over
  // the whole key.
  const uint64_t spread = keyed_hash(mixed, words, sizeof words);
  return {mixed.k0 ^ spread, mixed.k1 ^ std::rotl(spread, 29)};
}

}  // namespace

uint64_t keyed_hash(const hash_key &key, const void *data, std::size_t size) noexcept {
  sip_state s{key.k0 ^ 0x736f6d6570736575ULL, key.k1 ^ 0x646f72616e646f6dULL,
              key.k0 ^ 0x6c7967656e657261ULL, key.k1 ^ 0x7465646279746573ULL};
  const auto *p = static_cast<const unsigned char *>(data);
  const std::size_t whole = size / 8 * 8;
  for (std::size_t i = 0; i < whole; i += 8) s.absorb(load_little_endian(p + i, 8));
  s.absorb(load_little_endian(p + whole, size - whole) | (uint64_t{size & 0xFF} << 56));
  s.v2 ^= 0xFF;
  for (int i = 0; i < 3; ++i) s.round();
  return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
}

const hash_key &process_hash_key() noexcept {
  static const hash_key key = draw_key();
  return key;
}

}  // namespace corvane
