// An independent reading of compressed and password-protected streams, written from the stored
// format alone, against which the file tests and the fuzz targets compare the library.
//
// Compressed data: a ring of 4096 bytes, zero at the start and written from position 4078; a flag
// byte before every eight items, least significant bit first, 1 = a literal byte, 0 = a
// reference (b1, b2) copying (b2 & 15) + 3 bytes from ring position b1 | (b2 & 0xF0) << 4. Only
// the 18 zero bytes before 4078 and bytes already produced may be copied.
//
// Passwords: a stream that reads its file directly XORs every byte with the password in turn;
// the header then holds the stream id XORed with a key made from the password. Files of the
// older key form keep their bytes as they are and XOR only the flag bytes of compressed data.
#ifndef CORVANE_TESTS_SUPPORT_LZSS_REFERENCE_H
#define CORVANE_TESTS_SUPPORT_LZSS_REFERENCE_H

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane::testing {

struct reference_stream {
  bool opened = false;   // the header was recognised
  bool corrupt = false;  // the data copies ring bytes that were never written
  std::string bytes;     // what reading the stream gives, up to the end or the corruption
};

// Decodes compressed data. With flag_password, every flag byte is XORed with the next password
// byte (older key form).
inline reference_stream reference_decompress(std::string_view in,
                                             std::string_view flag_password = {}) {
  reference_stream out;
  out.opened = true;
  unsigned char ring[4096] = {};
  bool written[4096] = {};
  for (int i = 4060; i < 4078; ++i) written[i] = true;
  int r = 4078;
  size_t i = 0;
  size_t password_position = 0;
  auto produce = [&](unsigned char c) {
    out.bytes += static_cast<char>(c);
    ring[r] = c;
    written[r] = true;
    r = (r + 1) & 4095;
  };
  while (i < in.size()) {
    unsigned flags = static_cast<unsigned char>(in[i++]);
    if (!flag_password.empty()) {
      flags ^= static_cast<unsigned char>(flag_password[password_position]);
      password_position = (password_position + 1) % flag_password.size();
    }
    for (int bit = 0; bit < 8; ++bit) {
      if (flags & (1u << bit)) {
        if (i >= in.size()) return out;
        produce(static_cast<unsigned char>(in[i++]));
      } else {
        if (i + 1 >= in.size()) return out;
        const int b1 = static_cast<unsigned char>(in[i]);
        const int b2 = static_cast<unsigned char>(in[i + 1]);
        i += 2;
        const int position = b1 | ((b2 & 0xF0) << 4);
        const int length = (b2 & 0x0F) + 3;
        for (int k = 0; k < length; ++k) {
          const int from = (position + k) & 4095;
          if (!written[from]) {
            out.corrupt = true;
            return out;
          }
          produce(ring[from]);
        }
      }
    }
  }
  return out;
}

inline uint32_t id_of(const char (&four)[5]) {
  return (static_cast<uint32_t>(static_cast<unsigned char>(four[0])) << 24) |
         (static_cast<uint32_t>(static_cast<unsigned char>(four[1])) << 16) |
         (static_cast<uint32_t>(static_cast<unsigned char>(four[2])) << 8) |
         static_cast<uint32_t>(static_cast<unsigned char>(four[3]));
}

// The stream id as a file protected by the password stores it (new or older key form).
inline uint32_t keyed_id(uint32_t id, std::string_view password, bool new_form) {
  if (password.empty()) return id;
  auto byte = [&](size_t i) {
    return static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(password[i])));
  };
  uint32_t key = 0;
  for (size_t i = 0; i < password.size(); ++i) key ^= byte(i) << (8 * (i % 4));
  key ^= byte(0) << 24;
  key ^= byte(1 % password.size()) << 16;
  key ^= byte(2 % password.size()) << 8;
  key ^= byte(3 % password.size());
  if (new_form) key ^= 42;
  return id ^ key;
}

// What opening a file with mode "rp" and then reading it to the end gives.
inline reference_stream reference_read_packed(std::string_view file, std::string_view password) {
  reference_stream failed;
  if (file.size() < 4) return failed;
  std::string plain(file);
  for (size_t i = 0; i < plain.size() && !password.empty(); ++i) {
    plain[i] = static_cast<char>(plain[i] ^ password[i % password.size()]);
  }
  auto be32 = [](std::string_view s) {
    return (static_cast<uint32_t>(static_cast<unsigned char>(s[0])) << 24) |
           (static_cast<uint32_t>(static_cast<unsigned char>(s[1])) << 16) |
           (static_cast<uint32_t>(static_cast<unsigned char>(s[2])) << 8) |
           static_cast<uint32_t>(static_cast<unsigned char>(s[3]));
  };
  const uint32_t header = be32(plain);
  if (!password.empty()) {
    if (header == keyed_id(id_of("kwp!"), password, false)) {
      return reference_decompress(file.substr(4), password);
    }
    if (header == keyed_id(id_of("kwp."), password, false)) {
      reference_stream out;
      out.opened = true;
      out.bytes = file.substr(4);
      return out;
    }
  }
  if (header == keyed_id(id_of("kwp!"), password, true)) {
    return reference_decompress(std::string_view(plain).substr(4));
  }
  if (header == keyed_id(id_of("kwp."), password, true)) {
    reference_stream out;
    out.opened = true;
    out.bytes = plain.substr(4);
    return out;
  }
  return failed;
}

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_SUPPORT_LZSS_REFERENCE_H
