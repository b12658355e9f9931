// Fuzz target "translation": translated texts on their way to the formatter. The first byte of the
// input picks one of the library's format messages (or one with every kind of argument); the rest,
// up to a zero byte, is offered as its translation, by a hook on the "[language]" section or by a
// language configuration. translate_text must give the translation when it reads the same
// arguments as the message, and the message itself otherwise; either way the result is formatted
// with the message's own arguments, which must stay within what was passed (AddressSanitizer
// catches a "%s" too many or a "%n" that writes).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "corvane/config.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "fuzz_support.h"

namespace {

constexpr size_t max_translation = 48;  // translations are kept for the life of the process

struct message {
  const char *text;
  void (*format)(char *out, int size, const char *format);
};

const message messages[] = {
    {"Cannot reach a display: %s",
     [](char *out, int size, const char *f) { format_text_bounded(out, size, f, "x11"); }},
    {"SDL2 window on %s, %d bpp",
     [](char *out, int size, const char *f) { format_text_bounded(out, size, f, "x11", 32); }},
    {"Offline output, %d bits, %d bps, %s",
     [](char *out, int size, const char *f) { format_text_bounded(out, size, f, 16, 44100, "mono"); }},
    {"Insufficient %s voices available",
     [](char *out, int size, const char *f) { format_text_bounded(out, size, f, "MIDI"); }},
    {"The detected dynamic Corvane library (%d.%d.%d) is not compatible with this program "
     "(%d.%d.%d).",
     [](char *out, int size, const char *f) { format_text_bounded(out, size, f, 4, 2, 1, 4, 3, 0); }},
    {"Every kind: %c %-*.*ld %llu %p %5.2f %Lg %hd %%",
     [](char *out, int size, const char *f) {
       format_text_bounded(out, size, f, 'c', 7, 3, 42L, 7ULL, static_cast<void *>(out), 2.5,
                           static_cast<long double>(1.5), 3);
     }},
};
constexpr size_t message_count = sizeof messages / sizeof messages[0];

std::string offered;  // the translation the hook hands out

// The text as the library reads a text handed to it: up to its first character 0 (in UTF-8 also a
// lone 0x80 or an overlong form of 0), since nothing tells where the memory behind it ends.
std::string up_to_first_nul_character(const std::string &text) {
  const char *p = text.c_str();
  const char *end = p;
  while (current_next_char(&p) != 0) end = p;
  return std::string(text.c_str(), static_cast<size_t>(end - text.c_str()));
}

// The text with its NUL characters left out: zero bytes and everything else the current encoding
// reads as the character 0 (in UTF-8 a lone 0x80 and the overlong forms of 0). A configuration
// line is read character by character and drops these, keeping the rest of the line, since a
// stored text ends at its first character 0; every other byte, decodable or not, stays.
std::string without_nul_characters(const std::string &text) {
  std::string padded = text + std::string(16, '\0');  // a character cut short reads the padding
  std::string out;
  size_t pos = 0;
  while (pos < text.size()) {
    const char *p = padded.c_str() + pos;
    const int c = current_next_char(&p);
    const auto read = static_cast<size_t>(std::max<ptrdiff_t>(p - (padded.c_str() + pos), 1));
    const size_t width = std::min(read, text.size() - pos);
    if (c != 0) out.append(text, pos, width);
    pos += width;
  }
  return out;
}

const char *hooked_translation(const char *, const char *) { return offered.c_str(); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  if (startup_corvane(SYSTEM_NONE, nullptr, nullptr) != 0) fuzz::fail(__FILE__, __LINE__, "start");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 2) return 0;
  const message &m = messages[data[0] % message_count];
  const bool through_hook = (data[0] / message_count) % 2 == 0;
  const std::string_view rest = fuzz::as_text(data + 1, size - 1);
  offered = std::string(rest.substr(0, std::min(rest.find('\0'), max_translation)));

  if (through_hook) {
    attach_config_hook("language", nullptr, hooked_translation, nullptr);
  } else {
    attach_config_hook("language", nullptr, nullptr, nullptr);
    // The message's key is the message with white space, "=" and "#" made into "_"; a
    // translation is one line.
    std::string key(m.text);
    for (char &c : key) {
      if (c == ' ' || c == '=' || c == '#') c = '_';
    }
    std::string line = offered.substr(0, offered.find_first_of("\r\n"));
    offered = line;
    const std::string text = "[language]\n" + key + " = " + line + "\n";
    use_config_data(text.c_str(), static_cast<int>(text.size()));
  }
  const char *translated = translate_text(m.text);
  FUZZ_CHECK(translated != nullptr);
  // A language configuration drops NUL characters and trims the value; the hook's answer is used
  // as a text, up to its first NUL character.
  FUZZ_CHECK(std::strcmp(translated, m.text) == 0 || through_hook ||
             std::strstr(without_nul_characters(offered).c_str(), translated) != nullptr);
  if (through_hook) {
    FUZZ_CHECK(std::strcmp(translated, m.text) == 0 ||
               up_to_first_nul_character(offered) == translated);
  }
  char out[96];
  m.format(out, sizeof out, translated);
  FUZZ_CHECK(std::memchr(out, 0, sizeof out) != nullptr);
  return 0;
}
