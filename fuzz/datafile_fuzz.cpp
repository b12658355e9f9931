// Fuzz target "datafile": the input is a data file ('COR.', the object count, then properties
// and objects, plain or behind a stream header), opened as "file#path". An input that starts with
// "#" names the path on its first line, the data file following; otherwise the paths are built
// from the 'NAME' properties found in the input, so that nested 'FILE' objects are entered. An
// object that opens must deliver its declared size or report an error; a failure must leave an
// error number; writing to an object must fail with EROFS.
#include <cerrno>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "corvane/file.h"
#include "corvane/packfile.h"
#include "corvane/system.h"
#include "fuzz_support.h"

namespace {

constexpr size_t max_names = 8;
constexpr size_t max_name_length = 64;

// The names of 'NAME' properties, in the order they appear.
std::vector<std::string> harvest_names(std::string_view contents) {
  std::vector<std::string> names;
  for (size_t at = contents.find("NAME"); at != std::string_view::npos && names.size() < max_names;
       at = contents.find("NAME", at + 4)) {
    if (contents.size() - at < 8) break;
    const auto *b = reinterpret_cast<const unsigned char *>(contents.data() + at + 4);
    const uint32_t length = (static_cast<uint32_t>(b[0]) << 24) |
                            (static_cast<uint32_t>(b[1]) << 16) |
                            (static_cast<uint32_t>(b[2]) << 8) | b[3];
    if (length == 0 || length > max_name_length || contents.size() - at - 8 < length) continue;
    std::string name(contents.substr(at + 8, length));
    if (name.find('\0') != std::string::npos) continue;
    names.push_back(std::move(name));
  }
  return names;
}

void open_object(const fuzz::memory_file &file, const std::string &path) {
  const std::string name = file.path() + "#" + path;
  set_error_number(0);
  packfile *f = open_packfile(name.c_str(), "r");
  if (f == nullptr) {
    FUZZ_CHECK(get_error_number() != 0);
    return;
  }
  FUZZ_CHECK(f->flags & PACKFILE_FLAG_OBJECT);
  FUZZ_CHECK(f->flags & PACKFILE_FLAG_CHUNK);
  const int declared = chunk_data_size;
  const int64_t expected = declared < 0 ? -static_cast<int64_t>(declared) : declared;
  int64_t total = 0;
  char buffer[4096];
  for (;;) {
    const long got = packfile_read(buffer, sizeof buffer, f);
    FUZZ_CHECK(got >= 0);
    if (got == 0) break;
    total += got;
  }
  FUZZ_CHECK(total <= expected);
  if (!packfile_error(f)) FUZZ_CHECK(total == expected);
  close_packfile(f);

  // The size query opens the same object.
  const int64_t size = file_size(name.c_str());
  FUZZ_CHECK(size == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string_view contents = fuzz::as_text(data, size);
  std::vector<std::string> paths;
  if (!contents.empty() && contents[0] == '#') {
    const size_t end = contents.find('\n');
    std::string path(contents.substr(1, end == std::string_view::npos ? contents.size() : end - 1));
    if (path.find('\0') != std::string::npos) return 0;
    paths.push_back(std::move(path));
    contents = end == std::string_view::npos ? std::string_view() : contents.substr(end + 1);
  } else {
    const std::vector<std::string> names = harvest_names(contents);
    std::string chain;
    for (const std::string &name : names) {
      paths.push_back(name);
      if (!chain.empty()) {
        chain += '/';
        paths.push_back(chain + name);
      }
      chain += name;
    }
    paths.push_back("a/b/c");
  }

  const fuzz::memory_file file(contents);
  for (const std::string &path : paths) open_object(file, path);

  const std::string object = file.path() + "#" + paths.front();
  set_error_number(0);
  FUZZ_CHECK(open_packfile(object.c_str(), "w") == nullptr);
  FUZZ_CHECK(get_error_number() == EROFS);
  return 0;
}
