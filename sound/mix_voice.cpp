// Mixing one voice for one block: the gains and step taken from its physical voice, the position
// rules at the ends of the sample and of its loop, the sweeps applied every 16 frames, and the
// shortcut that only moves a silent voice on.
//
// A voice is mixed in spans of frames over which nothing changes: a span ends where the position
// reaches an end or a loop edge, where quality 2 reaches the last frame (whose following frame
// is not the next in memory), and every 16 frames while a sweep runs.
#include <cstdint>
#include <limits>

#include "corvane/sound.h"
#include "sound/mixer_internal.h"

namespace corvane {

void refresh_voice_gains(int voice) noexcept {
  const physical_voice &p = physical_voices[voice];
  const int64_t volume = get(p.volume) >> 12;
  const int64_t pan = get(p.pan) >> 12;
  const int shift = mix_volume_shift.load(std::memory_order_relaxed);
  const auto gain = [shift](int64_t x) {
    x = ((x + (x >> 7)) * 2) >> shift;
    return static_cast<int>(x < 0 ? 0 : x > 65535 ? 65535 : x);
  };
  mixer_voice &m = mixer.voices[voice];
  m.left_volume = gain(volume * (255 - pan));
  m.right_volume = gain(volume * pan);
}

int step_from_frequency(int voice) noexcept {
  const physical_voice &p = physical_voices[voice];
  if (mixer.rate <= 0) return 0;
  // A negative frequency would walk a forward voice out of its loop; it holds still instead.
  const int frequency = get(p.frequency);
  const int step = frequency > 0 ? (frequency >> 4) / mixer.rate : 0;
  return (get(p.playmode) & PLAYMODE_BACKWARD) != 0 ? -step : step;
}

namespace {

constexpr int64_t never = std::numeric_limits<int64_t>::max();

bool voice_loops(const mixer_voice &m, int playmode) noexcept {
  return (playmode & PLAYMODE_LOOP) != 0 && m.loop_end > m.loop_start;
}

void reverse(int &step, physical_voice &p) noexcept {
  step = -step;
  p.playmode.fetch_xor(PLAYMODE_BACKWARD, std::memory_order_relaxed);
}

// Frames mixed until the position reaches an end (or loop edge) in its direction, counting the
// frame after which that happens; 1 when it is there already.
int64_t frames_until_edge(const mixer_voice &m, bool loops, int64_t pos, int step) noexcept {
  if (step > 0) {
    const int64_t limit = loops ? m.loop_end : m.length;
    if (pos >= limit) return 1;
    return (limit - pos + step - 1) / step;
  }
  if (step < 0) {
    const int64_t low = loops ? m.loop_start : 0;
    if (pos < low) return 1;
    return (pos - low) / -int64_t{step} + 1;
  }
  return never;
}

// Brings a position that crossed the loop's far edge back inside the loop, as often as needed: a
// plain loop wraps by its length, a bidirectional one reflects at each edge in turn (reversing
// each time). Closed forms stand in for the repetitions, so a huge jump costs no more than a
// small one.
void fold_into_loop(const mixer_voice &m, physical_voice &p, int64_t &pos, int &step) noexcept {
  const int64_t start = m.loop_start;
  const int64_t length = m.loop_end - m.loop_start;
  const bool bidirectional = (get(p.playmode) & PLAYMODE_BIDIR) != 0;
  if (!bidirectional) {
    if (step > 0 && pos >= m.loop_end) pos = start + (pos - start) % length;
    if (step < 0 && pos < start) pos += (start - pos + length - 1) / length * length;
    return;
  }
  // Forward positions reflect about the last position inside (loop_end - 1), backward ones about
  // loop_start; a full round trip moves a position by twice their distance.
  const int64_t last = m.loop_end - 1;
  const int64_t width = last - start;
  const auto reduce = [width](int64_t beyond) {
    return beyond > 2 * width ? (beyond - 1) % (2 * width) + 1 : beyond;
  };
  if (step > 0 && pos > last) {
    const int64_t beyond = reduce(pos - last);
    if (beyond <= width) {
      pos = last - beyond;
      reverse(step, p);
    } else {
      pos = last + beyond - 2 * width;
    }
  } else if (step < 0 && pos < start) {
    const int64_t beyond = reduce(start - pos);
    if (beyond <= width) {
      pos = start + beyond;
      reverse(step, p);
    } else {
      pos = start + 2 * width - beyond;
    }
  }
}

// The loop rule after the frame at which the position crossed the loop's far edge: a plain loop
// wraps by its length once, a bidirectional one reflects once. Where that single rule would leave
// the sample data (a step longer than the loop), the position is folded into the loop instead.
void wrap_after_edge(const mixer_voice &m, physical_voice &p, int64_t &pos, int &step) noexcept {
  const bool bidirectional = (get(p.playmode) & PLAYMODE_BIDIR) != 0;
  const int64_t length = m.loop_end - m.loop_start;
  const int64_t next = step > 0 ? (bidirectional ? (m.loop_end - 1) * 2 - pos : pos - length)
                                : (bidirectional ? m.loop_start * 2 - pos : pos + length);
  if (next < 0 || next >= m.length) {
    fold_into_loop(m, p, pos, step);
    return;
  }
  pos = next;
  if (bidirectional) reverse(step, p);
}

// Quality 2 reads the frame after each one; at the last frame of the sample that is the loop's
// first frame (for a plain forward loop that ends at the end of the sample) or silence.
void mix_interpolated(const mix_routines &routines, const mixer_voice &m, int playmode, bool loops,
                      int32_t *out, int64_t pos, int step, int n, int left_gain,
                      int right_gain) noexcept {
  const int64_t limit = m.length - 256;
  while (n > 0) {
    int count = n;
    if (pos < limit) {
      if (step > 0) {
        const int64_t inside = (limit - pos + step - 1) / step;
        if (inside < count) count = static_cast<int>(inside);
      }
      routines.span(out, m.data, pos, step, count, left_gain, right_gain);
    } else {
      if (step < 0) {
        const int64_t at_end = (pos - limit) / -int64_t{step} + 1;
        if (at_end < count) count = static_cast<int>(at_end);
      }
      int32_t next_left = 0;
      int32_t next_right = 0;
      const bool wraps =
          loops && (playmode & (PLAYMODE_BIDIR | PLAYMODE_BACKWARD)) == 0 && m.loop_end == m.length;
      if (wraps) {
        const int64_t first = (m.loop_start >> 8) * m.channels;
        next_left = interpolation_value(m.data, m.bits, first);
        next_right = m.channels == 2 ? interpolation_value(m.data, m.bits, first + 1) : next_left;
      }
      routines.tail(out, m.data, pos, step, count, left_gain, right_gain, limit, next_left,
                    next_right);
    }
    pos += int64_t{count} * step;
    out += 2 * count;
    n -= count;
  }
}

bool any_sweep(const physical_voice &p) noexcept {
  return get(p.volume_step) != 0 || get(p.pan_step) != 0 || get(p.frequency_step) != 0;
}

// One sweep point of an audible voice. Answers whether a sweep is still running.
bool advance_voice_sweeps(int voice, int &step) noexcept {
  physical_voice &p = physical_voices[voice];
  const bool volume_moves = get(p.volume_step) != 0;
  const bool pan_moves = get(p.pan_step) != 0;
  if (volume_moves) advance_ramp(p.volume, p.volume_step, p.volume_target, 1);
  if (pan_moves) advance_ramp(p.pan, p.pan_step, p.pan_target, 1);
  if (volume_moves || pan_moves) refresh_voice_gains(voice);
  if (get(p.frequency_step) != 0) {
    advance_ramp(p.frequency, p.frequency_step, p.frequency_target, 1);
    step = step_from_frequency(voice);
  }
  return any_sweep(p);
}

// A voice at volume 0 that is not fading in is not mixed: its position jumps a whole block, and
// its pan and frequency sweeps take a block's worth of steps at once.
void advance_silent_voice(int voice, int frames) noexcept {
  mixer_voice &m = mixer.voices[voice];
  physical_voice &p = physical_voices[voice];
  int64_t pos = m.position + int64_t{frames} * m.step;
  int step = m.step;
  if (!voice_loops(m, get(p.playmode))) {
    if (static_cast<uint64_t>(pos) >= static_cast<uint64_t>(m.length)) m.playing = 0;
  } else {
    fold_into_loop(m, p, pos, step);
  }
  m.position = pos;
  m.step = step;
  const int64_t steps = frames / 16;
  if (steps > 0) {
    advance_ramp(p.pan, p.pan_step, p.pan_target, steps);
    if (get(p.frequency_step) != 0) {
      advance_ramp(p.frequency, p.frequency_step, p.frequency_target, steps);
      m.step = step_from_frequency(voice);
    }
  }
}

}  // namespace

void mix_voice_block(int voice, int32_t *buffer, int frames, int channels, int quality) noexcept {
  mixer_voice &m = mixer.voices[voice];
  physical_voice &p = physical_voices[voice];
  if (get(p.volume) <= 0 && get(p.volume_step) <= 0) {
    advance_silent_voice(voice, frames);
    return;
  }
  const mix_routines routines = find_mix_routines(quality, channels, m.bits, m.channels);
  int64_t pos = m.position;
  int step = m.step;
  bool sweeping = any_sweep(p);
  int remaining = frames;
  int32_t *out = buffer;
  while (remaining > 0) {
    // Sweeps apply after each frame that leaves a multiple of 16 frames still to make.
    const int chunk = sweeping ? (remaining - 1) % 16 + 1 : remaining;
    int left = chunk;
    while (left > 0) {
      // Only frames inside the sample are read (an empty sample, or a position moved past the
      // end by hand, stops the voice).
      if (pos < 0 || pos >= m.length) {
        m.playing = 0;
        m.position = pos;
        m.step = step;
        return;
      }
      const int playmode = get(p.playmode);
      const bool loops = voice_loops(m, playmode);
      const int64_t edge = frames_until_edge(m, loops, pos, step);
      const int n = edge < left ? static_cast<int>(edge) : left;
      if (quality == 2) {
        mix_interpolated(routines, m, playmode, loops, out, pos, step, n, m.left_volume,
                         m.right_volume);
      } else {
        routines.span(out, m.data, pos, step, n, m.left_volume, m.right_volume);
      }
      pos += int64_t{n} * step;
      out += n * channels;
      left -= n;
      if (n == edge) {
        if (!loops) {
          m.playing = 0;
          m.position = pos;
          m.step = step;
          return;
        }
        wrap_after_edge(m, p, pos, step);
      }
    }
    remaining -= chunk;
    if (sweeping) sweeping = advance_voice_sweeps(voice, step);
  }
  m.position = pos;
  m.step = step;
}

}  // namespace corvane
