// Whole-name transformations: the working directory, absolute cleaned names and relative names.
// They work on a UTF-8 copy of the name, where the separators are single bytes whatever the current
// encoding, and convert the result back.
#include <unistd.h>

#include <cerrno>
#include <string>

#include "corvane/file.h"
#include "corvane/system.h"
#include "corvane/text.h"

namespace {

std::string to_utf8(const char *text) {
  const int size = converted_size(text, ENCODING_CURRENT, ENCODING_UTF8);
  if (size <= 0) return std::string();
  std::string result(static_cast<size_t>(size), '\0');
  convert_text_into(text, ENCODING_CURRENT, result.data(), ENCODING_UTF8, size);
  result.resize(result.find('\0'));
  return result;
}

void from_utf8(const std::string &utf8, char *dest, int size) {
  convert_text_into(utf8.c_str(), ENCODING_UTF8, dest, ENCODING_CURRENT, size);
}

// The working directory in UTF-8; empty when the system cannot say.
std::string working_directory() {
  std::string buffer(256, '\0');
  for (;;) {
    if (getcwd(buffer.data(), buffer.size()) != nullptr) {
      buffer.resize(buffer.find('\0'));
      return buffer;
    }
    if (errno != ERANGE || buffer.size() > (1u << 20)) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

void replace_all(std::string &s, const std::string &from, const std::string &to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at)) {
    s.replace(at, from.size(), to);
  }
}

void write_empty(char *dest, int size) {
  if (dest != nullptr && size >= current_code_width(0)) current_put_char(dest, 0);
}

}  // namespace

extern "C" {

char *get_current_directory(char *dest, int size) noexcept {
  if (dest == nullptr || size < current_code_width(0)) return dest;
  write_empty(dest, size);
  try {
    const std::string cwd = working_directory();
    if (cwd.empty()) return dest;
    // A directory cut short would name another one: report it as a failure instead.
    if (converted_size(cwd.c_str(), ENCODING_UTF8, ENCODING_CURRENT) > size) {
      set_error_number(ERANGE);
      return dest;
    }
    from_utf8(cwd, dest, size);
  } catch (...) {
    set_error_number(ENOMEM);
  }
  return dest;
}

char *canonicalize_filename(char *dest, const char *name, int size) noexcept {
  if (dest == nullptr || name == nullptr || size < current_code_width(0)) return dest;
  const int saved = get_error_number();
  try {
    std::string s = to_utf8(name);
    if (s.empty() || (s[0] != '/' && s[0] != '#')) s = working_directory() + "/" + s;
    replace_all(s, "\\", "/");
    // A name that ends in "/." or "/.." names a directory: with the slash it implies, the last
    // component is removed like any other instead of being left to climb above the root.
    if (s.ends_with("/.") || s.ends_with("/..")) s += '/';
    for (bool changed = true; changed;) {
      const size_t before = s.size();
      replace_all(s, "//", "/");
      replace_all(s, "/./", "/");
      changed = s.size() != before;
    }
    // Each "/../" takes the directory name before it along; at the start only itself goes.
    for (size_t at = s.find("/../"); at != std::string::npos; at = s.find("/../")) {
      if (at == 0) {
        s.erase(0, 3);
      } else {
        const size_t previous = s.rfind('/', at - 1);
        const size_t start = previous == std::string::npos ? 0 : previous;
        s.erase(start, at + 3 - start);
      }
    }
    from_utf8(s, dest, size);
  } catch (...) {
    write_empty(dest, size);
  }
  set_error_number(saved);
  return dest;
}

char *make_relative_filename(char *dest, const char *from, const char *to, int size) noexcept {
  if (dest == nullptr || from == nullptr || to == nullptr || size < current_code_width(0)) {
    set_error_number(EINVAL);
    return nullptr;
  }
  try {
    const std::string a = to_utf8(from);
    const std::string b = to_utf8(to);
    if (a.empty() || b.empty() || a[0] != b[0]) return nullptr;
    const std::string from_dir =
        a.substr(0, a.rfind('/') == std::string::npos ? 0 : a.rfind('/') + 1);
    const size_t to_slash = b.rfind('/');
    const std::string to_dir = b.substr(0, to_slash == std::string::npos ? 0 : to_slash + 1);
    const std::string to_file = b.substr(to_dir.size());

    size_t i = 0;
    size_t common = 0;  // just after the last "/" both directories share
    while (i < from_dir.size() && i < to_dir.size() && from_dir[i] == to_dir[i]) {
      if (from_dir[i] == '/') common = i + 1;
      ++i;
    }
    if (common == 0) return nullptr;

    std::string result;
    if (i == from_dir.size() && i == to_dir.size()) {
      result = "./";
    } else if (i < from_dir.size()) {
      for (size_t k = common; k < from_dir.size(); ++k) {
        if (from_dir[k] == '/') result += "../";
      }
    }
    result += to_dir.substr(common);
    result += to_file;
    replace_all(result, "\\", "/");
    from_utf8(result, dest, size);
  } catch (...) {
    set_error_number(ENOMEM);
    return nullptr;
  }
  return dest;
}

}  // extern "C"
