// Helpers of the file-layer tests: byte strings built by hand in the stored formats, English-like
// sample text, and an LZSS decoder written independently of the library's.
#ifndef CORVANE_TESTS_FILE_FILE_TEST_SUPPORT_H
#define CORVANE_TESTS_FILE_FILE_TEST_SUPPORT_H

#include <cstdint>
#include <string>
#include <vector>

namespace file_test {

// Big-endian words and raw bytes appended to a string.
struct bytes {
  std::string data;

  bytes &be32(uint32_t v) {
    data += static_cast<char>(v >> 24);
    data += static_cast<char>(v >> 16);
    data += static_cast<char>(v >> 8);
    data += static_cast<char>(v);
    return *this;
  }
  bytes &id(const char (&four)[5]) {
    data.append(four, 4);
    return *this;
  }
  bytes &raw(const std::string &s) {
    data += s;
    return *this;
  }
};

// One object of a data file: a 'NAME' property and a plain chunk of the given type.
inline std::string datafile_object(const std::string &name, const char (&type)[5],
                                   const std::string &contents) {
  bytes b;
  b.id("prop").id("NAME").be32(static_cast<uint32_t>(name.size())).raw(name);
  b.id(type).be32(static_cast<uint32_t>(contents.size()));
  b.be32(static_cast<uint32_t>(contents.size())).raw(contents);
  return b.data;
}

// The body of a data file (or of a nested 'FILE' object): the object count, then the objects.
inline std::string datafile_body(const std::vector<std::string> &objects) {
  bytes b;
  b.be32(static_cast<uint32_t>(objects.size()));
  for (const auto &object : objects) b.raw(object);
  return b.data;
}

// A data file on disk as the library writes it uncompressed: 'kwp.', 'COR.', the body.
inline std::string datafile_on_disk(const std::vector<std::string> &objects) {
  return bytes().id("kwp.").id("COR.").raw(datafile_body(objects)).data;
}

// Deterministic English-like text: words, commas, sentences and line breaks.
inline std::string sample_text(size_t size, uint32_t seed = 1) {
  static const char *const words[] = {
      "the",     "of",      "and",     "a",        "to",      "in",       "is",      "you",
      "that",    "it",      "he",      "was",      "for",     "on",       "are",     "as",
      "with",    "his",     "they",    "at",       "be",      "this",     "have",    "from",
      "or",      "one",     "had",     "by",       "word",    "but",      "not",     "what",
      "all",     "were",    "we",      "when",     "your",    "can",      "said",    "there",
      "game",    "player",  "screen",  "sprite",   "palette", "keyboard", "sound",   "music",
      "level",   "monster", "castle",  "treasure", "dragon",  "window",   "memory",  "library",
      "program", "picture", "journey", "mountain", "river",   "village",  "ancient", "silver"};
  std::string text;
  uint32_t state = seed;
  auto next = [&state]() {
    state = state * 1103515245u + 12345u;
    return state >> 16;
  };
  bool sentence_start = true;
  while (text.size() < size) {
    std::string word = words[next() % (sizeof words / sizeof *words)];
    if (sentence_start) word[0] = static_cast<char>(word[0] - 'a' + 'A');
    text += word;
    sentence_start = false;
    const uint32_t r = next() % 20;
    if (r == 0) {
      text += ".\n";
      sentence_start = true;
    } else if (r < 3) {
      text += ". ";
      sentence_start = true;
    } else if (r < 5) {
      text += ", ";
    } else {
      text += ' ';
    }
  }
  text.resize(size);
  return text;
}

// A plain reading of the compressed format, written from its description and nothing else: ring
// of 4096 zero bytes, writing from 4078; a flag byte before every eight items, least significant
// bit first, 1 = literal, 0 = reference (b1, b2) to b1 | (b2 & 0xF0) << 4 of (b2 & 15) + 3 bytes.
inline std::string reference_decode(const std::string &in) {
  unsigned char ring[4096] = {};
  int r = 4078;
  std::string out;
  size_t i = 0;
  while (i < in.size()) {
    const unsigned flags = static_cast<unsigned char>(in[i++]);
    for (int bit = 0; bit < 8; ++bit) {
      if (flags & (1u << bit)) {
        if (i >= in.size()) return out;
        const auto c = static_cast<unsigned char>(in[i++]);
        out += static_cast<char>(c);
        ring[r] = c;
        r = (r + 1) & 4095;
      } else {
        if (i + 1 >= in.size()) return out;
        const int b1 = static_cast<unsigned char>(in[i]);
        const int b2 = static_cast<unsigned char>(in[i + 1]);
        i += 2;
        const int position = b1 | ((b2 & 0xF0) << 4);
        const int length = (b2 & 0x0F) + 3;
        for (int k = 0; k < length; ++k) {
          const unsigned char c = ring[(position + k) & 4095];
          out += static_cast<char>(c);
          ring[r] = c;
          r = (r + 1) & 4095;
        }
      }
    }
  }
  return out;
}

}  // namespace file_test

#endif  // CORVANE_TESTS_FILE_FILE_TEST_SUPPORT_H
