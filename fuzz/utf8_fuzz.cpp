// Fuzz target "utf8": the input is a string of bytes. UTF-8 decoding must agree with an
// independent decoder and never step past the terminator; converting between every pair of
// built-in encodings into buffers of 0 to 64 bytes must stay inside the buffer, end terminated on
// a whole character and give a prefix of the complete conversion, whose size converted_size
// predicts; decoding then encoding must give valid UTF-8 that survives the same trip unchanged,
// and well-formed input must come back byte for byte. The bounded string copies are tried under
// every encoding too.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "corvane/text.h"
#include "fuzz_support.h"

namespace {

constexpr int encodings[] = {ENCODING_ASCII8, ENCODING_UTF8, ENCODING_UNICODE16, ENCODING_CODEPAGE};
constexpr int max_size = 64;

// Decodes one character as the library's UTF-8 rules say: a byte below 0x80 is itself, a stray
// continuation byte is its low seven bits, a lead byte with n leading ones takes n - 1
// continuation bytes and a sequence broken by any other byte (the terminator included) is '^'
// and ends before that byte; a whole sequence whose value needs more than 31 bits is '^' too.
int reference_decode(const unsigned char *s, size_t *length) {
  const unsigned lead = s[0];
  *length = 1;
  if (lead < 0x80) return static_cast<int>(lead);
  if (lead < 0xC0) return static_cast<int>(lead & 0x7F);
  int ones = 0;
  while (ones < 8 && (lead & (0x80u >> ones))) ++ones;
  uint64_t value = ones < 8 ? (lead & ((1u << (7 - ones)) - 1u)) : 0;
  for (int i = 1; i < ones; ++i) {
    if ((s[i] & 0xC0) != 0x80) {
      *length = static_cast<size_t>(i);
      return '^';
    }
    value = (value << 6) | (s[i] & 0x3Fu);
  }
  *length = static_cast<size_t>(ones);
  // Seven- and eight-byte forms can carry more than 31 bits: no code point.
  return value > 0x7FFFFFFF ? '^' : static_cast<int>(value);
}

// True for bytes that are whole UTF-8 sequences in their shortest form, of up to six bytes
// (31-bit code points), with no zero byte.
bool well_formed(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto lead = static_cast<unsigned char>(s[i]);
    if (lead == 0) return false;
    if (lead < 0x80) {
      ++i;
      continue;
    }
    int length = 0;
    uint32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0)
      length = 2, minimum = 0x80;
    else if ((lead & 0xF0) == 0xE0)
      length = 3, minimum = 0x800;
    else if ((lead & 0xF8) == 0xF0)
      length = 4, minimum = 0x10000;
    else if ((lead & 0xFC) == 0xF8)
      length = 5, minimum = 0x200000;
    else if ((lead & 0xFE) == 0xFC)
      length = 6, minimum = 0x4000000;
    else
      return false;
    if (s.size() - i < static_cast<size_t>(length)) return false;
    uint32_t value = lead & (0x7Fu >> length);
    for (int k = 1; k < length; ++k) {
      const auto b = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
      if ((b & 0xC0) != 0x80) return false;
      value = (value << 6) | (b & 0x3Fu);
    }
    if (value < minimum) return false;
    i += static_cast<size_t>(length);
  }
  return true;
}

// The input as a string of the given encoding: its bytes with enough zero bytes behind them for
// any terminator (a 16-bit one starts on an even offset).
std::string terminated(std::string_view bytes) {
  std::string s(bytes);
  if (s.size() % 2) s += '\0';
  s.append(4, '\0');
  return s;
}

