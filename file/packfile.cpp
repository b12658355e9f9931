// Opening and closing streams: modes, plain and compressed streams over a descriptor (with the
// stream headers and both password key forms), files by name, and streams over a caller's
// operations.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "corvane/system.h"
#include "corvane/text.h"
#include "file/file_io.h"
#include "file/lzss.h"
#include "file/packfile_internal.h"

namespace corvane {

namespace {

constexpr int64_t unknown_length = 0x7FFFFFFF;

// Closes a stream on a failure path without letting its close replace the error number.
void discard_stream(packfile *f) {
  if (f == nullptr) return;
  const int saved = get_error_number();
  close_packfile(f);
  set_error_number(saved);
}

packfile *fail_with(int error_number, packfile *to_close) {
  discard_stream(to_close);
  set_error_number(error_number);
  return nullptr;
}

packfile *open_compressed_writer(int fd) {
  packfile *f = create_normal_packfile();
  if (f == nullptr) {
    file_io.close(fd);
    return nullptr;
  }
  f->pack_data = create_lzss_encoder();
  if (f->pack_data == nullptr) {
    file_io.close(fd);
    free_normal_packfile(f);
    set_error_number(ENOMEM);
    return nullptr;
  }
  packfile *raw = open_packfile_fd(fd, "w");
  if (raw == nullptr) {
    free_normal_packfile(f);
    return nullptr;
  }
  f->parent = raw;
  f->handle = fd;
  f->flags = PACKFILE_FLAG_WRITE | PACKFILE_FLAG_PACK;
  write_be32(packfile_key(PACKFILE_ID_PACKED, true), raw);
  f->byte_count = 4;
  return f;
}

packfile *open_plain_writer(int fd, bool header) {
  packfile *f = create_normal_packfile();
  if (f == nullptr) {
    file_io.close(fd);
    return nullptr;
  }
  f->handle = fd;
  f->flags = PACKFILE_FLAG_WRITE;
  if (packfile_password_is_set()) {
    f->passdata = copy_packfile_password();
    if (f->passdata == nullptr) return fail_with(ENOMEM, f);
    f->passpos = f->passdata;
  }
  if (header) write_be32(packfile_key(PACKFILE_ID_UNPACKED, true), f);
  return f;
}

packfile *open_plain_reader(int fd) {
  packfile *f = create_normal_packfile();
  if (f == nullptr) {
    file_io.close(fd);
    return nullptr;
  }
  f->handle = fd;
  const off_t length = file_io.lseek(fd, 0, SEEK_END);
  if (length < 0 || file_io.lseek(fd, 0, SEEK_SET) < 0) return fail_with(errno, f);
  f->byte_count = length;
  if (packfile_password_is_set()) {
    f->passdata = copy_packfile_password();
    if (f->passdata == nullptr) return fail_with(ENOMEM, f);
    f->passpos = f->passdata;
  }
  if (length == 0) f->flags |= PACKFILE_FLAG_EOF;
  return f;
}

packfile *open_compressed_reader(int fd) {
  packfile *f = create_normal_packfile();
  if (f == nullptr) {
    file_io.close(fd);
    return nullptr;
  }
  f->unpack_data = create_lzss_decoder();
  if (f->unpack_data == nullptr) {
    file_io.close(fd);
    free_normal_packfile(f);
    set_error_number(ENOMEM);
    return nullptr;
  }
  packfile *raw = open_packfile_fd(fd, "r");
  if (raw == nullptr) {
    free_normal_packfile(f);
    return nullptr;
  }
  f->parent = raw;
  f->handle = fd;
  int header = read_be32(raw);

  const int packed_new = packfile_key(PACKFILE_ID_PACKED, true);
  const int unpacked_new = packfile_key(PACKFILE_ID_UNPACKED, true);
  if (packfile_password_is_set() && (header == packfile_key(PACKFILE_ID_PACKED, false) ||
                                     header == packfile_key(PACKFILE_ID_UNPACKED, false))) {
    // Older key form: the file's bytes are not scrambled, only the compressed flag bytes, so read
    // it again through a raw layer that leaves the bytes alone.
    const int fd2 = file_io.dup(fd);
    if (fd2 < 0) return fail_with(errno, f);
    f->parent = nullptr;
    discard_stream(raw);
    raw = open_packfile_fd(fd2, "r");
    if (raw == nullptr) {
      free_normal_packfile(f);
      return nullptr;
    }
    f->parent = raw;
    f->handle = fd2;
    raw->flags |= PACKFILE_FLAG_OLD_CRYPT;
    f->flags |= PACKFILE_FLAG_OLD_CRYPT;
    f->passdata = copy_packfile_password();
    if (f->passdata == nullptr) return fail_with(ENOMEM, f);
    f->passpos = f->passdata;
    read_be32(raw);
    header = header == packfile_key(PACKFILE_ID_PACKED, false) ? packed_new : unpacked_new;
  }

  if (header == packed_new) {
    f->flags |= PACKFILE_FLAG_PACK;
    f->byte_count = unknown_length;
    internal(f)->length_known = false;
    return f;
  }
  if (header == unpacked_new) {
    // Plain data behind the header: the raw layer is the stream.
    f->parent = nullptr;
    free_normal_packfile(f);
    return raw;
  }
  return fail_with(EDOM, f);
}

}  // namespace

packfile_mode parse_packfile_mode(const char *mode) noexcept {
  packfile_mode result;
  if (mode == nullptr) return result;
  for (const char *p = mode; *p != 0; ++p) {
    switch (*p) {
      case 'r':
      case 'R':
        result.write = false;
        break;
      case 'w':
      case 'W':
        result.write = true;
        break;
      case 'p':
      case 'P':
        result.pack = true;
        result.plain_header = false;
        break;
      case '!':
        result.pack = false;
        result.plain_header = true;
        break;
      default:
        break;
    }
  }
  return result;
}

packfile *create_normal_packfile() noexcept {
  auto *n = new (std::nothrow) normal_packfile{};
  if (n == nullptr) {
    set_error_number(ENOMEM);
    return nullptr;
  }
  n->raw_left = INT64_MAX;
  n->length_known = true;
  n->must_be_complete = false;
  packfile *f = &n->file;
  f->ops = &normal_packfile_ops;
  f->userdata = f;
  f->is_normal = CORVANE_TRUE;
  f->handle = -1;
  f->buf_pos = f->buf;
  return f;
}

void free_normal_packfile(packfile *f) noexcept {
  if (f == nullptr) return;
  destroy_lzss_encoder(static_cast<lzss_encoder *>(f->pack_data));
  destroy_lzss_decoder(static_cast<lzss_decoder *>(f->unpack_data));
  std::free(f->passdata);
  std::free(f->filename);
  std::free(internal(f)->system_name);
  delete internal(f);
}

packfile *open_named_file(const char *filename, const char *mode, int object_error) noexcept {
  char system_name[1024];
  if (!convert_file_name(filename, get_file_name_encoding(), system_name, sizeof system_name)) {
    return nullptr;
  }
  const packfile_mode m = parse_packfile_mode(mode);
  const int fd = open_file_without_blocking(system_name, m.write ? (O_WRONLY | O_CREAT | O_TRUNC)
                                                                   : O_RDONLY);
  if (fd < 0) {
    const int error = errno;
    // A name the system cannot even hold (a component over its limit) names no file either.
    const bool no_such_file = error == ENOENT || error == ENAMETOOLONG;
    set_error_number(object_error != 0 && no_such_file ? object_error : error);
    return nullptr;
  }
  return open_packfile_fd(fd, mode);
}

}  // namespace corvane

