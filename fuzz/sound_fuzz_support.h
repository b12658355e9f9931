// Helpers of the sound fuzz targets: an input read through a library stream over a descriptor
// (whose length is known) and through a stream of the caller's own operations (whose length is
// not), and the checks every sample that comes back must pass.
#ifndef CORVANE_FUZZ_SOUND_FUZZ_SUPPORT_H
#define CORVANE_FUZZ_SOUND_FUZZ_SUPPORT_H

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "corvane/packfile.h"
#include "corvane/sound.h"
#include "fuzz_support.h"

namespace fuzz {

// A caller's stream over bytes in memory.
struct memory_stream {
  std::string_view bytes;
  size_t at = 0;
  bool ended = false;

  static memory_stream *of(void *p) { return static_cast<memory_stream *>(p); }
  static int close(void *) { return 0; }
  static int getc(void *p) {
    memory_stream *m = of(p);
    if (m->at >= m->bytes.size()) {
      m->ended = true;
      return -1;
    }
    return static_cast<unsigned char>(m->bytes[m->at++]);
  }
  static int ungetc(void *p, int c) {
    memory_stream *m = of(p);
    if (m->at == 0) return -1;
    --m->at;
    m->ended = false;
    return c;
  }
  static long read(void *p, void *buffer, long count) {
    memory_stream *m = of(p);
    const size_t n = std::min(static_cast<size_t>(count), m->bytes.size() - m->at);
    std::memcpy(buffer, m->bytes.data() + m->at, n);
    m->at += n;
    if (n < static_cast<size_t>(count)) m->ended = true;
    return static_cast<long>(n);
  }
  static int putc(void *, int) { return -1; }
  static long write(void *, const void *, long) { return -1; }
  static int seek(void *p, long offset) {
    memory_stream *m = of(p);
    if (offset < 0) return -1;
    m->at = std::min(m->bytes.size(), m->at + static_cast<size_t>(offset));
    return 0;
  }
  static int eof(void *p) { return of(p)->ended ? 1 : 0; }
  static int error(void *) { return 0; }
};

inline const packfile_ops memory_stream_ops = {
    memory_stream::close, memory_stream::getc,  memory_stream::ungetc,
    memory_stream::read,  memory_stream::putc,  memory_stream::write,
    memory_stream::seek,  memory_stream::eof,   memory_stream::error,
};

// Runs reader over the input both ways and checks what it answers.
template <typename Check>
void read_both_ways(std::string_view input, sample *(*reader)(packfile *), Check check) {
  const memory_file file(input);
  packfile *f = open_packfile_fd(file.open_descriptor(), "r");
  FUZZ_CHECK(f != nullptr);
  sample *a = reader(f);
  close_packfile(f);
  check(a);

  memory_stream m{input};
  f = open_packfile_ops(&memory_stream_ops, &m);
  FUZZ_CHECK(f != nullptr);
  sample *b = reader(f);
  close_packfile(f);
  check(b);
  // The same bytes give the same sample whichever way they are read.
  FUZZ_CHECK((a == nullptr) == (b == nullptr));
  if (a != nullptr) {
    FUZZ_CHECK(a->length == b->length && a->bits == b->bits && a->stereo == b->stereo);
    const size_t size = static_cast<size_t>(a->length) * (a->bits == 16 ? 2 : 1) *
                        (a->stereo != 0 ? 2 : 1);
    FUZZ_CHECK(std::memcmp(a->data, b->data, size) == 0);
  }
  free_sample(a);
  free_sample(b);
}

// What every sample must be: a shape the mixer plays, a loop inside it, every byte readable.
inline void check_sample(const sample *s) {
  if (s == nullptr) return;
  FUZZ_CHECK(s->bits == 8 || s->bits == 16);
  FUZZ_CHECK(s->length >= 0 && s->frequency > 0);
  FUZZ_CHECK(s->loop_start >= 0 && s->loop_start <= s->loop_end && s->loop_end <= s->length);
  const size_t size =
      static_cast<size_t>(s->length) * (s->bits == 16 ? 2 : 1) * (s->stereo != 0 ? 2 : 1);
  unsigned sum = 0;
  for (size_t i = 0; i < size; ++i) sum += static_cast<const unsigned char *>(s->data)[i];
  static volatile unsigned sink;
  sink = sum;  // touches every byte, so MemorySanitizer-like tools and ASan see them all
}

}  // namespace fuzz

#endif  // CORVANE_FUZZ_SOUND_FUZZ_SUPPORT_H
