// File attributes and single-file queries: existence with an attribute mask, size, modification
// time and deletion, for files on disk and for objects inside data files ("file.dat#object").
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "config/path_text.h"
#include "corvane/file.h"
#include "corvane/packfile.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "file/file_io.h"

namespace corvane {

namespace {

// Objects inside data files can be read but not written, and count as archived.
constexpr int object_attributes = FILE_ATTR_READ_ONLY | FILE_ATTR_ARCHIVE;

bool is_object_name(const char *name) { return text_find_char(name, '#') != nullptr; }

// stat of a name given in the current encoding; false with the error number set on failure.
bool stat_name(const char *name, struct stat &st, char *utf8, int utf8_size) {
  if (!convert_file_name(name, ENCODING_UTF8, utf8, utf8_size)) return false;
  if (stat(utf8, &st) != 0) {
    set_error_number(errno);
    return false;
  }
  return true;
}

}  // namespace

int attributes_from_stat(const struct stat &st, const char *utf8_path) noexcept {
  int attributes = 0;
  if (S_ISDIR(st.st_mode)) attributes |= FILE_ATTR_DIRECTORY;
  const char *slash = std::strrchr(utf8_path, '/');
  const char *name = slash != nullptr ? slash + 1 : utf8_path;
  if (name[0] == '.' && std::strcmp(name, "..") != 0) attributes |= FILE_ATTR_HIDDEN;
  const uid_t user = geteuid();
  if (user != 0) {
    mode_t write_bit = S_IWOTH;
    if (st.st_uid == user) {
      write_bit = S_IWUSR;
    } else if (st.st_gid == getegid()) {
      write_bit = S_IWGRP;
    }
    if ((st.st_mode & write_bit) == 0) attributes |= FILE_ATTR_READ_ONLY;
  }
  return attributes;
}

}  // namespace corvane

extern "C" {

int file_exists(const char *name, int mask, int *attributes) noexcept {
  if (name == nullptr) {
    set_error_number(EINVAL);
    return 0;
  }
  int found;
  if (corvane::is_object_name(name)) {
    packfile *f = open_packfile(name, "r");
    if (f == nullptr) {
      if (get_error_number() == ENOENT) set_error_number(0);
      return 0;
    }
    close_packfile(f);
    found = corvane::object_attributes;
  } else {
    struct stat st {};
    char utf8[1024];
    if (!corvane::stat_name(name, st, utf8, sizeof utf8)) {
      if (get_error_number() == ENOENT) set_error_number(0);
      return 0;
    }
    found = corvane::attributes_from_stat(st, utf8);
  }
  if ((found & ~mask) != 0) return 0;
  if (attributes != nullptr) *attributes = found;
  return CORVANE_TRUE;
}

int exists(const char *name) noexcept {
  return file_exists(name, FILE_ATTR_READ_ONLY | FILE_ATTR_ARCHIVE, nullptr);
}

int64_t file_size(const char *name) noexcept {
  if (name == nullptr) {
    set_error_number(EINVAL);
    return 0;
  }
  if (corvane::is_object_name(name)) {
    packfile *f = open_packfile(name, "r");
    if (f == nullptr) return 0;
    const int64_t size = f->byte_count;
    close_packfile(f);
    return size;
  }
  struct stat st {};
  char utf8[1024];
  if (!corvane::stat_name(name, st, utf8, sizeof utf8)) return 0;
  return st.st_size;
}

time_t file_time(const char *name) noexcept {
  if (name == nullptr) {
    set_error_number(EINVAL);
    return 0;
  }
  struct stat st {};
  char utf8[1024];
  if (!corvane::stat_name(name, st, utf8, sizeof utf8)) return 0;
  return st.st_mtime;
}

int delete_file(const char *name) noexcept {
  if (name == nullptr) {
    set_error_number(EINVAL);
    return -1;
  }
  char system_name[1024];
  if (!corvane::convert_file_name(name, get_file_name_encoding(), system_name,
                                  sizeof system_name)) {
    return -1;
  }
  if (unlink(system_name) != 0) {
    set_error_number(errno);
    return -1;
  }
  return 0;
}

}  // extern "C"
