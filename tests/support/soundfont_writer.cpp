// Writing SoundFont 2 files for the tests.
#include "support/soundfont_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace corvane::testing {
namespace {

void put16(std::string &out, int value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}
void put32(std::string &out, uint32_t value) {
  put16(out, static_cast<int>(value & 0xFFFF));
  put16(out, static_cast<int>(value >> 16));
}
void name20(std::string &out, const std::string &name) {
  std::string padded = name.substr(0, 19);
  padded.resize(20, '\0');
  out += padded;
}
std::string chunk(const char *id, const std::string &body) {
  std::string out(id, 4);
  put32(out, static_cast<uint32_t>(body.size()));
  out += body;
  if (body.size() % 2 != 0) out += '\0';
  return out;
}

// The bags and generators of a list of zone lists; bag_starts gets each owner's first bag.
void zones_to_records(const std::vector<std::vector<sf2_zone>> &owners, std::string &bags,
                      std::string &generators, std::vector<int> &bag_starts) {
  int bag = 0;
  int generator = 0;
  for (const auto &zones : owners) {
    bag_starts.push_back(bag);
    for (const sf2_zone &zone : zones) {
      put16(bags, generator);
      put16(bags, 0);
      ++bag;
      for (const sf2_generator &g : zone) {
        put16(generators, g.oper);
        put16(generators, g.amount);
        ++generator;
      }
    }
  }
  bag_starts.push_back(bag);
  put16(bags, generator);  // terminal bag
  put16(bags, 0);
  put32(generators, 0);  // terminal generator
}

}  // namespace

std::string write_sf2(const sf2_file &file) {
  std::string data;
  std::string shdr;
  uint32_t at = 0;
  for (size_t i = 0; i < file.samples.size(); ++i) {
    const sf2_sample &s = file.samples[i];
    for (int16_t p : s.points) put16(data, p);
    for (int i2 = 0; i2 < 46; ++i2) put16(data, 0);
    name20(shdr, "sample" + std::to_string(i));
    put32(shdr, at);
    put32(shdr, at + static_cast<uint32_t>(s.points.size()));
    put32(shdr, at + s.loop_start);
    put32(shdr, at + s.loop_end);
    put32(shdr, static_cast<uint32_t>(s.rate));
    shdr += static_cast<char>(s.key);
    shdr += static_cast<char>(static_cast<int8_t>(s.correction));
    put16(shdr, 0);
    put16(shdr, 1);  // mono
    at += static_cast<uint32_t>(s.points.size()) + 46;
  }
  name20(shdr, "EOS");
  shdr.append(26, '\0');

  std::vector<std::vector<sf2_zone>> preset_zones;
  for (const sf2_preset &p : file.presets) preset_zones.push_back(p.zones);
  std::string pbag, pgen, ibag, igen;
  std::vector<int> preset_bags, instrument_bags;
  zones_to_records(preset_zones, pbag, pgen, preset_bags);
  zones_to_records(file.instruments, ibag, igen, instrument_bags);

  std::string phdr;
  for (size_t i = 0; i <= file.presets.size(); ++i) {
    const bool terminal = i == file.presets.size();
    name20(phdr, terminal ? "EOP" : "preset" + std::to_string(i));
    put16(phdr, terminal ? 0 : file.presets[i].program);
    put16(phdr, terminal ? 0 : file.presets[i].bank);
    put16(phdr, preset_bags[i]);
    put32(phdr, 0);
    put32(phdr, 0);
    put32(phdr, 0);
  }
  std::string inst;
  for (size_t i = 0; i <= file.instruments.size(); ++i) {
    name20(inst, i == file.instruments.size() ? "EOI" : "instrument" + std::to_string(i));
    put16(inst, instrument_bags[i]);
  }
  std::string mod(10, '\0');

  std::string info = "INFO" + chunk("ifil", std::string("\2\0\1\0", 4)) + chunk("INAM", "test");
  std::string sdta = "sdta" + chunk("smpl", data);
  std::string pdta = "pdta" + chunk("phdr", phdr) + chunk("pbag", pbag) + chunk("pmod", mod) +
                     chunk("pgen", pgen) + chunk("inst", inst) + chunk("ibag", ibag) +
                     chunk("imod", mod) + chunk("igen", igen) + chunk("shdr", shdr);
  return chunk("RIFF", "sfbk" + chunk("LIST", info) + chunk("LIST", sdta) + chunk("LIST", pdta));
}

std::vector<int16_t> sine_cycle(int points, int amplitude) {
  std::vector<int16_t> out;
  for (int i = 0; i < points; ++i) {
    out.push_back(static_cast<int16_t>(std::lround(amplitude * std::sin(2 * M_PI * i / points))));
  }
  return out;
}

sf2_file sine_soundfont(int points, int rate, int release) {
  sf2_file file;
  file.samples.push_back(sf2_sample{.points = sine_cycle(points, 20000),
                                    .rate = rate,
                                    .key = 60,
                                    .correction = 0,
                                    .loop_start = 0,
                                    .loop_end = static_cast<uint32_t>(points)});
  file.instruments.push_back({{{54, 1}, {38, release}, {53, 0}}});
  file.presets.push_back(sf2_preset{.bank = 0, .program = 0, .zones = {{{41, 0}}}});
  return file;
}

double rising_crossing_rate(const std::vector<int16_t> &stereo, size_t from, size_t to, int rate) {
  int crossings = 0;
  for (size_t i = from + 1; i < to; ++i) {
    if (stereo[2 * (i - 1)] < 0 && stereo[2 * i] >= 0) ++crossings;
  }
  return crossings * static_cast<double>(rate) / static_cast<double>(to - from);
}

int peak_level(const std::vector<int16_t> &stereo, size_t from, size_t to) {
  int peak = 0;
  for (size_t i = 2 * from; i < 2 * to; ++i) peak = std::max(peak, std::abs(int{stereo[i]}));
  return peak;
}

}  // namespace corvane::testing
