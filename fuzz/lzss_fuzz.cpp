// Fuzz target "lzss": the input is a file read with mode "rp", once without and once with a
// password. What the library delivers (bytes, end, error) must equal an independent reading of
// the format. Then the input is compressed with "wp" (again without and with the password) and
// must read back unchanged, and the compressed bytes must decode to it independently.
#include <cerrno>
#include <cstdint>
#include <string>
#include <string_view>

#include "corvane/packfile.h"
#include "corvane/system.h"
#include "fuzz_support.h"
#include "support/lzss_reference.h"

namespace {

constexpr const char *password = "Corvane fuzz";

// Read sizes cycled through while reading, so that the buffer refills at many offsets.
constexpr long read_sizes[] = {1, 4096, 7, 4095, 18, 1, 3000, 17, 2};

struct read_result {
  bool opened = false;
  bool error = false;
  std::string bytes;
};

read_result read_stream(packfile *f, unsigned salt) {
  read_result out;
  out.opened = true;
  char buffer[4096];
  size_t step = salt % (sizeof read_sizes / sizeof *read_sizes);
  for (;;) {
    const long want = read_sizes[step++ % (sizeof read_sizes / sizeof *read_sizes)];
    if (want == 1) {
      const int c = packfile_getc(f);
      if (c < 0) break;
      out.bytes += static_cast<char>(c);
      continue;
    }
    const long got = packfile_read(buffer, want, f);
    FUZZ_CHECK(got >= 0 && got <= want);
    out.bytes.append(buffer, static_cast<size_t>(got));
    if (got < want) break;
  }
  FUZZ_CHECK(packfile_eof(f) || packfile_error(f));
  out.error = packfile_error(f) != 0;
  FUZZ_CHECK(close_packfile(f) == 0);
  return out;
}

void check_reading(const fuzz::memory_file &file, std::string_view contents, const char *pass,
                   unsigned salt) {
  set_packfile_password(pass);
  const corvane::testing::reference_stream expected =
      corvane::testing::reference_read_packed(contents, pass != nullptr ? pass : "");
  packfile *f = open_packfile_fd(file.open_descriptor(), "rp");
  if (f == nullptr) {
    FUZZ_CHECK(!expected.opened);
    FUZZ_CHECK(get_error_number() == EDOM);
    return;
  }
  FUZZ_CHECK(expected.opened);
  const read_result got = read_stream(f, salt);
  FUZZ_CHECK(got.bytes == expected.bytes);
  FUZZ_CHECK(got.error == expected.corrupt);
}

void check_round_trip(std::string_view data, const char *pass, unsigned salt) {
  set_packfile_password(pass);
  fuzz::memory_file out;
  packfile *w = open_packfile_fd(out.open_descriptor(O_WRONLY), "wp");
  FUZZ_CHECK(w != nullptr);
  size_t done = 0;
  size_t step = salt;
  while (done < data.size()) {
    long n = read_sizes[step++ % (sizeof read_sizes / sizeof *read_sizes)];
    if (static_cast<size_t>(n) > data.size() - done) n = static_cast<long>(data.size() - done);
    FUZZ_CHECK(packfile_write(data.data() + done, n, w) == n);
    done += static_cast<size_t>(n);
  }
  FUZZ_CHECK(close_packfile(w) == 0);

  const std::string compressed = out.contents();
  const corvane::testing::reference_stream independent =
      corvane::testing::reference_read_packed(compressed, pass != nullptr ? pass : "");
  FUZZ_CHECK(independent.opened && !independent.corrupt);
  FUZZ_CHECK(independent.bytes == data);

  packfile *r = open_packfile_fd(out.open_descriptor(), "rp");
  FUZZ_CHECK(r != nullptr);
  const read_result back = read_stream(r, salt + 3);
  FUZZ_CHECK(!back.error);
  FUZZ_CHECK(back.bytes == data);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string_view contents = fuzz::as_text(data, size);
  const unsigned salt = size > 0 ? data[size - 1] : 0;
  const fuzz::memory_file file(contents);
  check_reading(file, contents, nullptr, salt);
  check_reading(file, contents, password, salt);
  check_round_trip(contents, nullptr, salt);
  check_round_trip(contents, password, salt);
  set_packfile_password(nullptr);
  return 0;
}
