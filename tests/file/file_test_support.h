// Helpers of the file-layer tests: byte strings built by hand in the stored formats and
// English-like sample text. The independent LZSS decoder is support/lzss_reference.h.
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

}  // namespace file_test

#endif  // CORVANE_TESTS_FILE_FILE_TEST_SUPPORT_H
