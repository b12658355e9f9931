// The operations of the library's own streams: the 4096-byte buffer, filled from the descriptor,
// the enclosing stream or the LZSS decoder and written out to the descriptor or the LZSS encoder,
// with password scrambling on streams that sit directly on a descriptor.
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "corvane/system.h"
#include "file/file_io.h"
#include "file/lzss.h"
#include "file/packfile_internal.h"

namespace corvane {

namespace {

// Writing streams flush when the buffer already holds this many bytes.
constexpr int flush_threshold = PACKFILE_BUFFER_SIZE - 1;

packfile *as_packfile(void *userdata) { return static_cast<packfile *>(userdata); }

bool scrambles_on_descriptor(const packfile *f) {
  return f->passdata != nullptr && (f->flags & PACKFILE_FLAG_OLD_CRYPT) == 0;
}

void mark_failed(packfile *f) {
  f->flags |= PACKFILE_FLAG_ERROR;
  set_error_number(EFAULT);
}

// Marks the end of the data once the buffer is empty and nothing more is to come.
void note_end(packfile *f) {
  if (f->buf_size == 0 && f->byte_count <= 0 && internal(f)->length_known) {
    f->flags |= PACKFILE_FLAG_EOF;
  }
}

// Takes up to count raw bytes from the enclosing stream, never more than the chunk holds.
long read_from_parent(void *context, unsigned char *buffer, long count) {
  packfile *f = as_packfile(context);
  normal_packfile *n = internal(f);
  if (count > n->raw_left) count = static_cast<long>(n->raw_left);
  if (count <= 0) return 0;
  const long got = packfile_read(buffer, count, f->parent);
  if (got <= 0) return 0;
  n->raw_left -= got;
  return got;
}

int write_to_parent(void *context, const unsigned char *data, long size) {
  packfile *parent = as_packfile(context)->parent;
  if (packfile_write(data, size, parent) != size || packfile_error(parent)) return -1;
  return 0;
}

int normal_close(void *userdata) { return close_packfile(as_packfile(userdata)); }

int normal_getc(void *userdata) {
  packfile *f = as_packfile(userdata);
  if (f->flags & PACKFILE_FLAG_WRITE) return -1;
  if (f->buf_size <= 0 && refill_packfile(f) <= 0) return -1;
  --f->buf_size;
  const int c = *f->buf_pos++;
  note_end(f);
  return c;
}

int normal_ungetc(void *userdata, int c) {
  packfile *f = as_packfile(userdata);
  if ((f->flags & PACKFILE_FLAG_WRITE) || f->buf_pos <= f->buf) return -1;
  *--f->buf_pos = static_cast<unsigned char>(c);
  ++f->buf_size;
  f->flags &= ~PACKFILE_FLAG_EOF;
  return c & 0xFF;
}

long normal_read(void *userdata, void *buffer, long count) {
  packfile *f = as_packfile(userdata);
  if (f->flags & PACKFILE_FLAG_WRITE) return 0;
  auto *out = static_cast<unsigned char *>(buffer);
  long done = 0;
  while (done < count) {
    if (f->buf_size <= 0 && refill_packfile(f) <= 0) break;
    long n = count - done;
    if (n > f->buf_size) n = f->buf_size;
    std::memcpy(out + done, f->buf_pos, static_cast<size_t>(n));
    f->buf_pos += n;
    f->buf_size -= static_cast<int>(n);
    done += n;
  }
  note_end(f);
  return done;
}

int normal_putc(void *userdata, int c) {
  packfile *f = as_packfile(userdata);
  if (!(f->flags & PACKFILE_FLAG_WRITE)) return -1;
  if (f->buf_size >= flush_threshold && flush_packfile(f, false) != 0) return -1;
  f->buf[f->buf_size++] = static_cast<unsigned char>(c);
  f->buf_pos = f->buf + f->buf_size;
  return c & 0xFF;
}

long normal_write(void *userdata, const void *buffer, long count) {
  packfile *f = as_packfile(userdata);
  if (!(f->flags & PACKFILE_FLAG_WRITE)) return 0;
  const auto *in = static_cast<const unsigned char *>(buffer);
  long done = 0;
  while (done < count) {
    if (f->buf_size >= flush_threshold && flush_packfile(f, false) != 0) break;
    long n = count - done;
    if (n > flush_threshold - f->buf_size) n = flush_threshold - f->buf_size;
    std::memcpy(f->buf + f->buf_size, in + done, static_cast<size_t>(n));
    f->buf_size += static_cast<int>(n);
    done += n;
  }
  f->buf_pos = f->buf + f->buf_size;
  return done;
}

int normal_seek(void *userdata, long offset) {
  packfile *f = as_packfile(userdata);
  if ((f->flags & PACKFILE_FLAG_WRITE) || offset < 0) {
    set_error_number(EINVAL);
    return -1;
  }
  int64_t left = offset;
  const int from_buffer = left < f->buf_size ? static_cast<int>(left) : f->buf_size;
  f->buf_pos += from_buffer;
  f->buf_size -= from_buffer;
  left -= from_buffer;
  if (left > 0) {
    normal_packfile *n = internal(f);
    const bool plain = !(f->flags & PACKFILE_FLAG_PACK) && !scrambles_on_descriptor(f);
    if (plain && n->length_known) {
      // Move the layer below instead of reading through the bytes.
      if (left > f->byte_count) left = f->byte_count;
      if (f->parent != nullptr) {
        if (left > n->raw_left) left = n->raw_left;
        if (normal_seek(f->parent, static_cast<long>(left)) != 0) {
          mark_failed(f);
          return -1;
        }
        n->raw_left -= left;
      } else if (file_io.lseek(f->handle, static_cast<off_t>(left), SEEK_CUR) < 0) {
        set_error_number(errno);
        f->flags |= PACKFILE_FLAG_ERROR;
        return -1;
      }
      f->byte_count -= left;
    } else {
      while (left > 0) {
        if (f->buf_size <= 0 && refill_packfile(f) <= 0) break;
        const int step = left < f->buf_size ? static_cast<int>(left) : f->buf_size;
        f->buf_pos += step;
        f->buf_size -= step;
        left -= step;
      }
    }
  }
  note_end(f);
  return (f->flags & PACKFILE_FLAG_ERROR) ? -1 : 0;
}

int normal_eof(void *userdata) { return as_packfile(userdata)->flags & PACKFILE_FLAG_EOF; }

int normal_error(void *userdata) { return as_packfile(userdata)->flags & PACKFILE_FLAG_ERROR; }

}  // namespace

const packfile_ops normal_packfile_ops = {
    .close = normal_close,
    .getc = normal_getc,
    .ungetc = normal_ungetc,
    .read = normal_read,
    .putc = normal_putc,
    .write = normal_write,
    .seek = normal_seek,
    .eof = normal_eof,
    .error = normal_error,
};

int flush_packfile(packfile *f, bool final) noexcept {
  if (!(f->flags & PACKFILE_FLAG_WRITE)) return 0;
  const int size = f->buf_size;
  f->buf_size = 0;
  f->buf_pos = f->buf;
  // After a failed write the file already has a hole; writing more would hide it.
  if (f->flags & PACKFILE_FLAG_ERROR) return -1;
  if (f->flags & PACKFILE_FLAG_PACK) {
    if (size > 0 || final) {
      const lzss_output output{.write = write_to_parent, .context = f};
      if (lzss_encode(static_cast<lzss_encoder *>(f->pack_data), f->buf, size, final, output) !=
          0) {
        mark_failed(f);
        return -1;
      }
    }
  } else if (size > 0) {
    if (scrambles_on_descriptor(f)) scramble_bytes(f, f->buf, size);
    if (write_fully(f->handle, f->buf, size) != 0) {
      mark_failed(f);
      return -1;
    }
  }
  f->byte_count += size;
  return 0;
}

int refill_packfile(packfile *f) noexcept {
  normal_packfile *n = internal(f);
  // buf_pos stays where it is until new bytes arrive, so the last byte can still be put back.
  f->buf_size = 0;
  if (f->flags & PACKFILE_FLAG_ERROR) return 0;
  if (f->byte_count <= 0) {
    f->flags |= PACKFILE_FLAG_EOF;
    return 0;
  }
  const int want =
      f->byte_count < PACKFILE_BUFFER_SIZE ? static_cast<int>(f->byte_count) : PACKFILE_BUFFER_SIZE;
  long got;
  if (f->flags & PACKFILE_FLAG_PACK) {
    const bool flag_bytes_scrambled = (f->flags & PACKFILE_FLAG_OLD_CRYPT) && f->passdata;
    const lzss_input input{.read = read_from_parent,
                           .context = f,
                           .passdata = flag_bytes_scrambled ? f->passdata : nullptr,
                           .passpos = flag_bytes_scrambled ? &f->passpos : nullptr};
    got = lzss_decode(static_cast<lzss_decoder *>(f->unpack_data), f->buf, want, input);
    if (got < 0) {
      mark_failed(f);
      return 0;
    }
  } else if (f->parent != nullptr) {
    got = read_from_parent(f, f->buf, want);
  } else {
    const int64_t read = read_fully(f->handle, f->buf, want);
    if (read < 0) {
      mark_failed(f);
      return 0;
    }
    got = static_cast<long>(read);
    if (scrambles_on_descriptor(f)) scramble_bytes(f, f->buf, static_cast<int>(got));
  }
  if (n->length_known) f->byte_count -= got;
  f->buf_size = static_cast<int>(got);
  if (got > 0) f->buf_pos = f->buf;
  if (got == 0) {
    // The data ended before the stream's own length said it would: a truncated chunk, or a
    // failure in the layer below.
    if (n->must_be_complete || (f->parent != nullptr && packfile_error(f->parent))) {
      mark_failed(f);
    }
    f->flags |= PACKFILE_FLAG_EOF;
    return 0;
  }
  return static_cast<int>(got);
}

bool packfile_bytes_left(packfile *f, int64_t *left) noexcept {
  if (f == nullptr || !f->is_normal || (f->flags & PACKFILE_FLAG_WRITE) ||
      !internal(f)->length_known) {
    return false;
  }
  *left = f->byte_count + f->buf_size;
  return true;
}

}  // namespace corvane
