// Internal interface of the software mixer: its state, its lock, and the pieces that the mixing of
// one block is made of (position rules, gains, sweeps and the per-format inner loops).
#ifndef CORVANE_SOUND_MIXER_INTERNAL_H
#define CORVANE_SOUND_MIXER_INTERNAL_H

#include <atomic>
#include <cstdint>
#include <memory>

#include "corvane/sound.h"
#include "sound/sound_internal.h"

namespace corvane {

// What the mixer keeps of a voice to walk its sample data. Positions are frame index x 256 (eight
// fraction bits), held in 64 bits so that no sample length can wrap them. Guarded by the mixer
// lock.
struct mixer_voice {
  int playing = 0;   // nonzero while the voice sounds
  int channels = 1;  // 2 for a stereo sample
  int bits = 8;      // 8 or 16
  const void *data = nullptr;
  int64_t position = 0;
  int step = 0;  // position increment per output frame; negative while playing backward
  int64_t length = 0;
  int64_t loop_start = 0;
  int64_t loop_end = 0;
  int left_volume = 0;  // gains 0..65535
  int right_volume = 0;
};

struct mixer_state {
  int voice_count = 0;                // voices served, at most 64
  int frames = 0;                     // frames per block
  int rate = 0;                       // output rate in Hz
  int channels = 0;                   // 1 or 2
  int bits = 0;                       // 8 or 16
  std::unique_ptr<int32_t[]> buffer;  // one block of accumulated output
  mixer_voice voices[PHYSICAL_VOICE_COUNT];
};

extern mixer_state mixer;
extern std::atomic<int> mix_volume_shift;

// The mixer lock: a recursive mutex of the system driver (or the library's own when it has none),
// held while a block is mixed and while a voice's mixing state changes. Locking a closed mixer does
// nothing.
bool create_mixer_lock() noexcept;
void destroy_mixer_lock() noexcept;
class mixer_lock {
 public:
  mixer_lock() noexcept;
  ~mixer_lock();
  mixer_lock(const mixer_lock &) = delete;
  mixer_lock &operator=(const mixer_lock &) = delete;

 private:
  void *locked_;
};

// Recomputes a voice's gains from its physical voice's volume and pan and the volume shift.
void refresh_voice_gains(int voice) noexcept;

// The position step of a voice from its physical voice's frequency and direction.
int step_from_frequency(int voice) noexcept;

// Mixes one block of a playing voice into buffer (frames x channels words), or moves a silent one
// on. quality is 0, 1 or 2 (1 and 2 only for stereo output).
void mix_voice_block(int voice, int32_t *buffer, int frames, int channels, int quality) noexcept;

// Converts a block of accumulated words into output samples.
void convert_block(const int32_t *buffer, int count, void *out, int bits,
                   bool signed_output) noexcept;

// ---- Inner loops -------------------------------------------------------------------------------

// Mixes n frames of a voice starting at position pos (every frame inside the sample, and for
// quality 2 the following frame too) with constant step and gains.
using mix_span_routine = void (*)(int32_t *out, const void *data, int64_t pos, int step, int n,
                                  int left_gain, int right_gain);

// Quality 2 for frames whose following frame may lie past the end: while pos < limit the next
// frame is read, beyond it the given values (the loop's first frame, or 0) are used.
using mix_tail_routine = void (*)(int32_t *out, const void *data, int64_t pos, int step, int n,
                                  int left_gain, int right_gain, int64_t limit, int32_t next_left,
                                  int32_t next_right);

// The routines for a quality (0..2), output channels (1, 2), sample width (8, 16) and sample
// channels (1, 2), chosen once per span from a table; the tail routine is null below quality 2.
struct mix_routines {
  mix_span_routine span;
  mix_tail_routine tail;
};
mix_routines find_mix_routines(int quality, int out_channels, int bits, int channels) noexcept;

// A sample value on the interpolation scale (+-2^23), as quality 2 reads it.
inline int32_t interpolation_value(const void *data, int bits, int64_t index) noexcept {
  if (bits == 16)
    return static_cast<int32_t>(static_cast<const uint16_t *>(data)[index]) * 256 - 0x800000;
  return (static_cast<int32_t>(static_cast<const uint8_t *>(data)[index]) - 128) * 65536;
}

}  // namespace corvane

#endif  // CORVANE_SOUND_MIXER_INTERNAL_H
