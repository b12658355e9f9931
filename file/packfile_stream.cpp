// The public stream operations: each one checks its arguments and goes through the stream's
// operations table, so that library streams and streams over a caller's operations behave alike.
#include <cerrno>

#include "corvane/system.h"
#include "file/packfile_internal.h"

namespace {

bool usable(const packfile *f) { return f != nullptr && f->ops != nullptr; }

}  // namespace

extern "C" {

int packfile_getc(packfile *f) noexcept {
  if (!usable(f) || f->ops->getc == nullptr) return -1;
  return f->ops->getc(f->userdata);
}

int packfile_ungetc(int c, packfile *f) noexcept {
  if (!usable(f) || f->ops->ungetc == nullptr) return -1;
  return f->ops->ungetc(f->userdata, c);
}

long packfile_read(void *buffer, long count, packfile *f) noexcept {
  if (!usable(f) || count < 0 || (buffer == nullptr && count > 0)) {
    set_error_number(EINVAL);
    return -1;
  }
  if (count == 0) return 0;
  if (f->ops->read != nullptr) return f->ops->read(f->userdata, buffer, count);
  // A caller's table without read: move the bytes through getc.
  auto *out = static_cast<unsigned char *>(buffer);
  long done = 0;
  while (done < count && f->ops->getc != nullptr) {
    const int c = f->ops->getc(f->userdata);
    if (c < 0) break;
    out[done++] = static_cast<unsigned char>(c);
  }
  return done;
}

int packfile_putc(int c, packfile *f) noexcept {
  if (!usable(f) || f->ops->putc == nullptr) return -1;
  return f->ops->putc(f->userdata, c);
}

long packfile_write(const void *buffer, long count, packfile *f) noexcept {
  if (!usable(f) || count < 0 || (buffer == nullptr && count > 0)) {
    set_error_number(EINVAL);
    return -1;
  }
  if (count == 0) return 0;
  if (f->ops->write != nullptr) return f->ops->write(f->userdata, buffer, count);
  const auto *in = static_cast<const unsigned char *>(buffer);
  long done = 0;
  while (done < count && f->ops->putc != nullptr) {
    if (f->ops->putc(f->userdata, in[done]) < 0) break;
    ++done;
  }
  return done;
}

int packfile_seek(packfile *f, long offset) noexcept {
  set_error_number(0);
  if (!usable(f) || f->ops->seek == nullptr) {
    set_error_number(EINVAL);
    return -1;
  }
  const int result = f->ops->seek(f->userdata, offset);
  if (result != 0) return -1;
  // A caller's operations may report a failure only through the error number. The library's own
  // streams answer for themselves: a layer below can fail while reading ahead (a compressed chunk
  // whose enclosing stream turns bad behind the chunk's last byte) and set the error number
  // without this stream having lost anything; that layer keeps its own error for its next reader.
  if (!f->is_normal && get_error_number() != 0) return -1;
  return 0;
}

int packfile_eof(packfile *f) noexcept {
  if (!usable(f) || f->ops->eof == nullptr) return 0;
  return f->ops->eof(f->userdata);
}

int packfile_error(packfile *f) noexcept {
  if (!usable(f) || f->ops->error == nullptr) return 0;
  return f->ops->error(f->userdata);
}

}  // extern "C"
