// Directory iteration: the files of one directory whose names match a wildcard pattern and whose
// attributes fit a mask, and the callback walk built on it.
#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "config/path_text.h"
#include "core/internal.h"
#include "corvane/file.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "file/file_io.h"

namespace corvane {

namespace {

constexpr int path_size = 1024;

struct search_state {
  DIR *dir = nullptr;
  char directory[path_size] = "";  // UTF-8, ending in "/"
  char pattern[path_size] = "";    // UTF-8 file pattern
  int mask = 0;
  bool single = false;  // a pattern without wildcards names one file, already reported
};

bool has_wildcards(const char *pattern) {
  char set[8];
  return text_find_any(pattern, literal("?*", set, sizeof set)) != nullptr;
}

int find_single(const char *pattern, find_info *info, int mask) {
  int attributes = 0;
  if (!file_exists(pattern, mask, &attributes)) {
    set_error_number(ENOENT);
    return -1;
  }
  if (!copy_whole(info->name, FIND_INFO_NAME_SIZE, get_filename(pattern))) {
    set_error_number(ENAMETOOLONG);
    return -1;
  }
  auto *state = new (std::nothrow) search_state;
  if (state == nullptr) {
    set_error_number(ENOMEM);
    return -1;
  }
  state->single = true;
  info->search = state;
  info->attrib = attributes;
  info->time = file_time(pattern);
  info->size = file_size(pattern);
  return 0;
}

}  // namespace

}  // namespace corvane

extern "C" {

int find_first(const char *pattern, find_info *info, int mask) noexcept {
  using corvane::search_state;
  if (pattern == nullptr || info == nullptr) {
    set_error_number(EINVAL);
    return -1;
  }
  info->search = nullptr;
  if (!corvane::has_wildcards(pattern)) return corvane::find_single(pattern, info, mask);

  char utf8[corvane::path_size];
  if (!corvane::convert_file_name(pattern, ENCODING_UTF8, utf8, sizeof utf8)) return -1;
  auto *state = new (std::nothrow) search_state;
  if (state == nullptr) {
    set_error_number(ENOMEM);
    return -1;
  }
  state->mask = mask;
  const char *slash = std::strrchr(utf8, '/');
  if (slash != nullptr) {
    const size_t directory_length = static_cast<size_t>(slash - utf8) + 1;
    std::memcpy(state->directory, utf8, directory_length);
    state->directory[directory_length] = 0;
    std::strcpy(state->pattern, slash + 1);
  } else {
    std::strcpy(state->directory, "./");
    std::strcpy(state->pattern, utf8);
  }
  if (std::strcmp(state->pattern, "*.*") == 0) std::strcpy(state->pattern, "*");

  state->dir = opendir(state->directory);
  if (state->dir == nullptr) {
    const int error = errno;
    delete state;
    set_error_number(error != 0 ? error : ENOENT);
    return -1;
  }
  info->search = state;
  if (find_next(info) != 0) {
    const int error = get_error_number();
    closedir(state->dir);
    delete state;
    info->search = nullptr;
    set_error_number(error);
    return -1;
  }
  return 0;
}

int find_next(find_info *info) noexcept {
  if (info == nullptr || info->search == nullptr) {
    set_error_number(EINVAL);
    return -1;
  }
  auto *state = static_cast<corvane::search_state *>(info->search);
  if (state->single || state->dir == nullptr) {
    set_error_number(ENOENT);
    return -1;
  }
  for (;;) {
    errno = 0;
    const dirent *entry = readdir(state->dir);
    if (entry == nullptr) {
      set_error_number(errno != 0 ? errno : ENOENT);
      return -1;
    }
    const size_t name_length = std::strlen(entry->d_name);
    if (name_length >= corvane::path_size) continue;
    if (!wildcard_match(entry->d_name, state->pattern)) continue;
    char path[corvane::path_size];
    const size_t directory_length = std::strlen(state->directory);
    if (directory_length + name_length >= sizeof path) continue;
    std::memcpy(path, state->directory, directory_length);
    std::memcpy(path + directory_length, entry->d_name, name_length + 1);
    struct stat st {};
    if (stat(path, &st) != 0) continue;
    const int attributes = corvane::attributes_from_stat(st, path);
    if ((attributes & ~state->mask) != 0) continue;
    // A name that does not fit the record whole would name another file: leave it out.
    const int size = converted_size(entry->d_name, ENCODING_UTF8, ENCODING_CURRENT);
    if (size <= 0 || size > FIND_INFO_NAME_SIZE) continue;
    convert_text_into(entry->d_name, ENCODING_UTF8, info->name, ENCODING_CURRENT,
                      FIND_INFO_NAME_SIZE);
    info->attrib = attributes;
    info->time = st.st_mtime;
    info->size = st.st_size;
    return 0;
  }
}

void find_close(find_info *info) noexcept {
  if (info == nullptr) return;
  auto *state = static_cast<corvane::search_state *>(info->search);
  if (state != nullptr) {
    if (state->dir != nullptr) closedir(state->dir);
    delete state;
    info->search = nullptr;
  }
  wildcard_match(nullptr, nullptr);
}

int for_each_file_ex(const char *pattern, int required, int forbidden,
                     int (*callback)(const char *filename, int attributes, void *parameter),
                     void *parameter) noexcept {
  if (pattern == nullptr || callback == nullptr) {
    set_error_number(EINVAL);
    return 0;
  }
  find_info info{};
  if (find_first(pattern, &info, ~forbidden) != 0) {
    if (get_error_number() == ENOENT) set_error_number(0);
    return 0;
  }
  const char *directory_end = get_filename(pattern);
  const int directory_bytes = static_cast<int>(directory_end - pattern);
  int calls = 0;
  do {
    if ((info.attrib & required) != required) continue;
    char path[corvane::path_size];
    corvane::text_builder full(path, sizeof path);
    full.add_bytes(pattern, directory_bytes).add(info.name);
    if (!full.ok()) continue;
    ++calls;
    if (callback(path, info.attrib, parameter) != 0) break;
  } while (find_next(&info) == 0);
  find_close(&info);
  if (get_error_number() == ENOENT) set_error_number(0);
  return calls;
}

}  // extern "C"
