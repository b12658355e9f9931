// The system-call table of the file layer, the retrying read and write loops, and the conversion of
// file names and environment values between the current encoding and the system's.
#include "file/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "corvane/system.h"
#include "corvane/text.h"

namespace corvane {

namespace {

int system_open(const char *path, int flags, mode_t mode) { return ::open(path, flags, mode); }

const file_io_table system_table = {
    .open = system_open,
    .close = ::close,
    .read = ::read,
    .write = ::write,
    .lseek = ::lseek,
    .dup = ::dup,
};

bool is_retryable(int error) { return error == EINTR || error == EAGAIN || error == EWOULDBLOCK; }

}  // namespace

file_io_table file_io = system_table;

const file_io_table &system_file_io() noexcept { return system_table; }

int64_t read_fully(int fd, void *buffer, int64_t count) noexcept {
  auto *at = static_cast<unsigned char *>(buffer);
  int64_t done = 0;
  while (done < count) {
    const ssize_t got = file_io.read(fd, at + done, static_cast<size_t>(count - done));
    if (got > 0) {
      done += got;
    } else if (got == 0) {
      break;
    } else if (!is_retryable(errno)) {
      return -1;
    }
  }
  return done;
}

int write_fully(int fd, const void *buffer, int64_t count) noexcept {
  const auto *at = static_cast<const unsigned char *>(buffer);
  int64_t done = 0;
  while (done < count) {
    const ssize_t put = file_io.write(fd, at + done, static_cast<size_t>(count - done));
    if (put > 0) {
      done += put;
    } else if (put == 0) {
      // A descriptor that accepts nothing and reports no error would loop forever.
      errno = EIO;
      return -1;
    } else if (!is_retryable(errno)) {
      return -1;
    }
  }
  return 0;
}

int open_file_without_blocking(const char *system_name, int flags) noexcept {
  const int fd = file_io.open(system_name, flags | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  int error = 0;
  struct stat st {};
  if (fstat(fd, &st) != 0) {
    error = errno;
  } else if ((flags & O_ACCMODE) == O_RDONLY && !S_ISREG(st.st_mode)) {
    error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  } else {
    const int status = fcntl(fd, F_GETFL);
    if (status == -1 || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == -1) error = errno;
  }
  if (error != 0) {
    file_io.close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

bool convert_file_name(const char *name, int encoding, char *buffer, int size) noexcept {
  if (name == nullptr || buffer == nullptr || size <= 0) {
    set_error_number(EINVAL);
    return false;
  }
  const int needed = converted_size(name, ENCODING_CURRENT, encoding);
  if (needed <= 0 || needed > size) {
    buffer[0] = 0;
    set_error_number(ENAMETOOLONG);
    return false;
  }
  convert_text_into(name, ENCODING_CURRENT, buffer, encoding, size);
  return true;
}

bool get_environment_text(const char *name, char *buffer, int size) noexcept {
  if (buffer == nullptr || size <= 0) return false;
  buffer[0] = 0;
  char system_name[256];
  if (name == nullptr ||
      !convert_file_name(name, get_file_name_encoding(), system_name, sizeof system_name)) {
    return false;
  }
  const char *value = std::getenv(system_name);
  if (value == nullptr || value[0] == 0) return false;
  const int needed = converted_size(value, get_file_name_encoding(), ENCODING_CURRENT);
  if (needed <= 0 || needed > size) return false;
  convert_text_into(value, get_file_name_encoding(), buffer, ENCODING_CURRENT, size);
  return true;
}

}  // namespace corvane
