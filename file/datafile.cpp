// Objects inside data files: "file.dat#name" and "file.dat#dir/name" walk the data file's object
// list (properties first, a 'NAME' property naming the object that follows), entering nested 'FILE'
// objects for every further path component. Every size read from the file is checked before it
// is used to skip, so a hostile file ends the walk with an error instead of a loop or a crash, and
// names that would nest deeper than a fixed number of levels are refused.
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "core/internal.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "file/packfile_internal.h"

extern "C" {
int last_object_type = 0;
}

namespace corvane {

namespace {

constexpr int path_size = 1024;
constexpr int name_size = 1024;

// The most levels an object name may pass through: one for every "#" and one for every "/"
// behind the first "#" ("file.dat#dir/name" has two). Each level is a chunk open inside the one
// before it, and reading the innermost goes through all of them, so a name with more levels is
// refused before anything is opened.
constexpr int max_object_levels = 256;

enum class walk_result { found, not_found, corrupt };

bool read_word(packfile *f, int32_t &value) {
  unsigned char b[4];
  if (packfile_read(b, 4, f) != 4) return false;
  value = static_cast<int32_t>((static_cast<uint32_t>(b[0]) << 24) |
                               (static_cast<uint32_t>(b[1]) << 16) |
                               (static_cast<uint32_t>(b[2]) << 8) | static_cast<uint32_t>(b[3]));
  return true;
}

// Skips count bytes; a count beyond what the stream holds marks the file as corrupt.
walk_result skip(packfile *f, int64_t count) {
  int64_t left;
  if (packfile_bytes_left(f, &left) && count > left) return walk_result::corrupt;
  const int saved = get_error_number();
  f->ops->seek(f->userdata, static_cast<long>(count));
  set_error_number(saved);
  if (packfile_error(f)) return walk_result::corrupt;
  return walk_result::found;
}

// True when a stored name (UTF-8 bytes) equals the path component, case aside.
bool name_matches(const char *utf8_name, const char *component) {
  char converted[4 * name_size];
  const int size = converted_size(utf8_name, ENCODING_UTF8, ENCODING_CURRENT);
  if (size <= 0 || size > static_cast<int>(sizeof converted)) return false;
  convert_text_into(utf8_name, ENCODING_UTF8, converted, ENCODING_CURRENT, sizeof converted);
  return text_icompare(converted, component) == 0;
}

// Walks one object list, leaving the stream at the chunk of the object named component.
walk_result find_object(packfile *f, const char *component, int32_t &type) {
  int32_t count;
  if (!read_word(f, count)) return walk_result::not_found;
  if (count < 0) return walk_result::corrupt;
  bool matched = false;
  for (int32_t seen = 0; seen < count;) {
    int32_t word;
    if (!read_word(f, word)) return walk_result::not_found;
    if (word == DATAFILE_ID_PROPERTY) {
      int32_t property_type, property_size;
      if (!read_word(f, property_type) || !read_word(f, property_size)) {
        return walk_result::not_found;
      }
      if (property_size < 0) return walk_result::corrupt;
      if (property_type == DATAFILE_ID_NAME && property_size < name_size) {
        char name[name_size];
        if (packfile_read(name, property_size, f) != property_size) return walk_result::not_found;
        name[property_size] = 0;
        if (name_matches(name, component)) matched = true;
      } else {
        // Other properties, and names longer than any component can be, are skipped.
        const walk_result skipped = skip(f, property_size);
        if (skipped != walk_result::found) return skipped;
      }
      continue;
    }
    if (matched) {
      type = word;
      return walk_result::found;
    }
    int32_t stored;
    if (!read_word(f, stored)) return walk_result::not_found;
    if (stored < 0) return walk_result::corrupt;
    const walk_result skipped = skip(f, static_cast<int64_t>(stored) + 4);
    if (skipped != walk_result::found) return skipped;
    ++seen;
  }
  return walk_result::not_found;
}

packfile *fail(int error_number, packfile *f) {
  if (f != nullptr) close_packfile(f);
  set_error_number(error_number);
  return nullptr;
}

// The levels a name passes through, counting no further than one beyond the limit.
int object_levels(const char *name) {
  int levels = 0;
  bool inside = false;
  for (const char *p = name; levels <= max_object_levels;) {
    const int c = current_next_char(&p);
    if (c == 0) break;
    if (c == '#') {
      inside = true;
      ++levels;
    } else if (c == '/' && inside) {
      ++levels;
    }
  }
  return levels;
}

// Copies the next path component (up to "/", "#" or the end) into component. Returns the pointer
// to the separator or terminator behind it, or null when it does not fit.
const char *next_component(const char *path, char *component, int size) {
  const char *p = path;
  for (;;) {
    const char *at = p;
    const int c = current_next_char(&p);
    if (c == 0 || c == '/' || c == '#') {
      const int bytes = static_cast<int>(at - path);
      if (bytes + current_code_width(0) > size) return nullptr;
      std::memcpy(component, path, static_cast<size_t>(bytes));
      current_put_char(component + bytes, 0);
      return at;
    }
  }
}

// Walks the data file f holds ("COR." and its object list) along path ("dir/name", ending at the
// next "#" or the end) and opens the object found. Takes f over: on failure it is closed and the
// result is null with the error number set.
packfile *open_object(packfile *f, const char *path) {
  int32_t id;
  if (!read_word(f, id) || id != DATAFILE_ID) return fail(ENOTDIR, f);
  for (;;) {
    char component[name_size];
    const char *end = next_component(path, component, sizeof component);
    if (end == nullptr) return fail(ENOENT, f);
    const int separator = current_get_char(end);
    const bool more = separator == '/';
    int32_t type = 0;
    const walk_result found = find_object(f, component, type);
    if (found == walk_result::corrupt) return fail(EFAULT, f);
    if (found == walk_result::not_found) return fail(ENOENT, f);
    if (!more) {
      last_object_type = type;
      packfile *object = open_packfile_chunk(f, 0);
      if (object == nullptr) return fail(get_error_number(), f);
      object->flags |= PACKFILE_FLAG_OBJECT;
      return object;
    }
    if (type != DATAFILE_ID_FILE) return fail(ENOENT, f);
    packfile *nested = open_packfile_chunk(f, 0);
    if (nested == nullptr) return fail(get_error_number(), f);
    f = nested;
    path = end + current_char_width(end);
  }
}

}  // namespace

packfile *open_datafile_object(const char *name, const packfile_mode &mode) noexcept {
  if (mode.write) return fail(EROFS, nullptr);
  if (object_levels(name) > max_object_levels) return fail(ENAMETOOLONG, nullptr);
  char hash_text[8];
  const char *hash = literal("#", hash_text, sizeof hash_text);
  if (text_compare(name, hash) == 0) return open_appended_datafile();

  const char *last_separator = text_find_last_char(name, '#');
  if (last_separator == nullptr) return fail(ENOENT, nullptr);
  if (static_cast<int>(last_separator - name) + current_code_width(0) > path_size) {
    return fail(ENAMETOOLONG, nullptr);
  }

  // "a.dat#x#y" is object y of the data file that object x of "a.dat" holds. Each level is walked
  // in turn inside this one frame, so the stack stays the same whatever the depth. Where a level
  // is no object, the name up to the next "#" is tried as a file of that name, as opening it on
  // its own would do.
  char prefix[path_size];
  const auto copy_prefix = [&](const char *end) {
    const auto bytes = static_cast<std::size_t>(end - name);
    std::memcpy(prefix, name, bytes);
    current_put_char(prefix + bytes, 0);
  };
  const char *separator = text_find_char(name, '#');
  packfile *f = nullptr;
  if (separator == name) {
    f = open_appended_datafile();
    if (f == nullptr) f = open_named_file(hash, "rp", get_error_number());
  } else {
    copy_prefix(separator);
    f = open_named_file(prefix, "rp", 0);
  }
  for (;;) {
    const char *path = separator + current_char_width(separator);
    const char *next_separator = text_find_char(path, '#');
    packfile *object = f != nullptr ? open_object(f, path) : nullptr;
    if (next_separator == nullptr) return object;
    if (object == nullptr) {
      copy_prefix(next_separator);
      object = open_named_file(prefix, "rp", get_error_number());
    }
    f = object;
    separator = next_separator;
  }
}

}  // namespace corvane
