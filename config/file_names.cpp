// Taking file names apart and putting them together: the file name and extension of a path,
// replacing either, appending a file name, trailing slashes and backslashes. Names are text in the
// current encoding and are walked character by character.
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

#include "config/path_text.h"
#include "corvane/file.h"
#include "corvane/system.h"
#include "corvane/text.h"

namespace {

// Writes whole characters into a bounded buffer, like text_copy: what does not fit is dropped and
// the result is always terminated.
class bounded_writer {
 public:
  bounded_writer(char *buffer, int size) : buffer_(buffer), size_(size) {}

  void put(int c) {
    if (full_) return;
    if (used_ + current_code_width(c) + current_code_width(0) > size_) {
      full_ = true;
      return;
    }
    used_ += current_put_char(buffer_ + used_, c);
  }

  // The characters of text before end (the whole text when end is null).
  void add(const char *text, const char *end = nullptr) {
    const char *p = text;
    while (end == nullptr || p < end) {
      const int c = current_next_char(&p);
      if (c == 0) break;
      put(c);
    }
  }

  void finish() { current_put_char(buffer_ + used_, 0); }

 private:
  char *buffer_;
  int size_;
  int used_ = 0;
  bool full_ = false;
};

// Runs build on a scratch buffer and copies the result into dest, so that dest may be one of the
// inputs.
template <typename Build>
char *build_into(char *dest, int size, Build build) {
  if (dest == nullptr || size < current_code_width(0)) return dest;
  char local[1024];
  std::unique_ptr<char[]> heap;
  char *scratch = local;
  if (size > static_cast<int>(sizeof local)) {
    heap.reset(new (std::nothrow) char[static_cast<size_t>(size)]);
    if (heap == nullptr) {
      set_error_number(ENOMEM);
      return dest;
    }
    scratch = heap.get();
  }
  bounded_writer writer(scratch, size);
  build(writer);
  writer.finish();
  std::memcpy(dest, scratch, static_cast<size_t>(text_size_z(scratch)));
  return dest;
}

// Pointer to the last "." of the file name part of path, or null.
const char *last_dot(const char *path) {
  const char *name = get_filename(path);
  const char *dot = nullptr;
  const char *p = name;
  for (;;) {
    const char *at = p;
    const int c = current_next_char(&p);
    if (c == 0) break;
    if (c == '.') dot = at;
  }
  return dot;
}

const char *end_of(const char *text) { return text + text_size(text); }

}  // namespace

extern "C" {

char *get_filename(const char *path) noexcept {
  if (path == nullptr) return nullptr;
  const char *result = path;
  const char *p = path;
  for (int c = current_next_char(&p); c != 0; c = current_next_char(&p)) {
    if (c == '/') result = p;
  }
  return const_cast<char *>(result);
}

char *get_extension(const char *path) noexcept {
  if (path == nullptr) return nullptr;
  const char *dot = last_dot(path);
  if (dot == nullptr) return const_cast<char *>(end_of(path));
  return const_cast<char *>(dot + current_char_width(dot));
}

char *replace_filename(char *dest, const char *path, const char *filename, int size) noexcept {
  if (path == nullptr || filename == nullptr) return dest;
  return build_into(dest, size, [&](bounded_writer &out) {
    out.add(path, get_filename(path));
    out.add(filename);
  });
}

char *replace_extension(char *dest, const char *path, const char *extension, int size) noexcept {
  if (path == nullptr || extension == nullptr) return dest;
  return build_into(dest, size, [&](bounded_writer &out) {
    const char *dot = last_dot(path);
    out.add(path, dot != nullptr ? dot : end_of(path));
    out.put('.');
    out.add(extension);
  });
}

char *append_filename(char *dest, const char *path, const char *filename, int size) noexcept {
  if (path == nullptr || filename == nullptr) return dest;
  return build_into(dest, size, [&](bounded_writer &out) {
    out.add(path);
    // An empty path stays relative: "/" + name would name a file at the root.
    const int last = corvane::last_char(path);
    if (last != 0 && last != '/') out.put('/');
    out.add(filename);
  });
}

void put_slash(char *path) noexcept {
  if (path == nullptr) return;
  const int last = corvane::last_char(path);
  if (last == 0 || last == '/' || last == '#') return;
  char *end = path + text_size(path);
  end += current_put_char(end, '/');
  current_put_char(end, 0);
}

char *fix_slashes(char *path) noexcept {
  if (path == nullptr) return nullptr;
  char *p = path;
  for (;;) {
    char *at = p;
    const int c = current_next_char_writable(&p);
    if (c == 0) break;
    if (c == '\\') current_put_char(at, '/');
  }
  return path;
}

int is_relative_filename(const char *name) noexcept {
  if (name == nullptr) return CORVANE_TRUE;
  return current_get_char(name) == '/' ? 0 : CORVANE_TRUE;
}

}  // extern "C"
