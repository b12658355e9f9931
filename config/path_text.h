// Building file names in the current encoding inside fixed buffers, and the helpers the file-name
// code shares: character walking, dot replacement, the file attribute model and the resource
// directory list.
#ifndef CORVANE_CONFIG_PATH_TEXT_H
#define CORVANE_CONFIG_PATH_TEXT_H

#include <sys/stat.h>

namespace corvane {

// Appends texts behind each other into a buffer of fixed size, always terminated. Anything that
// does not fit whole is refused and remembered, so a name that was cut short is never used.
class text_builder {
 public:
  text_builder(char *buffer, int size) noexcept;

  text_builder &add(const char *text) noexcept;                   // current encoding
  text_builder &add_bytes(const char *text, int bytes) noexcept;  // the first bytes of a text
  text_builder &add_char(int c) noexcept;
  text_builder &add_ascii(const char *ascii) noexcept;          // a library literal
  text_builder &add_replacing_dots(const char *text) noexcept;  // every "." becomes "_"

  bool ok() const noexcept { return ok_; }
  const char *text() const noexcept { return buffer_; }
  int used() const noexcept { return used_; }

 private:
  bool reserve(int bytes) noexcept;

  char *buffer_;
  int size_;
  int used_ = 0;
  bool ok_;
};

// True for null or empty text.
bool text_is_empty(const char *text) noexcept;

// The last character of a text, 0 when it is empty.
int last_char(const char *text) noexcept;

// Copies a whole text into dest; false (dest untouched) when it does not fit.
bool copy_whole(char *dest, int size, const char *text) noexcept;

// The attribute bits of a file from its stat record and its path (UTF-8).
int attributes_from_stat(const struct stat &st, const char *utf8_path) noexcept;

// The resource directory list, highest priority first.
struct resource_path_node {
  int priority;
  char path[1024];  // always ends in "/"
  resource_path_node *next;
};
const resource_path_node *resource_path_list() noexcept;

// The search a platform's locate_resource_hook performs outside an application bundle: the home
// directory (also ".<name>rc" for a ".cfg" resource), "/etc/", and for ".dat" resources
// "/usr/share/corvane/" and "/usr/local/share/corvane/". Returns 0 with the path in dest, or -1.
int locate_resource_in_standard_places(char *dest, const char *resource, int size) noexcept;

}  // namespace corvane

#endif  // CORVANE_CONFIG_PATH_TEXT_H
