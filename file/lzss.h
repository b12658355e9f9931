// LZSS compression of packfile data: a 4096-byte ring buffer, zero at the start, written from
// position 4078 on; items in groups of eight behind a flag byte whose bits (least significant
// first) say 1 = literal byte, 0 = two-byte reference (b1, b2) to ring position
// b1 | (b2 & 0xF0) << 4 of length (b2 & 0x0F) + 3.
#ifndef CORVANE_FILE_LZSS_H
#define CORVANE_FILE_LZSS_H

namespace corvane {

constexpr int lzss_ring_size = 4096;
constexpr int lzss_max_match = 18;
constexpr int lzss_threshold = 2;  // matches of this length or shorter are sent as literals
constexpr int lzss_start_position = lzss_ring_size - lzss_max_match;

// Where compressed bytes go: write returns 0, or -1 when the bytes could not be stored.
struct lzss_output {
  int (*write)(void *context, const unsigned char *data, long size);
  void *context;
};

// Where compressed bytes come from: read returns the bytes read, 0 at the end of the input.
// With passdata set, every flag byte is XORed with the next password byte (older key form);
// *passpos is moved along and wraps at the password's end.
struct lzss_input {
  long (*read)(void *context, unsigned char *buffer, long size);
  void *context;
  char *passdata;
  char **passpos;
};

struct lzss_encoder;
struct lzss_decoder;

// Null when memory is short.
lzss_encoder *create_lzss_encoder() noexcept;
void destroy_lzss_encoder(lzss_encoder *encoder) noexcept;

// Compresses size bytes, keeping the state for the next call; a final call finishes the last
// group. Returns 0, or -1 when the output failed.
int lzss_encode(lzss_encoder *encoder, const unsigned char *data, long size, bool final,
                const lzss_output &output) noexcept;

lzss_decoder *create_lzss_decoder() noexcept;
void destroy_lzss_decoder(lzss_decoder *decoder) noexcept;

// Decompresses up to size bytes into out, keeping the state (also of a reference cut off by a full
// buffer) for the next call. Returns the bytes produced: fewer than size only at the end of the
// input, and -1 once the data proved corrupt (a reference to ring bytes never written).
long lzss_decode(lzss_decoder *decoder, unsigned char *out, long size,
                 const lzss_input &input) noexcept;

}  // namespace corvane

#endif  // CORVANE_FILE_LZSS_H
