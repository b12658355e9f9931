// Writing a configuration back: every entry as one line ('key = value', the header, or the blank
// or comment line as it was read), LF-terminated and in UTF-8. The text goes into a temporary file
// in the same directory, which replaces the configuration file only once it is complete, so that
// a failed or interrupted write never leaves a damaged file behind. Only a regular file (or one a
// symbolic link leads to) is ever replaced.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "config/config_internal.h"
#include "corvane/packfile.h"
#include "corvane/system.h"
#include "corvane/text.h"

namespace corvane::cfg {
namespace {

constexpr int temporary_name_attempts = 100;

// The configuration's file name as the system takes it; false when it does not fit.
bool system_file_name(const char *filename, char (&buffer)[config_path_size]) noexcept {
  const int encoding = get_file_name_encoding();
  const int size = converted_size(filename, ENCODING_CURRENT, encoding);
  if (size <= 0 || size > config_path_size) {
    set_error_number(ENAMETOOLONG);
    return false;
  }
  convert_text_into(filename, ENCODING_CURRENT, buffer, encoding, config_path_size);
  return true;
}

// Creates a new file next to target (same directory, so that renaming it over target cannot fail
// for crossing file systems). Returns its descriptor and name, or -1.
int create_temporary_file(const std::string &target, std::string *name) noexcept {
  try {
    const std::size_t slash = target.find_last_of('/');
    const std::string directory = slash == std::string::npos ? "." : target.substr(0, slash);
    static unsigned counter = 0;
    for (int attempt = 0; attempt < temporary_name_attempts; ++attempt) {
      *name = directory + "/.corvane-cfg-" + std::to_string(getpid()) + "-" +
              std::to_string(counter++) + ".tmp";
      const int fd = open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd >= 0) return fd;
      if (errno != EEXIST) return -1;
    }
    errno = EEXIST;
  } catch (...) {
    errno = ENOMEM;
  }
  return -1;
}

}  // namespace

bool write_config_entries(const config *cfg, packfile *f) noexcept {
  const config_literal separator(" = ");
  const config_literal space(" ");
  const config_literal line_end("\n");
  for (const config_entry *entry = cfg->head; entry != nullptr; entry = entry->next) {
    if (entry->name != nullptr) {
      if (packfile_write_text(entry->name, f) != 0) return false;
      if (first_char(entry->name) != '[') {
        if (packfile_write_text(separator, f) != 0) return false;
      } else if (!text_is_empty(entry->data)) {
        // A bracketed name read from a line such as "[my section]" keeps the rest of its line
        // as data; written straight behind the name it would make "[mysection]", a header that
        // takes the keys below it into another section.
        if (packfile_write_text(space, f) != 0) return false;
      }
    }
    if (entry->data != nullptr && packfile_write_text(entry->data, f) != 0) return false;
    if (packfile_write_text(line_end, f) != 0) return false;
  }
  return packfile_error(f) == 0;
}

int write_config(config *cfg) noexcept {
  if (cfg == nullptr || cfg->filename == nullptr) return -1;
  // "file.dat#object" names an object inside a data file, which can only be read.
  if (text_find_char(cfg->filename, '#') != nullptr) {
    set_error_number(EROFS);
    return -1;
  }
  char system_name[config_path_size];
  if (!system_file_name(cfg->filename, system_name)) return -1;

  // A link is followed, so that the file it points at is replaced and the link stays. An existing
  // file that may not be written is left alone, as writing it in place would fail.
  std::string target;
  struct stat existing {};
  bool exists = false;
  try {
    target = system_name;
    if (stat(system_name, &existing) == 0) {
      exists = true;
      // Renaming a file over a FIFO, a device or a directory would replace something that is no
      // configuration file; nothing is written then.
      if (!S_ISREG(existing.st_mode)) {
        set_error_number(S_ISDIR(existing.st_mode) ? EISDIR : EINVAL);
        return -1;
      }
      if (access(system_name, W_OK) != 0) {
        set_error_number(errno);
        return -1;
      }
      char resolved[PATH_MAX];
      if (realpath(system_name, resolved) != nullptr) target = resolved;
    }
  } catch (...) {
    set_error_number(ENOMEM);
    return -1;
  }

  std::string temporary;
  const int fd = create_temporary_file(target, &temporary);
  if (fd < 0) {
    set_error_number(errno);
    return -1;
  }
  if (exists) (void)fchmod(fd, existing.st_mode & 07777);
  // A second descriptor outlives the stream, so that the data can reach the disk before the
  // rename makes it the configuration.
  const int sync_fd = dup(fd);

  bool ok = false;
  if (packfile *f = open_packfile_fd(fd, "w")) {
    ok = write_config_entries(cfg, f);
    if (close_packfile(f) != 0) ok = false;
  }
  if (ok && sync_fd >= 0 && fsync(sync_fd) != 0) ok = false;
  if (sync_fd >= 0) close(sync_fd);
  if (ok && std::rename(temporary.c_str(), target.c_str()) != 0) ok = false;
  if (!ok) {
    const int error = errno;
    unlink(temporary.c_str());
    set_error_number(error != 0 ? error : EFAULT);
    return -1;
  }
  cfg->dirty = 0;
  return 0;
}

}  // namespace corvane::cfg