void check_decoding(const std::string &s) {
  const encoding_info *utf8 = find_encoding_info(ENCODING_UTF8);
  FUZZ_CHECK(utf8 != nullptr);
  const char *p = s.c_str();
  const char *end = p + std::strlen(p);
  std::string reencoded;
  while (p < end) {
    size_t length = 0;
    const int expected = reference_decode(reinterpret_cast<const unsigned char *>(p), &length);
    FUZZ_CHECK(utf8->get_char(p) == expected);
    const char *q = p;
    const int c = utf8->next_char(&q);
    FUZZ_CHECK(c == expected);
    FUZZ_CHECK(q == p + length && q <= end);
    if (c == 0) break;  // a stray 0x80 reads as the terminator character
    char out[8] = {};
    const int width = utf8->put_char(out, c);
    FUZZ_CHECK(width == utf8->code_width(c) && width >= 1 && width <= 6);
    reencoded.append(out, static_cast<size_t>(width));
    p = q;
  }
  if (well_formed(std::string_view(s.c_str()))) FUZZ_CHECK(reencoded == s.c_str());
  // What came out is made of whole characters: a second trip leaves it as it is.
  std::string twice;
  const std::string once = terminated(reencoded);
  for (const char *r = once.c_str(); *r != 0;) {
    const int c = utf8->next_char(&r);
    if (c == 0) break;
    char out[8];
    twice.append(out, static_cast<size_t>(utf8->put_char(out, c)));
  }
  FUZZ_CHECK(twice == reencoded);
}

// Bytes before the first terminator of the encoding (whose width is terminator).
int bytes_before_terminator(const char *s, int size, int terminator) {
  int used = 0;
  while (used + terminator <= size) {
    bool zero = true;
    for (int i = 0; i < terminator; ++i) zero = zero && s[used + i] == 0;
    if (zero) return used;
    used += terminator;
  }
  return -1;
}

void check_conversions(const std::string &s) {
  for (const int from : encodings) {
    for (const int to : encodings) {
      const int terminator = to == ENCODING_UNICODE16 ? 2 : 1;
      const int full_size = converted_size(s.c_str(), from, to);
      FUZZ_CHECK(full_size >= terminator);
      // The complete conversion fills exactly the size predicted, ending in a terminator.
      std::string full(static_cast<size_t>(full_size) + 8, '\x55');
      convert_text_into(s.c_str(), from, full.data(), to, full_size);
      FUZZ_CHECK(full.compare(static_cast<size_t>(full_size), 8, std::string(8, '\x55')) == 0);
      for (int i = 1; i <= terminator; ++i)
        FUZZ_CHECK(full[static_cast<size_t>(full_size - i)] == 0);

      int previous = 0;
      for (int size = 0; size <= max_size; ++size) {
        // Exactly size bytes, so that the sanitizer sees any byte written beyond them.
        char *buffer = static_cast<char *>(std::malloc(static_cast<size_t>(size)));
        FUZZ_CHECK(size == 0 || buffer != nullptr);
        if (size > 0) std::memset(buffer, 0x55, static_cast<size_t>(size));
        convert_text_into(s.c_str(), from, buffer, to, size);
        if (size >= terminator) {
          // A prefix of the complete conversion, never shorter than with less room, and all of
          // it once it fits.
          const int used = bytes_before_terminator(buffer, size, terminator);
          FUZZ_CHECK(used >= 0);
          FUZZ_CHECK(std::memcmp(buffer, full.data(), static_cast<size_t>(used)) == 0);
          FUZZ_CHECK(used >= previous);
          previous = used;
          if (size >= full_size) {
            FUZZ_CHECK(std::memcmp(buffer, full.data(), static_cast<size_t>(full_size)) == 0);
          }
        } else if (size > 0) {
          FUZZ_CHECK(buffer[0] == 0);
        }
        std::free(buffer);
      }
    }
  }
}

void check_copies(const std::string &s) {
  for (const int encoding : encodings) {
    set_text_encoding(encoding);
    const int length = text_length(s.c_str());
    FUZZ_CHECK(length >= 0);
    FUZZ_CHECK(text_offset(s.c_str(), length) == text_size(s.c_str()));
    for (int size = 0; size <= max_size; size += 3) {
      char *buffer = static_cast<char *>(std::malloc(static_cast<size_t>(size)));
      text_copy(buffer, size, s.c_str());
      if (size >= current_code_width(0)) FUZZ_CHECK(text_size_z(buffer) <= size);
      text_ncopy(buffer, size, s.c_str(), size / 2);
      if (size >= current_code_width(0)) {
        text_concat(buffer, size, s.c_str());
        FUZZ_CHECK(text_size_z(buffer) <= size);
      }
      std::free(buffer);
    }
  }
  set_text_encoding(ENCODING_UTF8);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > 4096) return 0;
  const std::string s = terminated(fuzz::as_text(data, size));
  set_text_encoding(ENCODING_UTF8);
  check_decoding(s);
  check_conversions(s);
  check_copies(s);
  return 0;
}
