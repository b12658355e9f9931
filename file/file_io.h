// The system calls through which the file layer reaches the operating system, kept in one table so
// that tests can count or fail them, and the conversion of file names for the system.
#ifndef CORVANE_FILE_FILE_IO_H
#define CORVANE_FILE_FILE_IO_H

#include <sys/types.h>

#include <cstdint>

namespace corvane {

struct file_io_table {
  int (*open)(const char *path, int flags, mode_t mode);
  int (*close)(int fd);
  ssize_t (*read)(int fd, void *buffer, size_t count);
  ssize_t (*write)(int fd, const void *buffer, size_t count);
  off_t (*lseek)(int fd, off_t offset, int whence);
  int (*dup)(int fd);
};

// The table in use; starts out holding the system's own functions.
extern file_io_table file_io;

// The system's own functions, for restoring the table.
const file_io_table &system_file_io() noexcept;

// Reads up to count bytes, retrying after EINTR and EAGAIN and going on after short reads until
// count bytes or the end of the file. Returns the bytes read, or -1 with errno set.
int64_t read_fully(int fd, void *buffer, int64_t count) noexcept;

// Writes all count bytes with the same retry rules. Returns 0, or -1 with errno set.
int write_fully(int fd, const void *buffer, int64_t count) noexcept;

// Opens a file for the library to read (flags O_RDONLY) or write (O_WRONLY with O_CREAT, O_TRUNC)
// without ever blocking in open(): a FIFO with no writer, or a device that waits, would hang the
// caller. Reading refuses anything but a regular file (EISDIR for a directory, EINVAL for FIFOs,
// devices and sockets). The descriptor comes back in blocking mode. Returns it, or -1 with errno.
int open_file_without_blocking(const char *system_name, int flags) noexcept;

// Converts a name from the current encoding into encoding (a file-name encoding, or UTF-8) in
// buffer. Returns false, with the error number ENAMETOOLONG, when the whole name does not fit.
bool convert_file_name(const char *name, int encoding, char *buffer, int size) noexcept;

// The value of an environment variable (its name in the current encoding), converted from the
// file-name encoding into the current encoding, in buffer. Returns false when it is unset, empty
// or too long for the buffer.
bool get_environment_text(const char *name, char *buffer, int size) noexcept;

}  // namespace corvane

#endif  // CORVANE_FILE_FILE_IO_H