extern "C" {

packfile *open_packfile_fd(int fd, const char *mode) noexcept {
  if (fd < 0) {
    set_error_number(EINVAL);
    return nullptr;
  }
  const corvane::packfile_mode m = corvane::parse_packfile_mode(mode);
  if (m.write) {
    return m.pack ? corvane::open_compressed_writer(fd)
                  : corvane::open_plain_writer(fd, m.plain_header);
  }
  return m.pack ? corvane::open_compressed_reader(fd) : corvane::open_plain_reader(fd);
}

packfile *open_packfile(const char *filename, const char *mode) noexcept {
  set_error_number(0);
  if (filename == nullptr) {
    set_error_number(EINVAL);
    return nullptr;
  }
  const corvane::packfile_mode m = corvane::parse_packfile_mode(mode);
  int object_error = 0;
  if (text_find_char(filename, '#') != nullptr) {
    packfile *object = corvane::open_datafile_object(filename, m);
    if (object != nullptr) return object;
    // Writing never falls back to a file of that name: it would create or truncate it.
    if (m.write) return nullptr;
    object_error = get_error_number();
  }
  return corvane::open_named_file(filename, mode, object_error);
}

packfile *open_packfile_ops(const packfile_ops *ops, void *userdata) noexcept {
  if (ops == nullptr) {
    set_error_number(EINVAL);
    return nullptr;
  }
  auto *n = new (std::nothrow) corvane::normal_packfile{};
  if (n == nullptr) {
    set_error_number(ENOMEM);
    return nullptr;
  }
  n->file.ops = ops;
  n->file.userdata = userdata;
  n->file.is_normal = 0;
  n->file.handle = -1;
  return &n->file;
}

int close_packfile(packfile *f) noexcept {
  if (f == nullptr) {
    set_error_number(EINVAL);
    return -1;
  }
  if (!f->is_normal) {
    const int result = f->ops->close != nullptr ? f->ops->close(f->userdata) : 0;
    delete corvane::internal(f);
    return result;
  }
  if ((f->flags & PACKFILE_FLAG_WRITE) && (f->flags & PACKFILE_FLAG_CHUNK)) {
    packfile *enclosing = close_packfile_chunk(f);
    return enclosing != nullptr ? close_packfile(enclosing) : -1;
  }
  int first_error = 0;
  if (f->flags & PACKFILE_FLAG_WRITE) {
    if (corvane::flush_packfile(f, true) != 0 || (f->flags & PACKFILE_FLAG_ERROR)) {
      first_error = EFAULT;
    }
  }
  if (f->parent != nullptr) {
    if (close_packfile(f->parent) != 0 && first_error == 0) {
      first_error = get_error_number() != 0 ? get_error_number() : EFAULT;
    }
  } else if (f->handle >= 0) {
    if (corvane::file_io.close(f->handle) != 0 && first_error == 0) first_error = errno;
  }
  corvane::free_normal_packfile(f);
  if (first_error != 0) {
    set_error_number(first_error);
    return -1;
  }
  return 0;
}

}  // extern "C"
