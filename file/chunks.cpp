// Chunks: a stored size, a data size (negative for compressed data) and the data, nested inside
// another stream. Reading checks the sizes against what the enclosing stream can hold and keeps
// the chunk from reading past its own bytes; writing goes through a temporary file, since the
// sizes come first but are known only at the end.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "corvane/system.h"
#include "corvane/text.h"
#include "file/file_io.h"
#include "file/lzss.h"
#include "file/packfile_internal.h"

extern "C" {
int chunk_stored_size = 0;
int chunk_data_size = 0;
}

namespace corvane {

namespace {

// The most output n compressed bytes can produce: a group of eight 18-byte references takes 17
// bytes, so never more than nine times the input.
constexpr int64_t max_expansion = 9;

char *duplicate(const char *s) {
  if (s == nullptr) return nullptr;
  const size_t n = std::strlen(s) + 1;
  auto *copy = static_cast<char *>(std::malloc(n));
  if (copy != nullptr) std::memcpy(copy, s, n);
  return copy;
}

int32_t big_endian_word(const unsigned char *b) {
  return static_cast<int32_t>((static_cast<uint32_t>(b[0]) << 24) |
                              (static_cast<uint32_t>(b[1]) << 16) |
                              (static_cast<uint32_t>(b[2]) << 8) | static_cast<uint32_t>(b[3]));
}

packfile *malformed_chunk(packfile *f) {
  f->flags |= PACKFILE_FLAG_ERROR;
  set_error_number(EFAULT);
  return nullptr;
}

packfile *open_reading_chunk(packfile *f) {
  if (!f->is_normal) {
    set_error_number(EINVAL);
    return nullptr;
  }
  unsigned char header[8];
  if (packfile_read(header, 8, f) != 8) return malformed_chunk(f);
  const int32_t stored = big_endian_word(header);
  const int32_t data = big_endian_word(header + 4);
  chunk_stored_size = stored;
  chunk_data_size = data;

  // Sizes come from the file: check them before anything relies on them.
  if (stored < 0 || data == INT32_MIN) return malformed_chunk(f);
  int64_t left;
  if (packfile_bytes_left(f, &left) && stored > left) return malformed_chunk(f);
  if (data >= 0 ? data > stored : -static_cast<int64_t>(data) > max_expansion * stored) {
    return malformed_chunk(f);
  }

  packfile *chunk = create_normal_packfile();
  if (chunk == nullptr) return nullptr;
  normal_packfile *n = internal(chunk);
  chunk->parent = f;
  chunk->flags = PACKFILE_FLAG_CHUNK;
  n->raw_left = stored;
  n->must_be_complete = true;
  if ((f->flags & PACKFILE_FLAG_OLD_CRYPT) && f->passdata != nullptr) {
    chunk->passdata = duplicate(f->passdata);
    if (chunk->passdata == nullptr) {
      free_normal_packfile(chunk);
      set_error_number(ENOMEM);
      return nullptr;
    }
    chunk->passpos = chunk->passdata + (f->passpos - f->passdata);
    chunk->flags |= PACKFILE_FLAG_OLD_CRYPT;
  }
  if (data < 0) {
    chunk->unpack_data = create_lzss_decoder();
    if (chunk->unpack_data == nullptr) {
      free_normal_packfile(chunk);
      set_error_number(ENOMEM);
      return nullptr;
    }
    chunk->flags |= PACKFILE_FLAG_PACK;
    chunk->byte_count = -static_cast<int64_t>(data);
  } else {
    chunk->byte_count = data;
  }
  if (chunk->byte_count == 0) chunk->flags |= PACKFILE_FLAG_EOF;
  return chunk;
}

bool is_directory(const char *system_path) {
  struct stat st {};
  return stat(system_path, &st) == 0 && S_ISDIR(st.st_mode);
}

// The directory for temporary files, as the system names it.
const char *temporary_directory() {
  for (const char *variable : {"TEMP", "TMP"}) {
    const char *value = std::getenv(variable);
    if (value != nullptr && value[0] != 0) return value;
  }
  if (is_directory("/tmp")) return "/tmp";
  const char *home = std::getenv("HOME");
  if (home != nullptr && home[0] != 0) return home;
  return ".";
}

packfile *open_writing_chunk(packfile *f, bool compress) {
  char pattern[1024];
  const int length = std::snprintf(pattern, sizeof pattern, "%s/XXXXXX", temporary_directory());
  if (length < 0 || length >= static_cast<int>(sizeof pattern)) {
    set_error_number(ENAMETOOLONG);
    return nullptr;
  }
  const int fd = mkstemp(pattern);
  if (fd < 0) {
    set_error_number(errno);
    return nullptr;
  }
  packfile *chunk = open_packfile_fd(fd, compress ? "wp" : "w!");
  if (chunk == nullptr) {
    const int saved = get_error_number();
    unlink(pattern);
    set_error_number(saved);
    return nullptr;
  }
  normal_packfile *n = internal(chunk);
  n->system_name = duplicate(pattern);
  const int size = converted_size(pattern, get_file_name_encoding(), ENCODING_CURRENT);
  chunk->filename =
      size > 0 ? static_cast<char *>(std::malloc(static_cast<size_t>(size))) : nullptr;
  if (n->system_name == nullptr || chunk->filename == nullptr) {
    close_packfile(chunk);
    unlink(pattern);
    set_error_number(ENOMEM);
    return nullptr;
  }
  convert_text_into(pattern, get_file_name_encoding(), chunk->filename, ENCODING_CURRENT, size);
  if (compress) {
    chunk->parent->parent = f;
  } else {
    chunk->parent = f;
  }
  chunk->flags |= PACKFILE_FLAG_CHUNK;
  return chunk;
}

// Copies the temporary file behind its two size words into the enclosing stream. The reader uses
// the password copy the chunk was written with, whatever the password is now.
bool store_chunk(int fd, char *password, packfile *enclosing, int64_t data_size, bool compressed,
                 int32_t *stored_out) {
  packfile *reader = open_packfile_fd(fd, "r");
  if (reader == nullptr) {
    std::free(password);
    return false;
  }
  std::free(reader->passdata);
  reader->passdata = password;
  reader->passpos = password;
  bool ok = false;
  const int64_t stored = reader->byte_count - 4;
  if (stored >= 0 && stored <= INT32_MAX && data_size >= 0 && data_size <= INT32_MAX &&
      reader->ops->seek(reader->userdata, 4) == 0) {
    const auto stored32 = static_cast<int32_t>(stored);
    const auto data32 = static_cast<int32_t>(compressed ? -data_size : data_size);
    ok = write_be32(stored32, enclosing) != -1 || !packfile_error(enclosing);
    ok = ok && (write_be32(data32, enclosing) != -1 || !packfile_error(enclosing));
    unsigned char block[PACKFILE_BUFFER_SIZE];
    int64_t copied = 0;
    while (ok) {
      const long got = packfile_read(block, sizeof block, reader);
      if (got <= 0) break;
      ok = packfile_write(block, got, enclosing) == got;
      copied += got;
    }
    ok = ok && copied == stored && !packfile_error(reader) && !packfile_error(enclosing);
    *stored_out = stored32;
    chunk_stored_size = stored32;
    chunk_data_size = data32;
  } else if (stored > INT32_MAX || data_size > INT32_MAX) {
    set_error_number(EFBIG);
  }
  close_packfile(reader);
  return ok;
}

packfile *close_writing_chunk(packfile *chunk) {
  const bool compressed = (chunk->flags & PACKFILE_FLAG_PACK) != 0;
  packfile *raw = compressed ? chunk->parent : chunk;
  packfile *enclosing = raw->parent;
  const int64_t data_size = chunk->byte_count + chunk->buf_size - 4;
  char *system_name = internal(chunk)->system_name;
  internal(chunk)->system_name = nullptr;
  char *password = nullptr;
  bool ok = true;
  if (raw->passdata != nullptr) {
    password = duplicate(raw->passdata);
    ok = password != nullptr;
  }
  const int fd = file_io.dup(raw->handle);
  if (fd < 0) ok = false;

  // Detached, the temporary stream closes like any other file (final flush included).
  raw->parent = nullptr;
  chunk->flags &= ~PACKFILE_FLAG_CHUNK;
  if (close_packfile(chunk) != 0) ok = false;

  int32_t stored = 0;
  if (ok) {
    ok = store_chunk(fd, password, enclosing, data_size, compressed, &stored);
  } else {
    std::free(password);
    if (fd >= 0) file_io.close(fd);
  }
  const int saved = get_error_number();
  if (system_name != nullptr) unlink(system_name);
  std::free(system_name);
  if (!ok) {
    if (enclosing != nullptr && enclosing->is_normal) enclosing->flags |= PACKFILE_FLAG_ERROR;
    set_error_number(saved != 0 ? saved : EFAULT);
  }
  return enclosing;
}

packfile *close_reading_chunk(packfile *chunk) {
  packfile *parent = chunk->parent;
  // With the older key form the password position depends on how many flag bytes the rest of
  // the data holds, so decode it; otherwise skipping the stored bytes is enough.
  if ((chunk->flags & PACKFILE_FLAG_OLD_CRYPT) && (chunk->flags & PACKFILE_FLAG_PACK)) {
    while (refill_packfile(chunk) > 0) {
    }
  }
  const int64_t left = internal(chunk)->raw_left;
  if (left > 0 && parent->ops->seek != nullptr) {
    const int saved = get_error_number();
    parent->ops->seek(parent->userdata, static_cast<long>(left));
    set_error_number(saved);
  }
  if ((chunk->flags & PACKFILE_FLAG_OLD_CRYPT) && parent->passdata != nullptr &&
      chunk->passdata != nullptr) {
    parent->passpos = parent->passdata + (chunk->passpos - chunk->passdata);
  }
  free_normal_packfile(chunk);
  return parent;
}

}  // namespace

}  // namespace corvane

extern "C" {

packfile *open_packfile_chunk(packfile *f, int compress) noexcept {
  if (f == nullptr || !f->is_normal) {
    set_error_number(EINVAL);
    return nullptr;
  }
  if (f->flags & PACKFILE_FLAG_WRITE) return corvane::open_writing_chunk(f, compress != 0);
  return corvane::open_reading_chunk(f);
}

packfile *close_packfile_chunk(packfile *chunk) noexcept {
  if (chunk == nullptr || !chunk->is_normal || !(chunk->flags & PACKFILE_FLAG_CHUNK)) {
    set_error_number(EINVAL);
    return nullptr;
  }
  if (chunk->flags & PACKFILE_FLAG_WRITE) return corvane::close_writing_chunk(chunk);
  return corvane::close_reading_chunk(chunk);
}

}  // extern "C"
