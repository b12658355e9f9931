// The platform's own resource places outside an application bundle: the home directory (where a
// configuration file "name.cfg" may also be the hidden ".namerc"), "/etc/", and the shared data
// directories for data files. A system driver can use this as its locate_resource_hook.
#include <initializer_list>

#include "config/path_text.h"
#include "core/internal.h"
#include "corvane/file.h"
#include "corvane/text.h"
#include "file/file_io.h"

namespace corvane {

namespace {

constexpr int place_size = 256;

bool has_extension(const char *name, const char *ascii_extension) {
  char extension[16];
  return text_icompare(get_extension(name),
                       literal(ascii_extension, extension, sizeof extension)) == 0;
}

bool accept(char *dest, int size, const text_builder &candidate, int mask) {
  return candidate.ok() && file_exists(candidate.text(), mask, nullptr) &&
         copy_whole(dest, size, candidate.text());
}

// The resource name up to its first ".", followed by "rc".
text_builder &add_rc_name(text_builder &out, const char *resource) {
  const char *first_dot = text_find_char(resource, '.');
  const int stem =
      first_dot != nullptr ? static_cast<int>(first_dot - resource) : text_size(resource);
  return out.add_bytes(resource, stem).add_ascii("rc");
}

}  // namespace

int locate_resource_in_standard_places(char *dest, const char *resource, int size) noexcept {
  if (dest == nullptr || text_is_empty(resource)) return -1;
  constexpr int plain = FILE_ATTR_READ_ONLY | FILE_ATTR_ARCHIVE;
  const bool configuration = has_extension(resource, "cfg");
  char path[place_size];

  char home[place_size];
  char home_variable[8];
  if (get_environment_text(literal("HOME", home_variable, sizeof home_variable), home,
                           place_size)) {
    if (accept(dest, size, text_builder(path, place_size).add(home).add_char('/').add(resource),
               plain)) {
      return 0;
    }
    if (configuration) {
      text_builder rc(path, place_size);
      rc.add(home).add_ascii("/.");
      if (accept(dest, size, add_rc_name(rc, resource), plain | FILE_ATTR_HIDDEN)) return 0;
    }
  }

  if (accept(dest, size, text_builder(path, place_size).add_ascii("/etc/").add(resource), plain)) {
    return 0;
  }
  if (configuration) {
    text_builder rc(path, place_size);
    rc.add_ascii("/etc/");
    if (accept(dest, size, add_rc_name(rc, resource), plain)) return 0;
  }

  if (has_extension(resource, "dat")) {
    for (const char *dir : {"/usr/share/corvane/", "/usr/local/share/corvane/"}) {
      if (accept(dest, size, text_builder(path, place_size).add_ascii(dir).add(resource), plain)) {
        return 0;
      }
    }
  }
  return -1;
}

}  // namespace corvane
