// Fuzz target "chunk_stream": the input is a file holding chunks (a stored size, a data size that
// is negative for compressed data, then the data), read with mode "r", or "rp" when it starts
// with a stream header. Chunks are entered as deep as they nest, every chunk must deliver exactly
// its declared data size or report an error, a chunk read with getc, ungetc, seeks and small
// reads must give the same bytes as one read with plain reads, and chunks written from the input
// (stored and compressed, nested) must read back unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "corvane/packfile.h"
#include "corvane/system.h"
#include "fuzz_support.h"

namespace {

constexpr int max_depth = 24;

packfile *open_input(const fuzz::memory_file &file, std::string_view contents) {
  const bool headed = contents.substr(0, 3) == "kwp";
  return open_packfile_fd(file.open_descriptor(), headed ? "rp" : "r");
}

std::string read_rest(packfile *f) {
  std::string out;
  char buffer[1024];
  for (;;) {
    const long got = packfile_read(buffer, sizeof buffer, f);
    FUZZ_CHECK(got >= 0);
    if (got == 0) break;
    out.append(buffer, static_cast<size_t>(got));
  }
  return out;
}

// Enters every chunk as deep as chunks nest; reads what is left of each level as bytes.
void walk_nested(const fuzz::memory_file &file, std::string_view contents) {
  packfile *root = open_input(file, contents);
  if (root == nullptr) return;
  struct level {
    packfile *f;
    int64_t declared;
    bool has_children;
  };
  std::vector<level> stack{{root, 0, false}};
  for (;;) {
    level &top = stack.back();
    if (stack.size() <= max_depth) {
      packfile *chunk = open_packfile_chunk(top.f, 0);
      if (chunk != nullptr) {
        FUZZ_CHECK(chunk->parent == top.f);
        top.has_children = true;
        const int64_t size = chunk_data_size;
        stack.push_back({chunk, size < 0 ? -size : size, false});
        continue;
      }
    }
    const std::string rest = read_rest(top.f);
    if (stack.size() == 1) break;
    // A chunk never gives more than it declares; one read straight through gives all of it, or
    // says why not.
    FUZZ_CHECK(static_cast<int64_t>(rest.size()) <= top.declared);
    if (!top.has_children && !packfile_error(top.f)) {
      FUZZ_CHECK(static_cast<int64_t>(rest.size()) == top.declared);
    }
    packfile *parent = close_packfile_chunk(top.f);
    stack.pop_back();
    FUZZ_CHECK(parent == stack.back().f);
  }
  close_packfile(root);
}

// Reads the top-level chunks twice: straight through, then with a mix of operations whose
// results must agree with the first reading.
void walk_mixed(const fuzz::memory_file &file, std::string_view contents, unsigned salt) {
  struct chunk_reading {
    std::string bytes;
    bool error;
  };
  std::vector<chunk_reading> plain;
  if (packfile *f = open_input(file, contents)) {
    while (packfile *chunk = open_packfile_chunk(f, 0)) {
      std::string bytes = read_rest(chunk);
      plain.push_back({std::move(bytes), packfile_error(chunk) != 0});
      close_packfile_chunk(chunk);
    }
    close_packfile(f);
  }
  packfile *f = open_input(file, contents);
  if (f == nullptr) return;
  unsigned state = salt * 2654435761u + 1;
  auto next = [&state]() {
    state = state * 1103515245u + 12345u;
    return state >> 16;
  };
  for (const chunk_reading &reading : plain) {
    const std::string &expected = reading.bytes;
    packfile *chunk = open_packfile_chunk(f, 0);
    FUZZ_CHECK(chunk != nullptr);
    size_t pos = 0;
    for (int op = 0; op < 64 && pos <= expected.size(); ++op) {
      const size_t left = expected.size() - pos;
      switch (next() % 5) {
        case 0: {
          const int c = packfile_getc(chunk);
          if (left == 0) {
            FUZZ_CHECK(c == -1);
            break;
          }
          FUZZ_CHECK(c == static_cast<unsigned char>(expected[pos]));
          ++pos;
          if (next() % 2 == 0) {
            FUZZ_CHECK(packfile_ungetc(c, chunk) == c);
            --pos;
          }
          break;
        }
        case 1: {
          char buffer[64];
          const long want = static_cast<long>(next() % sizeof buffer);
          const long got = packfile_read(buffer, want, chunk);
          const long expected_count =
              static_cast<long>(left) < want ? static_cast<long>(left) : want;
          FUZZ_CHECK(got == expected_count);
          FUZZ_CHECK(expected.compare(pos, static_cast<size_t>(got), buffer,
                                      static_cast<size_t>(got)) == 0);
          pos += static_cast<size_t>(got);
          break;
        }
        case 2: {
          const long skip = static_cast<long>(next() % 5000);
          // Skipping over data that turns out to be missing reports it, now or at the next read.
          const int result = packfile_seek(chunk, skip);
          if (!reading.error) FUZZ_CHECK(result == 0);
          pos += static_cast<size_t>(skip) < left ? static_cast<size_t>(skip) : left;
          break;
        }
        case 3: {
          const int value = read_be32(chunk);
          if (left < 4) {
            FUZZ_CHECK(value == -1);
            pos = expected.size();
            break;
          }
          const auto *b = reinterpret_cast<const unsigned char *>(expected.data() + pos);
          FUZZ_CHECK(static_cast<uint32_t>(value) ==
                     ((static_cast<uint32_t>(b[0]) << 24) | (static_cast<uint32_t>(b[1]) << 16) |
                      (static_cast<uint32_t>(b[2]) << 8) | b[3]));
          pos += 4;
          break;
        }
        default: {
          if (left == 0) FUZZ_CHECK(packfile_eof(chunk) || packfile_getc(chunk) == -1);
          break;
        }
      }
    }
    FUZZ_CHECK(close_packfile_chunk(chunk) == f);
  }
  close_packfile(f);
}

// Writes data into f, putting the later part into a chunk (compressed or stored by the first
// byte), nested up to three levels.
void write_nested(packfile *f, std::string_view data, int depth) {
  if (data.size() < 8 || depth == 3) {
    FUZZ_CHECK(packfile_write(data.data(), static_cast<long>(data.size()), f) ==
               static_cast<long>(data.size()));
    return;
  }
  const auto first = static_cast<unsigned char>(data[0]);
  const size_t split = 1 + first % (data.size() - 1);
  FUZZ_CHECK(packfile_write(data.data() + 1, static_cast<long>(split - 1), f) ==
             static_cast<long>(split - 1));
  packfile *chunk = open_packfile_chunk(f, first & 1);
  FUZZ_CHECK(chunk != nullptr);
  write_nested(chunk, data.substr(split), depth + 1);
  FUZZ_CHECK(close_packfile_chunk(chunk) == f);
}

void read_nested(packfile *f, std::string_view data, int depth) {
  if (data.size() < 8 || depth == 3) {
    std::string got(data.size() + 1, '\0');
    FUZZ_CHECK(packfile_read(got.data(), static_cast<long>(got.size()), f) ==
               static_cast<long>(data.size()));
    got.resize(data.size());
    FUZZ_CHECK(got == data);
    return;
  }
  const auto first = static_cast<unsigned char>(data[0]);
  const size_t split = 1 + first % (data.size() - 1);
  std::string head(split - 1, '\0');
  FUZZ_CHECK(packfile_read(head.data(), static_cast<long>(head.size()), f) ==
             static_cast<long>(head.size()));
  FUZZ_CHECK(head == data.substr(1, split - 1));
  packfile *chunk = open_packfile_chunk(f, 0);
  FUZZ_CHECK(chunk != nullptr);
  FUZZ_CHECK((chunk_data_size < 0) == ((first & 1) != 0));
  read_nested(chunk, data.substr(split), depth + 1);
  FUZZ_CHECK(!packfile_error(chunk));
  FUZZ_CHECK(close_packfile_chunk(chunk) == f);
}

void check_written_chunks(std::string_view data) {
  const bool with_password = !data.empty() && (data[0] & 2);
  set_packfile_password(with_password ? "chunks" : nullptr);
  fuzz::memory_file out;
  packfile *w = open_packfile_fd(out.open_descriptor(O_WRONLY), "w");
  FUZZ_CHECK(w != nullptr);
  write_nested(w, data, 0);
  FUZZ_CHECK(close_packfile(w) == 0);
  packfile *r = open_packfile_fd(out.open_descriptor(), "r");
  FUZZ_CHECK(r != nullptr);
  read_nested(r, data, 0);
  FUZZ_CHECK(packfile_getc(r) == -1);
  FUZZ_CHECK(!packfile_error(r));
  close_packfile(r);
  set_packfile_password(nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  fuzz::use_private_temporary_directory();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string_view contents = fuzz::as_text(data, size);
  const fuzz::memory_file file(contents);
  walk_nested(file, contents);
  walk_mixed(file, contents, size > 0 ? data[0] : 0);
  // Writing goes through temporary files; a few kilobytes show every boundary.
  check_written_chunks(contents.substr(0, 9000));
  return 0;
}
