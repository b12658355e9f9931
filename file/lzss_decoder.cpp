// The LZSS decoder. It keeps the ring, the flag bits of the current group, a reference cut off by
// a full output buffer and a reference whose second byte has not arrived yet, so that a stream can
// ask for one buffer at a time and the input may end anywhere. References to ring bytes that were
// never written mark the data as corrupt.
#include <cstdint>
#include <cstring>
#include <new>

#include "file/lzss.h"

namespace corvane {

namespace {

constexpr int ring_mask = lzss_ring_size - 1;
constexpr int input_size = 4096;

// The encoder may refer to the max_match zero bytes just before the start position; every other
// position is valid only once it has been written.
constexpr int first_valid_position = lzss_start_position - lzss_max_match;

}  // namespace

struct lzss_decoder {
  unsigned char ring[lzss_ring_size] = {};
  int r = lzss_start_position;
  unsigned flags = 0;  // flag bits of the current group, next one lowest
  int flag_bits = 0;   // flag bits not used yet
  int ref_position = 0;
  int ref_left = 0;     // bytes of a reference still to copy
  int pending_b1 = -1;  // first byte of a reference whose second byte is missing
  int64_t produced = 0;
  bool failed = false;
  int in_pos = 0;
  int in_length = 0;
  unsigned char in[input_size];

  bool refill(const lzss_input &input) {
    const long got = input.read(input.context, in, input_size);
    in_pos = 0;
    in_length = got > 0 ? static_cast<int>(got) : 0;
    return in_length > 0;
  }

  // True when a reference to ring position p only reads bytes already written (or the zeros in
  // front of the start), produced_now bytes having been written so far.
  static bool valid_reference(int p, int64_t produced_now) {
    if (produced_now >= lzss_ring_size) return true;
    return ((p - first_valid_position) & ring_mask) <
           lzss_max_match + static_cast<int>(produced_now);
  }
};

lzss_decoder *create_lzss_decoder() noexcept { return new (std::nothrow) lzss_decoder(); }

void destroy_lzss_decoder(lzss_decoder *decoder) noexcept { delete decoder; }

long lzss_decode(lzss_decoder *d, unsigned char *out, long size, const lzss_input &input) noexcept {
  if (d->failed) return -1;
  if (size <= 0) return 0;
  unsigned char *o = out;
  unsigned char *const end = out + size;
  unsigned char *const ring = d->ring;
  int r = d->r;
  int in_pos = d->in_pos;
  int in_length = d->in_length;
  const unsigned char *in = d->in;

  // Takes the next input byte into b; false at the end of the input.
  auto next = [&](int &b) -> bool {
    if (in_pos == in_length) {
      if (!d->refill(input)) {
        in_pos = in_length = 0;
        return false;
      }
      in_pos = 0;
      in_length = d->in_length;
    }
    b = in[in_pos++];
    return true;
  };

  for (;;) {
    if (d->ref_left > 0) {
      int n = d->ref_left;
      if (n > end - o) n = static_cast<int>(end - o);
      int p = d->ref_position;
      for (int i = 0; i < n; ++i) {
        const unsigned char c = ring[p];
        p = (p + 1) & ring_mask;
        ring[r] = c;
        r = (r + 1) & ring_mask;
        *o++ = c;
      }
      d->ref_position = p;
      d->ref_left -= n;
      if (d->ref_left > 0) break;
    }
    if (o == end) break;

    // Fast path: a whole group fits in both the input and the output.
    if (d->flag_bits == 0 && input.passdata == nullptr && in_length - in_pos >= 17 &&
        end - o >= 8 * lzss_max_match && d->produced + (o - out) >= lzss_ring_size) {
      unsigned flags = in[in_pos++];
      for (int item = 0; item < 8; ++item, flags >>= 1) {
        if (flags & 1) {
          const unsigned char c = in[in_pos++];
          ring[r] = c;
          r = (r + 1) & ring_mask;
          *o++ = c;
        } else {
          const int b1 = in[in_pos];
          const int b2 = in[in_pos + 1];
          in_pos += 2;
          int p = b1 | ((b2 & 0xF0) << 4);
          const int n = (b2 & 0x0F) + lzss_threshold + 1;
          for (int i = 0; i < n; ++i) {
            const unsigned char c = ring[p];
            p = (p + 1) & ring_mask;
            ring[r] = c;
            r = (r + 1) & ring_mask;
            *o++ = c;
          }
        }
      }
      continue;
    }

    if (d->flag_bits == 0) {
      int b;
      if (!next(b)) break;
      if (input.passdata != nullptr && input.passpos != nullptr && *input.passdata != 0) {
        char *&pos = *input.passpos;
        b ^= static_cast<unsigned char>(*pos++);
        if (*pos == 0) pos = input.passdata;
      }
      d->flags = static_cast<unsigned>(b);
      d->flag_bits = 8;
    }
    if (d->flags & 1) {
      int c;
      if (!next(c)) break;
      ring[r] = static_cast<unsigned char>(c);
      r = (r + 1) & ring_mask;
      *o++ = static_cast<unsigned char>(c);
    } else {
      int b1 = d->pending_b1;
      if (b1 < 0 && !next(b1)) break;
      int b2;
      if (!next(b2)) {
        d->pending_b1 = b1;
        break;
      }
      d->pending_b1 = -1;
      const int p = b1 | ((b2 & 0xF0) << 4);
      if (!lzss_decoder::valid_reference(p, d->produced + (o - out))) {
        d->failed = true;
        break;
      }
      d->ref_position = p;
      d->ref_left = (b2 & 0x0F) + lzss_threshold + 1;
    }
    d->flags >>= 1;
    --d->flag_bits;
  }

  d->r = r;
  d->in_pos = in_pos;
  d->in_length = in_length;
  const long made = static_cast<long>(o - out);
  d->produced += made;
  if (d->failed && made == 0) return -1;
  return made;
}

}  // namespace corvane
