// The resource search: a file by name (with a default extension) or an object inside a data file,
// looked for in the resource directories, the program's directory, the directories named by
// environment variables, then through the system driver and inside the data file itself.
#include <cerrno>

#include "config/path_text.h"
#include "core/internal.h"
#include "corvane/file.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "file/file_io.h"

namespace corvane {

namespace {

constexpr int path_size = 1024;
constexpr int resource_name_size = 128;

bool has_extension(const char *name, const char *ascii_extension) {
  char extension[16];
  return text_icompare(get_extension(name),
                       literal(ascii_extension, extension, sizeof extension)) == 0;
}

// Copies a found name into dest when the name exists; a name that does not fit dest counts as not
// found, since a shortened one would name something else.
bool accept(char *dest, int size, const text_builder &candidate) {
  return candidate.ok() && exists(candidate.text()) && copy_whole(dest, size, candidate.text());
}

// Tries the places a resource may have inside one directory, in order, and stops at the first that
// exists.
int search_directory(char *dest, const char *dir, const char *resource, const char *datafile,
                     const char *object, const char *subdirectory, int size) {
  const bool have_resource = !text_is_empty(resource);
  const bool have_object = !text_is_empty(object);
  const bool have_datafile = !text_is_empty(datafile);
  const bool dir_in_datafile = text_find_char(dir, '#') != nullptr;
  char path[path_size];

  if (have_resource) {
    if (accept(dest, size, text_builder(path, path_size).add(dir).add(resource))) return 0;
    if (dir_in_datafile &&
        accept(dest, size, text_builder(path, path_size).add(dir).add_replacing_dots(resource))) {
      return 0;
    }
    if (have_object && has_extension(resource, "dat") &&
        accept(dest, size,
               text_builder(path, path_size)
                   .add(dir)
                   .add(resource)
                   .add_char('#')
                   .add_replacing_dots(object))) {
      return 0;
    }
  }
  if (have_datafile) {
    if (have_resource && accept(dest, size,
                                text_builder(path, path_size)
                                    .add(dir)
                                    .add(datafile)
                                    .add_char('#')
                                    .add_replacing_dots(resource))) {
      return 0;
    }
    if (have_object && accept(dest, size,
                              text_builder(path, path_size)
                                  .add(dir)
                                  .add(datafile)
                                  .add_char('#')
                                  .add_replacing_dots(object))) {
      return 0;
    }
  }
  if (have_object) {
    if (accept(dest, size, text_builder(path, path_size).add(dir).add(object))) return 0;
    if (dir_in_datafile &&
        accept(dest, size, text_builder(path, path_size).add(dir).add_replacing_dots(object))) {
      return 0;
    }
    if (!text_is_empty(subdirectory) &&
        accept(
            dest, size,
            text_builder(path, path_size).add(dir).add(subdirectory).add_char('/').add(object))) {
      return 0;
    }
  }
  return -1;
}

// Searches the directory named by an environment variable.
int search_environment(char *dest, const char *variable, const char *resource, const char *datafile,
                       const char *object, const char *subdirectory, int size) {
  char dir[path_size];
  if (!get_environment_text(variable, dir, path_size - 4)) return -1;
  put_slash(dir);
  return search_directory(dest, dir, resource, datafile, object, subdirectory, size);
}

// A name with a directory or an object part is looked at as it stands.
int locate_path(char *dest, const char *name, const char *object, int size) {
  if (!exists(name) || !copy_whole(dest, size, name)) return -1;
  if (text_is_empty(object) || !has_extension(name, "dat")) return 0;
  char path[path_size];
  text_builder with_object(path, path_size);
  with_object.add(name).add_char('#').add_replacing_dots(object);
  return accept(dest, size, with_object) ? 0 : -1;
}

}  // namespace

}  // namespace corvane

extern "C" {

int locate_resource(char *dest, const char *name, const char *extension, const char *datafile,
                    const char *object, const char *environment_variable, const char *subdirectory,
                    int size) noexcept {
  using namespace corvane;
  if (dest == nullptr || size < current_code_width(0)) {
    set_error_number(EINVAL);
    return -1;
  }
  char resource[resource_name_size];
  text_builder resource_name(resource, resource_name_size);
  if (!text_is_empty(name)) {
    if (last_char(name) == '/') {
      return search_directory(dest, name, nullptr, datafile, object, subdirectory, size);
    }
    char separators[8];
    if (text_find_any(name, literal("\\/#", separators, sizeof separators)) != nullptr) {
      return locate_path(dest, name, object, size);
    }
    resource_name.add(name);
    if (!text_is_empty(extension) && text_is_empty(get_extension(name))) {
      const char *ext = extension;
      if (current_get_char(ext) == '.') ext += current_char_width(ext);
      resource_name.add_char('.').add(ext);
    }
    if (!resource_name.ok()) return -1;
  }

  for (const resource_path_node *node = resource_path_list(); node != nullptr; node = node->next) {
    if (search_directory(dest, node->path, resource, datafile, object, subdirectory, size) == 0) {
      return 0;
    }
  }

  char program_dir[path_size];
  query_executable_path(program_dir, path_size);
  current_put_char(get_filename(program_dir), 0);  // keep the directory, "/" included
  if (search_directory(dest, program_dir, resource, datafile, object, subdirectory, size) == 0) {
    return 0;
  }

  char variable[16];
  if (search_environment(dest, literal("CORVANE", variable, sizeof variable), resource, datafile,
                         object, subdirectory, size) == 0) {
    return 0;
  }
  if (!text_is_empty(environment_variable) &&
      search_environment(dest, environment_variable, resource, datafile, object, subdirectory,
                         size) == 0) {
    return 0;
  }

  if (!text_is_empty(resource) && current_system_driver != nullptr &&
      current_system_driver->locate_resource_hook != nullptr &&
      current_system_driver->locate_resource_hook(dest, resource, size) == 0) {
    return 0;
  }

  // Last, the resource as an object of the data file, wherever that is found.
  if (text_is_empty(datafile)) return -1;
  char found[path_size];
  if (locate_resource(found, datafile, nullptr, nullptr, nullptr, environment_variable,
                      subdirectory, path_size) != 0) {
    return -1;
  }
  char path[path_size];
  text_builder with_object(path, path_size);
  with_object.add(found).add_char('#');
  with_object.add_replacing_dots(text_is_empty(resource) ? object : resource);
  return accept(dest, size, with_object) ? 0 : -1;
}

}  // extern "C"
