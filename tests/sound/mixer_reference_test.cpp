// The mixer against a plain reference written from the mixing rules frame by frame: random voices
// (8/16-bit, mono/stereo, one-shot, looping forward, backward and both ways, silent ones jumping
// over loop edges, ramps crossing block edges) at every quality and output format.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "corvane/sound.h"
#include "sound/sound_internal.h"

namespace {

using corvane::physical_voices;

// ---- The reference ------------------------------------------------------------------------------

struct ref_voice {
  const sample *spl = nullptr;
  bool playing = false;
  int64_t pos = 0;
  int step = 0;
  int playmode = 0;
  int left = 0;
  int right = 0;
  int volume = 0, volume_step = 0, volume_target = 0;
  int pan = 0, pan_step = 0, pan_target = 0;
  int frequency = 0, frequency_step = 0, frequency_target = 0;
};

struct ref_mixer {
  int rate = 0;
  int channels = 0;
  int bits = 0;
  int quality = 0;
  int shift = 1;
  int32_t table[32][256] = {};
  std::vector<ref_voice> voices;

  void build_table() {
    for (int v = 0; v < 32; ++v)
      for (int j = 0; j < 256; ++j) table[v][j] = ((v * (j - 128) * 256) >> 5) << 8;
  }

  int64_t length(const ref_voice &v) const { return int64_t{v.spl->length} * 256; }
  int64_t loop_start(const ref_voice &v) const { return int64_t{v.spl->loop_start} * 256; }
  int64_t loop_end(const ref_voice &v) const { return int64_t{v.spl->loop_end} * 256; }
  bool loops(const ref_voice &v) const {
    return (v.playmode & PLAYMODE_LOOP) != 0 && loop_end(v) > loop_start(v);
  }

  void gains(ref_voice &v) const {
    const int64_t vol = v.volume >> 12, pan = v.pan >> 12;
    for (int side = 0; side < 2; ++side) {
      int64_t x = vol * (side == 0 ? 255 - pan : pan);
      x = ((x + (x >> 7)) * 2) >> shift;
      if (x < 0) x = 0;
      if (x > 65535) x = 65535;
      (side == 0 ? v.left : v.right) = static_cast<int>(x);
    }
  }

  int step_of(const ref_voice &v) const {
    const int s = (v.frequency >> 4) / rate;
    return (v.playmode & PLAYMODE_BACKWARD) != 0 ? -s : s;
  }

  static void ramp(int &value, int &step, int target, int times) {
    if (step == 0 || times == 0) return;
    const int64_t next = value + int64_t{step} * times;
    if ((step > 0 && next >= target) || (step < 0 && next <= target)) {
      value = target;
      step = 0;
    } else {
      value = static_cast<int>(next);
    }
  }

  int word(const ref_voice &v, int64_t frame, int side) const {
    const int64_t i = frame * (v.spl->stereo ? 2 : 1) + (v.spl->stereo ? side : 0);
    if (v.spl->bits == 16) return static_cast<const uint16_t *>(v.spl->data)[i];
    return static_cast<const uint8_t *>(v.spl->data)[i];
  }
  int byte_of(const ref_voice &v, int w) const { return v.spl->bits == 16 ? w >> 8 : w; }
  int32_t level(const ref_voice &v, int w) const {
    return v.spl->bits == 16 ? (w << 8) - 0x800000 : (w - 128) << 16;
  }

  // One application of the loop rule for the voice's direction.
  void loop_rule(ref_voice &v) const {
    const bool bidi = (v.playmode & PLAYMODE_BIDIR) != 0;
    if ((v.playmode & PLAYMODE_BACKWARD) == 0) {
      if (bidi) {
        v.step = -v.step;
        v.pos = (loop_end(v) - 1) * 2 - v.pos;
        v.playmode ^= PLAYMODE_BACKWARD;
      } else {
        v.pos -= loop_end(v) - loop_start(v);
      }
    } else {
      if (bidi) {
        v.step = -v.step;
        v.pos = loop_start(v) * 2 - v.pos;
        v.playmode ^= PLAYMODE_BACKWARD;
      } else {
        v.pos += loop_end(v) - loop_start(v);
      }
    }
  }
  bool past_edge(const ref_voice &v) const {
    if ((v.playmode & PLAYMODE_BACKWARD) == 0) return v.pos >= loop_end(v);
    return v.pos < loop_start(v);
  }
  void fold_fully(ref_voice &v) const {
    while (past_edge(v)) loop_rule(v);
  }

