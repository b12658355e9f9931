// Helpers shared by the fuzz targets: a failed property aborts (libFuzzer then keeps the input as
// a crash), inputs become in-memory files that the library opens by descriptor or by name, and
// temporary files of written chunks go to a directory in memory.
#ifndef CORVANE_FUZZ_FUZZ_SUPPORT_H
#define CORVANE_FUZZ_FUZZ_SUPPORT_H

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzz {

[[noreturn]] inline void fail(const char *file, int line, const char *what) {
  std::fprintf(stderr, "fuzz property failed at %s:%d: %s\n", file, line, what);
  std::abort();
}

#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : ::fuzz::fail(__FILE__, __LINE__, #condition))

// A file in memory holding the given bytes. The library reaches it through a duplicate of its
// descriptor (streams take ownership of theirs) or through its /proc name.
class memory_file {
 public:
  explicit memory_file(std::string_view bytes = {}) {
    fd_ = memfd_create("corvane-fuzz", MFD_CLOEXEC);
    if (fd_ < 0) fail(__FILE__, __LINE__, "memfd_create");
    assign(bytes);
  }
  ~memory_file() { close(fd_); }
  memory_file(const memory_file &) = delete;
  memory_file &operator=(const memory_file &) = delete;

  // Replaces the contents and rewinds.
  void assign(std::string_view bytes) {
    if (ftruncate(fd_, 0) != 0) fail(__FILE__, __LINE__, "ftruncate");
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n =
          pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
      if (n <= 0) fail(__FILE__, __LINE__, "pwrite");
      done += static_cast<size_t>(n);
    }
    rewind();
  }

  // The whole contents, whatever the position.
  std::string contents() const {
    struct stat st {};
    if (fstat(fd_, &st) != 0) fail(__FILE__, __LINE__, "fstat");
    std::string out(static_cast<size_t>(st.st_size), '\0');
    size_t done = 0;
    while (done < out.size()) {
      const ssize_t n = pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(done));
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    out.resize(done);
    return out;
  }

  void rewind() { lseek(fd_, 0, SEEK_SET); }

  // A new descriptor of the same file, positioned at the start, for a stream to own. Descriptors
  // made with dup share their position, so every stream gets a freshly opened one instead.
  int open_descriptor(int flags = O_RDONLY) const {
    const int fd = open(path().c_str(), flags | O_CLOEXEC);
    if (fd < 0) fail(__FILE__, __LINE__, "open /proc/self/fd");
    return fd;
  }

  std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_ = -1;
};

// Temporary files of written chunks go to a directory of the fuzzer's own, in memory when the
// machine has /dev/shm. The library deletes every file it makes there; the directory itself goes
// when the fuzzer exits.
inline void use_private_temporary_directory() {
  static char directory[64];
  const char *base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  std::snprintf(directory, sizeof directory, "%s/corvane-fuzz-XXXXXX", base);
  if (mkdtemp(directory) == nullptr) fail(__FILE__, __LINE__, "mkdtemp");
  setenv("TEMP", directory, 1);
  std::atexit([] { rmdir(directory); });
}

inline std::string_view as_text(const uint8_t *data, size_t size) {
  return {reinterpret_cast<const char *>(data), size};
}

}  // namespace fuzz

#endif  // CORVANE_FUZZ_FUZZ_SUPPORT_H
