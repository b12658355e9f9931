// Where the Linux host looks for the library's own files: the home directory (also as a hidden
// "rc" file for configuration files), /etc, and the shared data directories for data files.
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "corvane/text.h"
#include "platform/linux/unix_host.h"

namespace corvane::unix_host {
namespace {

// True when a file (not a directory) exists at a path given in the current encoding.
bool regular_file_exists(const std::string &path) {
  char system_name[1024];
  const char *name = convert_text(path.c_str(), ENCODING_CURRENT, system_name,
                                  get_file_name_encoding(), static_cast<int>(sizeof system_name));
  struct stat st {};
  return stat(name, &st) == 0 && !S_ISDIR(st.st_mode);
}

// The part of a file name after its last '.', in ASCII; empty when there is none.
std::string extension_of(const std::string &name) {
  const size_t slash = name.find_last_of('/');
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return name.substr(dot + 1);
}

bool extension_is(const std::string &name, const char *wanted) {
  return ascii_icompare(extension_of(name).c_str(), wanted) == 0;
}

// "corvane.cfg" -> "corvanerc": the name up to its first '.', then "rc".
std::string rc_name(const std::string &name) { return name.substr(0, name.find('.')) + "rc"; }

// Converts a directory given by the system (8-bit file-name encoding) to the current encoding.
std::string from_system(const char *text) {
  char buffer[1024];
  return convert_text(text, get_file_name_encoding(), buffer, ENCODING_CURRENT,
                      static_cast<int>(sizeof buffer));
}

bool answer(char *dest, int size, const std::string &path) {
  if (!regular_file_exists(path)) return false;
  text_copy(dest, size, path.c_str());
  return true;
}

}  // namespace

int locate_resource(char *dest, const char *resource, int size) noexcept {
  if (dest == nullptr || resource == nullptr || size <= 0 || resource[0] == 0) return -1;
  // The resource name is in the current encoding; the comparisons below only look at ASCII
  // punctuation, so an ASCII view of it is enough to find extensions.
  char ascii[256];
  convert_text_into(resource, ENCODING_CURRENT, ascii, ENCODING_ASCII8, sizeof ascii);
  const std::string name = from_system(ascii);
  const bool is_cfg = extension_is(ascii, "cfg");

  if (const char *home = std::getenv("HOME"); home != nullptr && home[0] != 0) {
    const std::string dir = from_system(home);
    if (answer(dest, size, dir + "/" + name)) return 0;
    if (is_cfg && answer(dest, size, dir + "/." + rc_name(name))) return 0;
  }
  if (answer(dest, size, "/etc/" + name)) return 0;
  if (is_cfg && answer(dest, size, "/etc/" + rc_name(name))) return 0;
  if (extension_is(ascii, "dat")) {
    if (answer(dest, size, "/usr/share/corvane/" + name)) return 0;
    if (answer(dest, size, "/usr/local/share/corvane/" + name)) return 0;
  }
  return -1;
}

}  // namespace corvane::unix_host