  void sweeps(ref_voice &v) const {
    const bool vol = v.volume_step != 0, pan = v.pan_step != 0;
    ramp(v.volume, v.volume_step, v.volume_target, 1);
    ramp(v.pan, v.pan_step, v.pan_target, 1);
    if (vol || pan) gains(v);
    if (v.frequency_step != 0) {
      ramp(v.frequency, v.frequency_step, v.frequency_target, 1);
      v.step = step_of(v);
    }
  }

  void mix_frame(const ref_voice &v, int32_t *out) const {
    const int64_t idx = v.pos >> 8;
    const int wl = word(v, idx, 0), wr = word(v, idx, 1);
    if (quality == 0) {
      const int l = v.left / 2048, r = v.right / 2048;
      if (channels == 1) {
        out[0] += table[l >> 1][byte_of(v, wl)] + table[r >> 1][byte_of(v, wr)];
      } else {
        out[0] += table[l][byte_of(v, wl)];
        out[1] += table[r][byte_of(v, wr)];
      }
    } else if (quality == 1) {
      if (v.spl->bits == 16) {
        out[0] += (v.left * (wl - 32768)) >> 8;
        out[1] += (v.right * (wr - 32768)) >> 8;
      } else {
        out[0] += v.left * (wl - 128);
        out[1] += v.right * (wr - 128);
      }
    } else {
      const int frac = static_cast<int>(v.pos & 255);
      int32_t next[2] = {0, 0};
      if (v.pos < length(v) - 256) {
        next[0] = level(v, word(v, idx + 1, 0));
        next[1] = level(v, word(v, idx + 1, 1));
      } else if (loops(v) && (v.playmode & (PLAYMODE_BIDIR | PLAYMODE_BACKWARD)) == 0 &&
                 loop_end(v) == length(v)) {
        next[0] = level(v, word(v, v.spl->loop_start, 0));
        next[1] = level(v, word(v, v.spl->loop_start, 1));
      }
      const int32_t here[2] = {level(v, wl), level(v, wr)};
      for (int side = 0; side < 2; ++side) {
        const int32_t x = (here[side] * (256 - frac) + next[side] * frac) >> 4;
        const int64_t gain = int64_t{side == 0 ? v.left : v.right} << 12;
        out[side] += static_cast<int32_t>((x * gain) >> 32);
      }
    }
  }

  void mix_voice(ref_voice &v, std::vector<int32_t> &acc, int frames) const {
    if (v.volume <= 0 && v.volume_step <= 0) {
      v.pos += int64_t{frames} * v.step;
      if (!loops(v)) {
        if (static_cast<uint64_t>(v.pos) >= static_cast<uint64_t>(length(v))) v.playing = false;
      } else {
        fold_fully(v);
      }
      ramp(v.pan, v.pan_step, v.pan_target, frames / 16);
      if (v.frequency_step != 0) {
        ramp(v.frequency, v.frequency_step, v.frequency_target, frames / 16);
        v.step = step_of(v);
      }
      return;
    }
    for (int j = 0; j < frames; ++j) {
      mix_frame(v, &acc[static_cast<size_t>(j * channels)]);
      v.pos += v.step;
      if (!loops(v)) {
        if (static_cast<uint64_t>(v.pos) >= static_cast<uint64_t>(length(v))) {
          v.playing = false;
          return;
        }
      } else if (past_edge(v)) {
        const ref_voice before = v;
        loop_rule(v);
        // Where one rule would leave the data (a step longer than the loop), fold all the way.
        if (v.pos < 0 || v.pos >= length(v)) {
          v = before;
          fold_fully(v);
        }
      }
      if ((frames - j - 1) % 16 == 0) sweeps(v);
    }
  }

