// Reading SoundFont 2 files: the RIFF "sfbk" form walked chunk by chunk through a packfile
// stream, the records of "pdta" checked and turned into presets, instruments and samples, and the
// sample data of "sdta" converted into the mixer's unsigned 16-bit words.
#include "sound/soundfont_file.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <span>

#include "corvane/packfile.h"
#include "corvane/system.h"

namespace corvane {
namespace {

constexpr uint32_t chunk_id(const char (&name)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(name[0])) |
         static_cast<uint32_t>(static_cast<uint8_t>(name[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(name[2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(name[3])) << 24;
}

// Record sizes of the "pdta" chunks.
constexpr size_t PRESET_HEADER_SIZE = 38;
constexpr size_t BAG_SIZE = 4;
constexpr size_t GENERATOR_SIZE = 4;
constexpr size_t INSTRUMENT_HEADER_SIZE = 22;
constexpr size_t SAMPLE_HEADER_SIZE = 46;

// Bytes read at a time, so that a size the file does not back up costs no more memory than the
// file holds.
constexpr size_t READ_BLOCK = 65536;

enum class failure { none, not_soundfont, truncated, corrupt, memory };

const char *failure_text(failure why) {
  switch (why) {
    case failure::not_soundfont: return "Not a SoundFont file";
    case failure::truncated: return "Truncated SoundFont file";
    case failure::memory: return "Not enough memory";
    default: return "Corrupt SoundFont file";
  }
}

uint16_t le16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t le32(const uint8_t *p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

class chunk_reader {
 public:
  explicit chunk_reader(packfile *f) : f_(f) {}

  bool bytes(void *out, size_t count) {
    return packfile_read(out, static_cast<long>(count), f_) == static_cast<long>(count);
  }
  bool word(uint32_t &value) {
    uint8_t raw[4];
    if (!bytes(raw, 4)) return false;
    value = le32(raw);
    return true;
  }
  bool skip(uint64_t count) {
    while (count > 0) {
      const uint64_t step = std::min<uint64_t>(count, 1u << 30);
      if (packfile_seek(f_, static_cast<long>(step)) != 0) return false;
      count -= step;
    }
    return true;
  }
  // Reads count bytes into out, growing it only as the data arrives.
  failure block(std::vector<uint8_t> &out, uint32_t count) {
    out.clear();
    try {
      while (out.size() < count) {
        const size_t step = std::min<size_t>(count - out.size(), READ_BLOCK);
        const size_t at = out.size();
        out.resize(at + step);
        if (!bytes(out.data() + at, step)) return failure::truncated;
      }
    } catch (const std::bad_alloc &) {
      return failure::memory;
    }
    return failure::none;
  }
  // Reads count bytes of 16-bit sample points into out as unsigned words.
  failure sample_data(std::vector<uint16_t> &out, uint32_t count) {
    out.clear();
    uint8_t raw[READ_BLOCK];
    try {
      uint32_t done = 0;
      while (done < count) {
        const uint32_t step = std::min<uint32_t>(count - done, READ_BLOCK);
        if (!bytes(raw, step)) return failure::truncated;
        for (uint32_t i = 0; i + 1 < step; i += 2) {
          out.push_back(static_cast<uint16_t>(le16(raw + i) ^ 0x8000));
        }
        done += step;
      }
    } catch (const std::bad_alloc &) {
      return failure::memory;
    }
    return failure::none;
  }

 private:
  packfile *f_;
};

// The raw "pdta" records.
struct preset_data {
  std::vector<uint8_t> phdr, pbag, pgen, inst, ibag, igen, shdr;
};

std::vector<uint8_t> *pdta_slot(preset_data &data, uint32_t id) {
  if (id == chunk_id("phdr")) return &data.phdr;
  if (id == chunk_id("pbag")) return &data.pbag;
  if (id == chunk_id("pgen")) return &data.pgen;
  if (id == chunk_id("inst")) return &data.inst;
  if (id == chunk_id("ibag")) return &data.ibag;
  if (id == chunk_id("igen")) return &data.igen;
  if (id == chunk_id("shdr")) return &data.shdr;
  return nullptr;  // "pmod", "imod" and anything unknown are skipped
}

struct form_reader {
  chunk_reader &in;
  bool load_samples;
  soundfont &font;
  preset_data &pdta;
  bool have_samples = false;
  bool have_pdta = false;

  // Walks the chunks of a list of size bytes (form type already read).
  failure walk_list(uint32_t list_type, uint64_t size) {
    while (size >= 8) {
      uint32_t id = 0;
      uint32_t length = 0;
      if (!in.word(id) || !in.word(length)) return failure::truncated;
      size -= 8;
      if (length > size) return failure::corrupt;
      const uint64_t padded = std::min<uint64_t>(size, uint64_t{length} + (length & 1));
      const failure why = chunk(list_type, id, length);
      if (why != failure::none) return why;
      if (padded > length && !in.skip(padded - length)) return failure::truncated;
      size -= padded;
    }
    return in.skip(size) ? failure::none : failure::truncated;
  }

  failure chunk(uint32_t list_type, uint32_t id, uint32_t length) {
    if (list_type == chunk_id("sfbk") && id == chunk_id("LIST")) {
      if (length < 4) return failure::corrupt;
      uint32_t type = 0;
      if (!in.word(type)) return failure::truncated;
      if (type == chunk_id("sdta") || type == chunk_id("pdta")) {
        if (type == chunk_id("pdta")) have_pdta = true;
        return walk_list(type, length - 4);
      }
      return in.skip(length - 4) ? failure::none : failure::truncated;
    }
    if (list_type == chunk_id("sdta") && id == chunk_id("smpl")) {
      if (have_samples) return failure::corrupt;
      have_samples = true;
      font.sample_points = length / 2;
      if (load_samples) return in.sample_data(font.data, length);
      return in.skip(length) ? failure::none : failure::truncated;
    }
    if (list_type == chunk_id("pdta")) {
      if (std::vector<uint8_t> *slot = pdta_slot(pdta, id)) return in.block(*slot, length);
    }
    return in.skip(length) ? failure::none : failure::truncated;
  }
};

// Turns the bags [first, last) with their generators into zones. terminal is the generator that
// names the zone's target (instrument or sample); target_ok tells whether a target exists. A
// first zone without one is the global zone; later zones without one, or with a missing target
// or empty ranges, are dropped.
template <typename TargetCheck>
failure build_zones(std::span<const uint8_t> bags, std::span<const uint8_t> generators,
                    size_t first, size_t last, int terminal, TargetCheck target_ok,
                    soundfont_zone &global, std::vector<soundfont_zone> &zones) {
  const size_t bag_count = bags.size() / BAG_SIZE;
  const size_t generator_count = generators.size() / GENERATOR_SIZE;
  if (first > last || last >= bag_count) return failure::corrupt;
  for (size_t bag = first; bag < last; ++bag) {
    const size_t from = le16(bags.data() + bag * BAG_SIZE);
    const size_t to = le16(bags.data() + (bag + 1) * BAG_SIZE);
    if (from > to || to > generator_count) return failure::corrupt;
    soundfont_zone zone;
    for (size_t g = from; g < to; ++g) {
      const uint8_t *record = generators.data() + g * GENERATOR_SIZE;
      const int oper = le16(record);
      const uint16_t raw = le16(record + 2);
      if (oper == SF_KEY_RANGE) {
        zone.key_low = record[2];
        zone.key_high = record[3];
      } else if (oper == SF_VELOCITY_RANGE) {
        zone.velocity_low = record[2];
        zone.velocity_high = record[3];
      } else if (oper == terminal) {
        zone.target = raw;
        break;  // generators after the terminal one are to be ignored
      } else if (oper >= 0 && oper < SF_GENERATOR_COUNT) {
        zone.set |= uint64_t{1} << oper;
        zone.amount[oper] = static_cast<int16_t>(raw);
      }
    }
    if (zone.target < 0) {
      if (bag == first) global = zone;
      continue;
    }
    zone.key_high = std::min(zone.key_high, 127);
    zone.velocity_high = std::min(zone.velocity_high, 127);
    if (zone.key_low > zone.key_high || zone.velocity_low > zone.velocity_high) continue;
    if (!target_ok(zone.target)) continue;
    zones.push_back(zone);
  }
  return failure::none;
}

failure build(const preset_data &raw, soundfont &font) {
  if (raw.phdr.size() % PRESET_HEADER_SIZE != 0 || raw.pbag.size() % BAG_SIZE != 0 ||
      raw.pgen.size() % GENERATOR_SIZE != 0 || raw.inst.size() % INSTRUMENT_HEADER_SIZE != 0 ||
      raw.ibag.size() % BAG_SIZE != 0 || raw.igen.size() % GENERATOR_SIZE != 0 ||
      raw.shdr.size() % SAMPLE_HEADER_SIZE != 0) {
    return failure::corrupt;
  }
  // Each list ends with a terminal record; a file needs at least one preset.
  const size_t preset_count = raw.phdr.size() / PRESET_HEADER_SIZE;
  const size_t instrument_count = raw.inst.size() / INSTRUMENT_HEADER_SIZE;
  const size_t sample_count = raw.shdr.size() / SAMPLE_HEADER_SIZE;
  if (preset_count < 2 || instrument_count < 1 || sample_count < 1) return failure::corrupt;

  font.samples.resize(sample_count - 1);
  std::vector<bool> usable(sample_count - 1, false);
  for (size_t i = 0; i + 1 < sample_count; ++i) {
    const uint8_t *record = raw.shdr.data() + i * SAMPLE_HEADER_SIZE;
    soundfont_sample &s = font.samples[i];
    s.start = le32(record + 20);
    s.end = le32(record + 24);
    s.loop_start = le32(record + 28);
    s.loop_end = le32(record + 32);
    s.rate = static_cast<int>(std::min<uint32_t>(le32(record + 36), 1u << 20));
    s.original_key = record[40] <= 127 ? record[40] : 60;
    s.pitch_correction = record[41] < 128 ? record[41] : record[41] - 256;  // signed cents
    const bool in_rom = (le16(record + 44) & 0x8000) != 0;
    usable[i] = !in_rom && s.rate > 0 && s.start < s.end && s.end <= font.sample_points;
  }

  font.instruments.resize(instrument_count - 1);
  for (size_t i = 0; i + 1 < instrument_count; ++i) {
    const uint8_t *record = raw.inst.data() + i * INSTRUMENT_HEADER_SIZE;
    const failure why =
        build_zones(raw.ibag, raw.igen, le16(record + 20), le16(record + 20 + 22), SF_SAMPLE_ID,
                    [&](int s) { return static_cast<size_t>(s) < usable.size() && usable[s]; },
                    font.instruments[i].global, font.instruments[i].zones);
    if (why != failure::none) return why;
  }

  font.presets.resize(preset_count - 1);
  for (size_t i = 0; i + 1 < preset_count; ++i) {
    const uint8_t *record = raw.phdr.data() + i * PRESET_HEADER_SIZE;
    soundfont_preset &p = font.presets[i];
    p.program = le16(record + 20);
    p.bank = le16(record + 22);
    const failure why = build_zones(
        raw.pbag, raw.pgen, le16(record + 24), le16(record + 24 + 38), SF_INSTRUMENT,
        [&](int n) { return static_cast<size_t>(n) < font.instruments.size(); }, p.global,
        p.zones);
    if (why != failure::none) return why;
  }
  return failure::none;
}

failure read_form(packfile *f, bool load_samples, soundfont &font) {
  chunk_reader in(f);
  uint32_t riff = 0;
  uint32_t size = 0;
  uint32_t form = 0;
  if (!in.word(riff) || riff != chunk_id("RIFF")) return failure::not_soundfont;
  if (!in.word(size) || !in.word(form)) return failure::truncated;
  if (form != chunk_id("sfbk")) return failure::not_soundfont;
  if (size < 4) return failure::corrupt;
  preset_data pdta;
  form_reader reader{in, load_samples, font, pdta};
  const failure why = reader.walk_list(chunk_id("sfbk"), size - 4);
  if (why != failure::none) return why;
  if (!reader.have_samples || !reader.have_pdta) return failure::corrupt;
  return build(pdta, font);
}

}  // namespace

int read_soundfont(const char *filename, bool load_samples, soundfont &out) noexcept {
  out = soundfont{};
  packfile *f = filename != nullptr ? open_packfile(filename, "r") : nullptr;
  if (f == nullptr) {
    set_error_text("Cannot open the SoundFont file");
    return -1;
  }
  failure why = failure::none;
  try {
    why = read_form(f, load_samples, out);
  } catch (const std::bad_alloc &) {
    why = failure::memory;
  }
  close_packfile(f);
  if (why == failure::none) return 0;
  out = soundfont{};
  set_error_text(failure_text(why));
  return -1;
}

}  // namespace corvane
