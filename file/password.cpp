// The process-wide packfile password: setting it, the scrambled stream ids in both key forms, the
// copy each stream takes when it opens, and the XOR scrambling of stream bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "corvane/text.h"
#include "file/packfile_internal.h"

namespace corvane {

namespace {

constexpr int password_capacity = 255;
char password[password_capacity + 1] = "";

// A password byte as the signed 8-bit value the key arithmetic uses, widened to 32 bits.
uint32_t signed_byte(char c) {
  return static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c)));
}

}  // namespace

bool packfile_password_is_set() noexcept { return password[0] != 0; }

int packfile_key(int id, bool new_form) noexcept {
  const size_t n = std::strlen(password);
  if (n == 0) return id;
  uint32_t key = 0;
  for (size_t i = 0; i < n; ++i) key ^= signed_byte(password[i]) << (8 * (i % 4));
  // The first four bytes again, wrapping round a shorter password, most significant first. This
  // undoes the scrambling that the stream applies to the header it reads.
  key ^= signed_byte(password[0 % n]) << 24;
  key ^= signed_byte(password[1 % n]) << 16;
  key ^= signed_byte(password[2 % n]) << 8;
  key ^= signed_byte(password[3 % n]);
  if (new_form) key ^= 42;
  return static_cast<int>(static_cast<uint32_t>(id) ^ key);
}

char *copy_packfile_password() noexcept {
  if (password[0] == 0) return nullptr;
  const size_t n = std::strlen(password) + 1;
  auto *copy = static_cast<char *>(std::malloc(n));
  if (copy != nullptr) std::memcpy(copy, password, n);
  return copy;
}

void scramble_bytes(packfile *f, unsigned char *bytes, int count) noexcept {
  if (f->passdata == nullptr || f->passdata[0] == 0) return;
  char *pos = f->passpos != nullptr ? f->passpos : f->passdata;
  for (int i = 0; i < count; ++i) {
    bytes[i] = static_cast<unsigned char>(bytes[i] ^ static_cast<unsigned char>(*pos++));
    if (*pos == 0) pos = f->passdata;
  }
  f->passpos = pos;
}

}  // namespace corvane

extern "C" {

void set_packfile_password(const char *text) noexcept {
  int n = 0;
  if (text != nullptr) {
    const char *p = text;
    for (int characters = 0; characters < corvane::password_capacity; ++characters) {
      const int c = current_next_char(&p);
      if (c == 0) break;
      if (c < 256) {
        // One byte, as passwords of 8-bit characters always were stored.
        if (n == corvane::password_capacity) break;
        corvane::password[n++] = static_cast<char>(c);
        continue;
      }
      // Wider characters give every byte of their encoded form, so that no character ends the
      // password early and a password always protects; zero bytes (16-bit encodings) are left
      // out, as the password is a terminated string. A character that does not fit whole ends it.
      char encoded[8];
      const int width = current_put_char(encoded, c);
      int nonzero = 0;
      for (int i = 0; i < width; ++i) nonzero += encoded[i] != 0 ? 1 : 0;
      if (n + nonzero > corvane::password_capacity) break;
      for (int i = 0; i < width; ++i) {
        if (encoded[i] != 0) corvane::password[n++] = encoded[i];
      }
    }
  }
  corvane::password[n] = 0;
}

}  // extern "C"