  std::vector<uint8_t> render(int frames, bool signed_output) {
    std::vector<int32_t> acc(static_cast<size_t>(frames * channels), 0);
    for (ref_voice &v : voices)
      if (v.playing) mix_voice(v, acc, frames);
    std::vector<uint8_t> out(acc.size() * (bits / 8));
    for (size_t i = 0; i < acc.size(); ++i) {
      int32_t x = acc[i] + 0x800000;
      x = x < 0 ? 0 : x > 0xFFFFFF ? 0xFFFFFF : x;
      if (bits == 16) {
        const uint16_t w = static_cast<uint16_t>((x >> 8) ^ (signed_output ? 0x8000 : 0));
        std::memcpy(&out[i * 2], &w, 2);
      } else {
        out[i] = static_cast<uint8_t>((x >> 16) ^ (signed_output ? 0x80 : 0));
      }
    }
    return out;
  }
};

// ---- Scenarios ----------------------------------------------------------------------------------

struct voice_spec {
  int bits = 16, stereo = 0, length = 1, loop_start = 0, loop_end = 1;
  int playmode = 0;
  int frequency = 0;  // 20.12
  int volume = 255, pan = 128;
  int start = 0;  // first frame played
  int ramp = 0;   // 0 none, 1 volume, 2 pan, 3 frequency
  int ramp_time = 0, ramp_end = 0;
};

struct scenario {
  int rate = 44100, channels = 2, bits = 16, quality = 2, frames = 64, shift = 1, blocks = 8;
  bool signed_output = true;
  unsigned data_seed = 1;
  std::vector<voice_spec> voices;
};

struct owned_sample {
  sample spl{};
  std::vector<uint8_t> data;
};

// Mixes the scenario's blocks with the mixer and with the reference and compares every output
// byte, and after each block every voice's position, volume, pan and frequency.
void check_scenario(const scenario &sc) {
  ref_mixer ref;
  ref.build_table();
  ref.rate = sc.rate;
  ref.channels = sc.channels;
  ref.bits = sc.bits;
  ref.quality = sc.channels == 1 ? 0 : sc.quality;
  ref.shift = sc.shift;

  sound_quality = sc.quality;
  int mixer_voices = PHYSICAL_VOICE_COUNT;
  ASSERT_EQ(
      open_mixer(sc.frames * sc.channels, sc.rate, sc.channels == 2, sc.bits == 16, &mixer_voices),
      0);
  ASSERT_EQ(sound_quality, ref.quality);

  std::mt19937 rng(sc.data_seed);
  std::vector<owned_sample> samples(sc.voices.size());
  for (size_t i = 0; i < sc.voices.size(); ++i) {
    const voice_spec &wanted = sc.voices[i];
    owned_sample &s = samples[i];
    s.spl = sample{.bits = wanted.bits,
                   .stereo = wanted.stereo,
                   .frequency = 0,
                   .priority = 128,
                   .length = wanted.length,
                   .loop_start = wanted.loop_start,
                   .loop_end = wanted.loop_end,
                   .user_param = 0,
                   .data = nullptr};
    s.data.resize(static_cast<size_t>(wanted.length) * (wanted.bits / 8) * (wanted.stereo ? 2 : 1));
    for (uint8_t &b : s.data) b = static_cast<uint8_t>(rng());
    s.spl.data = s.data.data();

    const int voice = static_cast<int>(i);
    corvane::physical_voice &p = physical_voices[voice];
    ref_voice v;
    v.spl = &s.spl;
    v.playmode = wanted.playmode;
    v.frequency = wanted.frequency;
    v.volume = wanted.volume << 12;
    v.pan = wanted.pan << 12;
    p.playmode = v.playmode;
    p.volume = v.volume;
    p.pan = v.pan;
    p.frequency = v.frequency;
    p.volume_step = p.pan_step = p.frequency_step = 0;
    mixer_bind_voice(voice, &s.spl);
    v.step = ref.step_of(v);
    mixer_seek_voice(voice, wanted.start);
    v.pos = int64_t{wanted.start} * 256;
    mixer_play_voice(voice);
    v.playing = true;

    const int sweep_points = sc.rate / 16 * wanted.ramp_time;
    const int steps = sweep_points >= 2000 ? sweep_points / 1000 : 1;
    const int target = wanted.ramp_end << 12;
    if (wanted.ramp == 1) {
      mixer_fade_volume(voice, wanted.ramp_time, wanted.ramp_end);
      v.volume_target = target;
      v.volume_step = (target - v.volume) / steps;
    } else if (wanted.ramp == 2) {
      mixer_glide_pan(voice, wanted.ramp_time, wanted.ramp_end);
      v.pan_target = target;
      v.pan_step = (target - v.pan) / steps;
    } else if (wanted.ramp == 3) {
      mixer_glide_frequency(voice, wanted.ramp_time, wanted.ramp_end);
      v.frequency_target = target;
      v.frequency_step = (target - v.frequency) / steps;
    }
    ASSERT_EQ(p.volume_step.load(), v.volume_step);
    ASSERT_EQ(p.pan_step.load(), v.pan_step);
    ASSERT_EQ(p.frequency_step.load(), v.frequency_step);
    ref.voices.push_back(v);
  }
  set_mix_volume_shift(sc.shift);
  for (ref_voice &v : ref.voices) ref.gains(v);

  const size_t block_bytes = static_cast<size_t>(sc.frames * sc.channels * (sc.bits / 8));
  for (int block = 0; block < sc.blocks; ++block) {
    SCOPED_TRACE(::testing::Message() << "block " << block);
    std::vector<uint8_t> got(block_bytes);
    render_mix(got.data(), 0, sc.signed_output ? 1 : 0);
    ASSERT_EQ(got, ref.render(sc.frames, sc.signed_output));
    for (size_t i = 0; i < ref.voices.size(); ++i) {
      SCOPED_TRACE(::testing::Message() << "voice " << i);
      const ref_voice &v = ref.voices[i];
      const corvane::physical_voice &p = physical_voices[i];
      const bool inside = v.playing && v.pos >= 0 && v.pos < ref.length(v);
      ASSERT_EQ(mixer_read_position(static_cast<int>(i)), inside ? v.pos / 256 : -1);
      ASSERT_EQ(p.volume.load(), v.volume);
      ASSERT_EQ(p.pan.load(), v.pan);
      ASSERT_EQ(p.frequency.load(), v.frequency);
    }
  }
  close_mixer();
}

int pick(std::mt19937 &rng, int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(rng);
}

scenario random_scenario(unsigned seed, int quality) {
  std::mt19937 rng(seed);
  scenario sc;
  sc.quality = quality;
  sc.data_seed = seed;
  sc.rate = pick(rng, 0, 1) != 0 ? 44100 : 22050;
  sc.channels = pick(rng, 1, 2);
  sc.bits = pick(rng, 0, 1) != 0 ? 16 : 8;
  sc.signed_output = pick(rng, 0, 1) != 0;
  sc.frames = pick(rng, 1, 300);
  sc.shift = pick(rng, 0, 3);
  const int count = pick(rng, 1, 8);
  for (int i = 0; i < count; ++i) {
    voice_spec v;
    v.bits = pick(rng, 0, 1) != 0 ? 16 : 8;
    v.stereo = pick(rng, 0, 1);
    v.length = pick(rng, 1, 600);
    v.loop_start = pick(rng, 0, v.length - 1);
    v.loop_end = pick(rng, 0, 3) == 0 ? v.length : pick(rng, v.loop_start + 1, v.length);
    v.playmode = pick(rng, 0, 7);
    // One frame per output frame, a rate from a sixteenth to five times the output's, or any
    // step at all (also longer than the loop).
    const int kind = pick(rng, 0, 2);
    v.frequency = kind == 0   ? sc.rate << 12
                  : kind == 1 ? pick(rng, sc.rate / 16, sc.rate * 5) << 12
                              : pick(rng, 0, INT32_MAX);
    v.volume = pick(rng, 0, 4) == 0 ? 0 : pick(rng, 1, 255);
    v.pan = pick(rng, 0, 255);
    // Start inside the sample, before the loop's far edge in the voice's direction.
    v.start = (v.playmode & PLAYMODE_BACKWARD) != 0 ? pick(rng, v.loop_start, v.length - 1)
                                                    : pick(rng, 0, v.loop_end - 1);
    // Ramps of a few milliseconds end inside the blocks rendered.
    v.ramp = pick(rng, 0, 3);
    v.ramp_time = pick(rng, 0, 30);
    v.ramp_end = v.ramp == 3 ? pick(rng, sc.rate / 8, sc.rate * 3) : pick(rng, 0, 255);
    sc.voices.push_back(v);
  }
  return sc;
}

TEST(MixerReferenceTest, TableQualityMatchesTheReference) {
  for (unsigned seed = 1; seed <= 100 && !HasFatalFailure(); ++seed) {
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    check_scenario(random_scenario(seed, 0));
  }
}

TEST(MixerReferenceTest, MultiplyingQualityMatchesTheReference) {
  for (unsigned seed = 101; seed <= 200 && !HasFatalFailure(); ++seed) {
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    check_scenario(random_scenario(seed, 1));
  }
}

TEST(MixerReferenceTest, InterpolatingQualityMatchesTheReference) {
  for (unsigned seed = 201; seed <= 300 && !HasFatalFailure(); ++seed) {
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    check_scenario(random_scenario(seed, 2));
  }
}

// A voice with a bidirectional loop of frames 10 to 20 of 40, starting forward at frame 10, whose
// step of 853 units moves it by a multiple of the loop's width (2559 units) within a block.
voice_spec bidirectional_jumper(int volume) {
  voice_spec v;
  v.length = 40;
  v.loop_start = 10;
  v.loop_end = 20;
  v.playmode = PLAYMODE_LOOP | PLAYMODE_BIDIR;
  v.frequency = (853 * 44100) << 4;
  v.volume = volume;
  v.start = 10;
  return v;
}

TEST(MixerReferenceTest, SilentBidirectionalJumpsLandingExactlyOnTheEdges) {
  // Forward from the loop start, 6 frames move one width (onto the start, still backward), 9
  // frames two, 15 frames four; backward from the start, 9 frames move three (onto the last
  // position inside, now forward).
  for (const auto &[frames, backward] :
       {std::pair{6, false}, std::pair{9, false}, std::pair{15, false}, std::pair{9, true}}) {
    SCOPED_TRACE(::testing::Message() << frames << " frames, backward " << backward);
    scenario sc;
    sc.frames = frames;
    sc.voices = {bidirectional_jumper(0)};
    if (backward) sc.voices[0].playmode |= PLAYMODE_BACKWARD;
    check_scenario(sc);
    if (HasFatalFailure()) return;
  }
}

TEST(MixerReferenceTest, AudibleBidirectionalLoopReversesAtBothEdges) {
  scenario sc;
  sc.frames = 15;
  sc.blocks = 12;
  sc.voices = {bidirectional_jumper(200)};
  check_scenario(sc);
}

TEST(MixerReferenceTest, StepLongerThanAPlainLoopStaysInsideTheSample) {
  // A plain loop over the last 10 frames of 20 and a step of about 19.5 frames: wrapping once by
  // the loop's length would still lie past the end.
  for (int quality = 0; quality <= 2 && !HasFatalFailure(); ++quality) {
    scenario sc;
    sc.quality = quality;
    sc.rate = 22050;
    voice_spec v;
    v.length = 20;
    v.loop_start = 10;
    v.loop_end = 20;
    v.playmode = PLAYMODE_LOOP;
    v.frequency = (5000 * 22050) << 4;
    v.start = 15;
    sc.voices = {v};
    check_scenario(sc);
  }
}

}  // namespace
